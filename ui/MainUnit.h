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
#include "ui/GridSettings.h"
#include "ui/ImgUnit.h"
#include "ui/MainMenu.h"

class QSessionManager;
class QStatusBar;
class TDocument;
class TFileDialogs;
class TImagePrinter;
class TObjectList;
class TPropertyPanel;
class TRecoveryKeeper;
struct TRecoveredImage;
class TfrmAbout;
class TfrmNewDlg;

enum TImageSource : uint8_t { isNew, isFile, isClipboard };

// The answers to "save the changes?".
enum TSaveAnswer : uint8_t { saSave, saDiscard, saCancel };

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
  // true when the image may go. A modified image asks "Сохранить изменения
  // в «NAME»?": Save goes on once the file is written, Don't save goes on,
  // Cancel stays. An unmodified one asks "Закрыть текущий файл?" when
  // Confirm, and nothing otherwise. True when no image is open.
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

  // At start-up: offers, one by one, the images that a program which did
  // not end normally left unsaved ("Восстановить несохранённое
  // изображение?"). True when one was restored: it is open, modified, under
  // its file's name. Those put off stay for the next start; a damaged one
  // is set aside with a message.
  bool OfferRecovery();

  // New and Open: the image of the source in place of the open one, which
  // goes only once the user confirms.
  void ReplaceImage(TImageSource Source);
  // The file and clipboard commands. Save: true once the file is written.
  bool SaveCommand();
  void ExportCommand();
  void PrintCommand(bool Preview);
  void CopyCommand();
  void PasteCommand();

  TDocument& Document() const { return *FDocument; }
  TRecoveryKeeper& Recovery() const { return *FRecovery; }
  TfrmImage* ImageWindow() const { return FImage; }
  bool Docked() const { return FDocked; }

  TMainMenu Menu;
  TfrmNewDlg* frmNewDlg;
  QStatusBar* sbHelper;
  TObjectList* ObjectList;
  TPropertyPanel* PropertyPanel;
  TFileDialogs* Dialogs;
  TImagePrinter* Printer;
  TSortRoutines SortRoutines;

 protected:
  void moveEvent(QMoveEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;

 private:
  void CreateParts();
  void WireParts();
  void AboutCommand();
  // Grid, snapping and the grid step: kept in the settings, shown by the
  // image window.
  void GridCommand(QAction* Sender);
  void ShowGridSettings();
  bool AskCloseCurrent();
  TSaveAnswer AskSaveChanges();
  // Undo (Back) or redo, a step the image window holds open completed
  // first.
  void StepThroughHistory(bool Back);
  // After an undo or a redo: the views rebuilt as after opening.
  void ShowRestoredImage(bool FiguresReplaced);
  // The caption's modified mark and the undo and redo items.
  void ShowDocumentState();
  // The desktop session is ending: the recovery file is brought up to date
  // and a modified image asks, as Quit would; Cancel keeps the session.
  void CommitSession(QSessionManager& Manager);
  // The sources of OpenImage; false when the user cancelled.
  bool OpenNewImage();
  bool OpenFileImage(const QString& FileName);
  void OpenClipboardImage();
  // Opens a recovered image, modified, under its file's name; false, with
  // the reason in the status bar, when it cannot be read.
  bool RestoreImage(const TRecoveredImage& Image, const QString& FileName);
  // An image read whole (from a file or a recovery file) becomes the open
  // one: window, canvas, object list.
  void AttachReadImage(std::unique_ptr<TFiguresCollection> Image, const QString& FileName);
  // What every source ends with once the collection has its canvas; its
  // history starts there (Modified: restored, not read from its file).
  void ListOpenedFigures();
  void FinishOpening(bool Modified = false);
  // Near: the image window's top-left within 10 pixels of the main window's
  // top-right (MainPos: the main window's frame top-left).
  bool ImageIsNear(const QPoint& MainPos) const;
  void MoveImageToEdge();

  TDocument* FDocument;
  TRecoveryKeeper* FRecovery;
  TfrmImage* FImage = nullptr;
  std::unique_ptr<TfrmAbout> FAbout;
  bool FDocked = false;
  TGridSettings FGrid;
  // The image's question was answered for the session's end: the windows
  // then close without asking again, unless the image changes meanwhile.
  bool FSessionAnswered = false;
  // A move of the image window made by this window, not yet reported back.
  bool FDockingMovePending = false;
};
