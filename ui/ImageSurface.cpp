#include "ui/ImageSurface.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>

#include "canvas/RasterCanvas.h"
#include "ui/Application.h"

namespace {

QPoint ImagePoint(const QMouseEvent* Event) {
  const QPointF p = Event->position();
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

TShiftState ShiftOf(const QMouseEvent* Event) { return {Event->modifiers(), Event->buttons()}; }

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
  resize(FBitmap.width(), FBitmap.height());
  update();
}

TCanvas* TImageSurface::Canvas() const { return FCanvas.get(); }

void TImageSurface::ScheduleRepaint() {
  if (FRepaintScheduled) return;
  FRepaintScheduled = true;
  update();
}

void TImageSurface::paintEvent(QPaintEvent*) {
  FRepaintScheduled = false;
  QPainter painter(this);
  painter.drawImage(0, 0, FBitmap);
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

// ------------------------------------------------------------ TClickablePicture

void TClickablePicture::mousePressEvent(QMouseEvent* Event) { Event->accept(); }

void TClickablePicture::mouseReleaseEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::LeftButton && rect().contains(ImagePoint(Event)) && OnClick)
    ReportFailures([&] { OnClick(); });
}
