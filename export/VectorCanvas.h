// A canvas that hands vector shapes to a document writer instead of
// setting pixels, with the raster canvas's geometry. Image pixel (x, y) is
// the unit square [x, x + 1) x [y, y + 1) of the user space, so one-pixel
// lines run through the half-integer pixel centres and fills of the classic
// interior rules have integer edges. Where the raster mode of a primitive
// depends on the pixels beneath, vectors cannot follow: the primitive is
// drawn as copy and the canvas notes the mode.
//
// The writers (SVG, PDF) see only filled boxes and paths, strokes, texts
// and pictures, each in one opaque colour or hatch.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/Canvas.h"
#include "document/Collection.h"
#include "export/VectorPath.h"

class TFontCache;
struct TFontEntry;

// The opaque colour a shape is drawn in. Exact: it is what the raster mode
// leaves whatever lies beneath (then Color is that result); else Color is
// the mode's source, shown as copy.
struct TVectorPaint {
  bool Visible = false;
  bool Exact = true;
  uint32_t Color = 0;  // 0x00BBGGRR
};

// A fill: one colour, or that colour in the 8 x 8 hatch cell Cell (a row a
// byte, bit x for column x) repeated from the image origin, its other
// pixels left as they were.
struct TVectorFill {
  uint32_t Color = 0;  // 0x00BBGGRR
  TBrushStyle Style = bsSolid;
  const uint8_t* Cell = nullptr;  // null for a solid fill
};

// A one-pixel pen's pattern: on and off runs, the first one on, of Scale
// user units a pattern pixel each, starting Offset user units into it.
struct TVectorDash {
  std::vector<uint32_t> Runs;
  double Scale = 1;
  double Offset = 0;
};

// A single line of text: its box's top left corner, its baseline, the
// advance the raster measured (which the writers keep), the font as the
// raster made it, the text in Windows-1251, and its colour.
struct TVectorText {
  int64_t X = 0;
  int64_t Baseline = 0;
  int64_t Width = 0;
  const TFontEntry* Font = nullptr;
  std::string_view Text;
  uint32_t Color = 0;  // 0x00BBGGRR
};

class TVectorCanvas : public TCanvas {
 public:
  // A page of Width x Height pixels (negative counts as 0), white as a
  // fresh raster is.
  TVectorCanvas(int32_t Width, int32_t Height);
  ~TVectorCanvas() override;
  TVectorCanvas(const TVectorCanvas&) = delete;
  TVectorCanvas& operator=(const TVectorCanvas&) = delete;

  // The raster mode that the primitives since the previous call could only
  // show as copy, if any; clears it.
  std::optional<TPenMode> TakeApproximation();
  int64_t Width() const { return FWidth; }
  int64_t Height() const { return FHeight; }

 protected:
  // The writer's side. Paths come resolved for the page (VectorPath.h) and
  // are never empty.

  // The box [Left, Right) x [Top, Bottom), within a pixel of the page.
  virtual void PutBox(double Left, double Top, double Right, double Bottom, const TVectorFill& Fill) = 0;
  // The interior of D, by the even-odd rule or the non-zero one. Band, when
  // given, is a centre line whose round-capped stroke of BandWidth the fill
  // keeps out of.
  virtual void PutFill(const TVectorPath& D, bool EvenOdd, const TVectorFill& Fill, const TVectorPath* Band,
                       int64_t BandWidth) = 0;
  // The stroke of D: butt ends for one pixel, round ends and joins wider;
  // dashed when Dash is given.
  virtual void PutStroke(const TVectorPath& D, uint32_t Color, int64_t Width, const TVectorDash* Dash) = 0;
  virtual void PutText(const TVectorText& Text) = 0;
  // Picture: the pixels at Left, Top as the raster stretched them; fully
  // transparent ones are left as they were.
  virtual void PutImage(int64_t Left, int64_t Top, const QImage& Picture) = 0;

  void DoRectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void DoEllipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void DoRoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t W, int32_t H) override;
  void DoChord(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4, int32_t Y4,
               bool IsPie) override;
  void DoPolyline(std::span<const TPoint> Points) override;
  void DoPolygon(std::span<const TPoint> Points) override;
  void DoFillRect(const TRect& R) override;
  void DoTextOut(int32_t X, int32_t Y, std::string_view Text) override;
  TSize DoTextExtent(std::string_view Text) override;
  void DoStretchDraw(const TRect& Dest, const TPixelImage& Picture, std::optional<uint32_t> Transparent) override;

 private:
  // The pen and brush of one primitive, ordinals made valid as the raster
  // canvas makes them.
  struct TShapeState {
    TPenMode Mode = pmCopy;
    TPenStyle PenStyle = psSolid;
    TBrushStyle BrushStyle = bsSolid;
    int64_t PenWidth = 1;  // at least 1; narrowed by an inside-frame box
    TVectorPaint Pen;
    TVectorPaint Brush;
    TVectorPaint Gaps;  // the gaps of styled one-pixel pens
  };
  // A normalised box with right and bottom edges exclusive.
  struct TBox {
    int64_t Left, Top, Right, Bottom;
  };

  // Resolves the pen and brush for a shape.
  void BeginShape();
  // Normalises the box (false when empty) and moves an inside-frame pen in.
  bool PrepareBox(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TBox& Box);
  TVectorPaint Resolve(TPenMode Mode, TColor Color) const;
  // The page and the margin the current pen may reach into.
  TVectorView View() const;

  // The interior of D in the brush. WideBand: the path of the wide pen's
  // centre line, which the fill keeps out of when the pen's mode leaves its
  // pixels alone.
  void FillPath(const TVectorPath& D, bool EvenOdd, const TVectorPath& WideBand);
  void FillBox(int64_t Left, int64_t Top, int64_t Right, int64_t Bottom, const TVectorPaint& Paint,
               TBrushStyle Style);
  // The pen along the pixel path Points, as the raster's line model lights
  // it.
  void StrokePoints(std::span<const TPoint> Points, bool Closed);
  // The centre line of the wide pen's discs along Points.
  TVectorPath WidePath(std::span<const TPoint> Points, bool Closed) const;
  // Adds to Length and Pixels a curve's length in user units and in pixels
  // of its one-pixel outline; asked for by styled pens alone, which spread
  // their pattern over it.
  using TCurveLengths = std::function<void(double& Length, double& Pixels)>;
  // The pen along a curve: Thin runs through the pixel centres of the
  // one-pixel outline (Wide, the same shifted for the wide pen's round
  // discs).
  void StrokeCurve(const TVectorPath& Thin, const TVectorPath& Wide, const TCurveLengths& Lengths);
  // A styled one-pixel stroke of D, whose pattern position at its start is
  // Phase pattern pixels and whose user units per pattern pixel are Scale.
  void StrokeStyled(const TVectorPath& D, double Phase, double Scale);
  void Stroke(const TVectorPath& D, const TVectorPaint& Paint, int64_t Width, const TVectorDash* Dash = nullptr);
  void DrawCurveBox(const TBox& Box, int64_t CornerW, int64_t CornerH);

  // Notes the mode when Paint shows only approximately.
  void Use(const TVectorPaint& Paint);

  int64_t FWidth;
  int64_t FHeight;
  TShapeState FShape;
  std::optional<TPenMode> FApproximation;
  std::unique_ptr<TFontCache> FFonts;
};

// A figure drawn in copy mode because its raster mode depends on the pixels
// beneath, which vectors cannot express.
struct TVectorApproximation {
  int32_t Position = 0;  // in the drawing order, 0 at the bottom
  std::string ClassName;
  TPenMode Mode = pmCopy;
};

// Draws the image on Canvas as RenderImage draws it on a raster: the
// background, then every figure bottom to top, no selection markers.
// Appends the figures drawn only approximately to Approximated.
void DrawForExport(TFiguresCollection& Image, TVectorCanvas& Canvas, std::vector<TVectorApproximation>& Approximated);

// One line naming the approximated figures, without the line end; empty
// when there are none.
std::string DescribeApproximations(std::span<const TVectorApproximation> Approximated);
