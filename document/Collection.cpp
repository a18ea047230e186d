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
  FEntryChanges = TEntryChanges::Everything();
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
  TCanvasBatch batch(Canvas);
  DrawBackground(Canvas);
  for (TBasicFigure* figure : Figures()) figure->DrawOn(Canvas);
  batch.End();
}

void TFiguresCollection::DrawBackground(TCanvas& Canvas) const {
  Canvas.Brush.Color = FBackgroundColor;
  Canvas.Brush.Style = bsSolid;
  Canvas.FillRect(FImageRect);
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
  FEntryChanges = TEntryChanges::Everything();
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
  if (FSelectedNode != nullptr && FSelectedNode->Figure == FSelected) return FSelectedPosition;
  // A figure selected by its position (undo, opening) is usually the one
  // NodeAt found last: at 100,000 figures a walk from the top costs
  // milliseconds.
  if (FFoundNode != nullptr && FFoundNode->Figure == FSelected) {
    FSelectedNode = FFoundNode;
    FSelectedPosition = FFoundPosition;
  } else {
    FSelectedNode = LocateFromTop(FSelected, 0, FSelectedPosition);
  }
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
