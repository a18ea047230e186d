#include "ui/ImageSurface.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QTransform>
#include <QWheelEvent>

#include "canvas/RasterCanvas.h"
#include "figures/AbstractFigures.h"
#include "ui/Application.h"

namespace {

TShiftState ShiftOf(const QMouseEvent* Event) { return {Event->modifiers(), Event->buttons()}; }

// The pixel under the pointer, logical pixels.
QPoint PixelAt(const QMouseEvent* Event) {
  const QPointF p = Event->position();
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

// Device pixels from the logical ones, the partly covered ones included.
QRect DeviceRect(const QRect& Logical, double DevicePixelRatio) {
  const int left = int(std::floor(Logical.left() * DevicePixelRatio));
  const int top = int(std::floor(Logical.top() * DevicePixelRatio));
  const int right = int(std::ceil((Logical.right() + 1) * DevicePixelRatio));
  const int bottom = int(std::ceil((Logical.bottom() + 1) * DevicePixelRatio));
  return {QPoint(left, top), QPoint(right - 1, bottom - 1)};
}

// The overlays sit on the centres of image pixels, as the markers do: a
// point snapped to a grid node shows on the node's dot.
int64_t DeviceCentre(const TViewScale& Scale, int64_t X, double DevicePixelRatio) {
  return std::llround(double(Scale.CentreOf(X)) * DevicePixelRatio);
}

// Inverted in half of each channel: a dot that shows on black, white and
// every colour between.
void FlipPixel(QImage& Picture, int X, int Y) {
  auto* row = reinterpret_cast<QRgb*>(Picture.scanLine(Y));
  row[X] ^= 0x808080u;
}

}  // namespace

// ---------------------------------------------------------------- TImageSurface

// The raster canvas of the surface: whatever it draws asks for a repaint,
// which shows the raster as it is when the event loop next paints.
class TImageSurface::TSurfaceCanvas : public TRasterCanvas {
 public:
  TSurfaceCanvas(QImage& Image, TImageSurface& Surface) : TRasterCanvas(Image), FSurface(Surface) {}

 protected:
  void Painted() override { FSurface.ScheduleRepaint(); }

 private:
  TImageSurface& FSurface;
};

TImageSurface::TImageSurface(QWidget* Parent)
    : QWidget(Parent), FCanvas(std::make_unique<TSurfaceCanvas>(FBitmap, *this)) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  SetImageSize(0, 0);
}

TImageSurface::~TImageSurface() = default;

void TImageSurface::SetImageSize(int32_t Width, int32_t Height) {
  FBitmap = QImage(std::max(Width, 0), std::max(Height, 0), QImage::Format_RGB32);
  FBitmap.fill(Qt::white);
  FMarkedPoints.clear();
  FActiveMarker = -1;
  FitToZoom();
  update();
}

TCanvas* TImageSurface::Canvas() const { return FCanvas.get(); }

void TImageSurface::SetZoomLevel(int Level) {
  FScale = TViewScale(Level);
  FitToZoom();
  update();
}

void TImageSurface::FitToZoom() { resize(int(FScale.ToView(FBitmap.width())), int(FScale.ToView(FBitmap.height()))); }

void TImageSurface::SetMarkedPoints(std::span<const TPoint> Points) {
  FMarkedPoints.assign(Points.begin(), Points.end());
  ScheduleRepaint();
}

void TImageSurface::SetActiveMarker(int Index) {
  if (Index == FActiveMarker) return;
  FActiveMarker = Index;
  ScheduleRepaint();
}

void TImageSurface::SetGridStep(int32_t Step) {
  if (Step == FGridStep) return;
  FGridStep = Step;
  update();
}

void TImageSurface::SetGuides(const TSnapGuides& Guides) {
  if (Guides == FGuides) return;
  FGuides = Guides;
  update();
}

void TImageSurface::ScheduleRepaint() {
  if (FRepaintScheduled) return;
  FRepaintScheduled = true;
  update();
}

const QImage& TImageSurface::ViewPicture(const QRect& Rect, double DevicePixelRatio) {
  // Kept from paint to paint: a new picture of a screen's size each time
  // costs more in fresh memory than the picture takes to make.
  if (FPicture.size() != Rect.size()) FPicture = QImage(Rect.size(), QImage::Format_RGB32);
  if (FPicture.isNull()) return FPicture;
  RenderView(FBitmap, FScale, DevicePixelRatio, Rect.topLeft(), FPicture);
  DrawGrid(FPicture, Rect.topLeft(), DevicePixelRatio);
  DrawGuides(FPicture, Rect.topLeft(), DevicePixelRatio);
  DrawMarkers(FPicture, Rect.topLeft(), DevicePixelRatio);
  return FPicture;
}

void TImageSurface::DrawGrid(QImage& Picture, QPoint Origin, double DevicePixelRatio) const {
  if (FGridStep <= 0) return;
  const TZoomLevel zoom = FScale.Zoom();
  if (int64_t(FGridStep) * zoom.Num < int64_t(MinGridSpacing) * zoom.Den) return;
  const auto lines = [&](int32_t Extent) {
    std::vector<int64_t> at;
    for (int64_t x = 0; x <= Extent; x += FGridStep) at.push_back(DeviceCentre(FScale, x, DevicePixelRatio));
    return at;
  };
  const std::vector<int64_t> columns = lines(FBitmap.width());
  const std::vector<int64_t> rows = lines(FBitmap.height());
  const int64_t right = DeviceCentre(FScale, FBitmap.width(), DevicePixelRatio);
  const int64_t bottom = DeviceCentre(FScale, FBitmap.height(), DevicePixelRatio);
  // Every other device pixel along each line, counted from the view's
  // corner so that scrolling does not make the dots crawl; the vertical
  // lines leave out the rows the horizontal ones dot.
  for (const int64_t column : columns) {
    const int64_t x = column - Origin.x();
    if (x < 0 || x >= Picture.width()) continue;
    for (int y = 0; y < Picture.height(); ++y) {
      const int64_t v = y + Origin.y();
      if (v % 2 != 0 || v > bottom || std::binary_search(rows.begin(), rows.end(), v)) continue;
      FlipPixel(Picture, int(x), y);
    }
  }
  for (const int64_t row : rows) {
    const int64_t y = row - Origin.y();
    if (y < 0 || y >= Picture.height()) continue;
    for (int x = 0; x < Picture.width(); ++x) {
      const int64_t v = x + Origin.x();
      if (v % 2 == 0 && v <= right) FlipPixel(Picture, x, int(y));
    }
  }
}

void TImageSurface::DrawGuides(QImage& Picture, QPoint Origin, double DevicePixelRatio) const {
  const QRgb guide = qRgb(255, 0, 255);
  if (FGuides.X) {
    const int64_t x = DeviceCentre(FScale, *FGuides.X, DevicePixelRatio) - Origin.x();
    if (x >= 0 && x < Picture.width())
      for (int y = 0; y < Picture.height(); ++y) Picture.setPixel(int(x), y, guide);
  }
  if (FGuides.Y) {
    const int64_t y = DeviceCentre(FScale, *FGuides.Y, DevicePixelRatio) - Origin.y();
    if (y >= 0 && y < Picture.height()) {
      auto* line = reinterpret_cast<QRgb*>(Picture.scanLine(int(y)));
      std::fill(line, line + Picture.width(), guide);
    }
  }
}

void TImageSurface::DrawMarkers(QImage& Picture, QPoint Origin, double DevicePixelRatio) const {
  // Each marker is centred on its point's pixel and has its size in view
  // pixels at every zoom; one wholly outside the picture changes nothing.
  const int32_t radius = int32_t(std::lround(ControlPointRadius * DevicePixelRatio));
  const int32_t activeRadius = radius + int32_t(std::lround(2 * DevicePixelRatio));
  std::vector<TPoint> centres;
  std::vector<TPoint> active;
  for (size_t i = 0; i < FMarkedPoints.size(); ++i) {
    const int64_t x = DeviceCentre(FScale, FMarkedPoints[i].x, DevicePixelRatio) - Origin.x();
    const int64_t y = DeviceCentre(FScale, FMarkedPoints[i].y, DevicePixelRatio) - Origin.y();
    if (x + activeRadius < 0 || y + activeRadius < 0 || x - activeRadius > Picture.width() ||
        y - activeRadius > Picture.height())
      continue;
    centres.push_back({int32_t(x), int32_t(y)});
    if (int(i) == FActiveMarker) active.push_back(centres.back());
  }
  TRasterCanvas canvas(Picture);
  DrawControlPoints(canvas, centres, radius);
  DrawControlPoints(canvas, active, activeRadius);
}

void TImageSurface::paintEvent(QPaintEvent* Event) {
  FRepaintScheduled = false;
  const double ratio = devicePixelRatioF();
  const QRect device = DeviceRect(Event->rect(), ratio);
  const QImage& picture = ViewPicture(device, ratio);
  QPainter painter(this);
  // Drawn in device pixels, one to one: no smoothing at any ratio.
  painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
  painter.drawImage(device.topLeft(), picture);
}

QPoint TImageSurface::ImagePoint(const QMouseEvent* Event) const {
  const QPointF p = Event->position();
  return {FScale.ToImage(p.x()), FScale.ToImage(p.y())};
}

void TImageSurface::mousePressEvent(QMouseEvent* Event) {
  const QPoint p = ImagePoint(Event);
  ReportFailures([&] {
    if (OnMouseDown) OnMouseDown(Event->button(), ShiftOf(Event), p.x(), p.y());
  });
}

void TImageSurface::mouseMoveEvent(QMouseEvent* Event) {
  const QPoint p = ImagePoint(Event);
  ReportFailures([&] {
    if (OnMouseMove) OnMouseMove(ShiftOf(Event), p.x(), p.y());
  });
}

void TImageSurface::mouseReleaseEvent(QMouseEvent* Event) {
  const QPoint p = ImagePoint(Event);
  ReportFailures([&] {
    if (OnMouseUp) OnMouseUp(Event->button(), ShiftOf(Event), p.x(), p.y());
  });
}

void TImageSurface::wheelEvent(QWheelEvent* Event) {
  ReportFailures([&] {
    if (OnWheel) OnWheel(Event->angleDelta(), Event->pixelDelta(), Event->modifiers(), Event->position());
  });
  Event->accept();
}

// ------------------------------------------------------------ TClickablePicture

void TClickablePicture::mousePressEvent(QMouseEvent* Event) { Event->accept(); }

void TClickablePicture::mouseReleaseEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::LeftButton && rect().contains(PixelAt(Event)) && OnClick)
    ReportFailures([&] { OnClick(); });
}
