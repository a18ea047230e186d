#include "document/FigureIndex.h"

#include <algorithm>

namespace {

// The gap dealt between neighbouring keys, and the bound all keys stay
// below: 2^31 members fit with full gaps.
constexpr uint64_t kKeyGap = uint64_t(1) << 32;
constexpr uint64_t kKeyLimit = uint64_t(1) << 63;

// Cell width of level 0: the smallest power of two from 16 pixels up that
// keeps that level within this many cells.
constexpr int64_t kMaxBaseCells = int64_t(1) << 16;
constexpr int32_t kMinBaseShift = 4;

int32_t CellCount(int32_t Extent, int32_t Shift) { return int32_t((int64_t(Extent) + (int64_t(1) << Shift) - 1) >> Shift); }

}  // namespace

TFigureIndex::TFigureIndex(const TRect& Bounds) : FBounds(Bounds) {
  const int32_t width = std::max(Bounds.Right - Bounds.Left, 1);
  const int32_t height = std::max(Bounds.Bottom - Bounds.Top, 1);
  int32_t shift = kMinBaseShift;
  while (int64_t(CellCount(width, shift)) * CellCount(height, shift) > kMaxBaseCells) ++shift;
  for (;; ++shift) {
    TLevel& level = FLevels.emplace_back();
    level.Shift = shift;
    level.Columns = CellCount(width, shift);
    level.Rows = CellCount(height, shift);
    level.Cells.resize(size_t(level.Columns) * size_t(level.Rows));
    if ((int64_t(1) << shift) >= std::max(width, height)) break;
  }
}

TRect TFigureIndex::Clipped(const TRect& Extent) const { return Intersection(Extent, FBounds); }

int32_t TFigureIndex::LevelOf(const TRect& Extent) const {
  if (IsEmpty(Extent)) return -1;
  const int64_t side = std::max(int64_t(Extent.Right) - Extent.Left, int64_t(Extent.Bottom) - Extent.Top);
  int32_t level = 0;
  while (level + 1 < int32_t(FLevels.size()) && (int64_t(1) << FLevels[size_t(level)].Shift) < side) ++level;
  return level;
}

// Box lies within the bounds.
TFigureIndex::TCellRange TFigureIndex::CellsOf(const TLevel& Level, const TRect& Box) const {
  return {(Box.Left - FBounds.Left) >> Level.Shift, (Box.Top - FBounds.Top) >> Level.Shift,
          (Box.Right - 1 - FBounds.Left) >> Level.Shift, (Box.Bottom - 1 - FBounds.Top) >> Level.Shift};
}

void TFigureIndex::List(uint32_t Slot) {
  TSlot& slot = FSlotStore[Slot];
  slot.Level = LevelOf(slot.Extent);
  if (slot.Level < 0) return;
  TLevel& level = FLevels[size_t(slot.Level)];
  const TCellRange cells = CellsOf(level, slot.Extent);
  for (int32_t y = cells.Y0; y <= cells.Y1; ++y)
    for (int32_t x = cells.X0; x <= cells.X1; ++x) level.Cells[size_t(y) * size_t(level.Columns) + size_t(x)].push_back(Slot);
}

void TFigureIndex::Unlist(uint32_t Slot) {
  TSlot& slot = FSlotStore[Slot];
  if (slot.Level < 0) return;
  TLevel& level = FLevels[size_t(slot.Level)];
  const TCellRange cells = CellsOf(level, slot.Extent);
  for (int32_t y = cells.Y0; y <= cells.Y1; ++y) {
    for (int32_t x = cells.X0; x <= cells.X1; ++x) {
      std::vector<uint32_t>& cell = level.Cells[size_t(y) * size_t(level.Columns) + size_t(x)];
      const auto at = std::find(cell.begin(), cell.end(), Slot);
      *at = cell.back();
      cell.pop_back();
    }
  }
  slot.Level = -1;
}

bool TFigureIndex::KeyBetween(const TBasicFigure* Below, const TBasicFigure* Above, uint64_t& Key) const {
  const uint64_t low = Below != nullptr ? FSlotStore[FSlots.at(Below)].Key : 0;
  const uint64_t high = Above != nullptr ? FSlotStore[FSlots.at(Above)].Key : kKeyLimit;
  if (high <= low || high - low < 2) return false;
  // A full gap from the open side, so that figures put on top (or at the
  // bottom) one after another never run short.
  if (Above == nullptr && high - low > kKeyGap)
    Key = low + kKeyGap;
  else if (Below == nullptr && high - low > kKeyGap)
    Key = high - kKeyGap;
  else
    Key = low + (high - low) / 2;
  return true;
}

void TFigureIndex::Renumber() {
  std::vector<std::pair<uint64_t, uint32_t>> order;
  order.reserve(FSlots.size());
  for (const auto& [figure, slot] : FSlots) order.emplace_back(FSlotStore[slot].Key, slot);
  std::sort(order.begin(), order.end());
  uint64_t key = 0;
  for (const auto& [old, slot] : order) FSlotStore[slot].Key = key += kKeyGap;
  FTopKey = key;
}

uint32_t TFigureIndex::NewSlot() {
  if (!FFree.empty()) {
    const uint32_t slot = FFree.back();
    FFree.pop_back();
    return slot;
  }
  FSlotStore.emplace_back();
  return uint32_t(FSlotStore.size() - 1);
}

bool TFigureIndex::Insert(TBasicFigure* Figure, PFigureNode Node, const TBasicFigure* Below,
                          const TBasicFigure* Above, const TRect& Extent) {
  if (Figure == nullptr || FSlots.contains(Figure)) return false;
  if ((Below != nullptr && !FSlots.contains(Below)) || (Above != nullptr && !FSlots.contains(Above))) return false;
  uint64_t key;
  if (!KeyBetween(Below, Above, key)) {
    Renumber();
    if (!KeyBetween(Below, Above, key)) return false;
  }
  const uint32_t slot = NewSlot();
  FSlotStore[slot] = TSlot{Figure, Node, 0, key, Clipped(Extent)};
  FSlots.emplace(Figure, slot);
  FTopKey = std::max(FTopKey, key);
  List(slot);
  return true;
}

bool TFigureIndex::Append(TBasicFigure* Figure, PFigureNode Node, const TRect& Extent) {
  if (Figure == nullptr || FSlots.contains(Figure)) return false;
  if (FTopKey >= kKeyLimit - kKeyGap) Renumber();
  const uint32_t slot = NewSlot();
  FTopKey += kKeyGap;
  FSlotStore[slot] = TSlot{Figure, Node, 0, FTopKey, Clipped(Extent)};
  FSlots.emplace(Figure, slot);
  List(slot);
  return true;
}

bool TFigureIndex::Remove(const TBasicFigure* Figure) {
  const auto found = FSlots.find(Figure);
  if (found == FSlots.end()) return false;
  const uint32_t slot = found->second;
  Unlist(slot);
  FSlotStore[slot].Figure = nullptr;
  FFree.push_back(slot);
  FSlots.erase(found);
  return true;
}

const TRect* TFigureIndex::Extent(const TBasicFigure* Figure) const {
  const auto found = FSlots.find(Figure);
  return found != FSlots.end() ? &FSlotStore[found->second].Extent : nullptr;
}

PFigureNode TFigureIndex::Node(const TBasicFigure* Figure) const {
  const auto found = FSlots.find(Figure);
  return found != FSlots.end() ? FSlotStore[found->second].Node : nullptr;
}

bool TFigureIndex::SetCarried(const TBasicFigure* Figure, uint64_t Value) {
  const auto found = FSlots.find(Figure);
  if (found == FSlots.end()) return false;
  FSlotStore[found->second].Carried = Value;
  return true;
}

uint64_t TFigureIndex::Carried(const TBasicFigure* Figure) const {
  const auto found = FSlots.find(Figure);
  return found != FSlots.end() ? FSlotStore[found->second].Carried : 0;
}

bool TFigureIndex::SetExtent(const TBasicFigure* Figure, const TRect& Extent) {
  const auto found = FSlots.find(Figure);
  if (found == FSlots.end()) return false;
  const TRect box = Clipped(Extent);
  TSlot& slot = FSlotStore[found->second];
  if (box == slot.Extent) return true;
  Unlist(found->second);
  slot.Extent = box;
  List(found->second);
  return true;
}

bool TFigureIndex::SwapOrder(const TBasicFigure* A, const TBasicFigure* B) {
  const auto a = FSlots.find(A), b = FSlots.find(B);
  if (a == FSlots.end() || b == FSlots.end()) return false;
  std::swap(FSlotStore[a->second].Key, FSlotStore[b->second].Key);
  std::swap(FSlotStore[a->second].Node, FSlotStore[b->second].Node);
  return true;
}

void TFigureIndex::Query(const TRect& Area, std::vector<TBasicFigure*>& Figures, TRect& Reach) {
  Figures.clear();
  Reach = {};
  const TRect area = Clipped(Area);
  if (IsEmpty(area)) return;
  // A new visit mark; on wrapping round, marks left from before could match.
  if (++FVisit == 0) {
    for (TSlot& slot : FSlotStore) slot.Visit = 0;
    FVisit = 1;
  }
  FHits.clear();
  for (TLevel& level : FLevels) {
    const TCellRange cells = CellsOf(level, area);
    for (int32_t y = cells.Y0; y <= cells.Y1; ++y) {
      for (int32_t x = cells.X0; x <= cells.X1; ++x) {
        for (const uint32_t number : level.Cells[size_t(y) * size_t(level.Columns) + size_t(x)]) {
          TSlot& slot = FSlotStore[number];
          if (slot.Visit == FVisit) continue;
          slot.Visit = FVisit;
          if (Meet(slot.Extent, area)) FHits.emplace_back(slot.Key, number);
        }
      }
    }
  }
  std::sort(FHits.begin(), FHits.end());
  Figures.reserve(FHits.size());
  for (const auto& [key, number] : FHits) {
    const TSlot& slot = FSlotStore[number];
    Figures.push_back(slot.Figure);
    Reach = Union(Reach, slot.Extent);
  }
}
