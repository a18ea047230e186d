#include "ui/ViewControl.h"

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QSignalBlocker>
#include <QSlider>
#include <QWidget>

#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/ImageSurface.h"
#include "ui/ViewScale.h"

namespace {

// One notch of a wheel, in eighths of a degree.
constexpr int NotchAngle = 120;
// How far a notch scrolls, view pixels.
constexpr int NotchScroll = 48;

// The nearest integer, a value exactly halfway going to the even one,
// independent of the floating-point rounding mode.
int32_t RoundHalfEven(double Value) {
  const double below = std::floor(Value);
  const double fraction = Value - below;
  double result = below;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) result += 1.0;
  return int32_t(result);
}

// A track bar's range for a surface extent: tenths of the bar's length.
int32_t ScrollRange(int SurfaceExtent, int BarLength) {
  if (BarLength <= 0) return 0;
  return RoundHalfEven(10.0 * SurfaceExtent / BarLength);
}

// The surface's shift for a track bar position, pixels (positive: the image
// moves left or up).
int32_t ScrollShift(int Position, int BarLength) { return RoundHalfEven(Position / 10.0 * BarLength); }

int BarLength(const QSlider& Bar) { return Bar.orientation() == Qt::Horizontal ? Bar.width() : Bar.height(); }

// Places the bar's position where the scroll is, without telling anyone.
void ShowScroll(QSlider& Bar, int Scroll) {
  const int length = BarLength(Bar);
  if (length <= 0) return;
  const QSignalBlocker quiet(Bar);
  Bar.setValue(std::clamp(RoundHalfEven(10.0 * Scroll / length), Bar.minimum(), Bar.maximum()));
}

// The track bar's far end, view pixels.
int FarEnd(const QSlider& Bar) { return std::max(ScrollShift(Bar.maximum(), BarLength(Bar)), 0); }

// The image position, in image pixels and their fractions, at view
// position V.
double ImagePosition(const TViewScale& Scale, double V) { return V * Scale.Zoom().Den / Scale.Zoom().Num; }
double ViewPosition(const TViewScale& Scale, double X) { return X * Scale.Zoom().Num / Scale.Zoom().Den; }

// Ctrl with a key of the numeric keypad.
QKeySequence KeypadKey(Qt::Key Key) { return QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Key); }

QAction* AddCommand(QWidget& Window, const QString& Caption, const QString& Hint, const QList<QKeySequence>& Keys) {
  auto* action = new QAction(Caption, &Window);
  SetHint(action, Hint);
  action->setShortcuts(Keys);
  action->setShortcutContext(Qt::ApplicationShortcut);
  Window.addAction(action);
  return action;
}

}  // namespace

TViewControl::TViewControl(QWidget& Window, TImageSurface& Surface, QWidget& Viewport, QSlider& Horizontal,
                           QSlider& Vertical, TClickablePicture& LevelPanel)
    : QObject(&Window),
      FSurface(Surface),
      FViewport(Viewport),
      FHorizontal(Horizontal),
      FVertical(Vertical),
      FLevelPanel(LevelPanel) {
  CreateActions(Window);
  SetHint(&FLevelPanel, tr("Масштаб изображения. Щелчок открывает список масштабов"));
  FLevelPanel.OnClick = [this] { FMenu->popup(FLevelPanel.mapToGlobal(QPoint(0, -FMenu->sizeHint().height()))); };
  ShowLevel();
}

TViewControl::~TViewControl() = default;

void TViewControl::CreateActions(QWidget& Window) {
  FZoomIn = AddCommand(Window, tr("Увеличить"), tr("Увеличить изображение на один шаг масштаба"),
                       {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal),
                        KeypadKey(Qt::Key_Plus)});
  FZoomOut = AddCommand(Window, tr("Уменьшить"), tr("Уменьшить изображение на один шаг масштаба"),
                        {QKeySequence(Qt::CTRL | Qt::Key_Minus),
                         KeypadKey(Qt::Key_Minus)});
  FActualSize = AddCommand(Window, tr("Реальный размер"), tr("Показать изображение в масштабе 100 %"),
                           {QKeySequence(Qt::CTRL | Qt::Key_0), KeypadKey(Qt::Key_0)});
  FFitImage = AddCommand(Window, tr("Целиком в окне"), tr("Наибольший масштаб, при котором изображение видно целиком"),
                         {QKeySequence(Qt::CTRL | Qt::Key_9)});
  FFitSelection = AddCommand(Window, tr("Выделенная фигура"),
                             tr("Наибольший масштаб, при котором выделенная фигура видна целиком"),
                             {QKeySequence(Qt::CTRL | Qt::Key_8)});
  connect(FZoomIn, &QAction::triggered, this, [this] { ReportFailures([this] { ZoomIn(); }); });
  connect(FZoomOut, &QAction::triggered, this, [this] { ReportFailures([this] { ZoomOut(); }); });
  connect(FActualSize, &QAction::triggered, this, [this] { ReportFailures([this] { ZoomTo(ActualSizeLevel); }); });
  connect(FFitImage, &QAction::triggered, this, [this] { ReportFailures([this] { FitImage(); }); });
  connect(FFitSelection, &QAction::triggered, this, [this] { ReportFailures([this] { FitSelection(); }); });

  FMenu = new QMenu(&Window);
  FMenu->setAccessibleName(tr("Масштаб"));
  FLevels = new QActionGroup(this);
  for (int level = 0; level <= LastZoomLevel; ++level) {
    QAction* item = FMenu->addAction(ZoomText(level));
    item->setCheckable(true);
    FLevels->addAction(item);
    connect(item, &QAction::triggered, this,
            [this, level] { ReportFailures([this, level] { ZoomTo(level); }); });
  }
  FMenu->addSeparator();
  FMenu->addActions({FZoomIn, FZoomOut, FFitImage, FFitSelection});
}

int TViewControl::Level() const { return FSurface.Scale().Level(); }

void TViewControl::ShowLevel() {
  FLevelPanel.setText(ZoomText(Level()));
  FLevelPanel.setAccessibleName(tr("Масштаб %1").arg(FLevelPanel.text()));
  FLevels->actions().at(Level())->setChecked(true);
  FZoomIn->setEnabled(Level() < LastZoomLevel);
  FZoomOut->setEnabled(Level() > 0);
}

QPointF TViewControl::ShownCentre() const {
  const QRect shown = QRect(FSurface.pos(), FSurface.size()).intersected(FViewport.rect());
  const QRectF area = shown.isEmpty() ? QRectF(FViewport.rect()) : QRectF(shown);
  return area.center();
}

TPoint TViewControl::ShownImageCentre() const {
  const QPointF onSurface = ShownCentre() - QPointF(FSurface.pos());
  return {FSurface.Scale().ToImage(onSurface.x()), FSurface.Scale().ToImage(onSurface.y())};
}

QPoint TViewControl::FillingLimit() const {
  return {std::max(FSurface.width() - FViewport.width(), 0), std::max(FSurface.height() - FViewport.height(), 0)};
}

void TViewControl::Reset() {
  FSurface.SetZoomLevel(ActualSizeLevel);
  SetTrackBarRanges();
  ScrollTo({0, 0});
  ShowLevel();
}

void TViewControl::ShowAt(int Level, QPointF Image, QPointF At, bool Fill) {
  FSurface.SetZoomLevel(Level);
  SetTrackBarRanges();
  const TViewScale& scale = FSurface.Scale();
  QPoint scroll(int(std::lround(ViewPosition(scale, Image.x()) - At.x())),
                int(std::lround(ViewPosition(scale, Image.y()) - At.y())));
  if (Fill) {
    const QPoint limit = FillingLimit();
    scroll = {std::min(scroll.x(), limit.x()), std::min(scroll.y(), limit.y())};
  }
  ScrollTo(scroll);
  ShowLevel();
}

void TViewControl::ZoomAt(int Level, QPointF Anchor) {
  const QPointF view = Anchor + QPointF(Scroll());
  const QPointF image(ImagePosition(FSurface.Scale(), view.x()), ImagePosition(FSurface.Scale(), view.y()));
  ShowAt(Level, image, Anchor, false);
}

void TViewControl::ZoomTo(int Level) {
  const QPointF centre = ShownCentre();
  const QPointF view = centre + QPointF(Scroll());
  const QPointF image(ImagePosition(FSurface.Scale(), view.x()), ImagePosition(FSurface.Scale(), view.y()));
  ShowAt(Level, image, centre, true);
}

void TViewControl::ZoomIn() { ZoomTo(std::min(Level() + 1, LastZoomLevel)); }

void TViewControl::ZoomOut() { ZoomTo(std::max(Level() - 1, 0)); }

void TViewControl::FitImage() {
  const QSize image(FSurface.ImageWidth(), FSurface.ImageHeight());
  ShowAt(FittingLevel(image, FViewport.size()), {0, 0}, {0, 0}, true);
}

void TViewControl::FitSelection() {
  const std::optional<TRect> box = SelectedBox ? SelectedBox() : std::nullopt;
  if (!box) return;
  const QSize extent(int(std::clamp<int64_t>(int64_t(box->Right) - box->Left, 1, INT32_MAX)),
                     int(std::clamp<int64_t>(int64_t(box->Bottom) - box->Top, 1, INT32_MAX)));
  const QPointF middle(box->Left + extent.width() / 2.0, box->Top + extent.height() / 2.0);
  ShowAt(FittingLevel(extent, FViewport.size()), middle, QRectF(FViewport.rect()).center(), true);
}

QPoint TViewControl::Scroll() const { return -FSurface.pos(); }

void TViewControl::ScrollTo(QPoint Scroll) {
  const QPoint clamped(std::clamp(Scroll.x(), 0, FarEnd(FHorizontal)), std::clamp(Scroll.y(), 0, FarEnd(FVertical)));
  FSurface.move(-clamped);
  ShowScroll(FHorizontal, clamped.x());
  ShowScroll(FVertical, clamped.y());
}

void TViewControl::FollowTrackBar(Qt::Orientation Orientation) {
  if (Orientation == Qt::Horizontal)
    FSurface.move(-ScrollShift(FHorizontal.value(), FHorizontal.width()), FSurface.y());
  else
    FSurface.move(FSurface.x(), -ScrollShift(FVertical.value(), FVertical.height()));
}

void TViewControl::SetTrackBarRanges() {
  FHorizontal.setMaximum(ScrollRange(FSurface.width(), FHorizontal.width()));
  FVertical.setMaximum(ScrollRange(FSurface.height(), FVertical.height()));
}

void TViewControl::Wheel(QPoint AngleDelta, QPoint PixelDelta, Qt::KeyboardModifiers Keys, QPointF Position) {
  const int angle = AngleDelta.y() != 0 ? AngleDelta.y() : AngleDelta.x();
  if (Keys.testFlag(Qt::ControlModifier)) {
    FWheelAngle += angle;
    const int notches = FWheelAngle / NotchAngle;
    if (notches == 0) return;
    FWheelAngle -= notches * NotchAngle;
    ZoomAt(std::clamp(Level() + notches, 0, LastZoomLevel), Position + QPointF(FSurface.pos()));
    return;
  }
  const int pixels = PixelDelta.y() != 0 ? PixelDelta.y() : PixelDelta.x();
  const int distance = pixels != 0 ? pixels : angle * NotchScroll / NotchAngle;
  const QPoint scroll = Scroll();
  // Turned away from the user (positive), the wheel shows what lies above
  // or to the left.
  if (Keys.testFlag(Qt::ShiftModifier))
    ScrollTo({scroll.x() - distance, scroll.y()});
  else
    ScrollTo({scroll.x(), scroll.y() - distance});
}
