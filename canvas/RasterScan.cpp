#include "canvas/RasterScan.h"

#include <algorithm>
#include <cmath>
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
    if (D == 0) return U <= 0 ? 0 : N;
    return std::max<int64_t>(0, CeilDiv(int128_t(2 * N) * U - N + Bias, 2 * D));
  }
  // Steps K in [Lo, Hi] whose major coordinate lies in [0, Limit).
  void ClipMajor(int64_t Limit, int64_t& Lo, int64_t& Hi) const {
    if (MajorStep > 0) {
      Lo = std::max<int64_t>(0, -Major0);
      Hi = std::min<int64_t>(N - 1, Limit - 1 - Major0);
    } else {
      Lo = std::max<int64_t>(0, Major0 - (Limit - 1));
      Hi = std::min<int64_t>(N - 1, Major0);
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

bool OutsideSurface(const TSurface& S, TPoint A, TPoint B) {
  return std::max(A.x, B.x) < 0 || std::min(A.x, B.x) >= S.Width || std::max(A.y, B.y) < 0 ||
         std::min(A.y, B.y) >= S.Height;
}

void WidenRow(std::vector<TSpan>& Rows, int64_t Index, int64_t X0, int64_t X1) {
  TSpan& row = Rows[size_t(Index)];
  row.X0 = std::min(row.X0, std::min(X0, X1));
  row.X1 = std::max(row.X1, std::max(X0, X1) + 1);
}

void AccumulateSegmentRows(TPoint A, TPoint B, int32_t Top, std::vector<TSpan>& Rows) {
  const TLine line(A, B);
  if (line.N == 0) return;
  const int64_t rows = int64_t(Rows.size());
  if (!line.XMajor) {
    // One pixel per row: the rows are the major coordinates.
    int64_t lo = 0, hi = 0;
    TLine shifted = line;
    shifted.Major0 -= Top;
    shifted.ClipMajor(rows, lo, hi);
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

}  // namespace

void DrawThinSegment(const TSurface& Surface, TPoint A, TPoint B, const TPenPaint& Pen, uint32_t& Phase) {
  const TLine line(A, B);
  if (line.N == 0) return;
  const uint32_t startPhase = Phase;
  Phase = uint32_t((uint64_t(Phase) + uint64_t(line.N)) % Pen.Period);
  if (OutsideSurface(Surface, A, B)) return;

  int64_t lo = 0, hi = 0;
  line.ClipMajor(line.XMajor ? Surface.Width : Surface.Height, lo, hi);
  if (lo > hi) return;
  const int64_t minorLimit = line.XMajor ? Surface.Height : Surface.Width;
  uint32_t phase = uint32_t((uint64_t(startPhase) + uint64_t(lo)) % Pen.Period);
  TOffsetWalk walk(line, lo);
  for (int64_t k = lo; k <= hi; ++k, walk.Step()) {
    const int64_t major = line.Major0 + line.MajorStep * k;
    const int64_t minor = line.Minor0 + line.MinorStep * walk.U;
    if (minor >= 0 && minor < minorLimit) {
      const int32_t x = int32_t(line.XMajor ? major : minor);
      const int32_t y = int32_t(line.XMajor ? minor : major);
      uint32_t& pixel = Surface.Row(y)[x];
      pixel = ((Pen.Mask >> phase) & 1u ? Pen.Fore : Pen.Back).Apply(pixel);
    }
    if (++phase == Pen.Period) phase = 0;
  }
}

void DrawThinPath(const TSurface& Surface, std::span<const TPoint> Points, bool Closed, const TPenPaint& Pen) {
  uint32_t phase = 0;
  for (size_t i = 1; i < Points.size(); ++i) DrawThinSegment(Surface, Points[i - 1], Points[i], Pen, phase);
  if (Closed && Points.size() > 1) DrawThinSegment(Surface, Points.back(), Points.front(), Pen, phase);
}

void AccumulatePathRows(std::span<const TPoint> Points, bool Closed, int32_t Top, std::vector<TSpan>& Rows) {
  for (size_t i = 1; i < Points.size(); ++i) AccumulateSegmentRows(Points[i - 1], Points[i], Top, Rows);
  if (Closed && Points.size() > 1) AccumulateSegmentRows(Points.back(), Points.front(), Top, Rows);
}

void TPolygonScan::Begin(std::span<const TPoint> Points) {
  FEdges.clear();
  FTop = std::numeric_limits<int64_t>::max();
  FBottom = std::numeric_limits<int64_t>::min();
  for (size_t i = 0; i < Points.size(); ++i) {
    TPoint a = Points[i];
    TPoint b = Points[(i + 1) % Points.size()];
    if (a.y == b.y) continue;
    if (a.y > b.y) std::swap(a, b);
    TEdge edge{};
    edge.YStart = a.y;
    edge.YEnd = b.y;
    edge.X0 = a.x;
    edge.Dx = int64_t(b.x) - a.x;
    edge.Dy = int64_t(b.y) - a.y;
    edge.StepX = FloorDiv(edge.Dx, edge.Dy);
    edge.StepRem = edge.Dx - edge.StepX * edge.Dy;
    FEdges.push_back(edge);
    FTop = std::min(FTop, edge.YStart);
    FBottom = std::max(FBottom, edge.YEnd);
  }
  if (FEdges.empty()) FTop = FBottom = 0;
  std::sort(FEdges.begin(), FEdges.end(), [](const TEdge& a, const TEdge& b) { return a.YStart < b.YStart; });
  Seek(FTop);
}

void TPolygonScan::Seek(int64_t Row) {
  FActive.clear();
  FNext = 0;
  FRow = Row;
}

void TPolygonScan::Activate(TEdge& Edge, int64_t Row) const {
  // Crossing on Row: ceil((X0 * Dy + Dx * (Row - YStart)) / Dy).
  const int128_t t = int128_t(Edge.X0) * Edge.Dy + int128_t(Edge.Dx) * (Row - Edge.YStart) + Edge.Dy - 1;
  Edge.X = FloorDiv(t, Edge.Dy);
  Edge.Rem = int64_t(t - int128_t(Edge.X) * Edge.Dy);
}

void TPolygonScan::NextRow(TSpanList& Out) {
  Out.clear();
  for (; FNext < FEdges.size() && FEdges[FNext].YStart <= FRow; ++FNext) {
    if (FEdges[FNext].YEnd <= FRow) continue;
    Activate(FEdges[FNext], FRow);
    FActive.push_back(FNext);
  }
  std::erase_if(FActive, [&](size_t e) { return FEdges[e].YEnd <= FRow; });
  FCrossings.clear();
  for (size_t e : FActive) {
    TEdge& edge = FEdges[e];
    FCrossings.push_back(edge.X);
    edge.X += edge.StepX;
    edge.Rem += edge.StepRem;
    if (edge.Rem >= edge.Dy) {
      edge.Rem -= edge.Dy;
      ++edge.X;
    }
  }
  std::sort(FCrossings.begin(), FCrossings.end());
  for (size_t i = 1; i < FCrossings.size(); i += 2) {
    if (FCrossings[i - 1] < FCrossings[i]) Out.push_back({FCrossings[i - 1], FCrossings[i]});
  }
  ++FRow;
}

void TWidePenScan::Begin(std::span<const TPoint> Points, bool Closed, int64_t Width, std::span<const TSpan> Disc,
                         int64_t ClipTop, int64_t ClipBottom) {
  FPieces.clear();
  FActive.clear();
  FWidth = Width;
  FDisc = Disc;
  FClipTop = ClipTop;
  FClipBottom = ClipBottom;
  for (size_t i = 0; i < Points.size(); ++i) {
    if (i == 0 || !(Points[i] == Points[i - 1])) AddDisc(Points[i]);
  }
  for (size_t i = 1; i < Points.size(); ++i) AddSegment(Points[i - 1], Points[i]);
  if (Closed && Points.size() > 2) AddSegment(Points.back(), Points.front());
  SortByFirstRow();
}

void TWidePenScan::SortByFirstRow() {
  FTop = FClipBottom;
  FBottom = FClipTop;
  for (const TPiece& piece : FPieces) {
    FTop = std::min(FTop, std::max(piece.Top, FClipTop));
    FBottom = std::max(FBottom, std::min(piece.Bottom, FClipBottom));
  }
  if (FTop >= FBottom) {
    FTop = FBottom = FClipTop;
    FPieces.clear();
  }
  // Counting sort by the first row within the clip.
  FRowStarts.assign(size_t(FBottom - FTop) + 1, 0);
  for (const TPiece& piece : FPieces) ++FRowStarts[size_t(std::max(piece.Top, FTop) - FTop) + 1];
  for (size_t r = 1; r < FRowStarts.size(); ++r) FRowStarts[r] += FRowStarts[r - 1];
  FOrder.resize(FPieces.size());
  std::vector<size_t>& next = FActive;  // scratch until the first row
  next.assign(FRowStarts.begin(), FRowStarts.end() - 1);
  for (size_t i = 0; i < FPieces.size(); ++i) FOrder[next[size_t(std::max(FPieces[i].Top, FTop) - FTop)]++] = i;
  FActive.clear();
}

void TWidePenScan::AddDisc(TPoint Centre) {
  const int64_t left = Centre.x - FWidth / 2, top = Centre.y - FWidth / 2;
  if (top + FWidth > FClipTop && top < FClipBottom) FPieces.push_back({true, top, top + FWidth, {left, top}});
}

void TWidePenScan::AddSegment(TPoint A, TPoint B) {
  const int64_t dx = int64_t(B.x) - A.x, dy = int64_t(B.y) - A.y;
  const int64_t half = FWidth / 2;
  // A unit step along an axis adds nothing to the discs at its ends, whose
  // middle row and column span the whole width.
  if (std::llabs(dx) + std::llabs(dy) <= 1) return;
  if (dy == 0) {
    const int64_t l = std::min(A.x, B.x), r = std::max(A.x, B.x), t = A.y - half, b = t + FWidth;
    AddQuad({l, t, r, t, r, b, l, b});
    return;
  }
  if (dx == 0) {
    const int64_t l = A.x - half, r = l + FWidth, t = std::min(A.y, B.y), b = std::max(A.y, B.y);
    AddQuad({l, t, r, t, r, b, l, b});
    return;
  }
  // Across the segment the width splits into a narrow and a wide half in
  // each axis, rounded to whole pixels; the wide half lies on the side of
  // growing x.
  const double length = std::hypot(double(dx), double(dy));
  const double wx = double(FWidth) * double(std::llabs(dy)) / length;
  const double wy = double(FWidth) * double(std::llabs(dx)) / length;
  const auto round = [](double v) { return int64_t(std::floor(v + 0.5)); };
  const int64_t narrowX = round(wx / 2), wideX = round((wx + 1) / 2);
  const int64_t sy = (dx > 0) == (dy > 0) ? -1 : 1;  // y direction of that side
  const int64_t narrowY = sy * round(wy / 2), wideY = sy * round((wy + 1) / 2);
  AddQuad({A.x + wideX, A.y + wideY, A.x - narrowX, A.y - narrowY, B.x - narrowX, B.y - narrowY, B.x + wideX,
           B.y + wideY});
}

void TWidePenScan::AddQuad(std::array<int64_t, 8> P) {
  const int64_t top = std::min({P[1], P[3], P[5], P[7]});
  const int64_t bottom = std::max({P[1], P[3], P[5], P[7]});
  if (top < bottom && bottom > FClipTop && top < FClipBottom) FPieces.push_back({false, top, bottom, P});
}

void TWidePenScan::Row(int64_t Y, TSpanList& Out) {
  Out.clear();
  const size_t row = size_t(Y - FTop);
  for (size_t i = FRowStarts[row]; i < FRowStarts[row + 1]; ++i) FActive.push_back(FOrder[i]);
  std::erase_if(FActive, [&](size_t p) { return FPieces[p].Bottom <= Y; });
  for (size_t p : FActive) AddSpan(FPieces[p], Y, Out);
  NormalizeSpans(Out);
}

void TWidePenScan::AddSpan(const TPiece& Piece, int64_t Y, TSpanList& Out) const {
  if (Piece.IsDisc) {
    const int64_t left = Piece.P[0];
    if (!FDisc.empty()) {
      const TSpan& row = FDisc[size_t(Y - Piece.Top)];
      if (row.X0 < row.X1) Out.push_back({left + row.X0, left + row.X1});
      return;
    }
    const double radius = double(FWidth) / 2, centre = double(FWidth - 1) / 2;
    const double d = double(Y - Piece.Top) - centre;
    const double h2 = radius * radius - d * d;
    if (h2 < 0) return;
    const double h = std::sqrt(h2);
    Out.push_back({left + int64_t(std::ceil(centre - h)), left + int64_t(std::floor(centre + h)) + 1});
    return;
  }
  int64_t lo = std::numeric_limits<int64_t>::max(), hi = std::numeric_limits<int64_t>::min();
  for (size_t i = 0; i < 4; ++i) {
    int64_t x0 = Piece.P[2 * i], y0 = Piece.P[2 * i + 1];
    int64_t x1 = Piece.P[(2 * i + 2) % 8], y1 = Piece.P[(2 * i + 3) % 8];
    if (y0 == y1) continue;
    if (y0 > y1) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    if (Y < y0 || Y >= y1) continue;
    const int64_t x = CeilDiv(int128_t(x0) * (y1 - y0) + int128_t(x1 - x0) * (Y - y0), y1 - y0);
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  }
  if (lo < hi) Out.push_back({lo, hi});
}
