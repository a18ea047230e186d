#include "GdiReplay.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <optional>

#include "canvas/RasterDevice.h"

namespace {

constexpr uint32_t kStripes[8] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x808080, 0xC0C0C0, 0x123456};

// R2_BLACK (1) .. R2_WHITE (16) to the pen modes.
constexpr TPenMode kRop2[17] = {pmCopy,        pmBlack, pmNotMerge,    pmMaskNotPen, pmNotCopy, pmMaskPenNot,
                                pmNot,         pmXor,   pmNotMask,     pmMask,       pmNotXor,  pmNop,
                                pmMergeNotPen, pmCopy,  pmMergePenNot, pmMerge,      pmWhite};

uint32_t Unsigned(const QJsonValue& V) { return uint32_t(V.toDouble()); }

std::vector<int32_t> Ints(const QJsonValue& V) {
  std::vector<int32_t> out;
  for (const QJsonValue& v : V.toArray()) out.push_back(v.toInt());
  return out;
}

QImage Background(const QJsonObject& C) {
  QImage image(C["width"].toInt(), C["height"].toInt(), QImage::Format_RGB32);
  const bool stripes = C["background"].toString() == "stripes";
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, 0xFF000000u | ColorRefToPixel(stripes ? kStripes[(x / 8) % 8] : 0xFFFFFF));
  return image;
}

// The device state of a case: pen, brush, raster op and background exactly
// as the reference program selected them.
TDeviceState StateOf(const QJsonObject& C) {
  TDeviceState state;
  const QJsonObject pen = C["pen"].toObject();
  if (pen["style"].toString() != "default") {
    state.PenStyle = TPenStyle(pen["style_value"].toInt());  // PS_SOLID .. PS_INSIDEFRAME, same order
    state.PenWidth = pen["width"].toInt();
    state.PenColor = ColorRefToPixel(Unsigned(pen["colour"]));
  }
  const QJsonObject brush = C["brush"].toObject();
  const QString kind = brush["kind"].toString();
  if (kind == "null") state.BrushStyle = bsClear;
  if (kind == "hatch") state.BrushStyle = TBrushStyle(bsHorizontal + brush["hatch_value"].toInt());
  if (kind == "solid" || kind == "hatch") state.BrushColor = ColorRefToPixel(Unsigned(brush["colour"]));
  state.Mode = kRop2[C["rop2"].toObject()["value"].toInt()];
  state.OpaqueBack = C["bk_mode"].toObject()["value"].toInt() == 2;
  state.BackColor = ColorRefToPixel(Unsigned(C["bk_colour"]));
  return state;
}

TPixelImage SourceOf(const QJsonObject& C) {
  const QJsonObject source = C["source"].toObject();
  TPixelImage image;
  image.Width = source["width"].toInt();
  image.Height = source["height"].toInt();
  for (const QJsonValue& row : source["pixels"].toArray())
    for (const QJsonValue& pixel : row.toArray()) image.Pixels.push_back(ColorRefToPixel(Unsigned(pixel)));
  return image;
}

void Blit(TRasterDevice& Device, const QJsonObject& C, const std::vector<int32_t>& A) {
  std::optional<uint32_t> transparent;
  if (C["primitive"].toString() == "TransparentBlt") {
    // The reference API refuses negative extents and draws nothing.
    if (A[2] < 0 || A[3] < 0 || A[6] < 0 || A[7] < 0) return;
    transparent = ColorRefToPixel(Unsigned(C["transparent_colour"]));
  }
  Device.StretchBlt(A[0], A[1], A[2], A[3], SourceOf(C), A[4], A[5], A[6], A[7], transparent);
}

void Call(TRasterDevice& Device, const QJsonObject& C) {
  const QString primitive = C["primitive"].toString();
  const std::vector<int32_t> a = Ints(C["args"]);
  if (primitive == "Rectangle") Device.Rectangle(a[0], a[1], a[2], a[3]);
  if (primitive == "Ellipse") Device.Ellipse(a[0], a[1], a[2], a[3]);
  if (primitive == "RoundRect") Device.RoundRect(a[0], a[1], a[2], a[3], a[4], a[5]);
  if (primitive == "Chord") Device.Arc(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], TArcKind::Chord);
  if (primitive == "Pie") Device.Arc(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], TArcKind::Pie);
  if (primitive == "Arc") Device.Arc(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], TArcKind::Arc);
  if (primitive == "FillRect") Device.FillRect({a[0], a[1], a[2], a[3]});
  if (primitive == "StretchBlt" || primitive == "TransparentBlt") Blit(Device, C, a);
  if (primitive == "Polygon" || primitive == "Polyline") {
    std::vector<TPoint> points;
    for (const QJsonValue& p : C["points"].toArray()) points.push_back({p[0].toInt(), p[1].toInt()});
    points.resize(size_t(C["count"].toInt()));
    if (primitive == "Polygon")
      Device.Polygon(points);
    else
      Device.Polyline(points);
  }
}

// Whether Picture has Value within Chebyshev distance 1 of (X, Y).
bool NearbyValue(const QImage& Picture, int X, int Y, QRgb Value) {
  for (int y = std::max(Y - 1, 0); y <= std::min(Y + 1, Picture.height() - 1); ++y)
    for (int x = std::max(X - 1, 0); x <= std::min(X + 1, Picture.width() - 1); ++x)
      if (Picture.pixel(x, y) == Value) return true;
  return false;
}

}  // namespace

uint32_t ColorRefToPixel(uint32_t ColorRef) {
  return (ColorRef & 0xFFu) << 16 | (ColorRef & 0xFF00u) | (ColorRef >> 16 & 0xFFu);
}

std::vector<TGdiCase> LoadGdiCases(const std::filesystem::path& Manifest) {
  QFile file(QString::fromStdString(Manifest.string()));
  if (!file.open(QIODevice::ReadOnly)) return {};
  std::vector<TGdiCase> cases;
  for (const QJsonValue& v : QJsonDocument::fromJson(file.readAll())["cases"].toArray()) {
    const QJsonObject c = v.toObject();
    cases.push_back({c["id"].toString(), c["group"].toString(), c});
  }
  return cases;
}

QImage RenderGdiCase(const TGdiCase& Case) {
  QImage image = Background(Case.Json);
  TRasterDevice device;
  device.Attach({reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(), image.bytesPerLine() / 4});
  device.State = StateOf(Case.Json);
  for (int i = 0; i < Case.Json["calls"].toInt(); ++i) Call(device, Case.Json);
  return image;
}

QImage LoadGdiReference(const std::filesystem::path& Folder, const TGdiCase& Case) {
  const QImage picture(QString::fromStdString((Folder / Case.Json["file"].toString().toStdString()).string()));
  return picture.isNull() ? picture : picture.convertToFormat(QImage::Format_RGB32);
}

TPictureDiff ComparePictures(const QImage& Ours, const QImage& Reference) {
  TPictureDiff diff;
  for (int y = 0; y < Ours.height(); ++y) {
    for (int x = 0; x < Ours.width(); ++x) {
      const QRgb ours = Ours.pixel(x, y), reference = Reference.pixel(x, y);
      if (ours == reference) continue;
      ++diff.Different;
      if (NearbyValue(Reference, x, y, ours) && NearbyValue(Ours, x, y, reference)) ++diff.Displaced;
    }
  }
  return diff;
}
