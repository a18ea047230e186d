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

// Hides the selection markers while the image is taken as a picture, and
// brings them back however that ends.
class THiddenSelection {
 public:
  explicit THiddenSelection(TFiguresCollection& Image) : FImage(Image), FSelected(Image.Selected()) {
    FImage.SetSelected(nullptr);
  }
  ~THiddenSelection() {
    try {
      FImage.SetSelected(FSelected);
    } catch (...) {
      // The markers come back with the next redraw.
    }
  }
  THiddenSelection(const THiddenSelection&) = delete;
  THiddenSelection& operator=(const THiddenSelection&) = delete;

 private:
  TFiguresCollection& FImage;
  TBasicFigure* FSelected;
};

// Also keeps the image window disabled while the picture is written.
class TExportGuard {
 public:
  TExportGuard(TfrmImage& Window, TFiguresCollection& Image) : FWindow(Window), FSelection(Image) {
    FWindow.setEnabled(false);
  }
  ~TExportGuard() { FWindow.setEnabled(true); }
  TExportGuard(const TExportGuard&) = delete;
  TExportGuard& operator=(const TExportGuard&) = delete;

 private:
  TfrmImage& FWindow;
  THiddenSelection FSelection;
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
  if (FImage == nullptr || !FDocument->IsOpen()) return;
  // Other programs get the picture as shown, without the selection markers.
  const THiddenSelection hidden(*FDocument->Collection());
  CopyImageToClipboard(*FDocument->Collection(), FImage->imgDraw->Image().copy());
}

void TfrmMain::PasteCommand() {
  if (!ClipboardHasImage() || !QueryDiscardImage(false)) return;
  CloseImage();
  OpenImage(isClipboard);
}
