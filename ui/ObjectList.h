// The object list: the open image's figures in a drop-down list, top of the
// drawing order first, and the toolbar that clears the image, deletes the
// selected figure, raises or lowers it, sorts the figures, and holds the
// property lock. Between rebuilds the list follows the collection item by
// item, so an item keeps its number until the next rebuild.
#pragma once

#include <QGroupBox>

#include <cstdint>

class QComboBox;
class QToolBar;
class QToolButton;
class TBasicFigure;
class TDocument;
class TFiguresCollection;

class TObjectList : public QGroupBox {
  Q_OBJECT
 public:
  TObjectList(TDocument& Document, QWidget* Parent);

  // Selects the last item when none is, releases the lock unless an item is
  // selected, and enables the list and each button by the selection.
  void UpdateObjectControls();
  // Refills the list from the open image; each item numbered by its
  // figure's position from the bottom.
  void RebuildObjectList();
  // The item of the image's selected figure becomes the current one (none
  // without a selection).
  void ShowSelected();
  // A figure just drawn or pasted: listed and selected at the top; the lock
  // comes up.
  void AddFigureItem(TBasicFigure* Figure);
  // Selects the figure through the document, as a pick of its item does.
  void SelectFigureItem(TBasicFigure* Figure);
  // The item the user picked: selected through the document.
  void cbObjectSelectSelect();
  // Clear all, Delete, Up, Down and Sort, told apart by Sender; nothing
  // while no item is selected.
  void btnObjectOpClick(QToolButton* Sender);
  // Step +1 raises the selected figure one place, -1 lowers it.
  void MoveSelectedFigure(int32_t Step);
  // The commands of the Delete, Up and Down buttons, for whoever offers
  // them too.
  void DeleteSelected() { btnObjectOpClick(btnDeleteObject); }
  void RaiseSelected() { btnObjectOpClick(btnObjectUp); }
  void LowerSelected() { btnObjectOpClick(btnObjectDown); }

  TBasicFigure* ItemFigure(int Index) const;
  // The text of the figure's item as listed now; empty for a figure not
  // listed.
  QString FigureItemText(const TBasicFigure* Figure) const;

  QComboBox* cbObjectSelect;
  QToolBar* toolbarObjectControl;
  QToolButton* btnClearAllObjects;
  QToolButton* btnDeleteObject;
  QToolButton* btnObjectUp;
  QToolButton* btnObjectDown;
  QToolButton* btnSortObjects;
  QToolButton* btnObjectLock;

 signals:
  // Figures were deleted: the image window goes back to selecting.
  void FiguresRemoved();

 private:
  void InsertItem(int Index, TBasicFigure* Figure, int32_t Number);
  // The command of a toolbar button, its redraws batched by the caller.
  void RunCommand(QToolButton* Sender, TFiguresCollection& Collection);
  void ImageClosed();
  // The document selected the figure: its item becomes the current one.
  void FollowSelection(TBasicFigure* Figure);
  // The figure's item; -1 for none.
  int ItemOf(const TBasicFigure* Figure) const;

  TDocument& FDocument;
};
