// What a screen reader costs a person who does not use one, and one who
// does: a change of the selected figure in an image of many figures, as Tab
// or a click makes it, through the main window with its list, panel and the
// drawing surface's accessible figures. The "active" counter says whether
// the platform's accessibility bridge listened.
//
// The Linux bridge is active only on a real display with an accessibility
// bus, when a reader asks for it or the environment says so
// (QAccessible::setActive does not switch it on). Run both in Release:
//
//   xvfb-run -a dbus-run-session -- sh -c '/usr/libexec/at-spi-bus-launcher --launch-immediately &
//     sleep 1; QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 bench/AccessibilityBench;
//     QT_QPA_PLATFORM=xcb bench/AccessibilityBench'
//
// The first run has the bridge on, the second off; the difference of their
// times is what the accessible figures and the toolkit's own notices add.
#include <benchmark/benchmark.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "WindowBenchMain.h"
#include "BenchScenes.h"
#include "canvas/IdleCanvas.h"
#include "document/Collection.h"
#include "ui/Application.h"
#include "ui/Document.h"
#include "ui/ImageSurface.h"
#include "ui/ImgUnit.h"
#include "ui/MainUnit.h"

namespace {

std::string SaveScene(int Count) {
  TFiguresCollection image(&IdleCanvas(), TRect{0, 0, 650, 400});
  image.SetBackgroundColor(clWhite);
  AddMixedFigures(image, Count, 650, 400, nullptr);
  const std::string path = QDir::tempPath().toStdString() + "/kresta-a11y-bench-" + std::to_string(getpid()) + ".kri";
  image.SaveToFile(path);
  return path;
}

// Arg: figures. The selection alternates between the bottom figure (the
// last of the list) and the middle one, with the drawing surface focused as
// after Tab.
void BM_SelectionChange(benchmark::State& State) {
  const int count = int(State.range(0));
  const std::string path = SaveScene(count);
  TfrmMain main;
  main.show();
  main.OpenImage(isFile, QString::fromStdString(path));
  std::remove(path.c_str());
  TfrmImage& image = *main.ImageWindow();
  image.activateWindow();
  QElapsedTimer waited;
  waited.start();
  while (!image.isActiveWindow() && waited.elapsed() < 2000) QCoreApplication::processEvents();
  image.imgDraw->setFocus();
  QCoreApplication::processEvents();

  TDocument& document = main.Document();
  TBasicFigure* figures[] = {document.Collection()->GetFigure(0),
                             document.Collection()->GetFigure(uint16_t(count / 2))};
  int step = 0;
  for (auto _ : State) document.Select(figures[step++ & 1]);
  State.counters["figures"] = count;
  State.counters["active"] = QAccessible::isActive();
  State.counters["focused"] = image.imgDraw->hasFocus();
  main.CloseImage();
}
BENCHMARK(BM_SelectionChange)->Arg(100000)->ArgNames({"figures"})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
