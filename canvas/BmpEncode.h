// The raster written as a BMP file image, for the program's export and the
// kri tool alike.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

// A BMP file image of the picture: 14-byte file header, 40-byte information
// header, 24 bits per pixel, rows bottom-up, each padded to a multiple of 4
// bytes. EOutOfMemory for a picture too large for the format.
std::vector<uint8_t> EncodeBmp24(const QImage& Picture);
