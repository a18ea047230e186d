#include "tools/kri/BmpExport.h"

#include "canvas/RasterCanvas.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "canvas/IdleCanvas.h"

QImage RenderImage(TFiguresCollection& Image) {
  const TRect& r = Image.ImageRect();
  QImage raster(r.Right, r.Bottom, QImage::Format_RGB32);
  if (raster.isNull()) throw EOutOfMemory();
  raster.fill(Qt::white);
  // The selection is dropped on the idle canvas, so the raster sees a single
  // redraw without markers.
  Image.SetCanvas(&IdleCanvas());
  Image.SetSelected(nullptr);
  TRasterCanvas canvas(raster);
  try {
    Image.SetCanvas(&canvas);
  } catch (...) {
    Image.SetCanvas(&IdleCanvas());
    throw;
  }
  Image.SetCanvas(&IdleCanvas());
  return raster;
}

void ExportBmp(TFiguresCollection& Image, const std::string& FileName) {
  WriteFileAtomically(FileName, EncodeBmp24(RenderImage(Image)));
}
