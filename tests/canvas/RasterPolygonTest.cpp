// The even-odd polygon interior against a reference decided pixel by pixel
// from the rule itself, for shapes whose rows cross many edges or few, reach
// far past the image on either side, retrace their own edges or step pixel
// by pixel as curve outlines do. Guards against spans lost, shifted or
// painted twice when a row's crossings are many, coincide or lie outside
// the image.
#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "canvas/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace {

constexpr int kWidth = 70;
constexpr int kHeight = 40;
constexpr TColor kBrush = 0x30A0F0;

// Point (X, Y) is inside when an odd number of edges cross its row at or
// left of X; an edge crosses the rows from its upper end point down to,
// not including, its lower one.
bool InsideByRule(const std::vector<TPoint>& Points, int64_t X, int64_t Y) {
  bool inside = false;
  for (size_t i = 0; i < Points.size(); ++i) {
    TPoint a = Points[i], b = Points[(i + 1) % Points.size()];
    if (a.y > b.y) std::swap(a, b);
    if (Y < a.y || Y >= b.y) continue;
    const int64_t dy = int64_t(b.y) - a.y;
    if (int64_t(a.x) * dy + (int64_t(b.x) - a.x) * (Y - a.y) <= X * dy) inside = !inside;
  }
  return inside;
}

// Teeth Pitch pixels apart from Left to Right, each reaching from row Top
// to row Bottom and back: every row between crosses two edges per tooth.
std::vector<TPoint> Comb(int Left, int Right, int Pitch, int Top, int Bottom) {
  std::vector<TPoint> points;
  for (int x = Left; x < Right; x += Pitch) {
    points.push_back({x, Bottom});
    points.push_back({x + Pitch / 2, Top});
  }
  points.push_back({Right, Bottom + 5});
  points.push_back({Left, Bottom + 3});
  return points;
}

// A diamond traced pixel by pixel, as curve outlines are: steps to
// diagonal neighbours, now and then a step along a row.
std::vector<TPoint> SteppedDiamond(int CentreX, int CentreY, int Radius) {
  std::vector<TPoint> points;
  const int dx[] = {1, -1, -1, 1}, dy[] = {1, 1, -1, -1};
  TPoint p{CentreX, CentreY - Radius};
  for (int side = 0; side < 4; ++side) {
    for (int i = 0; i < Radius; ++i) {
      points.push_back(p);
      if (i % 5 == 2) points.push_back(p = {p.x + dx[side], p.y});
      p = {p.x + dx[side], p.y + dy[side]};
    }
  }
  return points;
}

std::vector<TPoint> RandomPolygon(int Count, int Left, int Top, int Right, int Bottom) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> x(Left, Right), y(Top, Bottom);
  std::vector<TPoint> points(static_cast<size_t>(Count));
  for (TPoint& p : points) {
    p.x = x(random);
    p.y = y(random);
  }
  return points;
}

}  // namespace

TEST(RasterPolygon, InteriorMatchesTheEvenOddRuleWhateverTheCrossings) {
  const std::vector<TPoint> random = RandomPolygon(40, -30, -5, kWidth + 30, kHeight + 5);
  std::vector<TPoint> twice = random;
  twice.insert(twice.end(), random.begin(), random.end());
  const struct {
    const char* Name;
    std::vector<TPoint> Points;
    bool Empty;
  } cases[] = {
      {"comb of 40 teeth across the image", Comb(-50, 110, 4, 2, 37), false},
      {"comb reaching a million pixels out", Comb(-1000000, 1000000, 40000, -3, 30), false},
      {"random, partly outside", RandomPolygon(300, -30, -5, kWidth + 30, kHeight + 5), false},
      {"random, traced twice", twice, true},
      // Few crossings a row: listed for all the rows at once.
      {"a few random vertices", RandomPolygon(7, -10, -8, kWidth + 10, kHeight + 8), false},
      {"stepped diamond, partly outside", SteppedDiamond(30, 25, 22), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    QImage image = MakeRaster(kWidth, kHeight);
    TRasterCanvas canvas(image);
    // XOR shows a pixel painted twice as one left alone.
    canvas.Pen = {clBlack, 1, pmXor, psClear};
    canvas.Brush = {kBrush, bsSolid};
    canvas.Polygon(c.Points);
    int inside = 0, wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool expected = InsideByRule(c.Points, x, y);
        inside += expected;
        if (PixelAt(image, x, y) != (expected ? clWhite ^ kBrush : clWhite) && wrong++ == 0)
          ADD_FAILURE() << "first wrong pixel (" << x << ", " << y << ")";
      }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(inside == 0, c.Empty) << inside << " pixels inside";
  }
}
