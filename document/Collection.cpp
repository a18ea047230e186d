#include "document/Collection.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <cstring>
#include <new>
#include <utility>

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
  // From the nearer end: the top figure is the one most often asked for.
  PFigureNode node;
  if (Position < FCount / 2) {
    node = FHead;
    for (int32_t i = 0; i < Position; ++i) node = node->Next;
  } else {
    node = FTail;
    for (int32_t i = FCount - 1; i > Position; --i) node = node->Prev;
  }
  return node;
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
  if (FBelowCount == Position) FBelowNode = node;
  MarkChanged(Position);
  ++FCount;
  return figure;
}

void TFiguresCollection::Unlink(PFigureNode Node, int32_t Position) {
  MarkChanged(Position);
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
  // Everything is marked already (while the canvas changes, say): no need
  // to look the figure up.
  if (FDirtyFrom == 0) return;
  int32_t position;
  if (LocateFromTop(Sender, 0, position) != nullptr) MarkChanged(position);
}

void TFiguresCollection::Clear() {
  PFigureNode node = FHead;
  FHead = FTail = nullptr;
  FSelected = nullptr;
  FCount = 0;
  MarkAllDirty();
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
  MarkChanged(Offset < 0 ? int32_t(position + int64_t(Offset)) : position);
  ListChanged();
  return true;
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
  if (Position < 0) return;
  FDirtyFrom = std::min(FDirtyFrom, Position);
  if (Position < FBelowCount) FBelowCount = -1;
}

void TFiguresCollection::MarkAllDirty() {
  FDirtyFrom = 0;
  FMarkersDirty = true;
  FBelowCount = -1;
  FBelowNode = nullptr;
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
  if (figuresDrawn) DrawFiguresFrom(std::min(FDirtyFrom, FCount));
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
  if (FBelowCount >= 0 && FCanvas->RestoreBits(*FBelow)) {
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

void TFiguresCollection::SetCanvas(TCanvas* Canvas) {
  MarkAllDirty();
  for (PFigureNode node = FHead; node != nullptr; node = node->Next) {
    TBasicFigure* figure = node->Figure;
    if (figure->Canvas() != FCanvas && figure->Canvas() != nullptr) continue;
    figure->SetUpdating(true);
    figure->SetCanvas(Canvas);
    figure->SetUpdating(false);
  }
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

void TFiguresCollection::SaveToStream(TStream& Stream) const {
  Stream.WriteBuffer(KriSignature, sizeof KriSignature);
  Stream.WriteInt32(FCount);
  Stream.WriteUInt32(FBackgroundColor);
  Stream.WriteInt32(FImageRect.Left);
  Stream.WriteInt32(FImageRect.Top);
  Stream.WriteInt32(FImageRect.Right);
  Stream.WriteInt32(FImageRect.Bottom);
  Stream.WriteInt32(FSelected != nullptr ? IndexOf(FSelected) : -1);
  for (PFigureNode node = FHead; node != nullptr; node = node->Next) {
    const std::string_view name = node->Figure->ClassName();
    Stream.WriteInt32(int32_t(name.size()));
    Stream.WriteBuffer(name.data(), name.size());
    node->Figure->SaveToStream(Stream);
  }
}

namespace {

uint64_t PictureBytesOf(const TBasicFigure& Figure) {
  const TFigureBitmap* picture = AsPicture(&Figure);
  return picture != nullptr ? picture->Picture().MemoryBytes() : 0;
}

struct TKriHeader {
  int32_t Count = 0;
  TColor BackgroundColor = 0;
  TRect ImageRect;
  int32_t Selected = -1;
};

TKriHeader ReadHeader(TStream& Stream) {
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

// The class of the next entry. A name that is empty, too long or not
// registered stops the load: the record behind it has no stored length, so
// nothing after it could be told apart from garbage.
const TFigureClass& ReadFigureClass(TStream& Stream) {
  const int32_t length = Stream.ReadInt32();
  if (length < 0) throw EReadError();
  if (length == 0 || length > MaxClassNameLength) throw EFigureClassUnknown();
  const TFigureClass* cls = FindFigureClass(Stream.ReadBytes(size_t(length)));
  if (cls == nullptr) throw EFigureClassUnknown();
  return *cls;
}

}  // namespace

void TFiguresCollection::LoadFromStream(TStream& Stream) {
  const TKriHeader header = ReadHeader(Stream);
  Clear();
  FBackgroundColor = header.BackgroundColor;
  FImageRect = header.ImageRect;
  TPictureAllowance pictures(MaxImagePictureBytes);
  // One notice for the whole list, whether it is read to its end or not.
  ++FListNoticesHeld;
  try {
    for (int32_t i = 0; i < header.Count; ++i) {
      std::unique_ptr<TBasicFigure> figure = ReadFigureClass(Stream).Create(FCanvas);
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
