// The figure index: a query returns exactly the members whose extent meets
// the area, in drawing order, after inserts at any position, removals,
// moved extents and exchanged places. Guards against members listed in
// the wrong cells or left behind in old ones, duplicates from members
// listed in several cells, and keys that lose the order when their gaps
// run out.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

#include "document/FigureIndex.h"
#include "figures/RealFigures.h"

namespace {

constexpr TRect kBounds{0, 0, 700, 450};

// The plain scan's own test, apart from the one the index uses.
bool ShareAPixel(const TRect& A, const TRect& B) {
  if (A.Left >= A.Right || A.Top >= A.Bottom || B.Left >= B.Right || B.Top >= B.Bottom) return false;
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

// The index beside a plain list in drawing order, asked the same questions.
class TIndexModel {
 public:
  explicit TIndexModel(unsigned Seed) : FRandom(Seed), FIndex(kBounds) {}

  int Uniform(int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(FRandom); }

  // Mostly small boxes, some as large as the image or beyond it, some empty.
  TRect AnyBox() {
    const int size = Uniform(0, 9) == 0 ? Uniform(0, 900) : Uniform(0, 40);
    const int x = Uniform(-100, 750), y = Uniform(-100, 500);
    return {x, y, x + Uniform(0, size), y + Uniform(0, size)};
  }

  void InsertAt(size_t Position, const TRect& Box) {
    FFigures.push_back(TFigureRectangle::Class.Create(nullptr));
    TBasicFigure* figure = FFigures.back().get();
    const TBasicFigure* below = Position > 0 ? FOrder[Position - 1] : nullptr;
    const TBasicFigure* above = Position < FOrder.size() ? FOrder[Position] : nullptr;
    ASSERT_TRUE(FIndex.Insert(figure, nullptr, below, above, Box));
    FOrder.insert(FOrder.begin() + std::ptrdiff_t(Position), figure);
    FBoxes[figure] = Clip(Box);
  }

  void RandomEdit() {
    const int kind = FOrder.empty() ? 0 : Uniform(0, 5);
    if (kind <= 2) return InsertAt(size_t(Uniform(0, int(FOrder.size()))), AnyBox());
    const size_t at = size_t(Uniform(0, int(FOrder.size()) - 1));
    TBasicFigure* figure = FOrder[at];
    if (kind == 3) {
      ASSERT_TRUE(FIndex.Remove(figure));
      FOrder.erase(FOrder.begin() + std::ptrdiff_t(at));
    } else if (kind == 4) {
      const TRect box = AnyBox();
      ASSERT_TRUE(FIndex.SetExtent(figure, box));
      FBoxes[figure] = Clip(box);
    } else {
      const size_t other = size_t(Uniform(0, int(FOrder.size()) - 1));
      ASSERT_TRUE(FIndex.SwapOrder(figure, FOrder[other]));
      std::swap(FOrder[at], FOrder[other]);
    }
  }

  // The number of members found.
  size_t ExpectQueryMatches(const TRect& Area) {
    std::vector<TBasicFigure*> found;
    TRect reach;
    FIndex.Query(Area, found, reach);
    std::vector<TBasicFigure*> expected;
    for (TBasicFigure* figure : FOrder)
      if (ShareAPixel(FBoxes[figure], Area) && ShareAPixel(Area, kBounds)) expected.push_back(figure);
    EXPECT_EQ(found, expected) << "area " << Area.Left << "," << Area.Top << "-" << Area.Right << "," << Area.Bottom;
    return found.size();
  }

  void ExpectQueriesMatch(int Count) {
    for (int q = 0; q < Count && !::testing::Test::HasFailure(); ++q) ExpectQueryMatches(AnyBox());
    EXPECT_EQ(FIndex.Count(), FOrder.size());
  }

  const std::vector<TBasicFigure*>& Order() const { return FOrder; }

 private:
  static TRect Clip(const TRect& R) {
    const TRect c{std::max(R.Left, kBounds.Left), std::max(R.Top, kBounds.Top), std::min(R.Right, kBounds.Right),
                  std::min(R.Bottom, kBounds.Bottom)};
    return c.Left < c.Right && c.Top < c.Bottom ? c : TRect{};
  }

  std::mt19937 FRandom;
  TFigureIndex FIndex;
  std::vector<std::unique_ptr<TBasicFigure>> FFigures;
  std::vector<TBasicFigure*> FOrder;
  std::unordered_map<const TBasicFigure*, TRect> FBoxes;
};

TEST(FigureIndex, QueriesMatchAPlainScanAfterRandomEdits) {
  for (unsigned seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TIndexModel model(seed);
    for (int round = 0; round < 20; ++round) {
      for (int i = 0; i < 60; ++i) ASSERT_NO_FATAL_FAILURE(model.RandomEdit());
      model.ExpectQueriesMatch(25);
      ASSERT_FALSE(HasFailure());
    }
  }
}

TEST(FigureIndex, OrderSurvivesGapsRunningOut) {
  TIndexModel model(7);
  for (int i = 0; i < 50; ++i) ASSERT_NO_FATAL_FAILURE(model.InsertAt(model.Order().size(), model.AnyBox()));
  // Each insert just above the bottom figure halves the gap there: keys are
  // dealt anew many times over.
  for (int i = 0; i < 200; ++i) ASSERT_NO_FATAL_FAILURE(model.InsertAt(1, {10, 10, 20, 20}));
  for (int i = 0; i < 200; ++i) ASSERT_NO_FATAL_FAILURE(model.InsertAt(0, {10, 10, 20, 20}));
  model.ExpectQueriesMatch(50);
  EXPECT_GE(model.ExpectQueryMatches({12, 12, 13, 13}), 400u);
}

TEST(FigureIndex, RefusesUnknownNeighboursAndMembersTwice) {
  TFigureIndex index(kBounds);
  auto a = TFigureRectangle::Class.Create(nullptr), b = TFigureRectangle::Class.Create(nullptr);
  EXPECT_FALSE(index.Insert(a.get(), nullptr, b.get(), nullptr, {0, 0, 5, 5}));
  ASSERT_TRUE(index.Append(a.get(), nullptr, {0, 0, 5, 5}));
  EXPECT_FALSE(index.Append(a.get(), nullptr, {0, 0, 5, 5}));
  EXPECT_EQ(index.Count(), 1u);
  EXPECT_FALSE(index.Remove(b.get()));
  EXPECT_EQ(index.Extent(b.get()), nullptr);
}

}  // namespace
