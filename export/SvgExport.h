// The image written as an SVG 1.1 document: vector shapes, texts and
// embedded PNG pictures with the geometry of the raster canvas.
#pragma once

#include <string>
#include <vector>

#include "document/Collection.h"
#include "export/VectorCanvas.h"

// The image as RenderImage draws it (a white page of Right x Bottom pixels of
// the image rectangle, the background, every figure bottom to top, no
// selection markers) as an SVG document, UTF-8. Appends the figures drawn
// only approximately to Approximated. Needs a QGuiApplication when the image
// holds text. The image's own canvas is left alone.
std::string ImageToSvg(TFiguresCollection& Image, std::vector<TVectorApproximation>& Approximated);

// ImageToSvg written with WriteFileAtomically.
void ExportSvg(TFiguresCollection& Image, const std::string& FileName, std::vector<TVectorApproximation>& Approximated);

