// The raster canvas: TCanvas drawing into a QImage with the classic raster
// semantics (raster operations on the destination pixels, exclusive right
// and bottom edges, cosmetic dashes, hatches tied to the image origin).
#pragma once

#include <memory>

#include "canvas/Canvas.h"

class QImage;
class TRasterBatch;
class TRasterDevice;
class TFontCache;
struct TDeviceState;

// Resolves a colour for drawing, as 0x00BBGGRR: a plain colour keeps its
// low 24 bits; a system colour (clSystemColor + a Windows COLOR_* index, 0
// to 30) takes the platform palette's colour for that role, or the classic
// Windows value when no GUI application runs; an unknown index is black.
uint32_t ColorToRGB(TColor Color);

class TRasterCanvas : public TCanvas {
 public:
  // Draws into Image, which must outlive the canvas; the image may be
  // replaced or resized between calls. The image is expected in
  // QImage::Format_RGB32 (the ARGB32 formats work too, the canvas keeps
  // alpha at 0xFF); an image of another format is left alone.
  explicit TRasterCanvas(QImage& Image);
  ~TRasterCanvas() override;
  TRasterCanvas(const TRasterCanvas&) = delete;
  TRasterCanvas& operator=(const TRasterCanvas&) = delete;

  QImage& Image() const { return FImage; }

 protected:
  void DoRectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void DoEllipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void DoRoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t W, int32_t H) override;
  void DoChord(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4, int32_t Y4,
               bool IsPie) override;
  void DoPolyline(std::span<const TPoint> Points) override;
  void DoPolygon(std::span<const TPoint> Points) override;
  void DoFillRect(const TRect& R) override;
  void DoTextOut(int32_t X, int32_t Y, std::string_view Text) override;
  TSize DoTextExtent(std::string_view Text) override;
  void DoStretchDraw(const TRect& Dest, const TPixelImage& Picture, std::optional<uint32_t> Transparent) override;
  // A batch is drawn in bands of rows at once, one per processor core, when
  // it is large enough to be worth the threads.
  void DoBeginBatch() override { ++FBatchDepth; }
  void DoEndBatch() override;
  // The image itself, shared until either side is drawn on: saving and
  // restoring cost nothing until then, and one copy afterwards.
  bool DoSaveBits(std::unique_ptr<TCanvasBits>& Bits) override;
  bool DoRestoreBits(const TCanvasBits& Bits) override;
  TRect DoPixelBounds() const override;
  // A copy of the area alone, rows top to bottom.
  bool DoSaveArea(const TRect& Area, std::unique_ptr<TCanvasBits>& Bits) override;
  bool DoRestoreAreaExcept(const TCanvasBits& Bits, const TRect& Keep) override;

 private:
  // Whether the image has a pixel layout the canvas draws on.
  bool HasDrawableFormat() const;
  // Points the raster layer at the image's pixels and hands it the pen and
  // brush; false when the image cannot be drawn on.
  bool Prepare();
  // The pen and brush as the raster layer takes them.
  void SetDeviceState(TDeviceState& State) const;
  // Calls Primitive with the raster layer, or with the batch to keep the
  // call for later; nothing when the image cannot be drawn on.
  template <class TPrimitive>
  void Draw(TPrimitive&& Primitive);
  // Draws what the batch holds.
  void DrawBatch();

  QImage& FImage;
  std::unique_ptr<TRasterDevice> FDevice;
  std::unique_ptr<TRasterBatch> FBatch;
  int FBatchDepth = 0;
  std::unique_ptr<TFontCache> FFonts;
};
