// Guards the documented outcomes on small lists: no comparison for zero or
// one figure, which of two equal names goes first for each routine, the
// order of the nine figure classes (case-sensitive byte order), lists already
// in order, BSort's fixed comparison count, and the caller's chain of nodes
// left as it was with only the figures moved.
#include "ranklib/SortFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace ranktest {
namespace {

// Names from the smallest up, so that a sort that runs changes the list.
const std::vector<std::string> kAscending = {"TFigureBitmap", "TFigureChord", "TFigureText"};

class SortEdgeCases : public testing::TestWithParam<TRoutine> {};

TEST_P(SortEdgeCases, CountZeroOrOneMakesNoComparison) {
  {
    SCOPED_TRACE("count 0, no list");
    TRecordingCompare Compare;
    GetParam().Sort(nullptr, 0, Compare.Bind());
    EXPECT_EQ(Compare.Log.size(), 0u);
  }
  for (uint16_t Count : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "count " << Count << " of a list of 3");
    std::vector<TFakeFigure> Figures = MakeFigures(kAscending);
    TNodeChain Chain(Figures);
    TRecordingCompare Compare;
    GetParam().Sort(Chain.Head(), Count, Compare.Bind());
    EXPECT_EQ(Compare.Log.size(), 0u);
    EXPECT_EQ(Chain.Ids(), (std::vector<int>{0, 1, 2}));
  }
}

TEST_P(SortEdgeCases, EqualPairBelowAGreaterName) {
  std::vector<TFakeFigure> Figures = MakeFigures({"TFigureChord", "TFigureChord", "TFigurePie"});
  TNodeChain Chain(Figures);
  TRecordingCompare Compare;
  GetParam().Sort(Chain.Head(), Chain.Count(), Compare.Bind());
  // y, x1, x2 for the stable routines; y, x2, x1 for the others.
  const std::vector<int> Expected =
      GetParam().Stable ? std::vector<int>{2, 0, 1} : std::vector<int>{2, 1, 0};
  EXPECT_EQ(Chain.Ids(), Expected);
}

TEST_P(SortEdgeCases, EqualPairAboveTwoSmallerNames) {
  // q, p, r, r with p below q below r.
  std::vector<TFakeFigure> Figures =
      MakeFigures({"TFigurePie", "TFigureChord", "TFigureText", "TFigureText"});
  TNodeChain Chain(Figures);
  TRecordingCompare Compare;
  GetParam().Sort(Chain.Head(), Chain.Count(), Compare.Bind());
  EXPECT_EQ(Chain.Names(), (std::vector<std::string>{"TFigureText", "TFigureText", "TFigurePie",
                                                     "TFigureChord"}));
}

TEST_P(SortEdgeCases, NamesCompareByCaseSensitiveBytes) {
  using TPair = std::pair<std::string, std::string>;  // the smaller name, then the greater
  for (const auto& [Lower, Upper] : {TPair{"TFigurePolyLine", "TFigurePolygon"},
                                     TPair{"TFigureRectangle", "TFigureRoundRect"},
                                     TPair{"TFigurePoly", "TFigurePolyLine"}}) {
    SCOPED_TRACE(Upper + " above " + Lower);
    std::vector<TFakeFigure> Figures = MakeFigures({Lower, Upper});
    TNodeChain Chain(Figures);
    TRecordingCompare Compare;
    GetParam().Sort(Chain.Head(), Chain.Count(), Compare.Bind());
    EXPECT_EQ(Chain.Names(), (std::vector<std::string>{Upper, Lower}));
  }
}

TEST_P(SortEdgeCases, NineClassesEndInTheDocumentedOrder) {
  for (int Copies : {1, 3})
    for (unsigned Seed : {1u, 2u, 3u}) {
      SCOPED_TRACE(testing::Message() << Copies << " of each class, shuffle " << Seed);
      std::vector<std::string> Names;
      std::vector<std::string> Expected;
      for (const std::string& Name : kClassNamesDescending)
        for (int n = 0; n < Copies; ++n) {
          Names.push_back(Name);
          Expected.push_back(Name);
        }
      std::mt19937 Random(Seed);
      std::shuffle(Names.begin(), Names.end(), Random);
      std::vector<TFakeFigure> Figures = MakeFigures(Names);
      TNodeChain Chain(Figures);
      TRecordingCompare Compare;
      GetParam().Sort(Chain.Head(), Chain.Count(), Compare.Bind());
      EXPECT_EQ(Chain.Names(), Expected);
    }
}

TEST_P(SortEdgeCases, ChainStaysAndEachFigureIsThereOnce) {
  std::mt19937 Random(5);
  std::vector<TFakeFigure> Figures = RandomFigures(Random, 120, 4);
  TNodeChain Chain(Figures);
  const auto LinksBefore = Chain.Links();
  TRecordingCompare Compare;
  GetParam().Sort(Chain.Head(), Chain.Count(), Compare.Bind());

  EXPECT_EQ(Chain.Links(), LinksBefore);
  std::vector<int> Ids = Chain.Ids();
  std::sort(Ids.begin(), Ids.end());
  std::vector<int> Expected(Figures.size());
  std::iota(Expected.begin(), Expected.end(), 0);
  EXPECT_EQ(Ids, Expected);
}

INSTANTIATE_TEST_SUITE_P(Routines, SortEdgeCases, testing::ValuesIn(kRoutines),
                         [](const auto& Info) { return RoutineName(Info.param); });

// A descending list with runs of equal names, ids 0, 1, 2, ... from the top.
std::vector<TFakeFigure> DescendingFigures() {
  std::vector<std::string> Names;
  for (const std::string& Name : kClassNamesDescending)
    for (int n = 0; n < 4; ++n)
      Names.push_back(Name);
  return MakeFigures(Names);
}

TEST(SortAlreadyDescending, StableRoutinesLeaveItUnchanged) {
  for (const TRoutine& Routine : kRoutines) {
    if (!Routine.Stable)
      continue;
    SCOPED_TRACE(Routine.Name);
    std::vector<TFakeFigure> Figures = DescendingFigures();
    TNodeChain Chain(Figures);
    const std::vector<int> Before = Chain.Ids();
    TRecordingCompare Compare;
    Routine.Sort(Chain.Head(), Chain.Count(), Compare.Bind());
    EXPECT_EQ(Chain.Ids(), Before);
  }
}

TEST(SortAlreadyDescending, BSortComparesEveryPairAndExchangesNothing) {
  std::vector<TFakeFigure> Figures = DescendingFigures();
  TNodeChain Chain(Figures);
  const std::vector<int> Before = Chain.Ids();
  TRecordingCompare Compare;
  BSort(Chain.Head(), Chain.Count(), Compare.Bind());
  EXPECT_EQ(Chain.Ids(), Before);
  EXPECT_EQ(Compare.Log.size(), Figures.size() * (Figures.size() - 1) / 2);
}

TEST(BSortComparisons, EveryPairOnceWithLessWhateverTheOrder) {
  for (int Count = 0; Count <= 64; ++Count) {
    SCOPED_TRACE(testing::Message() << "count " << Count);
    std::mt19937 Random(Count);
    std::vector<TFakeFigure> Figures = RandomFigures(Random, Count, 9);
    TNodeChain Chain(Figures);
    TRecordingCompare Compare;
    BSort(Chain.Head(), Chain.Count(), Compare.Bind());
    EXPECT_EQ(Compare.Log.size(), static_cast<size_t>(Count * (Count - 1) / 2));
    const auto NotLess = std::find_if(Compare.Log.begin(), Compare.Log.end(),
                                      [](const TComparison& C) { return C.Op != coLess; });
    if (NotLess != Compare.Log.end())
      ADD_FAILURE() << "comparison " << *NotLess << " does not use coLess";
  }
}

}  // namespace
}  // namespace ranktest
