// Geometry anywhere in the 32-bit range and absurd pens: the canvas clips
// instead of overflowing, draws what falls on the image and finishes in
// time proportional to the image (a figure walked pixel by pixel would
// never finish here). Also images it cannot draw on.
#include <gtest/gtest.h>

#include <limits>

#include "canvas/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr TColor kRed = 0x0000FF;

struct THugeCanvas {
  QImage Image = MakeRaster(50, 50);
  TRasterCanvas Canvas{Image};

  THugeCanvas() {
    Canvas.Pen = {clBlack, 1, pmCopy, psSolid};
    Canvas.Brush = {kRed, bsSolid};
  }
  TColor At(int X, int Y) const { return PixelAt(Image, X, Y); }
  // The pixels that are not C.
  int NotOf(TColor C) const {
    int n = 0;
    for (int y = 0; y < Image.height(); ++y)
      for (int x = 0; x < Image.width(); ++x) n += At(x, y) != C;
    return n;
  }
};

}  // namespace

TEST(RasterRobustness, ShapesSpanningTheWholeRangeFillTheImage) {
  THugeCanvas rectangle, ellipse, rounded, polygon;
  rectangle.Canvas.Rectangle(kMin, kMin, kMax, kMax);
  EXPECT_EQ(rectangle.NotOf(kRed), 0);
  ellipse.Canvas.Ellipse(kMin, kMin, kMax, kMax);
  EXPECT_EQ(ellipse.NotOf(kRed), 0);
  rounded.Canvas.RoundRect(kMin, kMin, kMax, kMax, kMax, kMax);
  EXPECT_EQ(rounded.NotOf(kRed), 0);
  polygon.Canvas.Polygon(std::vector<TPoint>{{kMin, kMin}, {kMax, kMin}, {0, kMax}});
  EXPECT_EQ(polygon.NotOf(kRed), 0);
}

TEST(RasterRobustness, HugePieCoversOnlyItsQuarters) {
  // The centre of the box is (-1, -1): the image lies in the lower right
  // quarter, at angles between 270 and 360 degrees.
  THugeCanvas without, with;
  without.Canvas.Pie(kMin, kMin, kMax, kMax, kMax, -1, -1, kMax);  // 0 to 270 degrees
  EXPECT_EQ(without.NotOf(clWhite), 0);
  with.Canvas.Pie(kMin, kMin, kMax, kMax, -1, kMax, kMax, -1);  // 270 to 360 degrees
  EXPECT_EQ(with.NotOf(kRed), 0);
}

TEST(RasterRobustness, HugeChordKeepsTheSideOfItsCut) {
  // Cut along the diagonal through the centre (-1, -1): from 225 degrees
  // counter-clockwise to 45 degrees keeps the lower right half.
  THugeCanvas kept, cut;
  kept.Canvas.Chord(kMin, kMin, kMax, kMax, kMin, kMax, kMax, kMin);
  EXPECT_EQ(kept.NotOf(kRed), 0);
  cut.Canvas.Chord(kMin, kMin, kMax, kMax, kMax, kMin, kMin, kMax);
  EXPECT_EQ(cut.NotOf(clWhite), 0);
}

TEST(RasterRobustness, HugeLinesLightThePixelsOnTheImage) {
  THugeCanvas c;
  c.Canvas.Polyline(std::vector<TPoint>{{kMin, kMin}, {kMax, kMax}});  // the main diagonal
  EXPECT_EQ(c.At(0, 0), clBlack);
  EXPECT_EQ(c.At(25, 25), clBlack);
  EXPECT_EQ(c.At(49, 49), clBlack);
  EXPECT_EQ(c.At(25, 26), clWhite);
  EXPECT_EQ(c.NotOf(clWhite), 50);
  // The pattern phase on the image counts every pixel from the far start:
  // column 30 is pixel 2^31 - 31 of the line, 1 modulo the 24 pixels of
  // dash-dot-dot (9 on, 3 off, ...); column 22 is 9 modulo 24, in the gap,
  // which the solid brush fills with its colour.
  c.Canvas.Pen.Style = psDashDotDot;
  c.Canvas.Polyline(std::vector<TPoint>{{kMax, 10}, {kMin, 10}, {kMin, kMin}});
  EXPECT_EQ(c.At(30, 10), clBlack);
  EXPECT_EQ(c.At(22, 10), kRed);
}

TEST(RasterRobustness, AbsurdPenWidthsNeitherOverflowNorStall) {
  THugeCanvas wide, negative, thin;
  wide.Canvas.Pen.Width = kMax;
  wide.Canvas.Polyline(std::vector<TPoint>{{0, 0}, {10, 0}});
  EXPECT_EQ(wide.NotOf(clBlack), 0);
  wide.Canvas.Pen.Color = kRed;
  wide.Canvas.Ellipse(kMin, kMin, kMax, kMax);
  wide.Canvas.Pen.Style = psInsideFrame;
  wide.Canvas.Chord(kMin, 0, kMax, 40, 0, kMin, 0, kMax);
  wide.Canvas.Rectangle(-1000, -1000, 1000, 1000);
  EXPECT_EQ(wide.NotOf(kRed), 0);
  negative.Canvas.Pen.Width = -7;
  negative.Canvas.Polyline(std::vector<TPoint>{{0, 5}, {20, 5}});
  thin.Canvas.Polyline(std::vector<TPoint>{{0, 5}, {20, 5}});
  EXPECT_EQ(CountDifferences(negative.Image, thin.Image), 0);
}

TEST(RasterRobustness, HugeStretchedPictureShowsItsPart) {
  THugeCanvas c;
  const TPixelImage picture{.Width = 2, .Height = 2, .Pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x808080}};
  // The image falls into the lower right quarter of the destination.
  c.Canvas.StretchDraw({kMin, kMin, kMax, kMax}, picture);
  EXPECT_EQ(c.NotOf(0x808080), 0);
}

TEST(RasterRobustness, ImagesThatCannotBeDrawnOnAreLeftAlone) {
  QImage null;
  TRasterCanvas onNull(null);
  onNull.Rectangle(0, 0, 10, 10);
  onNull.TextOut(0, 0, "x");

  QImage indexed(8, 8, QImage::Format_Indexed8);
  indexed.setColorCount(2);
  indexed.setColor(0, 0xFF000000);
  indexed.setColor(1, 0xFFFFFFFF);
  indexed.fill(1);
  const QImage before = indexed;
  TRasterCanvas onIndexed(indexed);
  onIndexed.Rectangle(0, 0, 8, 8);
  onIndexed.TextOut(0, 0, "x");
  EXPECT_EQ(indexed.format(), QImage::Format_Indexed8);
  EXPECT_EQ(CountDifferences(indexed, before), 0);
}

TEST(RasterRobustness, PictureWithTooFewPixelsIsNotRead) {
  THugeCanvas c;
  const TPixelImage broken{.Width = 4, .Height = 4, .Pixels = {0x000000, 0x000000}};
  c.Canvas.StretchDraw({0, 0, 50, 50}, broken);
  EXPECT_EQ(c.NotOf(clWhite), 0);
}
