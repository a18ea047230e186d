// Scan conversion of the classic primitives into pixels and row spans:
// one-pixel lines, even-odd polygon interiors, the regions of wide pens and
// the row extents of closed outlines. All of it clips against the surface
// and works in time proportional to what is visible, whatever the 32-bit
// coordinates. Internal to canvas/.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "canvas/RasterSurface.h"

// A step to a neighbouring pixel (or none) lights its start alone (or
// nothing): the classic line leaves out its end point.
inline bool IsNeighbourStep(TPoint A, TPoint B) {
  // Each difference lies in [-1, 1] when, moved up by one, it is at most 2
  // as an unsigned number.
  return uint64_t(int64_t(B.x) - A.x + 1) <= 2 && uint64_t(int64_t(B.y) - A.y + 1) <= 2;
}

// One-pixel line from A towards B in the classic model: B itself is not
// drawn; along the major axis every step lights one pixel, the minor
// coordinate rounds to the nearest integer and a tie goes to the smaller
// coordinate. Phase counts the pixels of the pen pattern already used by
// the path and advances by the segment's length.
void DrawThinSegment(const TSurface& Surface, TPoint A, TPoint B, const TPenPaint& Pen, uint32_t& Phase);

// Draws consecutive segments of Points (and the closing one when Closed)
// with the pattern running on across the vertices from phase 0.
void DrawThinPath(const TSurface& Surface, std::span<const TPoint> Points, bool Closed, const TPenPaint& Pen);

// For rows [Top, Top + Rows.size()), widens Rows[y - Top] to hold the
// pixels that the one-pixel path lights on row y (a row nothing reaches
// keeps an empty span with X0 >= X1).
void AccumulatePathRows(std::span<const TPoint> Points, bool Closed, int32_t Top, std::vector<TSpan>& Rows);

// An edge and the ceiling of its crossing with one row after the other,
// which is where the polygon rule starts or ends a span.
struct TEdgeCrossing {
  int64_t X = 0;    // ceiling of the crossing on the current row
  int64_t Rem = 0;  // its fraction, in [0, Dy)
  int64_t StepX = 0;
  int64_t StepRem = 0;
  int64_t Dy = 1;
  int64_t YEnd = 0;  // the row below the edge's last one

  // The edge between two points on different rows, on Row, one of the rows
  // [min(Ay, By), max(Ay, By)) it crosses.
  static TEdgeCrossing At(int64_t Ax, int64_t Ay, int64_t Bx, int64_t By, int64_t Row);
  // Moves X to the next row; without a branch on the carry, which the
  // slopes of random edges would mispredict half the time.
  void Step() {
    Rem += StepRem;
    const int64_t carry = Rem >= Dy;
    X += StepX + carry;
    Rem -= Dy & -carry;
  }
};

// Interior of a polygon with the alternate (even-odd) rule. Pixel (x, y) is
// inside when the point (x, y) is: left and top edges included, right and
// bottom edges excluded. Rows are visited top to bottom, each in time
// proportional to the edges that cross it, whatever the coordinates.
class TPolygonScan {
 public:
  // Prepares the edges of the closed polygon, whose spans are wanted within
  // columns [0, Columns): a span reaching past them may be cut at them.
  void Begin(std::span<const TPoint> Points, int64_t Columns);
  // Positions on row First, for rows up to Last (exclusive); rows then
  // follow one by one.
  void Seek(int64_t First, int64_t Last);
  // Spans of the current row, left to right and not overlapping, then
  // moves to the next row.
  void NextRow(TSpanList& Out);
  // The same, calling Visit(x0, x1) with each span.
  template <class TVisit>
  void NextRow(TVisit&& Visit);
  int64_t Top() const { return FTop; }
  int64_t Bottom() const { return FBottom; }  // exclusive

 private:
  // End points on different rows, the upper one first.
  struct TEdge {
    TPoint Upper;
    TPoint Lower;
  };
  // An edge one row high (curve outlines are made of them), which crosses
  // only that row, at its upper end point.
  struct TStep {
    int32_t X;
    int32_t Row;
  };
  // Calls Cross(x) with the ceiling of each crossing of Row (in no
  // particular order), activating Entering and moving the active edges on.
  template <class TCross>
  void CrossRow(int64_t Row, std::span<const TEdge> Entering, TCross&& Cross);
  // Lists the crossings of the Rows rows from FFirst by row when they are
  // few; false, listing none, otherwise.
  bool ListCrossings(int64_t Rows);
  // The spans between Count crossings at X, which it reorders.
  template <class TCoordinate>
  static void SpansFromCrossings(TCoordinate* X, size_t Count, TSpanList& Out);
  // The spans between the crossings, which FColumnBits holds, which it
  // clears for the next row.
  void SpansFromColumns(TSpanList& Out);

  // The edges two rows high or more, and the steps; horizontal edges are
  // left out.
  std::vector<TEdge> FEdges;
  std::vector<TStep> FSteps;
  // The edges that cross the rows sought, by the first of those rows they
  // cross: row FFirst + i has FTable[FTableStart[i]] up to
  // FTable[FTableStart[i + 1]].
  std::vector<TEdge> FTable;
  std::vector<size_t> FTableStart;
  // The crossing of an edge two rows high or more, as TEdgeCrossing keeps
  // it, in half the space: every row walks all of them, and a row may hold
  // nearly every edge. End points in the 32-bit range allow it: the
  // crossings lie between their x, rows are less than 2^32 apart, and a
  // step across two rows or more stays within [-2^31, 2^31).
  struct TActiveEdge {
    int32_t X;
    int32_t StepX;
    uint32_t Rem;
    uint32_t StepRem;
    uint32_t Dy;
    int32_t YEnd;
  };
  // A polygon whose rows sought are crossed a few times each (curve
  // outlines, small polygons) has its crossings listed at once, row FFirst +
  // i holding FRowCrossings[FRowStart[i]] up to FRowCrossings[FRowStart[i +
  // 1]]; the edge table and the active edges serve the others.
  bool FListed = false;
  std::vector<int32_t> FRowCrossings;
  std::vector<size_t> FRowStart;
  std::vector<TActiveEdge> FActive;  // edges that continue onto the current row
  TSpanList FRowSpans;               // of the current row, for a visit
  std::vector<int64_t> FCrossings;   // of the current row, when few
  // When a row has many crossings: bit c set for an odd number of them in
  // column c, those left of the columns counted in column 0, those at or
  // right of them in the bit past the last column (then dropped). A pixel
  // is inside where the bits up to its column hold an odd count.
  std::vector<uint64_t> FColumnBits;
  int64_t FColumns = 0;
  int64_t FRow = 0;
  int64_t FFirst = 0;
  int64_t FTop = 0;
  int64_t FBottom = 0;
};

template <class TVisit>
void TPolygonScan::NextRow(TVisit&& Visit) {
  // A row of two listed crossings (most rows) goes straight to the visit.
  const size_t i = size_t(FRow - FFirst);
  if (FListed && FRow >= FFirst && i + 1 < FRowStart.size() && FRowStart[i + 1] - FRowStart[i] == 2) {
    ++FRow;
    const int32_t a = FRowCrossings[FRowStart[i]], b = FRowCrossings[FRowStart[i] + 1];
    if (a != b) Visit(int64_t(std::min(a, b)), int64_t(std::max(a, b)));
    return;
  }
  NextRow(FRowSpans);
  for (const TSpan& s : FRowSpans) Visit(s.X0, s.X1);
}

// The region a wide pen of Width pixels covers along a path: one quadrangle
// per segment, Width across, its corners offset from the end points by
// rounded halves of the width (the side of growing x taking the larger
// half), and a round disc at every point for the round ends and joins.
// Disc holds the rows of that disc ([X0, X1) from the left of its Width x
// Width box, box top first; convex and symmetric), or is empty to take the
// geometric circle (for widths too large for a table).
class TWidePenScan {
 public:
  // Traces the region within columns [0, ClipWidth) and rows [ClipTop,
  // ClipBottom).
  void Begin(std::span<const TPoint> Points, bool Closed, int64_t Width, std::span<const TSpan> Disc, int64_t ClipWidth,
             int64_t ClipTop, int64_t ClipBottom);
  // Sets every pixel of the region on Surface (its writable rows) to
  // Value, painting the pieces straight onto the surface, a pixel possibly
  // more than once, instead of tracing the region first. False, painting
  // nothing, unless the pen is narrow enough for its steps to be stamped
  // pixel by pixel. Top() and Bottom() are equal afterwards.
  bool Paint(std::span<const TPoint> Points, bool Closed, int64_t Width, std::span<const TSpan> Disc,
             const TSurface& Surface, uint32_t Value);
  // The rows that may hold pixels; bottom exclusive.
  int64_t Top() const { return FTop; }
  int64_t Bottom() const { return FBottom; }
  // The spans of row Y (Top() <= Y < Bottom()), left to right, apart.
  void Row(int64_t Y, TSpanList& Out) const;
  // Calls Pixel(x) for each column x of row Y the region covers, and
  // Run(x0, x1) instead for whole words of 64 columns; left to right.
  template <class TPixel, class TRun>
  void ForEachPixel(int64_t Y, TPixel&& Pixel, TRun&& Run) const;

 private:
  // A small piece of the region relative to a point P: bit c of Rows[r]
  // covers pixel (P.x + Left + c, P.y + Top + r); no bit at or past Width.
  struct TMask {
    int64_t Left = 0;
    int64_t Top = 0;
    int64_t Width = 0;
    std::vector<uint64_t> Rows;
  };
  // Steps index of a point with no step to a neighbour (3 * (dy + 1) + dx
  // + 1 for a step by (dx, dy)).
  static constexpr size_t kNoStep = 4;

  // Painting stamps the masks pixel by pixel when none holds more pixels
  // than this.
  static constexpr size_t kMostStampPixels = 16;

  // Takes the pen of Width pixels and its disc.
  void Prepare(int64_t Width, std::span<const TSpan> Disc);
  // The discs of the points in [X0, X1] x [Y0, Y1], swept over the box.
  void AddDiscs(int64_t X0, int64_t Y0, int64_t X1, int64_t Y1);
  void AddSegment(TPoint A, TPoint B);
  struct TMaskTarget;
  // The discs and segments of the path point by point through the masks,
  // and the discs of the runs that turn back (see ForDiscRuns): Place(P, I)
  // puts mask I of the steps at point P, or returns false to have the
  // pieces added one by one.
  template <class TPlace>
  void AddPointSteps(std::span<const TPoint> Points, bool Closed, TPlace&& Place);
  void AddRows(int64_t Top, std::span<const TSpan> Rows, int64_t Left);
  // Sets columns [X0, X1) of rows [Y0, Y1), clipped to the traced ones.
  void Cover(int64_t Y0, int64_t Y1, int64_t X0, int64_t X1);
  // The same on row Y, one of the traced rows.
  void CoverRow(int64_t Y, int64_t X0, int64_t X1);
  void PrepareStamps();
  // The mask of the union of Pieces (a row and its columns each); false
  // when it would be wider than a word.
  static bool BuildMask(std::span<const std::pair<int64_t, TSpan>> Pieces, TMask& Mask);
  TSpan DiscRow(int64_t R) const;

  // The region as bits: FWords words per row from column FLeft (a multiple
  // of 64) up to FRight, for rows [FTop, FBottom), rows FStride words apart
  // (the word past the last one is padding, always ignored).
  std::vector<uint64_t> FBits;
  // While painting: the surface's pixels, which take the place of the bits
  // (their columns and rows counted as the surface's), and their value.
  uint32_t* FPixels = nullptr;
  std::ptrdiff_t FPixelStride = 0;
  uint32_t FValue = 0;
  int64_t FLeft = 0;
  int64_t FRight = 0;
  size_t FWords = 0;
  size_t FStride = 1;
  int64_t FTop = 0;
  int64_t FBottom = 0;
  int64_t FWidth = 1;
  std::span<const TSpan> FDisc;
  int64_t FDiscWidest = 0;  // a row of the disc as wide as any
  // The quadrangles of the four unit diagonal steps from (0, 0), as rows
  // from their tops, and the masks of a point's disc with its step to each
  // neighbour (Masked when all of them fit a word), for the pen widths used
  // lately.
  struct TStamps {
    int64_t Width;
    std::array<std::vector<TSpan>, 4> Rows;
    std::array<int64_t, 4> Tops;
    std::array<TMask, 9> Steps;
    bool Masked = false;
    // Relative to a point, columns [ReachLeft, ReachRight) and rows
    // [ReachTop, ReachBottom) hold every one of the masks.
    int64_t ReachLeft = 0;
    int64_t ReachTop = 0;
    int64_t ReachRight = 0;
    int64_t ReachBottom = 0;
    // The pixels of each mask, PixelCount of them (a multiple of four) for
    // each of the nine in turn, a mask with fewer repeating its last one, as
    // offsets from the point; PixelCount is 0 when a mask holds more than
    // kMostStampPixels.
    std::vector<TPoint> Pixels;
    size_t PixelCount = 0;
    // The same as offsets into the pixels of a surface whose rows lie
    // OffsetStride pixels apart.
    std::vector<std::ptrdiff_t> Offsets;
    std::ptrdiff_t OffsetStride = 0;

    // Fills Pixels and PixelCount from the masks.
    void ListPixels();
  };
  std::vector<TStamps> FStampSets;
  TStamps* FStamps = nullptr;  // of the current width, if any
  std::vector<TSpan> FBounds;  // scratch rows of a quadrangle
};

template <class TPixel, class TRun>
void TWidePenScan::ForEachPixel(int64_t Y, TPixel&& Pixel, TRun&& Run) const {
  const uint64_t* row = FBits.data() + size_t(Y - FTop) * FStride;
  for (size_t w = 0; w < FWords; ++w) {
    const int64_t base = FLeft + int64_t(w) * 64;
    uint64_t bits = row[w];
    if (bits == ~uint64_t(0)) {
      Run(base, base + 64);
      continue;
    }
    for (; bits != 0; bits &= bits - 1) Pixel(base + std::countr_zero(bits));
  }
}
