// Raster operations and backgrounds on the raster canvas: each pen mode's
// truth table for the pen and for the brush, the XOR markers restoring the
// image when drawn twice, FillRect ignoring the mode, hatches tied to the
// image origin with the background left alone, and unknown ordinals.
#include <gtest/gtest.h>

#include "canvas/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace {

// Source bits 1100 against destination bits 1010 in every byte: each mode
// leaves its truth table in the result's top four bits, written out here
// from the definitions of the sixteen binary raster operations.
constexpr TColor kSource = 0xCCCCCC;
constexpr TColor kDestination = 0xAAAAAA;
constexpr uint8_t kTruthTables[16] = {
    0x00,  // pmBlack
    0xFF,  // pmWhite
    0xAA,  // pmNop
    0x55,  // pmNot
    0xCC,  // pmCopy
    0x33,  // pmNotCopy
    0xDD,  // pmMergePenNot
    0x44,  // pmMaskPenNot
    0xBB,  // pmMergeNotPen
    0x22,  // pmMaskNotPen
    0xEE,  // pmMerge
    0x11,  // pmNotMerge
    0x88,  // pmMask
    0x77,  // pmNotMask
    0x66,  // pmXor
    0x99,  // pmNotXor
};

TColor Grey(uint8_t Byte) { return TColor(Byte) * 0x010101u; }

// A picture with every bit pattern in it, for the XOR markers.
QImage Stripes() {
  QImage image = MakeRaster(40, 30);
  const QRgb colours[5] = {0xFF000000, 0xFFFFFFFF, 0xFF123456, 0xFFC0C0C0, 0xFF00FF80};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, colours[(x / 3 + y / 5) % 5]);
  return image;
}

void DrawMarkers(TCanvas& Canvas, const std::vector<TPoint>& Points) {
  Canvas.Lock();
  Canvas.Brush = {clWhite, bsSolid};
  Canvas.Pen = {clWhite, 1, pmXor, psSolid};
  for (TPoint p : Points) Canvas.Rectangle(p.x - 3, p.y - 3, p.x + 3, p.y + 3);
  Canvas.Unlock();
}

}  // namespace

TEST(RasterMode, EachPenModeCombinesPenAndDestinationByItsTruthTable) {
  for (int mode = pmBlack; mode <= pmNotXor; ++mode) {
    QImage image = MakeRaster(8, 8, kDestination);
    TRasterCanvas canvas(image);
    canvas.Pen = {kSource, 1, TPenMode(mode), psSolid};
    canvas.Polyline(std::vector<TPoint>{{0, 2}, {8, 2}});
    EXPECT_EQ(PixelAt(image, 4, 2), Grey(kTruthTables[mode])) << "mode " << mode;
    EXPECT_EQ(PixelAt(image, 4, 3), kDestination) << "mode " << mode;
    EXPECT_EQ(qAlpha(image.pixel(4, 2)), 0xFF) << "mode " << mode;
  }
}

TEST(RasterMode, EachPenModeCombinesBrushAndDestinationByItsTruthTable) {
  for (int mode = pmBlack; mode <= pmNotXor; ++mode) {
    QImage image = MakeRaster(8, 8, kDestination);
    TRasterCanvas canvas(image);
    canvas.Pen = {clBlack, 1, TPenMode(mode), psClear};
    canvas.Brush = {kSource, bsSolid};
    canvas.Ellipse(0, 0, 8, 8);
    EXPECT_EQ(PixelAt(image, 4, 4), Grey(kTruthTables[mode])) << "mode " << mode;
  }
}

TEST(RasterMode, XorMarkersDrawnTwiceRestoreTheImage) {
  const QImage original = Stripes();
  QImage image = original;
  TRasterCanvas canvas(image);
  // Overlapping markers and one half outside the image.
  const std::vector<TPoint> points = {{10, 10}, {13, 12}, {0, 0}, {38, 29}, {20, 3}};
  DrawMarkers(canvas, points);
  EXPECT_EQ(PixelAt(image, 17, 0), ~PixelAt(original, 17, 0) & 0xFFFFFF);  // corner of marker (20, 3)
  EXPECT_EQ(PixelAt(image, 20, 3), ~PixelAt(original, 20, 3) & 0xFFFFFF);  // its interior
  EXPECT_EQ(PixelAt(image, 23, 3), PixelAt(original, 23, 3));              // right of its box
  DrawMarkers(canvas, points);
  EXPECT_EQ(CountDifferences(image, original), 0);
  EXPECT_EQ(canvas.LockCount(), 0);
}

TEST(RasterMode, FillRectIgnoresThePenMode) {
  QImage image = MakeRaster(10, 10, 0x123456);
  TRasterCanvas canvas(image);
  canvas.Pen.Mode = pmXor;
  canvas.Brush = {0x0000FF, bsSolid};
  canvas.FillRect({2, 2, 6, 6});
  EXPECT_EQ(PixelAt(image, 2, 2), 0x0000FFu);
  EXPECT_EQ(PixelAt(image, 5, 5), 0x0000FFu);
  EXPECT_EQ(PixelAt(image, 6, 5), 0x123456u);
}

TEST(RasterMode, HatchesAreTiedToTheImageOriginAndLeaveTheBackgroundAlone) {
  QImage image = MakeRaster(40, 40, 0x808080);
  TRasterCanvas canvas(image);
  canvas.Pen.Style = psClear;
  canvas.Brush = {0xFF0000, bsCross};
  canvas.Rectangle(3, 5, 30, 30);
  // Column 4 and row 3 of every 8 x 8 cell of the image, whatever the box.
  EXPECT_EQ(PixelAt(image, 4, 10), 0xFF0000u);
  EXPECT_EQ(PixelAt(image, 12, 6), 0xFF0000u);
  EXPECT_EQ(PixelAt(image, 9, 11), 0xFF0000u);
  EXPECT_EQ(PixelAt(image, 9, 10), 0x808080u);
  EXPECT_EQ(PixelAt(image, 13, 12), 0x808080u);
  EXPECT_EQ(PixelAt(image, 5, 3), 0x808080u);  // above the box

  canvas.Brush = {0x00FF00, bsFDiagonal};
  canvas.FillRect({0, 32, 8, 40});
  EXPECT_EQ(PixelAt(image, 0, 32), 0x00FF00u);  // x % 8 == y % 8
  EXPECT_EQ(PixelAt(image, 5, 37), 0x00FF00u);
  EXPECT_EQ(PixelAt(image, 5, 36), 0x808080u);
}

TEST(RasterMode, UnknownOrdinalsDrawAsCopySolidPenAndSolidBrush) {
  QImage image = MakeRaster(40, 20, 0x808080);
  TRasterCanvas canvas(image);
  canvas.Pen = {0x0000FF, 1, TPenMode(77), TPenStyle(99)};
  canvas.Brush = {0x00FF00, TBrushStyle(50)};
  canvas.Polyline(std::vector<TPoint>{{0, 2}, {40, 2}});
  EXPECT_EQ(PixelAt(image, 0, 2), 0x0000FFu);
  EXPECT_EQ(PixelAt(image, 20, 2), 0x0000FFu);  // no gap of a dash
  canvas.Rectangle(0, 5, 10, 15);
  EXPECT_EQ(PixelAt(image, 5, 10), 0x00FF00u);

  // A solid brush makes the background opaque: the gaps of a dashed pen
  // take the brush colour.
  canvas.Pen.Style = psDash;
  canvas.Polyline(std::vector<TPoint>{{0, 18}, {40, 18}});
  EXPECT_EQ(PixelAt(image, 20, 18), 0x00FF00u);
}
