// Snapping: where a point being placed or dragged lands when it is near
// something to align with. Each axis snaps on its own to the nearest line
// within the tolerance: a grid line, an image edge, an edge of another
// figure's box beside which the point lies, or a control point of another
// figure near which it lies (that point then usually takes both axes).
// Snapping decides where points go, never how a figure is drawn.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "canvas/Canvas.h"

class TBasicFigure;
class TFiguresCollection;

// The lines a snapped point lies on, image pixel coordinates: X a vertical
// line, Y a horizontal one; none where that axis did not snap.
struct TSnapGuides {
  std::optional<int32_t> X;
  std::optional<int32_t> Y;
  friend bool operator==(const TSnapGuides&, const TSnapGuides&) = default;
};

struct TSnapResult {
  TPoint Point;
  TSnapGuides Guides;
};

// What points may snap to, gathered once when a drag starts, so that each
// mouse step costs a pass over plain boxes and points, not over figures.
class TSnapTargets {
 public:
  // Every figure of Image but Moving (the figure the drag changes, which
  // must not snap to itself), the image's edges, and the grid of GridStep
  // image pixels (0: none).
  TSnapTargets(const TFiguresCollection& Image, const TBasicFigure* Moving, int32_t GridStep);

  // P snapped on each axis to the nearest line no further than Tolerance
  // image pixels; an axis with none stays as it is.
  TSnapResult Snap(const TPoint& P, double Tolerance) const;

 private:
  // The line P snaps to on one axis (OnX: the x axis): Along is P's
  // coordinate on that axis, Across its coordinate on the other.
  std::optional<int32_t> SnapAxis(int32_t Along, int32_t Across, double Tolerance, bool OnX) const;

  // Boxes as their outermost pixels (right and bottom inclusive).
  std::vector<TRect> FBoxes;
  std::vector<TPoint> FPoints;
  int32_t FWidth;
  int32_t FHeight;
  int32_t FGridStep;
};

// The grid step's range and default, image pixels.
inline constexpr int32_t MinGridStep = 2;
inline constexpr int32_t MaxGridStep = 200;
inline constexpr int32_t DefaultGridStep = 10;
// How near, in screen pixels, a point must come to snap.
inline constexpr double SnapDistance = 6;
