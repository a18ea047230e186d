// The image's figures as the accessible children of the drawing surface.
// Guards against children that drift from the object list after a draw, a
// delete, an undo or a sort, wrong boxes, selected and focused states that
// do not follow the document, interfaces made for every figure at once, an
// interface left holding a figure that is gone, and a selection or a change
// of the list that a screen reader never hears of.
#include "MainWindowSupport.h"

#include <QAccessible>

#include <algorithm>
#include <utility>

#include "canvas/IdleCanvas.h"
#include "ui/FigureAccessibility.h"
#include "ui/ImageSurface.h"
#include "ui/ImgUnit.h"

namespace {

using TEventRecord = std::pair<QAccessible::Event, QString>;

// What the figures' interfaces announce, with the name of what each event
// is about.
std::vector<TEventRecord> GEvents;

void RecordEvent(QAccessibleEvent& Event) {
  QAccessibleInterface* face = Event.accessibleInterface();
  GEvents.emplace_back(Event.type(), face != nullptr ? face->text(QAccessible::Name) : QString());
}

class FigureAccessibilityTest : public MainWindowTest {
 public:
  void TearDown() override {
    RecordFigureEvents(nullptr);
    MainWindowTest::TearDown();
  }

  TImageSurface& Surface() const { return *Main->ImageWindow()->imgDraw; }
  QAccessibleInterface* Tree() const { return QAccessible::queryAccessibleInterface(&Surface()); }

  std::vector<QString> ChildTexts(QAccessible::Text Kind) const {
    std::vector<QString> texts;
    for (int i = 0; i < Tree()->childCount(); ++i) texts.push_back(Tree()->child(i)->text(Kind));
    return texts;
  }
  // The children whose state has the flag Pick reads.
  template <typename TPick>
  std::vector<int> ChildrenWhere(TPick Pick) const {
    std::vector<int> found;
    for (int i = 0; i < Tree()->childCount(); ++i)
      if (Pick(Tree()->child(i)->state())) found.push_back(i);
    return found;
  }
  std::vector<int> SelectedChildren() const {
    return ChildrenWhere([](QAccessible::State State) { return bool(State.selected); });
  }
  std::vector<int> FocusedChildren() const {
    return ChildrenWhere([](QAccessible::State State) { return bool(State.focused); });
  }

  void FocusSurface() {
    Main->ImageWindow()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main->ImageWindow()));
    Surface().setFocus();
    ASSERT_TRUE(Surface().hasFocus());
  }

  // An ellipse from (130, 90) to (190, 140), then a rectangle from (10, 20)
  // to (110, 80) on top, selected: a sort by class swaps them.
  std::pair<TBasicFigure*, TBasicFigure*> DrawTwo() {
    NewImage();
    TBasicFigure* ellipse = Draw(5, {130, 90}, {190, 140});
    return {Draw(2, {10, 20}, {110, 80}), ellipse};
  }
};

const QString kRectangleBox = "x 10, y 20, ширина 101, высота 61";
const QString kEllipseBox = "x 130, y 90, ширина 61, высота 51";

TEST_F(FigureAccessibilityTest, ChildrenAreTheListsItemsThroughDeleteUndoAndSort) {
  DrawTwo();
  ASSERT_NE(Tree(), nullptr);
  EXPECT_EQ(Tree()->role(), QAccessible::Canvas);
  EXPECT_EQ(Tree()->text(QAccessible::Name), "Рисунок");
  EXPECT_EQ(ChildTexts(QAccessible::Name), (std::vector<QString>{"Прямоугольник 1", "Эллипс 0"}));
  EXPECT_EQ(ChildTexts(QAccessible::Description), (std::vector<QString>{kRectangleBox, kEllipseBox}));
  EXPECT_EQ(SelectedChildren(), std::vector<int>{0});
  EXPECT_EQ(Tree()->child(1)->role(), QAccessible::Graphic);
  EXPECT_TRUE(Tree()->child(1)->state().selectable && Tree()->child(1)->state().focusable);
  EXPECT_EQ(Tree()->indexOfChild(Tree()->child(1)), 1);
  EXPECT_EQ(Tree()->child(1)->parent(), Tree());

  List().btnDeleteObject->click();
  EXPECT_EQ(ChildTexts(QAccessible::Name), std::vector<QString>{"Эллипс 0"});
  EXPECT_EQ(ChildTexts(QAccessible::Description), std::vector<QString>{kEllipseBox});
  EXPECT_EQ(SelectedChildren(), std::vector<int>{0});

  Main->mn_MainClick(Main->Menu.mnMain_Edit_Undo);
  EXPECT_EQ(ChildTexts(QAccessible::Name), (std::vector<QString>{"Прямоугольник 1", "Эллипс 0"}));
  EXPECT_EQ(ChildTexts(QAccessible::Description), (std::vector<QString>{kRectangleBox, kEllipseBox}));

  List().btnSortObjects->click();
  EXPECT_EQ(ChildTexts(QAccessible::Name), (std::vector<QString>{"Эллипс 1", "Прямоугольник 0"}));
  EXPECT_EQ(ChildTexts(QAccessible::Description), (std::vector<QString>{kEllipseBox, kRectangleBox}));
  EXPECT_EQ(ChildTexts(QAccessible::Name), ListTexts());
}

TEST_F(FigureAccessibilityTest, SelectedAndFocusedFollowTheDocumentAndTheKeyboardFocus) {
  const auto [rectangle, ellipse] = DrawTwo();
  Main->Document().Select(ellipse);
  EXPECT_EQ(SelectedChildren(), std::vector<int>{1});
  EXPECT_EQ(FocusedChildren(), std::vector<int>{}) << "the surface has no focus yet";

  FocusSurface();
  EXPECT_EQ(FocusedChildren(), std::vector<int>{1});
  EXPECT_EQ(Tree()->focusChild(), Tree()->child(1));

  Main->Document().Select(nullptr);
  EXPECT_EQ(SelectedChildren(), std::vector<int>{});
  EXPECT_EQ(FocusedChildren(), std::vector<int>{});
}

TEST_F(FigureAccessibilityTest, InterfacesAreMadeOnRequestAndGoWithTheirList) {
  constexpr int kCount = 2000;
  TFiguresCollection image(&IdleCanvas(), TRect{0, 0, 200, 150});
  for (int i = 0; i < kCount; ++i) image.Add(TFigureRectangle::Class.Create(nullptr))->SetPoint(1, {i % 200, 50});
  image.SaveToFile(FilePath("many.kri"));
  // Announcing the opened image's selection makes one interface, not one
  // per figure.
  RecordFigureEvents(&RecordEvent);
  Main->OpenImage(isFile, QString::fromStdString(FilePath("many.kri")));
  ASSERT_EQ(Tree()->childCount(), kCount);
  EXPECT_EQ(FigureInterfaceCount(Surface()), 1);

  QAccessibleInterface* middle = Tree()->child(kCount / 2);
  EXPECT_EQ(Tree()->child(kCount / 2), middle) << "asked again, the same interface";
  EXPECT_EQ(Tree()->indexOfChild(middle), kCount / 2);
  EXPECT_EQ(middle->text(QAccessible::Name), ListTexts()[kCount / 2]);
  EXPECT_EQ(FigureInterfaceCount(Surface()), 2);

  const QAccessible::Id middleId = QAccessible::uniqueId(middle);
  const QAccessible::Id topId = QAccessible::uniqueId(Tree()->child(0));
  List().btnDeleteObject->click();
  EXPECT_EQ(QAccessible::accessibleInterface(topId), nullptr) << "the deleted figure's interface";
  EXPECT_EQ(QAccessible::accessibleInterface(middleId), nullptr) << "every interface of the old list";
  EXPECT_EQ(Tree()->childCount(), kCount - 1);

  const QAccessible::Id beforeUndo = QAccessible::uniqueId(Tree()->child(5));
  Main->mn_MainClick(Main->Menu.mnMain_Edit_Undo);
  EXPECT_EQ(QAccessible::accessibleInterface(beforeUndo), nullptr) << "undo replaces every figure";

  const QAccessible::Id beforeClose = QAccessible::uniqueId(Tree()->child(7));
  TImageSurface* surface = &Surface();
  Main->CloseImage();
  EXPECT_EQ(QAccessible::accessibleInterface(beforeClose), nullptr);
  EXPECT_EQ(FigureInterfaceCount(*surface), 0);
}

TEST_F(FigureAccessibilityTest, SelectionAndListChangesAreAnnounced) {
  const auto [rectangle, ellipse] = DrawTwo();
  FocusSurface();
  QCoreApplication::processEvents();
  GEvents.clear();
  RecordFigureEvents(&RecordEvent);

  Main->Document().Select(ellipse);
  Main->Document().Select(rectangle);
  const std::vector<TEventRecord> selections{{QAccessible::Selection, "Эллипс 0"},
                                             {QAccessible::StateChanged, "Эллипс 0"},
                                             {QAccessible::Focus, "Эллипс 0"},
                                             {QAccessible::SelectionRemove, "Эллипс 0"},
                                             {QAccessible::StateChanged, "Эллипс 0"},
                                             {QAccessible::Selection, "Прямоугольник 1"},
                                             {QAccessible::StateChanged, "Прямоугольник 1"},
                                             {QAccessible::Focus, "Прямоугольник 1"}};
  EXPECT_EQ(GEvents, selections);

  GEvents.clear();
  List().btnDeleteObject->click();
  ASSERT_EQ(GEvents.size(), 5u) << "two removals, then the new selection";
  std::sort(GEvents.begin(), GEvents.begin() + 2);
  const std::vector<TEventRecord> deletion{{QAccessible::ObjectDestroyed, "Прямоугольник 1"},
                                           {QAccessible::ObjectDestroyed, "Эллипс 0"},
                                           {QAccessible::Selection, "Эллипс 0"},
                                           {QAccessible::StateChanged, "Эллипс 0"},
                                           {QAccessible::Focus, "Эллипс 0"}};
  EXPECT_EQ(GEvents, deletion);

  // The tree hears of the new list once the command is over.
  GEvents.clear();
  QCoreApplication::processEvents();
  EXPECT_EQ(GEvents, (std::vector<TEventRecord>{{QAccessible::ObjectReorder, "Рисунок"}}));
}

}  // namespace
