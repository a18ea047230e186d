// Editing with the keyboard alone: a figure placed, moved and reshaped by
// keys and saved, a run of arrow presses as one step of the history, and
// Tab walking the figures in the object list's order with the list and the
// panel following. Guards against keys that reach no figure, a nudge run
// that floods the history, a key point that moves the wrong point, and a
// Tab order that differs from the list.
#include "MainWindowSupport.h"

#include <QFileDialog>
#include <QLineEdit>

#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "ui/ClassTable.h"

namespace {

using KeyboardEditingTest = MainWindowTest;

// Key presses on the image window, as a person types them there.
void Keys(TfrmMain& Main, std::initializer_list<std::pair<Qt::Key, Qt::KeyboardModifiers>> Presses) {
  for (const auto& [key, modifiers] : Presses) QTest::keyClick(Main.ImageWindow()->imgDraw, key, modifiers);
}

constexpr Qt::KeyboardModifiers None = Qt::NoModifier;

TEST_F(KeyboardEditingTest, RectanglePlacedMovedAndReshapedByKeysIsSavedAsDrawn) {
  NewImage(200, 150);
  // The class chosen in the selector with the arrow key, not the mouse.
  QComboBox* selector = Panel().cbClassSelector;
  selector->setFocus();
  while (selector->currentIndex() < ClassItemIndex(&TFigureRectangle::Class)) QTest::keyClick(selector, Qt::Key_Down);
  ASSERT_EQ(Panel().ChosenClass(), &TFigureRectangle::Class);

  // Placed in the middle of the view (the whole image at 100 %): 120 x 80
  // view pixels around (100, 75).
  Keys(*Main, {{Qt::Key_Insert, None}});
  ASSERT_EQ(Collection().Count(), 1);
  TBasicFigure* rectangle = Collection().Selected();
  EXPECT_EQ(ListTexts(), (std::vector<QString>{"Прямоугольник 0"}));
  EXPECT_EQ(rectangle->Points()[0], (TPoint{40, 35}));
  EXPECT_EQ(rectangle->Points()[1], (TPoint{160, 115}));

  Keys(*Main, {{Qt::Key_Right, None}, {Qt::Key_Right, None}, {Qt::Key_Right, None}, {Qt::Key_Down, Qt::ShiftModifier}});
  // The second point is the one the keys move after Ctrl+Tab.
  Keys(*Main, {{Qt::Key_Tab, Qt::ControlModifier},
               {Qt::Key_Left, Qt::ControlModifier},
               {Qt::Key_Left, Qt::ControlModifier},
               {Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier}});
  EXPECT_EQ(Main->ImageWindow()->KeyPoint(), 1);
  EXPECT_EQ(rectangle->Points()[0], (TPoint{43, 45}));
  EXPECT_EQ(rectangle->Points()[1], (TPoint{161, 115}));

  const std::string path = FilePath("keys.kri");
  WithModal([&] { QTest::keyClick(Main->ImageWindow()->windowHandle(), Qt::Key_S, Qt::ControlModifier); },
            [&](QWidget* Modal) {
              auto* dialog = qobject_cast<QFileDialog*>(Modal);
              ASSERT_NE(dialog, nullptr);
              dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
              QMetaObject::invokeMethod(dialog, "accept");
            });
  // The same rectangle made without the program's windows, styled by the
  // same panel, in the same image.
  TFiguresCollection expected(nullptr, Collection().ImageRect());
  try {
    expected.SetBackgroundColor(Collection().BackgroundColor());
  } catch (const EAbort&) {
    // Kept without a canvas to draw it on.
  }
  auto reference = std::make_unique<TFigureRectangle>(nullptr);
  Panel().ApplyPropsToFigure(reference.get());
  reference->SetPoint(0, {43, 45});
  reference->SetPoint(1, {161, 115});
  expected.Add(std::move(reference));
  TMemoryStream bytes;
  expected.SaveToStream(bytes);
  EXPECT_EQ(ReadFileBytes(path), bytes.Data());

  // Three steps: placing, the moves of the figure, the moves of its point.
  for (int step = 0; step < 3; ++step) {
    ASSERT_TRUE(Main->Document().CanUndo()) << step;
    Main->Document().Undo();
  }
  EXPECT_FALSE(Main->Document().CanUndo());
  EXPECT_EQ(Collection().Count(), 0);
  Main->Document().Redo();
  Main->Document().Redo();
  EXPECT_EQ(Collection().Selected()->Points()[0], (TPoint{43, 45}));
  EXPECT_EQ(Collection().Selected()->Points()[1], (TPoint{163, 125}));
}

TEST_F(KeyboardEditingTest, TabWalksTheListOrderAndTheListAndPanelFollow) {
  NewImage(200, 150);
  Draw(ClassItemIndex(&TFigureRectangle::Class), {10, 10}, {40, 40});
  Draw(ClassItemIndex(&TFigureEllipse::Class), {50, 10}, {90, 40});
  Draw(ClassItemIndex(&TFigureRectangle::Class), {100, 10}, {140, 40});
  Keys(*Main, {{Qt::Key_Escape, None}});
  ASSERT_EQ(List().cbObjectSelect->count(), 3);

  std::vector<QString> visited;
  for (int i = 0; i < 4; ++i) {
    Keys(*Main, {{Qt::Key_Tab, None}});
    TBasicFigure* selected = Collection().Selected();
    EXPECT_EQ(List().ItemFigure(List().cbObjectSelect->currentIndex()), selected);
    EXPECT_EQ(Panel().cbClassSelector->currentIndex(), ClassItemIndex(&selected->ClassType()));
    visited.push_back(List().cbObjectSelect->currentText());
  }
  // From the top figure (just drawn) down the list and round.
  EXPECT_EQ(visited, (std::vector<QString>{ListTexts()[1], ListTexts()[2], ListTexts()[0], ListTexts()[1]}));
  Keys(*Main, {{Qt::Key_Backtab, Qt::ShiftModifier}});
  EXPECT_EQ(List().cbObjectSelect->currentText(), ListTexts()[0]);

  // Page Down lowers the selected figure as the list's button does.
  TBasicFigure* top = Collection().Selected();
  Keys(*Main, {{Qt::Key_PageDown, None}});
  EXPECT_EQ(Collection().IndexOf(top), 1);
  EXPECT_EQ(List().ItemFigure(List().cbObjectSelect->currentIndex()), top);
}

}  // namespace
