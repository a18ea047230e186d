// Shapes on the raster canvas, pixel by pixel at chosen places: exclusive
// right and bottom edges, corner order, degenerate boxes, pen widths and
// styles (dash phases, inside-frame, round ends), arcs cut by their rays and
// the even-odd polygon interior.
#include <gtest/gtest.h>

#include "canvas/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kYellow = 0x00FFFF;

struct TShapeCanvas {
  QImage Image = MakeRaster(48, 48);
  TRasterCanvas Canvas{Image};

  TShapeCanvas() {
    Canvas.Pen = {clBlack, 1, pmCopy, psSolid};
    Canvas.Brush = {kRed, bsSolid};
  }
  TColor At(int X, int Y) const { return PixelAt(Image, X, Y); }
  int Changed() const { return CountDifferences(Image, MakeRaster(48, 48)); }
};

}  // namespace

TEST(RasterShape, RectangleCoversLeftAndTopEdgesButNotRightAndBottom) {
  TShapeCanvas c;
  c.Canvas.Rectangle(2, 3, 8, 9);
  EXPECT_EQ(c.At(2, 3), clBlack);
  EXPECT_EQ(c.At(7, 8), clBlack);  // last column and row of the outline
  EXPECT_EQ(c.At(7, 5), clBlack);
  EXPECT_EQ(c.At(5, 5), kRed);
  EXPECT_EQ(c.At(8, 5), clWhite);
  EXPECT_EQ(c.At(5, 9), clWhite);
  EXPECT_EQ(c.At(1, 5), clWhite);
  EXPECT_EQ(c.Changed(), 6 * 6);
}

TEST(RasterShape, CornersInAnyOrderGiveTheSameShape) {
  TShapeCanvas normal, swapped;
  normal.Canvas.Rectangle(2, 3, 20, 15);
  swapped.Canvas.Rectangle(20, 15, 2, 3);
  EXPECT_EQ(CountDifferences(normal.Image, swapped.Image), 0);
  normal.Canvas.Ellipse(4, 20, 30, 40);
  swapped.Canvas.Ellipse(30, 20, 4, 40);
  EXPECT_EQ(CountDifferences(normal.Image, swapped.Image), 0);
}

TEST(RasterShape, DegenerateBoxesDrawNothing) {
  TShapeCanvas c;
  c.Canvas.Rectangle(5, 5, 6, 6);  // 1 x 1
  c.Canvas.Rectangle(9, 9, 9, 9);
  c.Canvas.Ellipse(12, 12, 12, 30);
  c.Canvas.Ellipse(20, 20, 21, 21);
  c.Canvas.RoundRect(30, 30, 30, 40, 4, 4);
  EXPECT_EQ(c.Changed(), 0);
  c.Canvas.Pen.Width = 5;
  c.Canvas.Rectangle(9, 9, 9, 19);  // zero width, even with a wide pen
  EXPECT_EQ(c.Changed(), 0);
}

TEST(RasterShape, ClearPenFillsOnePixelShortOnTheRightAndBottom) {
  TShapeCanvas c;
  c.Canvas.Pen.Style = psClear;
  c.Canvas.Rectangle(2, 2, 8, 8);
  EXPECT_EQ(c.At(2, 2), kRed);
  EXPECT_EQ(c.At(6, 6), kRed);
  EXPECT_EQ(c.At(7, 3), clWhite);
  EXPECT_EQ(c.At(3, 7), clWhite);
  EXPECT_EQ(c.Changed(), 6 * 6 - 11);
}

TEST(RasterShape, PenWidthZeroDrawsTheOnePixelPen) {
  TShapeCanvas zero, one;
  zero.Canvas.Pen.Width = 0;
  zero.Canvas.Ellipse(3, 4, 40, 30);
  zero.Canvas.Polyline(std::vector<TPoint>{{1, 40}, {30, 44}, {45, 2}});
  one.Canvas.Ellipse(3, 4, 40, 30);
  one.Canvas.Polyline(std::vector<TPoint>{{1, 40}, {30, 44}, {45, 2}});
  EXPECT_EQ(CountDifferences(zero.Image, one.Image), 0);
}

TEST(RasterShape, InsideFramePenStaysInsideTheBox) {
  TShapeCanvas inside, centred;
  inside.Canvas.Pen = {clBlack, 5, pmCopy, psInsideFrame};
  inside.Canvas.Rectangle(5, 5, 25, 25);
  EXPECT_EQ(inside.At(5, 15), clBlack);
  EXPECT_EQ(inside.At(9, 15), clBlack);  // five pixels of pen
  EXPECT_EQ(inside.At(10, 15), kRed);
  EXPECT_EQ(inside.At(24, 15), clBlack);
  EXPECT_EQ(inside.At(4, 15), clWhite);
  EXPECT_EQ(inside.At(25, 15), clWhite);
  // A solid pen of the same width straddles the outline instead.
  centred.Canvas.Pen = {clBlack, 5, pmCopy, psSolid};
  centred.Canvas.Rectangle(5, 5, 25, 25);
  EXPECT_EQ(centred.At(3, 15), clBlack);
  EXPECT_EQ(centred.At(2, 15), clWhite);
  EXPECT_EQ(centred.At(8, 15), kRed);
}

TEST(RasterShape, WidePensHaveRoundEnds) {
  TShapeCanvas dot4, dot5;
  dot4.Canvas.Pen.Width = 4;
  dot4.Canvas.Polyline(std::vector<TPoint>{{20, 20}, {20, 20}});
  EXPECT_EQ(dot4.Changed(), 12);  // a 4 x 4 square less its corners
  EXPECT_EQ(dot4.At(18, 18), clWhite);
  EXPECT_EQ(dot4.At(19, 18), clBlack);
  dot5.Canvas.Pen.Width = 5;
  dot5.Canvas.Rectangle(20, 20, 21, 21);
  EXPECT_EQ(dot5.Changed(), 21);  // a 5 x 5 square less its corners
}

TEST(RasterShape, StyledPensWiderThanOnePixelDrawSolid) {
  TShapeCanvas dashed, solid;
  dashed.Canvas.Pen = {clBlack, 3, pmCopy, psDashDot};
  dashed.Canvas.Polyline(std::vector<TPoint>{{2, 10}, {45, 10}, {30, 40}});
  solid.Canvas.Pen = {clBlack, 3, pmCopy, psSolid};
  solid.Canvas.Polyline(std::vector<TPoint>{{2, 10}, {45, 10}, {30, 40}});
  EXPECT_EQ(CountDifferences(dashed.Image, solid.Image), 0);
}

TEST(RasterShape, DashRunsAreEighteenOnSixOffAndGoOnAcrossVertices) {
  TShapeCanvas c;
  c.Canvas.Pen.Style = psDash;
  c.Canvas.Brush.Style = bsClear;  // transparent gaps
  c.Canvas.Polyline(std::vector<TPoint>{{0, 5}, {10, 5}, {10, 40}});
  EXPECT_EQ(c.At(0, 5), clBlack);
  EXPECT_EQ(c.At(9, 5), clBlack);
  // The second segment continues the pattern at its pixel 10.
  EXPECT_EQ(c.At(10, 12), clBlack);  // pixel 17
  EXPECT_EQ(c.At(10, 13), clWhite);  // pixels 18..23 are the gap
  EXPECT_EQ(c.At(10, 18), clWhite);
  EXPECT_EQ(c.At(10, 19), clBlack);  // pixel 24 starts the next dash
}

TEST(RasterShape, DotsAlternateThreeAndThree) {
  TShapeCanvas c;
  c.Canvas.Pen.Style = psDot;
  c.Canvas.Brush.Style = bsClear;
  c.Canvas.Polyline(std::vector<TPoint>{{0, 5}, {12, 5}});
  const TColor expected[12] = {clBlack, clBlack, clBlack, clWhite, clWhite, clWhite,
                               clBlack, clBlack, clBlack, clWhite, clWhite, clWhite};
  for (int x = 0; x < 12; ++x) EXPECT_EQ(c.At(x, 5), expected[x]) << "x = " << x;
}

TEST(RasterShape, PenGapsShowTheBrushColourWhenTheBrushIsSolid) {
  TShapeCanvas c;
  c.Canvas.Pen.Style = psDash;
  c.Canvas.Brush = {kYellow, bsSolid};
  c.Canvas.Polyline(std::vector<TPoint>{{0, 5}, {30, 5}});
  EXPECT_EQ(c.At(17, 5), clBlack);
  EXPECT_EQ(c.At(18, 5), kYellow);
  EXPECT_EQ(c.At(23, 5), kYellow);
  EXPECT_EQ(c.At(24, 5), clBlack);
}

TEST(RasterShape, RectanglePatternStartsAtTheTopRightCornerGoingLeft) {
  TShapeCanvas c;
  c.Canvas.Pen.Style = psDash;
  c.Canvas.Brush.Style = bsClear;
  c.Canvas.Rectangle(0, 0, 40, 20);
  EXPECT_EQ(c.At(39, 0), clBlack);  // pixel 0
  EXPECT_EQ(c.At(22, 0), clBlack);  // pixel 17
  EXPECT_EQ(c.At(21, 0), clWhite);  // pixels 18..23
  EXPECT_EQ(c.At(16, 0), clWhite);
  EXPECT_EQ(c.At(15, 0), clBlack);  // pixel 24
}

TEST(RasterShape, PolylineLeavesItsLastPointOut) {
  TShapeCanvas c;
  c.Canvas.Polyline(std::vector<TPoint>{{2, 2}, {10, 2}, {10, 8}});
  EXPECT_EQ(c.At(9, 2), clBlack);
  EXPECT_EQ(c.At(10, 2), clBlack);  // the corner starts the second segment
  EXPECT_EQ(c.At(10, 7), clBlack);
  EXPECT_EQ(c.At(10, 8), clWhite);
  EXPECT_EQ(c.Changed(), 8 + 6);
}

TEST(RasterShape, LinesRoundTiesTowardsTheSmallerCoordinate) {
  TShapeCanvas down, up;
  // Slope 1/4: at x = 2 the exact row is 0.5 below the start.
  down.Canvas.Polyline(std::vector<TPoint>{{0, 10}, {8, 12}});
  EXPECT_EQ(down.At(2, 10), clBlack);
  EXPECT_EQ(down.At(3, 11), clBlack);
  up.Canvas.Polyline(std::vector<TPoint>{{0, 10}, {8, 8}});
  EXPECT_EQ(up.At(2, 9), clBlack);
  EXPECT_EQ(up.At(1, 10), clBlack);
}

TEST(RasterShape, PieCoversTheArcFromTheStartRayCounterClockwise) {
  TShapeCanvas quarter, rest;
  // Start ray to the right (0 degrees), end ray upwards (90 degrees).
  quarter.Canvas.Pie(0, 0, 41, 41, 41, 20, 20, 0);
  EXPECT_EQ(quarter.At(30, 10), kRed);
  EXPECT_EQ(quarter.At(10, 10), clWhite);
  EXPECT_EQ(quarter.At(10, 30), clWhite);
  EXPECT_EQ(quarter.At(30, 30), clWhite);
  // The same rays the other way round: the other three quarters.
  rest.Canvas.Pie(0, 0, 41, 41, 20, 0, 41, 20);
  EXPECT_EQ(rest.At(30, 10), clWhite);
  EXPECT_EQ(rest.At(10, 10), kRed);
  EXPECT_EQ(rest.At(10, 30), kRed);
  EXPECT_EQ(rest.At(30, 30), kRed);
}

TEST(RasterShape, ChordWithEqualRaysIsTheWholeEllipse) {
  TShapeCanvas c;
  c.Canvas.Chord(0, 0, 41, 41, 41, 20, 41, 20);
  EXPECT_EQ(c.At(20, 20), kRed);
  EXPECT_EQ(c.At(8, 8), kRed);
  EXPECT_EQ(c.At(32, 32), kRed);
  EXPECT_EQ(c.At(20, 0), clBlack);
  EXPECT_EQ(c.At(2, 2), clWhite);
}

TEST(RasterShape, ChordCutsAlongTheLineBetweenTheArcEnds) {
  TShapeCanvas c;
  // From 0 degrees to 180 degrees: the upper half.
  c.Canvas.Chord(0, 0, 41, 41, 41, 20, 0, 20);
  EXPECT_EQ(c.At(20, 10), kRed);
  EXPECT_EQ(c.At(20, 30), clWhite);
}

TEST(RasterShape, PolygonInteriorFollowsTheEvenOddRule) {
  TShapeCanvas c;
  c.Canvas.Pen.Style = psClear;
  // A five-pointed star drawn in one stroke: its centre is crossed twice.
  c.Canvas.Polygon(std::vector<TPoint>{{24, 0}, {38, 46}, {0, 17}, {48, 17}, {10, 46}});
  EXPECT_EQ(c.At(24, 26), clWhite);
  EXPECT_EQ(c.At(24, 8), kRed);
  EXPECT_EQ(c.At(8, 19), kRed);
}

TEST(RasterShape, PolygonAndCurveOutlinesAreDrawnOverTheirInterior) {
  TShapeCanvas c;
  c.Canvas.Pen = {clWhite, 1, pmXor, psSolid};
  c.Canvas.Brush = {clWhite, bsSolid};
  // Left and top edges get the interior and the outline: XOR twice.
  c.Canvas.Polygon(std::vector<TPoint>{{4, 4}, {20, 4}, {20, 20}, {4, 20}});
  EXPECT_EQ(c.At(10, 4), clWhite);
  EXPECT_EQ(c.At(4, 10), clWhite);
  EXPECT_EQ(c.At(10, 10), clBlack);
  EXPECT_EQ(c.At(20, 10), clBlack);  // the right edge is outline only
}
