// The entry of the benchmarks that build the program's windows: the
// program's application object on the offscreen platform unless told
// otherwise, its recovery files and settings in folders of the run's own.
#pragma once

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "ui/Application.h"

inline int RunWindowBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const QTemporaryDir state;
  qputenv("XDG_STATE_HOME", state.path().toUtf8());
  const QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  TApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
