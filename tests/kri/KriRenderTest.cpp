// Render and the BMP writer. Guards against header fields in the wrong
// place, rows written top-down or unpadded, colour channels swapped, the
// selection markers drawn into the picture, and a render that differs from
// what the raster canvas draws for the same image.
#include <gtest/gtest.h>

#include <QImage>

#include "canvas/RasterCanvas.h"
#include "kri/KriTestSupport.h"
#include "support/RasterTestSupport.h"
#include "export/PictureExport.h"

namespace {

uint32_t Get32(const TBytes& B, size_t At) {
  return uint32_t(B[At]) | uint32_t(B[At + 1]) << 8 | uint32_t(B[At + 2]) << 16 | uint32_t(B[At + 3]) << 24;
}

// The pixel at (X, Y) of a 24-bit bottom-up BMP with a 54-byte header, as
// 0x00BBGGRR.
TColor BmpPixel(const TBytes& Bmp, int X, int Y) {
  const int32_t width = int32_t(Get32(Bmp, 18)), height = int32_t(Get32(Bmp, 22));
  const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
  const size_t at = 54 + size_t(height - 1 - Y) * stride + size_t(X) * 3;
  return TColor(Bmp[at + 2]) | TColor(Bmp[at + 1]) << 8 | TColor(Bmp[at]) << 16;
}

// Figures of several kinds over a coloured background, the rectangle
// selected so that its markers would show.
void AddSampleFigures(TFiguresCollection& Image, TCanvas* Canvas) {
  auto rectangle = std::make_unique<TFigureRectangle>(Canvas);
  rectangle->SetPoint(0, {4, 4});
  rectangle->SetPoint(1, {20, 16});
  rectangle->SetBrushColor(0x000000FF);
  auto ellipse = std::make_unique<TFigureEllipse>(Canvas);
  ellipse->SetPoint(0, {14, 8});
  ellipse->SetPoint(1, {36, 26});
  ellipse->SetPenMode(pmXor);
  ellipse->SetPenColor(0x00FFFFFF);
  ellipse->SetBrushStyle(bsCross);
  ellipse->SetBrushColor(0x0000FF00);
  auto line = std::make_unique<TFigurePolyLine>(Canvas);
  line->AddPointXY(0, 29);
  line->AddPointXY(39, 0);
  line->SetPenStyle(psDot);
  auto text = std::make_unique<TFigureText>(Canvas);
  text->SetPoint(0, {2, 18});
  text->SetText("Ab\xC6");
  TBasicFigure* selected = Image.Add(std::move(rectangle));
  Image.Add(std::move(ellipse));
  Image.Add(std::move(line));
  Image.Add(std::move(text));
  Image.SetSelected(selected);
}

}  // namespace

// A 3 x 2 picture written out field by field: each 9-byte row padded to 12,
// the bottom row first, blue-green-red.
TEST(KriBmp, HeaderAndRowsFollowTheFileFormat) {
  QImage picture(3, 2, QImage::Format_RGB32);
  picture.setPixel(0, 0, qRgb(0x11, 0x22, 0x33));
  picture.setPixel(1, 0, qRgb(0x44, 0x55, 0x66));
  picture.setPixel(2, 0, qRgb(0x77, 0x88, 0x99));
  picture.setPixel(0, 1, qRgb(0xAA, 0xBB, 0xCC));
  picture.setPixel(1, 1, qRgb(0xDD, 0xEE, 0xFF));
  picture.setPixel(2, 1, qRgb(0x01, 0x02, 0x03));
  const TBytes expected{
      'B',  'M',  78,   0,    0,    0,    0,    0,    0, 0, 54, 0, 0, 0,  // file header
      40,   0,    0,    0,    3,    0,    0,    0,    2, 0, 0,  0,         // size, width, height
      1,    0,    24,   0,    0,    0,    0,    0,    24, 0, 0, 0,         // planes, bits, BI_RGB, bits size
      0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0,  0, 0, 0, 0, 0,
      0xCC, 0xBB, 0xAA, 0xFF, 0xEE, 0xDD, 0x03, 0x02, 0x01, 0, 0, 0,     // bottom row
      0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0,     // top row
  };
  EXPECT_EQ(EncodeBmp24(picture), expected);
}

TEST(KriBmp, RowsOfAMultipleOfFourBytesAreNotPadded) {
  const TBytes bmp = EncodeBmp24(MakeRaster(4, 1, 0x00030201));
  EXPECT_EQ(bmp.size(), size_t(54 + 12));
  EXPECT_EQ(Get32(bmp, 2), 66u);
  EXPECT_EQ(Get32(bmp, 34), 12u);
  EXPECT_EQ(TBytes(bmp.begin() + 54, bmp.begin() + 57), (TBytes{0x03, 0x02, 0x01}));
}

// The render equals what the raster canvas draws for the same image in the
// image window with no figure selected, pixel for pixel.
TEST(KriRender, EqualsTheRasterCanvasWithoutMarkers) {
  TFiguresCollection image(&IdleCanvas(), TRect{0, 0, 41, 31});
  image.SetBackgroundColor(0x00C08040);
  AddSampleFigures(image, nullptr);
  const TBytes bmp = EncodeBmp24(RenderImage(image));

  QImage reference = MakeRaster(41, 31);
  TRasterCanvas canvas(reference);
  TFiguresCollection shown(&canvas, TRect{0, 0, 41, 31});
  shown.SetBackgroundColor(0x00C08040);
  AddSampleFigures(shown, &canvas);
  shown.SetSelected(nullptr);

  ASSERT_EQ(Get32(bmp, 18), 41u);
  ASSERT_EQ(Get32(bmp, 22), 31u);
  int differences = 0;
  for (int y = 0; y < 31; ++y)
    for (int x = 0; x < 41; ++x) differences += BmpPixel(bmp, x, y) != PixelAt(reference, x, y);
  EXPECT_EQ(differences, 0);
  EXPECT_EQ(BmpPixel(bmp, 40, 30), TColor(0x00C08040));  // background, no figure there
  EXPECT_EQ(BmpPixel(bmp, 8, 10), TColor(0x000000FF));   // inside the rectangle, clear of the other figures
  EXPECT_EQ(image.Canvas(), &IdleCanvas()) << "the image's own canvas is left alone";
  EXPECT_NE(image.Selected(), nullptr);
}

// The raster is Right x Bottom; what lies outside the image rectangle stays
// blank (white).
TEST(KriRender, RasterSpansToRightAndBottom) {
  TFiguresCollection image(&IdleCanvas(), TRect{5, 3, 12, 9});
  image.SetBackgroundColor(0x00000080);
  const QImage raster = RenderImage(image);
  EXPECT_EQ(raster.width(), 12);
  EXPECT_EQ(raster.height(), 9);
  EXPECT_EQ(PixelAt(raster, 4, 5), clWhite);
  EXPECT_EQ(PixelAt(raster, 7, 2), clWhite);
  EXPECT_EQ(PixelAt(raster, 5, 3), TColor(0x00000080));
  EXPECT_EQ(PixelAt(raster, 11, 8), TColor(0x00000080));
}
