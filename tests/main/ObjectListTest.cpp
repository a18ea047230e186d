// The object list against the collection: numbering after open, draw,
// delete and sort, the selection that follows each command, raising and
// lowering, and the sort routine the menu chooses. Guards against a list
// that drifts from the drawing order, a delete that leaves a stale item, a
// lock left down over an empty list, and a sort item wired to the wrong
// routine of the library.
#include "MainWindowSupport.h"

#include <QToolButton>

#include <map>

#include "canvas/IdleCanvas.h"

namespace {

using ListTest = MainWindowTest;

// An image of a rectangle, an ellipse and a text, bottom to top, saved
// with the ellipse selected.
std::string SaveThreeFigures(const std::string& Path) {
  TFiguresCollection image(&IdleCanvas(), TRect{0, 0, 200, 150});
  for (const TFigureClass* cls : {&TFigureRectangle::Class, &TFigureEllipse::Class, &TFigureText::Class}) {
    TBasicFigure* figure = image.Add(cls->Create(nullptr));
    figure->SetPoint(0, {10 + 40 * image.Count(), 20});
  }
  image.SetSelected(image.GetFigure(1));
  image.SaveToFile(Path);
  return Path;
}

TEST_F(ListTest, AnOpenedImageIsListedTopFirstWithItsSelection) {
  Main->OpenImage(isFile, QString::fromStdString(SaveThreeFigures(FilePath("three.kri"))));
  ASSERT_NE(Main->ImageWindow(), nullptr);
  EXPECT_EQ(ListTexts(), (std::vector<QString>{"Текст 2", "Эллипс 1", "Прямоугольник 0"}));
  EXPECT_EQ(List().cbObjectSelect->currentIndex(), 1);
  EXPECT_EQ(Collection().Selected(), Collection().GetFigure(1));
  EXPECT_EQ(Panel().cbClassSelector->currentIndex(), 5) << "the panel shows the selected figure";
  EXPECT_TRUE(List().btnObjectUp->isEnabled());
  EXPECT_TRUE(List().btnObjectDown->isEnabled());
  EXPECT_EQ(Main->ImageWindow()->windowTitle(), QString::fromStdString(FilePath("three.kri")));
}

TEST_F(ListTest, DeleteSelectsTheBottomFigureAndNewItemsTakeTheCount) {
  Main->OpenImage(isFile, QString::fromStdString(SaveThreeFigures(FilePath("three.kri"))));
  TBasicFigure* bottom = Collection().GetFigure(0);
  // The Delete key in the image window reaches the delete command.
  QTest::keyClick(Main->ImageWindow()->imgDraw, Qt::Key_Delete);
  EXPECT_EQ(Collection().Count(), 2);
  EXPECT_EQ(ListTexts(), (std::vector<QString>{"Текст 2", "Прямоугольник 0"}));
  EXPECT_EQ(List().cbObjectSelect->currentIndex(), 1);
  EXPECT_EQ(Collection().Selected(), bottom);

  TBasicFigure* drawn = Draw(7, {20, 60}, {90, 120});
  Main->ImageFigureAction(Main->ImageWindow(), drawn, faSelected);
  EXPECT_EQ(ListTexts(), (std::vector<QString>{"Хорда 2", "Текст 2", "Прямоугольник 0"}))
      << "numbered by the items before it, so two items share a number until the next rebuild";
  EXPECT_EQ(List().cbObjectSelect->currentIndex(), 0);
  EXPECT_FALSE(List().btnObjectLock->isChecked());

  List().btnObjectOpClick(List().btnSortObjects);
  EXPECT_EQ(ListTexts(), (std::vector<QString>{"Хорда 2", "Прямоугольник 1", "Текст 0"}));
  EXPECT_EQ(List().ItemFigure(List().cbObjectSelect->currentIndex()), Collection().Selected());

  for (int i = 0; i < 3; ++i) List().btnObjectOpClick(List().btnDeleteObject);
  EXPECT_EQ(Collection().Count(), 0);
  EXPECT_FALSE(List().cbObjectSelect->isEnabled());
  EXPECT_FALSE(List().btnDeleteObject->isEnabled());
  EXPECT_FALSE(List().btnObjectLock->isEnabled());
  EXPECT_FALSE(List().btnObjectLock->isChecked());
}

TEST_F(ListTest, UpAndDownExchangeFiguresAndItemsTogether) {
  Main->OpenImage(isFile, QString::fromStdString(SaveThreeFigures(FilePath("three.kri"))));
  TBasicFigure* ellipse = Collection().GetFigure(1);
  List().btnObjectOpClick(List().btnObjectUp);
  EXPECT_EQ(Collection().GetFigure(2), ellipse);
  EXPECT_EQ(ListTexts(), (std::vector<QString>{"Эллипс 1", "Текст 2", "Прямоугольник 0"}));
  EXPECT_EQ(List().cbObjectSelect->currentIndex(), 0);
  EXPECT_FALSE(List().btnObjectUp->isEnabled()) << "the top item cannot go higher";
  List().btnObjectOpClick(List().btnObjectDown);
  List().btnObjectOpClick(List().btnObjectDown);
  EXPECT_EQ(Collection().GetFigure(0), ellipse);
  EXPECT_EQ(Collection().Selected(), ellipse);
  EXPECT_FALSE(List().btnObjectDown->isEnabled());

  List().btnObjectOpClick(List().btnClearAllObjects);
  EXPECT_EQ(Collection().Count(), 0);
  EXPECT_EQ(ListTexts(), std::vector<QString>{});
}

// Counts the comparisons a sort asks for, by operator: each routine of the
// library has its own signature (insertion asks only "greater", the
// exchange sort only "less", quicksort both).
struct TCountingCompare {
  std::map<TFigureCompareOp, int> Calls;
  TFiguresCollection* Image;
  static bool Code(void* Data, TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op) {
    auto* self = static_cast<TCountingCompare*>(Data);
    ++self->Calls[Op];
    return self->Image->Compare(F1, F2, Op);
  }
};

TEST_F(ListTest, EachSortItemCallsItsRoutineOfTheLibrary) {
  TFiguresCollection image(nullptr, TRect{0, 0, 10, 10});
  for (const TFigureClass* cls : {&TFigureText::Class, &TFigurePie::Class, &TFigureEllipse::Class, &TFigureChord::Class})
    image.Add(cls->Create(nullptr));
  struct TCase {
    QAction* Item;
    std::map<TFigureCompareOp, int> Expected;
  };
  // Four figures already in descending order.
  const std::vector<TCase> cases = {
      {Main->Menu.mnMain_Options_SortType_Insert, {{coGreater, 3}}},
      {Main->Menu.mnMain_Options_SortType_Bubble, {{coLess, 6}}},
      {Main->Menu.mnMain_Options_SortType_Hoar, {{coGreater, 3}, {coLess, 5}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Item->text().toStdString());
    c.Item->trigger();
    TCountingCompare counter{{}, &image};
    Main->SortFigures(image.Head(), uint16_t(image.Count()), TFigureCompare{&TCountingCompare::Code, &counter});
    EXPECT_EQ(counter.Calls, c.Expected);
  }
}

}  // namespace
