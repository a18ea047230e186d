#include "ui/PictureFiles.h"

#include <QFileInfo>
#include <QImageReader>

#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/MessageText.h"
#include "ui/FileDialogs.h"
#include "ui/JpegImage.h"

QImage PictureImage(const TBitmapPicture& Picture) {
  const TPixelImage& pixels = Picture.Pixels();
  if (pixels.Empty()) return {};
  QImage image(pixels.Width, pixels.Height, QImage::Format_RGB32);
  if (image.isNull()) throw EOutOfMemory();
  for (int32_t y = 0; y < pixels.Height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int32_t x = 0; x < pixels.Width; ++x) row[x] = 0xFF000000u | pixels.At(x, y);
  }
  return image;
}

TLoadedPicture LoadPictureFile(const QString& FileName) {
  const QString extension = QFileInfo(FileName).suffix().toLower();
  if (extension == QLatin1String("bmp") || extension == QLatin1String("dib")) {
    TBitmapPicture picture;
    picture.LoadFromFile(LocalFileName(FileName));
    return {PictureImage(picture), picture.FileImage()};
  }
  if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg") || extension == QLatin1String("jpe") ||
      extension == QLatin1String("jfif"))
    return {LoadJpegFile(FileName), {}};
  if (!QImageReader::supportedImageFormats().contains(extension.toLatin1()))
    throw EKrestaError("Unknown picture file extension (." + ShortenForMessage(extension.toStdString()) + ")");
  QImageReader reader(FileName, extension.toLatin1());
  QImage image = reader.read();
  if (image.isNull()) throw EKrestaError(("Picture cannot be read: " + reader.errorString()).toStdString());
  return {std::move(image), {}};
}
