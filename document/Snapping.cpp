#include "document/Snapping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "document/Collection.h"

namespace {

// The nearest multiple of Step to Value, halves away from zero.
int64_t NearestGridLine(int64_t Value, int32_t Step) {
  const int64_t below = (Value >= 0 ? Value : Value - Step + 1) / Step * Step;
  return Value - below >= Step - (Value - below) ? below + Step : below;
}

// Keeps the nearest of the candidates offered, ties going to the first.
class TNearest {
 public:
  TNearest(int32_t Along, double Tolerance) : FAlong(Along), FTolerance(Tolerance) {}
  void Offer(int64_t Line) {
    const double distance = std::fabs(double(Line - FAlong));
    if (distance > FTolerance || (FBest && distance >= FDistance)) return;
    FBest = int32_t(Line);
    FDistance = distance;
  }
  std::optional<int32_t> Best() const { return FBest; }

 private:
  int32_t FAlong;
  double FTolerance;
  std::optional<int32_t> FBest;
  double FDistance = 0;
};

}  // namespace

TSnapTargets::TSnapTargets(const TFiguresCollection& Image, const TBasicFigure* Moving, int32_t GridStep)
    : FWidth(Image.ImageRect().Right), FHeight(Image.ImageRect().Bottom), FGridStep(GridStep > 0 ? GridStep : 0) {
  for (const TBasicFigure* figure : Image.Figures()) {
    if (figure == Moving || figure->PointsCount() == 0) continue;
    const TRect box = figure->Bounds();
    const auto last = [](int32_t First, int32_t End) { return int32_t(std::max<int64_t>(First, int64_t(End) - 1)); };
    FBoxes.push_back({box.Left, box.Top, last(box.Left, box.Right), last(box.Top, box.Bottom)});
    for (const TPoint& p : figure->Points()) FPoints.push_back(p);
  }
}

std::optional<int32_t> TSnapTargets::SnapAxis(int32_t Along, int32_t Across, double Tolerance, bool OnX) const {
  TNearest nearest(Along, Tolerance);
  // A figure's own points first: of equally near lines, the one a figure
  // has wins over the grid's.
  for (const TPoint& p : FPoints) {
    if (std::fabs(double(int64_t(OnX ? p.y : p.x) - Across)) <= Tolerance) nearest.Offer(OnX ? p.x : p.y);
  }
  for (const TRect& box : FBoxes) {
    const int32_t from = OnX ? box.Top : box.Left;
    const int32_t to = OnX ? box.Bottom : box.Right;
    if (Across < from - Tolerance || Across > to + Tolerance) continue;
    nearest.Offer(OnX ? box.Left : box.Top);
    nearest.Offer(OnX ? box.Right : box.Bottom);
  }
  if (FGridStep > 0) nearest.Offer(NearestGridLine(Along, FGridStep));
  nearest.Offer(0);
  nearest.Offer(OnX ? FWidth : FHeight);
  return nearest.Best();
}

TSnapResult TSnapTargets::Snap(const TPoint& P, double Tolerance) const {
  TSnapResult result{P, {}};
  result.Guides.X = SnapAxis(P.x, P.y, Tolerance, true);
  result.Guides.Y = SnapAxis(P.y, P.x, Tolerance, false);
  if (result.Guides.X) result.Point.x = *result.Guides.X;
  if (result.Guides.Y) result.Point.y = *result.Guides.Y;
  return result;
}
