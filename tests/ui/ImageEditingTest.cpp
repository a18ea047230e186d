// Editing existing figures in the image window: selecting, moving, dragging
// control points, Shift deleting and inserting vertices, clamping at the
// image border, the status bar texts, the mode cursors, and failures: the
// model's own in a mouse step dropped silently, any other and those of a
// hit test reported at the top level while the window goes on.
// Guards against moves that jump or run past the border, a drag that loses
// its control point, vertices inserted at the wrong place, a hover text
// written in the wrong mode, an override cursor stack that grows, and a
// failure that stops the window or escapes into the event loop.
#include "ImageWindowSupport.h"

#include <QMouseEvent>

#include <new>

#include "figures/Streams.h"

namespace {

using EditingTest = ImageWindowTest;

// A closed figure read from a damaged record that holds no points: asking
// for its corners, or whether a point lies inside it, fails with the range
// error.
template <typename TFigure>
std::unique_ptr<TBasicFigure> Damaged(TCanvas* Canvas) {
  TMemoryStream record;
  record.WriteInt32(0);           // point count
  record.WriteUInt32(0);          // pen colour
  record.WriteInt32(1);           // pen width
  record.WriteUInt8(pmCopy);      // pen mode
  record.WriteInt16(0);           // angle
  record.WriteInt8(0);            // scale
  record.WriteUInt8(psSolid);     // pen style
  record.WriteBoolean(true);      // visible
  record.WriteBoolean(false);     // updating
  record.WriteInt32(-1);          // selected point
  record.WriteUInt8(bsSolid);     // brush style
  record.WriteUInt32(0x00FF00u);  // brush colour
  record.Seek(0);
  auto figure = std::make_unique<TFigure>(Canvas);
  figure->LoadFromStream(record);
  return figure;
}

TEST_F(EditingTest, DraggingTheBodyMovesTheFigure) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  AddFigure<TFigureEllipse>({{120, 20}, {160, 50}});
  Press(40, 30);
  EXPECT_EQ(Collection->Selected(), rect);
  EXPECT_EQ(Window->Mode(), emMove);
  EXPECT_EQ(Panel(3), QString("Режим: Перемещение"));
  EXPECT_EQ(ScreenCursor(), Qt::DragMoveCursor);
  EXPECT_EQ(Window->LastPoint(), (TPoint{40, 30}));
  MoveTo(45, 33);
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{25, 23}, {65, 53}}));
  EXPECT_EQ(Window->LastPoint(), (TPoint{45, 33}));
  MoveTo(50, 40);
  Release(50, 40);
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{30, 30}, {70, 60}}));
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(ScreenCursor(), std::nullopt);
  ASSERT_EQ(Actions.size(), 1u);
  EXPECT_EQ(Actions[0].Action, faSelected);
  EXPECT_EQ(Actions[0].Figure, rect);
  // The raster follows: the body's old top-left corner is background again.
  EXPECT_EQ(RgbAt(Raster(), 24, 24), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(Raster(), 50, 45), 0x000000u);
}

TEST_F(EditingTest, DraggingAControlPointResizes) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  // Within 3 pixels of the second corner.
  Press(62, 48);
  EXPECT_EQ(Window->Mode(), emResize);
  EXPECT_EQ(Panel(3), QString("Режим: Изменение размеров"));
  EXPECT_EQ(ScreenCursor(), Qt::SizeAllCursor);
  MoveTo(80, 70);
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{20, 20}, {80, 70}}));
  EXPECT_EQ(Window->DownPoint(), (TPoint{80, 70}));
  MoveTo(100, 90);
  Release(100, 90);
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{20, 20}, {100, 90}}));
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(ActionKinds(), (std::vector<TFigureAction>{faSelected}));
}

TEST_F(EditingTest, DraggedControlPointPassesToTheFirstNearOneInPointOrder) {
  TBasicFigure* line = AddFigure<TFigurePolyLine>({{20, 20}, {60, 60}, {100, 100}});
  Press(100, 100);
  ASSERT_EQ(Window->Mode(), emResize);
  // Dragged over vertex 1, vertex 2 stops there: the next step looks the
  // point up again and finds vertex 1 first.
  MoveTo(61, 61);
  MoveTo(30, 90);
  Release(30, 90);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{20, 20}, {30, 90}, {61, 61}}));
}

TEST_F(EditingTest, ShiftPressOnAVertexDeletesIt) {
  TBasicFigure* line = AddFigure<TFigurePolyLine>({{20, 20}, {100, 20}, {100, 100}});
  Press(101, 21, Qt::ShiftModifier);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{20, 20}, {100, 100}}));
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(ScreenCursor(), std::nullopt);
  EXPECT_EQ(ActionKinds(), (std::vector<TFigureAction>{faSelected}));
  // A drag after it changes nothing: the mode is selection.
  MoveTo(120, 40);
  Release(120, 40);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{20, 20}, {100, 100}}));
}

TEST_F(EditingTest, ShiftPressOnASegmentInsertsAVertexThatTheDragMoves) {
  TBasicFigure* line = AddFigure<TFigurePolyLine>({{20, 20}, {100, 20}, {100, 100}});
  Press(100, 60, Qt::ShiftModifier);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{20, 20}, {100, 20}, {100, 60}, {100, 100}}));
  EXPECT_EQ(Window->Mode(), emResize);
  MoveTo(130, 70);
  Release(130, 70);
  EXPECT_EQ(PointsOf(*line), (std::vector<TPoint>{{20, 20}, {100, 20}, {130, 70}, {100, 100}}));
  EXPECT_EQ(Window->Mode(), emSelect);
}

TEST_F(EditingTest, ShiftPressInsideAPolygonInsertsAtItsRecordedIndex) {
  TBasicFigure* polygon = AddFigure<TFigurePolygon>({{20, 20}, {120, 20}, {120, 120}, {20, 120}});
  Press(70, 70, Qt::ShiftModifier);
  // The inside test recorded the end of the last stored edge crossing
  // y = 70, from (120, 20) to (120, 120): index 2.
  EXPECT_EQ(PointsOf(*polygon), (std::vector<TPoint>{{20, 20}, {120, 20}, {70, 70}, {120, 120}, {20, 120}}));
  EXPECT_EQ(Window->Mode(), emResize);
  Release(70, 70);
}

TEST_F(EditingTest, ShiftPressOnATwoPointFigureChangesNothing) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  // On a corner: nothing deleted, the mode stays selection.
  Press(20, 20, Qt::ShiftModifier);
  Release(20, 20);
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{20, 20}, {60, 50}}));
  EXPECT_EQ(Window->Mode(), emSelect);
  // Off the corners: the mode becomes resizing, but the drag finds no
  // control point at the press point; each step is dropped silently.
  Press(40, 35, Qt::ShiftModifier);
  EXPECT_EQ(Window->Mode(), emResize);
  MoveTo(45, 40);
  MoveTo(90, 80);
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{20, 20}, {60, 50}}));
  EXPECT_EQ(Window->Mode(), emResize);
  EXPECT_EQ(Window->DownPoint(), (TPoint{40, 35}));
  Release(90, 80);
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(Reports, std::vector<QString>{});
}

TEST_F(EditingTest, ShiftPressOnATextMovesItsAnchor) {
  auto text = std::make_unique<TFigureText>(Window->DrawingCanvas());
  text->SetText("Kresta");
  text->SetPoint(0, TPoint{30, 30});
  TBasicFigure* figure = text.get();
  ASSERT_EQ(Collection->Add(std::move(text)), figure);
  Collection->Redraw();
  Press(32, 31, Qt::ShiftModifier);
  EXPECT_EQ(PointsOf(*figure), (std::vector<TPoint>{{32, 31}}));
  EXPECT_EQ(Window->Mode(), emSelect);
  Release(32, 31);
}

TEST_F(EditingTest, ShiftDeletingTheLastVertexLeavesAFigureThatCannotBeHit) {
  TBasicFigure* line = AddFigure<TFigurePolyLine>({{50, 50}});
  Press(50, 50, Qt::ShiftModifier);
  Release(50, 50);
  EXPECT_EQ(line->PointsCount(), 0);
  EXPECT_EQ(Collection->Count(), 1);
  MoveTo(51, 50);
  EXPECT_EQ(Panel(2), QString("Пусто"));
  // The same for a polygon: this model's polygon without points is never
  // hit, so no failure follows.
  TBasicFigure* polygon = AddFigure<TFigurePolygon>({{120, 60}});
  Press(120, 60, Qt::ShiftModifier);
  Release(120, 60);
  EXPECT_EQ(polygon->PointsCount(), 0);
  MoveTo(121, 61);
  EXPECT_EQ(Panel(2), QString("Пусто"));
  EXPECT_EQ(Reports, std::vector<QString>{});
}

TEST_F(EditingTest, PointerIsClampedToTheImageBorderInclusive) {
  Window->FFigureClass = &TFigureRectangle::Class;
  Press(190, 140);
  MoveTo(230, 170);
  EXPECT_EQ(Panel(0), QString("X = 200"));
  EXPECT_EQ(Panel(1), QString("Y = 150"));
  Release(260, 200);
  TBasicFigure* rect = Collection->Selected();
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{190, 140}, {200, 150}}));

  // Below zero the other way, and a press outside is clamped too.
  Press(5, 5);
  MoveTo(-10, -20);
  EXPECT_EQ(Panel(0), QString("X = 0"));
  EXPECT_EQ(Panel(1), QString("Y = 0"));
  Release(-10, -20);
  EXPECT_EQ(PointsOf(*Collection->Selected()), (std::vector<TPoint>{{5, 5}, {0, 0}}));
}

TEST_F(EditingTest, MovedFigureStopsWhenThePointerReachesTheBorder) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{150, 100}, {190, 140}});
  Press(170, 120);
  MoveTo(190, 130);
  MoveTo(300, 300);
  // The pointer stops at (200, 150): the figure moved by (30, 30) only.
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{180, 130}, {220, 170}}));
  MoveTo(320, 310);
  Release(320, 310);
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{180, 130}, {220, 170}}));
}

TEST_F(EditingTest, HoverTextShowsTheFigureUnderThePointerOnlyInSelection) {
  EXPECT_EQ(Panel(2), QString("Пусто"));
  AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  AddFigure<TFigureEllipse>({{40, 30}, {100, 80}});
  MoveTo(30, 25);
  EXPECT_EQ(Panel(2), QString("Фигура: TFigureRectangle"));
  EXPECT_EQ(Panel(0), QString("X = 30"));
  EXPECT_EQ(Panel(1), QString("Y = 25"));
  // The topmost figure wins where both lie.
  MoveTo(50, 40);
  EXPECT_EQ(Panel(2), QString("Фигура: TFigureEllipse"));
  MoveTo(150, 120);
  EXPECT_EQ(Panel(2), QString("Пусто"));

  // While drawing, panel 2 keeps its text; the coordinates go on.
  Window->FFigureClass = &TFigurePolyLine::Class;
  Click(150, 120);
  ASSERT_EQ(Window->Mode(), emDraw);
  MoveTo(30, 25);
  EXPECT_EQ(Panel(2), QString("Пусто"));
  EXPECT_EQ(Panel(0), QString("X = 30"));
  RightClick(30, 25);
  ASSERT_EQ(Window->Mode(), emSelect);

  // With a button held there is no hover either.
  QMouseEvent held(QEvent::MouseMove, QPointF(55, 45), QPointF(55, 45), Qt::NoButton, Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(Surface(), &held);
  EXPECT_EQ(Panel(2), QString("Пусто"));
  EXPECT_EQ(Panel(0), QString("X = 55"));
  // Panel 4 shows the zoom level alone.
  EXPECT_EQ(Panel(4), QString("100 %"));
}

TEST_F(EditingTest, ModesShowTheirTextAndCursorWithOneOverrideAtMost) {
  struct TCase {
    TEditMode Mode;
    QString Text;
    std::optional<Qt::CursorShape> Cursor;
  };
  const std::vector<TCase> cases = {
      {emDraw, "Режим: Рисование", Qt::CrossCursor},
      {emMove, "Режим: Перемещение", Qt::DragMoveCursor},
      {emResize, "Режим: Изменение размеров", Qt::SizeAllCursor},
      {emSelect, "Режим: Выбор фигуры", std::nullopt},
      {emResize, "Режим: Изменение размеров", Qt::SizeAllCursor},
      {emDraw, "Режим: Рисование", Qt::CrossCursor},
  };
  for (const TCase& c : cases) {
    Window->SetMode(c.Mode);
    EXPECT_EQ(Window->Mode(), c.Mode);
    EXPECT_EQ(Panel(3), c.Text);
    EXPECT_EQ(ScreenCursor(), c.Cursor);
  }
  // Changed in place, never stacked: one release restores the default.
  QTest::mouseRelease(Surface(), Qt::MiddleButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(ScreenCursor(), std::nullopt);
  EXPECT_EQ(Window->Mode(), emDraw);
  // The window leaves no cursor of its own behind when it goes.
  Window->SetMode(emMove);
  Window.reset();
  EXPECT_EQ(ScreenCursor(), std::nullopt);
}

TEST_F(EditingTest, RightAndMiddlePressesChangeNothing) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  Collection->SetSelected(nullptr);
  Window->FFigureClass = &TFigureEllipse::Class;
  QTest::mousePress(Surface(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
  QTest::mousePress(Surface(), Qt::MiddleButton, Qt::NoModifier, QPoint(100, 100));
  EXPECT_EQ(Collection->Count(), 1);
  EXPECT_EQ(Collection->Selected(), nullptr);
  EXPECT_EQ(Window->DownPoint(), (TPoint{0, 0}));
  EXPECT_EQ(Actions.size(), 0u);
  QTest::mouseRelease(Surface(), Qt::MiddleButton, Qt::NoModifier, QPoint(100, 100));
  QTest::mouseRelease(Surface(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{20, 20}, {60, 50}}));
  EXPECT_EQ(Window->Mode(), emSelect);
}

TEST_F(EditingTest, StepWithoutASelectedFigureIsDroppedSilently) {
  Window->SetMode(emDraw);
  Window->UpdateFigure(10, 10, stPress);
  Window->UpdateFigure(10, 10, stRelease);
  EXPECT_EQ(Window->Mode(), emDraw);
  EXPECT_EQ(Collection->Count(), 0);
  EXPECT_EQ(Reports, std::vector<QString>{});
}

TEST_F(EditingTest, FailedStepSkipsItsModeAndStageChanges) {
  // The releases that would end a drawing fail at their first point.
  ASSERT_NE(Collection->Add(Damaged<TFigureEllipse>(Window->DrawingCanvas())), nullptr);
  Window->SetMode(emDraw);
  Window->UpdateFigure(30, 30, stRelease);
  EXPECT_EQ(Window->Mode(), emDraw);

  ASSERT_NE(Collection->Add(Damaged<TFigurePie>(Window->DrawingCanvas())), nullptr);
  Window->UpdateFigure(30, 30, stRelease);
  EXPECT_EQ(Window->QuadStage(), 0);
  EXPECT_EQ(Window->Mode(), emDraw);
  EXPECT_EQ(Reports, std::vector<QString>{});
}

// A text figure whose anchor cannot be stored for lack of memory.
class TOutOfMemoryText : public TFigureText {
 public:
  using TFigureText::TFigureText;
  void SetPoint(int32_t, const TPoint&) override { throw std::bad_alloc(); }
};

TEST_F(EditingTest, FailureOutsideTheModelEndsAStepAtTheTopLevelReport) {
  ASSERT_NE(Collection->Add(std::make_unique<TOutOfMemoryText>(Window->DrawingCanvas())), nullptr);
  Window->SetMode(emDraw);
  EXPECT_THROW(Window->UpdateFigure(30, 30, stDrag), std::bad_alloc);
  Press(30, 30);
  Release(30, 30);
  const QString outOfMemory = QString("Недостаточно памяти");
  EXPECT_EQ(Reports, (std::vector<QString>{outOfMemory, outOfMemory})) << "the press and the release";
  EXPECT_EQ(Window->Mode(), emDraw);
}

TEST_F(EditingTest, PressWhileMovingOrResizingOnlyRecordsThePoint) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  for (TEditMode mode : {emMove, emResize}) {
    Window->SetMode(mode);
    Window->imgDrawMouseDown(Qt::LeftButton, {Qt::NoModifier, Qt::LeftButton}, 40, 35);
    EXPECT_EQ(Window->DownPoint(), (TPoint{40, 35}));
    EXPECT_EQ(Window->Mode(), mode);
    Window->imgDrawMouseDown(Qt::LeftButton, {Qt::NoModifier, Qt::LeftButton}, 5, 6);
  }
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{20, 20}, {60, 50}}));
  EXPECT_EQ(Actions.size(), 0u);
}

// A figure whose body test fails, as a figure class with a fault would.
class TFailingHitFigure : public TFigureRectangle {
 public:
  using TFigureRectangle::TFigureRectangle;
  bool IsPointInside(const TPoint&) override { throw ERangeError(); }
};

TEST_F(EditingTest, HitTestFailureReachesTheTopLevelReportAndTheWindowGoesOn) {
  ASSERT_NE(Collection->Add(std::make_unique<TFailingHitFigure>(Window->DrawingCanvas())), nullptr);

  MoveTo(40, 40);
  EXPECT_EQ(Reports, std::vector<QString>{"Выход за границы массива"});
  EXPECT_EQ(Panel(0), QString("X = 40"));
  // The hover goes on, failing again at every step.
  MoveTo(41, 42);
  EXPECT_EQ(Reports, (std::vector<QString>{"Выход за границы массива", "Выход за границы массива"}));
  EXPECT_EQ(Panel(1), QString("Y = 42"));

  Window->FFigureClass = &TFigureEllipse::Class;
  Press(50, 50);
  EXPECT_EQ(Reports.size(), 3u);
  EXPECT_EQ(Reports.back(), QString("Выход за границы массива"));
  EXPECT_EQ(Window->DownPoint(), (TPoint{50, 50}));
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(Collection->Count(), 1);
  Release(50, 50);
  EXPECT_EQ(Window->isVisible(), true);
}

}  // namespace
