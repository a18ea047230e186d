// Colour resolution: plain colours pass as they are, system colours take the
// platform palette's colour for their role when drawn, unknown indices
// resolve to black. Guards against a swapped role or channel order.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

#include "canvas/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace {

constexpr TColor kColorWindow = clSystemColor + 5;
constexpr TColor kColorHighlight = clSystemColor + 13;
constexpr TColor kColorBtnFace = clSystemColor + 15;

TColor PaletteColor(QPalette::ColorRole Role) {
  const QColor c = QGuiApplication::palette().color(QPalette::Active, Role);
  return TColor(c.red()) | TColor(c.green()) << 8 | TColor(c.blue()) << 16;
}

}  // namespace

TEST(RasterColor, PlainColoursKeepTheirLow24Bits) {
  EXPECT_EQ(ColorToRGB(0x00123456), 0x123456u);
  EXPECT_EQ(ColorToRGB(0x7F123456), 0x123456u);
}

TEST(RasterColor, SystemColoursTakeThePaletteRole) {
  EXPECT_EQ(ColorToRGB(kColorWindow), PaletteColor(QPalette::Base));
  EXPECT_EQ(ColorToRGB(clWindowText), PaletteColor(QPalette::Text));
  EXPECT_EQ(ColorToRGB(kColorHighlight), PaletteColor(QPalette::Highlight));
  EXPECT_EQ(ColorToRGB(kColorBtnFace), PaletteColor(QPalette::Button));
}

TEST(RasterColor, UnknownSystemColourIndexIsBlack) {
  EXPECT_EQ(ColorToRGB(clSystemColor + 31), clBlack);
  EXPECT_EQ(ColorToRGB(0xFFFFFFFF), clBlack);
}

TEST(RasterColor, SystemColoursAreResolvedWhenDrawn) {
  QImage image = MakeRaster(10, 10, 0x123456);
  TRasterCanvas canvas(image);
  canvas.Pen = {kColorHighlight, 1, pmCopy, psSolid};
  canvas.Brush = {kColorBtnFace, bsSolid};
  canvas.Rectangle(0, 0, 10, 10);
  EXPECT_EQ(PixelAt(image, 0, 0), PaletteColor(QPalette::Highlight));
  EXPECT_EQ(PixelAt(image, 5, 5), PaletteColor(QPalette::Button));
  // The canvas keeps the reference, not the resolved value.
  EXPECT_EQ(canvas.Pen.Color, kColorHighlight);
}
