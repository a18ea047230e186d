#include "canvas/RasterScan.h"

#include <algorithm>
#include <bit>
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
  // Curve outlines are chains of steps to neighbours: those are plotted here
  // through copies of the surface's layout, of the pen and of the phase,
  // which the pixel writes cannot be taken to change.
  const TSurface surface = Surface;
  const TPenPaint pen = Pen;
  uint32_t phase = 0;
  const auto segment = [&](TPoint A, TPoint B) {
    if (A == B) return;
    if (IsNeighbourStep(A, B)) {
      PlotStepStart(surface, A, pen, phase);
      return;
    }
    uint32_t segmentPhase = phase;
    DrawThinSegment(Surface, A, B, Pen, segmentPhase);
    phase = segmentPhase;
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
