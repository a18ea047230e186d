#include "export/PictureExport.h"

#include <QBuffer>
#include <QByteArray>

#include <cstring>

#include "canvas/RasterCanvas.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"

QImage RenderImage(TFiguresCollection& Image) {
  const TRect& r = Image.ImageRect();
  QImage raster(r.Right, r.Bottom, QImage::Format_RGB32);
  if (raster.isNull()) throw EOutOfMemory();
  raster.fill(Qt::white);
  TRasterCanvas canvas(raster);
  Image.DrawOn(canvas);
  return raster;
}

QImage ScalePixels(const QImage& Picture, int Factor) {
  if (Factor == 1) return Picture;
  const QImage source = Picture.convertToFormat(QImage::Format_RGB32);
  QImage scaled(source.width() * Factor, source.height() * Factor, QImage::Format_RGB32);
  if (scaled.isNull()) throw EOutOfMemory();
  const size_t rowBytes = size_t(scaled.width()) * 4;
  for (int y = 0; y < source.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    auto* to = reinterpret_cast<QRgb*>(scaled.scanLine(y * Factor));
    for (int x = 0; x < source.width(); ++x)
      for (int i = 0; i < Factor; ++i) *to++ = from[x];
    for (int i = 1; i < Factor; ++i)
      std::memcpy(scaled.scanLine(y * Factor + i), scaled.constScanLine(y * Factor), rowBytes);
  }
  return scaled;
}

std::vector<uint8_t> EncodePng(const QImage& Picture) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!Picture.save(&buffer, "PNG")) throw EOutOfMemory();
  return std::vector<uint8_t>(png.cbegin(), png.cend());
}
