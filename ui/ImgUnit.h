// The image window: shows the open image and turns the mouse and the keys
// into drawing, selecting, moving and reshaping figures. It holds no figures
// of its own: everything goes through the document's collection and its
// selected figure, and what happens is reported through OnFigureAction.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include <QCoreApplication>
#include <QLabel>
#include <QWidget>

#include "canvas/Canvas.h"
#include "document/History.h"
#include "document/Snapping.h"
#include "figures/AbstractFigures.h"
#include "ui/EditModes.h"
#include "ui/GridSettings.h"
#include "ui/ImageSurface.h"

class QFrame;
class QSlider;
class QStatusBar;
class TFiguresCollection;
class TKeyPreview;
class TViewControl;
class TfrmImage;

// faStepDone: a change of the drawing made with the mouse or the keys is
// complete (a whole drag, a figure drawn to its end, a paste, a key press
// that moved something); StepKey tells which steps merge into one.
// faRaiseRequest, faLowerRequest: the keys asked to move the selected
// figure one place up or down the drawing order.
enum TFigureAction : uint8_t {
  faCreated,
  faPasted,
  faDeleteRequest,
  faSelected,
  faStepDone,
  faRaiseRequest,
  faLowerRequest
};

// The mouse step that UpdateFigure applies to the selected figure.
enum TFigureStep : uint8_t { stDrag, stPress, stRelease, stDeletePoint, stInsertPoint };

// Figure: the figure concerned, possibly none.
using TFigureActionEvent = std::function<void(TfrmImage* Sender, TBasicFigure* Figure, TFigureAction Action)>;

class TfrmImage : public QWidget {
  Q_DECLARE_TR_FUNCTIONS(TfrmImage)

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
  // The image's collection alone, or none; nothing is drawn. The view
  // shows the markers of its selected figure from its next redraw on.
  void SetCollection(TFiguresCollection* Collection);
  // A blank white raster of the image rectangle's size (Right x Bottom) at
  // (0, 0), at 100 %, scrolled home, the track bar ranges set as FormResize
  // does.
  void PrepareSurface(const TRect& ImageRect);
  TFiguresCollection* Collection() const { return FCollection; }
  // The canvas of the surface's raster.
  TCanvas* DrawingCanvas() const;
  // Repaints the surface from the raster.
  void ShowImage();

  // Brings a point into 0..width and 0..height of the image, bounds
  // included (one past the last pixel is reachable).
  void ClampPoint(int32_t& X, int32_t& Y) const;
  // Stores the mode, shows its text in status panel 3 and sets the
  // application-wide cursor (emSelect: none of ours, the default arrow).
  void SetMode(TEditMode Mode);
  // The mode the mode table gives for Event, set when it differs.
  void Transit(TEditEvent Event);
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
  // control and before any shortcut. Besides the clipboard keys and Del,
  // the editing keys (none with Alt, which the desktop's keys use): arrows
  // move the selected figure a pixel, with Shift 10 (the grid step while
  // snapping); Ctrl+arrows move its key point so; Tab and Shift+Tab select
  // the next and previous figure down and up the object list, Ctrl+Tab and
  // Ctrl+Shift+Tab the key point; Insert places a figure of the chosen
  // class in the middle of the view; Page Up and Page Down raise and lower
  // the selected figure; Escape ends the figure being drawn.
  void FormKeyDown(int& Key, Qt::KeyboardModifiers Shift);
  // Reports the change under way as faStepDone, if any: at the end of each
  // gesture, and before anyone else changes the image (a figure still
  // being drawn ends its step there).
  void EndStep();
  // A pasted figure (without canvas, or on the collection's) on top of the
  // image, reported as faPasted and then as a step of its own; none, with
  // the figure dropped, when the collection cannot take it.
  TBasicFigure* AddPastedFigure(std::unique_ptr<TBasicFigure> Figure);
  // The key of the step being reported: empty for a gesture of the mouse;
  // the same for a run of key presses moving the same figure, or the same
  // figure's key point.
  TStepKey StepKey() const { return FStepKey; }
  // The point of the selected figure the keys move, by index.
  int32_t KeyPoint() const { return FKeyPoint; }

  // The grid shown on the view and the snapping of the points the mouse
  // places and drags.
  void SetGrid(const TGridSettings& Grid);

  // Position in tenths of the track bar's own length.
  void tbHorizChange();
  void tbVertChange();
  // The track bar maxima from the zoomed image's size; positions stay.
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
  // The user closes the window through its frame; false keeps it open.
  std::function<bool()> OnClose;
  // The window moved on the screen (by the user or by the program).
  std::function<void()> OnMoved;

  // The controls, as laid out (owned by the window through Qt's parents).
  QStatusBar* sbStatus;
  QWidget* pnMain;
  QWidget* pnTop;
  TClickablePicture* imgSpacer;
  QSlider* tbHoriz;
  QSlider* tbVert;
  QFrame* pnDraw;
  TImageSurface* imgDraw;
  // Status panels 0 to 4: x, y, figure under the pointer, mode, zoom level.
  QLabel* StatusPanel(int Index) const { return FPanels[Index]; }
  // The zoom and the scroll.
  TViewControl& View() const { return *FView; }

 protected:
  void resizeEvent(QResizeEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void moveEvent(QMoveEvent* Event) override;

 private:
  void CreateControls();
  void ArrangeControls();
  void Notify(TBasicFigure* Figure, TFigureAction Action);
  // Ctrl+V: the clipboard's figure on top of the image, 10 pixels up and to
  // the left of where it was copied; any failure drops the paste silently,
  // but for EPicturesTooLarge, which reaches the top-level report.
  void PasteFigure();
  void SetStatusText(int Panel, const QString& Text);
  // The selected figure's markers on the view, from the collection.
  void ShowMarkers(std::span<const TPoint> Points);
  // Selects the figure (none allowed) as a click on it does.
  void SelectFigure(TBasicFigure* Figure);

  // Snapping during one gesture: what points may snap to is gathered when
  // it starts (Moving: the figure it changes) and dropped when it ends.
  void StartSnapping(const TBasicFigure* Moving);
  void StopSnapping();
  // The point the mouse places at P, its guides shown: P itself when
  // snapping is off or Alt is held.
  TPoint Snapped(const TPoint& P, Qt::KeyboardModifiers Keys);
  // One mouse step on the selected figure at P as snapped.
  void UpdateFigureSnapped(const TPoint& P, Qt::KeyboardModifiers Keys, TFigureStep Step);
  // A move of the grabbed figure to the pointer at P.
  void DragFigure(const TPoint& P, Qt::KeyboardModifiers Keys);

  // The editing keys of FormKeyDown; true when the key did something.
  bool EditKey(int Key, Qt::KeyboardModifiers Shift);
  bool ArrowKey(int Key, bool KeyPoint, bool Far);
  void SelectNeighbour(bool Up);
  void StepKeyPoint(bool Back);
  void ShowKeyPoint(bool Shown);
  void PlaceNewFigure();
  // Ends the figure being drawn, as the right button does.
  void EndDrawing();
  // The application-wide cursor of a mode; emSelect pops ours.
  void SetScreenCursor(TEditMode Mode);
  void RestoreScreenCursor();

  TFiguresCollection* FCollection = nullptr;
  TPoint FDownPoint;
  TPoint FLastPoint;
  int32_t FQuadStage = 0;
  TEditMode FMode = emSelect;
  // The drawing changed since the last faStepDone.
  bool FStepOpen = false;
  TStepKey FStepKey;
  int32_t FKeyPoint = 0;
  // The figure whose key point the view frames; compared, never used.
  const TBasicFigure* FKeyPointFigure = nullptr;

  TGridSettings FGrid;
  std::optional<TSnapTargets> FSnapTargets;
  // A figure dragged by its body moves so that its control point nearest
  // to where it was grabbed (the anchor, now at FAnchor) follows the
  // pointer at FGrabOffset from it, snapping as that point.
  TPoint FAnchor;
  TPoint FGrabOffset;

  QLabel* FPanels[5];
  bool FCursorPushed = false;
  TViewControl* FView;

  // Hands every key of this window to FormKeyDown first.
  std::unique_ptr<TKeyPreview> FKeyPreview;
};
