// Where the figures of a collection paint: each member's painted extent,
// found by area, with a key that orders the members as the drawing order
// does, so that the figures touching an area come out bottom first without
// walking the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "canvas/Canvas.h"
#include "ranklib/RankLib.h"

class TBasicFigure;

// A multi-level grid. Level 0 has square cells of a base size, each next
// level cells twice as wide; an extent lives on the lowest level whose cells
// are at least as wide as its longer side, so it is listed in at most 2 x 2
// cells there, and the top level's cells cover the whole bounds in at most
// 2 x 2. Empty extents are members listed in no cell.
//
// Order keys rise from the bottom of the drawing order to the top, with
// gaps between neighbours; a figure put between two neighbours takes the
// middle of their gap, and when no gap is left every key is dealt anew.
class TFigureIndex {
 public:
  // Bounds: the pixels extents lie in, image pixels with right and bottom
  // edges exclusive, from (0, 0).
  explicit TFigureIndex(const TRect& Bounds);
  TFigureIndex(const TFigureIndex&) = delete;
  TFigureIndex& operator=(const TFigureIndex&) = delete;

  const TRect& Bounds() const { return FBounds; }
  size_t Count() const { return FSlots.size(); }

  // Figure, held by Node, put directly above Below and beneath Above in the
  // order, either none at the bottom or top; Extent is clipped to the
  // bounds. False, with nothing changed, when Figure is a member already or
  // a neighbour given is not one.
  bool Insert(TBasicFigure* Figure, PFigureNode Node, const TBasicFigure* Below, const TBasicFigure* Above,
              const TRect& Extent);
  // Figure put on top of the order.
  bool Append(TBasicFigure* Figure, PFigureNode Node, const TRect& Extent);
  // False when Figure is no member.
  bool Remove(const TBasicFigure* Figure);
  // A member's extent; none for a figure that is not one.
  const TRect* Extent(const TBasicFigure* Figure) const;
  // The node holding a member; none for a figure that is not one.
  PFigureNode Node(const TBasicFigure* Figure) const;
  // A value the owner keeps with each member (0 for a new one): for the
  // collection, what drawing the figure leaves on the canvas for the
  // figures after it. False / 0 when Figure is no member.
  bool SetCarried(const TBasicFigure* Figure, uint64_t Value);
  uint64_t Carried(const TBasicFigure* Figure) const;
  // False when Figure is no member.
  bool SetExtent(const TBasicFigure* Figure, const TRect& Extent);
  // Two members exchange their places in the order, and their nodes; false
  // when either is no member.
  bool SwapOrder(const TBasicFigure* A, const TBasicFigure* B);

  // The members whose extent meets Area, bottom of the order first, into
  // Figures (replacing what it held); Reach becomes the union of their
  // extents (all zero for none).
  void Query(const TRect& Area, std::vector<TBasicFigure*>& Figures, TRect& Reach);

 private:
  struct TSlot {
    TBasicFigure* Figure = nullptr;  // none: a free slot
    PFigureNode Node = nullptr;
    uint64_t Carried = 0;
    uint64_t Key = 0;
    TRect Extent;
    int32_t Level = -1;  // -1: listed in no cell
    uint32_t Visit = 0;  // the last query that looked at it
  };
  struct TLevel {
    int32_t Shift = 0;  // cell width 1 << Shift
    int32_t Columns = 0;
    int32_t Rows = 0;
    std::vector<std::vector<uint32_t>> Cells;  // slot numbers, row by row
  };
  // Cells [X0, X1] x [Y0, Y1] of a level.
  struct TCellRange {
    int32_t X0, Y0, X1, Y1;
  };

  TRect Clipped(const TRect& Extent) const;
  int32_t LevelOf(const TRect& Extent) const;
  TCellRange CellsOf(const TLevel& Level, const TRect& Box) const;
  void List(uint32_t Slot);
  void Unlist(uint32_t Slot);
  // A key strictly between those of the neighbours, or false when their gap
  // is used up.
  bool KeyBetween(const TBasicFigure* Below, const TBasicFigure* Above, uint64_t& Key) const;
  void Renumber();
  uint32_t NewSlot();

  TRect FBounds;
  std::vector<TLevel> FLevels;
  std::vector<TSlot> FSlotStore;
  std::vector<uint32_t> FFree;
  // The slot of each member.
  std::unordered_map<const TBasicFigure*, uint32_t> FSlots;
  uint64_t FTopKey = 0;  // the highest key dealt; 0: none
  uint32_t FVisit = 0;
  std::vector<std::pair<uint64_t, uint32_t>> FHits;
};
