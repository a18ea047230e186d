// The zoom and the scroll of the image window's view: the zoom commands
// with their keys, the level panel with its menu, the wheel, and the track
// bars, which count in tenths of their own length and follow the view.
#pragma once

#include <functional>
#include <optional>

#include <QObject>
#include <QPoint>

#include "canvas/Canvas.h"

class QAction;
class QActionGroup;
class QMenu;
class QSlider;
class QWidget;
class TClickablePicture;
class TImageSurface;

class TViewControl : public QObject {
  Q_OBJECT
 public:
  // The parts of the window it moves and shows, all owned by Window, which
  // also takes the commands' actions: their keys work while it is visible,
  // from any window of the program.
  TViewControl(QWidget& Window, TImageSurface& Surface, QWidget& Viewport, QSlider& Horizontal, QSlider& Vertical,
               TClickablePicture& LevelPanel);
  ~TViewControl() override;

  // The box FitSelection zooms to, image pixels; none when nothing is
  // selected.
  std::function<std::optional<TRect>()> SelectedBox;

  // A new image: 100 %, scrolled home.
  void Reset();
  // Level, keeping the image point at Anchor (viewport pixels) where it is
  // on the screen as far as the scroll range allows: the wheel's zoom.
  void ZoomAt(int Level, QPointF Anchor);
  // Level, keeping the middle of the image's part on the screen where it
  // is, the image filling the viewport as far as it can (no part of it
  // hidden while the viewport has room for it): the zoom of the keys and
  // the menu.
  void ZoomTo(int Level);
  void ZoomIn();
  void ZoomOut();
  // The largest level at which the whole image, or the selected figure's
  // box, fits into the viewport; the image from its top-left corner, the
  // box centred as far as the image fills the viewport.
  void FitImage();
  void FitSelection();

  // The image pixel at the middle of the image's part on the screen.
  TPoint ShownImageCentre() const;

  // The scroll: how far the image's top-left corner lies left of and above
  // the viewport's, view pixels; kept within 0 and the track bars' far end.
  QPoint Scroll() const;
  void ScrollTo(QPoint Scroll);
  // The track bar's position in tenths of its length moves the view
  // (Orientation: which bar).
  void FollowTrackBar(Qt::Orientation Orientation);
  // The track bars' ranges from the zoomed image's size; positions stay.
  void SetTrackBarRanges();
  // A wheel turn over the view: with Ctrl one level per notch around the
  // pointer (Position: surface pixels), with Shift a horizontal scroll,
  // alone a vertical one.
  void Wheel(QPoint AngleDelta, QPoint PixelDelta, Qt::KeyboardModifiers Keys, QPointF Position);

 private:
  void CreateActions(QWidget& Window);
  void ShowLevel();
  int Level() const;
  // The level taken and the image position Image (image pixels) brought to
  // At (viewport pixels); with Fill no further than FillingLimit.
  void ShowAt(int Level, QPointF Image, QPointF At, bool Fill);
  // The largest scroll that leaves no part of the viewport empty that the
  // image could cover.
  QPoint FillingLimit() const;
  // Where the viewport shows the middle of the image's visible part, or
  // its own middle when none is shown.
  QPointF ShownCentre() const;

  TImageSurface& FSurface;
  QWidget& FViewport;
  QSlider& FHorizontal;
  QSlider& FVertical;
  TClickablePicture& FLevelPanel;
  QAction* FZoomIn;
  QAction* FZoomOut;
  QAction* FActualSize;
  QAction* FFitImage;
  QAction* FFitSelection;
  QActionGroup* FLevels;
  QMenu* FMenu;
  // The part of a notch the wheel has turned towards the next level.
  int FWheelAngle = 0;
};
