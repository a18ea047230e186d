#include "export/SvgExport.h"

#include "figures/Streams.h"
#include "export/SvgCanvas.h"

std::string ImageToSvg(TFiguresCollection& Image, std::vector<TVectorApproximation>& Approximated) {
  const TRect& r = Image.ImageRect();
  TSvgCanvas canvas(r.Right, r.Bottom);
  DrawForExport(Image, canvas, Approximated);
  return canvas.Document();
}

void ExportSvg(TFiguresCollection& Image, const std::string& FileName, std::vector<TVectorApproximation>& Approximated) {
  const std::string document = ImageToSvg(Image, Approximated);
  WriteFileAtomically(FileName, {reinterpret_cast<const uint8_t*>(document.data()), document.size()});
}
