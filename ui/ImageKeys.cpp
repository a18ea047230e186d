// The keys of the image window: the clipboard keys, Del, and the editing
// keys that let a person make, select, move, reshape and reorder figures
// without the mouse.
#include <utility>

#include "document/ClipBoardUnit.h"
#include "document/Collection.h"
#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "ui/ImgUnit.h"
#include "ui/ViewControl.h"

namespace {

// A placed figure's box: its width and height in view pixels, whatever the
// zoom, so that it comes out the same size on the screen.
constexpr int kPlacedWidth = 120;
constexpr int kPlacedHeight = 80;
// Shift+arrows without snapping, image pixels.
constexpr int32_t kFarStep = 10;

// The step keys of a run of presses, told apart from those of the panel's
// controls by their address.
constexpr char kFigureRun = 'f';
constexpr char kPointRun = 'p';

// The points of a figure placed in Box, by the way its class is drawn.
void PlaceInBox(TBasicFigure& Figure, const TRect& Box) {
  const int32_t middleX = Box.Left + (Box.Right - Box.Left) / 2;
  const int32_t middleY = Box.Top + (Box.Bottom - Box.Top) / 2;
  switch (Figure.ClassType().Traits.Family) {
    case ffOpenLine:
      AsVertexList(&Figure)->AddPointXY(Box.Left, Box.Bottom);
      AsVertexList(&Figure)->AddPointXY(Box.Right, Box.Top);
      break;
    case ffPolygon:
      AsVertexList(&Figure)->AddPointXY(middleX, Box.Top);
      AsVertexList(&Figure)->AddPointXY(Box.Right, Box.Bottom);
      AsVertexList(&Figure)->AddPointXY(Box.Left, Box.Bottom);
      break;
    case ffTwoPoint:
      Figure.SetPoint(0, {Box.Left, Box.Top});
      Figure.SetPoint(1, {Box.Right, Box.Bottom});
      break;
    case ffFourPoint:
      // The rays after the box, which holds them: cut from the middle of
      // the right side to the middle of the top.
      Figure.SetPoint(0, {Box.Left, Box.Top});
      Figure.SetPoint(1, {Box.Right, Box.Bottom});
      Figure.SetPoint(2, {Box.Right, middleY});
      Figure.SetPoint(3, {middleX, Box.Top});
      break;
    case ffText: Figure.SetPoint(0, {Box.Left, Box.Top}); break;
    case ffOther: break;
  }
}

}  // namespace

void TfrmImage::FormKeyDown(int& Key, Qt::KeyboardModifiers Shift) {
  UpdateInBatch(FCollection, [&] {
    if (Key == Qt::Key_Delete) {
      Notify(FCollection != nullptr ? FCollection->Selected() : nullptr, faDeleteRequest);
      Key = 0;
      return;
    }
    if (EditKey(Key, Shift)) {
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
  });
}

bool TfrmImage::EditKey(int Key, Qt::KeyboardModifiers Shift) {
  if (FCollection == nullptr || Shift.testFlag(Qt::AltModifier)) return false;
  const bool ctrl = Shift.testFlag(Qt::ControlModifier);
  const bool shift = Shift.testFlag(Qt::ShiftModifier);
  if (Key == Qt::Key_Escape && FMode == emDraw) {
    EndDrawing();
    return true;
  }
  if (FMode != emSelect) return false;
  TBasicFigure* selected = FCollection->Selected();
  switch (Key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      // Without figures Tab moves the focus among the window's controls.
      if (FCollection->Count() == 0) return false;
      if (ctrl)
        StepKeyPoint(Key == Qt::Key_Backtab || shift);
      else
        SelectNeighbour(Key == Qt::Key_Backtab || shift);
      return true;
    case Qt::Key_Insert:
      if (ctrl || shift) return false;
      PlaceNewFigure();
      return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (ctrl || shift || selected == nullptr) return false;
      Notify(selected, Key == Qt::Key_PageUp ? faRaiseRequest : faLowerRequest);
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: return ArrowKey(Key, ctrl, shift);
    default: return false;
  }
}

bool TfrmImage::ArrowKey(int Key, bool KeyPoint, bool Far) {
  TBasicFigure* figure = FCollection->Selected();
  if (figure == nullptr || figure->PointsCount() == 0) return false;
  const int32_t step = !Far ? 1 : FGrid.Snap ? FGrid.Step : kFarStep;
  TPoint offset{0, 0};
  switch (Key) {
    case Qt::Key_Left: offset.x = -step; break;
    case Qt::Key_Right: offset.x = step; break;
    case Qt::Key_Up: offset.y = -step; break;
    default: offset.y = step; break;
  }
  EndStep();
  if (KeyPoint) {
    if (FKeyPoint >= figure->PointsCount()) FKeyPoint = 0;
    const TPoint from = figure->Points()[size_t(FKeyPoint)];
    int32_t x = SaturatedAdd(from.x, offset.x);
    int32_t y = SaturatedAdd(from.y, offset.y);
    ClampPoint(x, y);
    figure->SetPoint(FKeyPoint, {x, y});
    ShowKeyPoint(true);
  } else {
    figure->MoveBy(offset);
  }
  FStepOpen = true;
  FStepKey = {KeyPoint ? &kPointRun : &kFigureRun, FCollection->PositionOf(figure)};
  FCollection->UpdateRaster();
  EndStep();
  return true;
}

void TfrmImage::SelectNeighbour(bool Up) {
  const PFigureNode selected = FCollection->FindNode(FCollection->Selected());
  // The object list runs from the top of the drawing order down, round.
  PFigureNode next;
  if (selected == nullptr)
    next = Up ? FCollection->Head() : FCollection->Tail();
  else if (Up)
    next = selected->Next != nullptr ? selected->Next : FCollection->Head();
  else
    next = selected->Prev != nullptr ? selected->Prev : FCollection->Tail();
  if (next == nullptr) return;
  EndStep();
  SelectFigure(next->Figure);
  ShowKeyPoint(true);
}

void TfrmImage::StepKeyPoint(bool Back) {
  const TBasicFigure* figure = FCollection->Selected();
  if (figure == nullptr || figure->PointsCount() == 0) return;
  const int32_t count = figure->PointsCount();
  FKeyPoint = ((FKeyPoint + (Back ? -1 : 1)) % count + count) % count;
  ShowKeyPoint(true);
}

void TfrmImage::ShowKeyPoint(bool Shown) {
  const TBasicFigure* figure = FCollection != nullptr ? FCollection->Selected() : nullptr;
  Shown = Shown && figure != nullptr && FKeyPoint < figure->PointsCount();
  FKeyPointFigure = Shown ? figure : nullptr;
  imgDraw->SetActiveMarker(Shown ? FKeyPoint : -1);
  if (Shown) SetStatusText(2, tr("Точка %1 из %2").arg(FKeyPoint + 1).arg(figure->PointsCount()));
}

void TfrmImage::PlaceNewFigure() {
  if (FFigureClass == nullptr) return;
  EndStep();
  const TPoint centre = FView->ShownImageCentre();
  const TViewScale& scale = imgDraw->Scale();
  const int32_t halfWidth = std::max(scale.ToImage(kPlacedWidth / 2.0), 1);
  const int32_t halfHeight = std::max(scale.ToImage(kPlacedHeight / 2.0), 1);
  TRect box{centre.x - halfWidth, centre.y - halfHeight, centre.x + halfWidth, centre.y + halfHeight};
  ClampPoint(box.Left, box.Top);
  ClampPoint(box.Right, box.Bottom);
  TBasicFigure* figure = FCollection->Add(FFigureClass->Create(DrawingCanvas()));
  if (figure == nullptr) return;
  PlaceInBox(*figure, box);
  FKeyPoint = 0;
  FStepOpen = true;
  Notify(figure, faCreated);
  FCollection->UpdateRaster();
  EndStep();
  ShowKeyPoint(true);
}

void TfrmImage::EndDrawing() {
  Transit(eeRightRelease);
  FQuadStage = 0;
  StopSnapping();
  EndStep();
}

TBasicFigure* TfrmImage::AddPastedFigure(std::unique_ptr<TBasicFigure> Figure) {
  Figure->SetCanvas(FCollection->Canvas());
  EndStep();
  TBasicFigure* figure = FCollection->Add(std::move(Figure));
  if (figure == nullptr) return nullptr;
  Notify(figure, faPasted);
  FCollection->UpdateRaster();
  FStepOpen = true;
  EndStep();
  return figure;
}

void TfrmImage::PasteFigure() {
  try {
    std::unique_ptr<TBasicFigure> pasted;
    {
      TPictureAllowance room(FCollection->PictureRoom());
      pasted = PasteFigureFromClipboard();
    }
    if (!pasted) return;
    pasted->MoveBy(TPoint{-10, -10});
    AddPastedFigure(std::move(pasted));
  } catch (const EPicturesTooLarge&) {
    // A picture the image has no room for is refused with a message.
    throw;
  } catch (const EKrestaError&) {
    // Nothing usable on the clipboard: the paste does not happen.
  }
}
