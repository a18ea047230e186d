// The file and clipboard commands of the main window: the names Save
// proposes, the caption after saving, the pictures Export and Copy take and
// the selection Copy stores, the formats Export writes by the filter
// chosen, the printed page, Paste replacing the open image, and Open
// cancelled after the confirmation. Guards against a saved file that
// differs from the image, markers leaking into a picture, a copied image
// that forgets its selected figure, a window left disabled after a failed
// export, an export that differs from kri's or ignores the filter, a page
// not turned, centred or fitted, and a wrong name proposed to the user.
#include "MainWindowSupport.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QCheckBox>
#include <QMimeData>
#include <QLineEdit>
#include <QProcess>

#include "canvas/BmpEncode.h"
#include "canvas/RasterCanvas.h"
#include "document/ClipBoardUnit.h"
#include "export/Export.h"
#include "figures/Streams.h"
#include "ui/FileDialogs.h"

namespace {

using FileTest = MainWindowTest;

// Answers a file dialog with Path, noting the name it proposed.
std::function<void(QWidget*)> ChooseFile(const std::string& Path, QString* Proposed = nullptr) {
  return [Path, Proposed](QWidget* Modal) {
    auto* dialog = qobject_cast<QFileDialog*>(Modal);
    ASSERT_NE(dialog, nullptr);
    QLineEdit* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (Proposed != nullptr) *Proposed = name->text();
    name->setText(QString::fromStdString(Path));
    QMetaObject::invokeMethod(dialog, "accept");
  };
}

TEST_F(FileTest, SaveProposesTheCaptionsNameAndTakesTheFileAsCaption) {
  EXPECT_EQ(ProposedFileName("Новый", ".kri"), QString("Новый.kri"));
  EXPECT_EQ(ProposedFileName("/home/u/plan.v2.kri", ".bmp"), QString("/home/u/plan.v2.bmp"));

  NewImage(120, 90);
  Draw(2, {10, 10}, {60, 50});
  QString proposed;
  const std::string path = FilePath("plan.kri");
  WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_Save); }, ChooseFile(path, &proposed));
  EXPECT_EQ(proposed, QString("Новый.kri"));
  EXPECT_EQ(Main->ImageWindow()->windowTitle(), QString::fromStdString(path));
  TMemoryStream expected;
  Collection().SaveToStream(expected);
  EXPECT_EQ(ReadFileBytes(path), expected.Data());

  WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_Save); }, ChooseFile(FilePath("copy.kri"), &proposed));
  EXPECT_EQ(proposed, QString("plan.kri"));
}

TEST_F(FileTest, ExportAndCopyTakeTheImageWithoutMarkersAndKeepTheSelection) {
  NewImage(120, 90);
  TBasicFigure* figure = Draw(2, {10, 10}, {60, 50});
  Draw(2, {70, 20}, {100, 60});
  Main->ImageFigureAction(Main->ImageWindow(), figure, faSelected);
  ASSERT_EQ(Collection().Selected(), figure);
  // The image as the collection draws it on a canvas of its own.
  QImage drawn(120, 90, QImage::Format_RGB32);
  drawn.fill(Qt::white);
  TRasterCanvas canvas(drawn);
  Collection().DrawOn(canvas);

  const std::string path = FilePath("picture.jpg");
  WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_Saveas); }, ChooseFile(path));
  const std::vector<uint8_t> written = ReadFileBytes(path);
  ASSERT_GE(written.size(), 2u);
  EXPECT_EQ(written[0], 'B') << "a bitmap whatever the extension";
  EXPECT_EQ(written, EncodeBmp24(drawn));
  EXPECT_EQ(Collection().Selected(), figure);

  Main->mn_MainClick(Main->Menu.mnMain_File_CopyToBuff);
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  const QByteArray container = copied->data(QString::fromLatin1(CF_IMAGE.Name));
  ASSERT_GE(container.size(), KriHeaderSize);
  EXPECT_EQ(container.mid(29, 4), QByteArray("\0\0\0\0", 4)) << "the selected figure, 0 from the bottom";
  EXPECT_EQ(QImage::fromData(copied->data("image/png")).convertToFormat(QImage::Format_RGB32), drawn);

  // A write that fails is reported after the window is back.
  WithModal([&] { Main->Menu.mnMain_File_Saveas->trigger(); }, ChooseFile("/proc/kresta-export.bmp"));
  EXPECT_EQ(Reports.size(), 1u);
  EXPECT_TRUE(Main->ImageWindow()->isEnabled());
}

// Answers the export dialog as a person does: picks Filter, then types Path
// over the name proposed, which it notes.
std::function<void(QWidget*)> ExportAs(const QString& Filter, const std::string& Path, QString* Proposed) {
  return [=](QWidget* Modal) {
    auto* types = Modal->findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    const int index = types->findText(Filter);
    ASSERT_GE(index, 0) << Filter.toStdString();
    types->setCurrentIndex(index);
    emit types->activated(index);
    emit types->textActivated(Filter);
    ChooseFile(Path, Proposed)(Modal);
  };
}

TEST_F(FileTest, ExportWritesTheFormatOfTheFilterChosenAsKriDoes) {
  NewImage(120, 90);
  Draw(2, {10, 10}, {60, 50});
  Draw(4, {30, 20}, {100, 80});
  const std::string saved = FilePath("image.kri");
  Collection().SaveToFile(saved);
  const std::unique_ptr<TFiguresCollection> reopened = TFiguresCollection::CreateFromFile(nullptr, saved);
  for (const auto& [filter, format, extension] :
       {std::tuple{"PNG (*.png)", TExportFormat::Png, ".png"}, std::tuple{"SVG (*.svg)", TExportFormat::Svg, ".svg"},
        std::tuple{"PDF (*.pdf)", TExportFormat::Pdf, ".pdf"}}) {
    SCOPED_TRACE(filter);
    // Typed without an extension, the name gets the format's; the name
    // proposed has it already.
    QString proposed;
    WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_Saveas); },
              ExportAs(filter, FilePath("exported"), &proposed));
    EXPECT_TRUE(proposed.endsWith(extension)) << proposed.toStdString();
    const std::vector<uint8_t> written = ReadFileBytes(FilePath("exported") + extension);
    std::vector<TVectorApproximation> approximated;
    const std::string reference = FilePath("reference") + extension;
    ExportImage(*reopened, reference, format, approximated);
    EXPECT_EQ(written, ReadFileBytes(reference));
  }
}

// The printed page as poppler draws it at 96 dots per inch, a dot an image
// pixel at the image's own size.
QImage PrintedPage(const std::string& Pdf) {
  QProcess poppler;
  poppler.start("pdftoppm", {"-r", "96", "-png", "-singlefile", QString::fromStdString(Pdf)});
  if (!poppler.waitForFinished(60000) || poppler.exitCode() != 0) return {};
  return QImage::fromData(poppler.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

// The box of the page's dark pixels.
QRect DarkBox(const QImage& Page) {
  QRect box;
  for (int y = 0; y < Page.height(); ++y)
    for (int x = 0; x < Page.width(); ++x)
      if (qGray(Page.pixel(x, y)) < 64) box |= QRect(x, y, 1, 1);
  return box;
}

TEST_F(FileTest, PrintPutsTheImageCentredOnTheTurnedPageAtItsSizeOrFitted) {
  NewImage(300, 100);
  Collection().SetBackgroundColor(clBlack);
  for (const bool fit : {false, true}) {
    SCOPED_TRACE(fit ? "fitted" : "at 96 pixels an inch");
    const std::string path = FilePath(fit ? "fitted.pdf" : "natural.pdf");
    WithModal([&] { Main->Menu.mnMain_File_Print->trigger(); },
              [&](QWidget* Modal) {
                auto* file = Modal->findChild<QLineEdit*>("filename");
                ASSERT_NE(file, nullptr);
                file->setText(QString::fromStdString(path));
                for (auto* option : Modal->findChildren<QCheckBox*>())
                  if (option->text() == "По размеру страницы") option->setChecked(fit);
                QMetaObject::invokeMethod(Modal, "accept");
              });
    const QImage page = PrintedPage(path);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(page.width(), page.height()) << "a wide image turns the paper";
    const QRect drawn = DarkBox(page);
    EXPECT_NEAR(drawn.left(), page.width() - 1 - drawn.right(), 2);
    EXPECT_NEAR(drawn.top(), page.height() - 1 - drawn.bottom(), 2);
    if (fit) {
      EXPECT_GT(drawn.width(), page.width() * 8 / 10);
      EXPECT_NEAR(drawn.width(), 3 * drawn.height(), 3);
    } else {
      EXPECT_NEAR(drawn.width(), 300, 1);
      EXPECT_NEAR(drawn.height(), 100, 1);
    }
  }
}

TEST_F(FileTest, PasteReplacesTheOpenImageWithoutAsking) {
  TFiguresCollection copied(nullptr, TRect{0, 0, 70, 60});
  copied.Add(TFigurePie::Class.Create(nullptr));
  copied.Add(TFigureText::Class.Create(nullptr));
  CopyImageToClipboard(copied);
  NewImage();
  Main->mn_MainClick(Main->Menu.mnMain_File_PasteFromBuff);
  ASSERT_TRUE(Main->Document().IsOpen());
  EXPECT_EQ(Collection().ImageRect(), (TRect{0, 0, 70, 60}));
  EXPECT_EQ(ListTexts(), (std::vector<QString>{"Текст 1", "Сектор 0"}));
  EXPECT_EQ(Main->ImageWindow()->windowTitle(), QString("Новый"));
}

TEST_F(FileTest, OpenConfirmedThenCancelledLeavesNoImage) {
  NewImage();
  WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_Open); },
            [this](QWidget* Box) {
              QTimer::singleShot(0, [this] {
                ASSERT_EQ(QApplication::activeModalWidget(), Main->Dialogs->dlgOpenImage);
                Reject(Main->Dialogs->dlgOpenImage);
              });
              Answer(Box, QMessageBox::Ok);
            });
  EXPECT_FALSE(Main->Document().IsOpen());
  EXPECT_EQ(Main->ImageWindow(), nullptr);
}

}  // namespace
