#include "ui/ImgUnit.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QCursor>
#include <QFont>
#include <QFrame>
#include <QMessageBox>
#include <QMoveEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QSlider>
#include <QStatusBar>

#include "document/ClipBoardUnit.h"
#include "document/Collection.h"
#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "ui/Application.h"
#include "ui/Icons.h"
#include "ui/KeyPreview.h"
#include "ui/ViewControl.h"

namespace {

// Client area at design time, which is also the smallest allowed.
constexpr int FormClientWidth = 700;
constexpr int FormClientHeight = 516;
constexpr int StatusBarHeight = 20;
constexpr int TopStripHeight = 35;  // pnTop; also the width of imgSpacer and tbVert

const QColor ViewportColor(0, 128, 128);  // teal

// A step on a figure whose vertices the user adds one press at a time;
// Vertices is that figure's vertex list. A drag moves the last vertex.
void FeedVertices(TBasicFigure& Figure, TVertexList& Vertices, const TPoint& P, TFigureStep Step) {
  switch (Step) {
    case stDrag: Figure.SetPoint(Figure.PointsCount() - 1, P); break;
    case stPress: Vertices.AddPointXY(P.x, P.y); break;
    case stDeletePoint: Vertices.DeletePoint(Figure.SelectedPointIndex()); break;
    case stInsertPoint: Vertices.InsertPoint(Vertices.InsertIndex(), P); break;
    case stRelease: break;
  }
}

// The figure's control point nearest to P.
TPoint NearestPoint(const TBasicFigure& Figure, const TPoint& P) {
  TPoint nearest = P;
  int64_t best = INT64_MAX;
  for (const TPoint& point : Figure.Points()) {
    const int64_t dx = int64_t(point.x) - P.x;
    const int64_t dy = int64_t(point.y) - P.y;
    if (dx * dx + dy * dy < best) {
      best = dx * dx + dy * dy;
      nearest = point;
    }
  }
  return nearest;
}

}  // namespace

// --------------------------------------------------------------------
// TfrmImage

TfrmImage::TfrmImage() : QWidget(nullptr, Qt::Window) {
  setWindowTitle(tr("Новый"));
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
  FKeyPreview =
      std::make_unique<TKeyPreview>(*this, [this](int& Key, Qt::KeyboardModifiers Shift) { FormKeyDown(Key, Shift); });
}

TfrmImage::~TfrmImage() {
  FKeyPreview.reset();
  RestoreScreenCursor();
}

void TfrmImage::CreateControls() {
  sbStatus = new QStatusBar(this);
  sbStatus->setObjectName(QStringLiteral("sbStatus"));
  sbStatus->setSizeGripEnabled(false);
  const int widths[5] = {50, 50, 150, 150, 50};
  for (int i = 0; i < 5; ++i) {
    QLabel* panel = i == 4 ? new TClickablePicture(sbStatus) : new QLabel(sbStatus);
    panel->setFixedWidth(widths[i]);
    panel->setFrameStyle(QFrame::Panel | (i < 2 ? QFrame::Raised : QFrame::Sunken));
    panel->setTextFormat(Qt::PlainText);
    panel->setIndent(2);
    sbStatus->addWidget(panel);
    FPanels[i] = panel;
  }
  FPanels[2]->setText(tr("Пусто"));

  pnMain = new QWidget(this);
  pnMain->setObjectName(QStringLiteral("pnMain"));
  pnTop = new QWidget(pnMain);
  pnTop->setObjectName(QStringLiteral("pnTop"));

  imgSpacer = new TClickablePicture(pnTop);
  imgSpacer->setObjectName(QStringLiteral("imgSpacer"));
  imgSpacer->setPixmap(ProgramLogo(TopStripHeight, imgSpacer->devicePixelRatioF()));
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
  // The keys edit the figures shown there, so the focus starts there and a
  // click brings it back.
  imgDraw->setFocusPolicy(Qt::StrongFocus);
  imgDraw->setFocus();
  imgDraw->OnMouseDown = [this](Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    imgDrawMouseDown(Button, Shift, X, Y);
  };
  imgDraw->OnMouseMove = [this](TShiftState Shift, int32_t X, int32_t Y) { imgDrawMouseMove(Shift, X, Y); };
  imgDraw->OnMouseUp = [this](Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    imgDrawMouseUp(Button, Shift, X, Y);
  };

  imgDraw->OnWheel = [this](QPoint AngleDelta, QPoint PixelDelta, Qt::KeyboardModifiers Keys, QPointF Position) {
    FView->Wheel(AngleDelta, PixelDelta, Keys, Position);
  };

  FView = new TViewControl(*this, *imgDraw, *pnDraw, *tbHoriz, *tbVert, *static_cast<TClickablePicture*>(FPanels[4]));
  FView->SelectedBox = [this]() -> std::optional<TRect> {
    const TBasicFigure* selected = FCollection != nullptr ? FCollection->Selected() : nullptr;
    if (selected == nullptr) return std::nullopt;
    return selected->Bounds();
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
  SetCollection(Collection);
  if (FCollection == nullptr) return;
  PrepareSurface(FCollection->ImageRect());
  SetMode(emSelect);
  FCollection->SetCanvas(DrawingCanvas());
}

void TfrmImage::SetCollection(TFiguresCollection* Collection) {
  FCollection = Collection;
  if (FCollection == nullptr) return;
  // The collection may outlive the window, and a window may be given
  // another collection while the first lives on (or after it is gone): only
  // the collection the live window shows marks its view.
  FCollection->OnMarkersChanged = [window = QPointer<TfrmImage>(this), Collection](std::span<const TPoint> Points) {
    if (window != nullptr && window->FCollection == Collection) window->ShowMarkers(Points);
  };
}

void TfrmImage::ShowMarkers(std::span<const TPoint> Points) {
  imgDraw->SetMarkedPoints(Points);
  // The key point's frame belongs to the figure the keys chose it on.
  if (FCollection->Selected() != FKeyPointFigure) imgDraw->SetActiveMarker(-1);
}

void TfrmImage::PrepareSurface(const TRect& ImageRect) {
  imgDraw->SetImageSize(ImageRect.Right, ImageRect.Bottom);
  FView->Reset();
}

void TfrmImage::closeEvent(QCloseEvent* Event) {
  bool mayClose = OnClose == nullptr;
  ReportFailures([&] {
    if (OnClose) mayClose = OnClose();
  });
  if (mayClose)
    Event->accept();
  else
    Event->ignore();
}

void TfrmImage::moveEvent(QMoveEvent* Event) {
  QWidget::moveEvent(Event);
  ReportFailures([this] {
    if (OnMoved) OnMoved();
  });
}

TCanvas* TfrmImage::DrawingCanvas() const { return imgDraw->Canvas(); }

void TfrmImage::ShowImage() { imgDraw->update(); }

void TfrmImage::ClampPoint(int32_t& X, int32_t& Y) const {
  const int32_t w = imgDraw->ImageWidth();
  const int32_t h = imgDraw->ImageHeight();
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

void TfrmImage::Transit(TEditEvent Event) {
  const TEditMode next = NextMode(FMode, Event);
  if (next != FMode) SetMode(next);
}

void TfrmImage::SetScreenCursor(TEditMode Mode) {
  const std::optional<Qt::CursorShape> shape = ModeCursor(Mode);
  if (!shape) {
    RestoreScreenCursor();
    return;
  }
  // One entry of ours on the override stack at most: changed in place.
  if (FCursorPushed) {
    QApplication::changeOverrideCursor(QCursor(*shape));
  } else {
    QApplication::setOverrideCursor(QCursor(*shape));
    FCursorPushed = true;
  }
}

void TfrmImage::RestoreScreenCursor() {
  if (!FCursorPushed) return;
  QApplication::restoreOverrideCursor();
  FCursorPushed = false;
}

void TfrmImage::SetStatusText(int Panel, const QString& Text) { FPanels[Panel]->setText(Text); }

void TfrmImage::SelectFigure(TBasicFigure* Figure) {
  FCollection->SetSelected(Figure);
  FKeyPoint = 0;
  Notify(Figure, faSelected);
}

void TfrmImage::Notify(TBasicFigure* Figure, TFigureAction Action) {
  if (OnFigureAction) OnFigureAction(this, Figure, Action);
}

void TfrmImage::UpdateFigure(int32_t X, int32_t Y, TFigureStep Step) {
  try {
    TBasicFigure* figure = FCollection != nullptr ? FCollection->Selected() : nullptr;
    if (figure == nullptr) throw EAbort("FFigure = nil");
    const TPoint p{X, Y};
    if (FMode == emResize) {
      figure->MovePoint(FDownPoint, p, imgDraw->Scale().HitRadius());
      FDownPoint = p;
    } else {
      switch (figure->ClassType().Traits.Family) {
        case ffOpenLine:
        case ffPolygon: FeedVertices(*figure, *AsVertexList(figure), p, Step); break;
        case ffTwoPoint:
          if (FMode == emDraw) {
            figure->SetPoint(0, FDownPoint);
            figure->SetPoint(1, p);
          }
          if (Step == stRelease) Transit(eeFigureFinished);
          break;
        case ffFourPoint:
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
                Transit(eeFigureFinished);
              } else {
                ++FQuadStage;
              }
            }
          }
          break;
        case ffText:
          figure->SetPoint(0, p);
          if (Step == stRelease) Transit(eeFigureFinished);
          break;
        case ffOther: break;
      }
    }
    FStepOpen = true;
    FCollection->UpdateRaster();
  } catch (const EKrestaError&) {
    // A step that cannot be applied is dropped as a whole, without a word.
  }
}

void TfrmImage::imgDrawMouseDown(Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  UpdateInBatch(FCollection, [&] {
    if (Button != Qt::LeftButton) return;
    ClampPoint(X, Y);
    const TPoint p{X, Y};
    FDownPoint = p;
    if (FCollection == nullptr) return;

    if (FMode == emSelect) {
      ShowKeyPoint(false);
      const int32_t radius = imgDraw->Scale().HitRadius();
      TBasicFigure* figure = FCollection->FigureAt(p, radius);
      if (figure != nullptr) {
        FCollection->SetSelected(figure);
        FLastPoint = p;
        const bool onControlPoint = figure->FindPoint(FLastPoint, radius);
        const bool shift = Shift.Keys.testFlag(Qt::ShiftModifier);
        if (onControlPoint && !shift) {
          FKeyPoint = figure->SelectedPointIndex();
          Transit(eePressOnControlPoint);
          StartSnapping(figure);
        } else if (onControlPoint) {
          UpdateFigure(X, Y, stDeletePoint);
          Transit(eeVertexDeleted);
        } else if (!shift) {
          Transit(eePressOnBody);
          StartSnapping(figure);
          FAnchor = NearestPoint(*figure, p);
          FGrabOffset = {FAnchor.x - p.x, FAnchor.y - p.y};
        } else {
          UpdateFigure(X, Y, stInsertPoint);
          Transit(eeVertexInserted);
        }
        Notify(FCollection->Selected(), faSelected);
      } else {
        Transit(eePressOnEmpty);
        if (FFigureClass == nullptr) return;
        StartSnapping(nullptr);
        FDownPoint = Snapped(p, Shift.Keys);
        std::unique_ptr<TBasicFigure> created = FFigureClass->Create(DrawingCanvas());
        Transit(eeFigureStarted);
        TBasicFigure* newFigure = FCollection->Add(std::move(created));
        if (newFigure == nullptr) return;
        FStepOpen = true;
        FKeyPoint = 0;
        UpdateFigure(FDownPoint.x, FDownPoint.y, stPress);
        Notify(newFigure, faCreated);
      }
    } else if (FMode == emDraw) {
      FDownPoint = Snapped(p, Shift.Keys);
      UpdateFigure(FDownPoint.x, FDownPoint.y, stPress);
    }
    if (FMode == emSelect) {
      StopSnapping();
      EndStep();
    }
  });
}

void TfrmImage::imgDrawMouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  UpdateInBatch(FCollection, [&] {
    ClampPoint(X, Y);
    const TPoint p{X, Y};
    SetStatusText(0, QStringLiteral("X = ") + QString::number(X));
    SetStatusText(1, QStringLiteral("Y = ") + QString::number(Y));
    if (FCollection == nullptr) return;

    if (Shift.Buttons.testFlag(Qt::LeftButton)) {
      switch (FMode) {
        case emDraw: UpdateFigureSnapped(p, Shift.Keys, stDrag); break;
        case emMove: DragFigure(p, Shift.Keys); break;
        case emResize:
          FLastPoint = p;
          UpdateFigureSnapped(p, Shift.Keys, stDrag);
          break;
        case emSelect: break;
      }
    } else if (!(Shift.Buttons & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)) && FMode == emSelect) {
      const TBasicFigure* figure = FCollection->FigureAt(p, imgDraw->Scale().HitRadius());
      SetStatusText(2, figure != nullptr ? tr("Фигура: ") + QString::fromLatin1(figure->ClassName()) : tr("Пусто"));
    }
  });
}

void TfrmImage::UpdateFigureSnapped(const TPoint& P, Qt::KeyboardModifiers Keys, TFigureStep Step) {
  const TPoint snapped = Snapped(P, Keys);
  UpdateFigure(snapped.x, snapped.y, Step);
}

void TfrmImage::DragFigure(const TPoint& P, Qt::KeyboardModifiers Keys) {
  // Entered only right after a press selected a figure; a selection lost
  // since then moves nothing.
  const TPoint anchor = Snapped({SaturatedAdd(P.x, FGrabOffset.x), SaturatedAdd(P.y, FGrabOffset.y)}, Keys);
  if (TBasicFigure* selected = FCollection->Selected()) {
    selected->MoveBy(TPoint{anchor.x - FAnchor.x, anchor.y - FAnchor.y});
    FStepOpen = true;
  }
  FAnchor = anchor;
  FLastPoint = P;
  FCollection->UpdateRaster();
}

void TfrmImage::imgDrawMouseUp(Qt::MouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  UpdateInBatch(FCollection, [&] {
    RestoreScreenCursor();
    ClampPoint(X, Y);
    if (Button == Qt::LeftButton) {
      if (FMode == emDraw) UpdateFigureSnapped({X, Y}, Shift.Keys, stRelease);
      Transit(eeLeftRelease);
    } else if (Button == Qt::RightButton) {
      Transit(eeRightRelease);
      FQuadStage = 0;
    }
    imgDraw->SetGuides({});
    if (FMode == emSelect) {
      StopSnapping();
      EndStep();
    }
  });
}

void TfrmImage::SetGrid(const TGridSettings& Grid) {
  FGrid = Grid;
  imgDraw->SetGridStep(Grid.Visible ? Grid.Step : 0);
}

void TfrmImage::StartSnapping(const TBasicFigure* Moving) {
  if (FGrid.Snap && FCollection != nullptr) FSnapTargets.emplace(*FCollection, Moving, FGrid.Step);
}

void TfrmImage::StopSnapping() {
  FSnapTargets.reset();
  imgDraw->SetGuides({});
}

TPoint TfrmImage::Snapped(const TPoint& P, Qt::KeyboardModifiers Keys) {
  if (!FSnapTargets || !FGrid.Snap || Keys.testFlag(Qt::AltModifier)) {
    imgDraw->SetGuides({});
    return P;
  }
  const TZoomLevel zoom = imgDraw->Scale().Zoom();
  TSnapResult snapped = FSnapTargets->Snap(P, SnapDistance * zoom.Den / zoom.Num);
  ClampPoint(snapped.Point.x, snapped.Point.y);
  imgDraw->SetGuides(snapped.Guides);
  return snapped.Point;
}

void TfrmImage::EndStep() {
  if (std::exchange(FStepOpen, false)) Notify(FCollection != nullptr ? FCollection->Selected() : nullptr, faStepDone);
  FStepKey = {};
}

void TfrmImage::tbHorizChange() { FView->FollowTrackBar(Qt::Horizontal); }

void TfrmImage::tbVertChange() { FView->FollowTrackBar(Qt::Vertical); }

void TfrmImage::FormResize() { FView->SetTrackBarRanges(); }

QString TfrmImage::QuickHelpText() {
  QString text =
      tr("Левая кнопка мыши + Shift - удалить/добавить точку\n"
         "Правая кнопка мыши - закончить рисование\n"
         "Del - удалить выделенную фигуру\n"
         "Ctrl + C - скопировать фигуру в буфер обмена\n"
         "Ctrl + X - вырезать фигуру\n"
         "Ctrl + V - вставить фигуру\n");
  // Stored with a carriage return after each line.
  text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
  return text;
}

void TfrmImage::imgSpacerClick() {
  // A label breaks lines at line feeds only: each stored carriage return
  // becomes one, and the last one would only add an empty line.
  QString shown = QuickHelpText();
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
  QMessageBox box(QMessageBox::Information, tr("Краткая справка"), shown, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  box.exec();
}
