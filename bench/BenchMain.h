// The entry of the benchmarks that draw: a GUI application on the
// offscreen platform unless told otherwise, then every benchmark asked for.
#pragma once

#include <benchmark/benchmark.h>

#include <QGuiApplication>

inline int RunDrawingBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
