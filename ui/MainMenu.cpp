#include "ui/MainMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

#include "ui/Controls.h"

namespace {

QAction* AddItem(QMenu* Menu, const QString& Caption, const QString& Hint, const QList<QKeySequence>& Keys = {}) {
  QAction* item = Menu->addAction(Caption);
  SetHint(item, Hint);
  if (!Keys.isEmpty()) {
    item->setShortcuts(Keys);
    item->setShortcutContext(Qt::ApplicationShortcut);
  }
  return item;
}

QAction* AddRadioItem(QMenu* Menu, QActionGroup* Group, const QString& Caption) {
  QAction* item = AddItem(Menu, Caption, {});
  item->setCheckable(true);
  Group->addAction(item);
  return item;
}

// The bar's look with Padding pixels left and right of each title. The
// titles take the compact face the image window's panels use, at the
// interface's pixel size.
QString MenuBarStyle(int Padding, int PixelSize) {
  return QStringLiteral(
             "QMenuBar { spacing: 0px; padding: 0px; font-family: \"Liberation Sans\"; font-size: %2px; } "
             "QMenuBar::item { padding: 2px %1px; }")
      .arg(Padding)
      .arg(PixelSize);
}

}  // namespace

int FitMenuTitles(QMenuBar& Bar, int Width) {
  constexpr int kWidestPadding = 4;
  const int pixelSize = Bar.font().pixelSize();
  for (int padding = kWidestPadding; padding >= 1; --padding) {
    Bar.setStyleSheet(MenuBarStyle(padding, pixelSize));
    if (Bar.sizeHint().width() <= Width || padding == 1) break;
  }
  return std::max(Width, Bar.sizeHint().width());
}

void TMainMenu::EnableImageCommands(bool Enabled) {
  for (QAction* item : {mnMain_File_Close, mnMain_File_Saveas, mnMain_File_Save, mnMain_File_CopyToBuff,
                        mnMain_File_Print, mnMain_File_PrintPreview})
    item->setEnabled(Enabled);
}

void TMainMenu::EnableHistoryCommands(bool CanUndo, bool CanRedo) {
  mnMain_Edit_Undo->setEnabled(CanUndo);
  mnMain_Edit_Redo->setEnabled(CanRedo);
}

TMainMenu BuildMainMenu(QMenuBar& Bar) {
  TMainMenu m;
  m.mnMain_File = Bar.addMenu(TMainMenu::tr("Файл"));
  m.mnMain_File_New = AddItem(m.mnMain_File, TMainMenu::tr("Новый"), TMainMenu::tr("Создать новое изображение"),
                              {QKeySequence(Qt::CTRL | Qt::Key_N)});
  m.mnMain_File_Open = AddItem(m.mnMain_File, TMainMenu::tr("Открыть"), TMainMenu::tr("Открыть файл"),
                               {QKeySequence(Qt::CTRL | Qt::Key_O)});
  m.mnMain_File_Save = AddItem(m.mnMain_File, TMainMenu::tr("Спасти и сохранить"), TMainMenu::tr("Сохранить в файл"),
                               {QKeySequence(Qt::CTRL | Qt::Key_S)});
  m.mnMain_File_Saveas =
      AddItem(m.mnMain_File, TMainMenu::tr("Сохранить как..."), TMainMenu::tr("Сохранить в нужном формате"),
              {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
  m.mnMain_File_Print = AddItem(m.mnMain_File, TMainMenu::tr("Печать..."), TMainMenu::tr("Напечатать изображение"),
                                {QKeySequence(Qt::CTRL | Qt::Key_P)});
  m.mnMain_File_PrintPreview = AddItem(m.mnMain_File, TMainMenu::tr("Предварительный просмотр..."),
                                       TMainMenu::tr("Показать страницу, как она будет напечатана"));
  m.mnMain_File_Close = AddItem(m.mnMain_File, TMainMenu::tr("Закрыть"), TMainMenu::tr("Закрыть файл"),
                                {QKeySequence(Qt::CTRL | Qt::Key_W)});
  m.mnMain_File->addSeparator();
  // No keys: Ctrl+C and Ctrl+V belong to the image window's figures.
  m.mnMain_File_CopyToBuff = AddItem(m.mnMain_File, TMainMenu::tr("В буфер"), {});
  m.mnMain_File_PasteFromBuff = AddItem(m.mnMain_File, TMainMenu::tr("Из буфера"), TMainMenu::tr("Вставить из буфера"));
  m.mnMain_File->addSeparator();
  m.mnMain_File_Quit = AddItem(m.mnMain_File, TMainMenu::tr("Выход"), TMainMenu::tr("Выход из программы"),
                               {QKeySequence(Qt::CTRL | Qt::Key_Q)});

  m.mnMain_Edit = Bar.addMenu(TMainMenu::tr("Правка"));
  m.mnMain_Edit_Undo = AddItem(m.mnMain_Edit, TMainMenu::tr("Отменить"), TMainMenu::tr("Отменить последнее действие"),
                               {QKeySequence(Qt::CTRL | Qt::Key_Z)});
  m.mnMain_Edit_Redo =
      AddItem(m.mnMain_Edit, TMainMenu::tr("Повторить"), TMainMenu::tr("Повторить отменённое действие"),
              {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

  m.mnMain_Options = Bar.addMenu(TMainMenu::tr("Настройка"));
  m.mnMain_Options->menuAction()->setStatusTip(TMainMenu::tr("Настройки программы"));
  m.mnMain_Options_SortType = m.mnMain_Options->addMenu(TMainMenu::tr("Тип сортировки"));
  SetHint(m.mnMain_Options_SortType->menuAction(), TMainMenu::tr("Тип алгоритма сортировки"));
  m.SortTypeGroup = new QActionGroup(m.mnMain_Options_SortType);
  m.SortTypeGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  m.mnMain_Options_SortType_Hoar =
      AddRadioItem(m.mnMain_Options_SortType, m.SortTypeGroup, TMainMenu::tr("Сортировка Хоара"));
  m.mnMain_Options_SortType_Insert =
      AddRadioItem(m.mnMain_Options_SortType, m.SortTypeGroup, TMainMenu::tr("Сортировка вставкой"));
  m.mnMain_Options_SortType_Bubble =
      AddRadioItem(m.mnMain_Options_SortType, m.SortTypeGroup, TMainMenu::tr("Пузырьковая сортировка"));
  m.mnMain_Options_SortType_Hoar->setChecked(true);
  m.mnMain_Options->addSeparator();
  // Ctrl+G and Ctrl+Shift+G: free in the program and on the usual desktops.
  m.mnMain_Options_Grid = AddItem(m.mnMain_Options, TMainMenu::tr("Сетка"), TMainMenu::tr("Показать или скрыть сетку"),
                                  {QKeySequence(Qt::CTRL | Qt::Key_G)});
  m.mnMain_Options_Grid->setCheckable(true);
  m.mnMain_Options_Snap =
      AddItem(m.mnMain_Options, TMainMenu::tr("Привязка к сетке"),
              TMainMenu::tr("Привязывать точки к сетке, к другим фигурам и к краям изображения (Alt - без привязки)"),
              {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G)});
  m.mnMain_Options_Snap->setCheckable(true);
  m.mnMain_Options_GridStep =
      AddItem(m.mnMain_Options, TMainMenu::tr("Шаг сетки..."), TMainMenu::tr("Шаг сетки в пикселях изображения"));

  m.mnMain_About = Bar.addAction(TMainMenu::tr("О программе"));
  SetHint(m.mnMain_About, TMainMenu::tr("О программе и авторе"));
  m.mnMain_About->setShortcut(QKeySequence(Qt::Key_F1));
  m.mnMain_About->setShortcutContext(Qt::ApplicationShortcut);

  m.EnableImageCommands(false);
  m.EnableHistoryCommands(false, false);
  return m;
}
