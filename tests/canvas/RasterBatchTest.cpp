// Batches drawn in bands of rows at once give the pixels of drawing the same
// primitives one after the other: random primitives of every kind, with
// every raster mode, pen and brush, far outside the surface too, split into
// bands of any count; and a canvas that holds primitives back keeps them in
// order with text and with copies of its pixels.
#include <gtest/gtest.h>

#include <QImage>

#include <random>
#include <vector>

#include "canvas/RasterBatch.h"
#include "canvas/RasterCanvas.h"
#include "canvas/RasterDevice.h"
#include "support/RasterTestSupport.h"

namespace {

struct TRandomPrimitives {
  std::mt19937 Random;
  std::vector<TPixelImage> Pictures;

  explicit TRandomPrimitives(unsigned Seed) : Random(Seed) {
    for (int i = 0; i < 3; ++i) {
      TPixelImage& picture = Pictures.emplace_back();
      picture.Width = Int(1, 9);
      picture.Height = Int(1, 9);
      for (int p = 0; p < picture.Width * picture.Height; ++p) picture.Pixels.push_back(Random() & 0xFFFFFF);
    }
  }

  int32_t Int(int32_t Lo, int32_t Hi) { return std::uniform_int_distribution<int32_t>(Lo, Hi)(Random); }
  // Mostly near the surface, now and then anywhere in the 32-bit range.
  int32_t Coordinate(int32_t Size) {
    if (Int(0, 30) == 0) return Int(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    return Int(-20, Size + 20);
  }
  TDeviceState State() {
    TDeviceState state;
    state.PenColor = Random() & 0xFFFFFF;
    state.PenWidth = Int(0, 8) == 0 ? Int(9, 300) : Int(0, 6);
    state.PenStyle = TPenStyle(Int(psSolid, psInsideFrame));
    state.BrushColor = Random() & 0xFFFFFF;
    state.BrushStyle = TBrushStyle(Int(bsSolid, bsDiagCross));
    state.Mode = TPenMode(Int(pmBlack, pmNotXor));
    state.OpaqueBack = Int(0, 1) == 1;
    state.BackColor = Random() & 0xFFFFFF;
    return state;
  }
  std::vector<TPoint> Path(int32_t Width, int32_t Height) {
    std::vector<TPoint> points(size_t(Int(0, 7)));
    for (TPoint& p : points) p = {Coordinate(Width), Coordinate(Height)};
    return points;
  }

  // Calls the same primitive on Layer, a device or a batch.
  template <class TLayer>
  void Draw(TLayer& Layer, int32_t Width, int32_t Height) {
    Layer.State = State();
    const auto x = [&] { return Coordinate(Width); };
    const auto y = [&] { return Coordinate(Height); };
    switch (Int(0, 8)) {
      case 0: Layer.Rectangle(x(), y(), x(), y()); return;
      case 1: Layer.Ellipse(x(), y(), x(), y()); return;
      case 2: Layer.RoundRect(x(), y(), x(), y(), Int(-30, 30), Int(-30, 30)); return;
      case 3: Layer.Arc(x(), y(), x(), y(), x(), y(), x(), y(), TArcKind(Int(0, 2))); return;
      case 4: Layer.Polyline(Path(Width, Height)); return;
      case 5: Layer.Polygon(Path(Width, Height)); return;
      case 6: Layer.FillRect({x(), y(), x(), y()}); return;
      default: {
        const TPixelImage& picture = Pictures[size_t(Int(0, 2))];
        const std::optional<uint32_t> transparent =
            Int(0, 1) == 1 ? std::optional<uint32_t>(picture.Pixels[0]) : std::nullopt;
        Layer.StretchBlt(Int(-10, Width), Int(-10, Height), Int(-40, 40), Int(-40, 40), picture, 0, 0, picture.Width,
                         picture.Height, transparent);
      }
    }
  }
};

TSurface SurfaceOf(QImage& Image) {
  return {reinterpret_cast<uint32_t*>(Image.bits()), Image.width(), Image.height(), Image.bytesPerLine() / 4};
}

}  // namespace

TEST(RasterBatch, BandsGiveThePixelsOfDrawingInTurn) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const int width = 23 + int(seed % 5) * 17, height = 3 + int(seed * 7 % 61);
    QImage direct = MakeRaster(width, height, 0x808080), banded = direct;
    TRasterDevice device;
    device.Attach(SurfaceOf(direct));
    TRasterBatch batch;
    // The same seed gives the same primitives to both.
    TRandomPrimitives forDevice(seed), forBatch(seed);
    for (int i = 0; i < 60; ++i) {
      forDevice.Draw(device, width, height);
      forBatch.Draw(batch, width, height);
    }
    const int bands = 1 + int(seed % 7);
    batch.Replay(SurfaceOf(banded), bands);
    ASSERT_EQ(CountDifferences(direct, banded), 0) << "seed " << seed << ", " << bands << " bands";
    EXPECT_EQ(batch.Size(), 0u);
  }
}

TEST(RasterBatch, PrimitivesThatLaterOnesHideAreLeftOutWithoutChangingAPixel) {
  // Boxes heaped on any primitives: those filled by a brush that sets its
  // pixels hide much of what lies beneath, their pens of every width and
  // style drawn over the edges, the gaps of their dashes left alone or not.
  for (unsigned seed = 1; seed <= 300; ++seed) {
    const int width = 60 + int(seed % 3) * 40, height = 50 + int(seed % 4) * 30;
    QImage direct = MakeRaster(width, height, 0x808080), banded = direct;
    TRasterDevice device;
    device.Attach(SurfaceOf(direct));
    TRasterBatch batch;
    TRandomPrimitives forDevice(seed), forBatch(seed);
    const auto heap = [&](auto& Layer, TRandomPrimitives& Random) {
      for (int i = 0; i < 40; ++i) {
        if (Random.Int(0, 3) == 0) {
          Random.Draw(Layer, width, height);
          continue;
        }
        Layer.State = Random.State();
        Layer.State.BrushStyle = Random.Int(0, 2) == 0 ? TBrushStyle(Random.Int(bsHorizontal, bsDiagCross)) : bsSolid;
        const TPenMode setting[] = {pmBlack, pmWhite, pmCopy, pmNotCopy};
        Layer.State.Mode = setting[Random.Int(0, 3)];
        const int32_t x = Random.Int(-10, width), y = Random.Int(-10, height);
        const int32_t x2 = x + Random.Int(1, 120), y2 = y + Random.Int(1, 120);
        switch (Random.Int(0, 4)) {
          case 0: Layer.Rectangle(x, y, x2, y2); break;
          case 1: Layer.Ellipse(x, y, x2, y2); break;
          case 2: Layer.RoundRect(x, y, x2, y2, Random.Int(0, 40), Random.Int(0, 40)); break;
          case 3: Layer.Arc(x, y, x2, y2, x2, y, x, y2, TArcKind(Random.Int(0, 2))); break;
          default: Layer.FillRect({x, y, x2, y2});
        }
      }
    };
    heap(device, forDevice);
    heap(batch, forBatch);
    batch.Replay(SurfaceOf(banded), 1 + int(seed % 3));
    ASSERT_EQ(CountDifferences(direct, banded), 0) << "seed " << seed;
  }
}

TEST(RasterBatch, CanvasKeepsHeldPrimitivesInOrderWithTextAndCopies) {
  // Runs of several hundred primitives between the copies and the text, so
  // that each run is drawn in bands.
  QImage plain = MakeRaster(300, 200), held = MakeRaster(300, 200);
  TRasterCanvas direct(plain), batched(held);
  std::unique_ptr<TCanvasBits> savedDirect, savedBatched;
  const auto draw = [](TCanvas& Canvas, std::unique_ptr<TCanvasBits>& Saved) {
    Canvas.Pen = {clBlack, 3, pmCopy, psSolid};
    for (int i = 0; i < 1200; ++i) {
      Canvas.Brush = {TColor(0x010203 * (i % 80)), TBrushStyle(i % 8)};
      Canvas.Ellipse(i % 290, (i * 7) % 190, i % 290 + 30, (i * 7) % 190 + 20);
      if (i == 300) Canvas.SaveBits(Saved);
      if (i == 900) Canvas.RestoreBits(*Saved);
      if (i == 1000) Canvas.TextOut(10, 90, "text among the ellipses");
    }
  };
  draw(direct, savedDirect);
  batched.BeginBatch();
  draw(batched, savedBatched);
  batched.EndBatch();
  EXPECT_EQ(CountDifferences(plain, held), 0);
}

TEST(RasterBatch, BatchTooLargeToKeepIsDrawnInPartsInOrder) {
  // More primitives than a batch keeps; each pixel is painted more than
  // once, so a part drawn out of order or lost shows.
  QImage plain = MakeRaster(300, 200), held = MakeRaster(300, 200);
  TRasterCanvas direct(plain), batched(held);
  const auto draw = [](TCanvas& Canvas) {
    for (int i = 0; i < 100000; ++i) {
      Canvas.Brush = {TColor(i * 2654435761u) & 0xFFFFFF, bsSolid};
      const int x = i % 300, y = (i / 300) % 200;
      Canvas.FillRect({x, y, x + 1 + i % 3, y + 1});
    }
  };
  draw(direct);
  batched.BeginBatch();
  draw(batched);
  batched.EndBatch();
  EXPECT_EQ(CountDifferences(plain, held), 0);
}
