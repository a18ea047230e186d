// The image window: shows the open image and turns the mouse and the keys
// into drawing, selecting, moving and reshaping figures. It holds no figures
// of its own: everything goes through the document's collection and its
// selected figure, and what happens is reported through OnFigureAction.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include "canvas/Canvas.h"
#include "figures/AbstractFigures.h"

class QFrame;
class QKeyEvent;
class QSlider;
class QStatusBar;
class TFiguresCollection;
class TfrmImage;

enum TEditMode : uint8_t { emSelect, emDraw, emMove, emResize };

enum TFigureAction : uint8_t { faCreated, faPasted, faDeleteRequest, faSelected };

// The mouse step that UpdateFigure applies to the selected figure.
enum TFigureStep : uint8_t { stDrag, stPress, stRelease, stDeletePoint, stInsertPoint };

// Figure: the figure concerned, possibly none.
using TFigureActionEvent = std::function<void(TfrmImage* Sender, TBasicFigure* Figure, TFigureAction Action)>;

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

class TfrmImage : public QWidget {
 public:
  // A top-level window of its own (its own taskbar entry), captioned
  // "Новый", client area 700 x 516 at least.
  TfrmImage();
  ~TfrmImage() override;
  TfrmImage(const TfrmImage&) = delete;
  TfrmImage& operator=(const TfrmImage&) = delete;

  // Attaches the image (the collection is not owned, and none detaches):
  // a raster of the image rectangle's size (Right x Bottom) at (0, 0), the
  // collection redrawn on its canvas, the track bar ranges set as
  // FormResize does, the mode emSelect.
  void SetImage(TFiguresCollection* Collection);
  TFiguresCollection* Collection() const { return FCollection; }
  // The canvas of the surface's raster.
  TCanvas* DrawingCanvas() const;
  // Repaints the surface from the raster.
  void ShowImage();

  // Brings a point into 0..width and 0..height of the surface, bounds
  // included (one past the last pixel is reachable).
  void ClampPoint(int32_t& X, int32_t& Y) const;
  // Stores the mode, shows its text in status panel 3 and sets the
  // application-wide cursor (emSelect: none of ours, the default arrow).
  void SetMode(TEditMode Mode);
  // One mouse step on the selected figure, then a redraw. Every failure
  // ends the step silently, skipping the rest of it.
  void UpdateFigure(int32_t X, int32_t Y, TFigureStep Step);

  // The hit tests of a press and of the hover are not guarded: their
  // failures go to the top-level report.
  void imgDrawMouseDown(Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void imgDrawMouseMove(TShiftState Shift, int32_t X, int32_t Y);
  void imgDrawMouseUp(Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  // Key: a Qt key code, set to 0 to consume the key. Sees every key pressed
  // while the window or one of its controls has the focus, before the
  // control and before any shortcut.
  void FormKeyDown(int& Key, Qt::KeyboardModifiers Shift);
  // Position in tenths of the track bar's own length.
  void tbHorizChange();
  void tbVertChange();
  // The track bar maxima from the surface's size; positions stay.
  void FormResize();
  void imgSpacerClick();

  // The quick help as stored: six lines, each ended by a carriage return.
  static QString QuickHelpText();

  TEditMode Mode() const { return FMode; }
  int32_t QuadStage() const { return FQuadStage; }
  TPoint DownPoint() const { return FDownPoint; }
  TPoint LastPoint() const { return FLastPoint; }

  // The class of the figures a press on empty space creates; none creates
  // nothing.
  const TFigureClass* FFigureClass = nullptr;
  TFigureActionEvent OnFigureAction;

  // The controls, as laid out (owned by the window through Qt's parents).
  QStatusBar* sbStatus;
  QWidget* pnMain;
  QWidget* pnTop;
  TClickablePicture* imgSpacer;
  QSlider* tbHoriz;
  QSlider* tbVert;
  QFrame* pnDraw;
  TImageSurface* imgDraw;
  // Status panels 0 to 4: x, y, figure under the pointer, mode, unused.
  QLabel* StatusPanel(int Index) const { return FPanels[Index]; }

 protected:
  void resizeEvent(QResizeEvent* Event) override;
  // Previews the keys of this window (see FormKeyDown).
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void CreateControls();
  void ArrangeControls();
  void Notify(TBasicFigure* Figure, TFigureAction Action);
  // Ctrl+V: the clipboard's figure on top of the image, 10 pixels up and to
  // the left of where it was copied; any failure drops the paste silently.
  void PasteFigure();
  void SetStatusText(int Panel, const QString& Text);
  // The application-wide cursor of a mode; emSelect pops ours.
  void SetScreenCursor(TEditMode Mode);
  void RestoreScreenCursor();
  bool BelongsToWindow(QObject* Object) const;
  // True when the key event seen by Watched is one already previewed,
  // passing from the window or a child on to a parent.
  bool IsSameKeyDelivery(QObject* Watched, const QEvent* Event) const;
  // Runs FormKeyDown for a previewed key event; true when consumed.
  bool PreviewKey(QKeyEvent* Event);

  TFiguresCollection* FCollection = nullptr;
  TPoint FDownPoint;
  TPoint FLastPoint;
  int32_t FQuadStage = 0;
  TEditMode FMode = emSelect;

  QLabel* FPanels[5];
  bool FCursorPushed = false;

  // The key event being previewed and the object that last saw it: the same
  // event passing on to a parent is not previewed again.
  const QEvent* FKeyEvent = nullptr;
  QEvent::Type FKeyEventType = QEvent::None;
  QPointer<QObject> FKeyWatcher;
  // The press announced by a previewed shortcut override: its key press
  // (when no shortcut takes it) is not previewed again.
  struct TPreviewedKey {
    int Key;
    Qt::KeyboardModifiers Modifiers;
    bool Consumed;
  };
  bool FHasPreviewedKey = false;
  TPreviewedKey FPreviewedKey{};
};
