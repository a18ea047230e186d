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
  FitToZoom();
  update();
}

TCanvas* TImageSurface::Canvas() const { return FCanvas.get(); }

void TImageSurface::SetZoomLevel(int Level) {
  FScale = TViewScale(Level);
  FitToZoom();
  update();
}

void TImageSurface::FitToZoom() {
  resize(int(FScale.ToView(FBitmap.width())), int(FScale.ToView(FBitmap.height())));
}

void TImageSurface::SetMarkedPoints(std::span<const TPoint> Points) {
  FMarkedPoints.assign(Points.begin(), Points.end());
  ScheduleRepaint();
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
  QImage& picture = FPicture;
  if (picture.isNull()) return picture;
  RenderView(FBitmap, FScale, DevicePixelRatio, Rect.topLeft(), picture);
  // Each marker is centred on its point's pixel and has its size in view
  // pixels at every zoom; one wholly outside the picture changes nothing.
  const int32_t radius = int32_t(std::lround(ControlPointRadius * DevicePixelRatio));
  std::vector<TPoint> centres;
  for (const TPoint& p : FMarkedPoints) {
    const int64_t x = std::llround(double(FScale.CentreOf(p.x)) * DevicePixelRatio) - Rect.left();
    const int64_t y = std::llround(double(FScale.CentreOf(p.y)) * DevicePixelRatio) - Rect.top();
    if (x + radius < 0 || y + radius < 0 || x - radius > picture.width() || y - radius > picture.height()) continue;
    centres.push_back({int32_t(x), int32_t(y)});
  }
  TRasterCanvas canvas(picture);
  DrawControlPoints(canvas, centres, radius);
  return picture;
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
