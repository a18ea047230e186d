// Pictures loaded from files for the picture preview: bitmaps through the
// program's own BMP reader, JPEG through libjpeg, the rest through the
// toolkit's image readers, chosen by the file's extension.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

class TBitmapPicture;

struct TLoadedPicture {
  QImage Image;
  // The BMP file image when the picture is a bitmap; empty for a picture of
  // another format, which no picture figure can take.
  std::vector<uint8_t> Bitmap;
};

// Failures: an extension no reader knows, or a file its reader refuses,
// each with a message that says which.
TLoadedPicture LoadPictureFile(const QString& FileName);

// The decoded pixels of a bitmap picture.
QImage PictureImage(const TBitmapPicture& Picture);
