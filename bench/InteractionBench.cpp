// What a person waits for in a busy image, through the windows' own
// handlers: one drag step (the pointer moves, the figure changes, the
// raster the screen shows is up to date) while drawing, moving or
// reshaping the topmost figure or moving one in the middle of the drawing
// order, also zoomed in with the view's picture; the view's picture of a
// large image at several levels and pixel ratios; one zoom step; one
// property-panel edit, and its undo and redo; the hover hit test; opening a
// large file and showing it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QRect>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "WindowBenchMain.h"
#include "BenchScenes.h"
#include "document/Collection.h"
#include "canvas/IdleCanvas.h"
#include "figures/RealFigures.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Document.h"
#include "ui/ImgUnit.h"
#include "ui/ViewControl.h"
#include "ui/ViewScale.h"
#include "ui/MainUnit.h"
#include "ui/ObjectList.h"
#include "ui/PropertyPanel.h"

namespace {

constexpr int kWidth = 650, kHeight = 400;
// The mixed figures stay left of this, so the test rectangle on the right is
// the only figure under the pointer there.
constexpr int kFiguresWidth = 480;
constexpr TPoint kRectTopLeft{580, 150}, kRectBottomRight{630, 200};

// Count figures: the mixed ones with a 50 x 50 rectangle at Position (from
// the bottom) in the free strip.
std::unique_ptr<TFiguresCollection> Scene(int Count, int Position, TBasicFigure** Rect) {
  // Resting on the idle canvas until a window attaches it.
  auto image = std::make_unique<TFiguresCollection>(&IdleCanvas(), TRect{0, 0, kWidth, kHeight});
  image->SetBackgroundColor(clWhite);
  AddMixedFigures(*image, Position, kFiguresWidth, kHeight, nullptr, 1);
  auto rect = TFigureRectangle::Class.Create(nullptr);
  rect->SetPoint(0, kRectTopLeft);
  rect->SetPoint(1, kRectBottomRight);
  AsFilled(rect.get())->SetBrushColor(0x0000C0FF);
  *Rect = image->Add(std::move(rect));
  AddMixedFigures(*image, Count - Position - 1, kFiguresWidth, kHeight, nullptr, 2);
  return image;
}

const TShiftState kDragging{Qt::NoModifier, Qt::LeftButton};
const TShiftState kHovering{Qt::NoModifier, Qt::NoButton};

enum TGesture { gsMove, gsReshape, gsDraw };

// Args: figures, position of the dragged rectangle in percent of the order
// (100: on top), gesture.
void BM_DragStep(benchmark::State& State) {
  const int count = int(State.range(0));
  const int position = int(int64_t(count - 1) * State.range(1) / 100);
  const auto gesture = TGesture(State.range(2));
  TBasicFigure* rect = nullptr;
  auto image = Scene(count, position, &rect);
  TfrmImage window;
  window.SetImage(image.get());
  TPoint from{605, 175};
  if (gesture == gsReshape) from = kRectBottomRight;
  if (gesture == gsDraw) {
    from = {590, 300};
    window.FFigureClass = &TFigureRectangle::Class;
  }
  window.imgDrawMouseDown(Qt::LeftButton, {Qt::NoModifier, Qt::LeftButton}, from.x, from.y);
  int step = 0;
  for (auto _ : State) {
    const int d = 1 + (step++ & 1);
    window.imgDrawMouseMove(kDragging, from.x + 10 * d, from.y + 5 * d);
  }
  window.imgDrawMouseUp(Qt::LeftButton, kHovering, from.x, from.y);
  State.counters["figures"] = count;
  window.SetImage(nullptr);
}
BENCHMARK(BM_DragStep)
    ->ArgNames({"figures", "at%", "gesture"})
    ->Args({1000, 100, gsMove})
    ->Args({10000, 100, gsMove})
    ->Args({100000, 100, gsMove})
    ->Args({10000, 100, gsReshape})
    ->Args({100000, 100, gsReshape})
    ->Args({10000, 100, gsDraw})
    ->Args({100000, 100, gsDraw})
    ->Args({1000, 50, gsMove})
    ->Args({10000, 50, gsMove})
    ->Args({100000, 50, gsMove})
    ->Unit(benchmark::kMillisecond);

// The part of the surface the viewport shows, surface pixels.
QRect VisibleRect(const TfrmImage& Window) {
  return QRect(-Window.imgDraw->pos(), Window.pnDraw->size()).intersected(Window.imgDraw->rect());
}

// A drag step of the topmost figure at a zoom level, and the view's picture
// of the viewport that the next paint shows. Args: figures, level.
void BM_ZoomedDragStep(benchmark::State& State) {
  TBasicFigure* rect = nullptr;
  auto image = Scene(int(State.range(0)), int(State.range(0)) - 1, &rect);
  TfrmImage window;
  window.SetImage(image.get());
  const TPoint from{605, 175};
  window.View().ZoomTo(int(State.range(1)));
  const TViewScale& scale = window.imgDraw->Scale();
  window.View().ScrollTo(QPoint(int(scale.ToView(from.x)), int(scale.ToView(from.y))) -
                         QPoint(window.pnDraw->width() / 2, window.pnDraw->height() / 2));
  window.imgDrawMouseDown(Qt::LeftButton, kDragging, from.x, from.y);
  int step = 0;
  for (auto _ : State) {
    const int d = 1 + (step++ & 1);
    window.imgDrawMouseMove(kDragging, from.x + 2 * d, from.y + d);
    benchmark::DoNotOptimize(window.imgDraw->ViewPicture(VisibleRect(window), 1.0));
  }
  window.imgDrawMouseUp(Qt::LeftButton, kHovering, from.x, from.y);
  window.SetImage(nullptr);
}
BENCHMARK(BM_ZoomedDragStep)
    ->ArgNames({"figures", "level"})
    ->Args({100000, ActualSizeLevel})
    ->Args({100000, 10})
    ->Unit(benchmark::kMillisecond);

// The view's picture of a 2,000 x 2,000 image after a change, as much as
// the viewport shows (the whole image at 25 %). Args: level, device pixel
// ratio in percent.
void BM_ViewPicture(benchmark::State& State) {
  auto image = std::make_unique<TFiguresCollection>(&IdleCanvas(), TRect{0, 0, 2000, 2000});
  image->SetBackgroundColor(clWhite);
  AddMixedFigures(*image, 10000, 2000, 2000, nullptr);
  TfrmImage window;
  // A viewport that holds the image whole at 25 %; the window lays its
  // controls out once shown.
  window.resize(700, 600);
  window.show();
  QCoreApplication::processEvents();
  window.SetImage(image.get());
  window.View().ZoomTo(int(State.range(0)));
  const double ratio = double(State.range(1)) / 100;
  const QRect shown = VisibleRect(window);
  const QRect device(QPoint(0, 0), QSize(int(shown.width() * ratio), int(shown.height() * ratio)));
  for (auto _ : State) benchmark::DoNotOptimize(window.imgDraw->ViewPicture(device, ratio));
  State.counters["devicePixels"] = double(device.width()) * device.height();
  window.SetImage(nullptr);
}
BENCHMARK(BM_ViewPicture)
    ->ArgNames({"level", "ratio%"})
    ->Args({2, 100})
    ->Args({ActualSizeLevel, 100})
    ->Args({12, 100})
    ->Args({2, 200})
    ->Args({ActualSizeLevel, 200})
    ->Unit(benchmark::kMillisecond);

// One level in or out in a shown window, the paint included: the raster is
// not redrawn.
void BM_ZoomStep(benchmark::State& State) {
  TBasicFigure* rect = nullptr;
  auto image = Scene(int(State.range(0)), 0, &rect);
  TfrmImage window;
  window.SetImage(image.get());
  window.show();
  QCoreApplication::processEvents();
  int step = 0;
  for (auto _ : State) {
    if ((step++ & 1) == 0)
      window.View().ZoomIn();
    else
      window.View().ZoomOut();
    QCoreApplication::processEvents();
  }
  window.SetImage(nullptr);
}
BENCHMARK(BM_ZoomStep)->Arg(100000)->ArgNames({"figures"})->Unit(benchmark::kMillisecond);

// The pointer passing over the image in selection mode: the hit test and the
// status panel.
void BM_Hover(benchmark::State& State) {
  TBasicFigure* rect = nullptr;
  auto image = Scene(int(State.range(0)), 0, &rect);
  TfrmImage window;
  window.SetImage(image.get());
  std::mt19937 random(7);
  for (auto _ : State) window.imgDrawMouseMove(kHovering, int(random() % kWidth), int(random() % kHeight));
  window.SetImage(nullptr);
}
BENCHMARK(BM_Hover)->Arg(10000)->Arg(100000)->ArgNames({"figures"})->Unit(benchmark::kMicrosecond);

std::string SaveScene(int Count, int Position) {
  TBasicFigure* rect = nullptr;
  auto image = Scene(Count, Position, &rect);
  image->SetSelected(nullptr);
  const std::string path = QDir::tempPath().toStdString() + "/kresta-bench-" + std::to_string(getpid()) + "-" +
                           std::to_string(Count) + ".kri";
  image->SaveToFile(path);
  return path;
}

// Count figures opened from a file in the main window, the rectangle in the
// middle of the order selected.
void OpenWithMiddleSelected(TfrmMain& Main, int Count) {
  const std::string path = SaveScene(Count, Count / 2);
  Main.OpenImage(isFile, QString::fromStdString(path));
  std::remove(path.c_str());
  Main.ObjectList->SelectFigureItem(Main.Document().Collection()->GetFigure(uint16_t(Count / 2)));
}

// One step that moved the figure in the middle of the order, recorded by
// the document's history; what the step keeps is reported.
void BM_RecordStep(benchmark::State& State) {
  const int count = int(State.range(0));
  TBasicFigure* rect = nullptr;
  TDocument document;
  document.Open(Scene(count, count / 2, &rect));
  // The figures tell their changes, as on a window's raster.
  document.Collection()->SetCanvas(&IdleCanvas());
  int step = 0;
  for (auto _ : State) {
    State.PauseTiming();
    rect->MoveBy({(step++ & 1) != 0 ? 1 : -1, 0});
    State.ResumeTiming();
    document.StepDone();
  }
  const TImageHistory& history = document.History();
  State.counters["stepKiB"] = double(history.Bytes() - history.Current().size()) / double(history.Count() - 1) / 1024.0;
}
// Iterations fixed: the edit between two recordings redraws on the idle
// canvas, which takes far longer than the recording timed.
BENCHMARK(BM_RecordStep)
    ->Arg(10000)
    ->Arg(100000)
    ->ArgNames({"figures"})
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

// One change of the line colour in the panel.
void BM_PanelEdit(benchmark::State& State) {
  TfrmMain main;
  OpenWithMiddleSelected(main, int(State.range(0)));
  int step = 0;
  for (auto _ : State) main.PropertyPanel->cbLineColor->SetColor((step++ & 1) != 0 ? 0x000000FF : 0x00FF0000);
}
BENCHMARK(BM_PanelEdit)->Arg(10000)->Arg(100000)->ArgNames({"figures"})->Unit(benchmark::kMillisecond);

// One undo and one redo of a panel edit, the raster and the views brought
// up to date; the memory the step keeps beside the current state is
// reported.
void BM_UndoRedo(benchmark::State& State) {
  TfrmMain main;
  OpenWithMiddleSelected(main, int(State.range(0)));
  main.PropertyPanel->cbLineColor->SetColor(0x000000FF);
  for (auto _ : State) {
    main.mn_MainClick(main.Menu.mnMain_Edit_Undo);
    main.mn_MainClick(main.Menu.mnMain_Edit_Redo);
  }
  const TImageHistory& history = main.Document().History();
  State.counters["stepKiB"] = double(history.Bytes() - history.Current().size()) / double(history.Count() - 1) / 1024.0;
}
BENCHMARK(BM_UndoRedo)->Arg(10000)->Arg(100000)->ArgNames({"figures"})->Unit(benchmark::kMillisecond);

long ResidentKiB() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Opening a file through the main window and showing it (the image window
// painted once); the resident memory it adds is reported.
void BM_OpenAndShow(benchmark::State& State) {
  const int count = int(State.range(0));
  const std::string path = SaveScene(count, count - 1);
  TfrmMain main;
  main.show();
  QCoreApplication::processEvents();
  const long empty = ResidentKiB();
  long added = 0;
  for (auto _ : State) {
    main.OpenImage(isFile, QString::fromStdString(path));
    QCoreApplication::processEvents();
    added = std::max(added, ResidentKiB() - empty);
    State.PauseTiming();
    main.CloseImage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    State.ResumeTiming();
  }
  std::remove(path.c_str());
  State.counters["addedMiB"] = double(added) / 1024.0;
}
BENCHMARK(BM_OpenAndShow)->Arg(100000)->ArgNames({"figures"})->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
