#include "canvas/RasterCanvas.h"

#include <QImage>

uint32_t ColorToRGB(TColor Color) { return Color & 0x00FFFFFFu; }

TRasterCanvas::TRasterCanvas(QImage& Image) : FImage(Image) {}
TRasterCanvas::~TRasterCanvas() = default;

void TRasterCanvas::DoRectangle(int32_t, int32_t, int32_t, int32_t) {}
void TRasterCanvas::DoEllipse(int32_t, int32_t, int32_t, int32_t) {}
void TRasterCanvas::DoRoundRect(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void TRasterCanvas::DoChord(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, bool) {}
void TRasterCanvas::DoPolyline(std::span<const TPoint>) {}
void TRasterCanvas::DoPolygon(std::span<const TPoint>) {}
void TRasterCanvas::DoFillRect(const TRect&) {}
void TRasterCanvas::DoTextOut(int32_t, int32_t, std::string_view) {}
TSize TRasterCanvas::DoTextExtent(std::string_view) { return {}; }
void TRasterCanvas::DoStretchDraw(const TRect&, const TPixelImage&, std::optional<uint32_t>) {}
