#include "canvas/RasterBatch.h"

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <system_error>
#include <thread>

#include "canvas/RasterMath.h"

namespace {

void Keep(int64_t* Into, std::initializer_list<int64_t> Args) { std::copy(Args.begin(), Args.end(), Into); }

}  // namespace

TRasterBatch::TRasterBatch() = default;
TRasterBatch::~TRasterBatch() = default;

TRasterBatch::TCommand& TRasterBatch::Add(TKind Kind, int64_t Top, int64_t Bottom) {
  TCommand& command = FCommands.emplace_back();
  command.Kind = Kind;
  command.State = State;
  command.Top = Top;
  command.Bottom = Bottom;
  return command;
}

TRasterBatch::TCommand& TRasterBatch::AddOutlined(TKind Kind, int64_t Top, int64_t Bottom) {
  // A wide pen reaches its width from the outline at most; the outline lies
  // within the rows given, an inside-frame pen moving it inwards.
  const int64_t reach = std::max<int64_t>(State.PenWidth, 1) + 1;
  return Add(Kind, Top - reach, Bottom + reach + 1);
}

TRasterBatch::TCommand& TRasterBatch::AddBoxed(TKind Kind, std::initializer_list<int64_t> Args) {
  // Args start with the box's corners (X1, Y1, X2, Y2).
  const int64_t y1 = Args.begin()[1], y2 = Args.begin()[3];
  TCommand& command = AddOutlined(Kind, std::min(y1, y2), std::max(y1, y2));
  std::copy(Args.begin(), Args.end(), command.Args);
  return command;
}

void TRasterBatch::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  AddBoxed(TKind::Rectangle, {X1, Y1, X2, Y2});
}

void TRasterBatch::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  AddBoxed(TKind::Ellipse, {X1, Y1, X2, Y2});
}

void TRasterBatch::RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t CornerW, int32_t CornerH) {
  AddBoxed(TKind::RoundRect, {X1, Y1, X2, Y2, CornerW, CornerH});
}

void TRasterBatch::Arc(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4, int32_t Y4,
                       TArcKind Kind) {
  // The rays only point the way: every point of the shape lies in the box.
  AddBoxed(TKind::Arc, {X1, Y1, X2, Y2, X3, Y3, X4, Y4}).Arc = Kind;
}

void TRasterBatch::AddPath(TKind Kind, std::span<const TPoint> Points) {
  int64_t top = 0, bottom = -1;
  if (!Points.empty()) {
    const auto [low, high] =
        std::minmax_element(Points.begin(), Points.end(), [](const TPoint& A, const TPoint& B) { return A.y < B.y; });
    top = low->y;
    bottom = high->y;
  }
  TCommand& command = AddOutlined(Kind, top, bottom);
  command.First = FPoints.size();
  command.Count = Points.size();
  FPoints.insert(FPoints.end(), Points.begin(), Points.end());
}

void TRasterBatch::Polyline(std::span<const TPoint> Points) { AddPath(TKind::Polyline, Points); }

void TRasterBatch::Polygon(std::span<const TPoint> Points) { AddPath(TKind::Polygon, Points); }

void TRasterBatch::FillRect(const TRect& R) {
  const TSpan64 rows = FillSpan(R.Top, R.Bottom);
  Keep(Add(TKind::FillRect, rows.Lo, rows.Hi).Args, {R.Left, R.Top, R.Right, R.Bottom});
}

void TRasterBatch::StretchBlt(int64_t XD, int64_t YD, int64_t WD, int64_t HD, const TPixelImage& Source, int64_t XS,
                              int64_t YS, int64_t WS, int64_t HS, std::optional<uint32_t> Transparent) {
  TCommand& command = Add(TKind::StretchBlt, std::min(YD, YD + HD), std::max(YD, YD + HD) + 1);
  Keep(command.Args, {XD, YD, WD, HD, XS, YS, WS, HS});
  command.Picture = &Source;
  command.Transparent = Transparent;
}

void TRasterBatch::Draw(TRasterDevice& Device, const TCommand& Command) const {
  const auto i32 = [&](size_t I) { return int32_t(Command.Args[I]); };
  const std::span<const TPoint> points(FPoints.data() + Command.First, Command.Count);
  Device.State = Command.State;
  switch (Command.Kind) {
    case TKind::Rectangle: Device.Rectangle(i32(0), i32(1), i32(2), i32(3)); return;
    case TKind::Ellipse: Device.Ellipse(i32(0), i32(1), i32(2), i32(3)); return;
    case TKind::RoundRect: Device.RoundRect(i32(0), i32(1), i32(2), i32(3), i32(4), i32(5)); return;
    case TKind::Arc: Device.Arc(i32(0), i32(1), i32(2), i32(3), i32(4), i32(5), i32(6), i32(7), Command.Arc); return;
    case TKind::Polyline: Device.Polyline(points); return;
    case TKind::Polygon: Device.Polygon(points); return;
    case TKind::FillRect: Device.FillRect({i32(0), i32(1), i32(2), i32(3)}); return;
    case TKind::StretchBlt: {
      const int64_t* a = Command.Args;
      Device.StretchBlt(a[0], a[1], a[2], a[3], *Command.Picture, a[4], a[5], a[6], a[7], Command.Transparent);
      return;
    }
  }
}

void TRasterBatch::ReplayBand(TRasterDevice& Device, const TSurface& Band) const {
  Device.Attach(Band);
  for (const TCommand& command : FCommands) {
    if (command.Bottom > Band.Top() && command.Top < Band.Bottom()) Draw(Device, command);
  }
}

std::vector<int32_t> TRasterBatch::BandEdges(const TSurface& Surface, size_t Bands) const {
  // The work of a row is taken as the number of primitives that may paint
  // on it; each band gets an equal share of the whole.
  const int32_t top = Surface.Top(), bottom = Surface.Bottom();
  std::vector<int64_t> load(size_t(bottom - top) + 1, 0);
  for (const TCommand& command : FCommands) {
    const int64_t from = std::clamp<int64_t>(command.Top, top, bottom);
    const int64_t to = std::clamp<int64_t>(command.Bottom, top, bottom);
    if (from >= to) continue;
    ++load[size_t(from - top)];
    --load[size_t(to - top)];
  }
  int64_t covering = 0, total = 0;
  for (int64_t& row : load) {
    covering += row;
    row = covering;
    total += covering;
  }
  std::vector<int32_t> edges{top};
  int64_t done = 0;
  for (int32_t y = top; y < bottom && edges.size() < Bands; ++y) {
    done += load[size_t(y - top)];
    if (done * int64_t(Bands) >= total * int64_t(edges.size())) edges.push_back(y + 1);
  }
  while (edges.size() <= Bands) edges.push_back(bottom);
  return edges;
}

void TRasterBatch::Replay(const TSurface& Surface, int Bands) {
  if (Surface.Empty()) {
    FCommands.clear();
    FPoints.clear();
    return;
  }
  const int64_t rows = int64_t(Surface.Bottom()) - Surface.Top();
  const size_t bands = size_t(std::clamp<int64_t>(Bands, 1, rows));
  while (FDevices.size() < bands) FDevices.push_back(std::make_unique<TRasterDevice>());
  const std::vector<int32_t> edges = BandEdges(Surface, bands);
  const auto band = [&](size_t I) {
    TSurface part = Surface;
    part.BandTop = edges[I];
    part.BandBottom = edges[I + 1];
    return part;
  };
  // Band 0 is drawn here; a band whose thread cannot start is drawn here
  // too, after it.
  std::vector<std::exception_ptr> failures(bands);
  std::vector<std::thread> workers;
  std::vector<size_t> left;
  workers.reserve(bands);
  left.reserve(bands);
  for (size_t i = 1; i < bands; ++i) {
    try {
      workers.emplace_back([this, &failures, i, part = band(i)] {
        try {
          ReplayBand(*FDevices[i], part);
        } catch (...) {
          failures[i] = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      left.push_back(i);
    }
  }
  try {
    ReplayBand(*FDevices[0], band(0));
    for (size_t i : left) ReplayBand(*FDevices[i], band(i));
  } catch (...) {
    failures[0] = std::current_exception();
  }
  for (std::thread& worker : workers) worker.join();
  FCommands.clear();
  FPoints.clear();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}
