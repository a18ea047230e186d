#include "ui/ViewScale.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <QImage>
#include <QLocale>

#include "figures/AbstractFigures.h"

namespace {

// Floor of A / B for B > 0, negative A included.
int64_t FloorDiv(int64_t A, int64_t B) { return A >= 0 ? A / B : -((-A + B - 1) / B); }

int32_t ToInt32(double Value) {
  return int32_t(std::clamp(Value, double(std::numeric_limits<int32_t>::min()),
                            double(std::numeric_limits<int32_t>::max())));
}

// The raster coordinate of each view device pixel from First on, Count of
// them, kept inside 0 .. Extent - 1.
std::vector<int32_t> SourceIndices(const TViewScale& Scale, double DevicePixelRatio, int First, int Count,
                                   int32_t Extent) {
  std::vector<int32_t> indices(size_t(std::max(Count, 0)));
  for (int i = 0; i < Count; ++i)
    indices[size_t(i)] = std::clamp(Scale.ToImage((First + i) / DevicePixelRatio), 0, Extent - 1);
  return indices;
}

}  // namespace

TViewScale::TViewScale(int Level) : FLevel(std::clamp(Level, 0, LastZoomLevel)) {}

// V * Den is exact for the integral positions of an unscaled screen, and a
// quotient that is not an integer lies at least 1/Num away from one, so the
// floor is exact there.
int32_t TViewScale::ToImage(double V) const {
  const TZoomLevel z = Zoom();
  return ToInt32(std::floor(V * z.Den / z.Num));
}

int64_t TViewScale::ToView(int64_t X) const {
  const TZoomLevel z = Zoom();
  return -FloorDiv(-X * z.Num, z.Den);
}

int64_t TViewScale::CentreOf(int64_t X) const {
  const TZoomLevel z = Zoom();
  return FloorDiv((2 * X + 1) * z.Num, 2 * int64_t(z.Den));
}

int32_t TViewScale::HitRadius() const {
  const TZoomLevel z = Zoom();
  return int32_t((2 * int64_t(ControlPointRadius) * z.Den + z.Num) / (2 * int64_t(z.Num)));
}

QString ZoomText(int Level) {
  const TZoomLevel z = TViewScale(Level).Zoom();
  const double percent = 100.0 * z.Num / z.Den;
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  const QString number = percent >= 100 ? locale.toString(qlonglong(std::lround(percent)))
                                        : locale.toString(percent, 'g', 3);
  return number + QStringLiteral(" %");
}

int FittingLevel(QSize Extent, QSize Room) {
  for (int level = LastZoomLevel; level > 0; --level) {
    const TViewScale scale(level);
    if (scale.ToView(Extent.width()) <= Room.width() && scale.ToView(Extent.height()) <= Room.height())
      return level;
  }
  return 0;
}

void RenderView(const QImage& Raster, const TViewScale& Scale, double DevicePixelRatio, QPoint Origin,
                QImage& Frame) {
  if (Raster.isNull() || Frame.isNull()) return;
  const int width = Frame.width();
  const std::vector<int32_t> columns = SourceIndices(Scale, DevicePixelRatio, Origin.x(), width, Raster.width());
  const std::vector<int32_t> rows = SourceIndices(Scale, DevicePixelRatio, Origin.y(), Frame.height(), Raster.height());
  const bool unscaled = columns.back() - columns.front() == width - 1;
  const size_t rowBytes = size_t(width) * sizeof(uint32_t);
  for (size_t j = 0; j < rows.size(); ++j) {
    auto* to = reinterpret_cast<uint32_t*>(Frame.scanLine(int(j)));
    if (j > 0 && rows[j] == rows[j - 1]) {
      std::memcpy(to, Frame.constScanLine(int(j - 1)), rowBytes);
      continue;
    }
    const auto* from = reinterpret_cast<const uint32_t*>(Raster.constScanLine(rows[j]));
    if (unscaled) {
      std::memcpy(to, from + columns.front(), rowBytes);
      continue;
    }
    for (int i = 0; i < width; ++i) to[i] = from[columns[size_t(i)]];
  }
}
