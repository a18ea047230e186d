// The boundary between the program and the sort library: the node record of
// a figures collection, the comparison it lends, and the four routines. Both
// sides include this header; the library never sees a figure's definition.
#pragma once

#include <cstdint>

class TBasicFigure;

// One node of a collection's figure list. The field order is fixed: the
// library walks Next and exchanges Figure pointers between nodes.
struct TFigureNode {
  TBasicFigure* Figure;
  TFigureNode* Next;  // towards the top of the drawing order; none at the tail
  TFigureNode* Prev;  // towards the bottom; none at the head
};
using PFigureNode = TFigureNode*;

enum TFigureCompareOp : uint8_t {
  coLess,
  coGreater,
  coEqual,
  coNotEqual,
  coLessOrEqual,
  coGreaterOrEqual,
};

// Whether a three-way order (negative, zero, positive: F1 below, equal to,
// above F2) satisfies Op; false for a code outside the enumeration.
inline bool OrderSatisfies(int Order, TFigureCompareOp Op) {
  switch (Op) {
    case coLess: return Order < 0;
    case coGreater: return Order > 0;
    case coEqual: return Order == 0;
    case coNotEqual: return Order != 0;
    case coLessOrEqual: return Order <= 0;
    case coGreaterOrEqual: return Order >= 0;
  }
  return false;
}

// A method pointer: the comparison function and the object it is bound to.
// A failure it raises propagates through the library to the caller.
struct TFigureCompare {
  bool (*Code)(void* Data, TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op);
  void* Data;
};

#if defined(RANKLIB_BUILDING)
#define RANKLIB_API __attribute__((visibility("default")))
#else
#define RANKLIB_API
#endif

// Each routine sorts positions 0 .. Count - 1 of the list starting at List
// into descending order of Compare, moving Figure pointers between the nodes
// in place; it never relinks, allocates or frees a node. List may be none
// when Count is 0. Count must not exceed the list's length: a longer count
// sorts only the nodes the list has. A Compare without Code sorts nothing.
extern "C" {
RANKLIB_API void QSort(PFigureNode List, uint16_t Count, TFigureCompare Compare);  // quicksort, unstable
RANKLIB_API void BSort(PFigureNode List, uint16_t Count, TFigureCompare Compare);  // exchange sort, unstable
RANKLIB_API void ISort(PFigureNode List, uint16_t Count, TFigureCompare Compare);  // insertion sort, stable
RANKLIB_API void MSort(PFigureNode List, uint16_t Count, TFigureCompare Compare);  // merge sort, stable
}
