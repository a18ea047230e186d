#include "ui/ImgUnit.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include <QApplication>
#include <QColor>
#include <QCursor>
#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSlider>
#include <QStatusBar>
#include <QWindow>

#include "canvas/RasterCanvas.h"
#include "document/ClipBoardUnit.h"
#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "ui/Application.h"

namespace {

// Client area at design time, which is also the smallest allowed.
constexpr int FormClientWidth = 700;
constexpr int FormClientHeight = 516;
constexpr int StatusBarHeight = 20;
constexpr int TopStripHeight = 35;  // pnTop; also the width of imgSpacer and tbVert

const QColor ViewportColor(0, 128, 128);  // teal

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

QString ModeText(TEditMode Mode) {
  switch (Mode) {
    case emSelect: return QStringLiteral("Режим: Выбор фигуры");
    case emDraw: return QStringLiteral("Режим: Рисование");
    case emMove: return QStringLiteral("Режим: Перемещение");
    case emResize: return QStringLiteral("Режим: Изменение размеров");
  }
  return {};
}

// The small logo of imgSpacer: a few figures on a sheet, drawn once.
QPixmap SpacerLogo() {
  QPixmap logo(TopStripHeight, TopStripHeight);
  logo.fill(Qt::transparent);
  QPainter painter(&logo);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0, 96, 96), 1.5));
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(2.5, 2.5, 30, 30), 4, 4);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(QColor(166, 202, 240));
  painter.drawRect(QRectF(7.5, 7.5, 13, 11));
  painter.setBrush(QColor(240, 160, 40));
  painter.drawEllipse(QRectF(14.5, 13.5, 14, 13));
  painter.setPen(QPen(QColor(0, 128, 128), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(QPolygonF({QPointF(7, 28), QPointF(12, 21), QPointF(17, 27), QPointF(27, 8)}));
  return logo;
}

QPoint ImagePoint(const QMouseEvent* Event) {
  const QPointF p = Event->position();
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

TShiftState ShiftOf(const QMouseEvent* Event) { return {Event->modifiers(), Event->buttons()}; }

// The figures whose vertices the user adds one press at a time.
template <typename TVertexFigure>
void FeedVertices(TVertexFigure& Figure, const TPoint& P, TFigureStep Step) {
  switch (Step) {
    case stDrag: Figure.SetPoint(Figure.PointsCount() - 1, P); break;
    case stPress: Figure.AddPointXY(P.x, P.y); break;
    case stDeletePoint: Figure.DeletePoint(Figure.SelectedPointIndex()); break;
    case stInsertPoint: Figure.InsertPoint(Figure.InsertIndex(), P); break;
    case stRelease: break;
  }
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

// -------------------------------------------------------------------- TfrmImage

TfrmImage::TfrmImage() : QWidget(nullptr, Qt::Window) {
  setWindowTitle(QStringLiteral("Новый"));
  // The frame cannot snap to the screen edges: the toolkit offers no such
  // behaviour, the window manager decides.
  setMinimumSize(FormClientWidth, FormClientHeight);
  // The small dialog font, narrow enough for the status panels' texts
  // ("Y = 2000" in 50 pixels, the longest mode text in 150).
  QFont small = font();
  small.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  small.setPointSizeF(7.5);
  setFont(small);
  CreateControls();
  resize(FormClientWidth, FormClientHeight);
  ArrangeControls();
  QCoreApplication::instance()->installEventFilter(this);
}

TfrmImage::~TfrmImage() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
  RestoreScreenCursor();
}

void TfrmImage::CreateControls() {
  sbStatus = new QStatusBar(this);
  sbStatus->setObjectName(QStringLiteral("sbStatus"));
  sbStatus->setSizeGripEnabled(false);
  const int widths[5] = {50, 50, 150, 150, 50};
  for (int i = 0; i < 5; ++i) {
    QLabel* panel = new QLabel(sbStatus);
    panel->setFixedWidth(widths[i]);
    panel->setFrameStyle(QFrame::Panel | (i < 2 ? QFrame::Raised : QFrame::Sunken));
    panel->setTextFormat(Qt::PlainText);
    panel->setIndent(2);
    sbStatus->addWidget(panel);
    FPanels[i] = panel;
  }
  FPanels[2]->setText(QStringLiteral("Пусто"));

  pnMain = new QWidget(this);
  pnMain->setObjectName(QStringLiteral("pnMain"));
  pnTop = new QWidget(pnMain);
  pnTop->setObjectName(QStringLiteral("pnTop"));

  imgSpacer = new TClickablePicture(pnTop);
  imgSpacer->setObjectName(QStringLiteral("imgSpacer"));
  imgSpacer->setPixmap(SpacerLogo());
  imgSpacer->setCursor(Qt::PointingHandCursor);
  imgSpacer->OnClick = [this] { imgSpacerClick(); };

  tbHoriz = new QSlider(Qt::Horizontal, pnTop);
  tbHoriz->setObjectName(QStringLiteral("tbHoriz"));
  tbHoriz->setRange(0, 0);
  tbHoriz->setPageStep(2);
  tbHoriz->setTickPosition(QSlider::TicksBelow);
  tbHoriz->setTickInterval(1);

  // The minimum at the top, as the image's top edge.
  tbVert = new QSlider(Qt::Vertical, pnMain);
  tbVert->setObjectName(QStringLiteral("tbVert"));
  tbVert->setRange(0, 0);
  tbVert->setPageStep(2);
  tbVert->setInvertedAppearance(true);
  tbVert->setInvertedControls(true);
  tbVert->setTickPosition(QSlider::TicksRight);
  tbVert->setTickInterval(1);

  pnDraw = new QFrame(pnMain);
  pnDraw->setObjectName(QStringLiteral("pnDraw"));
  pnDraw->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  pnDraw->setLineWidth(2);
  QPalette palette = pnDraw->palette();
  palette.setColor(QPalette::Window, ViewportColor);
  pnDraw->setPalette(palette);
  pnDraw->setAutoFillBackground(true);

  imgDraw = new TImageSurface(pnDraw);
  imgDraw->setObjectName(QStringLiteral("imgDraw"));
  imgDraw->move(0, 0);
  imgDraw->OnMouseDown = [this](Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    imgDrawMouseDown(Button, Shift, X, Y);
  };
  imgDraw->OnMouseMove = [this](TShiftState Shift, int32_t X, int32_t Y) { imgDrawMouseMove(Shift, X, Y); };
  imgDraw->OnMouseUp = [this](Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    imgDrawMouseUp(Button, Shift, X, Y);
  };

  connect(tbHoriz, &QSlider::valueChanged, this, [this] { ReportFailures([this] { tbHorizChange(); }); });
  connect(tbVert, &QSlider::valueChanged, this, [this] { ReportFailures([this] { tbVertChange(); }); });
}

// Geometry set by hand, so that the track bars have their lengths as soon
// as the window's size changes, shown or not.
void TfrmImage::ArrangeControls() {
  const int w = width();
  const int mainHeight = std::max(height() - StatusBarHeight, 0);
  sbStatus->setGeometry(0, mainHeight, w, StatusBarHeight);
  pnMain->setGeometry(0, 0, w, mainHeight);
  pnTop->setGeometry(0, 0, w, TopStripHeight);
  imgSpacer->setGeometry(0, 0, TopStripHeight, TopStripHeight);
  tbHoriz->setGeometry(TopStripHeight, 0, std::max(w - TopStripHeight, 0), TopStripHeight);
  const int lowerHeight = std::max(mainHeight - TopStripHeight, 0);
  tbVert->setGeometry(0, TopStripHeight, TopStripHeight, lowerHeight);
  pnDraw->setGeometry(TopStripHeight, TopStripHeight, std::max(w - TopStripHeight, 0), lowerHeight);
}

void TfrmImage::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  ArrangeControls();
  ReportFailures([this] { FormResize(); });
}

void TfrmImage::SetImage(TFiguresCollection* Collection) {
  FCollection = Collection;
  if (FCollection == nullptr) return;
  const TRect& rect = FCollection->ImageRect();
  imgDraw->SetImageSize(rect.Right, rect.Bottom);
  tbHoriz->setValue(0);
  tbVert->setValue(0);
  imgDraw->move(0, 0);
  FormResize();
  SetMode(emSelect);
  FCollection->SetCanvas(DrawingCanvas());
}

TCanvas* TfrmImage::DrawingCanvas() const { return imgDraw->Canvas(); }

void TfrmImage::ShowImage() { imgDraw->update(); }

void TfrmImage::ClampPoint(int32_t& X, int32_t& Y) const {
  const int32_t w = imgDraw->width();
  const int32_t h = imgDraw->height();
  if (X > w)
    X = w;
  else if (X < 0)
    X = 0;
  if (Y > h)
    Y = h;
  else if (Y < 0)
    Y = 0;
}

void TfrmImage::SetMode(TEditMode Mode) {
  FMode = Mode;
  SetStatusText(3, ModeText(Mode));
  SetScreenCursor(Mode);
}

void TfrmImage::SetScreenCursor(TEditMode Mode) {
  Qt::CursorShape shape;
  switch (Mode) {
    case emDraw: shape = Qt::CrossCursor; break;
    case emMove: shape = Qt::DragMoveCursor; break;
    case emResize: shape = Qt::SizeAllCursor; break;
    default: RestoreScreenCursor(); return;
  }
  // One entry of ours on the override stack at most: changed in place.
  if (FCursorPushed) {
    QApplication::changeOverrideCursor(QCursor(shape));
  } else {
    QApplication::setOverrideCursor(QCursor(shape));
    FCursorPushed = true;
  }
}

void TfrmImage::RestoreScreenCursor() {
  if (!FCursorPushed) return;
  QApplication::restoreOverrideCursor();
  FCursorPushed = false;
}

void TfrmImage::SetStatusText(int Panel, const QString& Text) { FPanels[Panel]->setText(Text); }

void TfrmImage::Notify(TBasicFigure* Figure, TFigureAction Action) {
  if (OnFigureAction) OnFigureAction(this, Figure, Action);
}

void TfrmImage::UpdateFigure(int32_t X, int32_t Y, TFigureStep Step) {
  try {
    TBasicFigure* figure = FCollection != nullptr ? FCollection->Selected() : nullptr;
    if (figure == nullptr) throw EAbort("FFigure = nil");
    const TPoint p{X, Y};
    if (FMode == emResize) {
      figure->MovePoint(FDownPoint, p);
      FDownPoint = p;
    } else if (auto* line = dynamic_cast<TLine*>(figure)) {
      FeedVertices(*line, p, Step);
    } else if (auto* polygon = dynamic_cast<TFigurePolygon*>(figure)) {
      FeedVertices(*polygon, p, Step);
    } else if (dynamic_cast<TBinCoordsFigure*>(figure) != nullptr) {
      if (FMode == emDraw) {
        figure->SetPoint(0, FDownPoint);
        figure->SetPoint(1, p);
      }
      if (Step == stRelease) SetMode(emSelect);
    } else if (dynamic_cast<TQuadCoordsFigure*>(figure) != nullptr) {
      if (FMode == emDraw) {
        switch (FQuadStage) {
          case 0:
            figure->SetPoint(0, FDownPoint);
            figure->SetPoint(1, p);
            break;
          case 1: figure->SetPoint(2, p); break;
          case 2: figure->SetPoint(3, p); break;
        }
        if (Step == stRelease) {
          if (FQuadStage >= 2) {
            FQuadStage = 0;
            SetMode(emSelect);
          } else {
            ++FQuadStage;
          }
        }
      }
    } else if (dynamic_cast<TFigureText*>(figure) != nullptr) {
      figure->SetPoint(0, p);
      if (Step == stRelease) SetMode(emSelect);
    }
    FCollection->Redraw();
  } catch (const std::exception&) {
    // A step that cannot be applied is dropped as a whole, without a word.
  }
}

void TfrmImage::imgDrawMouseDown(Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (Button != Qt::LeftButton) return;
  ClampPoint(X, Y);
  const TPoint p{X, Y};
  FDownPoint = p;
  if (FCollection == nullptr) return;

  if (FMode == emSelect) {
    TBasicFigure* figure = FCollection->FigureAt(p);
    if (figure != nullptr) {
      FCollection->SetSelected(figure);
      FLastPoint = p;
      const bool onControlPoint = figure->FindPoint(FLastPoint);
      const bool shift = Shift.Keys.testFlag(Qt::ShiftModifier);
      if (onControlPoint && !shift) {
        SetMode(emResize);
      } else if (onControlPoint) {
        UpdateFigure(X, Y, stDeletePoint);
        SetMode(emSelect);
      } else if (!shift) {
        SetMode(emMove);
      } else {
        UpdateFigure(X, Y, stInsertPoint);
        SetMode(emResize);
      }
      Notify(FCollection->Selected(), faSelected);
    } else {
      SetMode(emSelect);
      if (FFigureClass == nullptr) return;
      std::unique_ptr<TBasicFigure> created = FFigureClass->Create(DrawingCanvas());
      SetMode(emDraw);
      TBasicFigure* newFigure = created.get();
      if (!FCollection->Add(newFigure)) return;
      created.release();  // owned by the collection from here on
      UpdateFigure(X, Y, stPress);
      Notify(newFigure, faCreated);
    }
  } else if (FMode == emDraw) {
    UpdateFigure(X, Y, stPress);
  }
}

void TfrmImage::imgDrawMouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  ClampPoint(X, Y);
  const TPoint p{X, Y};
  SetStatusText(0, QStringLiteral("X = ") + QString::number(X));
  SetStatusText(1, QStringLiteral("Y = ") + QString::number(Y));
  if (FCollection == nullptr) return;

  if (Shift.Buttons.testFlag(Qt::LeftButton)) {
    switch (FMode) {
      case emDraw: UpdateFigure(X, Y, stDrag); break;
      case emMove:
        // Entered only right after a press selected a figure; a selection
        // lost since then moves nothing.
        if (TBasicFigure* selected = FCollection->Selected())
          selected->MoveBy(TPoint{p.x - FLastPoint.x, p.y - FLastPoint.y});
        FLastPoint = p;
        FCollection->Redraw();
        break;
      case emResize:
        FLastPoint = p;
        UpdateFigure(X, Y, stDrag);
        break;
      case emSelect: break;
    }
  } else if (!(Shift.Buttons & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)) && FMode == emSelect) {
    const TBasicFigure* figure = FCollection->FigureAt(p);
    SetStatusText(2, figure != nullptr ? QStringLiteral("Фигура: ") + QString::fromLatin1(figure->ClassName())
                                       : QStringLiteral("Пусто"));
  }
}

void TfrmImage::imgDrawMouseUp(Qt::MouseButton Button, TShiftState, int32_t X, int32_t Y) {
  RestoreScreenCursor();
  ClampPoint(X, Y);
  if (Button == Qt::LeftButton) {
    if (FMode == emMove || FMode == emResize)
      SetMode(emSelect);
    else if (FMode == emDraw)
      UpdateFigure(X, Y, stRelease);
  } else if (Button == Qt::RightButton) {
    SetMode(emSelect);
    FQuadStage = 0;
  }
}

void TfrmImage::FormKeyDown(int& Key, Qt::KeyboardModifiers Shift) {
  if (Key == Qt::Key_Delete) {
    Notify(FCollection != nullptr ? FCollection->Selected() : nullptr, faDeleteRequest);
    Key = 0;
    return;
  }
  if (!Shift.testFlag(Qt::ControlModifier)) return;
  TBasicFigure* selected = FCollection != nullptr ? FCollection->Selected() : nullptr;
  switch (Key) {
    case Qt::Key_V:
      if (FCollection != nullptr) PasteFigure();
      break;
    case Qt::Key_C:
      if (selected != nullptr) CopyFigureToClipboard(*selected);
      break;
    case Qt::Key_X:
      if (selected != nullptr) CopyFigureToClipboard(*selected);
      Notify(selected, faDeleteRequest);
      Key = 0;
      break;
    default: break;
  }
}

void TfrmImage::PasteFigure() {
  try {
    std::unique_ptr<TBasicFigure> pasted = PasteFigureFromClipboard();
    if (!pasted) return;
    pasted->SetCanvas(FCollection->Canvas());
    pasted->MoveBy(TPoint{-10, -10});
    TBasicFigure* figure = pasted.get();
    if (!FCollection->Add(figure)) return;
    pasted.release();  // owned by the collection from here on
    Notify(figure, faPasted);
    FCollection->Redraw();
  } catch (const std::exception&) {
    // Nothing usable on the clipboard: the paste does not happen.
  }
}

void TfrmImage::tbHorizChange() { imgDraw->move(-ScrollShift(tbHoriz->value(), tbHoriz->width()), imgDraw->y()); }

void TfrmImage::tbVertChange() { imgDraw->move(imgDraw->x(), -ScrollShift(tbVert->value(), tbVert->height())); }

void TfrmImage::FormResize() {
  tbHoriz->setMaximum(ScrollRange(imgDraw->width(), tbHoriz->width()));
  tbVert->setMaximum(ScrollRange(imgDraw->height(), tbVert->height()));
}

QString TfrmImage::QuickHelpText() {
  return QStringLiteral(
      "Левая кнопка мыши + Shift - удалить/добавить точку\r"
      "Правая кнопка мыши - закончить рисование\r"
      "Del - удалить выделенную фигуру\r"
      "Ctrl + C - скопировать фигуру в буфер обмена\r"
      "Ctrl + X - вырезать фигуру\r"
      "Ctrl + V - вставить фигуру\r");
}

void TfrmImage::imgSpacerClick() {
  // A label breaks lines at line feeds only: each stored carriage return
  // becomes one, and the last one would only add an empty line.
  QString shown = QuickHelpText();
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
  QMessageBox box(QMessageBox::Information, QStringLiteral("Краткая справка"), shown, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  box.exec();
}

// ------------------------------------------------------------- key preview

bool TfrmImage::BelongsToWindow(QObject* Object) const {
  if (Object->isWidgetType()) return static_cast<QWidget*>(Object)->window() == this;
  return Object == windowHandle() && Object != nullptr;
}

bool TfrmImage::IsSameKeyDelivery(QObject* Watched, const QEvent* Event) const {
  if (Event != FKeyEvent || Event->type() != FKeyEventType || FKeyWatcher.isNull()) return false;
  if (!Watched->isWidgetType()) return false;
  // The platform window hands its key events on to its widgets; a widget
  // that ignores one passes it on to its parent.
  if (!FKeyWatcher->isWidgetType()) return true;
  return static_cast<QWidget*>(Watched)->isAncestorOf(static_cast<QWidget*>(FKeyWatcher.data()));
}

namespace {

// The clipboard keys are the keys that carry C, X and V in the Latin layout,
// whatever layout is active: under the standard Russian layout the same keys
// report the Cyrillic letters С, Ч and М.
int LayoutIndependentKey(int Key) {
  switch (Key) {
    case 0x0421: return Qt::Key_C;  // С
    case 0x0427: return Qt::Key_X;  // Ч
    case 0x041C: return Qt::Key_V;  // М
    default: return Key;
  }
}

}  // namespace

bool TfrmImage::PreviewKey(QKeyEvent* Event) {
  int key = LayoutIndependentKey(Event->key());
  ReportFailures([&] { FormKeyDown(key, Event->modifiers()); });
  return key == 0;
}

// Every key pressed in the window is seen here first: the shortcut override
// that precedes each press goes to the window before any shortcut can take
// the key, and the press itself before the control with the focus. A key
// consumed at the override is accepted there (no shortcut fires) and its
// press is swallowed.
bool TfrmImage::eventFilter(QObject* Watched, QEvent* Event) {
  const QEvent::Type type = Event->type();
  if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  if (!BelongsToWindow(Watched)) return false;
  if (type == QEvent::KeyRelease) {
    FHasPreviewedKey = false;
    FKeyEvent = nullptr;
    return false;
  }
  if (IsSameKeyDelivery(Watched, Event)) {
    FKeyWatcher = Watched;
    return false;
  }

  auto* keyEvent = static_cast<QKeyEvent*>(Event);
  FKeyEvent = Event;
  FKeyEventType = type;
  FKeyWatcher = Watched;
  bool consumed;
  if (type == QEvent::KeyPress && FHasPreviewedKey && FPreviewedKey.Key == keyEvent->key() &&
      FPreviewedKey.Modifiers == keyEvent->modifiers()) {
    consumed = FPreviewedKey.Consumed;
    FHasPreviewedKey = false;
  } else {
    consumed = PreviewKey(keyEvent);
    FHasPreviewedKey = type == QEvent::ShortcutOverride;
    FPreviewedKey = {keyEvent->key(), keyEvent->modifiers(), consumed};
  }
  if (!consumed) return false;
  Event->accept();
  return true;
}
