// The image drawn as the program shows it, and written as a BMP file.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "document/Collection.h"

// Draws the image as the image window shows it without selection markers:
// a blank (white) raster of Right x Bottom pixels of the image rectangle,
// then the background and every figure bottom to top, through
// TRasterCanvas. Needs a QGuiApplication when the image holds text. Leaves
// the image without selection and resting on IdleCanvas().
QImage RenderImage(TFiguresCollection& Image);

// A BMP file image of the picture: 14-byte file header, 40-byte information
// header, 24 bits per pixel, rows bottom-up, each padded to a multiple of 4
// bytes. EOutOfMemory for a picture too large for the format.
std::vector<uint8_t> EncodeBmp24(const QImage& Picture);

// RenderImage, then EncodeBmp24 written with WriteFileAtomically.
void ExportBmp(TFiguresCollection& Image, const std::string& FileName);
