#include "document/Collection.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <cstring>
#include <new>
#include <utility>

#include "canvas/ExtentCanvas.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"

static_assert(std::ranges::bidirectional_range<TFigureRange> && std::ranges::view<TFigureRange>);

TFiguresCollection::TFiguresCollection(TCanvas* Canvas, const TRect& Rect) : FCanvas(Canvas), FImageRect(Rect) {}

TFiguresCollection::TFiguresCollection(TCanvas* Canvas) : FCanvas(Canvas) {}

TFiguresCollection::~TFiguresCollection() { Clear(); }

PFigureNode TFiguresCollection::FindNode(const TBasicFigure* Figure) const {
  for (PFigureNode node = FHead; node != nullptr; node = node->Next)
    if (node->Figure == Figure) return node;
  return nullptr;
}

int32_t TFiguresCollection::IndexOf(const TBasicFigure* Figure) const {
  int32_t index = 0;
  for (PFigureNode node = FHead; node != nullptr; node = node->Next, ++index)
    if (node->Figure == Figure) return index;
  return -1;
}

TBasicFigure* TFiguresCollection::GetFigure(uint16_t Index) const {
  PFigureNode node = FHead;
  for (uint16_t i = 0; node != nullptr && i < Index; ++i) node = node->Next;
  return node != nullptr ? node->Figure : nullptr;
}

PFigureNode TFiguresCollection::NodeAt(int32_t Position) const {
  if (Position < 0 || Position >= FCount) return nullptr;
  // From the nearest of the ends and the node last found: the top figure,
  // and one figure again and again, are the ones most often asked for.
  PFigureNode node = FHead;
  int32_t at = 0;
  if (FCount - 1 - Position < Position - at) {
    node = FTail;
    at = FCount - 1;
  }
  if (FFoundNode != nullptr && std::abs(FFoundPosition - Position) < std::abs(at - Position)) {
    node = FFoundNode;
    at = FFoundPosition;
  }
  for (; at < Position; ++at) node = node->Next;
  for (; at > Position; --at) node = node->Prev;
  FFoundNode = node;
  FFoundPosition = Position;
  return node;
}

int32_t TFiguresCollection::PositionOf(const TBasicFigure* Figure) const {
  if (Figure != nullptr && Figure == FSelected) return SelectedPosition();
  int32_t position;
  LocateFromTop(Figure, 0, position);
  return position;
}

TBasicFigure* TFiguresCollection::Add(std::unique_ptr<TBasicFigure>&& Figure) {
  TBasicFigure* figure = Link(std::move(Figure), FCount);
  if (figure == nullptr) return nullptr;
  FSelected = figure;
  FMarkersDirty = true;
  ListChanged();
  return figure;
}

TBasicFigure* TFiguresCollection::Link(std::unique_ptr<TBasicFigure>&& Figure, int32_t Position) {
  if (!Figure) return nullptr;
  const PFigureNode above = NodeAt(Position);
  const PFigureNode below = above != nullptr ? above->Prev : FTail;
  const PFigureNode node = new (std::nothrow) TFigureNode{Figure.get(), above, below};
  if (node == nullptr) return nullptr;
  TBasicFigure* figure = Figure.release();
  (below != nullptr ? below->Next : FHead) = node;
  (above != nullptr ? above->Prev : FTail) = node;
  figure->OnChange = [this](TBasicFigure* Sender) { FigureChanged(Sender); };
  figure->OnQuietChange = [this](TBasicFigure* Sender) { FigureChangedQuietly(Sender); };
  figure->OnDestroy = [this](TBasicFigure* Sender) { FigureDestroyed(Sender); };
  figure->OnRecordChange = [this](TBasicFigure* Sender) { FigureRecordChanged(Sender); };
  if (FBelowCount == Position) FBelowNode = node;
  NoteLinked(node);
  MarkChanged(Position);
  NoteEntriesShifted(Position, FCount - Position);
  ShiftKnownPositions(Position);
  ++FCount;
  return figure;
}

void TFiguresCollection::Unlink(PFigureNode Node, int32_t Position) {
  NoteUnlinked(Node);
  MarkChanged(Position);
  NoteEntriesShifted(Position, FCount - 1 - Position);
  ShiftKnownPositions(Position);
  if (Node == FBelowNode) FBelowNode = Node->Next;
  if (Node == FTail) FTail = Node->Prev;
  if (Node == FHead) FHead = Node->Next;
  if (Node->Prev != nullptr) Node->Prev->Next = Node->Next;
  if (Node->Next != nullptr) Node->Next->Prev = Node->Prev;
  if (FSelected == Node->Figure) {
    FSelected = FTail != nullptr ? FTail->Figure : nullptr;
    FMarkersDirty = true;
  }
  delete Node;
  --FCount;
  ListChanged();
}

bool TFiguresCollection::Remove(TBasicFigure* Figure, bool DestroyIt) {
  int32_t position;
  const PFigureNode node = LocateFromTop(Figure, 0, position);
  if (node == nullptr) return false;
  Unlink(node, position);
  // Destroyed after unlinking, so its destruction notice finds no node.
  if (DestroyIt) delete Figure;
  UpdateRaster();
  return true;
}

void TFiguresCollection::FigureDestroyed(TBasicFigure* Sender) {
  int32_t position;
  const PFigureNode node = LocateFromTop(Sender, 0, position);
  if (node == nullptr) return;
  Unlink(node, position);
  UpdateRaster();
}

void TFiguresCollection::FigureChanged(TBasicFigure* Sender) {
  FigureChangedQuietly(Sender);
  UpdateRaster();
}

void TFiguresCollection::FigureChangedQuietly(TBasicFigure* Sender) {
  NoteChanged(Sender);
  // Everything is marked already (while the canvas changes, say): no need
  // to look the figure up, its entry is written with all the others.
  if (FDirtyFrom == 0) {
    FEntryChanges.Whole = true;
    return;
  }
  int32_t position;
  if (const PFigureNode node = LocateFromTop(Sender, 0, position)) FigureChangedAt(node, position);
}

void TFiguresCollection::FigureChangedAt(PFigureNode Node, int32_t Position) {
  MarkChanged(Position);
  NoteEntry(Position, Node);
}

void TFiguresCollection::FigureRecordChanged(TBasicFigure* Sender) {
  int32_t position;
  if (const PFigureNode node = LocateFromTop(Sender, 0, position)) NoteEntry(position, node);
}

void TFiguresCollection::NoteEntry(int32_t Position, PFigureNode Node) {
  // Beyond this many the positions cost more to look up one by one than
  // the range between them costs to write.
  constexpr size_t kMostPositions = 64;
  TEntryChanges& changes = FEntryChanges;
  if (changes.Whole) return;
  if (!changes.Ranged && changes.Entries.size() >= kMostPositions) NoteEntriesShifted(Position, FCount - 1 - Position);
  if (changes.Ranged) {
    changes.Below = std::min(changes.Below, Position);
    changes.Above = std::min(changes.Above, FCount - 1 - Position);
  } else if (changes.Entries.empty() || changes.Entries.back().Position != Position) {
    changes.Entries.push_back({Position, Node != nullptr ? Node : NodeAt(Position)});
  }
}

void TFiguresCollection::NoteEntriesShifted(int32_t Position, int32_t Above) {
  TEntryChanges& changes = FEntryChanges;
  if (changes.Whole) return;
  if (!changes.Ranged) {
    changes.Ranged = true;
    for (const TEntryChanges::TEntry& entry : changes.Entries) {
      changes.Below = std::min(changes.Below, entry.Position);
      changes.Above = std::min(changes.Above, FCount - 1 - entry.Position);
    }
    changes.Entries.clear();
  }
  changes.Below = std::min(changes.Below, Position);
  changes.Above = std::min(changes.Above, Above);
}

void TFiguresCollection::Clear() {
  PFigureNode node = FHead;
  FHead = FTail = nullptr;
  FSelected = nullptr;
  ShiftKnownPositions(0);
  FCount = 0;
  MarkAllDirty();
  FEntryChanges = {.Whole = true};
  // Told before the figures go: no one may look at them any more.
  ListChanged();
  while (node != nullptr) {
    const PFigureNode next = node->Next;
    node->Figure->OnDestroy = nullptr;
    delete node->Figure;
    delete node;
    node = next;
  }
}

bool TFiguresCollection::MoveFigure(TBasicFigure* Figure, int32_t Offset) {
  int32_t position;
  const PFigureNode start = LocateFromTop(Figure, 0, position);
  if (start == nullptr) return false;
  PFigureNode target = start;
  for (int64_t steps = std::llabs(int64_t(Offset)); steps > 0; --steps) {
    target = Offset > 0 ? target->Next : target->Prev;
    if (target == nullptr) return false;
  }
  std::swap(start->Figure, target->Figure);
  NoteSwapped(start, target);
  MarkChanged(Offset < 0 ? int32_t(position + int64_t(Offset)) : position);
  NoteEntry(position, start);
  NoteEntry(int32_t(position + int64_t(Offset)), target);
  ListChanged();
  return true;
}

void TFiguresCollection::ReplaceFigures(int32_t First, int32_t Count,
                                        std::vector<std::unique_ptr<TBasicFigure>> Figures) {
  const int32_t replacing = int32_t(Figures.size());
  bool listChanged = false;
  const auto destroyAt = [&](int32_t Position) {
    const PFigureNode node = NodeAt(Position);
    TBasicFigure* figure = node->Figure;
    Unlink(node, Position);
    figure->OnDestroy = nullptr;
    delete figure;
    listChanged = true;
  };
  const auto linkAt = [&](int32_t Position, std::unique_ptr<TBasicFigure>& Figure) {
    if (Link(std::move(Figure), Position) == nullptr) throw EOutOfMemory();
    listChanged = true;
  };
  ++FListNoticesHeld;
  try {
    for (int32_t i = 0; i < std::min(Count, replacing); ++i) {
      if (!Figures[size_t(i)]) {
        const PFigureNode node = NodeAt(First + i);
        NoteChanged(node->Figure);
        FigureChangedAt(node, First + i);
        continue;
      }
      destroyAt(First + i);
      linkAt(First + i, Figures[size_t(i)]);
    }
    for (int32_t i = replacing; i < Count; ++i) destroyAt(First + replacing);
    for (int32_t i = Count; i < replacing; ++i) linkAt(First + i, Figures[size_t(i)]);
  } catch (...) {
    --FListNoticesHeld;
    ListChanged();
    throw;
  }
  --FListNoticesHeld;
  if (listChanged) ListChanged();
}

void TFiguresCollection::SetSelected(TBasicFigure* Figure) {
  FSelected = Figure;
  FMarkersDirty = true;
  UpdateRaster();
}

TBasicFigure* TFiguresCollection::FigureAt(const TPoint& P, int32_t Radius) {
  for (PFigureNode node = FTail; node != nullptr; node = node->Prev)
    if (node->Figure->IsPointInside(P) || node->Figure->FindPoint(P, Radius)) return node->Figure;
  return nullptr;
}

void TFiguresCollection::Redraw() {
  if (FCanvas == nullptr) throw EAbort("Canvas undefined");
  MarkAllDirty();
  UpdateRaster();
}

void TFiguresCollection::DrawOn(TCanvas& Canvas) {
  DrawBackground(Canvas);
  for (TBasicFigure* figure : Figures()) figure->DrawOn(Canvas);
}

void TFiguresCollection::DrawBackground(TCanvas& Canvas) const {
  Canvas.Brush.Color = FBackgroundColor;
  Canvas.Brush.Style = bsSolid;
  Canvas.FillRect(FImageRect);
}

// ----------------------------------------------------------------- redrawing

PFigureNode TFiguresCollection::LocateFromTop(const TBasicFigure* Figure, int32_t Lowest, int32_t& Position) const {
  int32_t position = FCount - 1;
  for (PFigureNode node = FTail; node != nullptr && position >= Lowest; node = node->Prev, --position) {
    if (node->Figure == Figure) {
      Position = position;
      return node;
    }
  }
  Position = -1;
  return nullptr;
}

void TFiguresCollection::MarkChanged(int32_t Position) {
  // A change the index did not hear of just before would leave its extents
  // behind the raster.
  if (!std::exchange(FChangeNoted, false)) DropIndex();
  if (Position < 0) return;
  FDirtyFrom = std::min(FDirtyFrom, Position);
  if (Position < FBelowCount) FBelowCount = -1;
}

void TFiguresCollection::MarkAllDirty() {
  FDirtyFrom = 0;
  FMarkersDirty = true;
  FBelowCount = -1;
  FBelowNode = nullptr;
  FAllDirty = true;
  DropIndex();
}

void TFiguresCollection::EndUpdate() {
  if (FUpdateDepth == 0 || --FUpdateDepth > 0) return;
  if (FDirtyFrom != kClean || FMarkersDirty) DrawPending();
}

void TFiguresCollection::CancelUpdate() {
  if (FUpdateDepth > 0) --FUpdateDepth;
}

void TFiguresCollection::UpdateRaster() {
  if (FUpdateDepth == 0) DrawPending();
}

void TFiguresCollection::DrawPending() {
  if (FCanvas == nullptr) throw EAbort("Canvas undefined");
  const bool figuresDrawn = FDirtyFrom != kClean;
  if (figuresDrawn) {
    const int32_t from = std::min(FDirtyFrom, FCount);
    MeasureChanged();
    if (!DrawArea(from)) {
      const int32_t drawn = FCount - std::max(FBelowCount, 0);
      DrawFiguresFrom(from);
      if (FIndex == nullptr && !FAllDirty && drawn >= kAreaWorthFigures) BuildIndex();
    }
    FDirtyArea = {};
  }
  FAllDirty = false;
  FChangeNoted = false;
  const bool markersChanged = figuresDrawn || FMarkersDirty;
  FDirtyFrom = kClean;
  FMarkersDirty = false;
  if (!markersChanged || !OnMarkersChanged) return;
  if (FSelected != nullptr)
    OnMarkersChanged(FSelected->Points());
  else
    OnMarkersChanged({});
}

void TFiguresCollection::DrawFiguresFrom(int32_t From) {
  PFigureNode node = FHead;
  int32_t position = 0;
  // Figures that set no brush draw with the one left before them.
  const std::optional<TBrush> brush = FBelowCount >= 0 ? BrushBelow(FBelowNode) : std::nullopt;
  if (brush && FCanvas->RestoreBits(*FBelow)) {
    FCanvas->Brush = *brush;
    node = FBelowNode;
    position = FBelowCount;
  } else {
    FBelowCount = -1;
    DrawBackground(*FCanvas);
  }
  // The pixels below the selected figure are kept when it lies in the part
  // redrawn, else those below the lowest change.
  int32_t keep = From;
  int32_t selected;
  if (FSelected != nullptr && LocateFromTop(FSelected, From, selected) != nullptr) keep = selected;
  for (;; node = node->Next, ++position) {
    if (position == keep && position != FBelowCount) KeepBelow(node, position);
    if (node == nullptr) break;
    node->Figure->Draw();
  }
}

void TFiguresCollection::KeepBelow(PFigureNode Node, int32_t Position) {
  if (FCanvas->SaveBits(FBelow)) {
    FBelowCount = Position;
    FBelowNode = Node;
  } else {
    FBelowCount = -1;
  }
}

namespace {

bool IsEmpty(const TRect& R) { return R.Left >= R.Right || R.Top >= R.Bottom; }

// The smallest box holding both; an empty one adds nothing.
TRect Union(const TRect& A, const TRect& B) {
  if (IsEmpty(A)) return IsEmpty(B) ? TRect{} : B;
  if (IsEmpty(B)) return A;
  return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right), std::max(A.Bottom, B.Bottom)};
}

TRect Intersection(const TRect& A, const TRect& B) {
  const TRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                std::min(A.Bottom, B.Bottom)};
  return IsEmpty(r) ? TRect{} : r;
}

bool Covers(const TRect& Outer, const TRect& Inner) {
  return Outer.Left <= Inner.Left && Outer.Top <= Inner.Top && Outer.Right >= Inner.Right &&
         Outer.Bottom >= Inner.Bottom;
}

}  // namespace

void TFiguresCollection::NoteLinked(PFigureNode Node) {
  FChangeNoted = true;
  if (FIndex == nullptr) return;
  const TBasicFigure* below = Node->Prev != nullptr ? Node->Prev->Figure : nullptr;
  const TBasicFigure* above = Node->Next != nullptr ? Node->Next->Figure : nullptr;
  // Measured at the next redraw, which adds it to the dirty area.
  if (FIndex->Insert(Node->Figure, Node, below, above, {}))
    FToMeasure.push_back(Node->Figure);
  else
    DropIndex();
}

void TFiguresCollection::NoteUnlinked(PFigureNode Node) {
  FChangeNoted = true;
  if (FIndex == nullptr) return;
  const TRect* extent = FIndex->Extent(Node->Figure);
  if (extent == nullptr) {
    DropIndex();
    return;
  }
  FDirtyArea = Union(FDirtyArea, *extent);
  const bool brushLeft = FIndex->Carried(Node->Figure) != 0;
  FIndex->Remove(Node->Figure);
  if (brushLeft) DirtyBrushRun(Node->Next);
}

void TFiguresCollection::NoteChanged(TBasicFigure* Figure) {
  // While everything waits to be redrawn, the change is not marked after
  // this note.
  FChangeNoted = FDirtyFrom != 0;
  if (FIndex == nullptr) return;
  const TRect* extent = FIndex->Extent(Figure);
  if (extent == nullptr) {
    DropIndex();
    return;
  }
  FDirtyArea = Union(FDirtyArea, *extent);
  FToMeasure.push_back(Figure);
}

void TFiguresCollection::NoteSwapped(PFigureNode A, PFigureNode B) {
  FChangeNoted = true;
  if (FIndex == nullptr) return;
  const TRect* a = FIndex->Extent(A->Figure);
  const TRect* b = FIndex->Extent(B->Figure);
  if (a == nullptr || b == nullptr) {
    DropIndex();
    return;
  }
  FDirtyArea = Union(FDirtyArea, Union(*a, *b));
  FIndex->SwapOrder(A->Figure, B->Figure);
  // Measured again, and (no brush matching this) the figures above each
  // place looked at for the brush they are left.
  for (const PFigureNode node : {A, B}) {
    FIndex->SetCarried(node->Figure, UINT64_MAX);
    FToMeasure.push_back(node->Figure);
  }
}

bool TFiguresCollection::SetsBrush(const TBasicFigure& Figure) {
  return Figure.Visible() && AsFilled(&Figure) != nullptr;
}

// Thin styled pens paint their gaps with the brush's colour when it is
// solid; wide ones are counted too.
bool TFiguresCollection::UsesBrush(const TBasicFigure& Figure) {
  const TPenStyle style = Figure.PenStyle();
  return Figure.Visible() && !SetsBrush(Figure) && style >= psDash && style <= psDashDotDot;
}

uint64_t TFiguresCollection::BrushLeft(const TBasicFigure& Figure) {
  if (!SetsBrush(Figure)) return 0;
  const TBinaryDimensionsFigure* filled = AsFilled(&Figure);
  return uint64_t(1) << 40 | uint64_t(filled->BrushStyle()) << 32 | filled->BrushColor();
}

void TFiguresCollection::DirtyBrushRun(PFigureNode From) {
  int32_t steps = 0;
  for (PFigureNode node = From; node != nullptr && !SetsBrush(*node->Figure); node = node->Next) {
    const TRect* extent = FIndex->Extent(node->Figure);
    if (extent == nullptr || ++steps > kMostBrushSteps) {
      DropIndex();
      return;
    }
    if (UsesBrush(*node->Figure)) FDirtyArea = Union(FDirtyArea, *extent);
  }
}

std::optional<TBrush> TFiguresCollection::BrushBelow(PFigureNode Above) const {
  int32_t steps = 0;
  for (PFigureNode node = Above != nullptr ? Above->Prev : FTail; node != nullptr; node = node->Prev) {
    if (SetsBrush(*node->Figure)) {
      const TBinaryDimensionsFigure* filled = AsFilled(node->Figure);
      return TBrush{filled->BrushColor(), filled->BrushStyle()};
    }
    if (++steps > kMostBrushSteps) return std::nullopt;
  }
  // The background's, drawn first.
  return TBrush{FBackgroundColor, bsSolid};
}

void TFiguresCollection::DropIndex() {
  FIndex.reset();
  FToMeasure.clear();
  FDirtyArea = {};
}

TRect TFiguresCollection::MeasureExtent(TBasicFigure& Figure, TExtentCanvas& Measure, const TRect& Bounds) const {
  // A figure drawing on another canvas leaves this raster alone.
  if (Figure.Canvas() != FCanvas) return {};
  Measure.Reset();
  Figure.DrawOn(Measure);
  return Measure.Extent(Bounds);
}

void TFiguresCollection::BuildIndex() {
  const TRect bounds = FCanvas->PixelBounds();
  if (IsEmpty(bounds) || !Covers(FImageRect, bounds)) return;
  std::unique_ptr<TCanvasBits> probe;
  if (!FCanvas->SaveArea({}, probe)) return;
  auto index = std::make_unique<TFigureIndex>(bounds);
  TExtentCanvas measure(*FCanvas);
  for (PFigureNode node = FHead; node != nullptr; node = node->Next) {
    index->Append(node->Figure, node, MeasureExtent(*node->Figure, measure, bounds));
    index->SetCarried(node->Figure, BrushLeft(*node->Figure));
  }
  FIndex = std::move(index);
  FToMeasure.clear();
  FDirtyArea = {};
}

void TFiguresCollection::MeasureChanged() {
  if (FIndex == nullptr || FToMeasure.empty()) return;
  std::sort(FToMeasure.begin(), FToMeasure.end());
  FToMeasure.erase(std::unique(FToMeasure.begin(), FToMeasure.end()), FToMeasure.end());
  TExtentCanvas measure(*FCanvas);
  for (TBasicFigure* figure : FToMeasure) {
    const PFigureNode node = FIndex->Node(figure);
    // Unlinked since it changed.
    if (node == nullptr) continue;
    const TRect extent = MeasureExtent(*figure, measure, FIndex->Bounds());
    FIndex->SetExtent(figure, extent);
    FDirtyArea = Union(FDirtyArea, extent);
    const uint64_t brush = BrushLeft(*figure);
    if (FIndex->Carried(figure) == brush) continue;
    FIndex->SetCarried(figure, brush);
    DirtyBrushRun(node->Next);
    if (FIndex == nullptr) return;
  }
  FToMeasure.clear();
}

bool TFiguresCollection::DrawArea(int32_t From) {
  if (FIndex == nullptr) return false;
  const TRect bounds = FCanvas->PixelBounds();
  // The raster was resized, or the list changed behind the index's back.
  if (bounds != FIndex->Bounds() || !Covers(FImageRect, bounds) || FIndex->Count() != size_t(FCount)) {
    DropIndex();
    return false;
  }
  const TRect area = Intersection(FDirtyArea, bounds);
  // Nothing changed paints on this raster.
  if (IsEmpty(area)) return true;
  TRect reach;
  FIndex->Query(area, FAreaFigures, reach);
  const int32_t start = FBelowCount >= 0 ? std::min(FBelowCount, From) : 0;
  if (int64_t(FAreaFigures.size()) >= int64_t(FCount) - start) return false;
  // The brush each figure that sets none meets in a full redraw.
  FAreaBrushes.resize(FAreaFigures.size());
  for (size_t i = 0; i < FAreaFigures.size(); ++i) {
    if (!UsesBrush(*FAreaFigures[i])) continue;
    const std::optional<TBrush> brush = BrushBelow(FIndex->Node(FAreaFigures[i]));
    if (!brush) return false;
    FAreaBrushes[i] = *brush;
  }
  if (!FCanvas->SaveArea(Union(area, reach), FAreaBits)) return false;
  FCanvas->Brush.Color = FBackgroundColor;
  FCanvas->Brush.Style = bsSolid;
  FCanvas->FillRect(area);
  for (size_t i = 0; i < FAreaFigures.size(); ++i) {
    if (UsesBrush(*FAreaFigures[i])) FCanvas->Brush = FAreaBrushes[i];
    FAreaFigures[i]->Draw();
  }
  FCanvas->RestoreAreaExcept(*FAreaBits, area);
  ++FAreaRedraws;
  return true;
}

void TFiguresCollection::SetCanvas(TCanvas* Canvas) {
  MarkAllDirty();
  // The canvas is no part of an entry.
  const TEntryChanges entryChanges = FEntryChanges;
  for (PFigureNode node = FHead; node != nullptr; node = node->Next) {
    TBasicFigure* figure = node->Figure;
    if (figure->Canvas() != FCanvas && figure->Canvas() != nullptr) continue;
    figure->SetUpdating(true);
    figure->SetCanvas(Canvas);
    figure->SetUpdating(false);
  }
  FEntryChanges = entryChanges;
  FCanvas = Canvas;
  Redraw();
}

void TFiguresCollection::SetBackgroundColor(TColor Color) {
  FBackgroundColor = Color;
  Redraw();
}

bool TFiguresCollection::Compare(TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op) {
  if (F1 == nullptr || F2 == nullptr) throw EAbort("F1 = nil || F2 = nil");
  // strcmp orders by unsigned bytes, the shorter name first on a common prefix.
  return OrderSatisfies(std::strcmp(F1->ClassName(), F2->ClassName()), Op);
}

namespace {

bool CompareThunk(void* Data, TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op) {
  return static_cast<TFiguresCollection*>(Data)->Compare(F1, F2, Op);
}

}  // namespace

void TFiguresCollection::Sort() {
  if (!OnSort) return;
  MarkAllDirty();
  FEntryChanges = {.Whole = true};
  OnSort(FHead, uint16_t(FCount), TFigureCompare{&CompareThunk, this});
  ListChanged();
}

void TFiguresCollection::ListChanged() {
  if (OnListChanged && FListNoticesHeld == 0) OnListChanged();
}

// ------------------------------------------------------------------ container

std::unique_ptr<TFiguresCollection> TFiguresCollection::CreateFromFile(TCanvas* Canvas,
                                                                       const std::string& FileName) {
  auto collection = std::make_unique<TFiguresCollection>(Canvas);
  collection->LoadFromFile(FileName);
  return collection;
}

std::unique_ptr<TFiguresCollection> TFiguresCollection::CreateFromStream(TCanvas* Canvas, TStream& Stream) {
  auto collection = std::make_unique<TFiguresCollection>(Canvas);
  collection->LoadFromStream(Stream);
  return collection;
}

TKriHeader TFiguresCollection::Header() const {
  return {FCount, FBackgroundColor, FImageRect, SelectedPosition()};
}

int32_t TFiguresCollection::SelectedPosition() const {
  if (FSelected == nullptr) return -1;
  if (FSelectedNode == nullptr || FSelectedNode->Figure != FSelected)
    FSelectedNode = LocateFromTop(FSelected, 0, FSelectedPosition);
  return FSelectedPosition;
}

void TKriHeader::Write(TStream& Stream) const {
  Stream.WriteBuffer(KriSignature, sizeof KriSignature);
  Stream.WriteInt32(Count);
  Stream.WriteUInt32(BackgroundColor);
  Stream.WriteInt32(ImageRect.Left);
  Stream.WriteInt32(ImageRect.Top);
  Stream.WriteInt32(ImageRect.Right);
  Stream.WriteInt32(ImageRect.Bottom);
  Stream.WriteInt32(Selected);
}

void TFiguresCollection::SaveEntry(TStream& Stream, const TBasicFigure& Figure) {
  const std::string_view name = Figure.ClassName();
  Stream.WriteInt32(int32_t(name.size()));
  Stream.WriteBuffer(name.data(), name.size());
  Figure.SaveToStream(Stream);
}

void TFiguresCollection::SaveToStream(TStream& Stream) const {
  Header().Write(Stream);
  for (const TBasicFigure* figure : Figures()) SaveEntry(Stream, *figure);
}

namespace {

uint64_t PictureBytesOf(const TBasicFigure& Figure) {
  const TFigureBitmap* picture = AsPicture(&Figure);
  return picture != nullptr ? picture->Picture().MemoryBytes() : 0;
}

}  // namespace

TKriHeader TKriHeader::Read(TStream& Stream) {
  char signature[sizeof KriSignature];
  Stream.ReadBuffer(signature, sizeof signature);
  if (!std::equal(std::begin(signature), std::end(signature), std::begin(KriSignature)))
    throw EAbort("Image signature incorrect");
  TKriHeader header;
  header.Count = Stream.ReadInt32();
  header.BackgroundColor = Stream.ReadUInt32();
  header.ImageRect.Left = Stream.ReadInt32();
  header.ImageRect.Top = Stream.ReadInt32();
  header.ImageRect.Right = Stream.ReadInt32();
  header.ImageRect.Bottom = Stream.ReadInt32();
  header.Selected = Stream.ReadInt32();
  const auto edgeValid = [](int32_t Edge) { return Edge >= MinImageEdge && Edge <= MaxImageEdge; };
  if (!edgeValid(header.ImageRect.Right) || !edgeValid(header.ImageRect.Bottom)) throw EImageSizeInvalid();
  return header;
}

// A name that is empty, too long or not registered stops a load: the record
// behind it has no stored length, so nothing after it could be told apart
// from garbage.
const TFigureClass& TFiguresCollection::ReadEntryClass(TStream& Stream) {
  const int32_t length = Stream.ReadInt32();
  if (length < 0) throw EReadError();
  if (length == 0 || length > MaxClassNameLength) throw EFigureClassUnknown();
  const TFigureClass* cls = FindFigureClass(Stream.ReadBytes(size_t(length)));
  if (cls == nullptr) throw EFigureClassUnknown();
  return *cls;
}

void TFiguresCollection::LoadFromStream(TStream& Stream) {
  const TKriHeader header = TKriHeader::Read(Stream);
  Clear();
  FBackgroundColor = header.BackgroundColor;
  FImageRect = header.ImageRect;
  TPictureAllowance pictures(MaxImagePictureBytes);
  // One notice for the whole list, whether it is read to its end or not.
  ++FListNoticesHeld;
  try {
    for (int32_t i = 0; i < header.Count; ++i) {
      std::unique_ptr<TBasicFigure> figure = ReadEntryClass(Stream).Create(FCanvas);
      figure->LoadFromStream(Stream);
      if (Add(std::move(figure)) == nullptr) throw EOutOfMemory();
    }
  } catch (...) {
    --FListNoticesHeld;
    ListChanged();
    throw;
  }
  --FListNoticesHeld;
  // The stored position whole: its low 16 bits alone would select another
  // figure in an image of more than 65,535.
  const PFigureNode selected = NodeAt(header.Selected);
  FSelected = selected != nullptr ? selected->Figure : nullptr;
  FMarkersDirty = true;
  ListChanged();
}

uint64_t TFiguresCollection::PictureBytes() const {
  uint64_t bytes = 0;
  for (const TBasicFigure* figure : Figures()) bytes += PictureBytesOf(*figure);
  return bytes;
}

uint64_t TFiguresCollection::PictureRoom() const {
  const uint64_t used = PictureBytes();
  return used < MaxImagePictureBytes ? MaxImagePictureBytes - used : 0;
}

void TFiguresCollection::SaveToFile(const std::string& FileName) const {
  TMemoryStream container;
  SaveToStream(container);
  WriteFileAtomically(FileName, container.Data());
}

void TFiguresCollection::LoadFromFile(const std::string& FileName) {
  TMemoryStream container(ReadFileBytes(FileName));
  LoadFromStream(container);
}
