// The image written as a one-page PDF: the SVG export's drawing put on a
// PDF page by librsvg and cairo, so both share every rule of geometry. The
// figures stay vector paths, hatches tiling patterns, texts real text in
// embedded (subset) fonts, pictures images at their pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/Collection.h"
#include "export/SvgExport.h"

// Image pixels per inch on paper; a PDF point is 1/72 inch.
constexpr double PixelsPerInch = 96;

// Where a drawing of Width x Height pixels lands on a page, in points from
// the page's top left corner: its top left corner and its scale (points per
// pixel).
struct TPdfPlacement {
  double PageWidth = 0;
  double PageHeight = 0;
  double Left = 0;
  double Top = 0;
  double Scale = 72 / PixelsPerInch;
};

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

// The SVG document Svg (of Width x Height user units) drawn on one page as
// Placement puts it. EKrestaError with librsvg's or cairo's reason when the
// document cannot be drawn; EOutOfMemory when the result cannot be held.
std::vector<uint8_t> SvgToPdf(const std::string& Svg, int32_t Width, int32_t Height, const TPdfPlacement& Placement);

// The image as ImageToSvg draws it, on a page of its own size. Appends the
// figures drawn only approximately to Approximated. Needs a
// QGuiApplication when the image holds text.
std::vector<uint8_t> ImageToPdf(TFiguresCollection& Image, std::vector<TSvgApproximation>& Approximated);

// ImageToPdf written with WriteFileAtomically.
void ExportPdf(TFiguresCollection& Image, const std::string& FileName, std::vector<TSvgApproximation>& Approximated);
