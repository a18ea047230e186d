// The grid and snapping in the image window: the grid drawn on the view
// alone, snapping within six screen pixels at every zoom, a dragged figure
// landing with its grabbed corner on the grid, Alt freeing a drag, and the
// settings kept between runs. Guards against a grid that reaches the
// raster, a tolerance that scales with the zoom, a figure whose grabbed
// point snaps while its corners stay off the grid, and guides left behind.
#include "ImageWindowSupport.h"

#include <QSettings>
#include <QTemporaryDir>

#include "ui/GridSettings.h"
#include "ui/ViewControl.h"

namespace {

constexpr QRgb kGuide = 0xFFFF00FF;
constexpr QRgb kGridDotOnWhite = 0xFF7F7F7F;

class GridTest : public ImageWindowTest {
 protected:
  void SetUp() override {
    ImageWindowTest::SetUp();
    Window->FFigureClass = &TFigureRectangle::Class;
  }
  // The view's picture of its top-left corner, device pixels at ratio 1.
  QImage Corner() const { return Shown(120); }
  QImage Shown(int Size) const { return Window->imgDraw->ViewPicture(QRect(0, 0, Size, Size), 1).copy(); }
  // A rectangle drawn from one view position to another; its points.
  std::vector<TPoint> DrawAt(QPoint From, QPoint To) {
    Press(From.x(), From.y());
    MoveTo(To.x(), To.y());
    Release(To.x(), To.y());
    return PointsOf(*Collection->Selected());
  }
};

TEST_F(GridTest, GridIsDottedOnTheViewAtEveryZoomAndNeverInTheRaster) {
  Window->SetGrid({.Visible = true, .Snap = false, .Step = 10});
  QImage corner = Corner();
  EXPECT_EQ(corner.pixel(10, 2), kGridDotOnWhite);
  EXPECT_EQ(corner.pixel(10, 3), 0xFFFFFFFFu) << "dotted, every other pixel";
  EXPECT_EQ(corner.pixel(11, 2), 0xFFFFFFFFu) << "one pixel wide";
  EXPECT_EQ(corner.pixel(4, 20), kGridDotOnWhite);
  Window->View().ZoomTo(8);  // 200 %: the line through pixel 10's centre
  corner = Corner();
  EXPECT_EQ(corner.pixel(21, 2), kGridDotOnWhite);
  EXPECT_EQ(corner.pixel(20, 2), 0xFFFFFFFFu);
  Window->View().ZoomTo(2);  // 25 %: lines 2.5 pixels apart would hide the image
  corner = Corner();
  EXPECT_EQ(corner.pixel(2, 2), 0xFFFFFFFFu);
  for (int y = 0; y < ImageHeight; ++y)
    for (int x = 0; x < ImageWidth; ++x) ASSERT_EQ(RgbAt(Raster(), x, y), 0xFFFFFFu) << x << ", " << y;
}

TEST_F(GridTest, SnapToleranceIsSixScreenPixelsAtEveryZoom) {
  Window->SetGrid({.Visible = false, .Snap = true, .Step = 10});
  Window->View().ZoomTo(8);  // 200 %: three image pixels
  EXPECT_EQ(DrawAt({26, 26}, {60, 60})[0], (TPoint{10, 10})) << "13 is six screen pixels from 10";
  EXPECT_EQ(DrawAt({88, 88}, {134, 134})[0], (TPoint{44, 44})) << "44 is eight from 40";
  Window->View().ZoomTo(4);  // 50 %: twelve image pixels
  EXPECT_EQ(DrawAt({57, 57}, {80, 80})[0], (TPoint{110, 110})) << "114 is two screen pixels from 110";
}

TEST_F(GridTest, DraggedFigureLandsWithItsGrabbedCornerOnTheGridAndAltFreesIt) {
  Window->SetGrid({.Visible = false, .Snap = true, .Step = 10});
  TFigureRectangle* figure = AddFigure<TFigureRectangle>({{13, 17}, {53, 47}});
  // Grabbed nearest its top-left corner, moved by (5, 4): the corner goes
  // to (18, 21), which snaps to (20, 20), and the figure with it.
  Press(30, 30);
  MoveTo(35, 34);
  EXPECT_EQ(Shown(100).pixel(20, 80), kGuide) << "the guide shows while the button is held";
  Release(35, 34);
  EXPECT_EQ(PointsOf(*figure), (std::vector<TPoint>{{20, 20}, {60, 50}}));
  EXPECT_NE(Shown(100).pixel(20, 80), kGuide) << "and goes with the release";

  Press(40, 40);
  Window->imgDrawMouseMove({Qt::AltModifier, Qt::LeftButton}, 43, 41);
  QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::AltModifier, QPoint(43, 41));
  EXPECT_EQ(PointsOf(*figure), (std::vector<TPoint>{{23, 21}, {63, 51}}));
}

TEST(GridSettingsTest, KeptBetweenRunsWithTheStepInItsRange) {
  QTemporaryDir folder;
  QSettings settings(folder.filePath("kresta.conf"), QSettings::IniFormat);
  EXPECT_EQ(LoadGridSettings(settings), TGridSettings{});
  SaveGridSettings(settings, {.Visible = true, .Snap = true, .Step = 25});
  settings.sync();
  QSettings again(folder.filePath("kresta.conf"), QSettings::IniFormat);
  EXPECT_EQ(LoadGridSettings(again), (TGridSettings{.Visible = true, .Snap = true, .Step = 25}));
  again.setValue("grid/step", 5000);
  EXPECT_EQ(LoadGridSettings(again).Step, MaxGridStep);
  again.setValue("grid/step", "wide");
  EXPECT_EQ(LoadGridSettings(again).Step, DefaultGridStep);
}

}  // namespace
