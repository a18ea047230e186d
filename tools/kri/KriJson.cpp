#include "tools/kri/KriJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "canvas/CodePage.h"
#include "figures/MessageText.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "canvas/IdleCanvas.h"

namespace {

// What a key left out of the image object means: a new image.
constexpr TRect DefaultImageRect{0, 0, 650, 400};
constexpr TColor DefaultBackground = clWhite;

// ------------------------------------------------------------------ strings

QString StoredToUnicode(const std::string& Bytes) {
  const std::u16string text = Cp1251ToUtf16(Bytes);
  return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

TCp1251Text Cp1251FromUnicode(const QString& Text) {
  return Utf16ToCp1251(std::u16string_view(reinterpret_cast<const char16_t*>(Text.utf16()), size_t(Text.size())));
}

// The code point of the character at Index, a surrogate pair taken whole.
char32_t CodePointAt(const QString& Text, qsizetype Index) {
  const QChar c = Text[Index];
  if (c.isHighSurrogate() && Index + 1 < Text.size() && Text[Index + 1].isLowSurrogate())
    return QChar::surrogateToUcs4(c, Text[Index + 1]);
  return c.unicode();
}

// ------------------------------------------------------------------ records

// The parts a record has beyond the base part, decided by the class.
struct TRecordParts {
  bool Fill = false;
  bool InsertIndex = false;
  bool Corners = false;
  bool Text = false;
  bool Picture = false;
};

TRecordParts PartsOf(const TBasicFigure& Figure) {
  const TFigureTraits& traits = Figure.ClassType().Traits;
  return {.Fill = traits.HasFill,
          .InsertIndex = traits.HasVertexList(),
          .Corners = traits.HasCorners,
          .Text = traits.HasText,
          .Picture = traits.HasPicture};
}

// Every stored field of a figure; those of parts the class lacks are unused.
struct TFigureFields {
  TDynPointsArray Points;
  TColor PenColor = 0;
  int32_t PenWidth = 0;
  uint8_t PenMode = 0;
  int16_t Angle = 0;
  int8_t Scale = 0;
  uint8_t PenStyle = 0;
  bool Visible = false;
  bool Updating = false;
  int32_t SelectedPoint = -1;
  uint8_t BrushStyle = 0;
  TColor BrushColor = 0;
  int32_t InsertIndex = -1;
  TPoint Corners;
  std::string Text;  // Windows-1251 bytes
  TFont Font;
  std::vector<uint8_t> Picture;  // the BMP file image the record holds; empty for none
  bool Transparent = false;
};

TFigureFields FieldsOf(const TBasicFigure& Figure) {
  TFigureFields f;
  f.Points = Figure.Points();
  f.PenColor = Figure.PenColor();
  f.PenWidth = Figure.PenWidth();
  f.PenMode = Figure.PenMode();
  f.Angle = Figure.Angle();
  f.Scale = Figure.Scale();
  f.PenStyle = Figure.PenStyle();
  f.Visible = Figure.Visible();
  f.Updating = Figure.Updating();
  f.SelectedPoint = Figure.SelectedPointIndex();
  if (const TBinaryDimensionsFigure* closed = AsFilled(&Figure)) {
    f.BrushStyle = closed->BrushStyle();
    f.BrushColor = closed->BrushColor();
  }
  if (const TVertexList* vertices = AsVertexList(&Figure)) f.InsertIndex = vertices->InsertIndex();
  if (const TFigureRoundRect* roundRect = AsRoundRect(&Figure)) f.Corners = roundRect->Corners();
  if (const TFigureText* text = AsText(&Figure)) {
    f.Text = text->GetText();
    f.Font = text->Font();
  }
  if (const TFigureBitmap* bitmap = AsPicture(&Figure)) {
    TMemoryStream picture;
    bitmap->SavePictureToStream(picture);
    f.Picture = picture.TakeData();
    f.Transparent = bitmap->GetTransparent();
  }
  return f;
}

void WriteString(TStream& Stream, const std::string& Bytes) {
  Stream.WriteInt32(int32_t(Bytes.size()));
  Stream.WriteBuffer(Bytes.data(), Bytes.size());
}

// The figure record of a class with these parts, field by field in the
// stored order; the figure's own reader takes it from there.
void WriteRecord(TStream& Stream, const TRecordParts& Parts, const TFigureFields& F) {
  Stream.WriteInt32(int32_t(F.Points.size()));
  for (const TPoint& p : F.Points) {
    Stream.WriteInt32(p.x);
    Stream.WriteInt32(p.y);
  }
  Stream.WriteUInt32(F.PenColor);
  Stream.WriteInt32(F.PenWidth);
  Stream.WriteUInt8(F.PenMode);
  Stream.WriteInt16(F.Angle);
  Stream.WriteInt8(F.Scale);
  Stream.WriteUInt8(F.PenStyle);
  Stream.WriteBoolean(F.Visible);
  Stream.WriteBoolean(F.Updating);
  Stream.WriteInt32(F.SelectedPoint);
  if (Parts.Fill) {
    Stream.WriteUInt8(F.BrushStyle);
    Stream.WriteUInt32(F.BrushColor);
  }
  if (Parts.InsertIndex) Stream.WriteInt32(F.InsertIndex);
  if (Parts.Corners) {
    Stream.WriteInt32(F.Corners.x);
    Stream.WriteInt32(F.Corners.y);
  }
  if (Parts.Text) {
    WriteString(Stream, F.Text);
    Stream.WriteUInt8(F.Font.Charset);
    Stream.WriteUInt32(F.Font.Color);
    Stream.WriteInt32(F.Font.Height);
    WriteString(Stream, F.Font.Name);
    Stream.WriteUInt8(F.Font.Style);
  }
  if (Parts.Picture) {
    Stream.WriteBuffer(F.Picture.data(), F.Picture.size());
    Stream.WriteBoolean(F.Transparent);
  }
}

// --------------------------------------------------------------------- dump

QJsonArray PairToJson(int32_t A, int32_t B) { return QJsonArray{qint64(A), qint64(B)}; }

QJsonObject FigureToJson(const TBasicFigure& Figure) {
  const TRecordParts parts = PartsOf(Figure);
  const TFigureFields f = FieldsOf(Figure);
  QJsonArray points;
  for (const TPoint& p : f.Points) points.append(PairToJson(p.x, p.y));
  QJsonObject o{{"class", QString::fromLatin1(Figure.ClassName())},
                {"points", points},
                {"penColor", qint64(f.PenColor)},
                {"penWidth", qint64(f.PenWidth)},
                {"penMode", qint64(f.PenMode)},
                {"angle", qint64(f.Angle)},
                {"scale", qint64(f.Scale)},
                {"penStyle", qint64(f.PenStyle)},
                {"visible", f.Visible},
                {"updating", f.Updating},
                {"selectedPoint", qint64(f.SelectedPoint)}};
  if (parts.Fill) {
    o["brushStyle"] = qint64(f.BrushStyle);
    o["brushColor"] = qint64(f.BrushColor);
  }
  if (parts.InsertIndex) o["insertIndex"] = qint64(f.InsertIndex);
  if (parts.Corners) o["corners"] = PairToJson(f.Corners.x, f.Corners.y);
  if (parts.Text) {
    o["text"] = StoredToUnicode(f.Text);
    o["font"] = QJsonObject{{"charset", qint64(f.Font.Charset)},
                            {"color", qint64(f.Font.Color)},
                            {"height", qint64(f.Font.Height)},
                            {"name", StoredToUnicode(f.Font.Name)},
                            {"style", qint64(f.Font.Style)}};
  }
  if (parts.Picture) {
    const QByteArray picture(reinterpret_cast<const char*>(f.Picture.data()), qsizetype(f.Picture.size()));
    o["picture"] = QString::fromLatin1(picture.toBase64());
    o["transparent"] = f.Transparent;
  }
  return o;
}

// Qt puts every array element on a line of its own; arrays of numbers
// (points, rectangles, corners) read better on one. A JSON string never holds
// a raw line break, so only the layout changes.
QByteArray JoinNumberArrays(const QByteArray& Json) {
  static const QRegularExpression numbers(R"(\[\n\s*(-?\d+(?:,\n\s*-?\d+)*)\n\s*\])");
  static const QRegularExpression separator(R"(,\n\s*)");
  const QString text = QString::fromUtf8(Json);
  QString joined;
  qsizetype done = 0;
  for (const QRegularExpressionMatch& m : numbers.globalMatch(text)) {
    joined += QStringView(text).mid(done, m.capturedStart() - done);
    joined += "[" + m.captured(1).replace(separator, ", ") + "]";
    done = m.capturedEnd();
  }
  joined += QStringView(text).mid(done);
  return joined.toUtf8();
}

// -------------------------------------------------------------------- build

QString Describe(const QJsonValue& Value) {
  switch (Value.type()) {
    case QJsonValue::Double: return QString::number(Value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QJsonValue::String: return "a string";
    case QJsonValue::Bool: return Value.toBool() ? "true" : "false";
    case QJsonValue::Array: return QString("an array of %1").arg(Value.toArray().size());
    case QJsonValue::Object: return "an object";
    default: return "null";
  }
}

// Takes typed values out of one JSON object. Failures name the object (Where)
// and the key; a key left out leaves the value as it was.
class TObjectReader {
 public:
  TObjectReader(QJsonObject Object, QString Where, QString KeyPrefix = {})
      : FObject(std::move(Object)), FWhere(std::move(Where)), FKeyPrefix(std::move(KeyPrefix)) {}

  // Key may be any key of the JSON text: it is shown short and escaped.
  [[noreturn]] void Fail(const QString& Key, const QString& Message) const {
    const std::string key = FKeyPrefix.toStdString() + ShortenForMessage(Key.toStdString());
    throw EKriJsonError((FWhere.isEmpty() ? key : FWhere.toStdString() + ": " + key) + ": " + Message.toStdString());
  }

  bool Find(const QString& Key, QJsonValue& Value) {
    FAsked.insert(Key);
    const auto it = FObject.constFind(Key);
    if (it == FObject.constEnd()) return false;
    Value = *it;
    return true;
  }

  // Integral numbers in T's range only: 1.5 or 1e20 are refused, not cut.
  template <typename T>
  T ToInteger(const QString& Key, const QJsonValue& Value) const {
    using limits = std::numeric_limits<T>;
    const double d = Value.toDouble();
    if (!Value.isDouble() || !(d >= double(limits::min()) && d <= double(limits::max())) || std::trunc(d) != d)
      Fail(Key, QString("expected an integer in %1..%2, not %3")
                    .arg(qint64(limits::min()))
                    .arg(qint64(limits::max()))
                    .arg(Describe(Value)));
    return T(d);
  }

  template <typename T>
  void Integer(const QString& Key, T& Result) {
    QJsonValue value;
    if (Find(Key, value)) Result = ToInteger<T>(Key, value);
  }

  void Boolean(const QString& Key, bool& Result) {
    QJsonValue value;
    if (!Find(Key, value)) return;
    if (!value.isBool()) Fail(Key, "expected true or false, not " + Describe(value));
    Result = value.toBool();
  }

  bool String(const QString& Key, QString& Result) {
    QJsonValue value;
    if (!Find(Key, value)) return false;
    if (!value.isString()) Fail(Key, "expected a string, not " + Describe(value));
    Result = value.toString();
    return true;
  }

  bool Array(const QString& Key, QJsonArray& Result) {
    QJsonValue value;
    if (!Find(Key, value)) return false;
    if (!value.isArray()) Fail(Key, "expected an array, not " + Describe(value));
    Result = value.toArray();
    return true;
  }

  bool Object(const QString& Key, QJsonObject& Result) {
    QJsonValue value;
    if (!Find(Key, value)) return false;
    if (!value.isObject()) Fail(Key, "expected an object, not " + Describe(value));
    Result = value.toObject();
    return true;
  }

  // Exactly Count 32-bit integers.
  std::vector<int32_t> Int32Array(const QString& Key, const QJsonValue& Value, qsizetype Count) const {
    if (!Value.isArray() || Value.toArray().size() != Count)
      Fail(Key, QString("expected an array of %1 integers, not %2").arg(Count).arg(Describe(Value)));
    std::vector<int32_t> items;
    const QJsonArray array = Value.toArray();
    for (qsizetype i = 0; i < Count; ++i)
      items.push_back(ToInteger<int32_t>(QString("%1[%2]").arg(Key).arg(i), array[i]));
    return items;
  }

  void Pair(const QString& Key, TPoint& Result) {
    QJsonValue value;
    if (!Find(Key, value)) return;
    const std::vector<int32_t> pair = Int32Array(Key, value, 2);
    Result = TPoint{pair[0], pair[1]};
  }

  void Points(const QString& Key, TDynPointsArray& Result) {
    QJsonArray array;
    if (!Array(Key, array)) return;
    Result.clear();
    for (qsizetype i = 0; i < array.size(); ++i) {
      const std::vector<int32_t> pair = Int32Array(QString("%1[%2]").arg(Key).arg(i), array[i], 2);
      Result.push_back(TPoint{pair[0], pair[1]});
    }
  }

  void Rect(const QString& Key, TRect& Result) {
    QJsonValue value;
    if (!Find(Key, value)) return;
    const std::vector<int32_t> edges = Int32Array(Key, value, 4);
    Result = TRect{edges[0], edges[1], edges[2], edges[3]};
  }

  // A string held as Windows-1251 bytes.
  void Stored(const QString& Key, std::string& Result) {
    QString text;
    if (!String(Key, text)) return;
    const TCp1251Text stored = Cp1251FromUnicode(text);
    if (!stored.Unencodable.empty())
      Fail(Key, QString("character U+%1 cannot be stored in Windows-1251")
                    .arg(QString::number(uint32_t(CodePointAt(text, qsizetype(stored.Unencodable[0]))), 16)
                             .toUpper()
                             .rightJustified(4, '0')));
    Result = stored.Bytes;
  }

  // A BMP file image in base64; the picture object must take it whole.
  void Picture(const QString& Key, std::vector<uint8_t>& Result) {
    QString text;
    if (!String(Key, text)) return;
    const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) Fail(Key, "not valid base64");
    Result.assign(decoded.decoded.begin(), decoded.decoded.end());
    if (Result.empty()) return;
    TReadOnlyStream stream(Result);
    TBitmapPicture probe;
    try {
      // Checked apart: only the figure's own copy counts against the image.
      TPictureAllowance alone(MaxPictureBytes, TPictureAllowance::asApart);
      probe.LoadFromStream(stream);
    } catch (const EKrestaError& e) {
      Fail(Key, e.what());
    }
    if (stream.Remaining() != 0)
      Fail(Key, QString("%1 bytes follow the end of the BMP image").arg(stream.Remaining()));
  }

  // Refuses any key no call above asked for.
  void CheckNoOthers(const QString& Owner) const {
    for (auto it = FObject.constBegin(); it != FObject.constEnd(); ++it)
      if (!FAsked.contains(it.key())) Fail(it.key(), "not a key of " + Owner);
  }

 private:
  QJsonObject FObject;
  QString FWhere;
  QString FKeyPrefix;
  QSet<QString> FAsked;
};

std::unique_ptr<TBasicFigure> FigureFromJson(const QJsonValue& Value, qsizetype Index) {
  const QString where = QString("figure %1").arg(Index);
  if (!Value.isObject()) throw EKriJsonError((where + ": expected an object, not " + Describe(Value)).toStdString());
  TObjectReader reader(Value.toObject(), where);

  QString className;
  if (!reader.String("class", className)) reader.Fail("class", "missing");
  const TFigureClass* cls = FindFigureClass(className.toStdString());
  if (cls == nullptr)
    reader.Fail("class", "unknown figure class " + QString::fromStdString(QuoteForMessage(className.toStdString())));

  // The constructor's values stand for every key left out.
  std::unique_ptr<TBasicFigure> figure = cls->Create(nullptr);
  const TRecordParts parts = PartsOf(*figure);
  TFigureFields f = FieldsOf(*figure);

  reader.Points("points", f.Points);
  reader.Integer("penColor", f.PenColor);
  reader.Integer("penWidth", f.PenWidth);
  reader.Integer("penMode", f.PenMode);
  reader.Integer("angle", f.Angle);
  reader.Integer("scale", f.Scale);
  reader.Integer("penStyle", f.PenStyle);
  reader.Boolean("visible", f.Visible);
  reader.Boolean("updating", f.Updating);
  reader.Integer("selectedPoint", f.SelectedPoint);
  if (parts.Fill) {
    reader.Integer("brushStyle", f.BrushStyle);
    reader.Integer("brushColor", f.BrushColor);
  }
  if (parts.InsertIndex) reader.Integer("insertIndex", f.InsertIndex);
  if (parts.Corners) reader.Pair("corners", f.Corners);
  if (parts.Text) {
    reader.Stored("text", f.Text);
    QJsonObject fontObject;
    if (reader.Object("font", fontObject)) {
      TObjectReader font(fontObject, where, "font.");
      font.Integer("charset", f.Font.Charset);
      font.Integer("color", f.Font.Color);
      font.Integer("height", f.Font.Height);
      font.Stored("name", f.Font.Name);
      font.Integer("style", f.Font.Style);
      font.CheckNoOthers("a font");
    }
  }
  if (parts.Picture) {
    reader.Picture("picture", f.Picture);
    reader.Boolean("transparent", f.Transparent);
  }
  reader.CheckNoOthers(QString::fromLatin1(cls->ClassName));

  TMemoryStream record;
  WriteRecord(record, parts, f);
  record.Seek(0);
  figure->LoadFromStream(record);
  if (record.Remaining() != 0) throw std::logic_error("figure record not read whole");
  return figure;
}

}  // namespace

QByteArray ImageToJson(const TFiguresCollection& Image) {
  QJsonArray figures;
  for (const TBasicFigure* figure : Image.Figures()) figures.append(FigureToJson(*figure));
  const TRect& r = Image.ImageRect();
  const QJsonObject image{{"background", qint64(Image.BackgroundColor())},
                          {"rect", QJsonArray{qint64(r.Left), qint64(r.Top), qint64(r.Right), qint64(r.Bottom)}},
                          {"selected", qint64(Image.Selected() != nullptr ? Image.IndexOf(Image.Selected()) : -1)},
                          {"figures", figures}};
  return JoinNumberArrays(QJsonDocument(image).toJson(QJsonDocument::Indented));
}

std::unique_ptr<TFiguresCollection> ImageFromJson(const QByteArray& Json) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(Json, &error);
  if (error.error != QJsonParseError::NoError)
    throw EKriJsonError(
        QString("JSON syntax error at byte %1: %2").arg(error.offset).arg(error.errorString()).toStdString());
  if (!document.isObject()) throw EKriJsonError("the JSON text is not an object");

  TObjectReader reader(document.object(), {});
  TColor background = DefaultBackground;
  TRect rect = DefaultImageRect;
  int32_t selected = -1;
  QJsonArray figures;
  reader.Integer("background", background);
  reader.Rect("rect", rect);
  reader.Integer("selected", selected);
  reader.Array("figures", figures);
  reader.CheckNoOthers("an image");
  // An image whose raster could not be made would not open again.
  if (rect.Right < MinImageEdge || rect.Right > MaxImageEdge || rect.Bottom < MinImageEdge ||
      rect.Bottom > MaxImageEdge)
    reader.Fail("rect", QString("right and bottom must be in %1..%2").arg(MinImageEdge).arg(MaxImageEdge));
  if (selected < -1 || selected >= figures.size())
    reader.Fail("selected", figures.isEmpty() ? QString("expected -1: there are no figures")
                                              : QString("expected -1 (none) or a figure position 0..%1")
                                                    .arg(figures.size() - 1));

  auto image = std::make_unique<TFiguresCollection>(&IdleCanvas(), rect);
  image->SetBackgroundColor(background);
  TBasicFigure* selectedFigure = nullptr;
  // The pictures of one image share the memory the program allows them, so
  // that the file built opens again.
  TPictureAllowance pictures(MaxImagePictureBytes);
  for (qsizetype i = 0; i < figures.size(); ++i) {
    TBasicFigure* figure = image->Add(FigureFromJson(figures[i], i));
    if (figure == nullptr) throw EOutOfMemory();
    if (i == selected) selectedFigure = figure;
  }
  image->SetSelected(selectedFigure);
  return image;
}
