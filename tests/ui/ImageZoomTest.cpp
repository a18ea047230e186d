// The image window's view at every zoom level: where a press lands, what
// the screen shows, the markers over the image, the wheel and the keys.
// Guards against a press acting on another pixel than the one shown,
// smoothing or seams in the zoomed picture, markers that grow with the zoom
// or reach the raster, and a zoom that loses the point under the pointer.
#include "ImageWindowSupport.h"

#include <QWheelEvent>

#include <random>

#include "ui/ViewControl.h"
#include "ui/ViewScale.h"

namespace {

class ZoomTest : public ImageWindowTest {
 protected:
  // Every raster pixel in a colour of its own: x from bit 12 up, y below.
  static uint32_t Code(int X, int Y) { return uint32_t(X) << 12 | uint32_t(Y); }
  void PaintPixelCodes() {
    TPixelImage codes{ImageWidth, ImageHeight, {}};
    for (int y = 0; y < ImageHeight; ++y)
      for (int x = 0; x < ImageWidth; ++x) codes.Pixels.push_back(Code(x, y));
    Window->DrawingCanvas()->StretchDraw(TRect{0, 0, ImageWidth, ImageHeight}, codes);
  }

  TViewControl& View() const { return Window->View(); }
  const TViewScale& Scale() const { return Window->imgDraw->Scale(); }
  // The part of the surface the viewport shows, surface pixels.
  QRect Visible() const {
    return QRect(-Surface()->pos(), Window->pnDraw->size()).intersected(Surface()->rect());
  }
  // That part as the screen shows it, painted as for the screen.
  QImage Shown() const { return Surface()->grab(Visible()).toImage(); }

  void Wheel(QPoint At, int Angle, Qt::KeyboardModifiers Keys) {
    QWheelEvent turn(QPointF(At), QPointF(Surface()->mapToGlobal(At)), QPoint(), QPoint(0, Angle), Qt::NoButton, Keys,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(Surface(), &turn);
  }
};

TEST_F(ZoomTest, APressActsOnThePixelShownUnderItAtEveryLevel) {
  PaintPixelCodes();
  std::mt19937 random(16);
  for (int level = 0; level <= LastZoomLevel; ++level) {
    View().ZoomTo(level);
    EXPECT_EQ(Panel(4), ZoomText(level));
    for (int scroll = 0; scroll < 3; ++scroll) {
      View().ScrollTo(QPoint(int(random() % uint32_t(Surface()->width())), int(random() % uint32_t(Surface()->height()))));
      const QRect visible = Visible();
      ASSERT_FALSE(visible.isEmpty());
      const QImage shown = Shown();
      // Screen to image: what a press at a shown pixel acts on is that pixel.
      for (int i = 0; i < 6; ++i) {
        QPoint at = visible.topLeft() + QPoint(int(random() % uint32_t(visible.width())),
                                               int(random() % uint32_t(visible.height())));
        // QTest takes (0, 0) for the widget's centre.
        if (at.isNull()) at.rx() = 1;
        Click(at.x(), at.y());
        const QPoint inShown = at - visible.topLeft();
        EXPECT_EQ(RgbAt(shown, inShown.x(), inShown.y()), Code(Window->DownPoint().x, Window->DownPoint().y))
            << ZoomText(level).toStdString() << " at " << at.x() << "," << at.y();
      }
      // Image to screen: every pixel of a magnified image has its square.
      if (Scale().Zoom().Num < Scale().Zoom().Den) continue;
      const int x = Scale().ToImage(visible.left()), y = Scale().ToImage(visible.top());
      Click(int(Scale().ToView(x + 1) - 1), int(Scale().ToView(y + 1) - 1));
      EXPECT_EQ(Window->DownPoint(), (TPoint{x, y})) << ZoomText(level).toStdString();
    }
  }
}

TEST_F(ZoomTest, MagnifiedPixelsAreExactSquaresOfTheRaster) {
  PaintPixelCodes();
  // 200 % and 800 %.
  for (const int level : {8, 12}) {
    View().ZoomTo(level);
    const int factor = Scale().Zoom().Num;
    View().ScrollTo({37, 21});
    const QRect visible = Visible();
    const QImage shown = Shown();
    int differences = 0;
    for (int v = 0; v < shown.height(); ++v)
      for (int u = 0; u < shown.width(); ++u)
        differences += RgbAt(shown, u, v) != RgbAt(Raster(), (visible.left() + u) / factor, (visible.top() + v) / factor);
    EXPECT_EQ(differences, 0) << factor;
  }
}

TEST_F(ZoomTest, DrawingAndReshapingWorkInImagePixelsWithAScreenSizedTolerance) {
  Window->FFigureClass = &TFigureRectangle::Class;
  View().ZoomTo(12);  // 800 %
  Drag(80, 40, 400, 327);
  TBasicFigure* rect = Collection->Selected();
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{10, 5}, {50, 40}}));
  EXPECT_EQ(Panel(0), QString("X = 50"));

  // At 6.25 % one screen pixel off the corner's marker is 16 image pixels
  // off: still the corner.
  View().ZoomTo(0);
  Press(4, 3);
  EXPECT_EQ(Window->Mode(), emResize);
  MoveTo(6, 5);
  Release(6, 5);
  EXPECT_EQ(PointsOf(*rect), (std::vector<TPoint>{{10, 5}, {96, 80}}));
}

TEST_F(ZoomTest, MarkersKeepTheirScreenSizeAndStayOutOfTheRaster) {
  // A polyline of one vertex draws nothing: its marker is all there is.
  AddFigure<TFigurePolyLine>({{50, 40}});
  const QImage raster = Raster().copy();
  EXPECT_EQ(raster.pixel(50, 40), QColor(Qt::white).rgb()) << "no marker in the raster";
  for (const int level : {4, ActualSizeLevel, 12}) {
    View().ZoomTo(level);
    const QPoint centre(int(Scale().CentreOf(50)), int(Scale().CentreOf(40)));
    View().ScrollTo(centre - QPoint(100, 100));
    const QRect visible = Visible();
    const QImage shown = Shown();
    QRect marker;
    for (int v = 0; v < shown.height(); ++v)
      for (int u = 0; u < shown.width(); ++u)
        if (RgbAt(shown, u, v) == 0) marker |= QRect(visible.left() + u, visible.top() + v, 1, 1);
    EXPECT_EQ(marker, QRect(centre - QPoint(3, 3), QSize(6, 6))) << ZoomText(level).toStdString();
  }
  EXPECT_EQ(Raster(), raster);
}

TEST_F(ZoomTest, KeysKeepTheMiddleOfWhatIsShownAndTheViewportFilled) {
  // 200 x 150 at 100 % from the viewport's top-left corner: its middle,
  // (100, 75), stays where it is on the screen at 800 %.
  View().ZoomTo(12);
  EXPECT_EQ(View().Scroll(), QPoint(700, 525));
  // From a small whole image, 100 % shows it whole again, not its middle
  // at the viewport's top-left.
  View().ZoomTo(0);
  View().ZoomTo(ActualSizeLevel);
  EXPECT_EQ(View().Scroll(), QPoint(0, 0));
}

TEST_F(ZoomTest, FitKeysShowTheWholeImageOrTheSelectedFigure) {
  // 200 x 150 in a viewport of 665 x 461: 300 % fits, 400 % would not.
  QTest::keyClick(Window->windowHandle(), Qt::Key_9, Qt::ControlModifier);
  EXPECT_EQ(Panel(4), QString("300 %"));
  EXPECT_EQ(View().Scroll(), QPoint(0, 0));
  // A box of 41 x 31 pixels: 1200 % fits, 1600 % would not; its middle in
  // the viewport's.
  AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  QTest::keyClick(Window->windowHandle(), Qt::Key_8, Qt::ControlModifier);
  EXPECT_EQ(Panel(4), QString("1200 %"));
  const QPoint middle = QPoint(int(Scale().ToView(20)) + 41 * 6, int(Scale().ToView(20)) + 31 * 6) - View().Scroll();
  EXPECT_LE((middle - QRect(QPoint(0, 0), Window->pnDraw->size()).center()).manhattanLength(), 2);
}

TEST_F(ZoomTest, CtrlWheelZoomsAroundThePointerAndTheWheelScrolls) {
  // The pointer stays at one place of the viewport while the surface moves
  // under it; scrolled home at 100 % it points at the same image position.
  const QPoint pointer(93, 61);
  const QPointF image(pointer);
  for (int notch = 0; notch < 2; ++notch) Wheel(pointer + View().Scroll(), 120, Qt::ControlModifier);
  EXPECT_EQ(Panel(4), QString("200 %"));
  const QPointF shownAt = image * 2 - QPointF(View().Scroll());
  EXPECT_LE(std::abs(shownAt.x() - pointer.x()), 1.0);
  EXPECT_LE(std::abs(shownAt.y() - pointer.y()), 1.0);

  const QPoint scrolled = View().Scroll();
  Wheel(pointer, -120, Qt::NoModifier);
  EXPECT_EQ(View().Scroll(), scrolled + QPoint(0, 48));
  Wheel(pointer, -120, Qt::ShiftModifier);
  EXPECT_EQ(View().Scroll(), scrolled + QPoint(48, 48));
}

}  // namespace
