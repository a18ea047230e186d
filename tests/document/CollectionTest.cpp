// The figures collection: drawing order, ownership and destruction, the
// selection rules of removal, reordering, hit tests topmost first, redraw
// and its failure without canvas, re-targeting to a canvas with live
// notices, class-name comparison and the sort hook, the figure range both
// ways. Guards against broken links, figures freed twice or never (also a
// figure Add refuses), selection left on a removed figure, and notices lost
// or sent too early.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <ranges>
#include <span>
#include <utility>
#include <vector>

#include "canvas/RasterCanvas.h"
#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "support/RasterTestSupport.h"

// The nothrow allocations of this program: the collection's nodes. Armed,
// the next one on this thread fails; otherwise they allocate as the
// default does, through the plain operator new, so that the plain delete
// frees them.
namespace {
thread_local bool gFailNextNothrowNew = false;
}  // namespace

void* operator new(std::size_t Size, const std::nothrow_t&) noexcept {
  if (std::exchange(gFailNextNothrowNew, false)) return nullptr;
  try {
    return ::operator new(Size);
  } catch (...) {
    return nullptr;
  }
}

namespace {

constexpr TColor clRed = 0x000000FF;
constexpr TColor clBlue = 0x00FF0000;

// Counts its own destructions so tests can prove ownership.
class TCountedRectangle : public TFigureRectangle {
 public:
  TCountedRectangle(TCanvas* ACanvas, int* Destroyed) : TFigureRectangle(ACanvas), FDestroyed(Destroyed) {}
  ~TCountedRectangle() override { ++*FDestroyed; }

 private:
  int* FDestroyed;
};

// A canvas that counts full redraws: every redraw starts with one fill of
// the image rectangle.
class TRedrawCounter : public TRasterCanvas {
 public:
  using TRasterCanvas::TRasterCanvas;
  int Fills = 0;

 protected:
  void DoFillRect(const TRect& R) override {
    ++Fills;
    TRasterCanvas::DoFillRect(R);
  }
};

struct CollectionTest : ::testing::Test {
  QImage Image = MakeRaster(100, 80);
  TRedrawCounter Canvas{Image};
  TFiguresCollection Collection{&Canvas, TRect{0, 0, 100, 80}};
  int Destroyed = 0;

  TCountedRectangle* AddRectangle(TPoint A, TPoint B) {
    auto r = std::make_unique<TCountedRectangle>(&Canvas, &Destroyed);
    r->SetPoint(0, A);
    r->SetPoint(1, B);
    auto* added = r.get();
    EXPECT_EQ(Collection.Add(std::move(r)), added);
    return added;
  }

  // Figures from the bottom of the drawing order up.
  std::vector<TBasicFigure*> Order() const {
    std::vector<TBasicFigure*> figures;
    for (PFigureNode n = Collection.Head(); n != nullptr; n = n->Next) figures.push_back(n->Figure);
    return figures;
  }
  // The same list walked down from the tail, then reversed: both walks must
  // agree.
  std::vector<TBasicFigure*> ReverseOrder() const {
    std::vector<TBasicFigure*> figures;
    for (PFigureNode n = Collection.Tail(); n != nullptr; n = n->Prev) figures.insert(figures.begin(), n->Figure);
    return figures;
  }
};

using Figures = std::vector<TBasicFigure*>;

}  // namespace

TEST_F(CollectionTest, EmptyCollection) {
  Collection.SetBackgroundColor(clRed);
  EXPECT_EQ(PixelAt(Image, 0, 0), clRed);
  EXPECT_EQ(PixelAt(Image, 99, 79), clRed);
  EXPECT_EQ(Collection.FigureAt({5, 5}), nullptr);
  EXPECT_EQ(Collection.IndexOf(nullptr), -1);
  EXPECT_EQ(Collection.GetFigure(0), nullptr);
  EXPECT_EQ(Collection.Head(), nullptr);
  EXPECT_EQ(Collection.Tail(), nullptr);
  EXPECT_EQ(Collection.Count(), 0);
}

TEST_F(CollectionTest, AddStacksOnTopAndSelects) {
  auto* a = AddRectangle({0, 0}, {50, 50});
  auto* b = AddRectangle({60, 60}, {70, 70});
  auto* c = AddRectangle({10, 10}, {30, 30});
  EXPECT_EQ(Order(), (Figures{a, b, c}));
  EXPECT_EQ(ReverseOrder(), Order());
  EXPECT_EQ(Collection.Selected(), c);
  EXPECT_EQ(Collection.IndexOf(c), 2);
  EXPECT_EQ(Collection.GetFigure(1), b);
  EXPECT_EQ(Collection.Count(), 3);
  EXPECT_EQ(Collection.FigureAt({20, 20}), c) << "topmost first";
  EXPECT_EQ(Collection.FigureAt({40, 40}), a);
  EXPECT_EQ(Canvas.Fills, 0) << "Add does not redraw";
}

TEST_F(CollectionTest, AddRefusesWhatItCannotTakeAndLeavesItWithTheCaller) {
  auto* a = AddRectangle({0, 0}, {50, 50});
  std::unique_ptr<TBasicFigure> figure = std::make_unique<TCountedRectangle>(&Canvas, &Destroyed);
  const TBasicFigure* kept = figure.get();
  gFailNextNothrowNew = true;
  EXPECT_EQ(Collection.Add(std::move(figure)), nullptr);
  EXPECT_EQ(figure.get(), kept) << "no node: the caller still owns the figure";
  EXPECT_EQ(Order(), (Figures{a}));
  EXPECT_EQ(Collection.Selected(), a);
  EXPECT_EQ(Collection.Add(nullptr), nullptr);
  EXPECT_EQ(Collection.Count(), 1);
  figure.reset();
  EXPECT_EQ(Destroyed, 1);
  EXPECT_EQ(Order(), (Figures{a})) << "the refused figure has no listener of the collection";
}

TEST_F(CollectionTest, FiguresRunBottomUpAndReversedTopDown) {
  EXPECT_EQ(Collection.Figures().begin(), Collection.Figures().end());
  auto* a = AddRectangle({0, 0}, {5, 5});
  auto* b = AddRectangle({0, 0}, {6, 6});
  auto* c = AddRectangle({0, 0}, {7, 7});
  const TFigureRange figures = Collection.Figures();
  EXPECT_EQ(Figures(figures.begin(), figures.end()), (Figures{a, b, c}));
  const auto topDown = std::views::reverse(Collection.Figures());
  EXPECT_EQ(Figures(topDown.begin(), topDown.end()), (Figures{c, b, a}));
  EXPECT_EQ(Figures(figures.rbegin(), figures.rend()), (Figures{c, b, a}));
}

TEST_F(CollectionTest, GetFigureTakesSixteenBits) {
  AddRectangle({0, 0}, {5, 5});
  EXPECT_EQ(Collection.GetFigure(uint16_t(-1)), nullptr);
}

TEST_F(CollectionTest, FigureAtAlsoFindsControlPointsOutsideTheBody) {
  auto* a = AddRectangle({10, 10}, {20, 20});
  EXPECT_EQ(Collection.FigureAt({22, 22}), a) << "within 3 pixels of point 1";
  EXPECT_EQ(a->SelectedPointIndex(), 1);
  EXPECT_EQ(Collection.FigureAt({24, 24}), nullptr);
  EXPECT_EQ(a->SelectedPointIndex(), -1);
}

TEST_F(CollectionTest, RemovingTheSelectedFigureSelectsTheTopmost) {
  auto* a = AddRectangle({0, 0}, {5, 5});
  auto* b = AddRectangle({0, 0}, {6, 6});
  auto* c = AddRectangle({0, 0}, {7, 7});
  EXPECT_TRUE(Collection.Remove(c, true));
  EXPECT_EQ(Destroyed, 1);
  EXPECT_EQ(Collection.Selected(), b);
  EXPECT_EQ(Canvas.Fills, 1) << "Remove redraws";
  Collection.SetSelected(a);
  EXPECT_TRUE(Collection.Remove(b, true));
  EXPECT_EQ(Collection.Selected(), a) << "another figure's removal keeps the selection";
  EXPECT_TRUE(Collection.Remove(a, true));
  EXPECT_EQ(Collection.Selected(), nullptr);
  EXPECT_EQ(Collection.Head(), nullptr);
  EXPECT_EQ(Collection.Tail(), nullptr);
  EXPECT_EQ(Collection.Count(), 0);
  EXPECT_EQ(Destroyed, 3);
}

TEST_F(CollectionTest, RemoveWithoutDestroyingHandsTheFigureBack) {
  auto* a = AddRectangle({0, 0}, {5, 5});
  auto* b = AddRectangle({0, 0}, {6, 6});
  EXPECT_TRUE(Collection.Remove(a, false));
  EXPECT_EQ(Destroyed, 0);
  EXPECT_EQ(Order(), (Figures{b}));
  EXPECT_FALSE(Collection.Remove(a, false)) << "absent";
  std::unique_ptr<TBasicFigure> returned(a);
  returned.reset();
  EXPECT_EQ(Destroyed, 1);
  EXPECT_EQ(Order(), (Figures{b})) << "its destruction no longer concerns the collection";
}

TEST_F(CollectionTest, DestroyingAFigureDirectlyUnlinksItAndRedraws) {
  auto* a = AddRectangle({0, 0}, {50, 50});
  a->SetBrushColor(clBlue);
  auto* b = AddRectangle({60, 60}, {70, 70});
  auto* c = AddRectangle({70, 0}, {90, 20});
  delete b;
  EXPECT_EQ(Order(), (Figures{a, c}));
  EXPECT_EQ(ReverseOrder(), Order());
  EXPECT_EQ(Collection.Count(), 2);
  EXPECT_EQ(Canvas.Fills, 1);
  EXPECT_EQ(PixelAt(Image, 65, 65), clBlack) << "redrawn without it on the black background";
  EXPECT_EQ(PixelAt(Image, 25, 25), clBlue);
  delete c;
  EXPECT_EQ(Collection.Selected(), a);
}

TEST_F(CollectionTest, ClearDestroysEveryFigureOnceAndKeepsTheImageSettings) {
  AddRectangle({0, 0}, {5, 5});
  AddRectangle({0, 0}, {6, 6});
  Collection.SetBackgroundColor(clRed);
  bool sorted = false;
  Collection.OnSort = [&](PFigureNode, uint16_t, TFigureCompare) { sorted = true; };
  const int fills = Canvas.Fills;
  Collection.Clear();
  EXPECT_EQ(Destroyed, 2);
  EXPECT_EQ(Canvas.Fills, fills) << "Clear does not redraw";
  EXPECT_EQ(Collection.Count(), 0);
  EXPECT_EQ(Collection.Selected(), nullptr);
  EXPECT_EQ(Collection.BackgroundColor(), clRed);
  EXPECT_EQ(Collection.ImageRect(), (TRect{0, 0, 100, 80}));
  EXPECT_EQ(Collection.Canvas(), &Canvas);
  Collection.Sort();
  EXPECT_TRUE(sorted) << "the sort handler stays";
  Collection.Redraw();
  EXPECT_EQ(PixelAt(Image, 2, 2), clRed);
}

TEST(CollectionOwnership, DestructorDestroysEveryFigureWithoutRedrawing) {
  int destroyed = 0;
  {
    TFiguresCollection collection(nullptr, TRect{0, 0, 10, 10});
    collection.Add(std::make_unique<TCountedRectangle>(nullptr, &destroyed));
    collection.Add(std::make_unique<TCountedRectangle>(nullptr, &destroyed));
  }
  EXPECT_EQ(destroyed, 2);
}

TEST_F(CollectionTest, MoveFigureExchangesWithinTheList) {
  auto* a = AddRectangle({0, 0}, {5, 5});
  auto* b = AddRectangle({0, 0}, {6, 6});
  auto* c = AddRectangle({0, 0}, {7, 7});
  Collection.SetSelected(a);
  const PFigureNode head = Collection.Head();
  EXPECT_TRUE(Collection.MoveFigure(a, 1));
  EXPECT_EQ(Order(), (Figures{b, a, c}));
  EXPECT_EQ(Collection.Selected(), a);
  EXPECT_EQ(Collection.Head(), head) << "only the figures move between nodes";
  EXPECT_FALSE(Collection.MoveFigure(c, 1));
  EXPECT_FALSE(Collection.MoveFigure(b, -5));
  EXPECT_EQ(Order(), (Figures{b, a, c}));
  EXPECT_TRUE(Collection.MoveFigure(c, -2));
  EXPECT_EQ(Order(), (Figures{c, a, b}));
  EXPECT_TRUE(Collection.MoveFigure(a, 0));
  EXPECT_EQ(Order(), (Figures{c, a, b}));
  EXPECT_FALSE(Collection.MoveFigure(a, INT32_MIN));
}

TEST_F(CollectionTest, RedrawPaintsBackgroundAndFiguresAndTellsTheMarkers) {
  std::vector<TDynPointsArray> told;
  Collection.OnMarkersChanged = [&](std::span<const TPoint> Points) { told.emplace_back(Points.begin(), Points.end()); };
  auto* a = AddRectangle({10, 10}, {60, 60});
  a->SetBrushColor(clBlue);
  a->SetPenColor(clBlue);
  told.clear();
  Collection.SetBackgroundColor(clRed);
  EXPECT_EQ(PixelAt(Image, 5, 5), clRed);
  EXPECT_EQ(PixelAt(Image, 30, 30), clBlue);
  EXPECT_EQ(PixelAt(Image, 8, 8), clRed) << "no marker in the image";
  EXPECT_EQ(PixelAt(Image, 11, 11), clBlue);
  EXPECT_EQ(told, (std::vector<TDynPointsArray>{{{10, 10}, {60, 60}}}));
  Collection.SetSelected(nullptr);
  EXPECT_EQ(told.back(), TDynPointsArray{}) << "a change of selection alone is told";
}

TEST(CollectionCanvas, RedrawWithoutCanvasAbortsAfterTheChange) {
  TFiguresCollection collection(nullptr, TRect{0, 0, 10, 10});
  try {
    collection.SetBackgroundColor(clRed);
    FAIL() << "no abort";
  } catch (const EAbort& e) {
    EXPECT_STREQ(e.what(), "Canvas undefined");
  }
  EXPECT_EQ(collection.BackgroundColor(), clRed);
  QImage image = MakeRaster(10, 10, clBlue);
  TRasterCanvas canvas(image);
  collection.SetCanvas(&canvas);
  EXPECT_EQ(PixelAt(image, 5, 5), clRed) << "drawn with the stored colour";
}

TEST(CollectionCanvas, RetargetingMakesFiguresLiveAndLeavesThirdCanvasesAlone) {
  QImage image = MakeRaster(50, 50), other = MakeRaster(50, 50);
  TRedrawCounter canvas(image);
  TRasterCanvas third(other);
  TFiguresCollection collection(nullptr, TRect{0, 0, 50, 50});
  TBasicFigure* own = collection.Add(std::make_unique<TFigureRectangle>(nullptr));
  TBasicFigure* foreign = collection.Add(std::make_unique<TFigureRectangle>(&third));
  collection.SetCanvas(&canvas);
  EXPECT_EQ(own->Canvas(), &canvas);
  EXPECT_FALSE(own->Updating());
  EXPECT_EQ(foreign->Canvas(), &third);
  EXPECT_TRUE(foreign->Updating());
  const int fills = canvas.Fills;
  own->SetPenColor(clRed);
  EXPECT_EQ(canvas.Fills, fills + 1) << "a re-targeted figure redraws the image on change";
  foreign->SetPenColor(clRed);
  EXPECT_EQ(canvas.Fills, fills + 1);
  TBasicFigure* fresh = collection.Add(std::make_unique<TFigureRectangle>(&canvas));
  fresh->SetPenColor(clBlue);
  EXPECT_EQ(canvas.Fills, fills + 1) << "a new figure stays silent";
}

TEST_F(CollectionTest, CompareOrdersClassNamesByteWise) {
  TFigurePolyLine line(nullptr);
  TFigurePolygon polygon(nullptr);
  TFigureRoundRect round(nullptr);
  TFigureRectangle rect(nullptr);
  EXPECT_TRUE(Collection.Compare(&line, &polygon, coLess)) << "'L' is below 'g'";
  EXPECT_TRUE(Collection.Compare(&round, &rect, coGreater));
  EXPECT_TRUE(Collection.Compare(&rect, &rect, coEqual));
  EXPECT_FALSE(Collection.Compare(&rect, &rect, coLess));
  EXPECT_TRUE(Collection.Compare(&rect, &rect, coLessOrEqual));
  EXPECT_TRUE(Collection.Compare(&rect, &rect, coGreaterOrEqual));
  EXPECT_TRUE(Collection.Compare(&rect, &line, coNotEqual));
  EXPECT_FALSE(Collection.Compare(&rect, &line, TFigureCompareOp(6)));
  for (int op = 0; op < 7; ++op) {
    try {
      Collection.Compare(&rect, nullptr, TFigureCompareOp(op));
      ADD_FAILURE() << "no abort for op " << op;
    } catch (const EAbort& e) {
      EXPECT_STREQ(e.what(), "F1 = nil || F2 = nil");
    }
  }
}

namespace {

// Orders everything in reverse, whatever the comparison says: a derived
// collection's Compare must reach the sort.
class TReversedCollection : public TFiguresCollection {
 public:
  using TFiguresCollection::TFiguresCollection;
  bool Compare(TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op) override {
    return TFiguresCollection::Compare(F2, F1, Op);
  }
};

}  // namespace

TEST(CollectionSort, HandsHeadCountAndItsOwnCompareToTheHandler) {
  TReversedCollection collection(nullptr, TRect{0, 0, 10, 10});
  TBasicFigure* line = collection.Add(std::make_unique<TFigurePolyLine>(nullptr));
  TBasicFigure* text = collection.Add(std::make_unique<TFigureText>(nullptr));
  PFigureNode first = nullptr;
  uint16_t count = 0;
  bool less = false;
  collection.OnSort = [&](PFigureNode First, uint16_t Count, TFigureCompare Compare) {
    first = First;
    count = Count;
    less = Compare.Code(Compare.Data, line, text, coLess);
  };
  collection.Sort();
  EXPECT_EQ(first, collection.Head());
  EXPECT_EQ(count, 2);
  EXPECT_FALSE(less) << "the derived comparison is the one handed out";
  EXPECT_EQ(collection.Selected(), text);
}

TEST(CollectionSort, SortsThroughTheLibraryIntoDescendingClassNames) {
  TFiguresCollection collection(nullptr, TRect{0, 0, 10, 10});
  const TFigureClass* classes[] = {&TFigureBitmap::Class, &TFigurePolyLine::Class, &TFigureText::Class,
                                   &TFigureChord::Class,  &TFigurePolygon::Class,  &TFigureEllipse::Class,
                                   &TFigurePie::Class,    &TFigureRoundRect::Class, &TFigureRectangle::Class};
  for (const TFigureClass* cls : classes) collection.Add(cls->Create(nullptr));
  collection.OnSort = [](PFigureNode First, uint16_t Count, TFigureCompare Compare) { QSort(First, Count, Compare); };
  collection.Sort();
  std::vector<std::string> names;
  for (PFigureNode n = collection.Head(); n != nullptr; n = n->Next) names.push_back(n->Figure->ClassName());
  EXPECT_EQ(names, (std::vector<std::string>{"TFigureText", "TFigureRoundRect", "TFigureRectangle",
                                             "TFigurePolygon", "TFigurePolyLine", "TFigurePie", "TFigureEllipse",
                                             "TFigureChord", "TFigureBitmap"}));
}

TEST(CollectionSort, WithoutHandlerNothingHappens) {
  TFiguresCollection collection(nullptr, TRect{0, 0, 10, 10});
  TBasicFigure* a = collection.Add(std::make_unique<TFigurePolyLine>(nullptr));
  EXPECT_NO_THROW(collection.Sort());
  EXPECT_EQ(collection.Head()->Figure, a);
}
