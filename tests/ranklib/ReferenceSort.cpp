#include "ranklib/ReferenceSort.h"

#include <utility>

namespace ranktest {
namespace {

using TFigures = std::vector<TBasicFigure*>;

bool Holds(TFigureCompare Compare, TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op) {
  return Compare.Code(Compare.Data, F1, F2, Op);
}

void Exchange(TFigures& A, int I, int J) { std::swap(A.at(I), A.at(J)); }

void QuickSortRange(TFigures& A, TFigureCompare Compare, int L, int R) {
  if (L >= R)
    return;
  int i = L;
  int j = R;
  TBasicFigure* const Pivot = A.at((L + R) / 2);
  do {
    while (Holds(Compare, A.at(i), Pivot, coGreater))
      i = i + 1;
    while (Holds(Compare, A.at(j), Pivot, coLess))
      j = j - 1;
    if (i <= j) {
      Exchange(A, i, j);
      i = i + 1;
      j = j - 1;
    }
  } while (!(i > j));
  QuickSortRange(A, Compare, L, j);
  QuickSortRange(A, Compare, i, R);
}

// The buffer is fresh for every merge but holds only the range: a buffer of
// the whole count would change nothing but the time the suite takes.
void MergeRuns(TFigures& A, TFigureCompare Compare, int Lo, int Hi) {
  TFigures Buffer(Hi - Lo + 1);
  const int Mid = Lo + (Hi - Lo) / 2;
  int a = Lo;
  int b = Mid + 1;
  int k = 0;
  while (a <= Mid && b <= Hi) {
    if (Holds(Compare, A.at(a), A.at(b), coGreaterOrEqual)) {
      Buffer.at(k) = A.at(a);
      a = a + 1;
    } else {
      Buffer.at(k) = A.at(b);
      b = b + 1;
    }
    k = k + 1;
  }
  for (; a <= Mid; a = a + 1, k = k + 1)
    Buffer.at(k) = A.at(a);
  for (; b <= Hi; b = b + 1, k = k + 1)
    Buffer.at(k) = A.at(b);
  for (int n = 0; n < k; n = n + 1)
    A.at(Lo + n) = Buffer.at(n);
}

void MergeSortRange(TFigures& A, TFigureCompare Compare, int Lo, int Hi) {
  if (Lo >= Hi)
    return;
  if (Hi - Lo == 1) {
    if (Holds(Compare, A.at(Hi), A.at(Lo), coGreater))
      Exchange(A, Lo, Hi);
    return;
  }
  const int Mid = Lo + (Hi - Lo) / 2;
  MergeSortRange(A, Compare, Lo, Mid);
  MergeSortRange(A, Compare, Mid + 1, Hi);
  MergeRuns(A, Compare, Lo, Hi);
}

}  // namespace

void ReferenceQSort(TFigures& Figures, TFigureCompare Compare) {
  QuickSortRange(Figures, Compare, 0, static_cast<int>(Figures.size()) - 1);
}

void ReferenceBSort(TFigures& Figures, TFigureCompare Compare) {
  const int Count = static_cast<int>(Figures.size());
  for (int i = 0; i <= Count - 1; i = i + 1)
    for (int j = i + 1; j <= Count - 1; j = j + 1)
      if (Holds(Compare, Figures.at(i), Figures.at(j), coLess))
        Exchange(Figures, i, j);
}

void ReferenceISort(TFigures& Figures, TFigureCompare Compare) {
  const int Count = static_cast<int>(Figures.size());
  for (int i = 0; i <= Count - 1; i = i + 1) {
    TBasicFigure* const Key = Figures.at(i);
    int j = i - 1;
    while (j >= 0 && Holds(Compare, Key, Figures.at(j), coGreater)) {
      Figures.at(j + 1) = Figures.at(j);
      j = j - 1;
    }
    Figures.at(j + 1) = Key;
  }
}

void ReferenceMSort(TFigures& Figures, TFigureCompare Compare) {
  MergeSortRange(Figures, Compare, 0, static_cast<int>(Figures.size()) - 1);
}

}  // namespace ranktest
