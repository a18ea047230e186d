// Scan conversion of the classic primitives into pixels and row spans:
// one-pixel lines, even-odd polygon interiors, the regions of wide pens and
// the row extents of closed outlines. All of it clips against the surface
// and works in time proportional to what is visible, whatever the 32-bit
// coordinates. Internal to canvas/.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "canvas/RasterSurface.h"

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

// Interior of a polygon with the alternate (even-odd) rule. Pixel (x, y) is
// inside when the point (x, y) is: left and top edges included, right and
// bottom edges excluded. Rows are visited top to bottom.
class TPolygonScan {
 public:
  // Prepares the edges of the closed polygon.
  void Begin(std::span<const TPoint> Points);
  // Positions on Row; rows then follow one by one.
  void Seek(int64_t Row);
  // Spans of the current row, then moves to the next row.
  void NextRow(TSpanList& Out);
  int64_t Top() const { return FTop; }
  int64_t Bottom() const { return FBottom; }  // exclusive

 private:
  struct TEdge {
    int64_t YEnd;     // first row below the edge
    int64_t X;        // ceiling of the crossing on the current row
    int64_t Rem;      // fraction of the crossing, in [0, Dy)
    int64_t Dy;
    int64_t StepX;    // floor(Dx / Dy)
    int64_t StepRem;  // Dx - StepX * Dy
    int64_t YStart;
    int64_t X0;       // upper end point
    int64_t Dx;
  };
  void Activate(TEdge& Edge, int64_t Row) const;

  std::vector<TEdge> FEdges;  // sorted by YStart
  std::vector<size_t> FActive;
  std::vector<int64_t> FCrossings;
  size_t FNext = 0;
  int64_t FRow = 0;
  int64_t FTop = 0;
  int64_t FBottom = 0;
};

// The region a wide pen of Width pixels covers along a path: one quadrangle
// per segment, Width across, its corners offset from the end points by
// rounded halves of the width (left and above taking the larger half), and
// a round disc at every point for the round ends and joins. Disc holds the
// rows of that disc ([X0, X1) from the left of its Width x Width box, box
// top first), or is empty to take the geometric circle (for widths too
// large for a table). Rows are visited top to bottom.
class TWidePenScan {
 public:
  // Keeps the pieces that reach rows [ClipTop, ClipBottom).
  void Begin(std::span<const TPoint> Points, bool Closed, int64_t Width, std::span<const TSpan> Disc,
             int64_t ClipTop, int64_t ClipBottom);
  // The rows, within the clip, that may hold pixels; bottom exclusive.
  int64_t Top() const { return FTop; }
  int64_t Bottom() const { return FBottom; }
  // Normalised spans of row Y, for consecutive rows from Top().
  void Row(int64_t Y, TSpanList& Out);

 private:
  // A disc (its box's top-left corner in P[0], P[1]) or a convex
  // quadrangle, its rows counted with the polygon rule.
  struct TPiece {
    bool IsDisc;
    int64_t Top, Bottom;
    std::array<int64_t, 8> P;  // x0, y0, x1, y1, ...
  };
  void AddDisc(TPoint Centre);
  void AddSegment(TPoint A, TPoint B);
  void AddQuad(std::array<int64_t, 8> P);
  void SortByFirstRow();
  void AddSpan(const TPiece& Piece, int64_t Y, TSpanList& Out) const;

  std::vector<TPiece> FPieces;
  std::vector<size_t> FOrder;      // pieces by the first clipped row they reach
  std::vector<size_t> FRowStarts;  // FOrder index per row from FTop
  std::vector<size_t> FActive;
  std::span<const TSpan> FDisc;
  int64_t FWidth = 1;
  int64_t FClipTop = 0;
  int64_t FClipBottom = 0;
  int64_t FTop = 0;
  int64_t FBottom = 0;
};
