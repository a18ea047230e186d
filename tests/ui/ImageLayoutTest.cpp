// The image window's frame and controls, scrolling by the track bars in
// tenths of their length, and the quick-help box.
// Guards against a misplaced or missized control, scroll ranges and shifts
// rounded the wrong way (halves must go to the even integer), ranges not
// following the window's size, and quick-help text that loses its lines.
#include "ImageWindowSupport.h"

#include <QFrame>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>

namespace {

class LayoutTest : public ImageWindowTest {
 protected:
  // Attaches a fresh image of the given size.
  void UseImage(int Width, int Height) {
    FImage = std::make_unique<TFiguresCollection>(nullptr, TRect{0, 0, Width, Height});
    Window->SetImage(FImage.get());
  }
  // The client size, applied before the check.
  void ResizeWindow(int Width, int Height) {
    Window->resize(Width, Height);
    QApplication::processEvents();
    ASSERT_EQ(Window->size(), QSize(Width, Height));
  }

  void TearDown() override {
    Window->SetImage(nullptr);
    FImage.reset();
    ImageWindowTest::TearDown();
  }

 private:
  std::unique_ptr<TFiguresCollection> FImage;
};

TEST_F(LayoutTest, FrameAndControlsAsLaidOut) {
  EXPECT_EQ(Window->windowTitle(), QString("Новый"));
  EXPECT_EQ(Window->isWindow(), true);
  EXPECT_EQ(Window->parentWidget(), nullptr);
  EXPECT_EQ(Window->size(), QSize(700, 516));
  EXPECT_EQ(Window->minimumSize(), QSize(700, 516));

  EXPECT_EQ(Window->sbStatus->geometry(), QRect(0, 496, 700, 20));
  EXPECT_EQ(Window->pnMain->geometry(), QRect(0, 0, 700, 496));
  EXPECT_EQ(Window->pnTop->geometry(), QRect(0, 0, 700, 35));
  EXPECT_EQ(Window->imgSpacer->geometry(), QRect(0, 0, 35, 35));
  EXPECT_EQ(Window->tbHoriz->geometry(), QRect(35, 0, 665, 35));
  EXPECT_EQ(Window->tbVert->geometry(), QRect(0, 35, 35, 461));
  EXPECT_EQ(Window->pnDraw->geometry(), QRect(35, 35, 665, 461));
  EXPECT_EQ(Window->imgDraw->geometry(), QRect(0, 0, ImageWidth, ImageHeight));
  EXPECT_EQ(Window->imgDraw->parentWidget(), Window->pnDraw);
  EXPECT_EQ(Window->imgDraw->hasMouseTracking(), true);
  EXPECT_EQ(Raster().size(), QSize(ImageWidth, ImageHeight));
  EXPECT_EQ(Raster().format(), QImage::Format_RGB32);

  EXPECT_EQ(Window->tbHoriz->orientation(), Qt::Horizontal);
  EXPECT_EQ(Window->tbVert->orientation(), Qt::Vertical);
  EXPECT_EQ(Window->tbHoriz->minimum(), 0);
  EXPECT_EQ(Window->tbVert->minimum(), 0);
  EXPECT_EQ(Window->pnDraw->palette().color(QPalette::Window), QColor(0, 128, 128));
  EXPECT_EQ(Window->pnDraw->frameShadow(), QFrame::Sunken);
  EXPECT_EQ(Window->imgSpacer->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(Window->imgSpacer->pixmap().size(), QSize(35, 35));

  const int widths[5] = {50, 50, 150, 150, 50};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Window->StatusPanel(i)->width(), widths[i]);
    EXPECT_EQ(Window->StatusPanel(i)->frameShadow(), i < 2 ? QFrame::Raised : QFrame::Sunken);
  }
  EXPECT_EQ(Panel(2), QString("Пусто"));
  EXPECT_EQ(Panel(3), QString("Режим: Выбор фигуры"));
}

TEST_F(LayoutTest, NewWindowStartsEmpty) {
  TfrmImage fresh;
  EXPECT_EQ(fresh.Collection(), nullptr);
  EXPECT_EQ(fresh.FFigureClass, nullptr);
  EXPECT_EQ(fresh.Mode(), emSelect);
  EXPECT_EQ(fresh.QuadStage(), 0);
  EXPECT_EQ(fresh.tbHoriz->maximum(), 0);
  EXPECT_EQ(fresh.tbVert->maximum(), 0);
  EXPECT_EQ(fresh.StatusPanel(2)->text(), QString("Пусто"));
  // Without an image, presses and keys do nothing.
  fresh.imgDrawMouseDown(Qt::LeftButton, {}, 5, 5);
  int key = Qt::Key_V;
  fresh.FormKeyDown(key, Qt::ControlModifier);
  EXPECT_EQ(key, int(Qt::Key_V));
}

TEST_F(LayoutTest, AttachingAnImageDrawsItAtTheOrigin) {
  Collection->SetBackgroundColor(0x00FF0000u);  // blue
  UseImage(120, 90);
  EXPECT_EQ(Window->imgDraw->geometry(), QRect(0, 0, 120, 90));
  EXPECT_EQ(Raster().size(), QSize(120, 90));
  // The new image's background was never set: black.
  EXPECT_EQ(RgbAt(Raster(), 119, 89), 0x000000u);
  Window->SetImage(Collection.get());
  EXPECT_EQ(RgbAt(Raster(), 199, 149), 0x0000FFu);
  EXPECT_EQ(Collection->Canvas(), Window->DrawingCanvas());
}

TEST_F(LayoutTest, ScrollRangeIsTenthsOfTheTrackBar) {
  UseImage(100, 100);
  ASSERT_EQ(Window->tbHoriz->width(), 665);
  ASSERT_EQ(Window->tbVert->height(), 461);
  EXPECT_EQ(Window->tbHoriz->maximum(), 2);  // 1.504
  EXPECT_EQ(Window->tbVert->maximum(), 2);   // 2.169
  Window->tbHoriz->setValue(1);
  EXPECT_EQ(Window->imgDraw->pos(), QPoint(-66, 0));  // 66.5
  Window->tbHoriz->setValue(2);
  EXPECT_EQ(Window->imgDraw->pos(), QPoint(-133, 0));
  Window->tbVert->setValue(1);
  EXPECT_EQ(Window->imgDraw->pos(), QPoint(-133, -46));  // 46.1
  Window->tbVert->setValue(2);
  EXPECT_EQ(Window->imgDraw->pos(), QPoint(-133, -92));  // 92.2
  Window->tbHoriz->setValue(0);
  EXPECT_EQ(Window->imgDraw->pos(), QPoint(0, -92));

  // Pointer coordinates stay image pixels while scrolled.
  MoveTo(10, 95);
  EXPECT_EQ(Panel(0), QString("X = 10"));
  EXPECT_EQ(Panel(1), QString("Y = 95"));

  // Short images: at most 5 % of the bar cannot be scrolled.
  UseImage(33, 23);
  EXPECT_EQ(Window->tbHoriz->maximum(), 0);  // 0.496
  EXPECT_EQ(Window->tbVert->maximum(), 0);   // 0.499
  UseImage(34, 24);
  EXPECT_EQ(Window->tbHoriz->maximum(), 1);  // 0.511
  EXPECT_EQ(Window->tbVert->maximum(), 1);   // 0.521
}

TEST_F(LayoutTest, HalvesGoToTheEvenInteger) {
  ResizeWindow(835, 855);  // track bars 800 long
  ASSERT_EQ(Window->tbHoriz->width(), 800);
  ASSERT_EQ(Window->tbVert->height(), 800);
  const struct {
    int Extent;
    int Range;
  } cases[] = {{40, 0}, {120, 2}, {200, 2}, {280, 4}, {360, 4}, {100, 1}, {140, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Extent);
    UseImage(c.Extent, c.Extent);
    EXPECT_EQ(Window->tbHoriz->maximum(), c.Range);
    EXPECT_EQ(Window->tbVert->maximum(), c.Range);
  }
  // Shifts: position 3 on a 665-pixel bar is 199.5, position 1 is 66.5.
  ResizeWindow(700, 516);
  UseImage(2000, 2000);
  Window->tbHoriz->setValue(3);
  EXPECT_EQ(Window->imgDraw->x(), -200);
  Window->tbHoriz->setValue(1);
  EXPECT_EQ(Window->imgDraw->x(), -66);
  Window->tbHoriz->setValue(5);
  EXPECT_EQ(Window->imgDraw->x(), -332);  // 332.5
}

TEST_F(LayoutTest, ResizingTheWindowRecomputesTheRangesOnly) {
  UseImage(1000, 800);
  EXPECT_EQ(Window->tbHoriz->maximum(), 15);  // 15.04
  EXPECT_EQ(Window->tbVert->maximum(), 17);   // 17.35
  Window->tbHoriz->setValue(4);
  Window->tbVert->setValue(3);
  const QPoint place = Window->imgDraw->pos();
  EXPECT_EQ(place, QPoint(-266, -138));  // 266.0, 138.3

  ResizeWindow(1035, 855);  // bars 1000 and 800 long
  EXPECT_EQ(Window->tbHoriz->maximum(), 10);
  EXPECT_EQ(Window->tbVert->maximum(), 10);
  EXPECT_EQ(Window->tbHoriz->value(), 4);
  EXPECT_EQ(Window->tbVert->value(), 3);
  EXPECT_EQ(Window->imgDraw->pos(), place);
  EXPECT_EQ(Window->pnDraw->geometry(), QRect(35, 35, 1000, 800));
  EXPECT_EQ(Window->sbStatus->geometry(), QRect(0, 835, 1035, 20));
}

TEST_F(LayoutTest, QuickHelpIsSixLinesEachEndedByACarriageReturn) {
  EXPECT_EQ(TfrmImage::QuickHelpText(),
            QString("Левая кнопка мыши + Shift - удалить/добавить точку\r"
                    "Правая кнопка мыши - закончить рисование\r"
                    "Del - удалить выделенную фигуру\r"
                    "Ctrl + C - скопировать фигуру в буфер обмена\r"
                    "Ctrl + X - вырезать фигуру\r"
                    "Ctrl + V - вставить фигуру\r"));
}

TEST_F(LayoutTest, ClickOnTheSpacerShowsTheQuickHelpBox) {
  struct TSeen {
    bool Found = false;
    QString Title, Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons;
    QWidget* Owner = nullptr;
    Qt::WindowModality Modality = Qt::NonModal;
    bool OnTop = false;
  } seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = {true,
            box->windowTitle(),
            box->text(),
            box->icon(),
            box->standardButtons(),
            box->parentWidget(),
            box->windowModality(),
            box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)};
    box->button(QMessageBox::Ok)->click();
  });
  QTest::mouseClick(Window->imgSpacer, Qt::LeftButton, Qt::NoModifier, QPoint(17, 17));
  ASSERT_EQ(seen.Found, true);
  EXPECT_EQ(seen.Title, QString("Краткая справка"));
  EXPECT_EQ(seen.Text, QString("Левая кнопка мыши + Shift - удалить/добавить точку\n"
                               "Правая кнопка мыши - закончить рисование\n"
                               "Del - удалить выделенную фигуру\n"
                               "Ctrl + C - скопировать фигуру в буфер обмена\n"
                               "Ctrl + X - вырезать фигуру\n"
                               "Ctrl + V - вставить фигуру"));
  EXPECT_EQ(seen.Icon, QMessageBox::Information);
  EXPECT_EQ(seen.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(seen.Owner, nullptr);
  EXPECT_EQ(seen.Modality, Qt::ApplicationModal);
  EXPECT_EQ(seen.OnTop, true);
}

}  // namespace
