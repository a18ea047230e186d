#include "canvas/RasterBatch.h"

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <system_error>
#include <thread>

#include "canvas/RasterMath.h"

namespace {

template <class T>
void Keep(T* Into, std::initializer_list<T> Args) {
  std::copy(Args.begin(), Args.end(), Into);
}

// Cells of 4 x 4 pixels over an area of the surface, a bit each: set once
// every pixel of the cell within the area is set by the primitives met so
// far, whatever lay beneath.
class TCoverCells {
 public:
  using TBox = TRasterBatch::TBox;

  TCoverCells(const TBox& Area, std::vector<uint64_t>& Bits)
      : FArea(Area),
        FColumns((Area.Right - Area.Left + kSize - 1) / kSize),
        FRows((Area.Bottom - Area.Top + kSize - 1) / kSize),
        FWords(size_t(FColumns + 63) / 64),
        FBits(Bits) {
    FBits.assign(FWords * size_t(FRows), 0);
  }

  // Whether the cells holding Pixels, a box within the area, are all set.
  bool Cover(const TBox& Pixels) const {
    return ForCells(Pixels.Top - FArea.Top, Pixels.Bottom - FArea.Top + kSize - 1, Pixels.Left - FArea.Left,
                    Pixels.Right - FArea.Left + kSize - 1,
                    [](const uint64_t& Word, uint64_t Cells) { return (Word & Cells) == Cells; });
  }
  // Sets the cells that Part, a box anywhere, holds whole.
  void Set(const TBox& Part) {
    ForCells(Part.Top - FArea.Top + kSize - 1, Past(Part.Bottom, FArea.Top, FArea.Bottom),
             Part.Left - FArea.Left + kSize - 1, Past(Part.Right, FArea.Left, FArea.Right),
             [](uint64_t& Word, uint64_t Cells) {
               Word |= Cells;
               return true;
             });
  }

 private:
  static constexpr int64_t kSize = 4;

  // A pixel offset from the area's start that ends a box at To: the area's
  // end rounded up to whole cells when the box reaches it.
  static int64_t Past(int64_t To, int64_t Start, int64_t End) {
    return To >= End ? End - Start + kSize - 1 : To - Start;
  }
  // Calls Visit(word, cells) for each word of cells [Column0, Column1) in
  // rows of cells [Row0, Row1), where each bound is a pixel offset from the
  // area's start divided by the cell size, clamped to the cells, until a
  // visit returns false; whether none did.
  template <class TVisit>
  bool ForCells(int64_t Row0, int64_t Row1, int64_t Column0, int64_t Column1, TVisit&& Visit) const {
    const auto cells = [](int64_t Offset, int64_t Count) {
      return std::clamp<int64_t>(Offset, 0, Count * kSize) / kSize;
    };
    const int64_t r0 = cells(Row0, FRows), r1 = cells(Row1, FRows);
    const int64_t c0 = cells(Column0, FColumns), c1 = cells(Column1, FColumns);
    for (int64_t r = r0; r < r1; ++r) {
      uint64_t* row = FBits.data() + size_t(r) * FWords;
      for (int64_t c = c0; c < c1;) {
        const int64_t end = std::min(c1, (c / 64 + 1) * 64);
        if (!Visit(row[c / 64], (~uint64_t(0) >> (64 - (end - c))) << (c % 64))) return false;
        c = end;
      }
    }
    return true;
  }

  TBox FArea;
  int64_t FColumns;
  int64_t FRows;
  size_t FWords;
  std::vector<uint64_t>& FBits;
};

}  // namespace

TRasterBatch::TRasterBatch() = default;
TRasterBatch::~TRasterBatch() = default;

TRasterBatch::TCommand& TRasterBatch::Add(TKind Kind, const TBox& Reach) {
  FSets.emplace_back();
  TCommand& command = FCommands.emplace_back();
  command.Kind = Kind;
  command.State = State;
  command.Reach = Reach;
  return command;
}

TRasterBatch::TCommand& TRasterBatch::AddOutlined(TKind Kind, const TBox& Outline) {
  // A wide pen reaches its width from the outline at most; an inside-frame
  // pen moves the outline inwards.
  const int64_t reach = std::max<int64_t>(State.PenWidth, 1) + 1;
  return Add(Kind, {Outline.Left - reach, Outline.Top - reach, Outline.Right + reach + 1, Outline.Bottom + reach + 1});
}

TRasterBatch::TCommand& TRasterBatch::AddBoxed(TKind Kind, std::initializer_list<int32_t> Args) {
  // Args start with the box's corners (X1, Y1, X2, Y2).
  const int32_t* corners = Args.begin();
  const TBox box{std::min(corners[0], corners[2]), std::min(corners[1], corners[3]), std::max(corners[0], corners[2]),
                 std::max(corners[1], corners[3])};
  TCommand& command = AddOutlined(Kind, box);
  Keep(command.Args, Args);
  FSets.back() = InteriorSet(Kind, box);
  return command;
}

TRasterBatch::TBox TRasterBatch::InteriorSet(TKind Kind, const TBox& Box) const {
  const bool filled = Kind == TKind::Rectangle || Kind == TKind::Ellipse || Kind == TKind::RoundRect;
  if (!filled || !BrushSetsEveryPixel(State, State.Mode)) return {};
  // The pen, inside the frame or not, paints within its width and a pixel
  // of the box's edge; without a pen the fill still loses its right column
  // and bottom row.
  const int64_t margin = State.PenStyle == psClear ? 1 : std::max<int64_t>(State.PenWidth, 1) + 2;
  if (Kind == TKind::Rectangle) return {Box.Left + margin, Box.Top + margin, Box.Right - margin, Box.Bottom - margin};
  // The rectangle inscribed in the ellipse, which a rounded rectangle holds
  // too, has the box's sides over the square root of two: 0.7 of them, and
  // two pixels more in, leave room for how the outline is traced.
  const int64_t halfW = (Box.Right - Box.Left) * 7 / 20, halfH = (Box.Bottom - Box.Top) * 7 / 20;
  const int64_t x = (Box.Left + Box.Right) / 2, y = (Box.Top + Box.Bottom) / 2, in = margin + 2;
  return {x - halfW + in, y - halfH + in, x + halfW - in, y + halfH - in};
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
  TBox outline{0, 0, -1, -1};
  if (!Points.empty()) {
    const auto [left, right] =
        std::minmax_element(Points.begin(), Points.end(), [](const TPoint& A, const TPoint& B) { return A.x < B.x; });
    const auto [top, bottom] =
        std::minmax_element(Points.begin(), Points.end(), [](const TPoint& A, const TPoint& B) { return A.y < B.y; });
    outline = {left->x, top->y, right->x, bottom->y};
  }
  // The batch is drawn once it holds a million points, so the first one's
  // position fits; a path of 2^31 points or more would take 16 GiB.
  TCommand& command = AddOutlined(Kind, outline);
  command.Args[0] = int32_t(FPoints.size());
  command.Args[1] = int32_t(Points.size());
  FPoints.insert(FPoints.end(), Points.begin(), Points.end());
}

void TRasterBatch::Polyline(std::span<const TPoint> Points) { AddPath(TKind::Polyline, Points); }

void TRasterBatch::Polygon(std::span<const TPoint> Points) { AddPath(TKind::Polygon, Points); }

void TRasterBatch::FillRect(const TRect& R) {
  const TSpan64 columns = FillSpan(R.Left, R.Right), rows = FillSpan(R.Top, R.Bottom);
  const TBox box{columns.Lo, rows.Lo, columns.Hi, rows.Hi};
  TCommand& command = Add(TKind::FillRect, box);
  Keep(command.Args, {R.Left, R.Top, R.Right, R.Bottom});
  if (BrushSetsEveryPixel(State, pmCopy)) FSets.back() = box;
}

void TRasterBatch::StretchBlt(int64_t XD, int64_t YD, int64_t WD, int64_t HD, const TPixelImage& Source, int64_t XS,
                              int64_t YS, int64_t WS, int64_t HS, std::optional<uint32_t> Transparent) {
  TCommand& command = Add(TKind::StretchBlt, {std::min(XD, XD + WD), std::min(YD, YD + HD), std::max(XD, XD + WD) + 1,
                                              std::max(YD, YD + HD) + 1});
  command.Args[0] = int32_t(FPictures.size());
  FPictures.push_back({{XD, YD, WD, HD, XS, YS, WS, HS}, &Source, Transparent});
}

void TRasterBatch::Draw(TRasterDevice& Device, const TCommand& Command) const {
  const int32_t* a = Command.Args;
  const auto points = [&] { return std::span<const TPoint>(FPoints.data() + a[0], size_t(a[1])); };
  Device.State = Command.State;
  switch (Command.Kind) {
    case TKind::Rectangle: Device.Rectangle(a[0], a[1], a[2], a[3]); return;
    case TKind::Ellipse: Device.Ellipse(a[0], a[1], a[2], a[3]); return;
    case TKind::RoundRect: Device.RoundRect(a[0], a[1], a[2], a[3], a[4], a[5]); return;
    case TKind::Arc: Device.Arc(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], Command.Arc); return;
    case TKind::Polyline: Device.Polyline(points()); return;
    case TKind::Polygon: Device.Polygon(points()); return;
    case TKind::FillRect: Device.FillRect({a[0], a[1], a[2], a[3]}); return;
    case TKind::StretchBlt: {
      const TPictureCall& call = FPictures[size_t(a[0])];
      const int64_t* c = call.Args;
      Device.StretchBlt(c[0], c[1], c[2], c[3], *call.Picture, c[4], c[5], c[6], c[7], call.Transparent);
      return;
    }
  }
}

void TRasterBatch::ReplayBand(TRasterDevice& Device, const TSurface& Surface, size_t Band) const {
  Device.Attach(Surface);
  for (const uint32_t i : FBandCommands[Band]) Draw(Device, FCommands[i]);
}

void TRasterBatch::AssignToBands(const std::vector<int32_t>& Edges) {
  const size_t bands = Edges.size() - 1;
  FBandCommands.resize(std::max(FBandCommands.size(), bands));
  for (size_t b = 0; b < bands; ++b) FBandCommands[b].clear();
  for (size_t i = 0; i < FCommands.size(); ++i) {
    const TCommand& command = FCommands[i];
    if (command.Hidden) continue;
    // From the first band that ends below the top of the reach, the
    // non-empty bands whose rows the reach meets.
    const auto ends = std::upper_bound(Edges.begin() + 1, Edges.end(), command.Reach.Top);
    for (size_t b = size_t(ends - Edges.begin()) - 1; b < bands && Edges[b] < command.Reach.Bottom; ++b) {
      if (Edges[b] < Edges[b + 1]) FBandCommands[b].push_back(uint32_t(i));
    }
  }
}

void TRasterBatch::HideCovered(const TSurface& Surface) {
  const TBox surface{0, Surface.Top(), Surface.Width, Surface.Bottom()};
  const auto onSurface = [&](const TBox& Box) {
    return TBox{std::max(Box.Left, surface.Left), std::max(Box.Top, surface.Top), std::min(Box.Right, surface.Right),
                std::min(Box.Bottom, surface.Bottom)};
  };
  // Only a primitive within the reach of those that set pixels can be
  // hidden: the cells span that reach alone.
  TBox area{surface.Right, surface.Bottom, surface.Left, surface.Top};
  for (size_t i = 0; i < FCommands.size(); ++i) {
    if (FSets[i].Empty()) continue;
    const TBox reach = onSurface(FCommands[i].Reach);
    area = {std::min(area.Left, reach.Left), std::min(area.Top, reach.Top), std::max(area.Right, reach.Right),
            std::max(area.Bottom, reach.Bottom)};
  }
  if (area.Empty()) return;
  const auto within = [&](const TBox& Box) {
    return !Box.Empty() && Box.Left >= area.Left && Box.Top >= area.Top && Box.Right <= area.Right &&
           Box.Bottom <= area.Bottom;
  };
  // From the last primitive down: one is hidden when the cells holding its
  // pixels are all set already, else it sets those its set part holds.
  TCoverCells cells(area, FCells);
  bool anySet = false;
  for (size_t i = FCommands.size(); i-- > 0;) {
    TCommand& command = FCommands[i];
    const TBox reach = onSurface(command.Reach);
    if (anySet && within(reach) && cells.Cover(reach)) {
      command.Hidden = true;
    } else if (!FSets[i].Empty()) {
      cells.Set(FSets[i]);
      anySet = true;
    }
  }
}

std::vector<int32_t> TRasterBatch::BandEdges(const TSurface& Surface, size_t Bands) const {
  // A primitive's work is taken as a unit for each row of the surface it
  // may paint, where it fills its spans, and as much again for each row
  // and column of its whole reach, where it traces its outline, shared out
  // among the rows of the surface: a primitive cut off by the surface's
  // edge costs more than its rows alone. Each band gets an equal share of
  // the whole, in sixteenths.
  constexpr int64_t kUnit = 16;
  constexpr int64_t kMostTraced = int64_t(1) << 20;  // keeps the sums far from overflowing
  const int32_t top = Surface.Top(), bottom = Surface.Bottom();
  std::vector<int64_t> load(size_t(bottom - top) + 1, 0);
  for (const TCommand& command : FCommands) {
    const int64_t from = std::clamp<int64_t>(command.Reach.Top, top, bottom);
    const int64_t to = std::clamp<int64_t>(command.Reach.Bottom, top, bottom);
    if (command.Hidden || from >= to) continue;
    const TBox& reach = command.Reach;
    const int64_t traced = std::min(reach.Bottom - reach.Top, kMostTraced) + std::min(reach.Right - reach.Left, kMostTraced);
    const int64_t perRow = kUnit + kUnit * traced / (to - from);
    load[size_t(from - top)] += perRow;
    load[size_t(to - top)] -= perRow;
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
    Forget();
    return;
  }
  const int64_t rows = int64_t(Surface.Bottom()) - Surface.Top();
  const size_t bands = size_t(std::clamp<int64_t>(Bands, 1, rows));
  while (FDevices.size() < bands) FDevices.push_back(std::make_unique<TRasterDevice>());
  HideCovered(Surface);
  const std::vector<int32_t> edges = BandEdges(Surface, bands);
  AssignToBands(edges);
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
          ReplayBand(*FDevices[i], part, i);
        } catch (...) {
          failures[i] = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      left.push_back(i);
    }
  }
  try {
    ReplayBand(*FDevices[0], band(0), 0);
    for (size_t i : left) ReplayBand(*FDevices[i], band(i), i);
  } catch (...) {
    failures[0] = std::current_exception();
  }
  for (std::thread& worker : workers) worker.join();
  Forget();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

void TRasterBatch::Forget() {
  FCommands.clear();
  FSets.clear();
  FPoints.clear();
  FPictures.clear();
}
