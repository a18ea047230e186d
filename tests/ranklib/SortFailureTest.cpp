// Guards what happens when the caller's side misbehaves: a failure raised by
// the comparison must reach the caller, stop the sort, and leave every figure
// in the list exactly once (ISort holds one figure aside while it shifts); a
// comparison that contradicts itself, a count longer than the list or a
// comparison without a function must not make the library reach outside the
// positions it was given.
#include "ranklib/SortFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace ranktest {
namespace {

std::vector<int> Iota(int From, int To) {
  std::vector<int> Ids(To - From);
  std::iota(Ids.begin(), Ids.end(), From);
  return Ids;
}

class SortFailures : public testing::TestWithParam<TRoutine> {};

// Fails the comparison at every call number of a full sort in turn.
TEST_P(SortFailures, CompareFailureReachesTheCallerAndKeepsEveryFigure) {
  // An ascending list (every figure moves) and a random one with equal names.
  std::mt19937 Random(3);
  std::vector<std::vector<TFakeFigure>> Lists = {
      MakeFigures({"TFigureBitmap", "TFigureChord", "TFigureChord", "TFigureEllipse", "TFigurePie",
                   "TFigurePolyLine", "TFigurePolygon", "TFigureRectangle", "TFigureRoundRect",
                   "TFigureText", "TFigureText", "TFigureText"}),
      RandomFigures(Random, 16, 3)};
  for (std::vector<TFakeFigure>& Figures : Lists) {
    TRecordingCompare Complete;
    {
      TNodeChain Chain(Figures);
      GetParam().Sort(Chain.Head(), Chain.Count(), Complete.Bind());
    }
    const int Calls = static_cast<int>(Complete.Log.size());
    for (int FailAt = 0; FailAt < Calls; ++FailAt) {
      SCOPED_TRACE(testing::Message() << "list of " << Figures.size() << ", failing call "
                                      << FailAt << " of " << Calls);
      TNodeChain Chain(Figures);
      const auto LinksBefore = Chain.Links();
      TRecordingCompare Compare;
      Compare.FailAtCall = FailAt;
      int FailedCall = -1;
      try {
        GetParam().Sort(Chain.Head(), Chain.Count(), Compare.Bind());
      } catch (const TCompareFailure& Failure) {
        FailedCall = Failure.Call;
      }
      EXPECT_EQ(FailedCall, FailAt);
      EXPECT_EQ(Compare.Log.size(), static_cast<size_t>(FailAt + 1));
      EXPECT_EQ(Chain.Links(), LinksBefore);
      std::vector<int> Ids = Chain.Ids();
      std::sort(Ids.begin(), Ids.end());
      EXPECT_EQ(Ids, Iota(0, static_cast<int>(Figures.size())));
      if (HasFailure())
        return;
    }
  }
}

// A comparison that answers at random, says true or false to everything, or
// calls every figure greater (or less) than every other one, itself
// included, sorts nothing in particular, but the sort must end, leave the
// list a permutation of its first Count figures and never compare or move a
// figure beyond them.
TEST_P(SortFailures, SelfContradictingComparisonStaysWithinCount) {
  constexpr int kLength = 50;
  constexpr int kCount = 35;
  std::mt19937 Random(9);
  using TAnswer = std::function<bool(TFigureCompareOp)>;
  const std::vector<std::pair<const char*, TAnswer>> Answers = {
      {"always true", [](TFigureCompareOp) { return true; }},
      {"always false", [](TFigureCompareOp) { return false; }},
      {"random", [&Random](TFigureCompareOp) { return std::bernoulli_distribution(0.5)(Random); }},
      {"each greater than all",
       [](TFigureCompareOp Op) { return Op == coGreater || Op == coGreaterOrEqual; }},
      {"each less than all",
       [](TFigureCompareOp Op) { return Op == coLess || Op == coLessOrEqual; }},
  };
  for (const auto& [Label, Answer] : Answers)
    for (int NameCount : {1, 9}) {
      SCOPED_TRACE(testing::Message() << Label << ", names " << NameCount);
      std::vector<TFakeFigure> Figures = RandomFigures(Random, kLength, NameCount);
      TNodeChain Chain(Figures);
      const auto LinksBefore = Chain.Links();
      TRecordingCompare Compare;
      Compare.Answer = [&Answer](const TFakeFigure&, const TFakeFigure&, TFigureCompareOp Op) {
        return Answer(Op);
      };
      GetParam().Sort(Chain.Head(), kCount, Compare.Bind());

      EXPECT_EQ(Chain.Links(), LinksBefore);
      const std::vector<int> Ids = Chain.Ids();
      std::vector<int> Sorted(Ids.begin(), Ids.begin() + kCount);
      std::sort(Sorted.begin(), Sorted.end());
      EXPECT_EQ(Sorted, Iota(0, kCount));
      EXPECT_EQ(std::vector<int>(Ids.begin() + kCount, Ids.end()), Iota(kCount, kLength));
      const auto Outside =
          std::find_if(Compare.Log.begin(), Compare.Log.end(), [](const TComparison& C) {
            return C.Id1 >= kCount || C.Id2 >= kCount;
          });
      if (Outside != Compare.Log.end())
        ADD_FAILURE() << "comparison " << *Outside << " reaches beyond the count";
    }
}

// Outside the contract: the library sorts the nodes the list has.
TEST_P(SortFailures, CountLongerThanTheListSortsTheNodesThereAre) {
  {
    SCOPED_TRACE("no list");
    TRecordingCompare Compare;
    GetParam().Sort(nullptr, 5, Compare.Bind());
    EXPECT_EQ(Compare.Log.size(), 0u);
  }
  std::mt19937 Random(4);
  std::vector<TFakeFigure> Figures = RandomFigures(Random, 20, 9);
  TNodeChain Exact(Figures);
  TRecordingCompare ExactCompare;
  GetParam().Sort(Exact.Head(), Exact.Count(), ExactCompare.Bind());

  TNodeChain Longer(Figures);
  TRecordingCompare LongerCompare;
  GetParam().Sort(Longer.Head(), 60, LongerCompare.Bind());
  EXPECT_EQ(LongerCompare.Log, ExactCompare.Log);
  EXPECT_EQ(Longer.Ids(), Exact.Ids());
}

TEST_P(SortFailures, ComparisonWithoutFunctionSortsNothing) {
  std::vector<TFakeFigure> Figures = MakeFigures({"TFigureBitmap", "TFigurePie", "TFigureText"});
  TNodeChain Chain(Figures);
  GetParam().Sort(Chain.Head(), Chain.Count(), TFigureCompare{nullptr, nullptr});
  EXPECT_EQ(Chain.Ids(), (std::vector<int>{0, 1, 2}));
}

INSTANTIATE_TEST_SUITE_P(Routines, SortFailures, testing::ValuesIn(kRoutines),
                         [](const auto& Info) { return RoutineName(Info.param); });

}  // namespace
}  // namespace ranktest
