#include "canvas/RasterCurves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "canvas/RasterMath.h"

namespace {

// Corner ellipses up to this size are traced exactly, pixel by pixel; larger
// ones only near the viewport, where a piece of the curve is split until it
// stays within a quarter pixel of its chord.
constexpr int64_t kExactLimit = 4096;
constexpr double kFlatness = 0.25;
constexpr int kMaxDepth = 48;

// The quarter of a W x H ellipse inscribed in [0, W - 1] x [0, H - 1] from
// (W - 1, H / 2) to (W / 2, H - 1), traced with the integer midpoint method
// of A. Zingl ("A Rasterizing Algorithm for Drawing Curves", 2012).
void ExactQuarter(int64_t W, int64_t H, std::vector<TOffset64>& Out) {
  const int64_t a = W - 1, b = H - 1;
  const int64_t asq = 8 * a * a, bsq = 8 * b * b;
  int64_t dx = 4 * b * b * (1 - a);
  int64_t dy = 4 * a * a * (1 + b % 2);
  int64_t err = dx + dy + a * a * (b % 2);
  int64_t x = a, y = H / 2;
  while (x >= W / 2) {
    Out.push_back({x, y});
    const int64_t e2 = 2 * err;
    if (e2 >= dx) {
      --x;
      dx += bsq;
      err += dx;
    }
    if (e2 <= dy) {
      ++y;
      dy += asq;
      err += dy;
    }
  }
  // An ellipse one or two pixels wide stops before reaching its tip.
  if (W <= 2) {
    for (auto tip = Out.back(); tip.Y < b;) {
      ++tip.Y;
      Out.push_back(tip);
    }
  }
}

struct TBoxD {
  double X0, Y0, X1, Y1;
  bool Meets(const TBoxD& O) const { return X0 <= O.X1 && O.X0 <= X1 && Y0 <= O.Y1 && O.Y0 <= Y1; }
};

class TApproxQuarter {
 public:
  TApproxQuarter(int64_t W, int64_t H, std::span<const TBoxD> Views, std::vector<TOffset64>& Out)
      : FW(W), FH(H), FRx(double(W - 1) / 2), FRy(double(H - 1) / 2), FViews(Views), FOut(Out) {
    Refine(0, std::numbers::pi / 2, 0);
    Emit(std::numbers::pi / 2);
  }

 private:
  double X(double T) const { return FRx + FRx * std::cos(T); }
  double Y(double T) const { return FRy + FRy * std::sin(T); }

  void Refine(double T0, double T1, int Depth) {
    const TBoxD piece{X(T1), Y(T0), X(T0), Y(T1)};
    const bool near = std::any_of(FViews.begin(), FViews.end(), [&](const TBoxD& v) { return v.Meets(piece); });
    const double step = T1 - T0;
    const double sagitta = std::max(FRx, FRy) * step * step / 8;
    if (!near || sagitta < kFlatness || Depth >= kMaxDepth) {
      Emit(T0);
      return;
    }
    Refine(T0, T0 + step / 2, Depth + 1);
    Refine(T0 + step / 2, T1, Depth + 1);
  }

  void Emit(double T) {
    const int64_t x = std::clamp<int64_t>(std::llround(X(T)), FW / 2, FW - 1);
    const int64_t y = std::clamp<int64_t>(std::llround(Y(T)), FH / 2, FH - 1);
    if (FOut.empty() || FOut.back().X != x || FOut.back().Y != y) FOut.push_back({x, y});
  }

  int64_t FW, FH;
  double FRx, FRy;
  std::span<const TBoxD> FViews;
  std::vector<TOffset64>& FOut;
};

// Where each quadrant's copy of the quarter goes on screen:
// (Ox + Sx * X, Oy + Sy * Y), in the order top-right, top-left, bottom-left,
// bottom-right.
struct TPlacement {
  int64_t Ox, Oy, Sx, Sy;
};

std::array<TPlacement, 4> Placements(const TCurveBox& B) {
  const int64_t right = B.Right - B.CornerW, left = B.Left + B.CornerW - 1;
  const int64_t top = B.Top + B.CornerH - 1, bottom = B.Bottom - B.CornerH;
  return {{{right, top, 1, -1}, {left, top, -1, -1}, {left, bottom, -1, 1}, {right, bottom, 1, 1}}};
}

TBoxD ToQuarterSpace(const TViewport& V, const TPlacement& P) {
  const double x0 = (V.Left - double(P.Ox)) * double(P.Sx), x1 = (V.Right - double(P.Ox)) * double(P.Sx);
  const double y0 = (V.Top - double(P.Oy)) * double(P.Sy), y1 = (V.Bottom - double(P.Oy)) * double(P.Sy);
  return {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

}  // namespace

void TCurveChain::Build(const TCurveBox& Box, const TViewport& View) {
  const int64_t cw = Box.CornerW, ch = Box.CornerH;
  const std::array<TPlacement, 4> places = Placements(Box);
  FQuarter.clear();
  FBox = Box;
  FExact = cw <= kExactLimit && ch <= kExactLimit;
  if (FExact) {
    ExactQuarter(cw, ch, FQuarter);
  } else {
    std::array<TBoxD, 4> views;
    for (size_t q = 0; q < 4; ++q) views[q] = ToQuarterSpace(View, places[q]);
    TApproxQuarter(cw, ch, views, FQuarter);
  }
  const size_t n = FQuarter.size();
  FPoints.resize(4 * n);
  for (size_t i = 0; i < n; ++i) {
    const int64_t x = FQuarter[i].X, y = FQuarter[i].Y;
    // Each quadrant runs counter-clockwise: the quarter forwards in the
    // top-right and bottom-left corners, backwards in the other two.
    const size_t index[4] = {i, 2 * n - 1 - i, 2 * n + i, 4 * n - 1 - i};
    for (size_t q = 0; q < 4; ++q) {
      const TPlacement& p = places[q];
      FPoints[index[q]] = {int32_t(p.Ox + p.Sx * x), int32_t(p.Oy + p.Sy * y)};
    }
    FQuarter[i] = {x - cw / 2, y - ch / 2};
  }
  FCentre = {int32_t(Box.Left + (Box.Right - Box.Left) / 2), int32_t(Box.Top + (Box.Bottom - Box.Top) / 2)};
}

bool TCurveChain::AccumulateRows(int64_t Top, std::vector<TSpan>& Rows) const {
  if (!FExact || FQuarter.empty()) return false;
  // The outline of a single pixel steps nowhere and lights nothing.
  if (FBox.Right - FBox.Left == 1 && FBox.Bottom - FBox.Top == 1) return true;
  const int64_t cw = FBox.CornerW, ch = FBox.CornerH;
  const int64_t last = Top + int64_t(Rows.size());
  const auto widen = [&](int64_t Y, int64_t X0, int64_t X1) {
    if (Y < Top || Y >= last) return;
    TSpan& row = Rows[size_t(Y - Top)];
    row.X0 = std::min(row.X0, X0);
    row.X1 = std::max(row.X1, X1);
  };
  // Every position of the closed outline is lit, and so is every pixel of
  // the straight runs between the corners. A row of the corners spans from
  // the quarter's point furthest out on it (its first: x falls along the
  // quarter) in a left corner to its mirror image in a right corner; the
  // runs across the top and bottom rows lie between those. The placements
  // are those of Build.
  const int64_t right = FBox.Right - cw, left = FBox.Left + cw - 1;
  const int64_t top = FBox.Top + ch - 1, bottom = FBox.Bottom - ch;
  int64_t y = std::numeric_limits<int64_t>::min();
  for (const TOffset64& q : FQuarter) {
    if (q.Y + ch / 2 == y) continue;
    y = q.Y + ch / 2;
    const int64_t x = q.X + cw / 2;
    widen(top - y, left - x, right + x + 1);
    widen(bottom + y, left - x, right + x + 1);
  }
  // The rows between the corners hold the runs down the left and right
  // sides.
  for (int64_t r = std::max(top - ch / 2 + 1, Top); r < std::min(bottom + ch / 2, last); ++r)
    widen(r, FBox.Left, FBox.Right);
  return true;
}

size_t TCurveChain::FindRay(int64_t Rx, int64_t Ry) const {
  const size_t n = FQuarter.size();
  const size_t quadrant = Ry >= 0 ? (Rx >= 0 ? 0 : 1) : (Rx < 0 ? 2 : 3);
  // The quadrant runs forwards through the quarter in the top-right and
  // bottom-left corners, backwards in the others; x is mirrored on the
  // left, y at the bottom.
  const bool forwards = quadrant % 2 == 0;
  const int64_t sx = quadrant == 0 || quadrant == 3 ? 1 : -1;
  const int64_t sy = quadrant <= 1 ? 1 : -1;
  for (size_t k = 0; k < n; ++k) {
    const TOffset64 v = FQuarter[forwards ? k : n - 1 - k];
    if (int128_t(Rx) * (sy * v.Y) - int128_t(Ry) * (sx * v.X) >= 0) return quadrant * n + k;
  }
  return (quadrant + 1) * n;
}

void TCurveChain::AppendArc(TPoint Start, TPoint End, std::vector<TPoint>& Out) const {
  const size_t count = FPoints.size();
  if (count == 0) return;
  const int64_t sx = int64_t(Start.x) - FCentre.x, sy = int64_t(FCentre.y) - Start.y;
  const int64_t ex = int64_t(End.x) - FCentre.x, ey = int64_t(FCentre.y) - End.y;
  const size_t from = FindRay(sx, sy) % count;
  size_t to = FindRay(ex, ey) % count;
  if (to <= from) to += count;
  if (!FExact) Out.push_back(Crossing(sx, sy));
  // Positions [from, to) of the closed chain, wrapping past its end.
  Out.insert(Out.end(), FPoints.begin() + std::ptrdiff_t(from), FPoints.begin() + std::ptrdiff_t(std::min(to, count)));
  if (to > count) Out.insert(Out.end(), FPoints.begin(), FPoints.begin() + std::ptrdiff_t(to - count));
  if (!FExact) Out.push_back(Crossing(ex, ey));
}

TPoint TCurveChain::Crossing(int64_t Rx, int64_t Ry) const {
  const double a = std::max(double(FBox.Right - FBox.Left - 1) / 2, 0.5);
  const double b = std::max(double(FBox.Bottom - FBox.Top - 1) / 2, 0.5);
  const double x = Rx == 0 && Ry == 0 ? 1 : double(Rx), y = double(Ry);
  const double scale = 1 / std::hypot(x / a, y / b);
  const auto clamp = [](double v, int64_t lo, int64_t hi) {
    return int32_t(std::clamp<int64_t>(std::llround(v), lo, hi));
  };
  return {clamp(double(FBox.Left) + a + x * scale, FBox.Left, FBox.Right - 1),
          clamp(double(FBox.Top) + b - y * scale, FBox.Top, FBox.Bottom - 1)};
}
