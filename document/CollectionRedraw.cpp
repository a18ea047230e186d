// Redrawing the collection's raster: from the lowest changed figure up over
// the kept pixels below it, or only inside the area the changes touched,
// with the figures the index finds there.
#include "document/Collection.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

#include "canvas/ExtentCanvas.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"

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
  TCanvasBatch batch(*FCanvas);
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
  batch.End();
}

void TFiguresCollection::KeepBelow(PFigureNode Node, int32_t Position) {
  if (FCanvas->SaveBits(FBelow)) {
    FBelowCount = Position;
    FBelowNode = Node;
  } else {
    FBelowCount = -1;
  }
}

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
  TCanvasBatch batch(*FCanvas);
  FCanvas->Brush.Color = FBackgroundColor;
  FCanvas->Brush.Style = bsSolid;
  FCanvas->FillRect(area);
  for (size_t i = 0; i < FAreaFigures.size(); ++i) {
    if (UsesBrush(*FAreaFigures[i])) FCanvas->Brush = FAreaBrushes[i];
    FAreaFigures[i]->Draw();
  }
  batch.End();
  FCanvas->RestoreAreaExcept(*FAreaBits, area);
  ++FAreaRedraws;
  return true;
}
