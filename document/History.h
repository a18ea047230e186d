// The undo history of one image: the image's container bytes after each
// step a person completed, the current one among them, and which of them
// was last written to a file. The container round-trips byte for byte,
// selected position included, so restoring a state restores the drawing
// exactly. Only the current state is kept whole; each step keeps what it
// changed (the container's header, and the runs of the rest that differ),
// so a step that changes one figure of a large image costs the bytes of
// that figure, and an undo or a redo rebuilds its state from the current
// one, byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

using TImageState = std::vector<uint8_t>;

// The container's fixed header, compared and kept whole: it holds the
// figure count and the selected position, which change with most steps.
inline constexpr size_t StateHeadBytes = 33;

// What one step changed: the head (the first StateHeadBytes bytes, fewer in
// a shorter state) before and after, and the runs of the rest that differ,
// offsets counted from the end of the head. States of different lengths
// differ in one run; states of one length in as many as the changes lie
// apart.
struct TStateRun {
  size_t Offset;
  TImageState Before;
  TImageState After;
};
struct TStateChange {
  TImageState HeadBefore;
  TImageState HeadAfter;
  std::vector<TStateRun> Runs;

  // The memory the change keeps.
  size_t Bytes() const;
  // Changes nothing.
  bool Empty() const { return Runs.empty() && HeadBefore == HeadAfter; }
};

// The change that makes To of From.
TStateChange StateDifference(const TImageState& From, const TImageState& To);
// Adds the runs where the bodies From and To differ, their offsets moved on
// by Offset: runs of one length where the lengths agree, else one run.
void AppendRuns(const TImageState& From, const TImageState& To, size_t Offset, std::vector<TStateRun>& Runs);
// Makes the state after Change of the state before it (Forward), or back.
void ApplyStateChange(TImageState& State, const TStateChange& Change, bool Forward);

// Steps with the same key, one right after the other, are one step: the
// edits of one panel control on one figure. The empty key never merges.
struct TStepKey {
  const void* Control = nullptr;
  int32_t Figure = -1;  // the figure's position in the drawing order

  bool Empty() const { return Control == nullptr; }
  bool operator==(const TStepKey&) const = default;
};

class TImageHistory {
 public:
  // Steps kept back at most, and the memory all kept states may take; the
  // current state is kept whatever its size.
  static constexpr size_t DefaultMaxSteps = 1000;
  static constexpr size_t DefaultMaxBytes = size_t(256) << 20;

  explicit TImageHistory(size_t MaxSteps = DefaultMaxSteps, size_t MaxBytes = DefaultMaxBytes)
      : FMaxSteps(MaxSteps), FMaxBytes(MaxBytes) {}

  // A history of one state: an image just opened or created (unmodified),
  // or restored from elsewhere (Modified).
  void Reset(TImageState State, bool Modified = false);
  // The state after a completed step; the states that could be redone are
  // dropped. A state equal to the current one is no step. Key merges the
  // step into the one recorded just before (no undo or redo between) when
  // both have it.
  void Record(TImageState State, TStepKey Key = {});
  // The same step given as its change from the current state, which
  // becomes the state it makes; an empty change is no step.
  void RecordChange(TStateChange Change, TStepKey Key = {});

  bool CanUndo() const { return FCurrent > 0; }
  bool CanRedo() const { return FCurrent + 1 < FStates.size(); }
  // Moves one state back or on and returns it; the current one when there
  // is nothing to undo or redo.
  const TImageState& Undo();
  const TImageState& Redo();
  const TImageState& Current() const { return FCurrentState; }
  // What the next Undo takes back, and what the next Redo makes again;
  // valid while CanUndo or CanRedo, until the next step.
  const TStateChange& UndoChange() const { return FStates[FCurrent].Change; }
  const TStateChange& RedoChange() const { return FStates[FCurrent + 1].Change; }

  // The current state is the one in the file.
  void MarkSaved() { FSaved = FStates[FCurrent].Serial; }
  // Whether the current state differs from the last one saved or opened:
  // a step, an undo or a redo away from it.
  bool Modified() const { return FSaved != FStates[FCurrent].Serial; }

  size_t Count() const { return FStates.size(); }
  // The memory the history keeps: the current state and every change.
  size_t Bytes() const { return FCurrentState.size() + FChangeBytes; }

 private:
  // A state as the change from the one before it (none for the oldest).
  struct TEntry {
    TStateChange Change;
    TStepKey Key;
    uint64_t Serial;  // unique in the history's life, never reused
  };
  void Push(TStateChange Change, TStepKey Key);
  // Forgets the oldest states past FMaxSteps or FMaxBytes.
  void Trim();

  size_t FMaxSteps;
  size_t FMaxBytes;
  std::deque<TEntry> FStates{TEntry{{}, {}, 0}};
  size_t FCurrent = 0;
  TImageState FCurrentState;  // the state of entry FCurrent, whole
  size_t FChangeBytes = 0;
  uint64_t FNextSerial = 1;
  // The serial of the state in the file; none when that state is gone.
  std::optional<uint64_t> FSaved = 0;
  // The last change was a step, which the next one may merge into.
  bool FMergeable = false;
};
