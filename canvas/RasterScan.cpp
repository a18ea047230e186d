#include "canvas/RasterScan.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "canvas/RasterMath.h"

namespace {

// A one-pixel segment: pixel k (0 <= k < N) sits at major coordinate
// Major0 + MajorStep * k and minor coordinate Minor0 + MinorStep * u(k) with
// u(k) = floor((2 * D * k + N - Bias) / (2 * N)), the rounded minor offset;
// Bias makes a tie round towards the smaller coordinate in both directions.
struct TLine {
  bool XMajor = true;
  int64_t N = 0;
  int64_t Major0 = 0;
  int64_t MajorStep = 1;
  int64_t Minor0 = 0;
  int64_t MinorStep = 1;
  int64_t D = 0;
  int64_t Bias = 0;

  TLine(TPoint A, TPoint B) {
    const int64_t dx = int64_t(B.x) - A.x;
    const int64_t dy = int64_t(B.y) - A.y;
    XMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t major = XMajor ? dx : dy;
    const int64_t minor = XMajor ? dy : dx;
    N = std::llabs(major);
    D = std::llabs(minor);
    Major0 = XMajor ? A.x : A.y;
    Minor0 = XMajor ? A.y : A.x;
    MajorStep = major < 0 ? -1 : 1;
    MinorStep = minor < 0 ? -1 : 1;
    Bias = minor > 0 ? 1 : 0;
  }

  int128_t Numerator(int64_t K) const { return int128_t(2 * D) * K + N - Bias; }
  int64_t Offset(int64_t K) const { return FloorDiv(Numerator(K), 2 * N); }
  // First step whose rounded minor offset reaches U.
  int64_t FirstStepAt(int64_t U) const {
    if (D == 0) return U <= 0 ? 0 : N + 1;
    return std::max<int64_t>(0, CeilDiv(int128_t(2 * N) * U - N + Bias, 2 * D));
  }
  // Narrows [Lo, Hi] to the steps whose minor coordinate lies in [From, To).
  void ClipMinor(int64_t From, int64_t To, int64_t& Lo, int64_t& Hi) const {
    const int64_t uLo = MinorStep > 0 ? From - Minor0 : Minor0 - (To - 1);
    const int64_t uHi = MinorStep > 0 ? To - 1 - Minor0 : Minor0 - From;
    Lo = std::max(Lo, FirstStepAt(uLo));
    Hi = std::min(Hi, FirstStepAt(uHi + 1) - 1);
  }
  // Steps K in [Lo, Hi] whose major coordinate lies in [From, To).
  void ClipMajor(int64_t From, int64_t To, int64_t& Lo, int64_t& Hi) const {
    if (MajorStep > 0) {
      Lo = std::max<int64_t>(0, From - Major0);
      Hi = std::min<int64_t>(N - 1, To - 1 - Major0);
    } else {
      Lo = std::max<int64_t>(0, Major0 - (To - 1));
      Hi = std::min<int64_t>(N - 1, Major0 - From);
    }
  }
};

// Walks the minor offset u(k) forward one step at a time.
struct TOffsetWalk {
  int64_t U;
  int64_t Err;
  int64_t TwoD;
  int64_t TwoN;

  TOffsetWalk(const TLine& L, int64_t K) : TwoD(2 * L.D), TwoN(2 * L.N) {
    const int128_t num = L.Numerator(K);
    U = FloorDiv(num, TwoN);
    Err = int64_t(num - int128_t(U) * TwoN);
  }
  void Step() {
    Err += TwoD;
    if (Err >= TwoN) {
      Err -= TwoN;
      ++U;
    }
  }
};

// A step to a neighbouring pixel (or none) lights its start alone (or
// nothing): the classic line leaves out its end point.
bool IsNeighbourStep(TPoint A, TPoint B) {
  // Each difference lies in [-1, 1] when, moved up by one, it is at most 2
  // as an unsigned number.
  return uint64_t(int64_t(B.x) - A.x + 1) <= 2 && uint64_t(int64_t(B.y) - A.y + 1) <= 2;
}

// The start of a neighbour step, on or off by the pen pattern at Phase,
// which then advances by one pixel.
inline void PlotStepStart(const TSurface& Surface, TPoint A, const TPenPaint& Pen, uint32_t& Phase) {
  if (A.x >= 0 && A.x < Surface.Width && A.y >= Surface.Top() && A.y < Surface.Bottom()) {
    uint32_t& pixel = Surface.Row(A.y)[A.x];
    pixel = ((Pen.Mask >> Phase) & 1u ? Pen.Fore : Pen.Back).Apply(pixel);
  }
  if (++Phase == Pen.Period) Phase = 0;
}

bool OutsideSurface(const TSurface& S, TPoint A, TPoint B) {
  return std::max(A.x, B.x) < 0 || std::min(A.x, B.x) >= S.Width || std::max(A.y, B.y) < S.Top() ||
         std::min(A.y, B.y) >= S.Bottom();
}

void WidenRow(std::vector<TSpan>& Rows, int64_t Index, int64_t X0, int64_t X1) {
  TSpan& row = Rows[size_t(Index)];
  row.X0 = std::min(row.X0, std::min(X0, X1));
  row.X1 = std::max(row.X1, std::max(X0, X1) + 1);
}

// A segment longer than a neighbour step.
void AccumulateSegmentRows(TPoint A, TPoint B, int32_t Top, std::vector<TSpan>& Rows) {
  const int64_t rows = int64_t(Rows.size());
  const TLine line(A, B);
  if (!line.XMajor) {
    // One pixel per row: the rows are the major coordinates.
    int64_t lo = 0, hi = 0;
    TLine shifted = line;
    shifted.Major0 -= Top;
    shifted.ClipMajor(0, rows, lo, hi);
    if (lo > hi) return;
    TOffsetWalk walk(line, lo);
    for (int64_t k = lo; k <= hi; ++k, walk.Step()) {
      const int64_t x = line.Minor0 + line.MinorStep * walk.U;
      WidenRow(Rows, shifted.Major0 + shifted.MajorStep * k, x, x);
    }
    return;
  }
  // A run of pixels per row: find the steps that share each minor offset.
  const int64_t lastU = line.Offset(line.N - 1);
  const int64_t y0 = line.Minor0;
  const int64_t y1 = line.Minor0 + line.MinorStep * lastU;
  const int64_t from = std::max<int64_t>(std::min(y0, y1), Top);
  const int64_t to = std::min<int64_t>(std::max(y0, y1), int64_t(Top) + rows - 1);
  for (int64_t y = from; y <= to; ++y) {
    const int64_t u = (y - line.Minor0) * line.MinorStep;
    const int64_t k0 = line.FirstStepAt(u);
    const int64_t k1 = std::min(line.N, line.FirstStepAt(u + 1)) - 1;
    if (k0 > k1) continue;
    WidenRow(Rows, y - Top, line.Major0 + line.MajorStep * k0, line.Major0 + line.MajorStep * k1);
  }
}

// Steps [Lo, Hi] of a horizontal or vertical solid line, already clipped.
void DrawSolidRun(const TSurface& Surface, const TLine& Line, int64_t Lo, int64_t Hi, TPixelOp Op) {
  const int64_t first = Line.Major0 + Line.MajorStep * (Line.MajorStep > 0 ? Lo : Hi);
  const size_t count = size_t(Hi - Lo + 1);
  if (Line.XMajor) {
    ApplySpan(Surface.Row(int32_t(Line.Minor0)) + first, count, Op);
    return;
  }
  uint32_t* pixel = Surface.Row(int32_t(first)) + Line.Minor0;
  for (size_t i = 0; i < count; ++i, pixel += Surface.Stride) *pixel = Op.Apply(*pixel);
}

// The quadrangle a wide pen puts on a slanted segment: across the segment
// the width splits into a narrow and a wide half in each axis, rounded to
// whole pixels; the wide half lies on the side of growing x.
std::array<int64_t, 8> SlantedQuad(TPoint A, TPoint B, int64_t Width) {
  const int64_t dx = int64_t(B.x) - A.x, dy = int64_t(B.y) - A.y;
  const double length = std::hypot(double(dx), double(dy));
  const double wx = double(Width) * double(std::llabs(dy)) / length;
  const double wy = double(Width) * double(std::llabs(dx)) / length;
  // The halves are never negative, so truncating rounds them down.
  const auto round = [](double v) { return int64_t(v + 0.5); };
  const int64_t narrowX = round(wx / 2), wideX = round((wx + 1) / 2);
  const int64_t sy = (dx > 0) == (dy > 0) ? -1 : 1;  // y direction of that side
  const int64_t narrowY = sy * round(wy / 2), wideY = sy * round((wy + 1) / 2);
  return {A.x + wideX,   A.y + wideY,   A.x - narrowX, A.y - narrowY,
          B.x - narrowX, B.y - narrowY, B.x + wideX,   B.y + wideY};
}

// Calls Row(y, x0, x1) for the rows of a convex quadrangle within [From,
// To), with its columns [x0, x1) by the polygon rule: from the leftmost to
// the rightmost crossing of the edges that cross the row. Bounds holds
// those crossings meanwhile, one entry per row, each edge walked once.
template <class TRow>
void ForQuadRows(const std::array<int64_t, 8>& Corners, int64_t From, int64_t To, std::vector<TSpan>& Bounds,
                 TRow&& Row) {
  const int64_t top = std::max(From, std::min({Corners[1], Corners[3], Corners[5], Corners[7]}));
  const int64_t bottom = std::min(To, std::max({Corners[1], Corners[3], Corners[5], Corners[7]}));
  if (top >= bottom) return;
  Bounds.assign(size_t(bottom - top), {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()});
  for (size_t i = 0; i < 8; i += 2) {
    const size_t j = (i + 2) % 8;
    const int64_t ay = Corners[i + 1], by = Corners[j + 1];
    if (ay == by) continue;
    const int64_t first = std::max(top, std::min(ay, by)), last = std::min(bottom, std::max(ay, by));
    if (first >= last) continue;
    TEdgeCrossing edge = TEdgeCrossing::At(Corners[i], ay, Corners[j], by, first);
    TSpan* bound = Bounds.data() + (first - top);
    for (int64_t y = first; y < last; ++y, ++bound, edge.Step()) {
      bound->X0 = std::min(bound->X0, edge.X);
      bound->X1 = std::max(bound->X1, edge.X);
    }
  }
  for (int64_t y = top; y < bottom; ++y) Row(y, Bounds[size_t(y - top)].X0, Bounds[size_t(y - top)].X1);
}

// The least and greatest coordinates of a path's points. Without points the
// least are the largest values and the greatest the smallest, which leave
// any bound taken with them as it was.
struct TPathBounds {
  int32_t MinX = std::numeric_limits<int32_t>::max();
  int32_t MinY = std::numeric_limits<int32_t>::max();
  int32_t MaxX = std::numeric_limits<int32_t>::min();
  int32_t MaxY = std::numeric_limits<int32_t>::min();

  explicit TPathBounds(std::span<const TPoint> Points) {
    for (const TPoint p : Points) {
      MinX = std::min(MinX, p.x);
      MaxX = std::max(MaxX, p.x);
      MinY = std::min(MinY, p.y);
      MaxY = std::max(MaxY, p.y);
    }
  }
};

// Neighbouring points along one row or one column share their discs' rows:
// calls Run(x0, y0, x1, y1) with the box of each run of points joined by
// unit axis steps (or none) that share a row or a column with the run's
// first point. A run that turns back through that point (along its row,
// then its column) thus has a box of more than one row and column, and its
// discs are swept over the whole box.
template <class TRun>
void ForDiscRuns(std::span<const TPoint> Points, TRun&& Run) {
  for (size_t i = 0, j = 0; i < Points.size(); i = j) {
    int64_t x0 = Points[i].x, x1 = x0, y0 = Points[i].y, y1 = y0;
    for (j = i + 1; j < Points.size(); ++j) {
      const TPoint p = Points[j], q = Points[j - 1];
      const bool step = std::abs(int64_t(p.x) - q.x) + std::abs(int64_t(p.y) - q.y) <= 1;
      if (!step || (p.x != Points[i].x && p.y != Points[i].y)) break;
      x0 = std::min<int64_t>(x0, p.x), x1 = std::max<int64_t>(x1, p.x);
      y0 = std::min<int64_t>(y0, p.y), y1 = std::max<int64_t>(y1, p.y);
    }
    Run(x0, y0, x1, y1);
  }
}

}  // namespace

TEdgeCrossing TEdgeCrossing::At(int64_t Ax, int64_t Ay, int64_t Bx, int64_t By, int64_t Row) {
  if (Ay > By) {
    std::swap(Ax, Bx);
    std::swap(Ay, By);
  }
  TEdgeCrossing edge;
  const int64_t dx = Bx - Ax;
  edge.Dy = By - Ay;
  edge.YEnd = By;
  // Steep edges (curve outlines are mostly made of them) need no division.
  if (edge.Dy == 1) {
    edge.StepX = dx;
  } else if (dx >= -edge.Dy && dx < edge.Dy) {
    edge.StepX = dx < 0 ? -1 : 0;
  } else {
    edge.StepX = FloorDiv(dx, edge.Dy);
  }
  edge.StepRem = dx - edge.StepX * edge.Dy;
  if (Row == Ay) {  // the usual case: the crossing at the upper end
    edge.X = Ax;
    edge.Rem = edge.Dy - 1;
    return edge;
  }
  // ceil((Ax * Dy + dx * (Row - Ay)) / Dy), kept as quotient and rest.
  const int128_t t = int128_t(Ax) * edge.Dy + int128_t(dx) * (Row - Ay) + edge.Dy - 1;
  edge.X = FloorDiv(t, edge.Dy);
  edge.Rem = int64_t(t - int128_t(edge.X) * edge.Dy);
  return edge;
}

void DrawThinSegment(const TSurface& Surface, TPoint A, TPoint B, const TPenPaint& Pen, uint32_t& Phase) {
  if (IsNeighbourStep(A, B)) {
    if (!(A == B)) PlotStepStart(Surface, A, Pen, Phase);
    return;
  }
  const TLine line(A, B);
  const uint32_t startPhase = Phase;
  Phase = uint32_t((uint64_t(Phase) + uint64_t(line.N)) % Pen.Period);
  if (OutsideSurface(Surface, A, B)) return;

  int64_t lo = 0, hi = 0;
  if (line.XMajor) {
    line.ClipMajor(0, Surface.Width, lo, hi);
  } else {
    line.ClipMajor(Surface.Top(), Surface.Bottom(), lo, hi);
  }
  if (lo > hi) return;
  if (line.D == 0 && Pen.Period == 1) {
    DrawSolidRun(Surface, line, lo, hi, Pen.Fore);
    return;
  }
  if (line.XMajor) {
    line.ClipMinor(Surface.Top(), Surface.Bottom(), lo, hi);
  } else {
    line.ClipMinor(0, Surface.Width, lo, hi);
  }
  if (lo > hi) return;
  TOffsetWalk walk(line, lo);
  const int64_t major = line.Major0 + line.MajorStep * lo;
  const int64_t minor = line.Minor0 + line.MinorStep * walk.U;
  uint32_t* pixel = line.XMajor ? Surface.Row(int32_t(minor)) + major : Surface.Row(int32_t(major)) + minor;
  const std::ptrdiff_t majorStep = line.XMajor ? line.MajorStep : line.MajorStep * Surface.Stride;
  const std::ptrdiff_t minorStep = line.XMajor ? line.MinorStep * Surface.Stride : line.MinorStep;
  // Copies, which the pixel writes cannot be taken to change.
  const TPixelOp fore = Pen.Fore, back = Pen.Back;
  const uint32_t mask = Pen.Mask, period = Pen.Period;
  uint32_t phase = uint32_t((uint64_t(startPhase) + uint64_t(lo)) % period);
  for (int64_t k = lo;;) {
    *pixel = ((mask >> phase) & 1u ? fore : back).Apply(*pixel);
    if (++k > hi) break;
    if (++phase == period) phase = 0;
    pixel += majorStep;
    walk.Err += walk.TwoD;
    if (walk.Err >= walk.TwoN) {
      walk.Err -= walk.TwoN;
      pixel += minorStep;
    }
  }
}

void DrawThinPath(const TSurface& Surface, std::span<const TPoint> Points, bool Closed, const TPenPaint& Pen) {
  if (Points.size() < 2) return;
  // Curve outlines are chains of steps to neighbours: those are drawn here,
  // through copies of the surface's layout and of the pen, the phase being
  // handed on by a copy too, none of which the pixel writes can then be
  // taken to change.
  uint32_t* const bits = Surface.Bits;
  const std::ptrdiff_t stride = Surface.Stride;
  const int64_t width = Surface.Width, top = Surface.Top(), bottom = Surface.Bottom();
  const TPixelOp fore = Pen.Fore, back = Pen.Back;
  const uint32_t mask = Pen.Mask, period = Pen.Period;
  uint32_t phase = 0;
  const auto segment = [&](TPoint A, TPoint B) {
    if (A == B) return;
    if (!IsNeighbourStep(A, B)) {
      uint32_t segmentPhase = phase;
      DrawThinSegment(Surface, A, B, Pen, segmentPhase);
      phase = segmentPhase;
      return;
    }
    if (A.x >= 0 && A.x < width && A.y >= top && A.y < bottom) {
      uint32_t& pixel = bits[A.y * stride + A.x];
      pixel = ((mask >> phase) & 1u ? fore : back).Apply(pixel);
    }
    if (++phase == period) phase = 0;
  };
  for (size_t i = 1; i < Points.size(); ++i) segment(Points[i - 1], Points[i]);
  if (Closed) segment(Points.back(), Points.front());
}

void AccumulatePathRows(std::span<const TPoint> Points, bool Closed, int32_t Top, std::vector<TSpan>& Rows) {
  const int64_t rows = int64_t(Rows.size());
  const auto segment = [&](TPoint A, TPoint B) {
    if (!IsNeighbourStep(A, B)) {
      AccumulateSegmentRows(A, B, Top, Rows);
    } else if (!(A == B) && A.y >= Top && A.y - int64_t(Top) < rows) {
      WidenRow(Rows, A.y - int64_t(Top), A.x, A.x);
    }
  };
  for (size_t i = 1; i < Points.size(); ++i) segment(Points[i - 1], Points[i]);
  if (Closed && Points.size() > 1) segment(Points.back(), Points.front());
}

void TPolygonScan::Begin(std::span<const TPoint> Points, int64_t Columns) {
  // The edges from each point to the next and from the last to the first.
  FEdges.clear();
  FSteps.resize(Points.size());
  TStep* const steps = FSteps.data();
  size_t stepCount = 0;
  int32_t top = std::numeric_limits<int32_t>::max(), bottom = std::numeric_limits<int32_t>::min();
  const auto addEdge = [&](TPoint A, TPoint B) {
    if (A.y == B.y) return;
    const TEdge edge = A.y < B.y ? TEdge{A, B} : TEdge{B, A};
    top = std::min(top, edge.Upper.y);
    bottom = std::max(bottom, edge.Lower.y);
    if (int64_t(edge.Lower.y) - edge.Upper.y == 1) {
      steps[stepCount++] = {edge.Upper.x, edge.Upper.y};
    } else {
      FEdges.push_back(edge);
    }
  };
  for (size_t i = 1; i < Points.size(); ++i) addEdge(Points[i - 1], Points[i]);
  if (!Points.empty()) addEdge(Points.back(), Points.front());
  FSteps.resize(stepCount);
  FTop = top > bottom ? 0 : top;
  FBottom = top > bottom ? 0 : bottom;
  FColumns = std::max<int64_t>(Columns, 0);
  FColumnBits.assign(size_t(FColumns / 64) + 1, 0);
}

void TPolygonScan::Seek(int64_t First, int64_t Last) {
  FActive.clear();
  FRow = First;
  FFirst = First;
  const int64_t rows = std::max<int64_t>(std::min(Last, FBottom) - First, 0);
  FListed = ListCrossings(rows);
  if (FListed) return;
  // The edge table, sorted by the first row sought that each edge crosses
  // (a step as an edge one row high): the count of each row, the start of
  // each row from the counts, each edge put at its row's start, which
  // moves on to the next row's; and the starts moved back. Edges wholly
  // above or below the rows are left out.
  const auto forEachEdge = [&](auto&& Visit) {
    for (const TEdge& edge : FEdges) Visit(edge);
    for (const TStep step : FSteps) Visit(TEdge{{step.X, step.Row}, {step.X, step.Row + 1}});
  };
  FTableStart.assign(size_t(rows) + 1, 0);
  const auto firstRow = [&](const TEdge& Edge) -> int64_t {
    if (Edge.Lower.y <= First || Edge.Upper.y >= First + rows) return -1;
    return std::max<int64_t>(Edge.Upper.y, First) - First;
  };
  forEachEdge([&](const TEdge& Edge) {
    const int64_t row = firstRow(Edge);
    if (row >= 0) ++FTableStart[size_t(row) + 1];
  });
  for (size_t i = 0; i < size_t(rows); ++i) FTableStart[i + 1] += FTableStart[i];
  FTable.resize(FTableStart[size_t(rows)]);
  forEachEdge([&](const TEdge& Edge) {
    const int64_t row = firstRow(Edge);
    if (row >= 0) FTable[FTableStart[size_t(row)]++] = Edge;
  });
  for (size_t i = size_t(rows); i > 0; --i) FTableStart[i] = FTableStart[i - 1];
  FTableStart[0] = 0;
}

bool TPolygonScan::ListCrossings(int64_t Rows) {
  // The rows [From, To) each edge crosses among those sought, as offsets
  // from the first, and the row a step crosses, when sought.
  const int64_t first = FFirst;
  const auto crossed = [first, Rows](const TEdge& Edge) {
    return std::pair{std::clamp<int64_t>(Edge.Upper.y - first, 0, Rows),
                     std::clamp<int64_t>(Edge.Lower.y - first, 0, Rows)};
  };
  const auto stepRow = [first, Rows](TStep Step) { return uint64_t(int64_t(Step.Row) - first) < uint64_t(Rows); };
  // Listing pays while the crossings are at most a few per row. Each row
  // gets as many as the edges and steps that cross it: counted from where
  // edges start and end crossing (in unsigned arithmetic, which the sums
  // make whole), each row's start follows from the counts; each crossing is
  // put at its row's start, which moves on to the next row's, and the
  // starts are moved back.
  size_t total = 0;
  FRowStart.assign(size_t(Rows) + 1, 0);
  for (const TStep step : FSteps) {
    if (!stepRow(step)) continue;
    ++total;
    ++FRowStart[size_t(step.Row - first)];
    --FRowStart[size_t(step.Row - first) + 1];
  }
  for (const TEdge& edge : FEdges) {
    const auto [from, to] = crossed(edge);
    if (from >= to) continue;
    total += size_t(to - from);
    ++FRowStart[size_t(from)];
    --FRowStart[size_t(to)];
  }
  if (total > 8 * size_t(Rows) + 64) return false;
  size_t crossers = 0, start = 0;
  for (size_t i = 0; i < size_t(Rows); ++i) {
    crossers += FRowStart[i];
    FRowStart[i] = start;
    start += crossers;
  }
  FRowStart[size_t(Rows)] = start;
  FRowCrossings.resize(total);
  for (const TStep step : FSteps) {
    if (stepRow(step)) FRowCrossings[FRowStart[size_t(step.Row - first)]++] = step.X;
  }
  for (const TEdge& edge : FEdges) {
    const auto [from, to] = crossed(edge);
    if (from >= to) continue;
    TEdgeCrossing crossing = TEdgeCrossing::At(edge.Upper.x, edge.Upper.y, edge.Lower.x, edge.Lower.y, first + from);
    for (int64_t r = from; r < to; ++r, crossing.Step()) FRowCrossings[FRowStart[size_t(r)]++] = int32_t(crossing.X);
  }
  for (size_t i = size_t(Rows); i > 0; --i) FRowStart[i] = FRowStart[i - 1];
  FRowStart[0] = 0;
  return true;
}

template <class TCross>
void TPolygonScan::CrossRow(int64_t Row, std::span<const TEdge> Entering, TCross&& Cross) {
  for (const TEdge& edge : Entering) {
    // An edge one row high (curve outlines are made of them) crosses only
    // that row, at its upper end point.
    if (int64_t(edge.Lower.y) - edge.Upper.y == 1) {
      Cross(int64_t(edge.Upper.x));
      continue;
    }
    const TEdgeCrossing crossing = TEdgeCrossing::At(edge.Upper.x, edge.Upper.y, edge.Lower.x, edge.Lower.y, Row);
    FActive.push_back({int32_t(crossing.X), int32_t(crossing.StepX), uint32_t(crossing.Rem), uint32_t(crossing.StepRem),
                       uint32_t(crossing.Dy), int32_t(crossing.YEnd)});
  }
  // The active edges cross the row, then move on to the next one unless
  // they end here; the list stays packed. They step as TEdgeCrossing::Step
  // does, but without a branch on the carry, which random edges would
  // mispredict half the time: the fraction carries when Rem + StepRem
  // reaches Dy, that is when Rem reaches Dy - StepRem (which cannot wrap).
  TActiveEdge* const active = FActive.data();
  const size_t count = FActive.size();
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    TActiveEdge edge = active[i];
    Cross(int64_t(edge.X));
    if (edge.YEnd <= Row + 1) continue;
    const uint32_t room = edge.Dy - edge.StepRem;
    const bool carry = edge.Rem >= room;
    edge.X = int32_t(int64_t(edge.X) + edge.StepX + int64_t(carry));
    edge.Rem = carry ? edge.Rem - room : edge.Rem + edge.StepRem;
    active[kept++] = edge;
  }
  FActive.resize(kept);
}

void TPolygonScan::NextRow(TSpanList& Out) {
  Out.clear();
  const int64_t row = FRow++;
  if (FListed) {
    if (row >= FFirst && size_t(row - FFirst) + 1 < FRowStart.size()) {
      const size_t i = size_t(row - FFirst);
      SpansFromCrossings(FRowCrossings.data() + FRowStart[i], FRowStart[i + 1] - FRowStart[i], Out);
    }
    return;
  }
  std::span<const TEdge> entering;
  if (row >= FFirst && size_t(row - FFirst) + 1 < FTableStart.size()) {
    const size_t i = size_t(row - FFirst);
    entering = std::span<const TEdge>(FTable).subspan(FTableStart[i], FTableStart[i + 1] - FTableStart[i]);
  }
  // Spans run from the first crossing to the second, the third to the
  // fourth, and so on. Sorting k crossings takes some k log k steps;
  // setting their column bits takes k steps and a word per 64 columns,
  // and gives the same pixels within the columns.
  const size_t crossings = FActive.size() + entering.size();
  if (crossings > 16 && crossings * size_t(std::bit_width(crossings) - 1) > crossings + FColumnBits.size()) {
    uint64_t* const bits = FColumnBits.data();
    const int64_t columns = FColumns;
    CrossRow(row, entering, [bits, columns](int64_t X) {
      const uint64_t c = uint64_t(std::clamp<int64_t>(X, 0, columns));
      bits[c / 64] ^= uint64_t(1) << (c % 64);
    });
    SpansFromColumns(Out);
    return;
  }
  FCrossings.clear();
  CrossRow(row, entering, [this](int64_t X) { FCrossings.push_back(X); });
  SpansFromCrossings(FCrossings.data(), FCrossings.size(), Out);
}

template <class TCoordinate>
void TPolygonScan::SpansFromCrossings(TCoordinate* X, size_t Count, TSpanList& Out) {
  if (Count == 2) {  // most rows
    const int64_t x0 = std::min(X[0], X[1]), x1 = std::max(X[0], X[1]);
    if (x0 < x1) Out.push_back({x0, x1});
    return;
  }
  std::sort(X, X + Count);
  for (size_t i = 1; i < Count; i += 2) {
    if (X[i - 1] < X[i]) Out.push_back({X[i - 1], X[i]});
  }
}

void TPolygonScan::SpansFromColumns(TSpanList& Out) {
  uint64_t* const bits = FColumnBits.data();
  const size_t words = FColumnBits.size();
  bits[words - 1] &= ~(uint64_t(1) << (FColumns % 64));  // the crossings at or right of the columns
  int64_t start = 0;
  bool inside = false;
  for (size_t w = 0; w < words; ++w) {
    for (uint64_t word = bits[w]; word != 0; word &= word - 1) {
      const int64_t x = int64_t(w) * 64 + std::countr_zero(word);
      if (inside) {
        Out.push_back({start, x});
      } else {
        start = x;
      }
      inside = !inside;
    }
    bits[w] = 0;
  }
  if (inside) Out.push_back({start, FColumns});
}

void TWidePenScan::Prepare(int64_t Width, std::span<const TSpan> Disc) {
  FWidth = Width;
  FDisc = Disc;
  FDiscWidest = (Width - 1) / 2;
  for (size_t r = 0; r < Disc.size(); ++r) {
    if (Disc[r].X1 - Disc[r].X0 > Disc[size_t(FDiscWidest)].X1 - Disc[size_t(FDiscWidest)].X0) FDiscWidest = int64_t(r);
  }
  PrepareStamps();
}

inline void TWidePenScan::CoverRow(int64_t Y, int64_t X0, int64_t X1) {
  X0 = std::max(X0, FLeft) - FLeft;
  X1 = std::min(X1, FRight) - FLeft;
  if (X0 >= X1) return;
  if (FPixels != nullptr) {
    FillPixels(FPixels + Y * FPixelStride + FLeft + X0, size_t(X1 - X0), FValue);
    return;
  }
  // From here on every value is a non-negative offset into the bits.
  uint64_t* row = FBits.data() + size_t(Y - FTop) * FStride;
  const uint64_t from = uint64_t(X0), to = uint64_t(X1 - 1);
  const size_t first = from / 64, last = to / 64;
  const uint64_t head = ~uint64_t(0) << (from % 64), tail = ~uint64_t(0) >> (63 - to % 64);
  if (first == last) {
    row[first] |= head & tail;
    return;
  }
  row[first] |= head;
  for (size_t w = first + 1; w < last; ++w) row[w] = ~uint64_t(0);
  row[last] |= tail;
}

// The columns and rows the masks go to, and the bits they are put into
// when traced: a copy of the layout, which the writes to the bits cannot be
// taken to change as they could the members (64-bit integers like the
// bits).
struct TWidePenScan::TMaskTarget {
  uint64_t* Bits;
  size_t Stride;
  int64_t Left;
  int64_t Top;
  int64_t Columns;
  int64_t Rows;

  // Whether Mask at P lies wholly within the traced columns and rows.
  bool Fits(TPoint P, const TMask& Mask) const {
    const int64_t x = P.x + Mask.Left - Left, y = P.y + Mask.Top - Top;
    return x >= 0 && x + Mask.Width <= Columns && y >= 0 && y + int64_t(Mask.Rows.size()) <= Rows;
  }
  // Whether Mask at P lies wholly outside them.
  bool Misses(TPoint P, const TMask& Mask) const {
    const int64_t x = P.x + Mask.Left - Left, y = P.y + Mask.Top - Top;
    return x + Mask.Width <= 0 || x >= Columns || y + int64_t(Mask.Rows.size()) <= 0 || y >= Rows;
  }
  // Adds Mask at P, where it fits.
  void Put(TPoint P, const TMask& Mask) const {
    const uint64_t x = uint64_t(P.x + Mask.Left - Left), y = uint64_t(P.y + Mask.Top - Top);
    // Each row of the mask lands on two neighbouring words at most; the
    // padding word past each row takes the spill of the last one.
    const unsigned shift = unsigned(x % 64);
    uint64_t* word = Bits + y * Stride + x / 64;
    const uint64_t* const rows = Mask.Rows.data();
    const size_t count = Mask.Rows.size();
    if (int64_t(shift) + Mask.Width <= 64) {  // within one word
      for (size_t r = 0; r < count; ++r, word += Stride) word[0] |= rows[r] << shift;
      return;
    }
    for (size_t r = 0; r < count; ++r, word += Stride) {
      word[0] |= rows[r] << shift;
      word[1] |= rows[r] >> 1 >> (63 - shift);
    }
  }
};

template <class TPlace>
void TWidePenScan::AddPointSteps(std::span<const TPoint> Points, bool Closed, TPlace&& Place) {
  // Point i carries its disc and the segment to point i + 1 (the last one,
  // on a closed path of three or more points, the segment back to the
  // first): a step to a neighbour is a mask of both, anything longer a
  // quadrangle of its own.
  const size_t count = Points.size();
  if (count == 0) return;
  // A run that turns back (see ForDiscRuns) has its discs swept over its
  // box, which the masks leave out. It steps along a row or column and
  // straight back, so runs are looked for only in a path where a step to a
  // neighbour undoes the last one that moved.
  int64_t lastDx = 0, lastDy = 0;
  bool undone = false;
  const auto step = [&](TPoint P, TPoint Q) {
    const int64_t dx = int64_t(Q.x) - P.x, dy = int64_t(Q.y) - P.y;
    const bool neighbour = IsNeighbourStep(P, Q);
    if (!Place(P, neighbour ? size_t(3 * (dy + 1) + dx + 1) : kNoStep)) {
      // Near the clip edges: the pieces one by one.
      AddDiscs(P.x, P.y, P.x, P.y);
      if (neighbour) AddSegment(P, Q);
    }
    if (!neighbour) AddSegment(P, Q);
    const bool moves = dx != 0 || dy != 0;
    undone = undone || (neighbour && moves && dx == -lastDx && dy == -lastDy);
    lastDx = moves ? dx : lastDx;
    lastDy = moves ? dy : lastDy;
  };
  for (size_t i = 0; i + 1 < count; ++i) step(Points[i], Points[i + 1]);
  step(Points[count - 1], Closed && count > 2 ? Points[0] : Points[count - 1]);
  if (!undone) return;
  ForDiscRuns(Points, [&](int64_t X0, int64_t Y0, int64_t X1, int64_t Y1) {
    if (X0 < X1 && Y0 < Y1) AddDiscs(X0, Y0, X1, Y1);
  });
}

void TWidePenScan::Begin(std::span<const TPoint> Points, bool Closed, int64_t Width, std::span<const TSpan> Disc,
                         int64_t ClipWidth, int64_t ClipTop, int64_t ClipBottom) {
  Prepare(Width, Disc);
  // Every piece lies within the width of the path's points.
  const TPathBounds bounds(Points);
  FLeft = std::max<int64_t>(std::min<int64_t>(ClipWidth, bounds.MinX - Width), 0) & ~int64_t(63);
  FRight = std::min<int64_t>(std::max<int64_t>(0, bounds.MaxX + Width + 1), ClipWidth);
  FTop = std::max<int64_t>(std::min<int64_t>(ClipBottom, bounds.MinY - Width), ClipTop);
  FBottom = std::min<int64_t>(std::max<int64_t>(ClipTop, bounds.MaxY + Width + 1), ClipBottom);
  if (FLeft >= FRight || FTop >= FBottom) {
    FTop = FBottom = 0;
    return;
  }
  FWords = size_t(FRight - FLeft + 63) / 64;
  FStride = FWords + 1;
  FBits.assign(FStride * size_t(FBottom - FTop), 0);
  if (FStamps != nullptr && FStamps->Masked) {
    // When the masks at the extreme coordinates fit, so do all the others.
    const TStamps& stamps = *FStamps;
    const bool fit = bounds.MinX + stamps.ReachLeft >= FLeft && bounds.MaxX + stamps.ReachRight <= FRight &&
                     bounds.MinY + stamps.ReachTop >= FTop && bounds.MaxY + stamps.ReachBottom <= FBottom;
    const TMaskTarget target{FBits.data(), FStride, FLeft, FTop, FRight - FLeft, FBottom - FTop};
    AddPointSteps(Points, Closed, [&](TPoint P, size_t Step) {
      const TMask& mask = stamps.Steps[Step];
      if (!fit && !target.Fits(P, mask)) return false;
      target.Put(P, mask);
      return true;
    });
    return;
  }
  ForDiscRuns(Points, [&](int64_t X0, int64_t Y0, int64_t X1, int64_t Y1) { AddDiscs(X0, Y0, X1, Y1); });
  for (size_t i = 1; i < Points.size(); ++i) AddSegment(Points[i - 1], Points[i]);
  if (Closed && Points.size() > 2) AddSegment(Points.back(), Points.front());
}

bool TWidePenScan::Paint(std::span<const TPoint> Points, bool Closed, int64_t Width, std::span<const TSpan> Disc,
                         const TSurface& Surface, uint32_t Value) {
  Prepare(Width, Disc);
  if (FStamps == nullptr || !FStamps->Masked || FStamps->PixelCount == 0) return false;
  TStamps& stamps = *FStamps;
  if (stamps.OffsetStride != Surface.Stride) {
    stamps.Offsets.clear();
    for (const TPoint p : stamps.Pixels) stamps.Offsets.push_back(p.y * Surface.Stride + p.x);
    stamps.OffsetStride = Surface.Stride;
  }
  FPixels = Surface.Bits;
  FPixelStride = Surface.Stride;
  FValue = Value;
  FLeft = 0;
  FRight = Surface.Width;
  FTop = Surface.Top();
  FBottom = Surface.Bottom();
  const size_t count = stamps.PixelCount;
  const std::ptrdiff_t* const offsets = stamps.Offsets.data();
  const auto stamp = [&](TPoint P, size_t Step) {
    uint32_t* const at = Surface.Row(P.y) + P.x;
    const std::ptrdiff_t* const pixels = offsets + Step * count;
    for (size_t k = 0; k < count; k += 4) {
      at[pixels[k]] = Value;
      at[pixels[k + 1]] = Value;
      at[pixels[k + 2]] = Value;
      at[pixels[k + 3]] = Value;
    }
  };
  // Every piece lies within the width of the path's points, every mask
  // within its reach: when those lie on the surface, no mask needs to be
  // checked.
  const TPathBounds bounds(Points);
  const int64_t reach = std::max({Width, -stamps.ReachLeft, -stamps.ReachTop, stamps.ReachRight, stamps.ReachBottom});
  if (bounds.MinX - reach >= FLeft && bounds.MaxX + reach < FRight && bounds.MinY - reach >= FTop &&
      bounds.MaxY + reach < FBottom) {
    AddPointSteps(Points, Closed, [&](TPoint P, size_t Step) {
      stamp(P, Step);
      return true;
    });
  } else {
    const TMaskTarget surface{nullptr, 0, FLeft, FTop, FRight - FLeft, FBottom - FTop};
    // A mask wholly off the surface leaves nothing to paint.
    AddPointSteps(Points, Closed, [&](TPoint P, size_t Step) {
      const TMask& mask = stamps.Steps[Step];
      if (!surface.Fits(P, mask)) return surface.Misses(P, mask);
      stamp(P, Step);
      return true;
    });
  }
  FPixels = nullptr;
  FTop = FBottom = 0;
  return true;
}

void TWidePenScan::PrepareStamps() {
  constexpr size_t kWidthsKept = 16;
  FStamps = nullptr;
  if (FDisc.empty()) return;
  for (TStamps& set : FStampSets) {
    if (set.Width == FWidth) FStamps = &set;
  }
  if (FStamps != nullptr) return;
  if (FStampSets.size() == kWidthsKept) FStampSets.clear();
  TStamps& set = FStampSets.emplace_back();
  set.Width = FWidth;
  for (size_t s = 0; s < 4; ++s) {
    const std::array<int64_t, 8> quad = SlantedQuad({0, 0}, {s & 1 ? -1 : 1, s & 2 ? -1 : 1}, FWidth);
    set.Tops[s] = std::min({quad[1], quad[3], quad[5], quad[7]});
    ForQuadRows(quad, set.Tops[s], std::numeric_limits<int64_t>::max(), FBounds, [&](int64_t, int64_t X0, int64_t X1) {
      set.Rows[s].push_back(X0 < X1 ? TSpan{X0, X1} : TSpan{});
    });
  }
  // The masks of a point's disc and its step to each neighbour, as pieces
  // (row, columns) relative to the point.
  std::vector<std::pair<int64_t, TSpan>> pieces;
  set.Masked = true;
  for (int64_t dy = -1; dy <= 1; ++dy) {
    for (int64_t dx = -1; dx <= 1; ++dx) {
      pieces.clear();
      for (int64_t r = 0; r < FWidth; ++r) {
        const TSpan row = FDisc[size_t(r)];
        pieces.push_back({r - FWidth / 2, {row.X0 - FWidth / 2, row.X1 - FWidth / 2}});
      }
      if (dx != 0 && dy != 0) {
        // An axis step adds nothing to the discs at its ends, whose middle
        // row and column span the whole width.
        const size_t s = (dx < 0 ? 1 : 0) + (dy < 0 ? 2 : 0);
        for (size_t r = 0; r < set.Rows[s].size(); ++r) pieces.push_back({set.Tops[s] + int64_t(r), set.Rows[s][r]});
      }
      set.Masked = BuildMask(pieces, set.Steps[size_t(3 * (dy + 1) + dx + 1)]) && set.Masked;
    }
  }
  if (set.Masked) set.ListPixels();
  for (const TMask& mask : set.Steps) {
    set.ReachLeft = std::min(set.ReachLeft, mask.Left);
    set.ReachTop = std::min(set.ReachTop, mask.Top);
    set.ReachRight = std::max(set.ReachRight, mask.Left + mask.Width);
    set.ReachBottom = std::max(set.ReachBottom, mask.Top + int64_t(mask.Rows.size()));
  }
  FStamps = &set;
}

void TWidePenScan::TStamps::ListPixels() {
  size_t most = 0;
  for (const TMask& mask : Steps) {
    size_t pixels = 0;
    for (uint64_t row : mask.Rows) pixels += size_t(std::popcount(row));
    most = std::max(most, pixels);
  }
  if (most > kMostStampPixels) return;
  // Stamps are set four pixels at a time.
  most = (most + 3) / 4 * 4;
  for (const TMask& mask : Steps) {
    const size_t first = Pixels.size();
    for (size_t r = 0; r < mask.Rows.size(); ++r) {
      for (uint64_t bits = mask.Rows[r]; bits != 0; bits &= bits - 1)
        Pixels.push_back({int32_t(mask.Left + std::countr_zero(bits)), int32_t(mask.Top + int64_t(r))});
    }
    const TPoint last = Pixels.back();  // a copy: the growth may move the pixels
    Pixels.resize(first + most, last);
  }
  PixelCount = most;
}

bool TWidePenScan::BuildMask(std::span<const std::pair<int64_t, TSpan>> Pieces, TMask& Mask) {
  int64_t top = std::numeric_limits<int64_t>::max(), bottom = std::numeric_limits<int64_t>::min();
  int64_t left = std::numeric_limits<int64_t>::max(), right = std::numeric_limits<int64_t>::min();
  for (const auto& [row, span] : Pieces) {
    if (span.X0 >= span.X1) continue;
    top = std::min(top, row);
    bottom = std::max(bottom, row + 1);
    left = std::min(left, span.X0);
    right = std::max(right, span.X1);
  }
  if (top >= bottom || right - left > 64) return false;
  Mask.Left = left;
  Mask.Top = top;
  Mask.Width = right - left;
  Mask.Rows.assign(size_t(bottom - top), 0);
  for (const auto& [row, span] : Pieces) {
    if (span.X0 >= span.X1) continue;
    const uint64_t ones = ~uint64_t(0) >> (64 - (span.X1 - span.X0));
    Mask.Rows[size_t(row - top)] |= ones << (span.X0 - left);
  }
  return true;
}

void TWidePenScan::AddDiscs(int64_t X0, int64_t Y0, int64_t X1, int64_t Y1) {
  // Row y takes, of the disc rows that fall on it, the one nearest the
  // widest row: that is the widest, the disc being convex and symmetric.
  const int64_t left = X0 - FWidth / 2, top = Y0 - FWidth / 2, rise = Y1 - Y0;
  for (int64_t y = std::max(top, FTop); y < std::min(top + FWidth + rise, FBottom); ++y) {
    const int64_t r = std::clamp(FDiscWidest, std::max<int64_t>(y - top - rise, 0), std::min(y - top, FWidth - 1));
    const TSpan row = DiscRow(r);
    if (row.X0 < row.X1) CoverRow(y, left + row.X0, left + (X1 - X0) + row.X1);
  }
}

void TWidePenScan::AddRows(int64_t Top, std::span<const TSpan> Rows, int64_t Left) {
  const int64_t first = std::max(Top, FTop), last = std::min(Top + int64_t(Rows.size()), FBottom);
  for (int64_t y = first; y < last; ++y) {
    const TSpan& row = Rows[size_t(y - Top)];
    CoverRow(y, Left + row.X0, Left + row.X1);
  }
}

void TWidePenScan::Cover(int64_t Y0, int64_t Y1, int64_t X0, int64_t X1) {
  X0 = std::max(X0, FLeft) - FLeft;
  X1 = std::min(X1, FRight) - FLeft;
  Y0 = std::max(Y0, FTop) - FTop;
  Y1 = std::min(Y1, FBottom) - FTop;
  if (X0 >= X1 || Y0 >= Y1) return;
  if (FPixels != nullptr) {
    for (int64_t y = Y0; y < Y1; ++y)
      FillPixels(FPixels + (FTop + y) * FPixelStride + FLeft + X0, size_t(X1 - X0), FValue);
    return;
  }
  // From here on every value is a non-negative offset into the bits.
  const uint64_t from = uint64_t(X0), to = uint64_t(X1 - 1);
  const size_t first = from / 64, last = to / 64;
  const uint64_t head = ~uint64_t(0) << (from % 64), tail = ~uint64_t(0) >> (63 - to % 64);
  uint64_t* row = FBits.data() + size_t(Y0) * FStride;
  const uint64_t* const end = row + size_t(Y1 - Y0) * FStride;
  if (first == last) {
    for (; row != end; row += FStride) row[first] |= head & tail;
    return;
  }
  for (; row != end; row += FStride) {
    row[first] |= head;
    for (size_t w = first + 1; w < last; ++w) row[w] = ~uint64_t(0);
    row[last] |= tail;
  }
}

void TWidePenScan::Row(int64_t Y, TSpanList& Out) const {
  // Looking for the next set bit outside a span and the next clear bit
  // inside one: Pending holds the bits of the word from there on, those
  // inside a span inverted, so its lowest set bit is the next change.
  Out.clear();
  const uint64_t* row = FBits.data() + size_t(Y - FTop) * FStride;
  bool inside = false;
  for (size_t w = 0; w < FWords; ++w) {
    const int64_t base = FLeft + int64_t(w) * 64;
    uint64_t pending = inside ? ~row[w] : row[w];
    while (pending != 0) {
      const int at = std::countr_zero(pending);
      if (inside) {
        Out.back().X1 = base + at;
      } else {
        Out.push_back({base + at, base + at});
      }
      inside = !inside;
      pending = ~pending & (~uint64_t(0) << at);
    }
  }
  // A span reaching the last word's end ends at the clip edge.
  if (inside) Out.back().X1 = FLeft + int64_t(FWords) * 64;
}

void TWidePenScan::AddSegment(TPoint A, TPoint B) {
  const int64_t dx = int64_t(B.x) - A.x, dy = int64_t(B.y) - A.y;
  const int64_t half = FWidth / 2;
  // A unit step along an axis adds nothing to the discs at its ends, whose
  // middle row and column span the whole width.
  if (std::llabs(dx) + std::llabs(dy) <= 1) return;
  if (dy == 0) {
    const int64_t t = A.y - half;
    Cover(t, t + FWidth, std::min(A.x, B.x), std::max(A.x, B.x));
  } else if (dx == 0) {
    const int64_t l = A.x - half;
    Cover(std::min(A.y, B.y), std::max(A.y, B.y), l, l + FWidth);
  } else if (FStamps != nullptr && std::llabs(dx) == 1 && std::llabs(dy) == 1) {
    const size_t s = (dx < 0 ? 1 : 0) + (dy < 0 ? 2 : 0);
    AddRows(A.y + FStamps->Tops[s], FStamps->Rows[s], A.x);
  } else {
    ForQuadRows(SlantedQuad(A, B, FWidth), FTop, FBottom, FBounds,
                [&](int64_t Y, int64_t X0, int64_t X1) { CoverRow(Y, X0, X1); });
  }
}

TSpan TWidePenScan::DiscRow(int64_t R) const {
  if (!FDisc.empty()) return FDisc[size_t(R)];
  const double radius = double(FWidth) / 2, centre = double(FWidth - 1) / 2;
  const double d = double(R) - centre;
  const double h2 = radius * radius - d * d;
  if (h2 < 0) return {};
  const double h = std::sqrt(h2);
  return {int64_t(std::ceil(centre - h)), int64_t(std::floor(centre + h)) + 1};
}
