#include "ui/Document.h"

#include <utility>

// The history keeps the container's header whole.
static_assert(StateHeadBytes == size_t(KriHeaderSize));

TDocument::TDocument(QObject* Parent) : QObject(Parent) {}

TDocument::~TDocument() = default;

TBasicFigure* TDocument::Selected() const { return FCollection ? FCollection->Selected() : nullptr; }

void TDocument::Select(TBasicFigure* Figure) {
  if (!FCollection) return;
  if (FCollection->Selected() != Figure) FCollection->SetSelected(Figure);
  emit SelectionChanged(Figure);
}

void TDocument::Open(std::unique_ptr<TFiguresCollection> Collection, const QString& FileName) {
  FCollection = std::move(Collection);
  FCollection->OnSort = [this](PFigureNode First, uint16_t Count, TFigureCompare Compare) {
    if (OnSort) OnSort(First, Count, Compare);
  };
  FCollection->OnListChanged = [this] {
    FFiguresReplaced = true;
    emit FiguresChanged();
  };
  FFileName = FileName;
  FHistory.Reset(CurrentState());
  emit FiguresChanged();
  emit Opened();
  emit StateChanged();
}

void TDocument::StartHistory(bool Modified) {
  if (!FCollection) return;
  // The state as last written, brought up to date: what changed since is
  // written, not the whole image again.
  TImageState state = FHistory.Current();
  ApplyStateChange(state, FEntries.Difference(state, *FCollection), true);
  FHistory.Reset(std::move(state), Modified);
  emit StateChanged();
}

void TDocument::Close() {
  if (!FCollection) return;
  FCollection.reset();
  FFileName.clear();
  FHistory.Reset({});
  FEntries = {};
  emit FiguresChanged();
  emit Closed();
  emit StateChanged();
}

QString TDocument::Title() const { return FFileName.isEmpty() ? tr("Новый") : FFileName; }

void TDocument::MarkSaved(const QString& FileName) {
  FFileName = FileName;
  FHistory.MarkSaved();
  emit StateChanged();
}

void TDocument::StepDone(TStepKey Key) {
  if (!FCollection) return;
  FHistory.RecordChange(FEntries.Difference(FHistory.Current(), *FCollection), Key);
  emit StateChanged();
}

void TDocument::Undo() {
  if (CanUndo()) Restore(false);
}

void TDocument::Redo() {
  if (CanRedo()) Restore(true);
}

TImageState TDocument::CurrentState() { return FEntries.Write(*FCollection); }

void TDocument::Restore(bool Forward) {
  FFiguresReplaced = false;
  try {
    FEntries.Revert(FHistory.Current(), *FCollection);
    const TStateChange& change = Forward ? FHistory.RedoChange() : FHistory.UndoChange();
    FEntries.Apply(change, Forward, Forward ? FHistory.Redo() : FHistory.Undo(), *FCollection);
    if (FCollection->Canvas() != nullptr) FCollection->UpdateRaster();
  } catch (...) {
    // Whatever figures the image holds now, no view may keep the old ones.
    emit Restored(true);
    emit StateChanged();
    throw;
  }
  emit Restored(FFiguresReplaced);
  emit StateChanged();
}
