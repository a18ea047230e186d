// The image drawn as the program shows it, and written as a BMP file.
#pragma once

#include <QImage>
#include <string>

#include "canvas/BmpEncode.h"
#include "document/Collection.h"

// Draws the image as the image window shows it without selection markers:
// a blank (white) raster of Right x Bottom pixels of the image rectangle,
// then the background and every figure bottom to top, through
// TRasterCanvas. Needs a QGuiApplication when the image holds text. Leaves
// the image without selection and resting on IdleCanvas().
QImage RenderImage(TFiguresCollection& Image);

// RenderImage, then EncodeBmp24 written with WriteFileAtomically.
void ExportBmp(TFiguresCollection& Image, const std::string& FileName);
