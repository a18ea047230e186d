// The main window's file and clipboard commands: Open, Save, Export,
// Print, Copy and Paste of the whole image (Paste also takes another
// program's picture, as a figure), and the file and clipboard sources of
// OpenImage.
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>

#include <memory>
#include <optional>
#include <utility>

#include "canvas/BmpEncode.h"
#include "document/ClipBoardUnit.h"
#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "ui/Document.h"
#include "ui/FileDialogs.h"
#include "ui/MainUnit.h"
#include "ui/Printing.h"

namespace {

// Keeps the image window disabled while the picture is written.
class TExportGuard {
 public:
  explicit TExportGuard(TfrmImage& Window) : FWindow(Window) { FWindow.setEnabled(false); }
  ~TExportGuard() { FWindow.setEnabled(true); }
  TExportGuard(const TExportGuard&) = delete;
  TExportGuard& operator=(const TExportGuard&) = delete;

 private:
  TfrmImage& FWindow;
};

bool AskPastePicture(QWidget* Parent) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Kresta"),
                  TfrmMain::tr("В буфере обмена картинка другой программы. Вставить её в открытое изображение "
                               "фигурой «Картинка»?"),
                  QMessageBox::Yes | QMessageBox::No, Parent);
  box.setDefaultButton(QMessageBox::Yes);
  box.setWindowModality(Qt::ApplicationModal);
  box.setAccessibleName(box.windowTitle());
  return box.exec() == QMessageBox::Yes;
}

// A new image of the clipboard picture's size, the picture its one figure;
// null when the picture is gone.
std::unique_ptr<TFiguresCollection> ImageOfClipboardPicture() {
  std::unique_ptr<TFigureBitmap> picture = PastePictureFromClipboard(MaxImagePictureBytes);
  if (!picture) return nullptr;
  const TRect rect{0, 0, picture->Picture().Width(), picture->Picture().Height()};
  if (rect.Right > MaxImageEdge || rect.Bottom > MaxImageEdge) throw EImageSizeInvalid();
  auto image = std::make_unique<TFiguresCollection>(nullptr, rect);
  try {
    // White, as the picture's transparent parts were composited over.
    image->SetBackgroundColor(clWhite);
  } catch (const EAbort&) {
    // Without a canvas it is drawn later; the colour is kept.
  }
  if (image->Add(std::move(picture)) == nullptr) throw EOutOfMemory();
  return image;
}

}  // namespace

bool TfrmMain::OpenFileImage(const QString& FileName) {
  QString name = FileName;
  if (name.isEmpty()) {
    const std::optional<QString> chosen = Dialogs->RunOpenImage();
    if (!chosen) return false;
    name = *chosen;
  }
  AttachReadImage(TFiguresCollection::CreateFromFile(nullptr, LocalFileName(name)), name);
  return true;
}

void TfrmMain::AttachReadImage(std::unique_ptr<TFiguresCollection> Image, const QString& FileName) {
  EnsureImageWindow();
  FDocument->Open(std::move(Image), FileName);
  TFiguresCollection& collection = *FDocument->Collection();
  FImage->SetCollection(&collection);
  PrepareDrawingSurface();
  collection.SetCanvas(FImage->DrawingCanvas());
  ListOpenedFigures();
}

void TfrmMain::OpenClipboardImage() {
  // The image block wins over the picture our own copy offers beside it.
  if (!ClipboardHasImage() && ClipboardHasPicture()) {
    if (std::unique_ptr<TFiguresCollection> image = ImageOfClipboardPicture()) AttachReadImage(std::move(image), {});
    return;
  }
  EnsureImageWindow();
  FDocument->Open(std::make_unique<TFiguresCollection>(nullptr));
  TFiguresCollection& collection = *FDocument->Collection();
  FImage->SetCollection(&collection);
  PasteImageFromClipboard(collection);
  PrepareDrawingSurface();
  collection.SetCanvas(FImage->DrawingCanvas());
  ListOpenedFigures();
}

bool TfrmMain::SaveCommand() {
  if (FImage == nullptr) return false;
  FDocument->EndPendingStep();
  const std::optional<QString> name =
      Dialogs->RunSaveImage(ProposedFileName(FDocument->Title(), QStringLiteral(".kri")));
  if (!name) return false;
  FDocument->Collection()->SaveToFile(LocalFileName(*name));
  FDocument->MarkSaved(*name);
  return true;
}

void TfrmMain::ExportCommand() {
  if (FImage == nullptr) return;
  const std::optional<TFileDialogs::TExportChoice> choice =
      Dialogs->RunExportImage(ProposedFileName(FDocument->Title(), QStringLiteral(".bmp")));
  if (!choice) return;
  if (choice->Format == TExportFormat::Bmp) {
    // Whatever extension the name has, the file holds a bitmap.
    TExportGuard guard(*FImage);
    WriteFileAtomically(LocalFileName(choice->FileName), EncodeBmp24(FImage->imgDraw->Image()));
    return;
  }
  std::vector<TVectorApproximation> approximated;
  ExportImage(*FDocument->Collection(), LocalFileName(choice->FileName), choice->Format, approximated);
  if (!approximated.empty())
    sbHelper->showMessage(
        tr("Фигур нарисовано в режиме копирования, а не в своём режиме пера: %n", nullptr, int(approximated.size())));
}

void TfrmMain::PrintCommand(bool Preview) {
  if (FImage == nullptr || !FDocument->IsOpen()) return;
  FDocument->EndPendingStep();
  const QString title = QFileInfo(FDocument->Title()).fileName();
  if (Preview)
    Printer->Preview(*FDocument->Collection(), title);
  else
    Printer->Print(*FDocument->Collection(), title);
}

void TfrmMain::CopyCommand() {
  if (FImage == nullptr || !FDocument->IsOpen()) return;
  // Other programs get the picture of the raster, which holds no markers.
  CopyImageToClipboard(*FDocument->Collection(), FImage->imgDraw->Image().copy());
}

void TfrmMain::PasteCommand() {
  if (ClipboardHasImage()) {
    if (!QueryDiscardImage(false)) return;
  } else if (!ClipboardHasPicture()) {
    return;
  } else if (FImage != nullptr && FDocument->IsOpen()) {
    // A picture of another program goes into the open image, at its
    // top-left corner, when the user agrees.
    if (!AskPastePicture(this)) return;
    FDocument->EndPendingStep();
    FImage->SetMode(emSelect);
    // Gone meanwhile, the picture leaves nothing to paste.
    if (std::unique_ptr<TFigureBitmap> picture = PastePictureFromClipboard(FDocument->Collection()->PictureRoom()))
      FImage->AddPastedFigure(std::move(picture));
    return;
  }
  CloseImage();
  OpenImage(isClipboard);
}
