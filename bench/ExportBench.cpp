// Exporting an image of many small mixed figures: the render as PNG, the
// SVG document and the PDF page, each written to a file as kri writes them.
#include <benchmark/benchmark.h>

#include <QDir>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "BenchMain.h"
#include "BenchScenes.h"
#include "export/Export.h"

namespace {

void BM_Export(benchmark::State& State) {
  const int count = int(State.range(0));
  const auto format = TExportFormat(State.range(1));
  TFiguresCollection image(nullptr, TRect{0, 0, 650, 400});
  AddMixedFigures(image, count, 480, 400, nullptr);
  const std::string path = QDir::tempPath().toStdString() + "/kresta-export-bench-" + std::to_string(getpid());
  std::vector<TVectorApproximation> approximated;
  for (auto _ : State) ExportImage(image, path, format, approximated);
  std::remove(path.c_str());
  State.SetItemsProcessed(State.iterations() * count);
}
BENCHMARK(BM_Export)
    ->ArgsProduct({{10000, 100000}, {int(TExportFormat::Png), int(TExportFormat::Svg), int(TExportFormat::Pdf)}})
    ->ArgNames({"figures", "format"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return RunDrawingBenchmarks(argc, argv); }
