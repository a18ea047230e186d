// The raster canvas: TCanvas drawing into a QImage with the classic raster
// semantics (raster operations on the destination pixels, exclusive right
// and bottom edges, cosmetic dashes, hatches tied to the image origin).
#pragma once

#include <memory>

#include "canvas/Canvas.h"

class QImage;
class TRasterDevice;
class TTextRenderer;

// Resolves a colour for drawing: a plain colour comes back as 0x00BBGGRR, a
// system colour (clSystemColor + index) as the platform palette's value for
// that role, or a fixed classic value when no GUI application runs.
uint32_t ColorToRGB(TColor Color);

class TRasterCanvas : public TCanvas {
 public:
  // Draws into Image, which must outlive the canvas. The image is expected in
  // QImage::Format_RGB32 (any 32-bit 0xAARRGGBB format works; the canvas
  // keeps alpha at 0xFF); an image of another format is left alone.
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

 private:
  QImage& FImage;
};
