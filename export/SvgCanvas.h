// A canvas that writes SVG 1.1 elements instead of pixels, with the raster
// canvas's geometry. Image pixel (x, y) is the unit square [x, x + 1) x
// [y, y + 1) of the SVG user space, so one-pixel lines run through the
// half-integer pixel centres and fills of the classic interior rules have
// integer edges. Where the raster mode of a primitive depends on the pixels
// beneath, SVG cannot follow: the primitive is drawn as copy and the canvas
// notes the mode.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "canvas/Canvas.h"
#include "export/SvgPath.h"

class TFontCache;

class TSvgCanvas : public TCanvas {
 public:
  // A page of Width x Height pixels (negative counts as 0), white as a
  // fresh raster is.
  TSvgCanvas(int32_t Width, int32_t Height);
  ~TSvgCanvas() override;
  TSvgCanvas(const TSvgCanvas&) = delete;
  TSvgCanvas& operator=(const TSvgCanvas&) = delete;

  // The raster mode that the primitives since the previous call could only
  // show as copy, if any; clears it.
  std::optional<TPenMode> TakeApproximation();
  // The finished document, UTF-8.
  std::string Document() const;

 protected:
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
  // A colour as the raster mode leaves it: Visible unless the mode keeps
  // every pixel as it was; Exact when the result does not depend on the
  // pixels beneath (then Color is that result), else Color is the source.
  struct TPaint {
    bool Visible = false;
    bool Exact = true;
    uint32_t Color = 0;  // 0x00BBGGRR
  };
  // The pen and brush of one primitive, ordinals made valid as the raster
  // canvas makes them.
  struct TShapeState {
    TPenMode Mode = pmCopy;
    TPenStyle PenStyle = psSolid;
    TBrushStyle BrushStyle = bsSolid;
    int64_t PenWidth = 1;  // at least 1; narrowed by an inside-frame box
    TPaint Pen;
    TPaint Brush;
    TPaint Gaps;  // the gaps of styled one-pixel pens
  };
  // A normalised box with right and bottom edges exclusive.
  struct TBox {
    int64_t Left, Top, Right, Bottom;
  };

  // Resolves the pen and brush for a shape.
  void BeginShape();
  // Normalises the box (false when empty) and moves an inside-frame pen in.
  bool PrepareBox(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TBox& Box);
  TPaint Resolve(TPenMode Mode, TColor Color) const;
  // The page and the margin the current pen may reach into.
  TSvgView View() const;

  // The interior of D (path data) in the brush. WideBand: the path of the
  // wide pen's centre line, which the fill keeps out of when the pen's mode
  // leaves its pixels alone.
  void FillPath(const std::string& D, bool EvenOdd, const std::string& WideBand);
  void FillBox(int64_t Left, int64_t Top, int64_t Right, int64_t Bottom, const TPaint& Paint, TBrushStyle Style);
  // The pen along the pixel path Points, as the raster's line model lights
  // it.
  void StrokePoints(std::span<const TPoint> Points, bool Closed);
  // The centre line of the wide pen's discs along Points.
  std::string WidePath(std::span<const TPoint> Points, bool Closed) const;
  // Adds to Length and Pixels a curve's length in user units and in pixels
  // of its one-pixel outline; asked for by styled pens alone, which spread
  // their pattern over it.
  using TCurveLengths = std::function<void(double& Length, double& Pixels)>;
  // The pen along a curve: Thin runs through the pixel centres of the
  // one-pixel outline (Wide, the same shifted for the wide pen's round
  // discs).
  void StrokeCurve(const std::string& Thin, const std::string& Wide, const TCurveLengths& Lengths);
  // A styled one-pixel stroke of D, whose pattern position at its start is
  // Phase pattern pixels and whose user units per pattern pixel are Scale.
  void StrokeStyled(const std::string& D, double Phase, double Scale);
  void DrawCurveBox(const TBox& Box, int64_t CornerW, int64_t CornerH);

  void Append(const std::string& Element);
  std::string FillAttribute(const TPaint& Paint, TBrushStyle Style);
  // The path data of a hatch style's cell, made once per style.
  const std::string& CellPaths(TBrushStyle Style, const uint8_t* Cell);
  std::string StrokeAttributes(const TPaint& Paint, int64_t Width) const;
  // Notes the mode when Paint shows only approximately.
  void Use(const TPaint& Paint);

  int64_t FWidth;
  int64_t FHeight;
  TShapeState FShape;
  std::optional<TPenMode> FApproximation;
  std::string FBody;
  int FMasks = 0;
  // Hatch patterns defined so far, by style and colour.
  std::map<std::pair<TBrushStyle, uint32_t>, std::string> FHatches;
  std::map<TBrushStyle, std::string> FCellPaths;
  std::unique_ptr<TFontCache> FFonts;
};
