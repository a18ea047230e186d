// The painted extent of a figure, measured by the extent canvas: every
// pixel drawing the figure changes on the raster lies inside it. Guards
// against extents that forget the half width of wide pens, round pen ends,
// the glyphs and background box of texts, mirrored picture destinations,
// or figures crossing the image edges, any of which would leave stale
// pixels after a redraw of an area.
#include <gtest/gtest.h>

#include <QImage>

#include <random>
#include <string>

#include "canvas/ExtentCanvas.h"
#include "canvas/RasterCanvas.h"
#include "support/RandomFigures.h"
#include "support/RasterTestSupport.h"

namespace {

constexpr int kWidth = 200, kHeight = 160;

bool Inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

TEST(FigureExtent, HoldsEveryPixelTheFigureChanges) {
  std::mt19937 random(20240611);
  QImage raster = MakeRaster(kWidth, kHeight);
  TRasterCanvas canvas(raster);
  TExtentCanvas measure(canvas);
  const TRect bounds{0, 0, kWidth, kHeight};
  int changedFigures = 0, textsChanged = 0, picturesChanged = 0;
  for (int trial = 0; trial < 1500; ++trial) {
    // A background of its own per figure, so that every raster operation
    // has pixels to change.
    raster.fill(QColor::fromRgb(uint32_t(random()) & 0xFFFFFF));
    const QImage before = raster.copy();
    std::unique_ptr<TBasicFigure> figure = RandomFigure(random, &canvas, {-20, -20, kWidth + 20, kHeight + 20}, 60);
    measure.Reset();
    figure->DrawOn(measure);
    const TRect extent = measure.Extent(bounds);
    figure->Draw();
    int changed = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if (raster.pixel(x, y) == before.pixel(x, y)) continue;
        ++changed;
        if (!Inside(extent, x, y)) ++outside;
      }
    }
    ASSERT_EQ(outside, 0) << "trial " << trial << ": " << figure->ClassName() << ", extent " << extent.Left << ","
                          << extent.Top << "-" << extent.Right << "," << extent.Bottom;
    if (changed == 0) continue;
    ++changedFigures;
    textsChanged += figure->ClassType().Traits.Family == ffText;
    picturesChanged += AsPicture(figure.get()) != nullptr;
  }
  // The figures did draw, of every kind the extent treats apart.
  EXPECT_GT(changedFigures, 1000);
  EXPECT_GT(textsChanged, 60);
  EXPECT_GT(picturesChanged, 60);
}

// Without the frame a text figure draws around them, glyphs of slanted
// and heavy faces reach beyond their advance.
TEST(FigureExtent, HoldsBareTextsGlyphs) {
  std::mt19937 random(77);
  const auto uniform = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(random); };
  QImage raster = MakeRaster(kWidth, kHeight);
  TRasterCanvas canvas(raster);
  TExtentCanvas measure(canvas);
  const char* texts[] = {"fff", "Wj", "\xC9\xD9y", "Qf/"};
  const char* names[] = {"Arial", "Times New Roman", "Courier New"};
  for (int trial = 0; trial < 200; ++trial) {
    raster.fill(Qt::white);
    TFont font;
    font.Name = names[uniform(0, 2)];
    font.Height = -uniform(8, 60);
    font.Style = TFontStyles(uniform(0, 3));
    font.Color = clBlack;
    canvas.Font = measure.Font = font;
    canvas.Brush.Style = measure.Brush.Style = bsClear;
    const int x = uniform(0, kWidth - 40), y = uniform(0, kHeight - 40);
    const char* text = texts[uniform(0, 3)];
    measure.Reset();
    measure.TextOut(x, y, text);
    canvas.TextOut(x, y, text);
    const TRect extent = measure.Extent({0, 0, kWidth, kHeight});
    for (int py = 0; py < kHeight; ++py) {
      for (int px = 0; px < kWidth; ++px) {
        if (PixelAt(raster, px, py) != clWhite) {
          ASSERT_TRUE(Inside(extent, px, py)) << "trial " << trial << " at " << px << "," << py;
        }
      }
    }
  }
}

TEST(FigureExtent, NothingDrawnOrAllOutsideIsEmpty) {
  QImage raster = MakeRaster(kWidth, kHeight);
  TRasterCanvas canvas(raster);
  TExtentCanvas measure(canvas);
  EXPECT_EQ(measure.Extent({0, 0, kWidth, kHeight}), TRect{});
  measure.Pen.Width = 4;
  measure.Rectangle(300, 300, 340, 320);
  EXPECT_EQ(measure.Extent({0, 0, kWidth, kHeight}), TRect{});
  // Reversed corners and a mirrored picture count as their normal boxes.
  measure.Reset();
  measure.StretchDraw({50, 40, 30, 20}, TPixelImage{});
  const TRect box = measure.Extent({0, 0, kWidth, kHeight});
  EXPECT_LE(box.Left, 30);
  EXPECT_LE(box.Top, 20);
  EXPECT_GE(box.Right, 51);
  EXPECT_GE(box.Bottom, 41);
}

}  // namespace
