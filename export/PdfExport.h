// The image written as a one-page PDF: the SVG export's geometry drawn by
// the PDF canvas. The figures stay vector paths, hatches tiling patterns,
// texts real text in embedded (subset) fonts, pictures images at their
// pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/Collection.h"
#include "export/PdfCanvas.h"

// The page of the image's own size: 1/96 inch a pixel.
TPdfPlacement NaturalPlacement(int32_t Width, int32_t Height);

// A drawing of Width x Height pixels on a page of PageWidth x PageHeight
// points, centred in the part within the margins (points): at 1/96 inch a
// pixel, or, with FitToPage, as large as that part holds it whole.
struct TPageMargins {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
};
TPdfPlacement PagePlacement(double PageWidth, double PageHeight, const TPageMargins& Margins, int32_t Width,
                            int32_t Height, bool FitToPage);

// The image as ImageToSvg draws it, on one page as Placement puts it (by
// default a page of its own size). Appends the figures drawn only
// approximately to Approximated. Needs a QGuiApplication when the image
// holds text.
std::vector<uint8_t> ImageToPdf(TFiguresCollection& Image, std::vector<TVectorApproximation>& Approximated);
std::vector<uint8_t> ImageToPdf(TFiguresCollection& Image, std::vector<TVectorApproximation>& Approximated,
                                const TPdfPlacement& Placement);

// ImageToPdf written with WriteFileAtomically.
void ExportPdf(TFiguresCollection& Image, const std::string& FileName, std::vector<TVectorApproximation>& Approximated);
