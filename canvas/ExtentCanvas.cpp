#include "canvas/ExtentCanvas.h"

#include <algorithm>
#include <utility>

namespace {

// One pixel beyond what a primitive is meant to cover, for the rounding of
// the scan conversion.
constexpr int64_t kRoundingMargin = 1;

}  // namespace

void TExtentCanvas::Reset() {
  FLeft = FTop = std::numeric_limits<int64_t>::max();
  FRight = FBottom = std::numeric_limits<int64_t>::min();
}

TRect TExtentCanvas::Extent(const TRect& Clip) const {
  const int64_t left = std::max<int64_t>(FLeft, Clip.Left);
  const int64_t top = std::max<int64_t>(FTop, Clip.Top);
  // Inclusive bounds to exclusive edges.
  const int64_t right = std::min<int64_t>(FRight, int64_t(Clip.Right) - 1) + 1;
  const int64_t bottom = std::min<int64_t>(FBottom, int64_t(Clip.Bottom) - 1) + 1;
  if (left >= right || top >= bottom) return {};
  return {int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)};
}

void TExtentCanvas::IncludeCorners(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int64_t Margin) {
  FLeft = std::min(FLeft, std::min(X1, X2) - Margin);
  FTop = std::min(FTop, std::min(Y1, Y2) - Margin);
  FRight = std::max(FRight, std::max(X1, X2) + Margin);
  FBottom = std::max(FBottom, std::max(Y1, Y2) + Margin);
}

void TExtentCanvas::IncludePoints(std::span<const TPoint> Points) {
  const int64_t reach = PenReach();
  for (const TPoint& p : Points) IncludeCorners(p.x, p.y, p.x, p.y, reach);
}

// A pen of width W (at least one pixel) paints up to W / 2 + 1 pixels on
// either side of its path, round ends included.
int64_t TExtentCanvas::PenReach() const { return std::max<int64_t>(Pen.Width, 1) / 2 + 1 + kRoundingMargin; }

void TExtentCanvas::DoRectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  IncludeCorners(X1, Y1, X2, Y2, PenReach());
}

void TExtentCanvas::DoEllipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  IncludeCorners(X1, Y1, X2, Y2, PenReach());
}

void TExtentCanvas::DoRoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t, int32_t) {
  IncludeCorners(X1, Y1, X2, Y2, PenReach());
}

// The radial points only choose directions: everything drawn lies on or
// inside the ellipse of the box.
void TExtentCanvas::DoChord(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t, int32_t, int32_t, int32_t,
                            bool) {
  IncludeCorners(X1, Y1, X2, Y2, PenReach());
}

void TExtentCanvas::DoPolyline(std::span<const TPoint> Points) { IncludePoints(Points); }

void TExtentCanvas::DoPolygon(std::span<const TPoint> Points) { IncludePoints(Points); }

void TExtentCanvas::DoFillRect(const TRect& R) { IncludeCorners(R.Left, R.Top, R.Right, R.Bottom, kRoundingMargin); }

// The background box is the text's extent from (X, Y); glyphs of slanted,
// heavy or accented faces may overhang it, never by more than a cell.
void TExtentCanvas::DoTextOut(int32_t X, int32_t Y, std::string_view Text) {
  const TSize size = DoTextExtent(Text);
  const int64_t overhang = std::max<int64_t>(size.cy, 0) + 2;
  IncludeCorners(X, Y, int64_t(X) + std::max<int64_t>(size.cx, 0), int64_t(Y) + std::max<int64_t>(size.cy, 0),
                 overhang);
}

TSize TExtentCanvas::DoTextExtent(std::string_view Text) {
  TFont held = std::exchange(FMeasure.Font, Font);
  const TSize size = FMeasure.TextExtent(Text);
  FMeasure.Font = std::move(held);
  return size;
}

// A negative extent mirrors: the destination covers Right + 1 .. Left.
void TExtentCanvas::DoStretchDraw(const TRect& Dest, const TPixelImage&, std::optional<uint32_t>) {
  IncludeCorners(Dest.Left, Dest.Top, Dest.Right, Dest.Bottom, kRoundingMargin);
}
