// Pictures stretched onto the raster canvas: enlarging repeats pixels,
// shrinking ANDs the pixels that fall together, a negative extent mirrors,
// the transparent colour leaves the image alone, and the image clips.
#include <gtest/gtest.h>

#include "canvas/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace {

// Picture pixels are 0x00RRGGBB; the canvas reads pixels back as 0x00BBGGRR.
constexpr uint32_t kRedPixel = 0xFF0000, kGreenPixel = 0x00FF00, kBluePixel = 0x0000FF, kGreyPixel = 0x808080;
constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kGrey = 0x808080;

const TPixelImage kTwoByTwo{.Width = 2, .Height = 2, .Pixels = {kRedPixel, kGreenPixel, kBluePixel, kGreyPixel}};

}  // namespace

TEST(RasterPicture, EnlargingRepeatsEachPixel) {
  QImage image = MakeRaster(10, 10);
  TRasterCanvas canvas(image);
  canvas.StretchDraw({2, 2, 6, 6}, kTwoByTwo);
  EXPECT_EQ(PixelAt(image, 2, 2), kRed);
  EXPECT_EQ(PixelAt(image, 3, 3), kRed);
  EXPECT_EQ(PixelAt(image, 4, 2), kGreen);
  EXPECT_EQ(PixelAt(image, 2, 5), kBlue);
  EXPECT_EQ(PixelAt(image, 5, 5), kGrey);
  EXPECT_EQ(PixelAt(image, 6, 5), clWhite);
  EXPECT_EQ(CountDifferences(image, MakeRaster(10, 10)), 16);
}

TEST(RasterPicture, ShrinkingAndsThePixelsThatFallTogether) {
  QImage image = MakeRaster(10, 10);
  TRasterCanvas canvas(image);
  const TPixelImage strip{.Width = 4, .Height = 1, .Pixels = {0xFF00FF, 0xFFFF00, 0x00FFFF, 0x0000FF}};
  canvas.StretchDraw({0, 0, 2, 1}, strip);
  EXPECT_EQ(PixelAt(image, 0, 0), kRed);   // 0xFF00FF & 0xFFFF00
  EXPECT_EQ(PixelAt(image, 1, 0), kBlue);  // 0x00FFFF & 0x0000FF
}

TEST(RasterPicture, NegativeExtentMirrors) {
  QImage image = MakeRaster(10, 10);
  TRasterCanvas canvas(image);
  // Right of the destination before its left: columns 2..5, mirrored.
  canvas.StretchDraw({5, 2, 1, 6}, kTwoByTwo);
  EXPECT_EQ(PixelAt(image, 5, 2), kRed);
  EXPECT_EQ(PixelAt(image, 2, 2), kGreen);
  EXPECT_EQ(PixelAt(image, 5, 5), kBlue);
  EXPECT_EQ(PixelAt(image, 1, 2), clWhite);
  EXPECT_EQ(PixelAt(image, 6, 2), clWhite);
}

TEST(RasterPicture, TransparentColourLeavesTheImageAlone) {
  QImage image = MakeRaster(10, 10, 0x123456);
  TRasterCanvas canvas(image);
  canvas.StretchDraw({0, 0, 4, 4}, kTwoByTwo, kGreenPixel);
  EXPECT_EQ(PixelAt(image, 0, 0), kRed);
  EXPECT_EQ(PixelAt(image, 2, 0), 0x123456u);
  EXPECT_EQ(PixelAt(image, 3, 1), 0x123456u);
  EXPECT_EQ(PixelAt(image, 3, 3), kGrey);
}

TEST(RasterPicture, PartsOutsideTheImageAreClipped) {
  QImage image = MakeRaster(10, 10);
  TRasterCanvas canvas(image);
  canvas.StretchDraw({-4, 6, 6, 16}, kTwoByTwo);  // 10 x 10, five pixels a cell
  EXPECT_EQ(PixelAt(image, 0, 6), kRed);
  EXPECT_EQ(PixelAt(image, 1, 6), kGreen);
  EXPECT_EQ(PixelAt(image, 5, 9), kGreen);
  EXPECT_EQ(PixelAt(image, 6, 6), clWhite);
  EXPECT_EQ(PixelAt(image, 0, 5), clWhite);
}
