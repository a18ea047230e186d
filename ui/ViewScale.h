// The zoom of the image view: its levels as exact fractions, the one mapping
// between positions on the view and image pixels, and the picture of the
// raster the view shows at a level. The raster itself stays in image pixels.
#pragma once

#include <array>
#include <cstdint>

#include <QPoint>
#include <QSize>
#include <QString>

class QImage;

// View pixels per image pixel: Num / Den.
struct TZoomLevel {
  int32_t Num;
  int32_t Den;
};

// 6.25 % to 6400 %.
inline constexpr std::array<TZoomLevel, 19> ZoomLevels{{{1, 16},
                                                        {1, 8},
                                                        {1, 4},
                                                        {1, 3},
                                                        {1, 2},
                                                        {2, 3},
                                                        {1, 1},
                                                        {3, 2},
                                                        {2, 1},
                                                        {3, 1},
                                                        {4, 1},
                                                        {6, 1},
                                                        {8, 1},
                                                        {12, 1},
                                                        {16, 1},
                                                        {24, 1},
                                                        {32, 1},
                                                        {48, 1},
                                                        {64, 1}}};
inline constexpr int ActualSizeLevel = 6;  // 100 %
inline constexpr int LastZoomLevel = int(ZoomLevels.size()) - 1;

// View positions are logical pixels (the toolkit's device-independent
// ones) from the image's top-left corner on the view.
class TViewScale {
 public:
  // Out-of-range levels are brought to the nearest one.
  explicit TViewScale(int Level = ActualSizeLevel);

  int Level() const { return FLevel; }
  TZoomLevel Zoom() const { return ZoomLevels[size_t(FLevel)]; }

  // The image coordinate shown at view position V: floor(V / factor). The
  // mouse and the picture both go through it, so a press acts on the pixel
  // shown under the pointer.
  int32_t ToImage(double V) const;
  // The first view pixel that shows image coordinate X: ceil(X * factor).
  // Also the view extent of X image pixels.
  int64_t ToView(int64_t X) const;
  // The view pixel at the centre of image pixel X: floor((X + 1/2) * factor).
  int64_t CentreOf(int64_t X) const;
  // The control-point tolerance, in image pixels, that keeps the markers'
  // size on the screen: the nearest integer to ControlPointRadius / factor
  // (halves up).
  int32_t HitRadius() const;

 private:
  int FLevel;
};

// "200 %", "33.3 %": three significant digits at most, in the
// application's locale.
QString ZoomText(int Level);

// The largest level at which Extent image pixels fit into Room view pixels
// on both axes; the smallest level when none does.
int FittingLevel(QSize Extent, QSize Room);

// Fills Frame, a picture in device pixels, with the raster as the view
// shows it, nearest neighbour: frame pixel (i, j) is device pixel Origin +
// (i, j) of the view, DevicePixelRatio device pixels to a view pixel, and
// shows the raster pixel at ToImage of its view position. Pixels past the
// raster's edges repeat its last ones. Both pictures are 32-bit.
void RenderView(const QImage& Raster, const TViewScale& Scale, double DevicePixelRatio, QPoint Origin,
                QImage& Frame);
