// Sort library timings over lists of figures whose class names are drawn from
// the nine figure classes. The comparison costs like the collection's: a call
// through the method pointer and a byte-wise compare of two class-name
// strings. Each iteration sorts a fresh copy of the same unsorted list.
#include "ranklib/RankLib.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

const char* const kClassNames[] = {
    "TFigureText",     "TFigureRoundRect", "TFigureRectangle", "TFigurePolygon", "TFigurePolyLine",
    "TFigurePie",      "TFigureEllipse",   "TFigureChord",     "TFigureBitmap",
};

struct TBenchFigure {
  const char* ClassName;
};

const char* NameOf(TBasicFigure* Figure) {
  return reinterpret_cast<TBenchFigure*>(Figure)->ClassName;
}

bool CompareByName(void*, TBasicFigure* F1, TBasicFigure* F2, TFigureCompareOp Op) {
  // strcmp compares unsigned bytes, and the terminator makes the shorter name
  // the smaller.
  return OrderSatisfies(std::strcmp(NameOf(F1), NameOf(F2)), Op);
}

enum TInitialOrder { ioRandom, ioDescending };

// The caller's side: separately allocated nodes, as the collection keeps them.
class TBenchList {
 public:
  TBenchList(int Count, TInitialOrder Order) : FFigures(Count) {
    std::mt19937 Random(2024);
    std::uniform_int_distribution<int> Pick(0, std::size(kClassNames) - 1);
    for (TBenchFigure& Figure : FFigures)
      Figure.ClassName = kClassNames[Pick(Random)];
    if (Order == ioDescending)
      std::sort(FFigures.begin(), FFigures.end(), [](const TBenchFigure& A, const TBenchFigure& B) {
        return std::strcmp(A.ClassName, B.ClassName) > 0;
      });
    for (TBenchFigure& Figure : FFigures) {
      auto Node = std::make_unique<TFigureNode>(
          TFigureNode{reinterpret_cast<TBasicFigure*>(&Figure), nullptr, nullptr});
      if (!FNodes.empty()) {
        Node->Prev = FNodes.back().get();
        FNodes.back()->Next = Node.get();
      }
      FNodes.push_back(std::move(Node));
    }
  }

  // Puts the figures back in their first order.
  void Reset() {
    for (size_t n = 0; n < FNodes.size(); ++n)
      FNodes[n]->Figure = reinterpret_cast<TBasicFigure*>(&FFigures[n]);
  }

  PFigureNode Head() { return FNodes.front().get(); }
  uint16_t Count() const { return static_cast<uint16_t>(FNodes.size()); }

 private:
  std::vector<TBenchFigure> FFigures;
  std::vector<std::unique_ptr<TFigureNode>> FNodes;
};

using TSortRoutine = void (*)(PFigureNode, uint16_t, TFigureCompare);

void BM_Sort(benchmark::State& State, TSortRoutine Sort, TInitialOrder Order) {
  TBenchList List(static_cast<int>(State.range(0)), Order);
  const TFigureCompare Compare{&CompareByName, nullptr};
  for (auto _ : State) {
    State.PauseTiming();
    List.Reset();
    State.ResumeTiming();
    Sort(List.Head(), List.Count(), Compare);
    benchmark::DoNotOptimize(List.Head()->Figure);
  }
  State.SetItemsProcessed(State.iterations() * State.range(0));
}

}  // namespace

BENCHMARK_CAPTURE(BM_Sort, QSort_Random, &QSort, ioRandom)
    ->Arg(10000)->Arg(65535)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, BSort_Random, &BSort, ioRandom)
    ->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, ISort_Random, &ISort, ioRandom)
    ->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, MSort_Random, &MSort, ioRandom)
    ->Arg(10000)->Arg(65535)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, QSort_Descending, &QSort, ioDescending)
    ->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, ISort_Descending, &ISort, ioDescending)
    ->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
