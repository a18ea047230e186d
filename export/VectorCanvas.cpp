#include "export/VectorCanvas.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "canvas/CodePage.h"
#include "canvas/RasterCanvas.h"
#include "canvas/RasterMath.h"
#include "canvas/RasterSurface.h"
#include "canvas/RasterText.h"
#include "figures/Exceptions.h"

namespace {

constexpr const char* kModeNames[] = {
    "pmBlack",       "pmWhite",      "pmNop",   "pmNot",      "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
    "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor",         "pmNotXor",
};

// A pen wider than this covers every page that renderers can draw from any
// path within the view's margin; cairo fails on wider strokes.
constexpr int64_t kMaxStrokeWidth = int64_t(1) << 21;

TXY Shifted(TPoint P, double Shift) { return {double(P.x) + Shift, double(P.y) + Shift}; }

// A box whose corners are quarter ellipses of radii Rx, Ry, from the upper
// end of its right side counter-clockwise on screen, as the raster traces
// curve outlines.
TVectorPath RoundedBox(double L, double T, double R, double B, double Rx, double Ry) {
  constexpr double kQuarter = std::numbers::pi / 2;
  TVectorPath d;
  d.Move({R, T + Ry}).Arc({R - Rx, T + Ry}, Rx, Ry, 0, kQuarter);
  if (R - Rx > L + Rx) d.Line({L + Rx, T});
  d.Arc({L + Rx, T + Ry}, Rx, Ry, kQuarter, 2 * kQuarter);
  if (B - Ry > T + Ry) d.Line({L, B - Ry});
  d.Arc({L + Rx, B - Ry}, Rx, Ry, 2 * kQuarter, 3 * kQuarter);
  if (R - Rx > L + Rx) d.Line({R - Rx, B});
  d.Arc({R - Rx, B - Ry}, Rx, Ry, 3 * kQuarter, 4 * kQuarter);
  return d.Close();
}

// The length of an elliptical arc of radii Rx, Ry from parametric angle From
// over Span radians: in user units, and in pixels of an eight-connected
// outline, where a diagonal step is one pixel as a straight one.
void ArcLengths(double Rx, double Ry, double From, double Span, double& Length, double& Pixels) {
  const int steps = std::max(8, int(std::ceil(64 * Span / (std::numbers::pi / 2))));
  TXY prev{Rx * std::cos(From), Ry * std::sin(From)};
  for (int i = 1; i <= steps; ++i) {
    const double t = From + Span * i / steps;
    const TXY p{Rx * std::cos(t), Ry * std::sin(t)};
    Length += std::hypot(p.X - prev.X, p.Y - prev.Y);
    Pixels += std::max(std::fabs(p.X - prev.X), std::fabs(p.Y - prev.Y));
    prev = p;
  }
}

void LineLengths(TXY A, TXY B, double& Length, double& Pixels) {
  Length += std::hypot(B.X - A.X, B.Y - A.Y);
  Pixels += std::max(std::fabs(B.X - A.X), std::fabs(B.Y - A.Y));
}

// Where the ray from the centre C in direction (Dx, Dy) meets the ellipse
// of radii A, B (each taken as at least half a pixel).
TXY RayCrossing(TXY C, int64_t Dx, int64_t Dy, double A, double B) {
  const double m = double(std::max(std::llabs(Dx), std::llabs(Dy)));
  const double dx = double(Dx) / m, dy = double(Dy) / m;
  const double t = 1 / std::hypot(dx / std::max(A, 0.5), dy / std::max(B, 0.5));
  return {C.X + t * dx, C.Y + t * dy};
}

// The alternating on and off runs of a pen pattern, the first one on.
std::vector<uint32_t> PatternRuns(uint32_t Mask, uint32_t Period) {
  std::vector<uint32_t> runs;
  for (uint32_t k = 0; k < Period; ++k) {
    const bool on = (Mask >> k & 1u) != 0;
    if (runs.size() % 2 == (on ? 0u : 1u))
      runs.push_back(1);
    else
      ++runs.back();
  }
  return runs;
}


}  // namespace

TVectorCanvas::TVectorCanvas(int32_t Width, int32_t Height)
    : FWidth(std::max(Width, 0)), FHeight(std::max(Height, 0)), FFonts(std::make_unique<TFontCache>()) {
  InstallFontSubstitutions();
}

TVectorCanvas::~TVectorCanvas() = default;

std::optional<TPenMode> TVectorCanvas::TakeApproximation() { return std::exchange(FApproximation, std::nullopt); }

void TVectorCanvas::Use(const TVectorPaint& Paint) {
  if (!Paint.Exact) FApproximation = FShape.Mode;
}

TVectorPaint TVectorCanvas::Resolve(TPenMode Mode, TColor Color) const {
  // The raster operations work bit by bit, so the channel order of the
  // colour does not matter to them.
  const uint32_t source = ColorToRGB(Color);
  const TPixelOp op = MakePixelOp(Mode, source);
  const uint32_t keep = op.And & 0x00FFFFFFu, flip = op.Xor & 0x00FFFFFFu;
  if (keep == 0x00FFFFFFu && flip == 0) return {};
  if (keep == 0) return {true, true, flip};
  return {true, false, source};
}

TVectorView TVectorCanvas::View() const {
  constexpr int64_t kMaxMargin = int64_t(1) << 20;
  return {double(FWidth), double(FHeight), double(std::min(FShape.PenWidth / 2 + 2, kMaxMargin))};
}

void TVectorCanvas::BeginShape() {
  TShapeState& s = FShape;
  s.Mode = Pen.Mode <= pmNotXor ? Pen.Mode : pmCopy;
  s.PenStyle = Pen.Style <= psInsideFrame ? Pen.Style : psSolid;
  s.BrushStyle = Brush.Style <= bsDiagCross ? Brush.Style : bsSolid;
  s.PenWidth = std::max<int64_t>(Pen.Width, 1);
  s.Pen = s.PenStyle == psClear ? TVectorPaint{} : Resolve(s.Mode, Pen.Color);
  s.Brush = s.BrushStyle == bsClear ? TVectorPaint{} : Resolve(s.Mode, Brush.Color);
  // The gaps are opaque in the brush colour only with a solid brush.
  s.Gaps = s.BrushStyle == bsSolid ? s.Brush : TVectorPaint{};
}

bool TVectorCanvas::PrepareBox(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TBox& Box) {
  Box = {std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
  if (Box.Left == Box.Right || Box.Top == Box.Bottom) return false;
  if (FShape.PenStyle == psInsideFrame && FShape.PenWidth > 1)
    FitPenInsideFrame(FShape.PenWidth, Box.Left, Box.Top, Box.Right, Box.Bottom);
  return true;
}

void TVectorCanvas::FillBox(int64_t Left, int64_t Top, int64_t Right, int64_t Bottom, const TVectorPaint& Paint,
                            TBrushStyle Style) {
  if (!Paint.Visible || Left >= Right || Top >= Bottom) return;
  Use(Paint);
  // Only the part near the page can show, and renderers work in limited
  // precision: a box is cut down to the page and a margin.
  const double l = std::max<double>(double(Left), -1), t = std::max<double>(double(Top), -1);
  const double r = std::min<double>(double(Right), double(FWidth) + 1);
  const double b = std::min<double>(double(Bottom), double(FHeight) + 1);
  if (l >= r || t >= b) return;
  PutBox(l, t, r, b, {Paint.Color, Style, HatchPattern(Style)});
}

void TVectorCanvas::FillPath(const TVectorPath& D, bool EvenOdd, const TVectorPath& WideBand) {
  if (!FShape.Brush.Visible || D.Empty()) return;
  Use(FShape.Brush);
  // The raster fills only where a wide pen does not reach when this pen's
  // mode leaves its own pixels as they were.
  const bool keepOut = FShape.PenStyle != psClear && FShape.PenWidth > 1 && !FShape.Pen.Visible;
  PutFill(D, EvenOdd, {FShape.Brush.Color, FShape.BrushStyle, HatchPattern(FShape.BrushStyle)},
          keepOut ? &WideBand : nullptr, std::min(FShape.PenWidth, kMaxStrokeWidth));
}

void TVectorCanvas::Stroke(const TVectorPath& D, const TVectorPaint& Paint, int64_t Width, const TVectorDash* Dash) {
  Use(Paint);
  PutStroke(D, Paint.Color, std::min(Width, kMaxStrokeWidth), Dash);
}

TVectorPath TVectorCanvas::WidePath(std::span<const TPoint> Points, bool Closed) const {
  // The round disc of a wide pen is centred on the pixel's centre for an odd
  // width and on its top-left corner for an even one.
  const double shift = FShape.PenWidth % 2 == 0 ? 0 : 0.5;
  TVectorPath d;
  d.Move(Shifted(Points[0], shift));
  for (size_t i = 1; i < Points.size(); ++i) d.Line(Shifted(Points[i], shift));
  if (Closed && Points.size() > 2) d.Close();
  return d.Resolved(View());
}

void TVectorCanvas::StrokePoints(std::span<const TPoint> Points, bool Closed) {
  const TShapeState& s = FShape;
  if (s.PenStyle == psClear || Points.size() < 2) return;
  if (s.PenWidth > 1) {
    // Styles other than solid draw solid at these widths.
    const TVectorPath d = WidePath(Points, Closed);
    if (s.Pen.Visible && !d.Empty()) Stroke(d, s.Pen, s.PenWidth);
    return;
  }
  // A segment from A to B lights N = max(|dx|, |dy|) pixels, one per step
  // along the major axis from A on, B left out: its stroke runs through the
  // pixel centres from the near edge of the first pixel to the far edge of
  // the last, so the steps are half a step earlier than the points.
  uint32_t mask = 1, period = 1;
  PenStylePattern(s.PenStyle, mask, period);
  TVectorPath solid;
  uint32_t phase = 0;
  const auto segment = [&](TPoint A, TPoint B) {
    const int64_t dx = int64_t(B.x) - A.x, dy = int64_t(B.y) - A.y;
    const int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) return;
    const double back = 0.5 / double(n);
    const TXY from{A.x + 0.5 - dx * back, A.y + 0.5 - dy * back}, to{B.x + 0.5 - dx * back, B.y + 0.5 - dy * back};
    if (period == 1) {
      solid.Move(from).Line(to);
      return;
    }
    // The pattern counts pixels, the dashes user units: a diagonal pixel is
    // longer than a straight one.
    TXY a = from, b = to;
    double cut = 0;
    if (ClipSegment(a, b, View(), cut)) {
      const double skipped = std::fmod(cut * double(n), double(period));
      const TVectorPath piece = TVectorPath().Move(a).Line(b).Resolved(View());
      if (!piece.Empty()) StrokeStyled(piece, phase + skipped, std::hypot(double(dx), double(dy)) / double(n));
    }
    phase = uint32_t((phase + uint64_t(n) % period) % period);
  };
  for (size_t i = 1; i < Points.size(); ++i) segment(Points[i - 1], Points[i]);
  if (Closed) segment(Points.back(), Points.front());
  if (period > 1 || !s.Pen.Visible) return;
  const TVectorPath d = solid.Resolved(View());
  if (!d.Empty()) Stroke(d, s.Pen, 1);
}

void TVectorCanvas::StrokeStyled(const TVectorPath& D, double Phase, double Scale) {
  const TShapeState& s = FShape;
  uint32_t mask = 1, period = 1;
  PenStylePattern(s.PenStyle, mask, period);
  TVectorDash dash{PatternRuns(mask, period), Scale, Phase * Scale};
  if (s.Gaps.Visible) {
    // Beneath a drawn pen the whole line; else the gaps alone, the pattern
    // taken from its first gap.
    const TVectorDash gaps{dash.Runs, Scale, (Phase + dash.Runs[0]) * Scale};
    Stroke(D, s.Gaps, 1, s.Pen.Visible ? nullptr : &gaps);
  }
  if (s.Pen.Visible) Stroke(D, s.Pen, 1, &dash);
}

void TVectorCanvas::StrokeCurve(const TVectorPath& Thin, const TVectorPath& Wide, const TCurveLengths& Lengths) {
  const TShapeState& s = FShape;
  if (s.PenStyle == psClear) return;
  if (s.PenWidth > 1) {
    if (s.Pen.Visible && !Wide.Empty()) Stroke(Wide, s.Pen, s.PenWidth);
    return;
  }
  if (Thin.Empty()) return;
  uint32_t mask = 1, period = 1;
  PenStylePattern(s.PenStyle, mask, period);
  if (period == 1) {
    if (s.Pen.Visible) Stroke(Thin, s.Pen, 1);
    return;
  }
  // The path starts at the centre of the outline's first pixel; the
  // outline's steps are spread evenly over its length.
  double length = 0, pixels = 0;
  Lengths(length, pixels);
  StrokeStyled(Thin, 0.5, pixels > 0 ? length / pixels : 1);
}

void TVectorCanvas::DoRectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  TBox b;
  BeginShape();
  if (!PrepareBox(X1, Y1, X2, Y2, b)) return;
  // The interior stays inside the pen; without a pen it still loses the
  // right column and the bottom row.
  const bool hasPen = FShape.PenStyle != psClear;
  const int64_t before = hasPen ? (FShape.PenWidth - 1) / 2 + 1 : 0;
  const int64_t after = hasPen ? FShape.PenWidth / 2 + 1 : 1;
  FillBox(b.Left + before, b.Top + before, b.Right - after, b.Bottom - after, FShape.Brush, FShape.BrushStyle);
  // From the top-right corner counter-clockwise, as the pen pattern runs.
  const TPoint outline[] = {{int32_t(b.Right - 1), int32_t(b.Top)},
                            {int32_t(b.Left), int32_t(b.Top)},
                            {int32_t(b.Left), int32_t(b.Bottom - 1)},
                            {int32_t(b.Right - 1), int32_t(b.Bottom - 1)}};
  StrokePoints(outline, true);
}

void TVectorCanvas::DoEllipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  TBox b;
  BeginShape();
  if (!PrepareBox(X1, Y1, X2, Y2, b)) return;
  DrawCurveBox(b, b.Right - b.Left, b.Bottom - b.Top);
}

void TVectorCanvas::DoRoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t W, int32_t H) {
  TBox b;
  BeginShape();
  if (!PrepareBox(X1, Y1, X2, Y2, b)) return;
  DrawCurveBox(b, std::clamp<int64_t>(std::llabs(W), 1, b.Right - b.Left),
               std::clamp<int64_t>(std::llabs(H), 1, b.Bottom - b.Top));
}

void TVectorCanvas::DrawCurveBox(const TBox& Box, int64_t CornerW, int64_t CornerH) {
  const double l = double(Box.Left), t = double(Box.Top), r = double(Box.Right), b = double(Box.Bottom);
  const int64_t w = Box.Right - Box.Left, h = Box.Bottom - Box.Top;
  // The one-pixel outline runs through the pixel centres of the box's edge
  // pixels, its corners quarters of the CornerW x CornerH ellipse through
  // the centres; the wide pen's discs sit on its points.
  const double rx = double(CornerW - 1) / 2, ry = double(CornerH - 1) / 2;
  const double wide = FShape.PenWidth % 2 == 0 ? -0.5 : 0;
  const TVectorPath thin = RoundedBox(l + 0.5, t + 0.5, r - 0.5, b - 0.5, rx, ry).Resolved(View());
  const TVectorPath band = RoundedBox(l + 0.5 + wide, t + 0.5 + wide, r - 0.5 + wide, b - 0.5 + wide, rx, ry)
                               .Resolved(View(), double(FShape.PenWidth) > std::min(rx, ry));
  if (std::min(w - 1, CornerW) < 2 || std::min(h - 1, CornerH) < 2) {
    // Too small to round: the interior is the box less its right column
    // and bottom row.
    FillPath(TVectorPath().Move({l, t}).Line({r - 1, t}).Line({r - 1, b - 1}).Line({l, b - 1}).Close().Resolved(View()),
             false, band);
  } else {
    // The interior spans every pixel the outline lights, row by row.
    FillPath(RoundedBox(l, t, r, b, double(CornerW) / 2, double(CornerH) / 2).Resolved(View()), false, band);
  }
  StrokeCurve(thin, band, [&](double& Length, double& Pixels) {
    Length = Pixels = 2 * double(w - CornerW) + 2 * double(h - CornerH);
    ArcLengths(rx, ry, 0, 2 * std::numbers::pi, Length, Pixels);
  });
}

void TVectorCanvas::DoChord(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4,
                            int32_t Y4, bool IsPie) {
  TBox box;
  BeginShape();
  if (!PrepareBox(X1, Y1, X2, Y2, box)) return;
  const int64_t w = box.Right - box.Left, h = box.Bottom - box.Top;
  // The outline's ellipse through the pixel centres. The rays take their
  // directions from the centre pixel (a radial point on it counts as angle
  // 0) and cut the outline where those directions from the ellipse's own
  // centre do: the raster measures its outline's halves from there.
  const TXY centre{double(box.Left + box.Right) / 2, double(box.Top + box.Bottom) / 2};
  const double a = double(w - 1) / 2, b = double(h - 1) / 2;
  const int64_t ox = box.Left + w / 2, oy = box.Top + h / 2;
  const TXY origin{double(ox) + 0.5, double(oy) + 0.5};
  int64_t sx = int64_t(X3) - ox, sy = int64_t(Y3) - oy, ex = int64_t(X4) - ox, ey = int64_t(Y4) - oy;
  if (sx == 0 && sy == 0) sx = 1;
  if (ex == 0 && ey == 0) ex = 1;
  const TXY start = RayCrossing(centre, sx, sy, a, b), end = RayCrossing(centre, ex, ey, a, b);
  // Parametric angles, counter-clockwise on screen.
  const auto angle = [&](TXY P) {
    return std::atan2((centre.Y - P.Y) / std::max(b, 0.5), (P.X - centre.X) / std::max(a, 0.5));
  };
  double span = std::fmod(angle(end) - angle(start) + 4 * std::numbers::pi, 2 * std::numbers::pi);
  // Equal rays give the whole ellipse.
  const __int128 cross = __int128(sx) * ey - __int128(sy) * ex, dot = __int128(sx) * ex + __int128(sy) * ey;
  const bool whole = (cross == 0 && dot > 0) || span <= 0;
  if (whole) span = 2 * std::numbers::pi;
  // The closed outline moved by Shift on both axes.
  const auto outline = [&](double Shift, bool Flat) {
    const TXY c{centre.X + Shift, centre.Y + Shift};
    const double from = angle(start);
    TVectorPath d;
    d.Move(EllipsePoint(c, a, b, from)).Arc(c, a, b, from, from + span);
    if (IsPie) d.Line({origin.X + Shift, origin.Y + Shift});
    return d.Close().Resolved(View(), Flat);
  };
  const TVectorPath band = outline(FShape.PenWidth % 2 == 0 ? -0.5 : 0, double(FShape.PenWidth) > std::min(a, b));
  // The interior is the even-odd polygon of the outline's pixel positions,
  // which covers the pixels whose top-left corners it holds.
  FillPath(outline(-0.5, false), true, band);
  StrokeCurve(outline(0, false), band, [&](double& Length, double& Pixels) {
    ArcLengths(a, b, angle(start), span, Length, Pixels);
    if (IsPie) {
      LineLengths(end, origin, Length, Pixels);
      LineLengths(origin, start, Length, Pixels);
    } else {
      LineLengths(end, start, Length, Pixels);
    }
  });
}

void TVectorCanvas::DoPolyline(std::span<const TPoint> Points) {
  BeginShape();
  StrokePoints(Points, false);
}

void TVectorCanvas::DoPolygon(std::span<const TPoint> Points) {
  BeginShape();
  if (Points.size() < 2) return;
  // Pixel (x, y) is inside when the point (x, y) is: the pixel's top-left
  // corner.
  TVectorPath d;
  d.Move(Shifted(Points[0], 0));
  for (size_t i = 1; i < Points.size(); ++i) d.Line(Shifted(Points[i], 0));
  FillPath(d.Close().Resolved(View()), true, WidePath(Points, true));
  StrokePoints(Points, true);
}

void TVectorCanvas::DoFillRect(const TRect& R) {
  const TBrushStyle style = Brush.Style <= bsDiagCross ? Brush.Style : bsSolid;
  if (style == bsClear) return;
  const TSpan64 x = FillSpan(R.Left, R.Right), y = FillSpan(R.Top, R.Bottom);
  FillBox(x.Lo, y.Lo, x.Hi, y.Hi, Resolve(pmCopy, Brush.Color), style);
}

TSize TVectorCanvas::DoTextExtent(std::string_view Text) {
  const TFontEntry& font = FFonts->Get(Font);
  return {font.Metrics.horizontalAdvance(QString::fromStdU16String(Cp1251ToUtf16(Text))), font.Cell};
}

void TVectorCanvas::DoTextOut(int32_t X, int32_t Y, std::string_view Text) {
  const TFontEntry& font = FFonts->Get(Font);
  const int64_t width = font.Metrics.horizontalAdvance(QString::fromStdU16String(Cp1251ToUtf16(Text)));
  const auto clamp32 = [](int64_t V) {
    return std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  };
  // The background box is the brush's, in copy mode like the glyphs.
  if ((Brush.Style <= bsDiagCross ? Brush.Style : bsSolid) == bsSolid)
    FillBox(X, Y, clamp32(int64_t(X) + width), clamp32(int64_t(Y) + font.Cell), Resolve(pmCopy, Brush.Color), bsSolid);
  if (int64_t(X) + width <= 0 || X >= FWidth || int64_t(Y) + font.Cell <= 0 || Y >= FHeight || Text.empty()) return;
  // The baseline lies the font's ascent below the top.
  PutText({X, int64_t(Y) + font.Ascent, width, &font, Text, ColorToRGB(Font.Color)});
}

void TVectorCanvas::DoStretchDraw(const TRect& Dest, const TPixelImage& Picture, std::optional<uint32_t> Transparent) {
  if (Picture.Empty() || !Picture.Complete()) return;
  const int64_t w = int64_t(Dest.Right) - Dest.Left, h = int64_t(Dest.Bottom) - Dest.Top;
  if (w == 0 || h == 0) return;
  // A positive extent covers [Left, Right), a negative one (Right, Left].
  const int64_t x0 = w > 0 ? Dest.Left : int64_t(Dest.Right) + 1, y0 = h > 0 ? Dest.Top : int64_t(Dest.Bottom) + 1;
  const int64_t left = std::max<int64_t>(x0, 0), right = std::min<int64_t>(x0 + std::llabs(w), FWidth);
  const int64_t top = std::max<int64_t>(y0, 0), bottom = std::min<int64_t>(y0 + std::llabs(h), FHeight);
  if (left >= right || top >= bottom) return;
  // The visible part is stretched by the raster canvas itself, pixel for
  // pixel: renderers smooth scaled images whatever they are asked, and none
  // merges the pixels of a shrunk picture as the raster does. What the
  // raster leaves alone (transparent pixels) stays transparent.
  QImage part(int(right - left), int(bottom - top), QImage::Format_ARGB32);
  if (part.isNull()) throw EOutOfMemory();
  part.fill(Qt::transparent);
  TRasterCanvas raster(part);
  // Moved by at most the distance of the nearer corner from the origin, the
  // corners stay within the 32-bit range.
  raster.StretchDraw(
      {int32_t(Dest.Left - left), int32_t(Dest.Top - top), int32_t(Dest.Right - left), int32_t(Dest.Bottom - top)},
      Picture, Transparent);
  PutImage(left, top, part);
}

void DrawForExport(TFiguresCollection& Image, TVectorCanvas& Canvas, std::vector<TVectorApproximation>& Approximated) {
  Canvas.Brush.Color = Image.BackgroundColor();
  Canvas.Brush.Style = bsSolid;
  Canvas.FillRect(Image.ImageRect());
  // Drawn as the collection draws it, figure by figure, so that each
  // approximation is known by its figure.
  int32_t position = 0;
  for (TBasicFigure* figure : Image.Figures()) {
    figure->DrawOn(Canvas);
    if (const std::optional<TPenMode> mode = Canvas.TakeApproximation())
      Approximated.push_back({position, figure->ClassName(), *mode});
    ++position;
  }
}

std::string DescribeApproximations(std::span<const TVectorApproximation> Approximated) {
  if (Approximated.empty()) return {};
  std::string line = "figures drawn in copy mode instead of their raster mode: ";
  for (size_t i = 0; i < Approximated.size(); ++i) {
    const TVectorApproximation& a = Approximated[i];
    if (i > 0) line += ", ";
    line += std::to_string(a.Position) + " (" + a.ClassName + ", " + kModeNames[a.Mode < 16 ? a.Mode : pmCopy] + ')';
  }
  return line;
}
