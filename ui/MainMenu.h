// The main window's menu: every item under the name the commands know it
// by, with its caption, hint, key and first enabled state. All commands go
// to one handler, which tells them apart by the item.
#pragma once

#include <QCoreApplication>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QObject;

struct TMainMenu {
  Q_DECLARE_TR_FUNCTIONS(TMainMenu)

 public:
  QMenu* mnMain_File;
  QAction* mnMain_File_New;
  QAction* mnMain_File_Open;
  QAction* mnMain_File_Save;
  QAction* mnMain_File_Saveas;
  QAction* mnMain_File_Print;
  QAction* mnMain_File_PrintPreview;
  QAction* mnMain_File_Close;
  QAction* mnMain_File_CopyToBuff;
  QAction* mnMain_File_PasteFromBuff;
  QAction* mnMain_File_Quit;
  QMenu* mnMain_Edit;
  QAction* mnMain_Edit_Undo;
  QAction* mnMain_Edit_Redo;
  QMenu* mnMain_Options;
  QMenu* mnMain_Options_SortType;
  QActionGroup* SortTypeGroup;
  QAction* mnMain_Options_SortType_Hoar;
  QAction* mnMain_Options_SortType_Insert;
  QAction* mnMain_Options_SortType_Bubble;
  QAction* mnMain_Options_Grid;
  QAction* mnMain_Options_Snap;
  QAction* mnMain_Options_GridStep;
  QAction* mnMain_About;

  // The items that need an open image.
  void EnableImageCommands(bool Enabled);
  // Undo and redo, each when there is a step to take back or again.
  void EnableHistoryCommands(bool CanUndo, bool CanRedo);
};

// Fills the bar. The command items' keys work while any window of the
// program is active.
TMainMenu BuildMainMenu(QMenuBar& Bar);
// Lays the bar's titles out in Width pixels with as much room around each
// as fits (four pixels at most, one at least), in the language shown. The
// width the titles need: Width, or more when even the least room does not
// let them fit.
int FitMenuTitles(QMenuBar& Bar, int Width);
