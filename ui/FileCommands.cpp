// The main window's file and clipboard commands: Open, Save, Export, Copy
// and Paste of the whole image, and the file and clipboard sources of
// OpenImage.
#include <memory>
#include <optional>
#include <utility>

#include "canvas/BmpEncode.h"
#include "document/ClipBoardUnit.h"
#include "document/Collection.h"
#include "figures/Streams.h"
#include "ui/Document.h"
#include "ui/FileDialogs.h"
#include "ui/MainUnit.h"

namespace {

// Keeps the image window disabled and the selection hidden while the image
// is written as a picture, and restores both however the write ends.
class TExportGuard {
 public:
  TExportGuard(TfrmImage& Window, TFiguresCollection& Image)
      : FWindow(Window), FImage(Image), FSelected(Image.Selected()) {
    FWindow.setEnabled(false);
    FImage.SetSelected(nullptr);
  }
  ~TExportGuard() {
    try {
      FImage.SetSelected(FSelected);
    } catch (...) {
      // The markers come back with the next redraw.
    }
    FWindow.setEnabled(true);
  }
  TExportGuard(const TExportGuard&) = delete;
  TExportGuard& operator=(const TExportGuard&) = delete;

 private:
  TfrmImage& FWindow;
  TFiguresCollection& FImage;
  TBasicFigure* FSelected;
};

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
  const std::optional<QString> name =
      Dialogs->RunSaveAsPicture(ProposedFileName(FDocument->Title(), QStringLiteral(".bmp")));
  if (!name) return;
  // Whatever extension the name has, the file holds a bitmap.
  TExportGuard guard(*FImage, *FDocument->Collection());
  WriteFileAtomically(LocalFileName(*name), EncodeBmp24(FImage->imgDraw->Image()));
}

void TfrmMain::CopyCommand() {
  if (FDocument->IsOpen()) CopyImageToClipboard(*FDocument->Collection());
}

void TfrmMain::PasteCommand() {
  if (!ClipboardHasImage() || !QueryDiscardImage(false)) return;
  CloseImage();
  OpenImage(isClipboard);
}
