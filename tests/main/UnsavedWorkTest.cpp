// Work that is not lost: the modified mark, the question before a modified
// image is discarded, undo and redo, and recovery files. Guards against a
// command that throws a drawing away without asking, a question asked of an
// image with nothing to lose, a failed save taken for a saved one, an undo
// that leaves the bytes, the object list or the panel out of step, and a
// recovery file that is never restored or breaks the start.
#include "MainWindowSupport.h"

#include <QFileDialog>
#include <QLineEdit>

#include <fstream>

#include "document/ClipBoardUnit.h"
#include "document/Recovery.h"
#include "figures/Streams.h"
#include "ui/RecoveryKeeper.h"

namespace {

using UnsavedWorkTest = MainWindowTest;

TImageState Bytes(const TFiguresCollection& Image) {
  TMemoryStream container;
  Image.SaveToStream(container);
  return container.TakeData();
}

// Clicks the button captioned Caption of the save question.
std::function<void(QWidget*)> AnswerSave(const QString& Caption) {
  return [Caption](QWidget* Modal) {
    auto* box = qobject_cast<QMessageBox*>(Modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString("Сохранить изменения в «Новый»?"));
    for (QAbstractButton* button : box->buttons())
      if (button->text() == Caption) return button->click();
    ADD_FAILURE() << "no button " << Caption.toStdString();
  };
}

// Answers Save, then the file dialog that follows with Path.
std::function<void(QWidget*)> SaveAs(const std::string& Path) {
  return [Path](QWidget* Box) {
    QTimer::singleShot(0, [Path] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(Path));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    AnswerSave("Сохранить")(Box);
  };
}

TEST_F(UnsavedWorkTest, EveryDiscardingCommandAsksForAModifiedImageOnly) {
  NewImage();
  Main->mn_MainClick(Main->Menu.mnMain_File_Close);
  EXPECT_FALSE(Main->Document().IsOpen()) << "an unmodified image goes without a question";

  NewImage();
  Draw(2, {10, 10}, {60, 50});
  EXPECT_EQ(Main->ImageWindow()->windowTitle(), QString("Новый *"));
  CopyImageToClipboard(Collection());
  TFiguresCollection* image = &Collection();
  const auto& m = Main->Menu;
  for (QAction* command : {m.mnMain_File_Close, m.mnMain_File_New, m.mnMain_File_Open, m.mnMain_File_PasteFromBuff,
                           m.mnMain_File_Quit}) {
    SCOPED_TRACE(command->text().toStdString());
    WithModal([&] { Main->mn_MainClick(command); }, AnswerSave("Отмена"));
    EXPECT_EQ(&Collection(), image);
  }
  WithModal([&] { Main->ImageWindow()->close(); }, AnswerSave("Отмена"));
  EXPECT_EQ(&Collection(), image);
  EXPECT_TRUE(Main->ImageWindow()->isVisible());

  // Quit answered once: the image goes with the main window, and no
  // window of the image is left to ask again.
  WithModal([&] { Main->mn_MainClick(m.mnMain_File_Quit); }, AnswerSave("Не сохранять"));
  EXPECT_FALSE(Main->isVisible());
  EXPECT_FALSE(Main->Document().IsOpen());
  EXPECT_EQ(Main->ImageWindow(), nullptr);
}

TEST_F(UnsavedWorkTest, SaveGoesOnOnlyOnceTheFileIsWritten) {
  NewImage();
  Draw(2, {10, 10}, {60, 50});
  TFiguresCollection* image = &Collection();
  WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_Close); }, SaveAs(FilePath("missing/plan.kri")));
  EXPECT_EQ(&Collection(), image);
  EXPECT_EQ(Reports.size(), 1u);
  EXPECT_TRUE(Main->Document().Modified());

  const TImageState expected = Bytes(Collection());
  WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_Close); }, SaveAs(FilePath("plan.kri")));
  EXPECT_FALSE(Main->Document().IsOpen());
  EXPECT_EQ(ReadFileBytes(FilePath("plan.kri")), expected);
}

TEST_F(UnsavedWorkTest, ZoomKeysFromTheMainWindowChangeTheViewAlone) {
  NewImage();
  const TImageState before = Bytes(Collection());
  const QImage raster = Main->ImageWindow()->imgDraw->Image().copy();
  QTest::keyClick(Main->windowHandle(), Qt::Key_Equal, Qt::ControlModifier);
  QTest::keyClick(Main->windowHandle(), Qt::Key_Equal, Qt::ControlModifier);
  EXPECT_EQ(Main->ImageWindow()->StatusPanel(4)->text(), QString("200 %"));
  EXPECT_FALSE(Main->Document().Modified());
  EXPECT_FALSE(Main->Document().CanUndo());
  EXPECT_EQ(Bytes(Collection()), before);
  EXPECT_EQ(Main->ImageWindow()->imgDraw->Image(), raster);
  QTest::keyClick(Main->windowHandle(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(Main->ImageWindow()->StatusPanel(4)->text(), QString("100 %"));
}

TEST_F(UnsavedWorkTest, UndoAndRedoGiveBackEveryStateAndItsViews) {
  NewImage();
  std::vector<TImageState> states{Bytes(Collection())};
  Draw(2, {10, 10}, {60, 50});
  states.push_back(Bytes(Collection()));
  Draw(5, {70, 20}, {120, 80});
  states.push_back(Bytes(Collection()));
  // Two edits of one control on one figure: one step.
  Panel().speditLineWidth->setValue(3);
  Panel().speditLineWidth->setValue(4);
  states.push_back(Bytes(Collection()));
  QWidget* surface = Main->ImageWindow()->imgDraw;
  QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, {95, 50});
  QTest::mouseMove(surface, {100, 52});
  QTest::mouseMove(surface, {105, 56});
  QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, {105, 56});
  states.push_back(Bytes(Collection()));
  List().SelectFigureItem(Collection().GetFigure(0));
  List().btnObjectOpClick(List().btnDeleteObject);
  states.push_back(Bytes(Collection()));
  ASSERT_EQ(Main->Document().History().Count(), states.size());

  const auto viewsAgree = [this] {
    ASSERT_EQ(List().cbObjectSelect->count(), Collection().Count());
    TBasicFigure* selected = Collection().Selected();
    if (selected == nullptr) return;
    EXPECT_EQ(List().ItemFigure(List().cbObjectSelect->currentIndex()), selected);
    EXPECT_EQ(Panel().speditLineWidth->value(), selected->PenWidth());
  };
  for (size_t i = states.size() - 1; i > 0; --i) {
    Main->mn_MainClick(Main->Menu.mnMain_Edit_Undo);
    EXPECT_EQ(Bytes(Collection()), states[i - 1]) << "undo to state " << i - 1;
    viewsAgree();
  }
  EXPECT_FALSE(Main->Menu.mnMain_Edit_Undo->isEnabled());
  EXPECT_EQ(Main->ImageWindow()->windowTitle(), QString("Новый")) << "back where it was created";
  for (size_t i = 1; i < states.size(); ++i) {
    Main->mn_MainClick(Main->Menu.mnMain_Edit_Redo);
    EXPECT_EQ(Bytes(Collection()), states[i]) << "redo to state " << i;
    viewsAgree();
  }
  EXPECT_FALSE(Main->Menu.mnMain_Edit_Redo->isEnabled());
}

TEST_F(UnsavedWorkTest, LeftoversAreRestoredModifiedAndDamagedOnesSetAside) {
  NewImage();
  Draw(5, {10, 10}, {60, 50});
  const TImageState drawn = Bytes(Collection());
  WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_Close); }, AnswerSave("Не сохранять"));
  // A restored image is what the same bytes give when opened from a file.
  WriteFileAtomically(FilePath("drawn.kri"), drawn);
  Main->OpenImage(isFile, QString::fromStdString(FilePath("drawn.kri")));
  const TImageState opened = Bytes(Collection());
  Main->mn_MainClick(Main->Menu.mnMain_File_Close);
  const std::string folder = DefaultRecoveryFolder();
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/damaged.krr", std::ios::binary) << "KRECOVER and then nothing whole";
  // The first button: the warning's OK, then "Восстановить".
  const auto firstButton = [](QWidget* Modal) {
    auto* box = qobject_cast<QMessageBox*>(Modal);
    ASSERT_NE(box, nullptr);
    box->buttons().front()->click();
  };
  WithModal([&] { EXPECT_FALSE(Main->OfferRecovery()); }, firstButton);
  EXPECT_TRUE(std::filesystem::exists(folder + "/damaged.krr.damaged"));

  {
    TRecoveryStore crashed(folder);
    crashed.Write(drawn, "/home/u/plan.kri");
  }
  WithModal([&] { EXPECT_TRUE(Main->OfferRecovery()); }, firstButton);
  ASSERT_TRUE(Main->Document().IsOpen());
  EXPECT_EQ(Bytes(Collection()), opened);
  EXPECT_EQ(Main->ImageWindow()->windowTitle(), QString("/home/u/plan.kri *"));
  EXPECT_EQ(TRecoveryStore(folder).Leftovers().size(), 0u) << "the restored one is this program's own now";
}

}  // namespace
