// Raster canvas timings: filling one polygon of very many random vertices,
// whose rows each cross thousands of edges.
#include <benchmark/benchmark.h>

#include <QImage>

#include <cstdint>
#include <random>
#include <vector>

#include "BenchMain.h"
#include "canvas/RasterCanvas.h"

namespace {

// N vertices uniformly spread over the image and a margin of 20 pixels
// around it; the same N gives the same polygon.
std::vector<TPoint> RandomPolygon(int64_t N, int Width, int Height) {
  constexpr int kMargin = 20;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> x(-kMargin, Width + kMargin - 1), y(-kMargin, Height + kMargin - 1);
  std::vector<TPoint> points(static_cast<size_t>(N));
  for (TPoint& p : points) {
    p.x = x(random);
    p.y = y(random);
  }
  return points;
}

// A one-pixel black pen and a solid grey brush in copy mode.
void BM_PolygonFill(benchmark::State& State) {
  constexpr int kWidth = 650, kHeight = 400;
  const std::vector<TPoint> points = RandomPolygon(State.range(0), kWidth, kHeight);
  QImage raster(kWidth, kHeight, QImage::Format_RGB32);
  raster.fill(Qt::white);
  TRasterCanvas canvas(raster);
  canvas.Brush.Color = 0x00C0C0C0u;
  for (auto _ : State) {
    canvas.Polygon(points);
    benchmark::DoNotOptimize(raster.constBits());
  }
  State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_PolygonFill)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunDrawingBenchmarks(argc, argv); }
