// The vector canvas writing a one-page PDF: paths filled and stroked in
// device RGB, hatches as uncoloured tiling patterns, fills kept out of a wide pen's
// band by a soft mask, texts in embedded fonts (PdfFonts.h), pictures as
// images with their transparency as a mask.
#pragma once

#include <cstdint>
#include <future>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "export/PdfDocument.h"
#include "export/PdfFonts.h"
#include "export/VectorCanvas.h"

class QGlyphRun;

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

class TPdfCanvas : public TVectorCanvas {
 public:
  TPdfCanvas(int32_t Width, int32_t Height);

  // The finished document: the drawing on one page as Placement puts it,
  // cut to the image's rectangle.
  std::vector<uint8_t> Document(const TPdfPlacement& Placement);

 protected:
  void PutBox(double Left, double Top, double Right, double Bottom, const TVectorFill& Fill) override;
  void PutFill(const TVectorPath& D, bool EvenOdd, const TVectorFill& Fill, const TVectorPath* Band,
               int64_t BandWidth) override;
  void PutStroke(const TVectorPath& D, uint32_t Color, int64_t Width, const TVectorDash* Dash) override;
  void PutText(const TVectorText& Text) override;
  void PutImage(int64_t Left, int64_t Top, const QImage& Picture) override;

 private:
  // The graphics state the content stream has set, so that each operator
  // is written only when its value changes.
  struct TState {
    int64_t Fill = -1;    // the colour, with the hatch style above it
    int64_t Stroke = -1;  // the colour
    int64_t Width = 1;
    std::string Dash;  // the operator; empty for a solid line
  };
  // Hands the content written so far to a compressing thread once it is
  // long, so that compression runs beside the drawing.
  void FlushContent(size_t AtLeast);
  void SetFill(const TVectorFill& Fill);
  void SetStroke(uint32_t Color, int64_t Width, const TVectorDash* Dash);
  void AppendPath(const TVectorPath& D);
  // Glyphs of faces that cannot be embedded, filled as outlines.
  void AppendOutlines(const QGlyphRun& Run, double X, double Y);
  // Text whose glyphs were drawn as outlines, kept for readers to select
  // and search: in an embeddable face, invisible, over Width pixels.
  void AppendInvisibleText(const QString& Text, double X, double Baseline, double Width, int Size);
  // The soft mask keeping a fill out of Band's stroke; its resource name.
  std::string BandMask(const TVectorPath& Band, int64_t Width);
  std::string PatternsResource(const TPdfPlacement& Placement);

  TPdfDocument FDocument;
  TPdfFonts FFonts;
  std::string FContent;
  // The content's earlier parts, compressed or being compressed, in order.
  std::vector<std::future<std::vector<uint8_t>>> FContentParts;
  TState FState;
  // Hatch patterns by style: resource names and cells.
  std::map<TBrushStyle, std::pair<std::string, const uint8_t*>> FPatterns;
  std::string FImages;  // /XObject resource entries
  std::string FMasks;   // /ExtGState resource entries
  int FImageCount = 0;
  int FMaskCount = 0;
};
