// The image written as an SVG 1.1 document: vector shapes, texts and
// embedded PNG pictures with the geometry of the raster canvas.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "document/Collection.h"

// A figure drawn in copy mode because its raster mode depends on the pixels
// beneath, which SVG cannot express.
struct TSvgApproximation {
  int32_t Position = 0;  // in the drawing order, 0 at the bottom
  std::string ClassName;
  TPenMode Mode = pmCopy;
};

class TVectorCanvas;

// Draws the image on Canvas as RenderImage draws it on a raster: the
// background, then every figure bottom to top, no selection markers.
// Appends the figures drawn only approximately to Approximated.
void DrawForExport(TFiguresCollection& Image, TVectorCanvas& Canvas, std::vector<TSvgApproximation>& Approximated);

// The image as RenderImage draws it (a white page of Right x Bottom pixels of
// the image rectangle, the background, every figure bottom to top, no
// selection markers) as an SVG document, UTF-8. Appends the figures drawn
// only approximately to Approximated. Needs a QGuiApplication when the image
// holds text. The image's own canvas is left alone.
std::string ImageToSvg(TFiguresCollection& Image, std::vector<TSvgApproximation>& Approximated);

// ImageToSvg written with WriteFileAtomically.
void ExportSvg(TFiguresCollection& Image, const std::string& FileName, std::vector<TSvgApproximation>& Approximated);

// One line naming the approximated figures, without the line end; empty
// when there are none.
std::string DescribeApproximations(std::span<const TSvgApproximation> Approximated);
