// Saving an area of the raster and putting it back around an inner
// rectangle. Guards against rows or columns off by one at the area's or
// the kept rectangle's edges, areas reaching beyond the image, and pixels
// put back on an image of another size.
#include <gtest/gtest.h>

#include <QImage>

#include <memory>

#include "canvas/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace {

bool Inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// Each pixel its own value, so that a pixel moved anywhere shows.
void FillNumbered(QImage& Image, uint32_t Salt) {
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x) Image.setPixel(x, y, 0xFF000000u | ((uint32_t(y) << 10 | uint32_t(x)) ^ Salt));
}

TEST(RasterArea, PutsBackTheAreaAroundTheKeptRectangle) {
  struct TCase {
    TRect Area, Keep;
  };
  const TCase cases[] = {
      {{10, 8, 40, 30}, {15, 12, 25, 20}},   // kept rectangle inside
      {{-5, -7, 20, 12}, {0, 0, 6, 4}},      // area beyond the top-left corner
      {{50, 40, 70, 60}, {60, 30, 90, 50}},  // kept rectangle over the edge
      {{30, 5, 45, 25}, {}},                  // nothing kept
  };
  QImage raster(64, 48, QImage::Format_RGB32);
  TRasterCanvas canvas(raster);
  EXPECT_EQ(canvas.PixelBounds(), (TRect{0, 0, 64, 48}));
  std::unique_ptr<TCanvasBits> bits;
  for (const TCase& c : cases) {
    FillNumbered(raster, 0);
    const QImage saved = raster.copy();
    ASSERT_TRUE(canvas.SaveArea(c.Area, bits));
    FillNumbered(raster, 0x5A5A5A);
    const QImage drawn = raster.copy();
    ASSERT_TRUE(canvas.RestoreAreaExcept(*bits, c.Keep));
    for (int y = 0; y < raster.height(); ++y) {
      for (int x = 0; x < raster.width(); ++x) {
        const bool restored = Inside(c.Area, x, y) && !Inside(c.Keep, x, y);
        ASSERT_EQ(raster.pixel(x, y), (restored ? saved : drawn).pixel(x, y)) << x << "," << y;
      }
    }
  }
}

TEST(RasterArea, RefusesPixelsSavedAtAnotherSize) {
  QImage raster(32, 32, QImage::Format_RGB32);
  raster.fill(Qt::white);
  TRasterCanvas canvas(raster);
  std::unique_ptr<TCanvasBits> bits;
  ASSERT_TRUE(canvas.SaveArea({0, 0, 8, 8}, bits));
  raster = QImage(16, 16, QImage::Format_RGB32);
  raster.fill(Qt::black);
  EXPECT_FALSE(canvas.RestoreAreaExcept(*bits, {}));
  EXPECT_EQ(PixelAt(raster, 0, 0), clBlack);
}

}  // namespace
