// Primitives of the raster layer held back and drawn together: each is kept
// with the state it was called with, then all are replayed in order on
// bands of rows of the surface at once, a thread per band. A band gets
// exactly the pixels the primitives give its rows on the whole surface, so
// the bands together give the pixels of drawing one primitive after the
// other. A primitive whose every pixel later ones set, whatever lies
// beneath them, is not drawn at all. Internal to canvas/.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "canvas/RasterDevice.h"

class TRasterBatch {
 public:
  // The state the next primitives are kept with, as on TRasterDevice.
  TDeviceState State;

  // Columns [Left, Right) of rows [Top, Bottom).
  struct TBox {
    int64_t Left = 0;
    int64_t Top = 0;
    int64_t Right = 0;
    int64_t Bottom = 0;

    bool Empty() const { return Left >= Right || Top >= Bottom; }
  };

  TRasterBatch();
  ~TRasterBatch();
  TRasterBatch(const TRasterBatch&) = delete;
  TRasterBatch& operator=(const TRasterBatch&) = delete;

  // As the calls of TRasterDevice; Source must outlive the replay.
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t CornerW, int32_t CornerH);
  void Arc(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4, int32_t Y4,
           TArcKind Kind);
  void Polyline(std::span<const TPoint> Points);
  void Polygon(std::span<const TPoint> Points);
  void FillRect(const TRect& R);
  void StretchBlt(int64_t XD, int64_t YD, int64_t WD, int64_t HD, const TPixelImage& Source, int64_t XS, int64_t YS,
                  int64_t WS, int64_t HS, std::optional<uint32_t> Transparent);

  size_t Size() const { return FCommands.size(); }
  // Whether the batch holds as much as it should before being drawn: it
  // copies what it keeps, and an image of millions of figures would
  // otherwise be copied whole.
  bool Full() const { return FCommands.size() >= kMostCommands || FPoints.size() >= kMostPoints; }
  // Draws the primitives kept on Surface, its rows split into Bands bands
  // (at least one) drawn at once, and forgets them; an empty surface only
  // forgets them. A failure of any band propagates once every band has
  // finished.
  void Replay(const TSurface& Surface, int Bands);

 private:
  static constexpr size_t kMostCommands = size_t(1) << 16;
  static constexpr size_t kMostPoints = size_t(1) << 20;

  enum class TKind : uint8_t { Rectangle, Ellipse, RoundRect, Arc, Polyline, Polygon, FillRect, StretchBlt };
  // Kept small: the bands' threads read the commands that the calling
  // thread wrote, each cache line crossing between cores.
  struct TCommand {
    TKind Kind;
    TArcKind Arc = TArcKind::Arc;
    bool Hidden = false;  // by the primitives after it
    TDeviceState State;
    // Holds every pixel the primitive may paint.
    TBox Reach;
    // Coordinates as called; a path's points are FPoints[Args[0], Args[0]
    // + Args[1]), a picture's call is FPictures[Args[0]].
    int32_t Args[8] = {};
  };
  // A picture drawn into a box, as called.
  struct TPictureCall {
    int64_t Args[8];
    const TPixelImage* Picture;
    std::optional<uint32_t> Transparent;
  };

  TCommand& Add(TKind Kind, const TBox& Reach);
  // A shape whose outline lies within [Left, Right] x [Top, Bottom], drawn
  // with the pen of the kept state.
  TCommand& AddOutlined(TKind Kind, const TBox& Outline);
  // A primitive drawn in a box, Args starting with its corners.
  TCommand& AddBoxed(TKind Kind, std::initializer_list<int32_t> Args);
  void AddPath(TKind Kind, std::span<const TPoint> Points);
  // The part of a filled rectangle, or of an ellipse in the box, that the
  // brush of the kept state sets whatever lay beneath and the pen leaves
  // alone; the box is [Left, Right] x [Top, Bottom].
  TBox InteriorSet(TKind Kind, const TBox& Box) const;
  // Marks the primitives whose pixels on Surface later ones all set.
  void HideCovered(const TSurface& Surface);
  void Draw(TRasterDevice& Device, const TCommand& Command) const;
  // Draws the primitives FBandCommands[Band] lists on Surface.
  void ReplayBand(TRasterDevice& Device, const TSurface& Surface, size_t Band) const;
  // Lists in FBandCommands the primitives each band between Edges draws.
  void AssignToBands(const std::vector<int32_t>& Edges);
  // Drops the primitives kept.
  void Forget();
  // The first row of each of Bands bands of the surface's rows, and their
  // end: bands of about equal work, some possibly empty.
  std::vector<int32_t> BandEdges(const TSurface& Surface, size_t Bands) const;

  std::vector<TCommand> FCommands;
  // Of each command, the pixels it sets whatever lay beneath; possibly
  // empty. Apart from the commands, which the bands read, since only
  // hiding needs them.
  std::vector<TBox> FSets;
  std::vector<TPoint> FPoints;
  std::vector<TPictureCall> FPictures;
  // Positions in FCommands of the primitives each band draws, in order.
  std::vector<std::vector<uint32_t>> FBandCommands;
  // The bits of the cells that find hidden primitives, kept for reuse.
  std::vector<uint64_t> FCells;
  // One per band, kept for the tables they build.
  std::vector<std::unique_ptr<TRasterDevice>> FDevices;
};
