// Fakes shared by the sort library suites: the library sees figures only as
// opaque pointers, so a "figure" here is a record holding a class name and
// an id, compared by name the way the figures collection compares them.
#pragma once

#include "ranklib/RankLib.h"
#include "ranklib/ReferenceSort.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace ranktest {

struct TFakeFigure {
  std::string ClassName;
  int Id;
};

TBasicFigure* AsFigure(TFakeFigure& Figure);
const TFakeFigure& AsFake(const TBasicFigure* Figure);

// The nine figure classes, in the order every sort leaves them (greatest
// first).
extern const std::vector<std::string> kClassNamesDescending;

// Figures with ids 0, 1, 2, ... in the order of the names given.
std::vector<TFakeFigure> MakeFigures(const std::vector<std::string>& Names);

// Count figures whose names are drawn from the first NameCount class names,
// so that small NameCounts give many equal names.
std::vector<TFakeFigure> RandomFigures(std::mt19937& Random, int Count, int NameCount);

// Byte-wise comparison of class names: unsigned bytes over the common
// length, then the shorter name is the smaller. Negative, zero or positive.
int CompareNames(const std::string& A, const std::string& B);

// One call of the comparison: the ids of its operands and its operator code.
struct TComparison {
  int Id1;
  int Id2;
  TFigureCompareOp Op;
  bool operator==(const TComparison&) const = default;
};
std::ostream& operator<<(std::ostream& Out, const TComparison& C);

struct TCompareFailure {
  int Call;  // 0-based number of the call that failed
};

// The comparison lent to a sort: records every call and answers by class
// name, or through Answer when one is set (to model a faulty comparison).
// Call number FailAtCall throws TCompareFailure instead of answering.
class TRecordingCompare {
 public:
  TFigureCompare Bind() { return {&Thunk, this}; }

  std::vector<TComparison> Log;
  int FailAtCall = -1;
  std::function<bool(const TFakeFigure&, const TFakeFigure&, TFigureCompareOp)> Answer;

 private:
  static bool Thunk(void* Data, TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op);
};

// The caller's side of the list: one separately allocated node per figure,
// linked by Next and Prev, as the figures collection keeps them.
class TNodeChain {
 public:
  explicit TNodeChain(std::vector<TFakeFigure>& Figures);

  PFigureNode Head() { return FNodes.empty() ? nullptr : FNodes.front().get(); }
  uint16_t Count() const { return static_cast<uint16_t>(FNodes.size()); }

  // The ids of the figures from the head along Next.
  std::vector<int> Ids() const;
  std::vector<std::string> Names() const;

  // Each node's own address and its links, in the order the nodes were
  // made; equal before and after a sort when the library left the chain
  // alone.
  struct TLinks {
    const TFigureNode* Node;
    const TFigureNode* Next;
    const TFigureNode* Prev;
    bool operator==(const TLinks&) const = default;
  };
  std::vector<TLinks> Links() const;

 private:
  std::vector<std::unique_ptr<TFigureNode>> FNodes;
};
std::ostream& operator<<(std::ostream& Out, const TNodeChain::TLinks& L);

using TSortRoutine = void (*)(PFigureNode, uint16_t, TFigureCompare);
using TReferenceSort = void (*)(std::vector<TBasicFigure*>&, TFigureCompare);

struct TRoutine {
  const char* Name;
  TSortRoutine Sort;
  TReferenceSort Reference;
  bool Stable;
  int LargeCount;  // the longest list the suites give it: quadratic ones stay short
};
inline constexpr TRoutine kRoutines[] = {
    {"QSort", &QSort, &ReferenceQSort, false, 65535},
    {"BSort", &BSort, &ReferenceBSort, false, 1500},
    {"ISort", &ISort, &ReferenceISort, true, 3000},
    {"MSort", &MSort, &ReferenceMSort, true, 65535},
};

std::string RoutineName(const TRoutine& Routine);
void PrintTo(const TRoutine& Routine, std::ostream* Out);

}  // namespace ranktest
