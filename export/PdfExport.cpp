#include "export/PdfExport.h"

#include <algorithm>

#include "figures/Streams.h"

TPdfPlacement NaturalPlacement(int32_t Width, int32_t Height) {
  TPdfPlacement placement;
  placement.PageWidth = Width * placement.Scale;
  placement.PageHeight = Height * placement.Scale;
  return placement;
}

TPdfPlacement PagePlacement(double PageWidth, double PageHeight, const TPageMargins& Margins, int32_t Width,
                            int32_t Height, bool FitToPage) {
  TPdfPlacement placement;
  placement.PageWidth = PageWidth;
  placement.PageHeight = PageHeight;
  const double areaWidth = std::max(PageWidth - Margins.Left - Margins.Right, 0.0);
  const double areaHeight = std::max(PageHeight - Margins.Top - Margins.Bottom, 0.0);
  if (FitToPage && Width > 0 && Height > 0) placement.Scale = std::min(areaWidth / Width, areaHeight / Height);
  placement.Left = Margins.Left + (areaWidth - Width * placement.Scale) / 2;
  placement.Top = Margins.Top + (areaHeight - Height * placement.Scale) / 2;
  return placement;
}

std::vector<uint8_t> ImageToPdf(TFiguresCollection& Image, std::vector<TVectorApproximation>& Approximated) {
  const TRect& r = Image.ImageRect();
  return ImageToPdf(Image, Approximated, NaturalPlacement(r.Right, r.Bottom));
}

std::vector<uint8_t> ImageToPdf(TFiguresCollection& Image, std::vector<TVectorApproximation>& Approximated,
                                const TPdfPlacement& Placement) {
  const TRect& r = Image.ImageRect();
  TPdfCanvas canvas(r.Right, r.Bottom);
  DrawForExport(Image, canvas, Approximated);
  return canvas.Document(Placement);
}

void ExportPdf(TFiguresCollection& Image, const std::string& FileName, std::vector<TVectorApproximation>& Approximated) {
  WriteFileAtomically(FileName, ImageToPdf(Image, Approximated));
}
