// The undo history's rules on their own: which steps merge, what counts as
// modified, and what is forgotten when the history is full. Guards against
// a merge that swallows a saved state or reaches across an undo, and a
// trim that drops the current state or keeps growing past its budget.
#include <gtest/gtest.h>

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
  TImageHistory history(10, 100);
  history.Reset(State(0));
  for (uint8_t i = 1; i <= 15; ++i) history.Record(State(i, 2));
  EXPECT_EQ(history.Count(), 11u);

  for (uint8_t i = 1; i <= 4; ++i) history.Record(State(i, 30));
  EXPECT_EQ(history.Count(), 3u);
  EXPECT_EQ(history.Bytes(), 90u);
  history.Record(State(9, 101));
  EXPECT_EQ(history.Count(), 1u);
  EXPECT_EQ(history.Current(), State(9, 101));
  EXPECT_FALSE(history.CanUndo());
}

}  // namespace
