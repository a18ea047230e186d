#include "export/SvgExport.h"

#include "figures/Streams.h"
#include "export/SvgCanvas.h"

namespace {

constexpr const char* kModeNames[] = {
    "pmBlack",       "pmWhite",      "pmNop",   "pmNot",      "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
    "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor",         "pmNotXor",
};

}  // namespace

void DrawForExport(TFiguresCollection& Image, TVectorCanvas& Canvas, std::vector<TSvgApproximation>& Approximated) {
  Canvas.Brush.Color = Image.BackgroundColor();
  Canvas.Brush.Style = bsSolid;
  Canvas.FillRect(Image.ImageRect());
  // Drawn as the collection draws it, figure by figure, so that each
  // approximation is known by its figure.
  int32_t position = 0;
  for (TBasicFigure* figure : Image.Figures()) {
    figure->DrawOn(Canvas);
    if (const std::optional<TPenMode> mode = Canvas.TakeApproximation())
      Approximated.push_back({position, figure->ClassName(), *mode});
    ++position;
  }
}

std::string ImageToSvg(TFiguresCollection& Image, std::vector<TSvgApproximation>& Approximated) {
  const TRect& r = Image.ImageRect();
  TSvgCanvas canvas(r.Right, r.Bottom);
  DrawForExport(Image, canvas, Approximated);
  return canvas.Document();
}

void ExportSvg(TFiguresCollection& Image, const std::string& FileName, std::vector<TSvgApproximation>& Approximated) {
  const std::string document = ImageToSvg(Image, Approximated);
  WriteFileAtomically(FileName, {reinterpret_cast<const uint8_t*>(document.data()), document.size()});
}

std::string DescribeApproximations(std::span<const TSvgApproximation> Approximated) {
  if (Approximated.empty()) return {};
  std::string line = "figures drawn in copy mode instead of their raster mode: ";
  for (size_t i = 0; i < Approximated.size(); ++i) {
    const TSvgApproximation& a = Approximated[i];
    if (i > 0) line += ", ";
    line += std::to_string(a.Position) + " (" + a.ClassName + ", " + kModeNames[a.Mode < 16 ? a.Mode : pmCopy] + ')';
  }
  return line;
}
