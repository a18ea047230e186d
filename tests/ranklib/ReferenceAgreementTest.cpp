// Guards against a routine drifting from the algorithm it implements: on the
// same figures, each routine over the caller's nodes and its reference over a
// plain array must make the same comparisons (operands, order, operator
// codes) and leave the same order. Also guards the documented properties of
// the result itself: descending by name, each figure once, and equal names
// in their original order for the stable routines.
#include "ranklib/ReferenceSort.h"
#include "ranklib/SortFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace ranktest {
namespace {

struct TRun {
  std::vector<TComparison> Log;
  std::vector<int> Ids;
};

TRun RunLibrary(const TRoutine& Routine, std::vector<TFakeFigure> Figures, uint16_t Count) {
  TNodeChain Chain(Figures);
  TRecordingCompare Compare;
  Routine.Sort(Chain.Head(), Count, Compare.Bind());
  return {std::move(Compare.Log), Chain.Ids()};
}

// The reference sorts the first Count figures; the rest stay where they are.
TRun RunReference(const TRoutine& Routine, std::vector<TFakeFigure> Figures, int Count) {
  std::vector<TBasicFigure*> Sorted;
  for (int n = 0; n < Count; ++n)
    Sorted.push_back(AsFigure(Figures[n]));
  TRecordingCompare Compare;
  Routine.Reference(Sorted, Compare.Bind());
  TRun Run{std::move(Compare.Log), {}};
  for (TBasicFigure* Figure : Sorted)
    Run.Ids.push_back(AsFake(Figure).Id);
  for (size_t n = Count; n < Figures.size(); ++n)
    Run.Ids.push_back(Figures[n].Id);
  return Run;
}

// Reports the first comparison that differs rather than two long logs.
void ExpectSameComparisons(const std::vector<TComparison>& Actual,
                           const std::vector<TComparison>& Expected) {
  const size_t Common = std::min(Actual.size(), Expected.size());
  const auto [A, E] = std::mismatch(Actual.begin(), Actual.begin() + Common, Expected.begin());
  if (A != Actual.begin() + Common) {
    ADD_FAILURE() << "comparison #" << (A - Actual.begin()) << " is " << *A << ", expected " << *E;
    return;
  }
  EXPECT_EQ(Actual.size(), Expected.size());
}

void ExpectSameAsReference(const TRoutine& Routine, const std::vector<TFakeFigure>& Figures,
                           int Count) {
  const TRun Actual = RunLibrary(Routine, Figures, static_cast<uint16_t>(Count));
  const TRun Expected = RunReference(Routine, Figures, Count);
  ExpectSameComparisons(Actual.Log, Expected.Log);
  EXPECT_EQ(Actual.Ids, Expected.Ids);
}

class ReferenceAgreement : public testing::TestWithParam<TRoutine> {};

// Name pools of 1, 2, 3 and 9 names: from all equal to mostly distinct.
constexpr int kNameCounts[] = {1, 2, 3, 9};

TEST_P(ReferenceAgreement, RandomListsOfEveryCountUpTo200) {
  for (int Count = 0; Count <= 200; ++Count)
    for (int NameCount : kNameCounts) {
      SCOPED_TRACE(testing::Message() << "count " << Count << ", names " << NameCount);
      std::mt19937 Random(Count * 16 + NameCount);
      ExpectSameAsReference(GetParam(), RandomFigures(Random, Count, NameCount), Count);
      if (HasFailure())
        return;
    }
}

TEST_P(ReferenceAgreement, ListsInOrderAndInReverseOrder) {
  for (int NameCount : kNameCounts) {
    SCOPED_TRACE(testing::Message() << "names " << NameCount);
    std::mt19937 Random(NameCount);
    std::vector<TFakeFigure> Figures = RandomFigures(Random, 150, NameCount);
    std::stable_sort(Figures.begin(), Figures.end(), [](const auto& A, const auto& B) {
      return CompareNames(A.ClassName, B.ClassName) > 0;
    });
    for (int n = 0; n < 150; ++n)
      Figures[n].Id = n;
    ExpectSameAsReference(GetParam(), Figures, 150);
    std::reverse(Figures.begin(), Figures.end());
    for (int n = 0; n < 150; ++n)
      Figures[n].Id = n;
    ExpectSameAsReference(GetParam(), Figures, 150);
  }
}

TEST_P(ReferenceAgreement, CountShorterThanTheListLeavesTheRestAlone) {
  std::mt19937 Random(7);
  const std::vector<TFakeFigure> Figures = RandomFigures(Random, 60, 9);
  ExpectSameAsReference(GetParam(), Figures, 37);
}

TEST_P(ReferenceAgreement, LargestCount) {
  std::mt19937 Random(11);
  ExpectSameAsReference(GetParam(), RandomFigures(Random, GetParam().LargeCount, 9),
                        GetParam().LargeCount);
}

TEST_P(ReferenceAgreement, ResultIsDescendingEachFigureOnceAndStableWhereDocumented) {
  for (int Count : {2, 3, 17, 64, 199})
    for (int NameCount : kNameCounts) {
      SCOPED_TRACE(testing::Message() << "count " << Count << ", names " << NameCount);
      std::mt19937 Random(Count * 31 + NameCount);
      std::vector<TFakeFigure> Figures = RandomFigures(Random, Count, NameCount);
      TNodeChain Chain(Figures);
      TRecordingCompare Compare;
      GetParam().Sort(Chain.Head(), Chain.Count(), Compare.Bind());

      std::vector<int> Ids = Chain.Ids();
      for (int n = 0; n + 1 < Count; ++n) {
        const TFakeFigure& Upper = Figures[Ids[n]];
        const TFakeFigure& Lower = Figures[Ids[n + 1]];
        const int Order = CompareNames(Upper.ClassName, Lower.ClassName);
        EXPECT_GE(Order, 0) << "position " << n << ": " << Upper.ClassName << " above "
                            << Lower.ClassName;
        if (GetParam().Stable && Order == 0) {
          EXPECT_LT(Upper.Id, Lower.Id) << "position " << n << ": equal names swapped";
        }
      }
      std::sort(Ids.begin(), Ids.end());
      std::vector<int> Expected(Count);
      std::iota(Expected.begin(), Expected.end(), 0);
      EXPECT_EQ(Ids, Expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Routines, ReferenceAgreement, testing::ValuesIn(kRoutines),
                         [](const auto& Info) { return RoutineName(Info.param); });

}  // namespace
}  // namespace ranktest
