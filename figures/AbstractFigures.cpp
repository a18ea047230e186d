#include "figures/AbstractFigures.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "figures/Exceptions.h"
#include "figures/Streams.h"

namespace {

// Coordinates wrap like the 32-bit registers the stored values come from,
// instead of overflowing.
int32_t WrapAdd(int32_t A, int32_t B) { return int32_t(uint32_t(A) + uint32_t(B)); }

// Canvas lock held for the lifetime of the guard.
class TCanvasLock {
 public:
  explicit TCanvasLock(TCanvas& Canvas) : FCanvas(Canvas) { FCanvas.Lock(); }
  ~TCanvasLock() { FCanvas.Unlock(); }
  TCanvasLock(const TCanvasLock&) = delete;
  TCanvasLock& operator=(const TCanvasLock&) = delete;

 private:
  TCanvas& FCanvas;
};

// A record may hold fewer points than the family uses; such a figure has no
// inside, so that hovering over it cannot fail at every pointer step.
bool IsInsideCorners(const TDynPointsArray& Points, const TPoint& P) {
  if (Points.size() < 2) return false;
  int32_t left, right, top, bottom;
  MinMax(left, right, Points[0].x, Points[1].x);
  MinMax(top, bottom, Points[0].y, Points[1].y);
  return left <= P.x && P.x < right && top <= P.y && P.y < bottom;
}

}  // namespace

int32_t SaturatedAdd(int32_t A, int64_t B) {
  return int32_t(std::clamp<int64_t>(A + B, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

void MinMax(int32_t& Lo, int32_t& Hi, int32_t A, int32_t B) {
  if (B > A) {
    Lo = A;
    Hi = B;
  } else {
    Lo = B;
    Hi = A;
  }
}

// ---------------------------------------------------------------- TBasicFigure

TBasicFigure::TBasicFigure(TCanvas* ACanvas) : FCanvas(ACanvas) {}

TBasicFigure::~TBasicFigure() {
  // A listener's failure (a redraw without canvas, say) cannot leave a
  // destructor; the figure goes all the same.
  if (OnDestroy) try {
      OnDestroy(this);
    } catch (...) {
    }
}

void TBasicFigure::GetPoint(int32_t Index, TPoint& P) const {
  if (Index < 0 || Index >= PointsCount()) throw ERangeError();
  P = FPoints[size_t(Index)];
}

TPoint TBasicFigure::Point(int32_t Index) const {
  TPoint p;
  GetPoint(Index, p);
  return p;
}

void TBasicFigure::SetPoint(int32_t Index, const TPoint& P) {
  if (Index < 0 || Index >= PointsCount()) throw ERangeError();
  FPoints[size_t(Index)] = P;
  Changed();
}

void TBasicFigure::AddPoint(const TPoint& P) {
  FPoints.push_back(P);
  Changed();
}

void TBasicFigure::AddPointXY(int32_t X, int32_t Y) { AddPoint(TPoint{X, Y}); }

void TBasicFigure::InsertPoint(int32_t Index, const TPoint& P) {
  if (Index < 0 || Index > PointsCount()) return;
  FPoints.insert(FPoints.begin() + Index, P);
  Changed();
}

bool TBasicFigure::DeletePoint(int32_t Index) {
  if (Index < 0 || Index >= PointsCount()) return false;
  FPoints.erase(FPoints.begin() + Index);
  Changed();
  return true;
}

void TBasicFigure::Changed() {
  if (!FUpdating) {
    if (OnChange) OnChange(this);
  } else if (OnQuietChange) {
    OnQuietChange(this);
  }
}

void TBasicFigure::SetUpdating(bool Value) { FUpdating = Value; }

namespace {

[[noreturn]] void DrawingImpossible() { throw EAbort("Drawing impossible: (not FVisible) or (FCanvas = nil)"); }

}  // namespace

bool TBasicFigure::BeginDraw(TCanvas& Canvas) {
  if (!FVisible) return false;
  Canvas.Pen.Color = FPenColor;
  Canvas.Pen.Mode = FPenMode;
  Canvas.Pen.Style = FPenStyle;
  Canvas.Pen.Width = FPenWidth;
  return true;
}

void TBasicFigure::Draw() {
  if (FCanvas != nullptr) DrawOn(*FCanvas);
}

// The frame of this class alone, called without virtual dispatch: a closed
// figure's TBasicFigure::DrawOn() sets its pen and not its brush.
void TBasicFigure::DrawOn(TCanvas& Canvas) {
  if (!TBasicFigure::BeginDraw(Canvas)) DrawingImpossible();
}

bool TBasicFigure::FindPoint(const TPoint& P, int32_t Radius) {
  int32_t found = -1;
  for (int32_t i = 0; i < PointsCount() && found < 0; ++i) {
    const TPoint& c = FPoints[size_t(i)];
    if (std::llabs(int64_t(P.x) - c.x) <= Radius && std::llabs(int64_t(P.y) - c.y) <= Radius) found = i;
  }
  if (found != FSelectedPointIndex) {
    FSelectedPointIndex = found;
    RecordChanged();
  }
  return found >= 0;
}

void TBasicFigure::RecordChanged() {
  if (OnRecordChange) OnRecordChange(this);
}

TRect TBasicFigure::Bounds() const {
  if (FPoints.empty()) return {};
  TRect box{FPoints[0].x, FPoints[0].y, FPoints[0].x, FPoints[0].y};
  for (const TPoint& p : FPoints) {
    box.Left = std::min(box.Left, p.x);
    box.Top = std::min(box.Top, p.y);
    box.Right = std::max(box.Right, p.x);
    box.Bottom = std::max(box.Bottom, p.y);
  }
  box.Right = SaturatedAdd(box.Right, 1);
  box.Bottom = SaturatedAdd(box.Bottom, 1);
  return box;
}

bool TBasicFigure::MoveBy(const TPoint& Offset) {
  if (FPoints.empty() || Offset == TPoint{0, 0}) return false;
  for (TPoint& p : FPoints) {
    p.x = WrapAdd(p.x, Offset.x);
    p.y = WrapAdd(p.y, Offset.y);
  }
  Changed();
  return true;
}

void TBasicFigure::MovePoint(const TPoint& OldP, const TPoint& NewP, int32_t Radius) {
  if (!FindPoint(OldP, Radius)) throw EAbort("Asked point not found");
  SetPoint(FSelectedPointIndex, NewP);
}

void DrawControlPoints(TCanvas& Canvas, std::span<const TPoint> Points, int32_t Radius) {
  TCanvasLock lock(Canvas);
  Canvas.Brush.Color = clWhite;
  Canvas.Brush.Style = bsSolid;
  Canvas.Pen.Color = clWhite;
  Canvas.Pen.Mode = pmXor;
  Canvas.Pen.Style = psSolid;
  Canvas.Pen.Width = 1;
  for (const TPoint& p : Points)
    Canvas.Rectangle(WrapAdd(p.x, -Radius), WrapAdd(p.y, -Radius), WrapAdd(p.x, Radius), WrapAdd(p.y, Radius));
}

void TBasicFigure::DrawPoints() {
  if (FCanvas != nullptr) DrawControlPoints(*FCanvas, FPoints);
}

// The attribute setters compare first and notify only on a real change.
template <typename T>
static bool Assign(T& Field, const T& Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}

void TBasicFigure::SetAngle(int16_t Value) {
  if (Assign(FAngle, Value)) Changed();
}

void TBasicFigure::SetScale(int8_t Value) {
  if (Assign(FScale, Value)) Changed();
}

void TBasicFigure::SetCanvas(TCanvas* Value) {
  if (Assign(FCanvas, Value)) Changed();
}

void TBasicFigure::SetPenColor(TColor Value) {
  if (Assign(FPenColor, Value)) Changed();
}

void TBasicFigure::SetPenStyle(TPenStyle Value) {
  if (Assign(FPenStyle, Value)) Changed();
}

void TBasicFigure::SetPenWidth(int32_t Value) {
  if (Assign(FPenWidth, Value)) Changed();
}

void TBasicFigure::SetPenMode(TPenMode Value) {
  if (Assign(FPenMode, Value)) Changed();
}

void TBasicFigure::SetVisible(bool Value) {
  if (Assign(FVisible, Value)) Changed();
}

void TBasicFigure::SaveToStream(TStream& Stream) const {
  Stream.WriteInt32(PointsCount());
  for (const TPoint& p : FPoints) {
    Stream.WriteInt32(p.x);
    Stream.WriteInt32(p.y);
  }
  Stream.WriteUInt32(FPenColor);
  Stream.WriteInt32(FPenWidth);
  Stream.WriteUInt8(FPenMode);
  Stream.WriteInt16(FAngle);
  Stream.WriteInt8(FScale);
  Stream.WriteUInt8(FPenStyle);
  Stream.WriteBoolean(FVisible);
  Stream.WriteBoolean(FUpdating);
  Stream.WriteInt32(FSelectedPointIndex);
}

void TBasicFigure::LoadFromStream(TStream& Stream) {
  const int32_t count = Stream.ReadInt32();
  // A count the remaining bytes cannot back is refused before allocating.
  if (count < 0 || int64_t(count) * 8 > Stream.Remaining()) throw EReadError();
  TDynPointsArray points(static_cast<size_t>(count));
  for (TPoint& p : points) {
    p.x = Stream.ReadInt32();
    p.y = Stream.ReadInt32();
  }
  FPoints = std::move(points);
  FPenColor = Stream.ReadUInt32();
  FPenWidth = Stream.ReadInt32();
  FPenMode = TPenMode(Stream.ReadUInt8());
  FAngle = Stream.ReadInt16();
  FScale = Stream.ReadInt8();
  FPenStyle = TPenStyle(Stream.ReadUInt8());
  FVisible = Stream.ReadBoolean();
  FUpdating = Stream.ReadBoolean();
  FSelectedPointIndex = Stream.ReadInt32();
}

// ------------------------------------------------------ TBinaryDimensionsFigure

bool TBinaryDimensionsFigure::BeginDraw(TCanvas& Canvas) {
  if (!TBasicFigure::BeginDraw(Canvas)) return false;
  Canvas.Brush.Color = FBrushColor;
  Canvas.Brush.Style = FBrushStyle;
  return true;
}

void TBinaryDimensionsFigure::DrawOn(TCanvas& Canvas) {
  if (!TBinaryDimensionsFigure::BeginDraw(Canvas)) DrawingImpossible();
}

void TBinaryDimensionsFigure::SetBrushStyle(TBrushStyle Value) {
  if (Assign(FBrushStyle, Value)) Changed();
}

void TBinaryDimensionsFigure::SetBrushColor(TColor Value) {
  if (Assign(FBrushColor, Value)) Changed();
}

void TBinaryDimensionsFigure::SaveToStream(TStream& Stream) const {
  TBasicFigure::SaveToStream(Stream);
  Stream.WriteUInt8(FBrushStyle);
  Stream.WriteUInt32(FBrushColor);
}

void TBinaryDimensionsFigure::LoadFromStream(TStream& Stream) {
  TBasicFigure::LoadFromStream(Stream);
  FBrushStyle = TBrushStyle(Stream.ReadUInt8());
  FBrushColor = Stream.ReadUInt32();
}

// ------------------------------------------------------------------------ TLine

void TLine::SaveToStream(TStream& Stream) const {
  TBasicFigure::SaveToStream(Stream);
  Stream.WriteInt32(FInsertIndex);
}

void TLine::LoadFromStream(TStream& Stream) {
  TBasicFigure::LoadFromStream(Stream);
  FInsertIndex = Stream.ReadInt32();
}

// ------------------------------------------------------------- TBinCoordsFigure

TBinCoordsFigure::TBinCoordsFigure(TCanvas* ACanvas) : TBinaryDimensionsFigure(ACanvas) {
  AddPointXY(0, 0);
  AddPointXY(0, 0);
}

bool TBinCoordsFigure::IsPointInside(const TPoint& P) { return IsInsideCorners(FPoints, P); }

// ------------------------------------------------------------ TQuadCoordsFigure

TQuadCoordsFigure::TQuadCoordsFigure(TCanvas* ACanvas) : TBinaryDimensionsFigure(ACanvas) {
  for (int i = 0; i < 4; ++i) AddPointXY(0, 0);
}

void TQuadCoordsFigure::SetPoint(int32_t Index, const TPoint& P) {
  if (Index != 2 && Index != 3) {
    TBinaryDimensionsFigure::SetPoint(Index, P);
    return;
  }
  int32_t left, right, top, bottom;
  MinMax(left, right, Point(0).x, Point(1).x);
  MinMax(top, bottom, Point(0).y, Point(1).y);
  TPoint clamped = P;
  if (clamped.x < left) clamped.x = left;
  if (clamped.x > right) clamped.x = right;
  if (clamped.y < top) clamped.y = top;
  if (clamped.y > bottom) clamped.y = bottom;
  TBinaryDimensionsFigure::SetPoint(Index, clamped);
}

bool TQuadCoordsFigure::IsPointInside(const TPoint& P) { return IsInsideCorners(FPoints, P); }
