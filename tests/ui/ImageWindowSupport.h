// A shown image window over a fresh 200 x 150 white image, driven through
// real mouse and key events on its drawing surface; every notice and every
// top-level error report is recorded.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QString>
#include <QTest>

#include <memory>
#include <ostream>
#include <optional>
#include <type_traits>
#include <vector>

#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "ui/Application.h"
#include "ui/ImgUnit.h"

struct TRecordedAction {
  TfrmImage* Sender;
  TBasicFigure* Figure;
  TFigureAction Action;
};

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }
QT_END_NAMESPACE

inline void PrintTo(const TPoint& P, std::ostream* Out) { *Out << "(" << P.x << ", " << P.y << ")"; }

inline const char* ActionName(TFigureAction Action) {
  switch (Action) {
    case faCreated: return "faCreated";
    case faPasted: return "faPasted";
    case faDeleteRequest: return "faDeleteRequest";
    case faSelected: return "faSelected";
    case faStepDone: return "faStepDone";
    case faRaiseRequest: return "faRaiseRequest";
    case faLowerRequest: return "faLowerRequest";
  }
  return "?";
}
inline void PrintTo(TFigureAction Action, std::ostream* Out) { *Out << ActionName(Action); }

inline const char* ModeName(TEditMode Mode) {
  switch (Mode) {
    case emSelect: return "emSelect";
    case emDraw: return "emDraw";
    case emMove: return "emMove";
    case emResize: return "emResize";
  }
  return "?";
}
inline void PrintTo(TEditMode Mode, std::ostream* Out) { *Out << ModeName(Mode); }

// 0x00RRGGBB of a raster pixel.
inline uint32_t RgbAt(const QImage& Image, int X, int Y) { return Image.pixel(X, Y) & 0xFFFFFFu; }

inline std::vector<TPoint> PointsOf(const TBasicFigure& Figure) {
  return {Figure.Points().begin(), Figure.Points().end()};
}

class ImageWindowTest : public ::testing::Test {
 protected:
  static constexpr int ImageWidth = 200;
  static constexpr int ImageHeight = 150;

  void SetUp() override {
    FPreviousReporter = TApplication::SetErrorReporter([this](const QString& Message) { Reports.push_back(Message); });
    Collection = std::make_unique<TFiguresCollection>(nullptr, TRect{0, 0, ImageWidth, ImageHeight});
    try {
      Collection->SetBackgroundColor(clWhite);
    } catch (const EAbort&) {
      // No canvas yet: the colour is kept and drawn once the window attaches.
    }
    Window = std::make_unique<TfrmImage>();
    Window->OnFigureAction = [this](TfrmImage* Sender, TBasicFigure* Figure, TFigureAction Action) {
      if (Action == faStepDone)
        ++Steps;
      else
        Actions.push_back({Sender, Figure, Action});
    };
    Window->SetImage(Collection.get());
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
  }

  void TearDown() override {
    // The owner's order: the image goes first, then its window.
    Collection.reset();
    Window.reset();
    TApplication::SetErrorReporter(FPreviousReporter);
  }

  QWidget* Surface() const { return Window->imgDraw; }
  const QImage& Raster() const { return Window->imgDraw->Image(); }
  QString Panel(int Index) const { return Window->StatusPanel(Index)->text(); }

  void Press(int X, int Y, Qt::KeyboardModifiers Keys = Qt::NoModifier) {
    QTest::mousePress(Surface(), Qt::LeftButton, Keys, QPoint(X, Y));
  }
  // With the left button held when pressed before, else a hover.
  void MoveTo(int X, int Y) { QTest::mouseMove(Surface(), QPoint(X, Y)); }
  void Release(int X, int Y) { QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(X, Y)); }
  void Drag(int X1, int Y1, int X2, int Y2) {
    Press(X1, Y1);
    MoveTo((X1 + X2) / 2, (Y1 + Y2) / 2 + 1);
    MoveTo(X2, Y2);
    Release(X2, Y2);
  }
  void Click(int X, int Y) {
    Press(X, Y);
    Release(X, Y);
  }
  void RightClick(int X, int Y) {
    QTest::mousePress(Surface(), Qt::RightButton, Qt::NoModifier, QPoint(X, Y));
    QTest::mouseRelease(Surface(), Qt::RightButton, Qt::NoModifier, QPoint(X, Y));
  }

  // A figure placed directly in the image, as a loaded image would hold it.
  template <typename TFigure>
  TFigure* AddFigure(std::vector<TPoint> Points) {
    auto figure = std::make_unique<TFigure>(Window->DrawingCanvas());
    for (size_t i = 0; i < Points.size(); ++i) {
      if constexpr (std::is_base_of_v<TLine, TFigure> || std::is_same_v<TFigure, TFigurePolygon>)
        figure->AddPoint(Points[i]);
      else
        figure->SetPoint(int32_t(i), Points[i]);
    }
    TFigure* raw = figure.get();
    EXPECT_EQ(Collection->Add(std::move(figure)), raw);
    Collection->Redraw();
    return raw;
  }

  std::vector<TFigureAction> ActionKinds() const {
    std::vector<TFigureAction> kinds;
    for (const TRecordedAction& a : Actions) kinds.push_back(a.Action);
    return kinds;
  }

  // The application-wide cursor; none when no override is set.
  static std::optional<Qt::CursorShape> ScreenCursor() {
    const QCursor* cursor = QApplication::overrideCursor();
    if (cursor == nullptr) return std::nullopt;
    return cursor->shape();
  }

  std::unique_ptr<TFiguresCollection> Collection;
  std::unique_ptr<TfrmImage> Window;
  std::vector<TRecordedAction> Actions;  // but for faStepDone, which Steps counts
  int Steps = 0;
  std::vector<QString> Reports;

 private:
  TApplication::TErrorReporter FPreviousReporter;
};
