// The undo history's rules on their own: which steps merge, what counts as
// modified, and what is forgotten when the history is full. Guards against
// a merge that swallows a saved state or reaches across an undo, and a
// trim that drops the current state or keeps growing past its budget.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "document/History.h"

namespace {

TImageState State(uint8_t Value, size_t Size = 1) { return TImageState(Size, Value); }

TEST(ImageHistory, StepsOfOneKeyMergeOnlyRightAfterEachOther) {
  const int control = 0;
  const TStepKey width{&control, 3};
  TImageHistory history;
  history.Reset(State(0));
  history.Record(State(1), width);
  history.Record(State(2), width);
  EXPECT_EQ(history.Count(), 2u);
  EXPECT_EQ(history.Undo(), State(0));
  EXPECT_EQ(history.Redo(), State(2));

  // After an undo and a redo the next edit is a step of its own.
  history.Record(State(3), width);
  EXPECT_EQ(history.Count(), 3u);
  // Another figure, or no key: no merge either; a state equal to the
  // current one is no step.
  history.Record(State(4), TStepKey{&control, 4});
  history.Record(State(5));
  history.Record(State(5));
  EXPECT_EQ(history.Count(), 5u);
}

TEST(ImageHistory, ModifiedMeansAwayFromTheSavedState) {
  const int control = 0;
  TImageHistory history;
  history.Reset(State(0));
  EXPECT_FALSE(history.Modified());
  history.Record(State(1), {&control, 0});
  history.MarkSaved();
  EXPECT_FALSE(history.Modified());
  // Merged into the saved step: the file no longer holds it.
  history.Record(State(2), {&control, 0});
  EXPECT_TRUE(history.Modified());
  history.Undo();
  EXPECT_TRUE(history.Modified());
  history.Reset(State(7), true);
  EXPECT_TRUE(history.Modified()) << "restored from elsewhere than its file";
}

TEST(ImageHistory, FullHistoryForgetsTheOldestStatesButNeverTheCurrentOne) {
  TImageHistory history(10, 100000);
  history.Reset(State(0));
  for (uint8_t i = 1; i <= 15; ++i) history.Record(State(i, 2));
  EXPECT_EQ(history.Count(), 11u);

  // Whole new images of 30,000 bytes: the budget holds the current one and
  // the changes of two steps.
  TImageHistory large(10, 100000);
  large.Reset(State(0));
  for (uint8_t i = 1; i <= 4; ++i) large.Record(State(i, 30000));
  EXPECT_EQ(large.Count(), 2u);
  EXPECT_LE(large.Bytes(), 100000u);
  EXPECT_EQ(large.Undo(), State(3, 30000));
  large.Record(State(9, 100001));
  EXPECT_EQ(large.Count(), 1u);
  EXPECT_EQ(large.Current(), State(9, 100001));
  EXPECT_FALSE(large.CanUndo());
}

// The history against a list of whole states: random steps (bytes changed
// here and there, runs inserted and removed, the header rewritten, keys that
// merge), each followed by random runs of undo and redo; every state the
// history gives back is the one written at that step, byte for byte.
TEST(ImageHistory, EveryUndoAndRedoGivesBackTheStateOfItsStepExactly) {
  std::mt19937 random(19);
  const auto below = [&](size_t N) { return N == 0 ? 0 : size_t(random() % N); };
  for (int round = 0; round < 40; ++round) {
    TImageState state(StateHeadBytes + below(3000));
    for (uint8_t& byte : state) byte = uint8_t(random());
    TImageHistory history;
    history.Reset(state);
    std::vector<TImageState> states{state};  // the oracle, oldest first
    std::vector<TStepKey> keys{TStepKey{}};
    size_t current = 0;
    bool mergeable = false;
    const int control = 0;
    for (int step = 0; step < 30; ++step) {
      switch (below(4)) {
        case 0:
          for (size_t n = 1 + below(5); n > 0; --n) state[below(state.size())] ^= uint8_t(1 + below(255));
          break;
        case 1: {
          const size_t at = StateHeadBytes + below(state.size() - StateHeadBytes + 1);
          state.insert(state.begin() + std::ptrdiff_t(at), 1 + below(200), uint8_t(random()));
          break;
        }
        case 2: {
          const size_t at = StateHeadBytes + below(state.size() - StateHeadBytes);
          const size_t count = std::min(state.size() - at, 1 + below(200));
          state.erase(state.begin() + std::ptrdiff_t(at), state.begin() + std::ptrdiff_t(at + count));
          break;
        }
        default: state[below(StateHeadBytes)] ^= 0x5A; break;
      }
      // Merging: a keyed step right after a step with the same key, no
      // undo or redo between.
      const TStepKey key = below(3) == 0 ? TStepKey{&control, 1} : TStepKey{};
      history.Record(state, key);
      if (state != states[current]) {
        states.resize(current + 1);
        keys.resize(current + 1);
        if (!key.Empty() && key == keys.back() && mergeable) {
          states.back() = state;
        } else {
          states.push_back(state);
          keys.push_back(key);
          ++current;
        }
        mergeable = true;
      }
      ASSERT_EQ(history.Count(), states.size());
      ASSERT_EQ(history.Current(), states[current]);
      for (size_t moves = below(4); moves > 0; --moves) {
        if (below(2) == 0 && current > 0) {
          ASSERT_EQ(history.Undo(), states[--current]);
          mergeable = false;
        } else if (current + 1 < states.size()) {
          ASSERT_EQ(history.Redo(), states[++current]);
          mergeable = false;
        }
      }
      state = states[current];
    }
  }
}

TEST(ImageHistory, AStepThatChangesOneRecordKeepsThatRecordNotTheImage) {
  // A large container whose one record in the middle changes, with the
  // selection in the header.
  TImageState image(StateHeadBytes + 2'000'000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 31 + i / 97);
  TImageHistory history;
  history.Reset(image);
  const size_t kept = history.Bytes();
  for (int step = 0; step < 300; ++step) {
    image[29] = uint8_t(step);
    for (size_t i = 0; i < 70; ++i) image[1'000'000 + i] ^= uint8_t(step + 1);
    history.Record(image);
  }
  EXPECT_EQ(history.Count(), 301u);
  EXPECT_LT(history.Bytes() - kept, 300u * 512u) << "about the record's bytes per step, not the image's";
}

}  // namespace
