// Body hit tests of every family: the corner rectangle with its exclusive
// right and bottom edges, radial point clamping, the polyline's focal
// ellipse with its pen-width tolerance and insertion index, the polygon's
// crossing count with open and explicitly closed outlines. Guards against
// off-by-one edges, swapped corners, a wrong insertion index and hit tests
// that fail on degenerate figures.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"

namespace {

template <typename T>
void SetCorners(T& Figure, TPoint A, TPoint B) {
  Figure.SetPoint(0, A);
  Figure.SetPoint(1, B);
}

std::unique_ptr<TFigurePolyLine> MakeLine(std::initializer_list<TPoint> Points, int32_t PenWidth = 0) {
  auto line = std::make_unique<TFigurePolyLine>(nullptr);
  for (const TPoint& p : Points) line->AddPoint(p);
  line->SetPenWidth(PenWidth);
  return line;
}

}  // namespace

TEST(CornerRectangle, LeftAndTopEdgesInsideRightAndBottomOutside) {
  for (bool swapped : {false, true}) {
    SCOPED_TRACE(swapped ? "corners given bottom-right first" : "corners given top-left first");
    TFigureRectangle r(nullptr);
    if (swapped)
      SetCorners(r, {20, 20}, {10, 10});
    else
      SetCorners(r, {10, 10}, {20, 20});
    EXPECT_TRUE(r.IsPointInside({10, 10}));
    EXPECT_TRUE(r.IsPointInside({19, 19}));
    EXPECT_FALSE(r.IsPointInside({20, 15}));
    EXPECT_FALSE(r.IsPointInside({15, 20}));
    EXPECT_FALSE(r.IsPointInside({9, 15}));
    EXPECT_EQ(r.Point(0), swapped ? (TPoint{20, 20}) : (TPoint{10, 10})) << "stored as drawn";
  }
}

TEST(CornerRectangle, SameForEveryShapeOfBothFamiliesIncludingOutsideTheCurve) {
  TFigureEllipse e(nullptr);
  TFigurePie pie(nullptr);
  SetCorners(e, {0, 0}, {100, 50});
  SetCorners(pie, {0, 0}, {100, 50});
  EXPECT_TRUE(e.IsPointInside({1, 1})) << "corner outside the ellipse still hits";
  EXPECT_TRUE(pie.IsPointInside({99, 49}));
  EXPECT_FALSE(pie.IsPointInside({100, 49}));
}

TEST(CornerRectangle, DegenerateFiguresHaveNoInside) {
  TFigureRectangle fresh(nullptr);
  EXPECT_FALSE(fresh.IsPointInside({0, 0}));
  TFigureRoundRect flat(nullptr);
  SetCorners(flat, {10, 5}, {40, 5});
  EXPECT_FALSE(flat.IsPointInside({20, 5}));
}

TEST(RadialPoints, NewRadialPointsAreClampedIntoTheFrameCornersAreNot) {
  TFigurePie pie(nullptr);
  SetCorners(pie, {0, 0}, {100, 50});
  pie.SetPoint(2, {150, -20});
  EXPECT_EQ(pie.Point(2), (TPoint{100, 0}));
  pie.SetPoint(3, {-5, 60});
  EXPECT_EQ(pie.Point(3), (TPoint{0, 50}));
  pie.SetPoint(1, {150, -20});
  EXPECT_EQ(pie.Point(1), (TPoint{150, -20}));
  pie.SetPoint(1, {10, 10});
  EXPECT_EQ(pie.Point(2), (TPoint{100, 0})) << "moving a corner does not pull radial points back";
}

TEST(RadialPoints, IndexBeyondTheFourPointsIsARangeError) {
  TFigureChord chord(nullptr);
  EXPECT_THROW(chord.SetPoint(4, {1, 1}), ERangeError);
}

TEST(PolylineHit, ToleranceGrowsWithThePenWidth) {
  auto thin = MakeLine({{0, 0}, {100, 0}}, 1);
  EXPECT_TRUE(thin->IsPointInside({50, 0}));
  EXPECT_EQ(thin->InsertIndex(), 1);
  EXPECT_FALSE(thin->IsPointInside({50, 3})) << "detour of 0.18 exceeds 0.1";
  EXPECT_EQ(thin->InsertIndex(), -1);
  auto wide = MakeLine({{0, 0}, {100, 0}}, 9);
  EXPECT_TRUE(wide->IsPointInside({50, 3})) << "tolerance 0.5";
}

TEST(PolylineHit, FirstQualifyingSegmentSetsTheInsertionIndex) {
  auto line = MakeLine({{0, 0}, {10, 0}, {10, 10}});
  EXPECT_TRUE(line->IsPointInside({10, 5}));
  EXPECT_EQ(line->InsertIndex(), 2);
  line->InsertPoint(line->InsertIndex(), {10, 5});
  EXPECT_EQ(line->Points(), (TDynPointsArray{{0, 0}, {10, 0}, {10, 5}, {10, 10}}));
  EXPECT_TRUE(line->IsPointInside({10, 0}));
  EXPECT_EQ(line->InsertIndex(), 1) << "a shared vertex belongs to the earlier segment";
}

TEST(PolylineHit, FewerThanTwoPointsNeverHit) {
  TFigurePolyLine line(nullptr);
  EXPECT_FALSE(line.IsPointInside({0, 0}));
  line.AddPoint({0, 0});
  EXPECT_FALSE(line.IsPointInside({0, 0}));
}

TEST(PolylineHit, FarApartCoordinatesDoNotOverflow) {
  auto line = MakeLine({{-2000000000, -2000000000}, {2000000000, 2000000000}});
  EXPECT_TRUE(line->IsPointInside({0, 0}));
  EXPECT_FALSE(line->IsPointInside({0, 100000}));
}

namespace {

std::unique_ptr<TFigurePolygon> MakePolygon(std::initializer_list<TPoint> Points) {
  auto polygon = std::make_unique<TFigurePolygon>(nullptr);
  for (const TPoint& p : Points) polygon->AddPoint(p);
  return polygon;
}

}  // namespace

TEST(PolygonHit, OpenSquareTestsItsClosingEdge) {
  auto square = MakePolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  EXPECT_TRUE(square->IsPointInside({5, 5}));
  EXPECT_EQ(square->InsertIndex(), 2) << "the closing edge never sets the index";
  EXPECT_FALSE(square->IsPointInside({15, 5}));
  EXPECT_TRUE(square->IsPointInside({5, 0})) << "top edge inside";
  EXPECT_FALSE(square->IsPointInside({5, 10})) << "bottom edge outside";
}

TEST(PolygonHit, ExplicitlyClosedSquareAnswersTheSameWithAnotherIndex) {
  auto square = MakePolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
  EXPECT_TRUE(square->IsPointInside({5, 5}));
  EXPECT_EQ(square->InsertIndex(), 4);
  EXPECT_FALSE(square->IsPointInside({15, 5}));
  EXPECT_TRUE(square->IsPointInside({5, 0}));
  EXPECT_FALSE(square->IsPointInside({5, 10}));
}

TEST(PolygonHit, IndexIsNotResetByAMiss) {
  auto square = MakePolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  ASSERT_TRUE(square->IsPointInside({5, 5}));
  EXPECT_FALSE(square->IsPointInside({50, 50}));
  EXPECT_EQ(square->InsertIndex(), 2);
}

TEST(PolygonHit, EvenOddOnBothSidesOfTheConcaveNotch) {
  // A "U": the notch between the arms is outside.
  auto u = MakePolygon({{0, 0}, {10, 0}, {10, 30}, {20, 30}, {20, 0}, {30, 0}, {30, 40}, {0, 40}});
  EXPECT_TRUE(u->IsPointInside({5, 10}));
  EXPECT_FALSE(u->IsPointInside({15, 10}));
  EXPECT_TRUE(u->IsPointInside({25, 10}));
  EXPECT_TRUE(u->IsPointInside({15, 35}));
}

TEST(PolygonHit, DegeneratePolygonsAreNeverHit) {
  TFigurePolygon empty(nullptr);
  EXPECT_FALSE(empty.IsPointInside({0, 0})) << "no points: no hit, no range error";
  auto single = MakePolygon({{5, 5}});
  EXPECT_FALSE(single->IsPointInside({5, 5}));
}

TEST(TextHit, WithoutCanvasNeverHit) {
  TFigureText text(nullptr);
  text.SetText("abc");
  EXPECT_FALSE(text.IsPointInside({0, 0}));
}

TEST(DamagedFigures, FiguresReadWithTooFewPointsAreNeverHit) {
  // Records tie no point count to the class.
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    SCOPED_TRACE(cls->ClassName);
    auto figure = cls->Create(nullptr);
    TMemoryStream record;
    figure->SaveToStream(record);
    std::vector<uint8_t> bytes = record.TakeData();
    const size_t points = size_t(figure->PointsCount());
    bytes.erase(bytes.begin() + 4, bytes.begin() + 4 + std::ptrdiff_t(8 * points));
    bytes[0] = 0;
    TMemoryStream damaged(bytes);
    auto loaded = cls->Create(nullptr);
    loaded->LoadFromStream(damaged);
    ASSERT_EQ(loaded->PointsCount(), 0);
    EXPECT_FALSE(loaded->IsPointInside({0, 0}));
  }
}
