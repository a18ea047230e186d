// Small helpers for tests that draw on a real raster.
#pragma once

#include <QImage>

#include "canvas/Canvas.h"

// A Width x Height image filled with Background (0x00BBGGRR).
inline QImage MakeRaster(int Width, int Height, TColor Background = clWhite) {
  QImage image(Width, Height, QImage::Format_RGB32);
  image.fill(QColor(int(Background & 0xFF), int((Background >> 8) & 0xFF), int((Background >> 16) & 0xFF)));
  return image;
}

// The pixel at (X, Y) as 0x00BBGGRR, so tests compare against TColor values.
inline TColor PixelAt(const QImage& Image, int X, int Y) {
  const QRgb p = Image.pixel(X, Y);
  return TColor(qRed(p)) | (TColor(qGreen(p)) << 8) | (TColor(qBlue(p)) << 16);
}

// The number of pixels that differ between two images of the same size.
inline int CountDifferences(const QImage& A, const QImage& B) {
  int n = 0;
  for (int y = 0; y < A.height(); ++y)
    for (int x = 0; x < A.width(); ++x) n += (A.pixel(x, y) & 0xFFFFFF) != (B.pixel(x, y) & 0xFFFFFF);
  return n;
}
