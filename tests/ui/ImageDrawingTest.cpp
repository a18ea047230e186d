// Drawing new figures with the mouse in the image window: what each family
// is fed by presses, drags and releases, the chord and pie stage counter,
// the right release that ends drawing, and what reaches the raster.
// Guards against points fed to the wrong index, a stage counter that does
// not advance or reset, a figure created over an existing one, a drawing
// mode left on after the release, and a screen that lags the raster.
#include "ImageWindowSupport.h"

#include <QPixmap>

namespace {

using DrawingTest = ImageWindowTest;

TEST_F(DrawingTest, RectangleFollowsPressDragAndRelease) {
  Window->FFigureClass = &TFigureRectangle::Class;
  Press(20, 30);
  ASSERT_EQ(Collection->Count(), 1);
  TBasicFigure* figure = Collection->Selected();
  EXPECT_EQ(std::string(figure->ClassName()), "TFigureRectangle");
  // The first press leaves both corners at the press point.
  EXPECT_EQ(PointsOf(*figure), (std::vector<TPoint>{{20, 30}, {20, 30}}));
  EXPECT_EQ(Window->Mode(), emDraw);
  EXPECT_EQ(Panel(3), QString("Режим: Рисование"));
  ASSERT_EQ(Actions.size(), 1u);
  EXPECT_EQ(Actions[0].Action, faCreated);
  EXPECT_EQ(Actions[0].Figure, figure);
  EXPECT_EQ(Actions[0].Sender, Window.get());

  MoveTo(60, 50);
  EXPECT_EQ(PointsOf(*figure), (std::vector<TPoint>{{20, 30}, {60, 50}}));
  MoveTo(80, 70);
  Release(80, 70);
  EXPECT_EQ(PointsOf(*figure), (std::vector<TPoint>{{20, 30}, {80, 70}}));
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(Panel(3), QString("Режим: Выбор фигуры"));
  EXPECT_EQ(Actions.size(), 1u);
  EXPECT_EQ(Collection->GetFigure(0), figure);
}

TEST_F(DrawingTest, TwoPointFigurePressedAndReleasedInPlaceKeepsEqualCorners) {
  Window->FFigureClass = &TFigureEllipse::Class;
  Click(40, 40);
  ASSERT_EQ(Collection->Count(), 1);
  EXPECT_EQ(PointsOf(*Collection->Selected()), (std::vector<TPoint>{{40, 40}, {40, 40}}));
  EXPECT_EQ(Window->Mode(), emSelect);
}

TEST_F(DrawingTest, EveryRegisteredClassIsDrawnWithItsGesture) {
  struct TCase {
    const TFigureClass* Class;
    bool MoreGestures;
    std::vector<TPoint> Expected;
  };
  // Each class drawn alone: a drag from (30, 20) to (90, 60); open lines,
  // polygons, chords and pies then get presses at (120, 30) and (100, 100)
  // and a right release. The drag moves the first vertex of a line along;
  // the radial points are clamped into the corner rectangle.
  const std::vector<TCase> cases = {
      {&TFigurePolyLine::Class, true, {{90, 60}, {120, 30}, {100, 100}}},
      {&TFigureRectangle::Class, false, {{30, 20}, {90, 60}}},
      {&TFigurePolygon::Class, true, {{90, 60}, {120, 30}, {100, 100}}},
      {&TFigureRoundRect::Class, false, {{30, 20}, {90, 60}}},
      {&TFigureEllipse::Class, false, {{30, 20}, {90, 60}}},
      {&TFigurePie::Class, true, {{30, 20}, {90, 60}, {90, 30}, {90, 60}}},
      {&TFigureChord::Class, true, {{30, 20}, {90, 60}, {90, 30}, {90, 60}}},
      {&TFigureText::Class, false, {{90, 60}}},
      {&TFigureBitmap::Class, false, {{30, 20}, {90, 60}}},
  };
  ASSERT_EQ(RegisteredFigureClasses().size(), cases.size());
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Class->ClassName);
    Collection->Clear();
    Window->FFigureClass = c.Class;
    Drag(30, 20, 90, 60);
    if (c.MoreGestures) {
      Click(120, 30);
      Click(100, 100);
      RightClick(100, 100);
    }
    ASSERT_EQ(Collection->Count(), 1);
    const TBasicFigure* figure = Collection->Selected();
    EXPECT_EQ(std::string(figure->ClassName()), std::string(c.Class->ClassName));
    EXPECT_EQ(PointsOf(*figure), c.Expected);
    EXPECT_EQ(Window->Mode(), emSelect);
    EXPECT_EQ(Window->QuadStage(), 0);
  }
}

TEST_F(DrawingTest, PolylineGetsOneVertexPerPressUntilTheRightRelease) {
  Window->FFigureClass = &TFigurePolyLine::Class;
  Press(10, 10);
  TBasicFigure* line = Collection->Selected();
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{10, 10}}));
  Release(10, 10);
  // Between presses the mode stays, but the cursor is the default one.
  EXPECT_EQ(Window->Mode(), emDraw);
  EXPECT_EQ(Panel(3), QString("Режим: Рисование"));
  EXPECT_EQ(ScreenCursor(), std::nullopt);

  Press(50, 10);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{10, 10}, {50, 10}}));
  EXPECT_EQ(ScreenCursor(), std::nullopt);
  // Dragging moves the newest vertex only.
  MoveTo(55, 15);
  MoveTo(60, 20);
  Release(60, 20);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{10, 10}, {60, 20}}));

  // A right press does nothing; the right release ends the drawing.
  QTest::mousePress(Surface(), Qt::RightButton, Qt::NoModifier, QPoint(60, 60));
  EXPECT_EQ(Window->Mode(), emDraw);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{10, 10}, {60, 20}}));
  QTest::mouseRelease(Surface(), Qt::RightButton, Qt::NoModifier, QPoint(60, 60));
  EXPECT_EQ(Window->Mode(), emSelect);

  // The next press on empty space starts a new figure.
  Click(150, 120);
  EXPECT_EQ(Collection->Count(), 2);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{10, 10}, {60, 20}}));
  EXPECT_EQ(ActionKinds(), (std::vector<TFigureAction>{faCreated, faCreated}));
}

TEST_F(DrawingTest, RightReleaseRightAfterTheFirstPressLeavesOneVertex) {
  Window->FFigureClass = &TFigurePolygon::Class;
  Press(70, 70);
  RightClick(70, 70);
  ASSERT_EQ(Collection->Count(), 1);
  EXPECT_EQ(PointsOf(*Collection->Selected()), (std::vector<TPoint>{{70, 70}}));
  EXPECT_EQ(Window->Mode(), emSelect);
}

TEST_F(DrawingTest, DoubleClickArrivesAsTwoPresses) {
  Window->FFigureClass = &TFigurePolyLine::Class;
  Click(30, 30);
  // The platform's order for a double click: press, release, double click,
  // release.
  Press(80, 40);
  Release(80, 40);
  QTest::mouseDClick(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(80, 40));
  Release(80, 40);
  ASSERT_EQ(Collection->Count(), 1);
  EXPECT_EQ(PointsOf(*Collection->Selected()), (std::vector<TPoint>{{30, 30}, {80, 40}, {80, 40}}));
}

TEST_F(DrawingTest, ChordTakesThreeGesturesCountedByTheStage) {
  Window->FFigureClass = &TFigureChord::Class;
  Drag(20, 20, 120, 100);
  TBasicFigure* chord = Collection->Selected();
  ASSERT_NE(chord, nullptr);
  EXPECT_EQ(PointsOf(*chord), (std::vector<TPoint>{{20, 20}, {120, 100}, {0, 0}, {0, 0}}));
  EXPECT_EQ(Window->QuadStage(), 1);
  EXPECT_EQ(Window->Mode(), emDraw);
  EXPECT_EQ(ScreenCursor(), std::nullopt);

  // The radial points are clamped into the corner rectangle by the figure.
  Press(150, 10);
  EXPECT_EQ(chord->Point(2), (TPoint{120, 20}));
  MoveTo(100, 30);
  Release(100, 30);
  EXPECT_EQ(chord->Point(2), (TPoint{100, 30}));
  EXPECT_EQ(Window->QuadStage(), 2);
  EXPECT_EQ(Window->Mode(), emDraw);

  Press(10, 60);
  EXPECT_EQ(chord->Point(3), (TPoint{20, 60}));
  MoveTo(40, 99);
  Release(40, 99);
  EXPECT_EQ(PointsOf(*chord), (std::vector<TPoint>{{20, 20}, {120, 100}, {100, 30}, {40, 99}}));
  EXPECT_EQ(Window->QuadStage(), 0);
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(Collection->Count(), 1);
  EXPECT_EQ(ActionKinds(), (std::vector<TFigureAction>{faCreated}));
}

TEST_F(DrawingTest, RightReleaseLeavesAnUnfinishedPieAndResetsTheStage) {
  Window->FFigureClass = &TFigurePie::Class;
  Drag(20, 20, 120, 100);
  ASSERT_EQ(Window->QuadStage(), 1);
  RightClick(60, 60);
  EXPECT_EQ(Window->QuadStage(), 0);
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(PointsOf(*Collection->Selected()), (std::vector<TPoint>{{20, 20}, {120, 100}, {0, 0}, {0, 0}}));

  // The next pie starts again at stage 0 with its corners.
  Drag(130, 10, 190, 60);
  ASSERT_EQ(Collection->Count(), 2);
  EXPECT_EQ(PointsOf(*Collection->Selected()), (std::vector<TPoint>{{130, 10}, {190, 60}, {0, 0}, {0, 0}}));
  EXPECT_EQ(Window->QuadStage(), 1);
}

TEST_F(DrawingTest, TextAnchorFollowsThePointerAndStaysWhereReleased) {
  Window->FFigureClass = &TFigureText::Class;
  Press(30, 40);
  TBasicFigure* text = Collection->Selected();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(PointsOf(*text), (std::vector<TPoint>{{30, 40}}));
  MoveTo(45, 50);
  EXPECT_EQ(PointsOf(*text), (std::vector<TPoint>{{45, 50}}));
  MoveTo(50, 60);
  Release(50, 60);
  EXPECT_EQ(PointsOf(*text), (std::vector<TPoint>{{50, 60}}));
  EXPECT_EQ(Window->Mode(), emSelect);
}

TEST_F(DrawingTest, PressWithoutClassCreatesNothingAndKeepsTheSelection) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{10, 10}, {40, 40}});
  Window->FFigureClass = nullptr;
  Click(100, 100);
  EXPECT_EQ(Collection->Count(), 1);
  EXPECT_EQ(Collection->Selected(), rect);
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(Actions.size(), 0u);
  EXPECT_EQ(Window->DownPoint(), (TPoint{100, 100}));
}

TEST_F(DrawingTest, PressOnAFigureSelectsItEvenWithAClassChosen) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{10, 10}, {60, 60}});
  AddFigure<TFigureEllipse>({{100, 10}, {150, 60}});
  Window->FFigureClass = &TFigureEllipse::Class;
  Press(30, 30);
  EXPECT_EQ(Collection->Count(), 2);
  EXPECT_EQ(Collection->Selected(), rect);
  ASSERT_EQ(Actions.size(), 1u);
  EXPECT_EQ(Actions[0].Action, faSelected);
  EXPECT_EQ(Actions[0].Figure, rect);
  Release(30, 30);
}

TEST_F(DrawingTest, RasterShowsTheRectangleAndTheScreenAddsXorMarkers) {
  Window->FFigureClass = &TFigureRectangle::Class;
  Drag(20, 30, 80, 70);
  const QImage& raster = Raster();
  // A new rectangle: one-pixel black outline, solid black fill, on white,
  // and no marker in the raster.
  EXPECT_EQ(RgbAt(raster, 50, 50), 0x000000u);
  EXPECT_EQ(RgbAt(raster, 79, 50), 0x000000u);
  EXPECT_EQ(RgbAt(raster, 50, 29), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(raster, 18, 28), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(raster, 81, 71), 0xFFFFFFu);

  // On the screen the corner markers cover 3 pixels around each corner,
  // XORed with white: black becomes white inside the rectangle, white black
  // outside it.
  QImage shown = Surface()->grab().toImage();
  ASSERT_EQ(shown.size(), raster.size());
  EXPECT_EQ(RgbAt(shown, 50, 50), 0x000000u);
  EXPECT_EQ(RgbAt(shown, 20, 30), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(shown, 22, 32), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(shown, 18, 28), 0x000000u);
  EXPECT_EQ(RgbAt(shown, 23, 33), 0x000000u);
  EXPECT_EQ(RgbAt(shown, 79, 69), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(shown, 81, 71), 0x000000u);
  EXPECT_EQ(RgbAt(shown, 83, 73), 0xFFFFFFu);

  // Once another figure is the selected one, the old markers are gone.
  Drag(120, 100, 150, 130);
  shown = Surface()->grab().toImage();
  EXPECT_EQ(RgbAt(shown, 20, 30), 0x000000u);
  EXPECT_EQ(RgbAt(shown, 18, 28), 0xFFFFFFu);
}

}  // namespace
