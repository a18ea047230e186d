// The drawing surface of the image window and the small clickable picture of
// its top strip.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include <QImage>
#include <QLabel>
#include <QWidget>

#include "canvas/Canvas.h"
#include "document/Snapping.h"
#include "ui/ViewScale.h"

// The keys and the mouse buttons held during a mouse event.
struct TShiftState {
  Qt::KeyboardModifiers Keys;
  Qt::MouseButtons Buttons;
};

// The drawing surface (imgDraw), the view of the image: the image raster at
// its own size, the canvas that draws into it, and the zoom at which the
// view shows it. The surface is as large as the zoomed image; its place in
// the viewport is the scroll. Whatever the canvas draws is shown on the
// next paint, so the screen follows the raster without a second redraw.
// Over the raster the view draws the grid, the snapping guides and the
// selected figure's control-point markers at their screen size; they are
// never part of the raster. Mouse
// coordinates are image pixels, whatever the zoom. Whatever the mouse
// handlers raise goes to the top-level report right here, never unwinding
// through the toolkit.
class TImageSurface : public QWidget {
 public:
  using TMouseButtonEvent = std::function<void(Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
  using TMouseMoveEvent = std::function<void(TShiftState Shift, int32_t X, int32_t Y)>;
  // Position: the pointer on the view, logical pixels from the surface's
  // top-left corner.
  using TWheelEvent =
      std::function<void(QPoint AngleDelta, QPoint PixelDelta, Qt::KeyboardModifiers Keys, QPointF Position)>;

  explicit TImageSurface(QWidget* Parent);
  ~TImageSurface() override;

  // A new raster of Width x Height pixels (negative counts as 0), white;
  // the surface takes its size at the zoom, and no marker is shown.
  void SetImageSize(int32_t Width, int32_t Height);
  const QImage& Image() const { return FBitmap; }
  TCanvas* Canvas() const;
  int32_t ImageWidth() const { return FBitmap.width(); }
  int32_t ImageHeight() const { return FBitmap.height(); }

  // The surface takes the size of the image at the level; the raster stays
  // as it is.
  void SetZoomLevel(int Level);
  const TViewScale& Scale() const { return FScale; }
  // The control points whose markers the view shows, image pixels.
  void SetMarkedPoints(std::span<const TPoint> Points);
  // The marker of the point at Index among them gets a second frame: the
  // point the keys move. -1: none.
  void SetActiveMarker(int Index);
  // A dotted grid every Step image pixels over the image, one device pixel
  // wide at every zoom; 0 hides it. Hidden also while its lines would come
  // closer than MinGridSpacing view pixels.
  void SetGridStep(int32_t Step);
  // The lines a point being dragged snapped to, drawn across the image.
  void SetGuides(const TSnapGuides& Guides);
  static constexpr int MinGridSpacing = 4;

  // The view as shown on a screen of DevicePixelRatio device pixels to a
  // view pixel: the part in Rect (device pixels from the surface's top-left
  // corner), with the markers. What every paint draws; valid until the
  // next call.
  const QImage& ViewPicture(const QRect& Rect, double DevicePixelRatio);

  TMouseButtonEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseButtonEvent OnMouseUp;
  TWheelEvent OnWheel;

 protected:
  void paintEvent(QPaintEvent* Event) override;
  // A double click arrives here as a press (the default of QWidget).
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void wheelEvent(QWheelEvent* Event) override;

 private:
  class TSurfaceCanvas;

  // Asks for one repaint for everything drawn until the next paint: a
  // redraw draws thousands of primitives.
  void ScheduleRepaint();
  void FitToZoom();
  QPoint ImagePoint(const QMouseEvent* Event) const;
  // The overlays of ViewPicture on Picture, the part of the view whose
  // top-left device pixel is Origin.
  void DrawGrid(QImage& Picture, QPoint Origin, double DevicePixelRatio) const;
  void DrawGuides(QImage& Picture, QPoint Origin, double DevicePixelRatio) const;
  void DrawMarkers(QImage& Picture, QPoint Origin, double DevicePixelRatio) const;

  QImage FBitmap;
  std::unique_ptr<TSurfaceCanvas> FCanvas;
  bool FRepaintScheduled = false;
  TViewScale FScale;
  std::vector<TPoint> FMarkedPoints;
  int FActiveMarker = -1;
  int32_t FGridStep = 0;
  TSnapGuides FGuides;
  QImage FPicture;
};

// A picture that reports a left click: pressed and released over it.
class TClickablePicture : public QLabel {
 public:
  explicit TClickablePicture(QWidget* Parent) : QLabel(Parent) {}
  std::function<void()> OnClick;

 protected:
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
};
