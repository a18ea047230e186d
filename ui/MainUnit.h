// The main window: a narrow fixed frame with the menu, the object list and
// its toolbar, the class selector and the property panel, and a status bar
// that shows the hint of whatever is under the pointer. It opens one image
// at a time in the image window, which it creates, docks at its right edge,
// answers and destroys.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <optional>

#include "figures/AbstractFigures.h"
#include "ranklib/RankLib.h"
#include "ui/ImgUnit.h"
#include "ui/MainMenu.h"

class QStatusBar;
class TDocument;
class TFileDialogs;
class TObjectList;
class TPropertyPanel;
class TfrmAbout;
class TfrmNewDlg;

enum TImageSource : uint8_t { isNew, isFile, isClipboard };

using TSortRoutine = void (*)(PFigureNode List, uint16_t Count, TFigureCompare Compare);

// The sort library's routines the menu chooses from.
struct TSortRoutines {
  TSortRoutine Hoare = QSort;
  TSortRoutine Insertion = ISort;
  TSortRoutine Bubble = BSort;
};

class TfrmMain : public QMainWindow {
  Q_OBJECT
 public:
  // Creates its parts and then the new-image dialog.
  TfrmMain();
  ~TfrmMain() override;

  // The menu's one command handler.
  void mn_MainClick(QAction* Sender);

  // Opens an image from the source; any failure leaves no image open, says
  // nothing in a message box and tells the reason in the status bar. For
  // isFile, FileName (when given) is opened without asking.
  void OpenImage(TImageSource Source, const QString& FileName = {});
  void CloseImage();
  // The one gate every command passes before it discards the open image:
  // true when the image may go. Confirm asks the user first ("Закрыть
  // текущий файл?"). True when no image is open.
  bool QueryDiscardImage(bool Confirm);

  void EnsureImageWindow();
  void PrepareDrawingSurface();
  void ImageFigureAction(TfrmImage* Sender, TBasicFigure* Figure, TFigureAction Action);
  // The image window is closing through its own frame.
  bool ImageClose();
  // Docking: the main window moved from OldPos (its frame's top-left); the
  // image window moved.
  void FormCanResize(const QPoint& OldPos);
  void ImageCanResize();
  // The collection's sort handler: the routine the sort-type menu checks
  // now.
  void SortFigures(PFigureNode List, uint16_t Count, TFigureCompare Compare);

  // New and Open: the image of the source in place of the open one, which
  // goes only once the user confirms.
  void ReplaceImage(TImageSource Source);
  // The file and clipboard commands.
  void SaveCommand();
  void ExportCommand();
  void CopyCommand();
  void PasteCommand();

  TDocument& Document() const { return *FDocument; }
  TfrmImage* ImageWindow() const { return FImage; }
  bool Docked() const { return FDocked; }

  TMainMenu Menu;
  TfrmNewDlg* frmNewDlg;
  QStatusBar* sbHelper;
  TObjectList* ObjectList;
  TPropertyPanel* PropertyPanel;
  TFileDialogs* Dialogs;
  TSortRoutines SortRoutines;

 protected:
  void moveEvent(QMoveEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;

 private:
  void CreateParts();
  void WireParts();
  void AboutCommand();
  bool AskCloseCurrent();
  // The sources of OpenImage; false when the user cancelled.
  bool OpenNewImage();
  bool OpenFileImage(const QString& FileName);
  void OpenClipboardImage();
  // What every source ends with once the collection has its canvas.
  void ListOpenedFigures();
  void FinishOpening();
  // Near: the image window's top-left within 10 pixels of the main window's
  // top-right (MainPos: the main window's frame top-left).
  bool ImageIsNear(const QPoint& MainPos) const;
  void MoveImageToEdge();

  TDocument* FDocument;
  TfrmImage* FImage = nullptr;
  std::unique_ptr<TfrmAbout> FAbout;
  bool FDocked = false;
  // A move of the image window made by this window, not yet reported back.
  bool FDockingMovePending = false;
};
