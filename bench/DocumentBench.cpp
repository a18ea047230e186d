// Whole-image timings: redrawing images of many small mixed figures, finding
// the figure under the pointer, snapping, and writing and reading the image
// container through memory streams.
#include <benchmark/benchmark.h>

#include <QImage>

#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "BenchMain.h"
#include "canvas/RasterCanvas.h"
#include "document/Collection.h"
#include "document/Snapping.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "BenchScenes.h"

namespace {

void BM_Redraw(benchmark::State& State) {
  const int count = int(State.range(0)), width = int(State.range(1)), height = int(State.range(2));
  QImage raster(width, height, QImage::Format_RGB32);
  TRasterCanvas canvas(raster);
  TFiguresCollection image(nullptr, TRect{0, 0, width, height});
  AddMixedFigures(image, count, width, height, nullptr);
  image.SetCanvas(&canvas);
  for (auto _ : State) image.Redraw();
  State.SetItemsProcessed(State.iterations() * count);
}
BENCHMARK(BM_Redraw)
    ->Args({1000, 650, 400})
    ->Args({10000, 650, 400})
    ->Args({1000, 2000, 2000})
    ->Args({10000, 2000, 2000})
    ->Unit(benchmark::kMillisecond);

void BM_FigureAt(benchmark::State& State) {
  QImage raster(650, 400, QImage::Format_RGB32);
  TRasterCanvas canvas(raster);
  TFiguresCollection image(nullptr, TRect{0, 0, 650, 400});
  AddMixedFigures(image, 10000, 650, 400, nullptr);
  image.SetCanvas(&canvas);
  std::mt19937 random(99);
  // Points beyond the image miss every figure: the whole list is asked.
  const bool miss = State.range(0) != 0;
  for (auto _ : State) {
    const TPoint p = miss ? TPoint{5000, 5000} : TPoint{int(random() % 650), int(random() % 400)};
    benchmark::DoNotOptimize(image.FigureAt(p));
  }
}
BENCHMARK(BM_FigureAt)->Arg(0)->Arg(1)->ArgNames({"miss"})->Unit(benchmark::kMicrosecond);

// Snapping in an image of Count figures: gathering what points may snap to
// when a drag starts, and one mouse step of the drag.
void BM_SnapTargets(benchmark::State& State) {
  const int count = int(State.range(0));
  TFiguresCollection image(nullptr, TRect{0, 0, 2000, 2000});
  AddMixedFigures(image, count, 2000, 2000, nullptr);
  for (auto _ : State) benchmark::DoNotOptimize(TSnapTargets(image, image.Selected(), 10));
}
BENCHMARK(BM_SnapTargets)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SnapStep(benchmark::State& State) {
  const int count = int(State.range(0));
  TFiguresCollection image(nullptr, TRect{0, 0, 2000, 2000});
  AddMixedFigures(image, count, 2000, 2000, nullptr);
  const TSnapTargets targets(image, image.Selected(), 10);
  std::mt19937 random(6);
  for (auto _ : State)
    benchmark::DoNotOptimize(targets.Snap({int(random() % 2000), int(random() % 2000)}, 6));
}
BENCHMARK(BM_SnapStep)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// An image of 100,000 figures of all nine classes for the container.
std::unique_ptr<TFiguresCollection> LargeImage() {
  auto image = std::make_unique<TFiguresCollection>(nullptr, TRect{0, 0, 2000, 2000});
  AddMixedFigures(*image, 99000, 2000, 2000, nullptr);
  for (int i = 0; i < 500; ++i) {
    auto text = std::make_unique<TFigureText>(nullptr);
    text->SetText("Kresta text figure " + std::to_string(i));
    image->Add(std::move(text));
  }
  TMemoryStream bmp;
  {
    // 16 x 16, 24 bits: 14 + 40 header bytes and 16 rows of 48 bytes.
    const auto put32 = [&](uint32_t v) { bmp.WriteUInt32(v); };
    bmp.WriteUInt8('B');
    bmp.WriteUInt8('M');
    put32(14 + 40 + 768);
    put32(0);
    put32(54);
    put32(40);
    put32(16);
    put32(16);
    bmp.WriteUInt16(1);
    bmp.WriteUInt16(24);
    for (int k = 0; k < 6; ++k) put32(0);
    for (int k = 0; k < 768; ++k) bmp.WriteUInt8(uint8_t(k));
  }
  for (int i = 0; i < 500; ++i) {
    auto bitmap = std::make_unique<TFigureBitmap>(nullptr);
    bmp.Seek(0);
    bitmap->LoadPictureFromStream(bmp);
    image->Add(std::move(bitmap));
  }
  return image;
}

void BM_SaveContainer(benchmark::State& State) {
  const auto image = LargeImage();
  size_t bytes = 0;
  for (auto _ : State) {
    TMemoryStream stream;
    image->SaveToStream(stream);
    bytes = stream.Data().size();
    benchmark::DoNotOptimize(stream.Data().data());
  }
  State.SetBytesProcessed(int64_t(State.iterations() * bytes));
}
BENCHMARK(BM_SaveContainer)->Unit(benchmark::kMillisecond);

void BM_LoadContainer(benchmark::State& State) {
  TMemoryStream stream;
  LargeImage()->SaveToStream(stream);
  const std::vector<uint8_t>& data = stream.Data();
  for (auto _ : State) {
    TReadOnlyStream input(data);
    TFiguresCollection image(nullptr);
    image.LoadFromStream(input);
    benchmark::DoNotOptimize(image.Count());
  }
  State.SetBytesProcessed(int64_t(State.iterations() * data.size()));
}
BENCHMARK(BM_LoadContainer)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunDrawingBenchmarks(argc, argv); }
