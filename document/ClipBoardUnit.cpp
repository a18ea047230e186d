#include "document/ClipBoardUnit.h"

#include <QBuffer>
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QString>

#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "canvas/BmpEncode.h"
#include "document/Collection.h"
#include "figures/AbstractFigures.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"

const TClipboardFormat CF_IMAGE{"Kresta Image"};
const TClipboardFormat CF_FIGURE{"Kresta Figure"};

namespace {

// A block holds an image container or a figure record: no larger than a
// file the program opens.
constexpr int64_t MaxClipboardBytes = MaxFileBytes;

// The application's clipboard, or none when no GUI application runs (asking
// Qt for it then would abort the program).
QClipboard* SystemClipboard() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return nullptr;
  return QGuiApplication::clipboard();
}

// What the clipboard offers now; none when it is empty (the offscreen
// platform has no data object then) or unreachable.
const QMimeData* ClipboardData() {
  QClipboard* clipboard = SystemClipboard();
  return clipboard != nullptr ? clipboard->mimeData() : nullptr;
}

bool ClipboardHasFormat(const TClipboardFormat& Format) {
  const QMimeData* data = ClipboardData();
  return data != nullptr && data->hasFormat(QString::fromLatin1(Format.Name));
}

const QString PngFormat = QStringLiteral("image/png");
const QString BmpFormat = QStringLiteral("image/bmp");

// The clipboard's whole block of the format. Qt has taken it in already; no
// copy of more than the limit is made.
QByteArray ClipboardBlock(const QString& Format) {
  const QMimeData* data = ClipboardData();
  if (data == nullptr || !data->hasFormat(Format)) throw EOutOfMemory();
  QByteArray block = data->data(Format);
  if (block.size() > MaxClipboardBytes)
    throw EStreamError("Clipboard data too large (over " + ByteCountText(MaxClipboardBytes) + ")");
  return block;
}

// The picture format another program offers, PNG first (it may carry an
// alpha channel, which the bitmap reader ignores); empty for none.
QString OfferedPictureFormat() {
  const QMimeData* data = ClipboardData();
  if (data == nullptr) return {};
  for (const QString& format : {PngFormat, BmpFormat})
    if (data->hasFormat(format)) return format;
  return {};
}

// The memory a picture of Width x Height pixels takes once the picture
// reader has loaded the file image EncodeBmp24 writes of it: the image (54
// bytes of headers, rows of 3 bytes a pixel padded to 4) and 4 bytes a
// decoded pixel.
uint64_t Bitmap24Bytes(uint64_t Width, uint64_t Height) {
  return 54 + (Width * 3 + 3) / 4 * 4 * Height + Width * Height * 4;
}

EKrestaError PictureUnreadable(const QImageReader& Reader) {
  return EKrestaError("Picture cannot be read: " + Reader.errorString().toStdString());
}

// Each pixel over white, each channel rounded to the nearest:
// (c * alpha + 255 * (255 - alpha)) / 255; the alpha becomes 255.
void CompositeOverWhite(QImage& Image) {
  Image.convertTo(QImage::Format_ARGB32);
  if (Image.format() != QImage::Format_ARGB32) throw EOutOfMemory();
  for (int y = 0; y < Image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(Image.scanLine(y));
    for (int x = 0; x < Image.width(); ++x) {
      const int alpha = qAlpha(row[x]);
      const auto over = [alpha](int Channel) { return (Channel * alpha + 255 * (255 - alpha) + 127) / 255; };
      row[x] = qRgb(over(qRed(row[x])), over(qGreen(row[x])), over(qBlue(row[x])));
    }
  }
  Image.reinterpretAsFormat(QImage::Format_RGB32);
}

// Raises the toolkit's decoding limit, which every image reader of the
// program shares, to Bytes for the guard's life when it is lower.
class TDecodingLimit {
 public:
  explicit TDecodingLimit(uint64_t Bytes) : FPrevious(QImageReader::allocationLimit()) {
    const uint64_t mebibytes = (Bytes >> 20) + 1;
    if (FPrevious > 0 && mebibytes > uint64_t(FPrevious)) QImageReader::setAllocationLimit(int(mebibytes));
  }
  ~TDecodingLimit() { QImageReader::setAllocationLimit(FPrevious); }
  TDecodingLimit(const TDecodingLimit&) = delete;
  TDecodingLimit& operator=(const TDecodingLimit&) = delete;

 private:
  int FPrevious;  // MiB; 0 for none
};

// The PNG decoded, opaque. Its declared size is checked first, so that a
// few bytes declaring a huge picture allocate nothing.
QImage DecodePng(const QByteArray& Bytes, uint64_t Room) {
  QBuffer buffer;
  buffer.setData(Bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  const QSize size = reader.size();
  if (size.isEmpty()) throw PictureUnreadable(reader);
  if (size.width() > MaxPictureSide || size.height() > MaxPictureSide)
    throw EKrestaError("Picture too large (over " + std::to_string(MaxPictureSide) + " pixels a side)");
  const uint64_t pixels = uint64_t(size.width()) * uint64_t(size.height());
  const uint64_t bytes = Bitmap24Bytes(uint64_t(size.width()), uint64_t(size.height()));
  if (bytes > MaxPictureBytes) throw EPictureTooLarge();
  if (bytes > Room) throw EPicturesTooLarge();
  // Within the budget the toolkit's own bound must not refuse the picture:
  // 16-bit channels decode to 8 bytes a pixel.
  QImage image;
  {
    TDecodingLimit limit(pixels * 8);
    image = reader.read();
  }
  if (image.isNull()) throw PictureUnreadable(reader);
  if (image.size() != size) throw EInvalidGraphic();
  if (image.hasAlphaChannel()) CompositeOverWhite(image);
  return image;
}

// A private block and, beside it, a picture offered as PNG. Encoding a large
// picture takes a while, so it is done once, when a program first asks.
class TBlockWithPicture : public QMimeData {
 public:
  explicit TBlockWithPicture(const QImage& Picture) : FPicture(Picture) {}

  QStringList formats() const override { return QMimeData::formats() << PngFormat; }
  bool hasFormat(const QString& MimeType) const override {
    return MimeType == PngFormat || QMimeData::hasFormat(MimeType);
  }

 protected:
  QVariant retrieveData(const QString& MimeType, QMetaType Type) const override {
    if (MimeType != PngFormat) return QMimeData::retrieveData(MimeType, Type);
    if (FPng.isEmpty()) {
      QBuffer buffer(&FPng);
      buffer.open(QIODevice::WriteOnly);
      if (!FPicture.save(&buffer, "PNG")) FPng.clear();
    }
    return FPng;
  }

 private:
  QImage FPicture;
  mutable QByteArray FPng;
};

// Replaces the clipboard's contents with the stream's remaining bytes under
// Format, and Picture as PNG when it is not null.
void PutBlockToClipboard(TMemoryStream& Stream, const TClipboardFormat& Format, const QImage& Picture) {
  try {
    QClipboard* clipboard = SystemClipboard();
    if (clipboard == nullptr) return;
    QByteArray block(qsizetype(Stream.Remaining()), Qt::Uninitialized);
    Stream.ReadBuffer(block.data(), size_t(block.size()));
    std::unique_ptr<QMimeData> data;
    if (Picture.isNull())
      data = std::make_unique<QMimeData>();
    else
      data = std::make_unique<TBlockWithPicture>(Picture);
    data->setData(QString::fromLatin1(Format.Name), block);
    // The clipboard takes the data object and drops whatever it held before.
    clipboard->setMimeData(data.release());
  } catch (...) {
    // The put side reports nothing; the clipboard keeps its contents.
  }
}

}  // namespace

void PutStreamToClipboard(TMemoryStream& Stream, const TClipboardFormat& Format) {
  PutBlockToClipboard(Stream, Format, QImage());
}

void GetStreamFromClipboard(TMemoryStream& Stream, const TClipboardFormat& Format) {
  try {
    const QByteArray block = ClipboardBlock(QString::fromLatin1(Format.Name));
    Stream.WriteBuffer(block.constData(), size_t(block.size()));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
}

void CopyImageToClipboard(const TFiguresCollection& Collection, const QImage& Picture) {
  TMemoryStream stream;
  Collection.SaveToStream(stream);
  stream.Seek(0);
  PutBlockToClipboard(stream, CF_IMAGE, Picture);
}

void PasteImageFromClipboard(TFiguresCollection& Collection) {
  TMemoryStream stream;
  GetStreamFromClipboard(stream, CF_IMAGE);
  stream.Seek(0);
  Collection.LoadFromStream(stream);
}

bool ClipboardHasImage() { return ClipboardHasFormat(CF_IMAGE); }

void CopyFigureToClipboard(const TBasicFigure& Figure) {
  const std::string name = Figure.ClassName();
  TMemoryStream stream;
  stream.WriteInt32(int32_t(name.size()));
  stream.WriteBuffer(name.data(), name.size());
  Figure.SaveToStream(stream);
  stream.Seek(0);
  PutStreamToClipboard(stream, CF_FIGURE);
}

std::unique_ptr<TBasicFigure> PasteFigureFromClipboard() {
  TMemoryStream stream;
  GetStreamFromClipboard(stream, CF_FIGURE);
  stream.Seek(0);
  const int32_t length = stream.ReadInt32();
  if (length < 0) throw EReadError();
  // ReadBytes refuses a length the block cannot back before allocating.
  const TFigureClass* cls = FindFigureClass(stream.ReadBytes(size_t(length)));
  if (cls == nullptr) throw EAbort("Figure class unknown");
  std::unique_ptr<TBasicFigure> figure = cls->Create(nullptr);
  figure->LoadFromStream(stream);
  return figure;
}

bool ClipboardHasPicture() { return !OfferedPictureFormat().isEmpty(); }

std::unique_ptr<TFigureBitmap> PastePictureFromClipboard(uint64_t Room) {
  const QString format = OfferedPictureFormat();
  if (format.isEmpty()) return nullptr;
  try {
    const QByteArray block = ClipboardBlock(format);
    std::span<const uint8_t> bitmap(reinterpret_cast<const uint8_t*>(block.constData()), size_t(block.size()));
    std::vector<uint8_t> converted;
    if (format == PngFormat) {
      converted = EncodeBmp24(DecodePng(block, Room));
      bitmap = converted;
    }
    auto figure = std::make_unique<TFigureBitmap>(nullptr);
    TReadOnlyStream stream(bitmap);
    TPictureAllowance allowance(Room);
    figure->LoadPictureFromStream(stream);
    return figure;
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
}
