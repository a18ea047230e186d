// Outlines of ellipses and rounded rectangles as chains of pixel positions,
// and the arcs of chords and pies cut out of them. Internal to canvas/.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/RasterSurface.h"

// A point of a quarter ellipse, whose box may exceed the 32-bit range.
struct TOffset64 {
  int64_t X = 0;
  int64_t Y = 0;
};

// A normalised box (Left < Right, Top < Bottom; right and bottom exclusive)
// whose corners are quarter ellipses CornerW x CornerH pixels, each between
// 1 and the box's size. An ellipse is the box whose corners span it.
struct TCurveBox {
  int64_t Left = 0;
  int64_t Top = 0;
  int64_t Right = 0;
  int64_t Bottom = 0;
  int64_t CornerW = 1;
  int64_t CornerH = 1;
};

// Columns and rows of the surface plus a margin; a curve is traced pixel
// by pixel only where it comes near them.
struct TViewport {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
};

// The closed outline of a TCurveBox: four copies of one quarter of the
// corner ellipse, mirrored into the corners and listed counter-clockwise on
// screen, starting at the right end of the upper half. The quarter is traced
// pixel by pixel with the integer midpoint method, so consecutive positions
// along a corner are neighbouring pixels and straight runs join the corners;
// a corner ellipse larger than the exact limit (4096 pixels) is traced that
// finely only near the viewport.
class TCurveChain {
 public:
  void Build(const TCurveBox& Box, const TViewport& View);

  std::span<const TPoint> Points() const { return FPoints; }
  // The arc from the ray through Start to the ray through End, counter-
  // clockwise; both rays leave the centre (Left + W / 2, Top + H / 2). A
  // point at the centre counts as angle 0; equal rays give the whole chain.
  // Appends the positions of the arc to Out; an ellipse traced only near
  // the viewport also gets the points where the rays cross it.
  void AppendArc(TPoint Start, TPoint End, std::vector<TPoint>& Out) const;
  TPoint Centre() const { return FCentre; }
  // For rows [Top, Top + Rows.size()), widens Rows[y - Top] to hold the
  // pixels the closed outline lights on row y, as AccumulatePathRows does
  // with Points(), but from the quarter alone; false, leaving Rows alone,
  // for an outline not traced pixel by pixel.
  bool AccumulateRows(int64_t Top, std::vector<TSpan>& Rows) const;

 private:
  // Position of the first chain point at or past the ray's angle.
  size_t FindRay(int64_t Rx, int64_t Ry) const;

  // The point of the ellipse in the direction (Rx, Ry), y up.
  TPoint Crossing(int64_t Rx, int64_t Ry) const;

  std::vector<TOffset64> FQuarter;  // relative to the corner ellipse's centre
  std::vector<TPoint> FPoints;
  TPoint FCentre;
  TCurveBox FBox;
  bool FExact = true;
};
