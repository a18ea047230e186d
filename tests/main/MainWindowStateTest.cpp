// The main window's two states and what moves it between them: New, Open
// with its guard, Close, the image window's own close box, and the docking
// of the image window. Guards against commands left enabled without an
// image, an image lost when the user cancels, a damaged file that leaves a
// half-open image or a message box behind, and an image window that stops
// following the main window (or follows it from afar).
#include "MainWindowSupport.h"

#include <QGroupBox>
#include <QToolButton>

#include <fstream>

namespace {

using StateTest = MainWindowTest;

struct TStateView {
  bool ImageCommands;  // Close, Save, Export, Copy
  bool ClassSelector;
  bool BasicProps;
  bool ObjectList;
  bool operator==(const TStateView&) const = default;
};

void PrintTo(const TStateView& S, std::ostream* Out) {
  *Out << "{commands " << S.ImageCommands << ", selector " << S.ClassSelector << ", basic " << S.BasicProps << ", list "
       << S.ObjectList << "}";
}

TStateView View(const TfrmMain& Main) {
  const TMainMenu& m = Main.Menu;
  const bool commands = m.mnMain_File_Close->isEnabled() && m.mnMain_File_Save->isEnabled() &&
                        m.mnMain_File_Saveas->isEnabled() && m.mnMain_File_CopyToBuff->isEnabled();
  const bool anyCommand = m.mnMain_File_Close->isEnabled() || m.mnMain_File_Save->isEnabled() ||
                          m.mnMain_File_Saveas->isEnabled() || m.mnMain_File_CopyToBuff->isEnabled();
  EXPECT_EQ(commands, anyCommand) << "the four image commands switch together";
  return {commands, Main.PropertyPanel->cbClassSelector->isEnabled(), Main.PropertyPanel->cbLineColor->isEnabled(),
          Main.ObjectList->cbObjectSelect->isEnabled()};
}

constexpr TStateView NoImage{false, false, false, false};
constexpr TStateView EmptyImage{true, true, true, false};

TEST_F(StateTest, NewAndCloseMoveBetweenTheTwoStates) {
  EXPECT_EQ(View(*Main), NoImage);
  for (QAction* always : {Main->Menu.mnMain_File_New, Main->Menu.mnMain_File_Open, Main->Menu.mnMain_File_PasteFromBuff,
                          Main->Menu.mnMain_File_Quit, Main->Menu.mnMain_About})
    EXPECT_TRUE(always->isEnabled()) << always->text().toStdString();
  EXPECT_TRUE(Main->Menu.mnMain_Options_SortType_Hoar->isChecked());
  EXPECT_EQ(Main->ImageWindow(), nullptr);

  NewImage(300, 120);
  ASSERT_NE(Main->ImageWindow(), nullptr);
  EXPECT_EQ(View(*Main), EmptyImage);
  EXPECT_EQ(Collection().ImageRect(), (TRect{0, 0, 300, 120}));
  EXPECT_EQ(Main->ImageWindow()->imgDraw->Image().size(), QSize(300, 120));
  EXPECT_EQ(Main->ImageWindow()->windowTitle(), QString("Новый"));
  EXPECT_EQ(Main->ImageWindow()->StatusPanel(3)->text(), QString("Режим: Выбор фигуры"));
  EXPECT_TRUE(Main->ImageWindow()->isVisible());

  Main->mn_MainClick(Main->Menu.mnMain_File_Close);
  EXPECT_EQ(Main->ImageWindow(), nullptr);
  EXPECT_FALSE(Main->Document().IsOpen());
  EXPECT_EQ(View(*Main), NoImage);
  EXPECT_EQ(Panel().cbClassSelector->currentIndex(), 0);
  EXPECT_EQ(Panel().ChosenClass(), nullptr);
}

TEST_F(StateTest, TheImageWindowsCloseBoxClosesTheImageAsCloseDoes) {
  NewImage();
  PickClass(5);
  EXPECT_TRUE(Panel().cbBgColor->isEnabled());
  Main->ImageWindow()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Main->ImageWindow(), nullptr);
  EXPECT_EQ(View(*Main), NoImage);
  EXPECT_FALSE(Panel().cbBgColor->isEnabled());
  EXPECT_TRUE(Main->isVisible());
}

TEST_F(StateTest, NewWithAnImageAsksFirstAndCancelKeepsIt) {
  NewImage();
  TFiguresCollection* before = &Collection();
  WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_New); },
            [](QWidget* Box) {
              EXPECT_EQ(static_cast<QMessageBox*>(Box)->text(), QString("Закрыть текущий файл?"));
              EXPECT_EQ(Box->windowTitle(), QString("Закрыть"));
              Answer(Box, QMessageBox::Cancel);
            });
  EXPECT_EQ(&Collection(), before);
  EXPECT_EQ(View(*Main), EmptyImage);

  // Confirmed, then the new-image dialog cancelled: the old image is gone
  // and none is open.
  WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_New); },
            [this](QWidget* Box) {
              QTimer::singleShot(0, [this] {
                QWidget* dialog = QApplication::activeModalWidget();
                ASSERT_EQ(dialog, Main->frmNewDlg);
                Reject(dialog);
              });
              Answer(Box, QMessageBox::Ok);
            });
  EXPECT_FALSE(Main->Document().IsOpen());
  EXPECT_EQ(View(*Main), NoImage);
}

TEST_F(StateTest, ADamagedFileLeavesNoImageAndNoMessageBoxButSaysWhy) {
  const std::string path = FilePath("damaged.kri");
  std::ofstream(path, std::ios::binary) << "KRX  not an image";
  Main->OpenImage(isFile, QString::fromStdString(path));
  EXPECT_EQ(Main->ImageWindow(), nullptr);
  EXPECT_EQ(View(*Main), NoImage);
  EXPECT_EQ(Reports, std::vector<QString>{});
  EXPECT_EQ(Main->sbHelper->currentMessage(), QString("Изображение не открыто: Неверная подпись изображения"));

  // Cut inside the figures: a failure after the image window was prepared.
  TFiguresCollection image(nullptr, TRect{0, 0, 50, 40});
  auto figure = TFigureRectangle::Class.Create(nullptr);
  image.Add(std::move(figure));
  image.SaveToFile(path);
  std::filesystem::resize_file(path, std::filesystem::file_size(path) - 3);
  Main->OpenImage(isFile, QString::fromStdString(path));
  EXPECT_EQ(Main->ImageWindow(), nullptr);
  EXPECT_EQ(View(*Main), NoImage);
  EXPECT_EQ(Main->sbHelper->currentMessage(), QString("Изображение не открыто: Ошибка чтения потока"));
  EXPECT_EQ(Reports, std::vector<QString>{});
}

TEST_F(StateTest, ADockedImageWindowFollowsTheMainWindowAndAFarOneStays) {
  NewImage();
  TfrmImage& image = *Main->ImageWindow();
  const auto edge = [this] { return QPoint(Main->x() + Main->frameGeometry().width(), Main->y()); };
  QCoreApplication::processEvents();
  EXPECT_EQ(image.pos(), edge());

  Main->move(Main->pos() + QPoint(40, 25));
  QCoreApplication::processEvents();
  EXPECT_EQ(image.pos(), edge()) << "near when the move began: docked and moved along";
  EXPECT_TRUE(Main->Docked());
  Main->move(Main->pos() + QPoint(-30, 10));
  QCoreApplication::processEvents();
  EXPECT_EQ(image.pos(), edge());
  EXPECT_TRUE(Main->Docked()) << "the main window's own moves of the image window never undock it";

  // The user drags the image window away: it detaches and stays.
  image.move(image.pos() + QPoint(60, 0));
  QCoreApplication::processEvents();
  EXPECT_FALSE(Main->Docked());
  const QPoint away = image.pos();
  Main->move(Main->pos() + QPoint(0, 30));
  QCoreApplication::processEvents();
  EXPECT_EQ(image.pos(), away);
}

}  // namespace
