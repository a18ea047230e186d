// The image drawn as the program shows it, and encoded as a BMP or PNG file.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "canvas/BmpEncode.h"
#include "document/Collection.h"

// Draws the image as the image window shows it without selection markers:
// a blank (white) raster of Right x Bottom pixels of the image rectangle,
// then the background and every figure bottom to top, through
// TRasterCanvas. Needs a QGuiApplication when the image holds text. The
// image's own canvas is left alone.
QImage RenderImage(TFiguresCollection& Image);

// Largest factor ScalePixels takes.
constexpr int MaxRenderScale = 8;

// Each pixel as a Factor x Factor square (1 to MaxRenderScale): no
// smoothing, so the picture stays exact. EOutOfMemory when the result
// cannot be held.
QImage ScalePixels(const QImage& Picture, int Factor);

// The picture as a PNG file's bytes. EOutOfMemory when it cannot be held.
std::vector<uint8_t> EncodePng(const QImage& Picture);
