// The document model of one image: its figures in drawing order, the
// background, the image rectangle, the canvas it is drawn on and the
// selected figure.
#pragma once

#include <cstddef>
#include <climits>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <ranges>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "canvas/Canvas.h"
#include "document/FigureIndex.h"
#include "figures/AbstractFigures.h"
#include "ranklib/RankLib.h"

// Reorders the figures among the nodes from First on: the collection's sort
// handler, which hands the three to one routine of the sort library.
using TFigureSortEvent = std::function<void(PFigureNode First, uint16_t Count, TFigureCompare Compare)>;

class TStream;
class TExtentCanvas;

// The image container: a 33-byte header, then per figure from the bottom its
// class name and record.
constexpr char KriSignature[5] = {'K', 'R', 'I', ' ', ' '};
constexpr int KriHeaderSize = 33;
constexpr int32_t MaxClassNameLength = 255;
// The right and bottom edges a stored image rectangle may have, pixels.
constexpr int32_t MinImageEdge = 1;
constexpr int32_t MaxImageEdge = 10000;
// The most memory the pictures of one image may take decoded, together.
constexpr uint64_t MaxImagePictureBytes = uint64_t(1) << 30;

// The figures of a collection, bottom of the drawing order first; reversed
// (std::views::reverse, rbegin/rend) top first. A view of the collection's
// nodes as they are when walked: removing a figure invalidates the iterators
// on its node, destroying the collection the range and every iterator.
class TFigureRange : public std::ranges::view_base {
 public:
  // Yields each figure by value, so it is an input iterator to algorithms
  // that still use the older iterator categories.
  class TIterator {
   public:
    using iterator_concept = std::bidirectional_iterator_tag;
    using iterator_category = std::input_iterator_tag;
    using value_type = TBasicFigure*;
    using difference_type = std::ptrdiff_t;
    using reference = TBasicFigure*;
    using pointer = void;

    TIterator() = default;
    TIterator(PFigureNode Node, const PFigureNode* Tail) : FNode(Node), FTail(Tail) {}

    TBasicFigure* operator*() const { return FNode->Figure; }
    TIterator& operator++() {
      FNode = FNode->Next;
      return *this;
    }
    TIterator operator++(int) {
      TIterator before = *this;
      ++*this;
      return before;
    }
    // From the end, the tail as the collection holds it now.
    TIterator& operator--() {
      FNode = FNode != nullptr ? FNode->Prev : *FTail;
      return *this;
    }
    TIterator operator--(int) {
      TIterator before = *this;
      --*this;
      return before;
    }
    friend bool operator==(const TIterator& A, const TIterator& B) { return A.FNode == B.FNode; }

   private:
    PFigureNode FNode = nullptr;  // none past the top
    const PFigureNode* FTail = nullptr;
  };

  TFigureRange() = default;
  // The collection's own head and tail fields.
  TFigureRange(const PFigureNode* Head, const PFigureNode* Tail) : FHead(Head), FTail(Tail) {}

  TIterator begin() const { return TIterator(FHead != nullptr ? *FHead : nullptr, FTail); }
  TIterator end() const { return TIterator(nullptr, FTail); }
  std::reverse_iterator<TIterator> rbegin() const { return std::reverse_iterator(end()); }
  std::reverse_iterator<TIterator> rend() const { return std::reverse_iterator(begin()); }
  bool empty() const { return begin() == end(); }

 private:
  const PFigureNode* FHead = nullptr;
  const PFigureNode* FTail = nullptr;
};

// Iterators point into the collection, not into the range object.
template <>
inline constexpr bool std::ranges::enable_borrowed_range<TFigureRange> = true;

// The figures whose entries in the container may differ from the entries
// last written (TFiguresCollection::TakeEntryChanges). While figures keep
// their places the changed ones are listed by position and node (nodes
// live while none is removed); once figures are added or removed the change
// is a range instead: everything but the Below lowest and the Above topmost
// figures, which kept their entries. Whole: every entry is to be written
// anew (the list was read, sorted, cleared). The container's header is not
// covered: it is always written anew.
struct TEntryChanges {
  bool Whole = false;
  bool Ranged = false;
  int32_t Below = INT32_MAX;
  int32_t Above = INT32_MAX;
  struct TEntry {
    int32_t Position;
    PFigureNode Node;
  };
  std::vector<TEntry> Entries;  // unless Ranged; unsorted, repeats allowed

  bool Empty() const { return !Whole && !Ranged && Entries.empty(); }
  static TEntryChanges Everything() {
    TEntryChanges changes;
    changes.Whole = true;
    return changes;
  }
};

// The container's fixed header.
struct TKriHeader {
  int32_t Count = 0;
  TColor BackgroundColor = 0;
  TRect ImageRect;
  int32_t Selected = -1;

  // EAbort "Image signature incorrect", "Stream read error", "Image size
  // invalid" for a header that cannot be one.
  static TKriHeader Read(TStream& Stream);
  void Write(TStream& Stream) const;
};

class TFiguresCollection {
 public:
  // A new image: empty, FImageRect = Rect.
  TFiguresCollection(TCanvas* Canvas, const TRect& Rect);
  // Empty with a zero image rectangle, to be filled by a reader.
  explicit TFiguresCollection(TCanvas* Canvas);
  // A collection read from a container; the failure of the load propagates
  // and no collection results.
  static std::unique_ptr<TFiguresCollection> CreateFromFile(TCanvas* Canvas, const std::string& FileName);
  static std::unique_ptr<TFiguresCollection> CreateFromStream(TCanvas* Canvas, TStream& Stream);
  // Destroys every figure; does not redraw.
  virtual ~TFiguresCollection();
  TFiguresCollection(const TFiguresCollection&) = delete;
  TFiguresCollection& operator=(const TFiguresCollection&) = delete;

  // Positions count from 0 at the bottom of the drawing order (FHead).
  PFigureNode FindNode(const TBasicFigure* Figure) const;
  // The node at Position, walked to from the nearest of the ends and the
  // node found last; none outside 0 .. Count() - 1.
  PFigureNode NodeAt(int32_t Position) const;
  int32_t IndexOf(const TBasicFigure* Figure) const;
  // As IndexOf, looked for from the top, the selected figure's position
  // kept between changes of the list.
  int32_t PositionOf(const TBasicFigure* Figure) const;
  TBasicFigure* GetFigure(uint16_t Index) const;

  // Puts the figure on top, installs this collection's listeners in it and
  // selects it; the collection takes it over and returns it. None, with
  // nothing changed, for an empty pointer and when the node cannot be
  // allocated: Figure then still owns the figure. (A pointer to a derived
  // class converts to a temporary, which destroys the figure instead.) No
  // redraw.
  TBasicFigure* Add(std::unique_ptr<TBasicFigure>&& Figure);
  // Unlinks the figure, destroys it when asked (otherwise ownership returns
  // to the caller), and redraws. False when absent.
  bool Remove(TBasicFigure* Figure, bool DestroyIt);
  // Destroys every figure and node; the rectangle, background, canvas and
  // sort handler stay. No redraw.
  void Clear();
  // Exchanges the figure with the one Offset places above (positive) or
  // below (negative). False, with nothing changed, when that runs off the
  // list. No redraw.
  bool MoveFigure(TBasicFigure* Figure, int32_t Offset);
  // Membership is not checked; none is allowed.
  void SetSelected(TBasicFigure* Figure);
  // The topmost figure whose body or a control point (within Radius) is at
  // P. Every figure asked records its found control point (FindPoint).
  TBasicFigure* FigureAt(const TPoint& P, int32_t Radius = ControlPointRadius);

  // Background and every figure bottom to top on the collection's canvas.
  // The selected figure's markers are no part of the image: a view draws
  // them over it (OnMarkersChanged). EAbort "Canvas undefined" without a
  // canvas.
  void Redraw();
  // The image as Redraw draws it, on any canvas (an export's, a
  // picture's); the collection's own canvas and what it keeps of it are
  // left alone.
  void DrawOn(TCanvas& Canvas);
  // Brings the raster up to date with every change noted since it was last
  // drawn (figure notices, held-back ones included, and the collection's
  // own changes), redrawing only from the lowest changed figure up: the
  // same pixels as Redraw. EAbort "Canvas undefined" without a canvas.
  void UpdateRaster();
  // Between BeginUpdate and the matching EndUpdate the redraws that changes
  // ask for wait; the outermost EndUpdate does them at once (UpdateRaster).
  // CancelUpdate ends a batch without drawing: the changes stay noted.
  void BeginUpdate() { ++FUpdateDepth; }
  void EndUpdate();
  void CancelUpdate();
  // Moves the figures that drew on the old canvas (or on none) to the new
  // one, from then on reporting their changes; redraws.
  void SetCanvas(TCanvas* Canvas);
  void SetBackgroundColor(TColor Color);

  // Class names compared byte by byte, case-sensitive. EAbort
  // "F1 = nil || F2 = nil" for a missing figure.
  virtual bool Compare(TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op);
  // Hands the node list, the low 16 bits of the count and Compare to OnSort.
  // Nothing else changes, and nothing is redrawn. Without a handler it does
  // nothing.
  virtual void Sort();

  // The memory the pictures of the image take decoded.
  uint64_t PictureBytes() const;
  // What more pictures may take before the image's pass
  // MaxImagePictureBytes: the allowance for a picture decoded into it.
  uint64_t PictureRoom() const;

  // Writes the container at the stream's position.
  virtual void SaveToStream(TStream& Stream) const;
  // The header the container would start with now.
  TKriHeader Header() const;
  // One figure's entry: its class name and record.
  static void SaveEntry(TStream& Stream, const TBasicFigure& Figure);
  // The class of the entry at the stream's position, its name read; EAbort
  // "Stream read error" or EFigureClassUnknown for a name that cannot be
  // one.
  static const TFigureClass& ReadEntryClass(TStream& Stream);
  // The figures whose entries changed since the last call, and forgets
  // them.
  TEntryChanges TakeEntryChanges() { return std::exchange(FEntryChanges, {}); }
  // Puts Figures in place of the Count figures from position First on, as
  // one change of the list (told once). An empty element keeps the figure
  // at its place, which the caller has read anew. Selects none of them.
  void ReplaceFigures(int32_t First, int32_t Count, std::vector<std::unique_ptr<TBasicFigure>> Figures);
  // Replaces the figures with those of the container at the stream's
  // position; does not redraw. A wrong signature (EAbort "Image signature
  // incorrect"), a short or invalid header ("Stream read error", "Image size
  // invalid") leave the collection as it was. A failure inside the entries
  // keeps the figures read before it, the last one selected; pictures that
  // would pass MaxImagePictureBytes together are such a failure
  // (EPicturesTooLarge). The stored selected position selects the figure
  // there when it is one of those read, whatever their number, else none.
  virtual void LoadFromStream(TStream& Stream);
  // Never leaves a damaged file: the container is built in memory and
  // replaces the file in one step.
  void SaveToFile(const std::string& FileName) const;
  void LoadFromFile(const std::string& FileName);

  // Told after every redraw, and after a change of the selection alone, the
  // points of the selected figure (none: empty): where a view marks the
  // control points over the image.
  std::function<void(std::span<const TPoint> Points)> OnMarkersChanged;
  // Told when figures were added, removed, reordered or replaced, before a
  // removed one is destroyed: whoever lists the figures lists them anew.
  // Reading a container tells it once.
  std::function<void()> OnListChanged;

  // The figures' listeners: a change redraws, a held-back change is noted
  // for the next redraw, a destruction unlinks.
  void FigureChanged(TBasicFigure* Sender);
  void FigureChangedQuietly(TBasicFigure* Sender);
  void FigureDestroyed(TBasicFigure* Sender);
  void FigureRecordChanged(TBasicFigure* Sender);

  int32_t Count() const { return FCount; }
  TCanvas* Canvas() const { return FCanvas; }
  const TRect& ImageRect() const { return FImageRect; }
  TColor BackgroundColor() const { return FBackgroundColor; }
  TBasicFigure* Selected() const { return FSelected; }
  PFigureNode Head() const { return FHead; }
  PFigureNode Tail() const { return FTail; }
  TFigureRange Figures() const { return TFigureRange(&FHead, &FTail); }
  // How many redraws so far drew only the changed area: for tests and
  // diagnostics.
  int64_t AreaRedraws() const { return FAreaRedraws; }

  TFigureSortEvent OnSort;

 protected:
  // Puts the figure at Position (0 .. FCount; FCount: on top) and installs
  // the listeners; none, with Figure still owning it, when no node can be
  // allocated. Neither selects nor tells the list.
  TBasicFigure* Link(std::unique_ptr<TBasicFigure>&& Figure, int32_t Position);
  // Joins the node's neighbours, moves the selection to the new top figure
  // when the unlinked figure was selected, frees the node. Position: the
  // node's, counted from the bottom.
  void Unlink(PFigureNode Node, int32_t Position);
  // The node of a member figure and its position counted from the bottom,
  // looked for from the top down to position Lowest; none (Position -1)
  // when it is not there.
  PFigureNode LocateFromTop(const TBasicFigure* Figure, int32_t Lowest, int32_t& Position) const;

  // The figure at Position, or the order there, changed: it and everything
  // above are redrawn next time, and kept pixels that hold it are dropped.
  void MarkChanged(int32_t Position);
  // Everything is redrawn next time, from the background up.
  void MarkAllDirty();
  void ListChanged();
  // The figure at Position changed: redrawn next time, its entry written.
  void FigureChangedAt(PFigureNode Node, int32_t Position);
  // The entry of Node at Position differs from the one last written.
  void NoteEntry(int32_t Position, PFigureNode Node);
  // Figures are about to be added or removed at Position, the rest keeping
  // their entries: Above figures stay at the top.
  void NoteEntriesShifted(int32_t Position, int32_t Above);
  void DrawPending();
  void DrawFiguresFrom(int32_t From);
  void DrawBackground(TCanvas& Canvas) const;
  // Keeps the raster as the finished pixels below Node at Position.
  void KeepBelow(PFigureNode Node, int32_t Position);

  // What the figure index hears of each change (nothing while there is no
  // index): a figure linked in (its node's neighbours already joined to
  // it), unlinked (before it goes), changed (before or after the change),
  // two figures exchanged between their nodes.
  void NoteLinked(PFigureNode Node);
  void NoteUnlinked(PFigureNode Node);
  void NoteChanged(TBasicFigure* Figure);
  void NoteSwapped(PFigureNode A, PFigureNode B);
  // A figure that sets no brush (a line) draws the gaps of a styled pen
  // with the brush the figure drawn before it left: the brush of the
  // nearest visible filled figure below, else the background's. When that
  // changes, the figures from From up to the next one setting a brush that
  // use it join the dirty area.
  static bool SetsBrush(const TBasicFigure& Figure);
  static bool UsesBrush(const TBasicFigure& Figure);
  // The brush Figure sets, packed for comparison; 0 for none.
  static uint64_t BrushLeft(const TBasicFigure& Figure);
  void DirtyBrushRun(PFigureNode From);
  // The brush a full redraw leaves on the canvas before Above (none: past
  // the top); none when finding it would walk too far.
  std::optional<TBrush> BrushBelow(PFigureNode Above) const;
  // Forgets the index and what it noted: changes it could not follow.
  void DropIndex();
  // The index of every figure as the raster shows them now, when the
  // canvas can redraw an area and its pixels are all inside the image.
  void BuildIndex();
  // The pixels Figure paints on the collection's canvas, within Bounds.
  TRect MeasureExtent(TBasicFigure& Figure, TExtentCanvas& Measure, const TRect& Bounds) const;
  // Brings the extents of the figures changed since the last redraw up to
  // date, adding the new ones to the dirty area.
  void MeasureChanged();
  // Redraws the dirty area alone when that draws fewer figures than
  // redrawing from position From up; false, with nothing drawn, otherwise.
  bool DrawArea(int32_t From);

  PFigureNode FHead = nullptr;
  PFigureNode FTail = nullptr;
  int32_t FCount = 0;
  TCanvas* FCanvas = nullptr;
  TColor FBackgroundColor = clBlack;
  TRect FImageRect;
  TBasicFigure* FSelected = nullptr;

  // Redrawing. The figures from position FDirtyFrom up (kClean: none) wait
  // to be redrawn, and with FMarkersDirty the selection waits to be told.
  // Raster operations do not commute, so what is kept between redraws is
  // the finished raster of the background and every figure below position
  // FBelowCount (FBelowNode, none at the top), never layers to blend later.
  // A change below FBelowCount drops it; a redraw from position P >=
  // FBelowCount puts it back, draws from FBelowCount up, and keeps a new
  // copy below the selected figure (the one most likely to change next),
  // else below P. A canvas that keeps no copies gets every redraw from the
  // background up.
  //
  // Once a redraw from a position has drawn many figures, FIndex keeps the
  // extent of every figure (the box of the pixels it can paint) as the
  // raster shows it. A change then adds the old extent of the figure to
  // FDirtyArea, and the redraw its new one. When fewer figures meet that
  // area than a redraw from the position would draw, the redraw saves the
  // area grown by their extents, fills the area with the background, draws
  // those figures bottom to top, and puts the saved pixels back around the
  // area. Every figure meeting the area is drawn, in order, because raster
  // operations do not commute; a figure outside it leaves it alone. FBelow
  // stays as it is: no changed figure lies below FBelowCount.
  static constexpr int32_t kClean = INT32_MAX;
  int32_t FDirtyFrom = 0;
  bool FMarkersDirty = false;
  int FUpdateDepth = 0;
  int FListNoticesHeld = 0;
  std::unique_ptr<TCanvasBits> FBelow;
  int32_t FBelowCount = -1;  // -1: nothing kept
  PFigureNode FBelowNode = nullptr;

  // The selected figure's node and position as last looked up; the node
  // holds another figure, or none is kept, when they are to be looked up
  // again.
  mutable PFigureNode FSelectedNode = nullptr;
  mutable int32_t FSelectedPosition = -1;
  int32_t SelectedPosition() const;
  // The node NodeAt found last, while figures above it alone were linked
  // or unlinked.
  mutable PFigureNode FFoundNode = nullptr;
  mutable int32_t FFoundPosition = -1;
  // Figures were linked or unlinked at Position: the nodes found before
  // above it are no longer at their positions.
  void ShiftKnownPositions(int32_t Position) {
    if (Position <= FSelectedPosition) FSelectedNode = nullptr;
    if (Position <= FFoundPosition) FFoundNode = nullptr;
  }
  // A redraw from a position that draws at least this many figures makes
  // the index worth building.
  static constexpr int32_t kAreaWorthFigures = 64;
  // The longest run of figures that set no brush walked past.
  static constexpr int32_t kMostBrushSteps = 256;
  std::unique_ptr<TFigureIndex> FIndex;  // none until an area redraw pays
  // Every MarkChanged follows a note of the same change to the index (see
  // NoteLinked); one that does not drops the index.
  bool FChangeNoted = false;
  // Everything changed since the last redraw: no index is built after it.
  bool FAllDirty = true;
  // Changed since the last redraw, their extent in FIndex the old one; may
  // hold figures unlinked since, which FIndex no longer knows.
  std::vector<TBasicFigure*> FToMeasure;
  TRect FDirtyArea;  // image pixels; all zero: none
  std::vector<TBasicFigure*> FAreaFigures;
  std::vector<TBrush> FAreaBrushes;  // per figure of FAreaFigures
  std::unique_ptr<TCanvasBits> FAreaBits;
  int64_t FAreaRedraws = 0;

  // Every entry differs from none written yet.
  TEntryChanges FEntryChanges = TEntryChanges::Everything();
};

// Runs Body as one batch of changes to Image: one redraw at its end. When
// Body fails the batch ends without drawing and the failure propagates.
template <typename TBody>
void UpdateInBatch(TFiguresCollection& Image, TBody&& Body) {
  Image.BeginUpdate();
  try {
    Body();
  } catch (...) {
    Image.CancelUpdate();
    throw;
  }
  Image.EndUpdate();
}

// As above; without an image Body runs alone.
template <typename TBody>
void UpdateInBatch(TFiguresCollection* Image, TBody&& Body) {
  if (Image == nullptr)
    Body();
  else
    UpdateInBatch(*Image, Body);
}
