// Every way an image leaves the program as a file: the raster as BMP or
// PNG, the figures as SVG or PDF vectors. The image is drawn on a canvas of
// the export's own; a window showing it is left alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/Collection.h"
#include "export/PdfExport.h"
#include "export/PictureExport.h"
#include "export/SvgExport.h"

enum class TExportFormat : uint8_t { Bmp, Png, Svg, Pdf };

// The format a file name asks for by its extension, in any case: ".png",
// ".svg" or ".pdf"; Bmp for any other.
TExportFormat ExportFormatOfName(const std::string& FileName);

// Writes Image to FileName as Format, all or nothing (WriteFileAtomically):
// rasters with each pixel Scale x Scale (1 to MaxRenderScale), vectors
// appending the figures they draw only approximately to Approximated.
// Needs a QGuiApplication when the image holds text.
void ExportImage(TFiguresCollection& Image, const std::string& FileName, TExportFormat Format,
                 std::vector<TVectorApproximation>& Approximated, int Scale = 1);
