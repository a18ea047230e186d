// Text on the raster canvas: the height conventions of the font system
// (negative: character height, positive: cell height), extents, glyphs in
// the font colour without antialiasing, the background box following the
// brush and text ignoring the pen mode.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>
#include <limits>
#include <set>

#include "canvas/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace {

TSize Extent(TCanvas& Canvas, int32_t Height, std::string_view Text = "Hello") {
  Canvas.Font.Height = Height;
  return Canvas.TextExtent(Text);
}

// The colours in the rectangle [X0, X1) x [Y0, Y1).
std::set<TColor> Colours(const QImage& Image, int X0, int Y0, int X1, int Y1) {
  std::set<TColor> colours;
  for (int y = Y0; y < Y1; ++y)
    for (int x = X0; x < X1; ++x) colours.insert(PixelAt(Image, x, y));
  return colours;
}

// The pixels outside that rectangle that differ from Background.
int ChangedOutside(const QImage& Image, TColor Background, int X0, int Y0, int X1, int Y1) {
  int changed = 0;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x)
      if ((x < X0 || x >= X1 || y < Y0 || y >= Y1) && PixelAt(Image, x, y) != Background) ++changed;
  return changed;
}

}  // namespace

TEST(RasterText, NegativeHeightIsTheCharacterHeight) {
  QImage image = MakeRaster(10, 10);
  TRasterCanvas canvas(image);
  const TSize small = Extent(canvas, -20), large = Extent(canvas, -40);
  // The cell adds the internal leading to the character height.
  EXPECT_GE(small.cy, 20);
  EXPECT_LT(small.cy, 30);
  EXPECT_GT(large.cx, small.cx);
  EXPECT_GT(large.cy, small.cy);
}

TEST(RasterText, PositiveHeightIsTheLargestFontWhoseCellFits) {
  QImage image = MakeRaster(10, 10);
  TRasterCanvas canvas(image);
  for (int32_t cell : {13, 24, 40}) {
    int32_t largest = 0;  // character height of the largest font that fits
    for (int32_t k = 1; k <= cell; ++k)
      if (Extent(canvas, -k).cy <= cell) largest = k;
    EXPECT_EQ(Extent(canvas, cell), Extent(canvas, -largest)) << "cell " << cell;
    EXPECT_LE(Extent(canvas, cell).cy, cell);
  }
}

TEST(RasterText, EmptyTextHasNoWidthButTheCellHeight) {
  QImage image = MakeRaster(10, 10);
  TRasterCanvas canvas(image);
  const TSize empty = Extent(canvas, -16, "");
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(empty.cy, Extent(canvas, -16, "x").cy);
  EXPECT_EQ(canvas.TextWidth("Hello"), canvas.TextExtent("Hello").cx);
  EXPECT_EQ(canvas.TextHeight("Hello"), canvas.TextExtent("Hello").cy);
}

TEST(RasterText, DefaultHeightAndExtremeHeightsMeasure) {
  QImage image = MakeRaster(10, 10);
  TRasterCanvas canvas(image);
  EXPECT_GT(Extent(canvas, 0).cy, 0);
  EXPECT_GT(Extent(canvas, std::numeric_limits<int32_t>::min()).cy, 0);
  EXPECT_GT(Extent(canvas, std::numeric_limits<int32_t>::max()).cy, 0);
}

TEST(RasterText, GlyphsAreDrawnInTheFontColourWithoutAntialiasing) {
  QImage image = MakeRaster(120, 40);
  TRasterCanvas canvas(image);
  canvas.Font = {"Arial", -20, 0x0000FF, 1, 0};
  canvas.Brush.Style = bsClear;
  canvas.Pen.Mode = pmXor;  // text ignores the pen mode
  canvas.TextOut(10, 5, "Hxq");
  const TSize size = canvas.TextExtent("Hxq");
  EXPECT_EQ(Colours(image, 10, 5, 10 + size.cx, 5 + size.cy), (std::set<TColor>{clWhite, 0x0000FF}));
  EXPECT_EQ(ChangedOutside(image, clWhite, 10, 5, 10 + size.cx, 5 + size.cy), 0);
}

TEST(RasterText, SolidBrushPaintsTheBackgroundBox) {
  QImage image = MakeRaster(120, 40);
  TRasterCanvas canvas(image);
  canvas.Font = {"Times New Roman", 24, clBlack, 1, fsBold};
  canvas.Brush = {0x00FFFF, bsSolid};
  canvas.TextOut(7, 3, "Ab");
  const TSize size = canvas.TextExtent("Ab");
  EXPECT_EQ(Colours(image, 7, 3, 7 + size.cx, 3 + size.cy), (std::set<TColor>{0x00FFFF, clBlack}));
  EXPECT_EQ(PixelAt(image, 7, 3), 0x00FFFFu);
  EXPECT_EQ(ChangedOutside(image, clWhite, 7, 3, 7 + size.cx, 3 + size.cy), 0);
}

TEST(RasterText, DefaultFontColourIsTheWindowTextOfThePalette) {
  QImage image = MakeRaster(60, 30, 0x808080);
  TRasterCanvas canvas(image);
  canvas.Brush.Style = bsHorizontal;     // a hatch: transparent background
  canvas.TextOut(2, 2, "\xC6\xE8\xEC");  // Cyrillic, Windows-1251
  const QColor text = QGuiApplication::palette().color(QPalette::Text);
  const TColor expected = TColor(text.red()) | TColor(text.green()) << 8 | TColor(text.blue()) << 16;
  const TSize size = canvas.TextExtent("\xC6\xE8\xEC");
  EXPECT_GT(size.cx, 0);
  EXPECT_EQ(Colours(image, 2, 2, 2 + size.cx, 2 + size.cy), (std::set<TColor>{0x808080, expected}));
}

TEST(RasterText, TextFarOutsideTheImageDrawsNothing) {
  QImage image = MakeRaster(40, 40);
  TRasterCanvas canvas(image);
  canvas.Brush = {0x00FFFF, bsSolid};
  canvas.TextOut(std::numeric_limits<int32_t>::min(), 10, "far left");
  canvas.TextOut(std::numeric_limits<int32_t>::max() - 3, 10, "far right");
  canvas.TextOut(5, std::numeric_limits<int32_t>::min(), "far up");
  EXPECT_EQ(CountDifferences(image, MakeRaster(40, 40)), 0);
}

TEST(RasterText, TextStartingFarLeftStillShowsItsVisibleEnd) {
  QImage image = MakeRaster(60, 30);
  TRasterCanvas canvas(image);
  canvas.Font.Height = -20;
  canvas.Brush.Style = bsClear;
  const std::string text(80000, 'W');  // over a million pixels wide
  const int32_t width = canvas.TextWidth(text);
  canvas.TextOut(50 - width, 5, text);  // ends at column 50
  EXPECT_GT(CountDifferences(image, MakeRaster(60, 30)), 0);
  EXPECT_EQ(ChangedOutside(image, clWhite, 0, 5, 50, 5 + canvas.TextHeight(text)), 0);
}
