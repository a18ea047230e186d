// Snapping: each axis to the nearest line within the tolerance, among the
// grid, the image edges and the other figures' boxes and control points.
// Guards against a point snapping to the figure being dragged, to a box it
// is nowhere beside, to a line past the tolerance, and against the grid
// winning over a figure equally near.
#include <gtest/gtest.h>

#include <memory>

#include "document/Collection.h"
#include "document/Snapping.h"
#include "figures/RealFigures.h"

namespace {

class SnappingTest : public ::testing::Test {
 protected:
  SnappingTest() : Image(nullptr, TRect{0, 0, 300, 200}) {}

  TFigureRectangle* AddRectangle(TPoint A, TPoint B) {
    auto rectangle = std::make_unique<TFigureRectangle>(nullptr);
    rectangle->SetPoint(0, A);
    rectangle->SetPoint(1, B);
    return static_cast<TFigureRectangle*>(Image.Add(std::move(rectangle)));
  }

  TFiguresCollection Image;
};

TEST_F(SnappingTest, GridNodeWithinToleranceOnEachAxisAlone) {
  const TSnapTargets targets(Image, nullptr, 25);
  const TSnapResult near = targets.Snap({47, 78}, 6);
  EXPECT_EQ(near.Point, (TPoint{50, 75}));
  EXPECT_EQ(near.Guides, (TSnapGuides{50, 75}));
  // 12 from both lines on x: only y snaps.
  const TSnapResult half = targets.Snap({37, 101}, 6);
  EXPECT_EQ(half.Point, (TPoint{37, 100}));
  EXPECT_EQ(half.Guides, (TSnapGuides{std::nullopt, 100}));
  // The tolerance is inclusive, and nothing is nearer than 7 beyond it.
  EXPECT_EQ(targets.Snap({56, 94}, 6).Point, (TPoint{50, 100}));
  EXPECT_EQ(targets.Snap({57, 93}, 6.5).Point, (TPoint{57, 93}));
}

TEST_F(SnappingTest, OtherFiguresPointsAndBoxEdgesButNotTheMovingOne) {
  AddRectangle({103, 61}, {181, 143});
  TFigureRectangle* moving = AddRectangle({40, 40}, {70, 70});
  const TSnapTargets targets(Image, moving, 0);
  // Near a corner: both axes take it.
  EXPECT_EQ(targets.Snap({106, 58}, 6).Point, (TPoint{103, 61}));
  // Beside the right edge, half way down it: x only.
  const TSnapResult edge = targets.Snap({185, 100}, 6);
  EXPECT_EQ(edge.Point, (TPoint{181, 100}));
  EXPECT_EQ(edge.Guides, (TSnapGuides{181, std::nullopt}));
  // In line with the edge but far below the box: nothing there to align.
  EXPECT_EQ(targets.Snap({185, 190}, 6).Point, (TPoint{185, 190}));
  // The dragged figure's own corner is no target.
  EXPECT_EQ(targets.Snap({42, 43}, 6).Point, (TPoint{42, 43}));
}

TEST_F(SnappingTest, NearestWinsAndFiguresWinTiesOverTheGrid) {
  AddRectangle({104, 63}, {160, 120});
  const TSnapTargets targets(Image, nullptr, 10);
  EXPECT_EQ(targets.Snap({105, 90}, 6).Point.x, 104) << "the edge one away, the grid's 110 five";
  EXPECT_EQ(targets.Snap({99, 90}, 6).Point.x, 100) << "the grid's 100 one away, the edge five";
  EXPECT_EQ(targets.Snap({102, 90}, 6).Point.x, 104) << "both two away: the figure's edge";
}

TEST_F(SnappingTest, ImageEdgesSnapWithoutGrid) {
  const TSnapTargets targets(Image, nullptr, 0);
  EXPECT_EQ(targets.Snap({296, 4}, 6).Point, (TPoint{300, 0}));
  EXPECT_EQ(targets.Snap({150, 100}, 6).Point, (TPoint{150, 100}));
}

}  // namespace
