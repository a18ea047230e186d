#include "document/ClipBoardUnit.h"

#include <QBuffer>
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <cstdint>
#include <new>
#include <string>

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
  if (!ClipboardHasFormat(Format)) throw EOutOfMemory();
  try {
    // Qt has taken the whole block in already; the stream gets no copy of
    // more than the limit.
    const QByteArray block = ClipboardData()->data(QString::fromLatin1(Format.Name));
    if (block.size() > MaxClipboardBytes)
      throw EStreamError("Clipboard data too large (over " + ByteCountText(MaxClipboardBytes) + ")");
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
