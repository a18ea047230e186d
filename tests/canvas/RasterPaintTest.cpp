// The quick ways of painting against the plain ones they stand for: a wide
// pen's region set straight onto the surface against the region traced
// first and then painted, the rows of a curve's interior found from a
// quarter of its outline against those found from all of it, and brush
// spans against a reference decided pixel by pixel from the pattern cell.
// Random paths (curve outlines, walks that step back on themselves, long
// segments), boxes and spans, near and past the edges of the surface and of
// the band of rows it may write. Guards against pixels lost or added by the
// stamps of a wide pen and by their clipping, rows cut short or widened at
// the corners and sides of a curve, and pattern pixels missed by the
// word-wide walk over the bits of a hatch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "canvas/RasterCurves.h"
#include "canvas/RasterScan.h"
#include "canvas/RasterSurface.h"

namespace {

constexpr uint32_t kBackground = 0xFF808080u;

// Width x Height pixels of the background; only rows [BandTop, BandBottom)
// may be written.
struct TPixels {
  std::vector<uint32_t> Bits;
  TSurface Surface;

  TPixels(int32_t Width, int32_t Height, int32_t BandTop, int32_t BandBottom)
      : Bits(size_t(Width) * size_t(Height), kBackground) {
    Surface = {Bits.data(), Width, Height, Width, BandTop, BandBottom};
  }
  TPixels(const TPixels&) = delete;
  TPixels& operator=(const TPixels&) = delete;
};

// The round end of a pen Width pixels wide, as the raster device makes it:
// the rows of the ellipse inscribed in the pen's square.
std::vector<TSpan> PenDisc(int64_t Width) {
  TCurveChain chain;
  chain.Build({0, 0, Width, Width, Width, Width}, {0, 0, double(Width), double(Width)});
  std::vector<TSpan> rows(size_t(Width), {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()});
  AccumulatePathRows(chain.Points(), true, 0, rows);
  return rows;
}

// Sets the pixels of the region that Scan traced to Value.
void PaintTraced(const TWidePenScan& Scan, const TSurface& Surface, uint32_t Value) {
  TSpanList spans;
  for (int64_t y = Scan.Top(); y < Scan.Bottom(); ++y) {
    Scan.Row(y, spans);
    uint32_t* const row = Surface.Row(int32_t(y));
    for (const TSpan& s : spans) std::fill(row + s.X0, row + s.X1, Value);
  }
}

struct TRandomPaths {
  std::mt19937 Random;

  explicit TRandomPaths(unsigned Seed) : Random(Seed) {}
  int32_t Int(int32_t Lo, int32_t Hi) { return std::uniform_int_distribution<int32_t>(Lo, Hi)(Random); }

  // The outline of an ellipse or a rounded rectangle.
  std::vector<TPoint> Curve(int32_t Width, int32_t Height) {
    const int64_t left = Int(-15, Width), top = Int(-15, Height);
    const int64_t right = left + Int(1, 40), bottom = top + Int(1, 40);
    const TCurveBox box{left, top, right, bottom, Int(1, int32_t(right - left)), Int(1, int32_t(bottom - top))};
    TCurveChain chain;
    chain.Build(box, {-10, -10, Width + 10.0, Height + 10.0});
    return {chain.Points().begin(), chain.Points().end()};
  }
  // Steps to neighbours or none, which turn back on themselves now and
  // then, with a long segment here and there.
  std::vector<TPoint> Walk(int32_t Width, int32_t Height) {
    std::vector<TPoint> points{{Int(-5, Width + 5), Int(-5, Height + 5)}};
    for (int i = Int(0, 60); i > 0; --i) {
      const TPoint last = points.back();
      const bool jump = Int(0, 9) == 0;
      points.push_back(jump ? TPoint{Int(-10, Width + 10), Int(-10, Height + 10)}
                            : TPoint{last.x + Int(-1, 1), last.y + Int(-1, 1)});
    }
    return points;
  }
};

}  // namespace

TEST(RasterPaint, WidePenSetStraightOntoTheSurfaceCoversTheTracedRegion) {
  constexpr uint32_t kPen = 0xFF123456u;
  for (unsigned seed = 1; seed <= 400; ++seed) {
    TRandomPaths random(seed);
    const int32_t width = random.Int(8, 90), height = random.Int(8, 60);
    const int32_t bandTop = random.Int(-2, height / 2), bandBottom = random.Int(height / 2, height + 2);
    const int64_t penWidth = random.Int(2, 6);
    const bool closed = random.Int(0, 1) == 1;
    const std::vector<TPoint> path = random.Int(0, 1) == 1 ? random.Curve(width, height) : random.Walk(width, height);
    const std::vector<TSpan> disc = PenDisc(penWidth);
    SCOPED_TRACE(testing::Message() << "seed " << seed << ", pen " << penWidth << ", " << path.size() << " points");

    TPixels painted(width, height, bandTop, bandBottom), traced(width, height, bandTop, bandBottom);
    TWidePenScan scan;
    const bool paints = scan.Paint(path, closed, penWidth, disc, painted.Surface, kPen);
    // Pens up to four pixels wide are stamped; wider ones paint nothing.
    ASSERT_EQ(paints, penWidth <= 4);
    if (paints) {
      scan.Begin(path, closed, penWidth, disc, width, traced.Surface.Top(), traced.Surface.Bottom());
      PaintTraced(scan, traced.Surface, kPen);
    }
    int wrong = 0;
    for (size_t i = 0; i < painted.Bits.size(); ++i) {
      if (painted.Bits[i] != traced.Bits[i] && wrong++ == 0)
        ADD_FAILURE() << "first wrong pixel (" << i % size_t(width) << ", " << i / size_t(width) << ")";
    }
    ASSERT_EQ(wrong, 0);
  }
}

TEST(RasterPaint, WidePenRunThatTurnsBackSweepsItsDiscsOverItsBox) {
  // Along row 10 and back, then down column 10: the run from (10, 10)
  // turns back through its first point, so its discs, 3 pixels wide, are
  // swept over the box [10, 11] x [10, 11]. The same points in the other
  // order make no such run.
  constexpr uint32_t kPen = 0xFF00FF00u;
  const std::vector<TPoint> turning{{10, 10}, {11, 10}, {10, 10}, {10, 11}};
  const std::vector<TPoint> straight{{10, 11}, {10, 10}, {11, 10}};
  const std::vector<TSpan> disc = PenDisc(3);
  for (bool paint : {true, false}) {
    for (const std::vector<TPoint>* path : {&turning, &straight}) {
      SCOPED_TRACE(testing::Message() << (paint ? "painted" : "traced") << (path == &turning ? ", turning" : ""));
      TPixels pixels(24, 24, 0, 24);
      TWidePenScan scan;
      if (paint) {
        ASSERT_TRUE(scan.Paint(*path, false, 3, disc, pixels.Surface, kPen));
      } else {
        scan.Begin(*path, false, 3, disc, 24, 0, 24);
        PaintTraced(scan, pixels.Surface, kPen);
      }
      const uint32_t swept = path == &turning ? kPen : kBackground;
      EXPECT_EQ(pixels.Surface.Row(11)[12], swept);
      EXPECT_EQ(pixels.Surface.Row(12)[11], swept);
      EXPECT_EQ(pixels.Surface.Row(11)[13], kBackground);
      EXPECT_EQ(pixels.Surface.Row(10)[12], kPen);
    }
  }
}

TEST(RasterPaint, CurveRowsFromTheQuarterAreThoseOfTheWholeOutline) {
  std::mt19937 random(3);
  const auto integer = [&](int64_t Lo, int64_t Hi) { return std::uniform_int_distribution<int64_t>(Lo, Hi)(random); };
  // Every box up to 6 x 6 pixels with every corner size, then ellipses,
  // rounded rectangles and boxes far larger than their corners.
  std::vector<TCurveBox> boxes;
  for (int64_t w = 1; w <= 6; ++w)
    for (int64_t h = 1; h <= 6; ++h)
      for (int64_t cw = 1; cw <= w; ++cw)
        for (int64_t ch = 1; ch <= h; ++ch) boxes.push_back({0, 0, w, h, cw, ch});
  const size_t small = boxes.size();
  for (int i = 0; i < 3000; ++i) {
    const int64_t width = i % 10 == 0 ? integer(1, 3000000) : integer(1, 70);
    const int64_t height = i % 10 == 1 ? integer(1, 3000000) : integer(1, 70);
    const int64_t cornerW = i % 3 == 0 && width <= 70 ? width : integer(1, std::min<int64_t>(width, 70));
    const int64_t cornerH = i % 3 == 0 && height <= 70 ? height : integer(1, std::min<int64_t>(height, 70));
    const int64_t left = integer(-30, 30), top = integer(-30, 30);
    boxes.push_back({left, top, left + width, top + height, cornerW, cornerH});
  }
  for (size_t i = 0; i < boxes.size(); ++i) {
    const TCurveBox& box = boxes[i];
    SCOPED_TRACE(testing::Message() << "box " << box.Right - box.Left << " x " << box.Bottom - box.Top << ", corners "
                                    << box.CornerW << " x " << box.CornerH);
    TCurveChain chain;
    chain.Build(box, {-100, -100, 100, 100});
    // Rows of a window that holds a small box whole, or may cut a larger
    // one at either end or miss it.
    const int64_t first = i < small ? box.Top - 1 : box.Top + integer(-10, 50);
    const int64_t rows = i < small ? 8 : integer(0, 120);
    const std::vector<TSpan> empty(size_t(rows),
                                   {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()});
    std::vector<TSpan> fromQuarter = empty, fromOutline = empty;
    ASSERT_TRUE(chain.AccumulateRows(first, fromQuarter));
    AccumulatePathRows(chain.Points(), true, int32_t(first), fromOutline);
    for (int64_t r = 0; r < rows; ++r) {
      ASSERT_EQ(fromQuarter[size_t(r)].X0, fromOutline[size_t(r)].X0) << "row " << first + r;
      ASSERT_EQ(fromQuarter[size_t(r)].X1, fromOutline[size_t(r)].X1) << "row " << first + r;
    }
  }
}

TEST(RasterPaint, BrushSpansPaintThePatternCellPixelByPixel) {
  std::mt19937 random(5);
  const auto integer = [&](int32_t Lo, int32_t Hi) { return std::uniform_int_distribution<int32_t>(Lo, Hi)(random); };
  // Copy sets pixels without reading them; XOR and the others read them.
  const TPenMode modes[] = {pmCopy, pmXor, pmMaskPenNot, pmNotCopy, pmBlack};
  for (TPenMode mode : modes) {
    for (int style = bsSolid; style <= bsDiagCross; ++style) {
      if (style == bsClear) continue;
      for (bool opaque : {false, true}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << ", style " << style << (opaque ? ", opaque" : ""));
        const TPixelOp fore = MakePixelOp(mode, 0x3366CC), back = opaque ? MakePixelOp(mode, 0xA0B0C0) : TPixelOp{};
        const uint8_t* pattern = HatchPattern(TBrushStyle(style));
        const TBrushPaint brush = pattern == nullptr ? TBrushPaint(fore) : TBrushPaint(fore, back, pattern);
        TPixels pixels(150, 20, 2, 18);
        for (uint32_t& p : pixels.Bits) p = random() | 0xFF000000u;
        std::vector<uint32_t> expected = pixels.Bits;
        for (int i = 0; i < 200; ++i) {
          const int32_t y = integer(0, 19);
          const int64_t x0 = integer(-70, 160), x1 = x0 + integer(0, 140);
          brush.Span(pixels.Surface, y, x0, x1);
          if (y < 2 || y >= 18) continue;
          for (int64_t x = std::max<int64_t>(x0, 0); x < std::min<int64_t>(x1, 150); ++x) {
            uint32_t& p = expected[size_t(y) * 150 + size_t(x)];
            const bool onPattern = pattern == nullptr || ((pattern[y & 7] >> (x & 7)) & 1) != 0;
            p = (onPattern ? fore : back).Apply(p);
          }
        }
        ASSERT_EQ(pixels.Bits, expected);
      }
    }
  }
}
