#include "export/Export.h"

#include <QString>

#include "figures/Streams.h"

TExportFormat ExportFormatOfName(const std::string& FileName) {
  const QString name = QString::fromStdString(FileName);
  const auto endsWith = [&](const char* Extension) {
    return name.endsWith(QLatin1String(Extension), Qt::CaseInsensitive);
  };
  if (endsWith(".png")) return TExportFormat::Png;
  if (endsWith(".svg")) return TExportFormat::Svg;
  if (endsWith(".pdf")) return TExportFormat::Pdf;
  return TExportFormat::Bmp;
}

void ExportImage(TFiguresCollection& Image, const std::string& FileName, TExportFormat Format,
                 std::vector<TVectorApproximation>& Approximated, int Scale) {
  switch (Format) {
    case TExportFormat::Bmp: WriteFileAtomically(FileName, EncodeBmp24(ScalePixels(RenderImage(Image), Scale))); return;
    case TExportFormat::Png: WriteFileAtomically(FileName, EncodePng(ScalePixels(RenderImage(Image), Scale))); return;
    case TExportFormat::Svg: ExportSvg(Image, FileName, Approximated); return;
    case TExportFormat::Pdf: ExportPdf(Image, FileName, Approximated); return;
  }
}
