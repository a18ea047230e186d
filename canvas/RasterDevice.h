// The raster layer beneath TRasterCanvas: a device context in the classic
// model over a 32-bit surface. Unlike the canvas, it keeps the background
// mode and colour apart from the brush, so it can replay any classic call.
// Internal to canvas/; the canvas drives it and the tests replay through it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "canvas/RasterCurves.h"
#include "canvas/RasterScan.h"
#include "canvas/RasterSurface.h"

// Colours here are pixel values 0x00RRGGBB; ordinals must be valid.
// The widest members first: a batch keeps one state per primitive.
struct TDeviceState {
  int64_t PenWidth = 1;  // 0 and 1 draw the one-pixel pen
  uint32_t PenColor = 0x000000;
  uint32_t BrushColor = 0xFFFFFF;
  uint32_t BackColor = 0xFFFFFF;
  TPenStyle PenStyle = psSolid;
  TBrushStyle BrushStyle = bsSolid;  // bsClear: no fill
  TPenMode Mode = pmCopy;
  bool OpaqueBack = true;  // background behind hatches and pen gaps
};

enum class TArcKind : uint8_t { Arc, Chord, Pie };

// Whether the brush of State, painting in Mode, gives every pixel it paints
// a value that does not depend on the pixel beneath (a solid brush or an
// opaque hatch in copy and the like).
bool BrushSetsEveryPixel(const TDeviceState& State, TPenMode Mode);

class TRasterDevice {
 public:
  TDeviceState State;

  void Attach(const TSurface& Surface) { FSurface = Surface; }

  // Pen outline, brush interior; corners in either order, right and bottom
  // edges exclusive.
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t CornerW, int32_t CornerH);
  // The ellipse in the box cut by the rays from its centre through
  // (X3, Y3) and (X4, Y4), counter-clockwise; an Arc is the outline alone.
  void Arc(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4, int32_t Y4,
           TArcKind Kind);
  void Polyline(std::span<const TPoint> Points);
  // Closed; even-odd interior.
  void Polygon(std::span<const TPoint> Points);
  // Brush alone in copy mode, whatever State.Mode says: [Left, Right) x
  // [Top, Bottom); a reversed pair of edges covers (Right, Left] (or
  // (Bottom, Top]) as a negative extent does.
  void FillRect(const TRect& R);
  // Copies the source rectangle (XS, YS, WS, HS) of Source into the
  // destination rectangle (XD, YD, WD, HD), either extent negative to
  // mirror (a negative extent covers X + W + 1 .. X). Enlarging repeats
  // pixels; shrinking ANDs the pixels that fall together. Source pixels
  // outside the picture leave the destination alone, and so does a result
  // equal to Transparent (0x00RRGGBB).
  void StretchBlt(int64_t XD, int64_t YD, int64_t WD, int64_t HD, const TPixelImage& Source, int64_t XS, int64_t YS,
                  int64_t WS, int64_t HS, std::optional<uint32_t> Transparent);

 private:
  struct TRectFill;
  struct TRowsFill;
  struct TPolygonFill;

  // The brush fills the interior Fill (nothing when null), then the pen
  // draws Path.
  template <class TFill>
  void DrawShape(TFill* Fill, std::span<const TPoint> Path, bool Closed);
  // The pen alone along Path.
  void DrawOutline(std::span<const TPoint> Path, bool Closed);
  template <class TFill>
  void FillRows(TFill& Fill, const TBrushPaint& Brush);
  template <class TFill>
  void FillWithWidePen(TFill* Fill, const TBrushPaint& Brush, std::span<const TPoint> Path, bool Closed);
  void DrawCurve(const TCurveBox& Box);
  // Resets the pen width of one primitive (an inside-frame pen may narrow it).
  void BeginPrimitive();
  // Normalises the box (false when empty) and moves an inside-frame pen in.
  bool PrepareBox(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TCurveBox& Box);
  bool HasPen() const { return State.PenStyle != psClear; }
  TBrushPaint BrushPaint(TPenMode Mode) const;
  TPenPaint PenPaint() const;
  TViewport Viewport() const;
  // The round end of the current pen, as rows for TWidePenScan (empty for
  // pens too wide for a table).
  std::span<const TSpan> PenDisc();

  TSurface FSurface;
  int64_t FPenWidth = 1;
  TCurveChain FChain;
  TPolygonScan FPolygon;
  TWidePenScan FWide;
  std::vector<TPoint> FPath;
  std::vector<TSpan> FRows;
  TSpanList FFillSpans;
  TSpanList FPenSpans;
  TSpanList FPaintSpans;
  std::vector<TSpan> FColumns;
  // The round ends of the pen widths used lately.
  struct TPenDisc {
    int64_t Width;
    std::vector<TSpan> Rows;
  };
  std::vector<TPenDisc> FDiscs;
};
