// The drawing surface of the image window and the small clickable picture of
// its top strip.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QImage>
#include <QLabel>
#include <QWidget>

#include "canvas/Canvas.h"

// The keys and the mouse buttons held during a mouse event.
struct TShiftState {
  Qt::KeyboardModifiers Keys;
  Qt::MouseButtons Buttons;
};

// The drawing surface (imgDraw): the image raster at its own size and the
// canvas that draws into it. Whatever the canvas draws is shown on the next
// paint, so the screen follows the raster without a second redraw. Mouse
// coordinates are image pixels. Whatever the mouse handlers raise goes to
// the top-level report right here, never unwinding through the toolkit.
class TImageSurface : public QWidget {
 public:
  using TMouseButtonEvent = std::function<void(Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
  using TMouseMoveEvent = std::function<void(TShiftState Shift, int32_t X, int32_t Y)>;

  explicit TImageSurface(QWidget* Parent);
  ~TImageSurface() override;

  // A new raster of Width x Height pixels (negative counts as 0), white;
  // the surface takes that size.
  void SetImageSize(int32_t Width, int32_t Height);
  const QImage& Image() const { return FBitmap; }
  TCanvas* Canvas() const;

  TMouseButtonEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseButtonEvent OnMouseUp;

 protected:
  void paintEvent(QPaintEvent* Event) override;
  // A double click arrives here as a press (the default of QWidget).
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;

 private:
  class TSurfaceCanvas;

  // Asks for one repaint for everything drawn until the next paint: a
  // redraw draws thousands of primitives.
  void ScheduleRepaint();

  QImage FBitmap;
  std::unique_ptr<TSurfaceCanvas> FCanvas;
  bool FRepaintScheduled = false;
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
