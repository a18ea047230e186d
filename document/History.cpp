#include "document/History.h"

#include <algorithm>
#include <utility>

namespace {

// Differing runs of equal-length bodies closer than this are kept as one:
// each run costs its bookkeeping, a few equal bytes cost less.
constexpr size_t kRunGap = 64;

size_t HeadOf(const TImageState& State) { return std::min(State.size(), StateHeadBytes); }

TImageState Slice(const TImageState& State, size_t From, size_t To) {
  return TImageState(State.begin() + std::ptrdiff_t(From), State.begin() + std::ptrdiff_t(To));
}

// The runs where two bodies of one length differ, runs less than kRunGap
// apart joined.
void EqualLengthRuns(const TImageState& From, const TImageState& To, size_t Body, std::vector<TStateRun>& Runs) {
  size_t i = Body;
  while (i < From.size()) {
    if (From[i] == To[i]) {
      ++i;
      continue;
    }
    const size_t start = i;
    size_t end = i + 1;  // one past the last differing byte so far
    for (size_t j = end; j < From.size() && j < end + kRunGap; ++j)
      if (From[j] != To[j]) end = j + 1;
    Runs.push_back({start - Body, Slice(From, start, end), Slice(To, start, end)});
    i = end;
  }
}

// The one run between the common start and the common end of two bodies
// of different lengths.
TStateRun MiddleRun(const TImageState& From, const TImageState& To, size_t FromBody, size_t ToBody) {
  const size_t fromLength = From.size() - FromBody, toLength = To.size() - ToBody;
  const size_t shorter = std::min(fromLength, toLength);
  size_t prefix = 0;
  while (prefix < shorter && From[FromBody + prefix] == To[ToBody + prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < shorter - prefix && From[From.size() - 1 - suffix] == To[To.size() - 1 - suffix]) ++suffix;
  return {prefix, Slice(From, FromBody + prefix, From.size() - suffix), Slice(To, ToBody + prefix, To.size() - suffix)};
}

// The runs where the bodies From[FromBody..] and To[ToBody..] differ.
void BodyRuns(const TImageState& From, const TImageState& To, size_t FromBody, size_t ToBody,
              std::vector<TStateRun>& Runs) {
  if (From.size() - FromBody == To.size() - ToBody)
    EqualLengthRuns(From, To, FromBody, Runs);
  else
    Runs.push_back(MiddleRun(From, To, FromBody, ToBody));
}

// The runs applied to the body starting at Body in State, offsets moved
// back by Shift. Runs of one length leave the offsets of the others as they
// are; runs of different lengths come one to a change.
void ApplyRuns(TImageState& State, size_t Body, const std::vector<TStateRun>& Runs, bool Forward, size_t Shift) {
  for (const TStateRun& run : Runs) {
    const TImageState& from = Forward ? run.Before : run.After;
    const TImageState& to = Forward ? run.After : run.Before;
    const auto at = State.begin() + std::ptrdiff_t(Body + run.Offset - Shift);
    if (from.size() == to.size()) {
      std::copy(to.begin(), to.end(), at);
    } else {
      const auto after = State.erase(at, at + std::ptrdiff_t(from.size()));
      State.insert(after, to.begin(), to.end());
    }
  }
}

// Where the runs lie in the state after them (After) or before them.
void ExtendOverRuns(const std::vector<TStateRun>& Runs, bool After, size_t& From, size_t& To) {
  for (const TStateRun& run : Runs) {
    From = std::min(From, run.Offset);
    To = std::max(To, run.Offset + (After ? run.After : run.Before).size());
  }
}

// One change for two made one after the other, First from some state to
// Middle, Second from Middle on: computed over the part of Middle either
// touches, so two small changes to a large state cost what they touch.
TStateChange ComposeChanges(const TImageState& Middle, const TStateChange& First, const TStateChange& Second) {
  TStateChange change{First.HeadBefore, Second.HeadAfter, {}};
  size_t from = SIZE_MAX, to = 0;
  ExtendOverRuns(First.Runs, true, from, to);
  ExtendOverRuns(Second.Runs, false, from, to);
  if (from > to) return change;
  const size_t body = HeadOf(Middle);
  const TImageState window = Slice(Middle, body + from, body + to);
  TImageState before = window, after = window;
  ApplyRuns(before, 0, First.Runs, false, from);
  ApplyRuns(after, 0, Second.Runs, true, from);
  AppendRuns(before, after, from, change.Runs);
  return change;
}

}  // namespace

void AppendRuns(const TImageState& From, const TImageState& To, size_t Offset, std::vector<TStateRun>& Runs) {
  const size_t first = Runs.size();
  BodyRuns(From, To, 0, 0, Runs);
  for (size_t i = first; i < Runs.size(); ++i) Runs[i].Offset += Offset;
}

TStateChange StateDifference(const TImageState& From, const TImageState& To) {
  const size_t fromBody = HeadOf(From), toBody = HeadOf(To);
  TStateChange change{Slice(From, 0, fromBody), Slice(To, 0, toBody), {}};
  BodyRuns(From, To, fromBody, toBody, change.Runs);
  return change;
}

void ApplyStateChange(TImageState& State, const TStateChange& Change, bool Forward) {
  const TImageState& headFrom = Forward ? Change.HeadBefore : Change.HeadAfter;
  const TImageState& headTo = Forward ? Change.HeadAfter : Change.HeadBefore;
  if (headFrom.size() == headTo.size()) {
    ApplyRuns(State, headFrom.size(), Change.Runs, Forward, 0);
    std::copy(headTo.begin(), headTo.end(), State.begin());
    return;
  }
  State.erase(State.begin(), State.begin() + std::ptrdiff_t(headFrom.size()));
  ApplyRuns(State, 0, Change.Runs, Forward, 0);
  State.insert(State.begin(), headTo.begin(), headTo.end());
}

size_t TStateChange::Bytes() const {
  size_t bytes = sizeof(TStateChange) + HeadBefore.size() + HeadAfter.size();
  for (const TStateRun& run : Runs) bytes += sizeof(TStateRun) + run.Before.size() + run.After.size();
  return bytes;
}

void TImageHistory::Reset(TImageState State, bool Modified) {
  FStates.clear();
  FChangeBytes = 0;
  FCurrent = 0;
  FMergeable = false;
  FCurrentState = std::move(State);
  Push({}, {});
  FSaved = Modified ? std::nullopt : std::optional<uint64_t>(FStates.back().Serial);
}

void TImageHistory::Record(TImageState State, TStepKey Key) {
  if (State == FCurrentState) return;
  RecordChange(StateDifference(FCurrentState, State), Key);
}

void TImageHistory::RecordChange(TStateChange Change, TStepKey Key) {
  if (Change.Empty()) return;
  while (CanRedo()) {
    FChangeBytes -= FStates.back().Change.Bytes();
    FStates.pop_back();
  }
  TEntry& last = FStates.back();
  if (!Key.Empty() && Key == last.Key && FMergeable) {
    // Merged: the entry now holds a state of its own, saved or not, as the
    // change from the state before the first of the merged steps.
    FChangeBytes -= last.Change.Bytes();
    last.Change = ComposeChanges(FCurrentState, last.Change, Change);
    FChangeBytes += last.Change.Bytes();
    last.Serial = FNextSerial++;
    ApplyStateChange(FCurrentState, Change, true);
    return;
  }
  ApplyStateChange(FCurrentState, Change, true);
  Push(std::move(Change), Key);
  FCurrent = FStates.size() - 1;
  FMergeable = true;
  Trim();
}

const TImageState& TImageHistory::Undo() {
  FMergeable = false;
  if (CanUndo()) ApplyStateChange(FCurrentState, FStates[FCurrent--].Change, false);
  return Current();
}

const TImageState& TImageHistory::Redo() {
  FMergeable = false;
  if (CanRedo()) ApplyStateChange(FCurrentState, FStates[++FCurrent].Change, true);
  return Current();
}

void TImageHistory::Push(TStateChange Change, TStepKey Key) {
  FChangeBytes += Change.Bytes();
  FStates.push_back({std::move(Change), Key, FNextSerial++});
}

void TImageHistory::Trim() {
  // The oldest state goes; the next one becomes the oldest, whose change
  // from it no one can take back any more.
  while (FCurrent > 0 && (FStates.size() > FMaxSteps + 1 || Bytes() > FMaxBytes)) {
    FStates.pop_front();
    FChangeBytes -= FStates.front().Change.Bytes();
    FStates.front().Change = {};
    FChangeBytes += FStates.front().Change.Bytes();
    --FCurrent;
  }
}
