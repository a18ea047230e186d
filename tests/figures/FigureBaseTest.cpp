// The figure base: defaults, point access and editing, change notices and
// their suppression (also by the update guard), control-point hit tests,
// translation, dragging one point, destruction notices. Guards against wrong
// defaults, notices sent when they must not be (or missed), off-by-one
// tolerances and points changed by refused operations.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "canvas/IdleCanvas.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"

namespace {

// Counts the change notices a figure sends.
struct TChangeCounter {
  int Count = 0;
  TBasicFigure* LastSender = nullptr;
  void Attach(TBasicFigure& Figure) {
    Figure.OnChange = [this](TBasicFigure* Sender) {
      ++Count;
      LastSender = Sender;
    };
  }
};

// A polyline whose notices are live and counted.
struct LiveLine : ::testing::Test {
  TFigurePolyLine Line{nullptr};
  TChangeCounter Changes;
  void SetUp() override {
    Changes.Attach(Line);
    Line.SetUpdating(false);
  }
};

std::unique_ptr<TBasicFigure> Create(const TFigureClass& Class) { return Class.Create(nullptr); }

}  // namespace

TEST(FigureDefaults, EveryClassStartsWithTheSameLineAttributes) {
  for (const TFigureClass* cls : {&TFigurePolyLine::Class, &TFigureRectangle::Class, &TFigurePolygon::Class,
                                  &TFigureRoundRect::Class, &TFigureEllipse::Class, &TFigureChord::Class,
                                  &TFigurePie::Class, &TFigureText::Class, &TFigureBitmap::Class}) {
    SCOPED_TRACE(cls->ClassName);
    const auto f = Create(*cls);
    EXPECT_STREQ(f->ClassName(), cls->ClassName);
    EXPECT_EQ(f->PenMode(), pmCopy);
    EXPECT_EQ(f->PenStyle(), psSolid);
    EXPECT_EQ(f->PenWidth(), 0);
    EXPECT_EQ(f->PenColor(), 0u);
    EXPECT_EQ(f->Angle(), 0);
    EXPECT_EQ(f->Scale(), 0);
    EXPECT_TRUE(f->Visible());
    EXPECT_TRUE(f->Updating());
    EXPECT_EQ(f->SelectedPointIndex(), -1);
    EXPECT_EQ(f->Canvas(), nullptr);
  }
}

TEST(FigureDefaults, PointCountsPerFamily) {
  EXPECT_EQ(Create(TFigurePolyLine::Class)->PointsCount(), 0);
  EXPECT_EQ(Create(TFigurePolygon::Class)->PointsCount(), 0);
  EXPECT_EQ(Create(TFigureText::Class)->PointsCount(), 1);
  for (const TFigureClass* cls : {&TFigureRectangle::Class, &TFigureRoundRect::Class, &TFigureEllipse::Class,
                                  &TFigureBitmap::Class})
    EXPECT_EQ(Create(*cls)->Points(), (TDynPointsArray{{0, 0}, {0, 0}})) << cls->ClassName;
  for (const TFigureClass* cls : {&TFigureChord::Class, &TFigurePie::Class})
    EXPECT_EQ(Create(*cls)->Points(), (TDynPointsArray{{0, 0}, {0, 0}, {0, 0}, {0, 0}})) << cls->ClassName;
}

TEST(FigureNotices, SuppressedFromConstructionUntilUpdatingIsCleared) {
  TFigureRectangle r(nullptr);
  TChangeCounter changes;
  changes.Attach(r);
  r.SetPenColor(0x0000FF);
  r.SetPoint(1, {5, 5});
  EXPECT_EQ(changes.Count, 0);
  r.SetUpdating(false);
  EXPECT_EQ(changes.Count, 0) << "SetUpdating never notifies";
  r.SetPenColor(0x00FF00);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(changes.LastSender, &r);
  r.SetUpdating(true);
  r.SetPenColor(0xFF0000);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(r.PenColor(), 0xFF0000u);
}

TEST_F(LiveLine, UpdateGuardHoldsNoticesBackAndRestoresWithoutANotice) {
  {
    const TFigureUpdate update(Line);
    Line.SetPenColor(5);
    Line.AddPoint({1, 1});
    { const TFigureUpdate nested(Line); }
    EXPECT_EQ(Line.Updating(), true) << "a nested guard restores the outer guard's state";
  }
  EXPECT_EQ(Changes.Count, 0) << "neither the edits nor the end of the guard notify";
  EXPECT_EQ(Line.Updating(), false);
  Line.SetPenColor(6);
  EXPECT_EQ(Changes.Count, 1);
  Line.SetUpdating(true);
  { const TFigureUpdate update(Line); }
  EXPECT_EQ(Line.Updating(), true) << "a figure updating before stays so";
}

TEST_F(LiveLine, AttributeSettersNotifyOnlyOnARealChange) {
  Line.SetPenColor(0);
  Line.SetPenWidth(0);
  Line.SetPenMode(pmCopy);
  Line.SetPenStyle(psSolid);
  Line.SetAngle(0);
  Line.SetScale(0);
  Line.SetVisible(true);
  Line.SetCanvas(nullptr);
  EXPECT_EQ(Changes.Count, 0);
  Line.SetPenColor(1);
  Line.SetPenWidth(2);
  Line.SetPenMode(pmXor);
  Line.SetPenStyle(psDot);
  Line.SetAngle(-7);
  Line.SetScale(-3);
  Line.SetVisible(false);
  EXPECT_EQ(Changes.Count, 7);
  EXPECT_EQ(Line.PenMode(), pmXor);
  EXPECT_EQ(Line.Angle(), -7);
  EXPECT_EQ(Line.Scale(), -3);
  EXPECT_FALSE(Line.Visible());
}

TEST_F(LiveLine, PointEditsAlwaysNotify) {
  Line.AddPoint({1, 2});
  Line.AddPointXY(3, 4);
  EXPECT_EQ(Changes.Count, 2);
  Line.SetPoint(0, {1, 2});
  EXPECT_EQ(Changes.Count, 3) << "an unchanged point still notifies";
  Line.InsertPoint(1, {9, 9});
  EXPECT_EQ(Line.Points(), (TDynPointsArray{{1, 2}, {9, 9}, {3, 4}}));
  EXPECT_TRUE(Line.DeletePoint(0));
  EXPECT_EQ(Line.Points(), (TDynPointsArray{{9, 9}, {3, 4}}));
  EXPECT_EQ(Changes.Count, 5);
}

TEST_F(LiveLine, InsertOutsideTheValidRangeChangesNothing) {
  Line.AddPoint({1, 1});
  Line.AddPoint({2, 2});
  Changes.Count = 0;
  Line.InsertPoint(3, {7, 7});
  Line.InsertPoint(-1, {7, 7});
  EXPECT_EQ(Changes.Count, 0);
  EXPECT_EQ(Line.PointsCount(), 2);
  Line.InsertPoint(2, {7, 7});
  EXPECT_EQ(Line.Points(), (TDynPointsArray{{1, 1}, {2, 2}, {7, 7}})) << "index PointsCount appends";
  EXPECT_EQ(Changes.Count, 1);
}

TEST_F(LiveLine, DeleteRefusesBadIndicesAndCanEmptyTheFigure) {
  Line.AddPoint({1, 1});
  Changes.Count = 0;
  EXPECT_FALSE(Line.DeletePoint(1));
  EXPECT_FALSE(Line.DeletePoint(-1));
  EXPECT_EQ(Changes.Count, 0);
  EXPECT_TRUE(Line.DeletePoint(0));
  EXPECT_EQ(Line.PointsCount(), 0);
  EXPECT_EQ(Changes.Count, 1);
}

TEST(FigurePoints, AccessOutsideTheRangeIsARangeError) {
  TFigureRectangle r(nullptr);
  TPoint p;
  EXPECT_THROW(r.GetPoint(2, p), ERangeError);
  EXPECT_THROW(r.GetPoint(-1, p), ERangeError);
  EXPECT_THROW(r.SetPoint(2, {1, 1}), ERangeError);
  try {
    r.SetPoint(-1, {1, 1});
    FAIL() << "no range error";
  } catch (const ERangeError& e) {
    EXPECT_STREQ(e.what(), "Array range error");
  }
  EXPECT_EQ(r.Points(), (TDynPointsArray{{0, 0}, {0, 0}}));
}

TEST(FindPoint, ToleranceIsThreePixelsInclusiveOnBothAxes) {
  TFigureRectangle r(nullptr);
  r.SetPoint(0, {10, 10});
  r.SetPoint(1, {100, 100});
  EXPECT_TRUE(r.FindPoint({13, 7}));
  EXPECT_EQ(r.SelectedPointIndex(), 0);
  EXPECT_TRUE(r.FindPoint({97, 103}));
  EXPECT_EQ(r.SelectedPointIndex(), 1);
  EXPECT_FALSE(r.FindPoint({14, 10}));
  EXPECT_EQ(r.SelectedPointIndex(), -1);
  EXPECT_FALSE(r.FindPoint({10, 6}));
}

TEST(FindPoint, LowestIndexWinsAmongSeveralHits) {
  TFigureRectangle r(nullptr);
  r.SetPoint(0, {10, 10});
  r.SetPoint(1, {12, 12});
  EXPECT_TRUE(r.FindPoint({12, 12}));
  EXPECT_EQ(r.SelectedPointIndex(), 0);
}

TEST(FindPoint, FarCoordinatesDoNotWrapIntoAHit) {
  TFigureRectangle r(nullptr);
  r.SetPoint(0, {std::numeric_limits<int32_t>::max(), 0});
  EXPECT_FALSE(r.FindPoint({std::numeric_limits<int32_t>::min(), 0}));
}

TEST_F(LiveLine, MoveByTranslatesEveryPointOnce) {
  Line.AddPoint({1, 2});
  Line.AddPoint({-5, 7});
  Changes.Count = 0;
  EXPECT_TRUE(Line.MoveBy({10, -20}));
  EXPECT_EQ(Line.Points(), (TDynPointsArray{{11, -18}, {5, -13}}));
  EXPECT_EQ(Changes.Count, 1);
}

TEST_F(LiveLine, MoveByRefusesQuietly) {
  EXPECT_FALSE(Line.MoveBy({1, 1})) << "no points";
  Line.AddPoint({1, 2});
  Changes.Count = 0;
  EXPECT_FALSE(Line.MoveBy({0, 0})) << "null offset";
  EXPECT_EQ(Line.Points(), (TDynPointsArray{{1, 2}}));
  EXPECT_EQ(Changes.Count, 0);
}

TEST(MoveBy, WrapsAtTheEdgeOfTheCoordinateRangeInsteadOfOverflowing) {
  TFigurePolyLine line(nullptr);
  line.AddPoint({std::numeric_limits<int32_t>::max(), 0});
  EXPECT_TRUE(line.MoveBy({1, 0}));
  EXPECT_EQ(line.Point(0).x, std::numeric_limits<int32_t>::min());
}

TEST_F(LiveLine, MovePointDragsTheFoundPoint) {
  Line.AddPoint({10, 10});
  Line.AddPoint({50, 50});
  Changes.Count = 0;
  Line.MovePoint({52, 48}, {60, 70});
  EXPECT_EQ(Line.Points(), (TDynPointsArray{{10, 10}, {60, 70}}));
  EXPECT_EQ(Line.SelectedPointIndex(), 1);
  EXPECT_EQ(Changes.Count, 1);
}

TEST_F(LiveLine, MovePointAwayFromEveryPointAborts) {
  Line.AddPoint({10, 10});
  Changes.Count = 0;
  try {
    Line.MovePoint({20, 20}, {0, 0});
    FAIL() << "no abort";
  } catch (const EAbort& e) {
    EXPECT_STREQ(e.what(), "Asked point not found");
  }
  EXPECT_EQ(Line.Points(), (TDynPointsArray{{10, 10}}));
  EXPECT_EQ(Line.SelectedPointIndex(), -1);
  EXPECT_EQ(Changes.Count, 0);
}

TEST(MovePoint, GoesThroughTheFamilysClampingRule) {
  TFigurePie pie(nullptr);
  pie.SetPoint(1, {100, 50});
  pie.SetPoint(2, {0, 0});
  pie.MovePoint({1, 1}, {150, -20});
  EXPECT_EQ(pie.Point(0), (TPoint{150, -20})) << "point 0 found first and not clamped";
  pie.MovePoint({100, 50}, {-30, 80});
  EXPECT_EQ(pie.Point(1), (TPoint{-30, 80}));
}

TEST(DrawFrame, WhenHiddenItAborts) {
  TIdleCanvas canvas;
  TFigurePolyLine line(nullptr);
  line.SetVisible(false);
  try {
    line.TBasicFigure::DrawOn(canvas);
    FAIL() << "no abort";
  } catch (const EAbort& e) {
    EXPECT_STREQ(e.what(), "Drawing impossible: (not FVisible) or (FCanvas = nil)");
  }
  EXPECT_NO_THROW(line.DrawOn(canvas)) << "concrete figures absorb the abort";
  EXPECT_NO_THROW(line.Draw()) << "without a canvas of its own nothing is drawn";
}

TEST(Destruction, NotifiesTheListenerOnceWithoutAChangeNotice) {
  int destroyed = 0, changed = 0;
  const TBasicFigure* sender = nullptr;
  auto text = std::make_unique<TFigureText>(nullptr);
  text->SetUpdating(false);
  text->OnChange = [&](TBasicFigure*) { ++changed; };
  text->OnDestroy = [&](TBasicFigure* s) {
    ++destroyed;
    sender = s;
  };
  const TBasicFigure* address = text.get();
  text.reset();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(sender, address);
}

TEST(MinMax, OrdersItsArguments) {
  int32_t lo = 0, hi = 0;
  MinMax(lo, hi, 5, -3);
  EXPECT_EQ(lo, -3);
  EXPECT_EQ(hi, 5);
  MinMax(lo, hi, -3, 5);
  EXPECT_EQ(lo, -3);
  EXPECT_EQ(hi, 5);
  MinMax(lo, hi, 4, 4);
  EXPECT_EQ(lo, 4);
  EXPECT_EQ(hi, 4);
}
