// The four sort routines. Each makes exactly the comparisons (operands, order
// and operator codes) and the exchanges of its classic algorithm over list
// positions. Two things are cheaper than a literal reading: the caller's
// nodes are indexed once per call instead of walking Next from the first node
// for every access, and MSort's buffer is allocated once per sort instead of
// once per merge.
//
// The library reads Figure and Next of the caller's nodes and writes only
// Figure: it never relinks, allocates or frees a caller's node.
//
// A failure raised by Compare propagates to the caller unchanged, and the
// list is then still a permutation of the figures it held: QSort and BSort
// only ever exchange, ISort puts back the figure it holds aside, and MSort
// compares only before it copies a merged run back.
#include "ranklib/RankLib.h"

#include <tuple>
#include <utility>
#include <vector>

namespace {

// The caller's nodes at positions 0 .. Count() - 1, found by one walk along
// Next. A list shorter than the count asked for yields only the nodes it
// has. Positions are int because the partition steps one past either end.
class TPositions {
 public:
  TPositions(PFigureNode List, uint16_t Count) {
    FNodes.reserve(Count);
    for (PFigureNode Node = List; Node && FNodes.size() < Count; Node = Node->Next)
      FNodes.push_back(Node);
  }

  int Count() const { return static_cast<int>(FNodes.size()); }

  // The Figure field of the node at the position.
  TBasicFigure*& operator[](int Pos) { return FNodes[Pos]->Figure; }

  void Exchange(int A, int B) { std::swap(FNodes[A]->Figure, FNodes[B]->Figure); }

 private:
  std::vector<PFigureNode> FNodes;
};

class TComparer {
 public:
  explicit TComparer(TFigureCompare Compare) : FCompare(Compare) {}
  bool operator()(TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op) const {
    return FCompare.Code(FCompare.Data, F1, F2, Op);
  }

 private:
  TFigureCompare FCompare;
};

// Hoare's partition of L .. R around the figure at the middle position, taken
// once. Returns the ends of the two parts still to sort: L .. first and
// second .. R.
//
// With a comparison that answers the same for the same operands and never
// calls a figure greater or less than itself, the pivot stops both scans in
// the first pass and every exchange leaves a stopper for the next pass, so
// the scans never leave L .. R and both parts are smaller than L .. R. The
// bounds on the scans and the final clamps only matter for a comparison that
// breaks this: they keep every access inside the range and the sort finite.
std::pair<int, int> Partition(TPositions& P, const TComparer& Cmp, int L, int R) {
  TBasicFigure* const Pivot = P[(L + R) / 2];
  int i = L;
  int j = R;
  do {
    while (i <= R && Cmp(P[i], Pivot, coGreater))
      ++i;
    while (j >= L && Cmp(P[j], Pivot, coLess))
      --j;
    if (i <= j) {
      P.Exchange(i, j);
      ++i;
      --j;
    }
  } while (i <= j);
  if (j >= R)
    j = R - 1;
  if (i <= L)
    i = L + 1;
  return {j, i};
}

// Sorts L .. R, the left part of every partition before its right part. The
// parts waiting are kept on the heap, so a degenerate sequence of partitions
// cannot exhaust the caller's stack.
void QuickSortRange(TPositions& P, const TComparer& Cmp, int L, int R) {
  std::vector<std::pair<int, int>> Waiting;
  for (;;) {
    if (L < R) {
      const auto [LeftEnd, RightStart] = Partition(P, Cmp, L, R);
      if (RightStart < R)
        Waiting.emplace_back(RightStart, R);
      R = LeftEnd;
      continue;
    }
    if (Waiting.empty())
      return;
    std::tie(L, R) = Waiting.back();
    Waiting.pop_back();
  }
}

// Merges the sorted halves Lo .. Mid and Mid + 1 .. Hi (Mid as MergeSortRange
// splits) through Buffer, which holds at least Hi - Lo + 1 figures. On equal
// figures the left run goes first.
void MergeRuns(TPositions& P, const TComparer& Cmp, std::vector<TBasicFigure*>& Buffer, int Lo,
               int Hi) {
  const int Mid = Lo + (Hi - Lo) / 2;
  int a = Lo;
  int b = Mid + 1;
  int k = 0;
  while (a <= Mid && b <= Hi) {
    if (Cmp(P[a], P[b], coGreaterOrEqual))
      Buffer[k++] = P[a++];
    else
      Buffer[k++] = P[b++];
  }
  while (a <= Mid)
    Buffer[k++] = P[a++];
  while (b <= Hi)
    Buffer[k++] = P[b++];
  for (int n = 0; n < k; ++n)
    P[Lo + n] = Buffer[n];
}

void MergeSortRange(TPositions& P, const TComparer& Cmp, std::vector<TBasicFigure*>& Buffer, int Lo,
                    int Hi) {
  if (Lo >= Hi)
    return;
  if (Hi - Lo == 1) {
    if (Cmp(P[Hi], P[Lo], coGreater))
      P.Exchange(Lo, Hi);
    return;
  }
  const int Mid = Lo + (Hi - Lo) / 2;
  MergeSortRange(P, Cmp, Buffer, Lo, Mid);
  MergeSortRange(P, Cmp, Buffer, Mid + 1, Hi);
  MergeRuns(P, Cmp, Buffer, Lo, Hi);
}

}  // namespace

extern "C" {

RANKLIB_API void QSort(PFigureNode List, uint16_t Count, TFigureCompare Compare) {
  if (Count < 2 || !Compare.Code)
    return;
  TPositions P(List, Count);
  QuickSortRange(P, TComparer(Compare), 0, P.Count() - 1);
}

// Always Count * (Count - 1) / 2 comparisons, also on a list already in order.
RANKLIB_API void BSort(PFigureNode List, uint16_t Count, TFigureCompare Compare) {
  if (Count < 2 || !Compare.Code)
    return;
  TPositions P(List, Count);
  const TComparer Cmp(Compare);
  for (int i = 0; i < P.Count(); ++i)
    for (int j = i + 1; j < P.Count(); ++j)
      if (Cmp(P[i], P[j], coLess))
        P.Exchange(i, j);
}

// A figure moves only past strictly smaller ones, so equal figures keep their
// order.
RANKLIB_API void ISort(PFigureNode List, uint16_t Count, TFigureCompare Compare) {
  if (Count < 2 || !Compare.Code)
    return;
  TPositions P(List, Count);
  const TComparer Cmp(Compare);
  for (int i = 0; i < P.Count(); ++i) {
    TBasicFigure* const Key = P[i];
    int j = i - 1;
    // While shifting, position j + 1 is the gap whose figure is Key.
    try {
      while (j >= 0 && Cmp(Key, P[j], coGreater)) {
        P[j + 1] = P[j];
        --j;
      }
    } catch (...) {
      P[j + 1] = Key;
      throw;
    }
    P[j + 1] = Key;
  }
}

RANKLIB_API void MSort(PFigureNode List, uint16_t Count, TFigureCompare Compare) {
  if (Count < 2 || !Compare.Code)
    return;
  TPositions P(List, Count);
  std::vector<TBasicFigure*> Buffer(P.Count());
  MergeSortRange(P, TComparer(Compare), Buffer, 0, P.Count() - 1);
}

}  // extern "C"
