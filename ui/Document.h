// The open image as the windows share it: the one collection the program
// edits at a time, owned here, its file name, and its history of steps. The
// parts of the main window (menu, object list, property panel, image
// window) listen to what happens to it instead of being told one by one.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

#include "document/Collection.h"
#include "document/History.h"
#include "document/StateEntries.h"

class TDocument : public QObject {
  Q_OBJECT
 public:
  explicit TDocument(QObject* Parent = nullptr);
  ~TDocument() override;

  // None while no image is open.
  TFiguresCollection* Collection() const { return FCollection.get(); }
  bool IsOpen() const { return FCollection != nullptr; }
  // The collection's selected figure; none without an image.
  TBasicFigure* Selected() const;
  // The one way the parts of the program select a figure (none allowed,
  // membership not checked): the collection's selection becomes Figure and
  // SelectionChanged tells the list, the panel and the accessibility
  // layer, which follow without selecting again. Nothing without an image.
  void Select(TBasicFigure* Figure);

  // Takes the image as the open one, replacing none (close the previous one
  // first); its sort handler is the document's OnSort. FileName: where it
  // was read from, empty for an image never saved. Emits Opened.
  void Open(std::unique_ptr<TFiguresCollection> Collection, const QString& FileName = {});
  // The image as it is now starts its history: unmodified, unless Modified
  // (an image restored from elsewhere than its file).
  void StartHistory(bool Modified = false);
  // Destroys the collection with its figures and its history, then emits
  // Closed. Nothing happens when no image is open.
  void Close();

  // The file the image was last read from or written to; empty for none.
  const QString& FileName() const { return FFileName; }
  // The image's name for a person: its file name, or "Новый".
  QString Title() const;
  // Whether the image has steps its file does not hold.
  bool Modified() const { return IsOpen() && FHistory.Modified(); }
  // The image is now in FileName, as it is.
  void MarkSaved(const QString& FileName);

  // Before a change of its own: a step the image window still holds open
  // (a figure being drawn) is completed first, as a step of its own.
  void EndPendingStep() {
    if (OnEndPendingStep) OnEndPendingStep();
  }
  std::function<void()> OnEndPendingStep;

  // A step a person completed on the image (drawing, moving, restyling,
  // reordering, deleting...): its state becomes the history's current one.
  // Steps with the same non-empty key, one right after the other, merge.
  void StepDone(TStepKey Key = {});
  bool CanUndo() const { return IsOpen() && FHistory.CanUndo(); }
  bool CanRedo() const { return IsOpen() && FHistory.CanRedo(); }
  // Gives the image the state before the last step, or after the step last
  // undone, and redraws it; emits Restored. Nothing without such a state.
  void Undo();
  void Redo();
  // The image's container as of the last step (or as opened).
  const TImageState& State() const { return FHistory.Current(); }
  const TImageHistory& History() const { return FHistory; }

  // Reorders the open image's figures when the collection sorts.
  TFigureSortEvent OnSort;

 signals:
  void Opened();
  void Closed();
  // The image took an earlier or later state. FiguresReplaced: figures were
  // added, removed or replaced by others, and every view of them is to be
  // rebuilt; else the same figures changed at most.
  void Restored(bool FiguresReplaced);
  // A step, an undo, a redo or a save: the modified mark, the file name or
  // what can be undone may differ.
  void StateChanged();
  // Select was called: Figure (possibly none) is the selected one.
  void SelectionChanged(TBasicFigure* Figure);
  // Figures were added, removed, reordered or replaced (told before a
  // removed one is destroyed), or an image opened or closed.
  void FiguresChanged();

 private:
  TImageState CurrentState();
  void Restore(bool Forward);

  std::unique_ptr<TFiguresCollection> FCollection;
  QString FFileName;
  TImageHistory FHistory;
  // Where the figures' entries lie in the history's current state.
  TStateEntries FEntries;
  // The list of figures changed since the flag was cleared.
  bool FFiguresReplaced = false;
};
