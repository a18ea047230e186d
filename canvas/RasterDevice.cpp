#include "canvas/RasterDevice.h"

#include <algorithm>
#include <limits>

#include "canvas/RasterMath.h"

namespace {

// Pens wider than this trace curves near the surface as if they were this
// wide; nothing visible changes, but the work stays bounded.
constexpr int64_t kMaxCurveMargin = int64_t(1) << 16;
// Round pen ends up to this width are traced like ellipses; wider ones are
// plain circles.
constexpr int64_t kMaxDiscTable = 4096;

// Source indices [J0, J1), in the axis's own order, that destination index
// I of Dst takes from Src: one centred pick when enlarging, every index that
// rounds down onto I when shrinking.
void SourceRange(int64_t I, int64_t Dst, int64_t Src, int64_t& J0, int64_t& J1) {
  if (Dst >= Src) {
    J0 = FloorDiv(int128_t(2 * I + 1) * Src, 2 * Dst);
    J1 = J0 + 1;
  } else {
    J0 = CeilDiv(int128_t(I) * Src, Dst);
    J1 = CeilDiv(int128_t(I + 1) * Src, Dst);
  }
}

// One axis of a stretch: destination pixels From + Dir * i for 0 <= i < Size,
// source pixels Start + SrcDir * j for 0 <= j < SrcSize. FromEnd matches
// them from the last pixel towards the first, as the classic stretch does
// with the rows of its bottom-up bitmaps.
struct TStretchAxis {
  int64_t From, Dir, Size;
  int64_t Start, SrcDir, SrcSize;
  bool FromEnd;

  TStretchAxis(int64_t X, int64_t W, int64_t XS, int64_t WS, bool Reverse)
      : From(X),
        Dir(W < 0 ? -1 : 1),
        Size(W < 0 ? -W : W),
        Start(XS),
        SrcDir(WS < 0 ? -1 : 1),
        SrcSize(WS < 0 ? -WS : WS),
        FromEnd(Reverse) {}

  int64_t First() const { return Dir > 0 ? From : From - Size + 1; }
  int64_t Last() const { return Dir > 0 ? From + Size - 1 : From; }

  // Source pixels [P0, P1) (picture coordinates, clipped to Limit) for
  // destination pixel D.
  void Sources(int64_t D, int64_t Limit, int64_t& P0, int64_t& P1) const {
    const int64_t i = (D - From) * Dir;
    int64_t j0 = 0, j1 = 0;
    if (FromEnd) {
      int64_t k0 = 0, k1 = 0;
      SourceRange(Size - 1 - i, Size, SrcSize, k0, k1);
      j0 = SrcSize - k1;
      j1 = SrcSize - k0;
    } else {
      SourceRange(i, Size, SrcSize, j0, j1);
    }
    P0 = SrcDir > 0 ? Start + j0 : Start - j1 + 1;
    P1 = SrcDir > 0 ? Start + j1 : Start - j0 + 1;
    P0 = std::max<int64_t>(P0, 0);
    P1 = std::min(P1, Limit);
  }
};

}  // namespace

// The fills below give the interior rows of a shape one after the other:
// the rows lie within [Top(), Bottom()); Start(First, Last) comes first,
// then ForSpans(Y, Visit) calls Visit(X0, X1) for the spans of each row Y
// from First up to Last (exclusive) in turn, left to right. The drawing
// routines take the kind of fill as a template parameter, so that no row
// costs a call through a table.

// The box [X0, X1) x [Y0, Y1).
struct TRasterDevice::TRectFill {
  int64_t X0, Y0, X1, Y1;
  int64_t Top() const { return Y0; }
  int64_t Bottom() const { return X0 < X1 ? Y1 : Y0; }
  void Start(int64_t, int64_t) {}
  template <class TVisit>
  void ForSpans(int64_t Y, TVisit&& Visit) const {
    if (Y >= Y0 && Y < Y1 && X0 < X1) Visit(X0, X1);
  }
};

// One span per row, from row First.
struct TRasterDevice::TRowsFill {
  const std::vector<TSpan>& Rows;
  int64_t First;
  int64_t Top() const { return First; }
  int64_t Bottom() const { return First + int64_t(Rows.size()); }
  void Start(int64_t, int64_t) {}
  template <class TVisit>
  void ForSpans(int64_t Y, TVisit&& Visit) const {
    if (Y < First || Y >= Bottom()) return;
    const TSpan& s = Rows[size_t(Y - First)];
    if (s.X0 < s.X1) Visit(s.X0, s.X1);
  }
};

// The even-odd interior of a polygon.
struct TRasterDevice::TPolygonFill {
  TPolygonScan& Scan;
  TPolygonFill(TPolygonScan& S, std::span<const TPoint> Points, int64_t Columns) : Scan(S) {
    Scan.Begin(Points, Columns);
  }
  int64_t Top() const { return Scan.Top(); }
  int64_t Bottom() const { return Scan.Bottom(); }
  void Start(int64_t First, int64_t Last) { Scan.Seek(First, Last); }
  template <class TVisit>
  void ForSpans(int64_t, TVisit&& Visit) {
    Scan.NextRow(Visit);
  }
};

bool BrushSetsEveryPixel(const TDeviceState& State, TPenMode Mode) {
  if (State.BrushStyle == bsClear || MakePixelOp(Mode, State.BrushColor).And != 0) return false;
  return HatchPattern(State.BrushStyle) == nullptr || (State.OpaqueBack && MakePixelOp(Mode, State.BackColor).And == 0);
}

TBrushPaint TRasterDevice::BrushPaint(TPenMode Mode) const {
  const TPixelOp back = State.OpaqueBack ? MakePixelOp(Mode, State.BackColor) : TPixelOp{};
  return TBrushPaint(MakePixelOp(Mode, State.BrushColor), back, HatchPattern(State.BrushStyle));
}

TPenPaint TRasterDevice::PenPaint() const {
  TPenPaint paint;
  paint.Fore = MakePixelOp(State.Mode, State.PenColor);
  PenStylePattern(State.PenStyle, paint.Mask, paint.Period);
  if (State.OpaqueBack && paint.Period > 1) paint.Back = MakePixelOp(State.Mode, State.BackColor);
  return paint;
}

TViewport TRasterDevice::Viewport() const {
  const double margin = double(2 + std::min(FPenWidth, kMaxCurveMargin));
  return {-margin, -margin, FSurface.Width + margin, FSurface.Height + margin};
}

std::span<const TSpan> TRasterDevice::PenDisc() {
  constexpr size_t kWidthsKept = 16;
  if (FPenWidth > kMaxDiscTable) return {};
  for (const TPenDisc& disc : FDiscs) {
    if (disc.Width == FPenWidth) return disc.Rows;
  }
  if (FDiscs.size() == kWidthsKept) FDiscs.clear();
  // The pixels of the ellipse inscribed in the pen's square, as filled.
  TPenDisc& disc = FDiscs.emplace_back();
  disc.Width = FPenWidth;
  TCurveChain chain;
  chain.Build({0, 0, FPenWidth, FPenWidth, FPenWidth, FPenWidth}, {0, 0, double(FPenWidth), double(FPenWidth)});
  disc.Rows.assign(size_t(FPenWidth), {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()});
  AccumulatePathRows(chain.Points(), true, 0, disc.Rows);
  return disc.Rows;
}

void TRasterDevice::BeginPrimitive() { FPenWidth = std::max<int64_t>(State.PenWidth, 1); }

bool TRasterDevice::PrepareBox(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TCurveBox& Box) {
  Box.Left = std::min(X1, X2);
  Box.Right = std::max(X1, X2);
  Box.Top = std::min(Y1, Y2);
  Box.Bottom = std::max(Y1, Y2);
  if (Box.Left == Box.Right || Box.Top == Box.Bottom) return false;
  if (State.PenStyle == psInsideFrame && FPenWidth > 1)
    FitPenInsideFrame(FPenWidth, Box.Left, Box.Top, Box.Right, Box.Bottom);
  Box.CornerW = Box.Right - Box.Left;
  Box.CornerH = Box.Bottom - Box.Top;
  return true;
}

template <class TFill>
void TRasterDevice::DrawShape(TFill* Fill, std::span<const TPoint> Path, bool Closed) {
  if (FSurface.Empty()) return;
  if (State.BrushStyle == bsClear) Fill = nullptr;
  const TBrushPaint brush = BrushPaint(State.Mode);
  if (HasPen() && FPenWidth > 1) {
    FillWithWidePen(Fill, brush, Path, Closed);
    return;
  }
  if (Fill != nullptr) FillRows(*Fill, brush);
  if (HasPen()) DrawThinPath(FSurface, Path, Closed, PenPaint());
}

void TRasterDevice::DrawOutline(std::span<const TPoint> Path, bool Closed) {
  DrawShape<TRectFill>(nullptr, Path, Closed);
}

template <class TFill>
void TRasterDevice::FillRows(TFill& Fill, const TBrushPaint& Brush) {
  const int64_t top = std::max<int64_t>(Fill.Top(), FSurface.Top());
  const int64_t bottom = std::min<int64_t>(Fill.Bottom(), FSurface.Bottom());
  if (top >= bottom) return;
  Fill.Start(top, bottom);
  for (int64_t y = top; y < bottom; ++y) {
    Fill.ForSpans(y, [&](int64_t X0, int64_t X1) { Brush.Span(FSurface, int32_t(y), X0, X1); });
  }
}

// A wide pen's region and the interior share no pixel: the interior is
// painted where the pen does not reach, then the pen region once.
template <class TFill>
void TRasterDevice::FillWithWidePen(TFill* Fill, const TBrushPaint& Brush, std::span<const TPoint> Path, bool Closed) {
  const TPixelOp penOp = MakePixelOp(State.Mode, State.PenColor);
  if (penOp.And == 0) {
    // The pen sets its pixels whatever lies beneath (copy and the like):
    // painting the whole interior first leaves the same pixels, and so does
    // setting a pixel of the pen more than once.
    if (Fill != nullptr) FillRows(*Fill, Brush);
    if (FWide.Paint(Path, Closed, FPenWidth, PenDisc(), FSurface, penOp.Xor)) return;
    FWide.Begin(Path, Closed, FPenWidth, PenDisc(), FSurface.Width, FSurface.Top(), FSurface.Bottom());
    for (int64_t y = FWide.Top(); y < FWide.Bottom(); ++y) {
      uint32_t* row = FSurface.Row(int32_t(y));
      FWide.ForEachPixel(
          y, [&](int64_t X) { row[X] = penOp.Apply(row[X]); },
          [&](int64_t X0, int64_t X1) { ApplySpan(row + X0, size_t(X1 - X0), penOp); });
    }
    return;
  }
  FWide.Begin(Path, Closed, FPenWidth, PenDisc(), FSurface.Width, FSurface.Top(), FSurface.Bottom());
  int64_t top = FSurface.Bottom(), bottom = FSurface.Top();
  const auto include = [&](int64_t From, int64_t To) {
    From = std::max<int64_t>(From, FSurface.Top());
    To = std::min<int64_t>(To, FSurface.Bottom());
    if (From >= To) return;
    top = std::min(top, From);
    bottom = std::max(bottom, To);
  };
  include(FWide.Top(), FWide.Bottom());
  if (Fill != nullptr) include(Fill->Top(), Fill->Bottom());
  if (top >= bottom) return;
  if (Fill != nullptr) Fill->Start(top, bottom);
  const TBrushPaint pen(penOp);
  for (int64_t y = top; y < bottom; ++y) {
    FPenSpans.clear();
    if (y >= FWide.Top() && y < FWide.Bottom()) FWide.Row(y, FPenSpans);
    if (Fill != nullptr) {
      FFillSpans.clear();
      Fill->ForSpans(y, [&](int64_t X0, int64_t X1) { FFillSpans.push_back({X0, X1}); });
      SubtractSpans(FFillSpans, FPenSpans, FPaintSpans);
      for (const TSpan& s : FPaintSpans) Brush.Span(FSurface, int32_t(y), s.X0, s.X1);
    }
    for (const TSpan& s : FPenSpans) pen.Span(FSurface, int32_t(y), s.X0, s.X1);
  }
}

void TRasterDevice::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  BeginPrimitive();
  TCurveBox box;
  if (!PrepareBox(X1, Y1, X2, Y2, box)) return;
  const int64_t l = box.Left, t = box.Top, r = box.Right, b = box.Bottom;
  // The outline starts at the top-right corner and runs counter-clockwise.
  FPath.assign({{int32_t(r - 1), int32_t(t)},
                {int32_t(l), int32_t(t)},
                {int32_t(l), int32_t(b - 1)},
                {int32_t(r - 1), int32_t(b - 1)}});
  // The interior stays inside the pen; without a pen it still loses the
  // right column and the bottom row.
  const int64_t before = HasPen() ? (FPenWidth - 1) / 2 + 1 : 0;
  const int64_t after = HasPen() ? FPenWidth / 2 + 1 : 1;
  TRectFill fill{l + before, t + before, r - after, b - after};
  DrawShape(&fill, FPath, true);
}

void TRasterDevice::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  BeginPrimitive();
  TCurveBox box;
  if (PrepareBox(X1, Y1, X2, Y2, box)) DrawCurve(box);
}

void TRasterDevice::RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t CornerW, int32_t CornerH) {
  BeginPrimitive();
  TCurveBox box;
  if (!PrepareBox(X1, Y1, X2, Y2, box)) return;
  box.CornerW = std::clamp<int64_t>(std::llabs(CornerW), 1, box.CornerW);
  box.CornerH = std::clamp<int64_t>(std::llabs(CornerH), 1, box.CornerH);
  DrawCurve(box);
}

void TRasterDevice::DrawCurve(const TCurveBox& Box) {
  FChain.Build(Box, Viewport());
  const std::span<const TPoint> outline = FChain.Points();
  const int64_t w = Box.Right - Box.Left, h = Box.Bottom - Box.Top;
  if (std::min(w - 1, Box.CornerW) < 2 || std::min(h - 1, Box.CornerH) < 2) {
    // Too small to round: the interior is the box less its right column
    // and bottom row.
    TRectFill fill{Box.Left, Box.Top, Box.Right - 1, Box.Bottom - 1};
    DrawShape(&fill, outline, true);
    return;
  }
  // The interior spans, row by row, everything the outline lights.
  const int64_t top = std::max<int64_t>(Box.Top, FSurface.Top());
  const int64_t bottom = std::min<int64_t>(Box.Bottom, FSurface.Bottom());
  FRows.assign(size_t(std::max<int64_t>(bottom - top, 0)),
               {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()});
  if (State.BrushStyle != bsClear && !FChain.AccumulateRows(top, FRows))
    AccumulatePathRows(outline, true, int32_t(top), FRows);
  TRowsFill fill{FRows, top};
  DrawShape(&fill, outline, true);
}

void TRasterDevice::Arc(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4, int32_t Y4,
                        TArcKind Kind) {
  BeginPrimitive();
  TCurveBox box;
  if (!PrepareBox(X1, Y1, X2, Y2, box)) return;
  FChain.Build(box, Viewport());
  FPath.clear();
  FChain.AppendArc({X3, Y3}, {X4, Y4}, FPath);
  if (Kind == TArcKind::Pie) FPath.push_back(FChain.Centre());
  if (Kind == TArcKind::Arc) {
    DrawOutline(FPath, false);
    return;
  }
  TPolygonFill fill(FPolygon, FPath, FSurface.Width);
  DrawShape(&fill, FPath, true);
}

void TRasterDevice::Polyline(std::span<const TPoint> Points) {
  BeginPrimitive();
  if (Points.size() >= 2) DrawOutline(Points, false);
}

void TRasterDevice::Polygon(std::span<const TPoint> Points) {
  BeginPrimitive();
  if (Points.size() < 2) return;
  TPolygonFill fill(FPolygon, Points, FSurface.Width);
  DrawShape(&fill, Points, true);
}

void TRasterDevice::FillRect(const TRect& R) {
  if (FSurface.Empty() || State.BrushStyle == bsClear) return;
  const TSpan64 x = FillSpan(R.Left, R.Right), y = FillSpan(R.Top, R.Bottom);
  TRectFill fill{x.Lo, y.Lo, x.Hi, y.Hi};
  FillRows(fill, BrushPaint(pmCopy));
}

void TRasterDevice::StretchBlt(int64_t XD, int64_t YD, int64_t WD, int64_t HD, const TPixelImage& Source, int64_t XS,
                               int64_t YS, int64_t WS, int64_t HS, std::optional<uint32_t> Transparent) {
  if (FSurface.Empty() || Source.Empty() || WD == 0 || HD == 0 || WS == 0 || HS == 0) return;
  if (!Source.Complete()) return;
  const TStretchAxis columns(XD, WD, XS, WS, false);
  const TStretchAxis rows(YD, HD, YS, HS, true);
  const int64_t x0 = std::max<int64_t>(columns.First(), 0);
  const int64_t x1 = std::min<int64_t>(columns.Last() + 1, FSurface.Width);
  const int64_t y0 = std::max<int64_t>(rows.First(), FSurface.Top());
  const int64_t y1 = std::min<int64_t>(rows.Last() + 1, FSurface.Bottom());
  if (x0 >= x1 || y0 >= y1) return;
  FColumns.resize(size_t(x1 - x0));
  for (int64_t x = x0; x < x1; ++x) {
    TSpan& c = FColumns[size_t(x - x0)];
    columns.Sources(x, Source.Width, c.X0, c.X1);
  }
  for (int64_t y = y0; y < y1; ++y) {
    int64_t r0 = 0, r1 = 0;
    rows.Sources(y, Source.Height, r0, r1);
    if (r0 >= r1) continue;
    uint32_t* out = FSurface.Row(int32_t(y));
    for (int64_t x = x0; x < x1; ++x) {
      const TSpan& c = FColumns[size_t(x - x0)];
      if (c.X0 >= c.X1) continue;
      uint32_t value = 0x00FFFFFFu;
      for (int64_t sy = r0; sy < r1; ++sy)
        for (int64_t sx = c.X0; sx < c.X1; ++sx) value &= Source.At(int32_t(sx), int32_t(sy));
      value &= 0x00FFFFFFu;
      if (Transparent && value == (*Transparent & 0x00FFFFFFu)) continue;
      out[x] = 0xFF000000u | value;
    }
  }
}
