#include "document/History.h"

#include <utility>

void TImageHistory::Reset(TImageState State, bool Modified) {
  FStates.clear();
  FBytes = 0;
  FCurrent = 0;
  FMergeable = false;
  Push(std::move(State), {});
  FSaved = Modified ? std::nullopt : std::optional<uint64_t>(FStates.back().Serial);
}

void TImageHistory::Record(TImageState State, TStepKey Key) {
  if (State == Current()) return;
  while (CanRedo()) {
    FBytes -= FStates.back().State.size();
    FStates.pop_back();
  }
  TEntry& last = FStates.back();
  if (!Key.Empty() && Key == last.Key && FMergeable) {
    // Merged: the entry now holds a state of its own, saved or not.
    FBytes += State.size();
    FBytes -= last.State.size();
    last.State = std::move(State);
    last.Serial = FNextSerial++;
    return;
  }
  Push(std::move(State), Key);
  FCurrent = FStates.size() - 1;
  FMergeable = true;
  Trim();
}

const TImageState& TImageHistory::Undo() {
  FMergeable = false;
  if (CanUndo()) --FCurrent;
  return Current();
}

const TImageState& TImageHistory::Redo() {
  FMergeable = false;
  if (CanRedo()) ++FCurrent;
  return Current();
}

void TImageHistory::Push(TImageState State, TStepKey Key) {
  FBytes += State.size();
  FStates.push_back({std::move(State), Key, FNextSerial++});
}

void TImageHistory::Trim() {
  while (FCurrent > 0 && (FStates.size() > FMaxSteps + 1 || FBytes > FMaxBytes)) {
    FBytes -= FStates.front().State.size();
    FStates.pop_front();
    --FCurrent;
  }
}
