// The region a wide pen covers along a path, traced into bits or painted
// straight onto a surface (TWidePenScan in RasterScan.h).
#include "canvas/RasterScan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

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
