// Figures drawn on a real raster: the pen and fill frames reach the canvas,
// the XOR markers restore what they cover, hidden and damaged figures are
// skipped, text boxes and picture frames have the documented extents.
// Guards against markers that leave traces, figures that draw when they must
// not, and boxes off by the pen inset or the overhang of slanted text.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "canvas/RasterCanvas.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "support/RasterTestSupport.h"

namespace {

constexpr TColor clRed = 0x000000FF;
constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clGreen = 0x0000FF00;

struct DrawingTest : ::testing::Test {
  QImage Image = MakeRaster(120, 100);
  TRasterCanvas Canvas{Image};
};

// Records the lock depth at every rectangle the canvas draws.
class TLockProbe : public TRasterCanvas {
 public:
  using TRasterCanvas::TRasterCanvas;
  std::vector<int> LockDepths;

 protected:
  void DoRectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override {
    LockDepths.push_back(LockCount());
    TRasterCanvas::DoRectangle(X1, Y1, X2, Y2);
  }
};

}  // namespace

TEST_F(DrawingTest, RectangleFigureUsesItsPenAndFill) {
  TFigureRectangle r(&Canvas);
  r.SetPoint(0, {60, 50});
  r.SetPoint(1, {10, 20});
  r.SetPenColor(clRed);
  r.SetPenWidth(1);
  r.SetBrushColor(clBlue);
  r.Draw();
  EXPECT_EQ(PixelAt(Image, 10, 20), clRed);
  EXPECT_EQ(PixelAt(Image, 59, 49), clRed);
  EXPECT_EQ(PixelAt(Image, 30, 30), clBlue);
  EXPECT_EQ(PixelAt(Image, 60, 30), clWhite) << "right edge exclusive";
  EXPECT_EQ(PixelAt(Image, 30, 50), clWhite) << "bottom edge exclusive";
}

TEST_F(DrawingTest, HiddenFigureDrawsNothing) {
  const QImage before = Image.copy();
  TFigureEllipse e(&Canvas);
  e.SetPoint(1, {50, 50});
  e.SetVisible(false);
  e.Draw();
  EXPECT_EQ(CountDifferences(Image, before), 0);
}

TEST_F(DrawingTest, FigureWithTooFewPointsForItsPrimitiveIsSkipped) {
  // A record may hold any number of points; a pie needs four.
  TMemoryStream record;
  TFigurePie source(nullptr);
  source.SaveToStream(record);
  std::vector<uint8_t> bytes = record.TakeData();
  bytes.erase(bytes.begin() + 4 + 8, bytes.begin() + 4 + 32);
  bytes[0] = 1;
  TMemoryStream damaged(bytes);
  TFigurePie pie(&Canvas);
  pie.LoadFromStream(damaged);
  ASSERT_EQ(pie.PointsCount(), 1);
  const QImage before = Image.copy();
  EXPECT_NO_THROW(pie.Draw());
  EXPECT_EQ(CountDifferences(Image, before), 0);
}

// One point fewer than a new figure of the class holds (none for the vertex
// lists), read from a record as a damaged file would hold it.
TEST_F(DrawingTest, EveryClassShortOfPointsDrawsNothingAndDoesNotThrow) {
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    SCOPED_TRACE(cls->ClassName);
    const auto source = cls->Create(nullptr);
    const int32_t kept = std::max(source->PointsCount() - 1, 0);
    TMemoryStream record;
    source->SaveToStream(record);
    std::vector<uint8_t> bytes = record.TakeData();
    bytes.erase(bytes.begin() + 4 + 8 * kept, bytes.begin() + 4 + 8 * source->PointsCount());
    bytes[0] = uint8_t(kept);
    TMemoryStream damaged(bytes);
    const auto figure = cls->Create(&Canvas);
    figure->LoadFromStream(damaged);
    ASSERT_EQ(figure->PointsCount(), kept);
    const QImage before = Image.copy();
    EXPECT_NO_THROW(figure->Draw());
    EXPECT_EQ(CountDifferences(Image, before), 0);
  }
}

TEST_F(DrawingTest, MarkersInvertTheirSquaresAndTwiceRestore) {
  TFigureRectangle r(&Canvas);
  r.SetPoint(0, {20, 20});
  r.SetPoint(1, {80, 70});
  r.SetBrushColor(clGreen);
  r.Draw();
  const QImage drawn = Image.copy();
  r.DrawPoints();
  EXPECT_EQ(PixelAt(Image, 17, 17), clWhite ^ 0xFFFFFF) << "corner of the marker square";
  EXPECT_EQ(PixelAt(Image, 22, 22), clGreen ^ 0xFFFFFF);
  EXPECT_EQ(PixelAt(Image, 23, 23), clGreen) << "right and bottom edges exclusive";
  EXPECT_EQ(PixelAt(Image, 77, 67), (PixelAt(drawn, 77, 67) ^ 0xFFFFFF));
  r.DrawPoints();
  EXPECT_EQ(CountDifferences(Image, drawn), 0);
}

TEST(Markers, DrawnUnderTheCanvasLock) {
  QImage image = MakeRaster(40, 40);
  TLockProbe probe(image);
  TFigureRectangle r(&probe);
  r.SetPoint(1, {30, 30});
  r.DrawPoints();
  EXPECT_EQ(probe.LockDepths, (std::vector<int>{1, 1}));
  EXPECT_EQ(probe.LockCount(), 0);
  TFigurePolyLine empty(&probe);
  empty.DrawPoints();
  EXPECT_EQ(probe.LockDepths.size(), 2u) << "no points, no markers";
  EXPECT_EQ(probe.LockCount(), 0);
}

TEST_F(DrawingTest, PolylineAndPolygonWithNoPointsDrawNothing) {
  const QImage before = Image.copy();
  TFigurePolyLine line(&Canvas);
  TFigurePolygon polygon(&Canvas);
  line.Draw();
  polygon.Draw();
  EXPECT_EQ(CountDifferences(Image, before), 0);
}

namespace {

struct TextDrawing : DrawingTest {
  TFigureText Text{&Canvas};
  TFont Font;
  void SetUp() override {
    Text.SetPoint(0, {20, 30});
    Text.SetPenColor(clRed);
    Text.SetPenWidth(1);
    Text.SetBrushColor(clBlue);
    Font.Name = "Arial";
    Font.Height = -16;
    Font.Color = clGreen;
    Text.SetFont(Font);
  }
  TSize Extent(const std::string& S, TFontStyles Style = 0) {
    Canvas.Font = Font;
    Canvas.Font.Style = Style;
    return Canvas.TextExtent(S);
  }
  // Leftmost and rightmost columns of row Y that are not white.
  std::pair<int, int> InkSpan(int Y) const {
    int left = -1, right = -1;
    for (int x = 0; x < Image.width(); ++x)
      if (PixelAt(Image, x, Y) != clWhite) {
        if (left < 0) left = x;
        right = x;
      }
    return {left, right};
  }
};

}  // namespace

TEST_F(TextDrawing, BoxIsTheTextExtentWidenedByThePen) {
  Text.SetText("Kw");
  Text.Draw();
  const TSize extent = Extent("Kw");
  const int row = 30 + extent.cy / 2;
  EXPECT_EQ(InkSpan(row), (std::pair<int, int>{19, 20 + extent.cx}));
  EXPECT_EQ(PixelAt(Image, 19, row), clRed);
  EXPECT_EQ(PixelAt(Image, 20 + extent.cx, row), clRed);
  EXPECT_EQ(PixelAt(Image, 20, 29), clRed) << "top edge one pen width above the anchor";
  EXPECT_EQ(PixelAt(Image, 20, 30 + extent.cy), clRed);
}

TEST_F(TextDrawing, SlantedTextBoxOverhangsByTwiceItsLastCharacter) {
  Font.Style = fsItalic;
  Text.SetFont(Font);
  Text.SetText("Kw");
  Text.Draw();
  const TSize extent = Extent("Kw", fsItalic);
  const int extra = 2 * (Extent("w", fsItalic).cx + 1);
  EXPECT_EQ(InkSpan(30 + extent.cy / 2), (std::pair<int, int>{19, 20 + extent.cx + extra}));
  EXPECT_FALSE(Text.IsPointInside({20 + extent.cx + 1, 31})) << "the hit box has no overhang";
  EXPECT_TRUE(Text.IsPointInside({20 + extent.cx, 31}));
}

TEST_F(TextDrawing, EmptyBoldTextDrawsOnlyItsFrame) {
  Font.Style = fsBold;
  Text.SetFont(Font);
  Text.Draw();
  const TSize extent = Extent("", fsBold);
  EXPECT_EQ(InkSpan(30 + extent.cy / 2), (std::pair<int, int>{19, 20}));
}

TEST_F(TextDrawing, ClearPenDropsTheInsetButNotTheHitMargin) {
  Text.SetPenStyle(psClear);
  Text.SetPenWidth(5);
  Text.SetText("Kw");
  Text.Draw();
  const TSize extent = Extent("Kw");
  const int row = 30 + extent.cy / 2;
  EXPECT_EQ(InkSpan(row).first, 20);
  EXPECT_LE(InkSpan(row).second, 20 + extent.cx - 1);
  EXPECT_TRUE(Text.IsPointInside({15, row}));
  EXPECT_FALSE(Text.IsPointInside({14, row}));
  EXPECT_TRUE(Text.IsPointInside({20 + extent.cx + 4, row}));
  EXPECT_FALSE(Text.IsPointInside({20 + extent.cx + 5, row}));
  EXPECT_TRUE(Text.IsPointInside({20, 25}));
  EXPECT_FALSE(Text.IsPointInside({20, 24}));
}

TEST_F(TextDrawing, HitTestMeasuresInTheFontTheCanvasHolds) {
  Text.SetText("ab");
  TFigureText big(&Canvas);
  TFont large = Font;
  large.Height = -40;
  big.SetFont(large);
  big.SetText("ab");
  Text.Draw();
  const int smallRight = 20 + Canvas.TextWidth("ab") + 1;
  EXPECT_FALSE(Text.IsPointInside({smallRight, 31}));
  big.Draw();
  EXPECT_TRUE(Text.IsPointInside({smallRight, 31})) << "measured with the big figure's font";
}

TEST(TextFigure, TextAndFontAccessAlwaysNotify) {
  TFigureText text(nullptr);
  int changes = 0;
  text.OnChange = [&](TBasicFigure*) { ++changes; };
  text.SetUpdating(false);
  text.SetText("");
  text.GetFont();
  text.SetFont(text.Font());
  EXPECT_EQ(changes, 3);
  text.GetFont().Height = -30;
  EXPECT_EQ(text.Font().Height, -30) << "GetFont hands out the owned font";
}
