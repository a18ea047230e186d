// The figure base and the four point-defined families. A figure is an ordered
// list of control points in image pixels with line attributes, drawn through
// the canvas it refers to; it reports changes to one listener and its
// destruction to another.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "canvas/Canvas.h"

class TStream;
class TBasicFigure;

using TDynPointsArray = std::vector<TPoint>;

// A listener bound to its receiver; receives the figure that sends.
using TFigureNotify = std::function<void(TBasicFigure* Sender)>;

// How the image window feeds a new figure its points.
enum TFigureFamily : uint8_t { ffOther, ffOpenLine, ffPolygon, ffTwoPoint, ffFourPoint, ffText };

// What a figure class is, answered once for every caller: its family and the
// parts its record holds beyond the line attributes. The typed views of
// RealFigures.h trust these flags, so each one must match the class.
struct TFigureTraits {
  TFigureFamily Family = ffOther;
  bool HasFill = false;     // a closed figure (TBinaryDimensionsFigure): brush colour and style
  bool HasText = false;     // TFigureText
  bool HasPicture = false;  // TFigureBitmap
  bool HasCorners = false;  // TFigureRoundRect
  bool HasVertexList() const { return Family == ffOpenLine || Family == ffPolygon; }
};

// Stands for a class reference with its virtual constructor: the class name,
// a function that creates a figure of that class on a canvas, and its traits.
struct TFigureClass {
  const char* ClassName;
  std::unique_ptr<TBasicFigure> (*Create)(TCanvas* ACanvas);
  TFigureTraits Traits;
};

// Lo gets the smaller of A and B, Hi the larger.
void MinMax(int32_t& Lo, int32_t& Hi, int32_t A, int32_t B);
// A + B, held at the limits of int32_t.
int32_t SaturatedAdd(int32_t A, int64_t B);

// Half-size of a control-point marker and the tolerance of FindPoint, pixels.
constexpr int32_t ControlPointRadius = 3;

// The markers of control points: the square of 2 Radius pixels a side from
// (x - Radius, y - Radius) on, inverted (drawn in XOR), so that drawing the
// same markers again restores every pixel.
void DrawControlPoints(TCanvas& Canvas, std::span<const TPoint> Points, int32_t Radius = ControlPointRadius);

class TBasicFigure {
 public:
  explicit TBasicFigure(TCanvas* ACanvas);
  // Calls OnDestroy, never Changed. The listener may use the figure's
  // identity only: the descendants' parts are gone by then.
  virtual ~TBasicFigure();
  TBasicFigure(const TBasicFigure&) = delete;
  TBasicFigure& operator=(const TBasicFigure&) = delete;

  virtual const TFigureClass& ClassType() const = 0;
  const char* ClassName() const { return ClassType().ClassName; }

  // ERangeError when Index is outside 0 .. PointsCount() - 1.
  virtual void GetPoint(int32_t Index, TPoint& P) const;
  TPoint Point(int32_t Index) const;
  // Stores P even when unchanged and notifies; ERangeError as GetPoint.
  virtual void SetPoint(int32_t Index, const TPoint& P);

  // Notifies the change listener, or while Updating (see TFigureUpdate) the
  // quiet one.
  virtual void Changed();
  // Never notifies.
  virtual void SetUpdating(bool Value);
  // Draws the figure on its own canvas, as DrawOn does; nothing without one.
  void Draw();
  // Draws the figure on Canvas, its own or any other (an export's): the same
  // calls either way. Here the frame alone: EAbort "Drawing impossible:
  // (not FVisible) or (FCanvas = nil)" when invisible, else the canvas pen
  // takes colour, mode, style and width. The concrete figures never throw
  // for that: a figure that cannot draw, or holds fewer points than its
  // primitive uses, draws nothing, so that one damaged figure cannot stop
  // the rest of the image from drawing.
  virtual void DrawOn(TCanvas& Canvas);
  // True when P hits the figure body.
  virtual bool IsPointInside(const TPoint& P) = 0;
  // The figure record; neither calls Changed.
  virtual void LoadFromStream(TStream& Stream);
  // The first control point within Radius pixels of P on both axes; sets
  // SelectedPointIndex (-1 when none). A view that zooms passes the
  // tolerance that keeps its size on the screen.
  virtual bool FindPoint(const TPoint& P, int32_t Radius = ControlPointRadius);
  // The box of the control points, right and bottom edges exclusive (all
  // zero without points): where a view looks for the figure.
  virtual TRect Bounds() const;
  // Translates every point; false (and silent) without points or for a zero
  // offset.
  virtual bool MoveBy(const TPoint& Offset);
  virtual void SetAngle(int16_t Value);
  virtual void SaveToStream(TStream& Stream) const;
  // The XOR markers of the control points (DrawControlPoints) on the
  // figure's canvas; drawing them twice restores the canvas.
  virtual void DrawPoints();
  virtual void SetCanvas(TCanvas* Value);
  virtual void SetPenColor(TColor Value);
  virtual void SetPenStyle(TPenStyle Value);
  virtual void SetPenWidth(int32_t Value);
  virtual void SetPenMode(TPenMode Value);
  // Moves the control point found near OldP (FindPoint with Radius) to
  // NewP; EAbort "Asked point not found" when there is none.
  virtual void MovePoint(const TPoint& OldP, const TPoint& NewP, int32_t Radius = ControlPointRadius);
  virtual void SetScale(int8_t Value);
  virtual void SetVisible(bool Value);

  int32_t PointsCount() const { return int32_t(FPoints.size()); }
  const TDynPointsArray& Points() const { return FPoints; }
  TColor PenColor() const { return FPenColor; }
  int32_t PenWidth() const { return FPenWidth; }
  TPenMode PenMode() const { return FPenMode; }
  int16_t Angle() const { return FAngle; }
  int8_t Scale() const { return FScale; }
  TPenStyle PenStyle() const { return FPenStyle; }
  TCanvas* Canvas() const { return FCanvas; }
  bool Visible() const { return FVisible; }
  bool Updating() const { return FUpdating; }
  int32_t SelectedPointIndex() const { return FSelectedPointIndex; }

  TFigureNotify OnChange;
  // Told instead of OnChange while the notices are held back (Updating): the
  // change is noted, and nothing may be redrawn for it yet.
  TFigureNotify OnQuietChange;
  TFigureNotify OnDestroy;
  // Told when a part of the record that shows nothing changed (the control
  // point or the vertex place a hit test found): the stored bytes differ,
  // the pixels do not.
  TFigureNotify OnRecordChange;

 protected:
  // The point-list operations are for descendants; the families with a
  // variable number of points make them public.
  virtual void AddPoint(const TPoint& P);
  virtual void AddPointXY(int32_t X, int32_t Y);
  // Index 0 .. PointsCount(); anything else changes nothing.
  virtual void InsertPoint(int32_t Index, const TPoint& P);
  virtual bool DeletePoint(int32_t Index);

  // The drawing frame without exceptions: false, with Canvas untouched,
  // when the figure is invisible; else Canvas takes the figure's pen (and,
  // for a closed figure, its brush). Concrete DrawOns start with it.
  virtual bool BeginDraw(TCanvas& Canvas);
  // Tells OnRecordChange.
  void RecordChanged();

  TDynPointsArray FPoints;
  TColor FPenColor = clBlack;
  int32_t FPenWidth = 0;
  TPenMode FPenMode = pmCopy;
  int16_t FAngle = 0;  // stored only
  int8_t FScale = 0;   // stored only
  TPenStyle FPenStyle = psSolid;
  TCanvas* FCanvas;
  bool FVisible = true;
  bool FUpdating = true;
  int32_t FSelectedPointIndex = -1;
};

// A closed figure: adds the fill.
class TBinaryDimensionsFigure : public TBasicFigure {
 public:
  explicit TBinaryDimensionsFigure(TCanvas* ACanvas) : TBasicFigure(ACanvas) {}

  // The fill frame: the drawing frame, then the canvas brush; EAbort as
  // TBasicFigure::DrawOn.
  void DrawOn(TCanvas& Canvas) override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;

  void SetBrushStyle(TBrushStyle Value);
  void SetBrushColor(TColor Value);
  TBrushStyle BrushStyle() const { return FBrushStyle; }
  TColor BrushColor() const { return FBrushColor; }

 protected:
  bool BeginDraw(TCanvas& Canvas) override;

  TBrushStyle FBrushStyle = bsSolid;
  TColor FBrushColor = clBlack;
};

// The vertex editing of the figures drawn one vertex per press (the open
// line and the polygon), shared by both: each of them is a TBasicFigure too,
// and these operations change its points and notify as the figure's own.
class TVertexList {
 public:
  virtual void AddPointXY(int32_t X, int32_t Y) = 0;
  // Index 0 .. PointsCount(); anything else changes nothing.
  virtual void InsertPoint(int32_t Index, const TPoint& P) = 0;
  // False, with nothing changed, for an index outside the points.
  virtual bool DeletePoint(int32_t Index) = 0;

  // Where a vertex goes, left by the last body hit test; -1 when none. Part
  // of the figure's record, showing nothing: a new value is told as a
  // record change, never as a change.
  int32_t InsertIndex() const { return FInsertIndex; }
  void SetInsertIndex(int32_t Value) {
    if (Value == FInsertIndex) return;
    FInsertIndex = Value;
    InsertIndexChanged();
  }

 protected:
  // Never destroyed through this interface: the figure owns it.
  ~TVertexList() = default;
  virtual void InsertIndexChanged() = 0;

  int32_t FInsertIndex = -1;
};

// The open line with an editable vertex list.
class TLine : public TBasicFigure, public TVertexList {
 public:
  explicit TLine(TCanvas* ACanvas) : TBasicFigure(ACanvas) {}

  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;

  using TBasicFigure::AddPoint;
  void AddPointXY(int32_t X, int32_t Y) override { TBasicFigure::AddPointXY(X, Y); }
  void InsertPoint(int32_t Index, const TPoint& P) override { TBasicFigure::InsertPoint(Index, P); }
  bool DeletePoint(int32_t Index) override { return TBasicFigure::DeletePoint(Index); }

 protected:
  void InsertIndexChanged() override { RecordChanged(); }
};

// A closed figure spanned by two opposite corners, points 0 and 1, kept in
// the order drawn.
class TBinCoordsFigure : public TBinaryDimensionsFigure {
 public:
  explicit TBinCoordsFigure(TCanvas* ACanvas);

  // Inside the corner rectangle, right and bottom edges excluded; a figure
  // read with fewer than two points has no inside.
  bool IsPointInside(const TPoint& P) override;
};

// Two corners of an ellipse's frame (points 0 and 1) and the start and end
// radial points of its arc (points 2 and 3).
class TQuadCoordsFigure : public TBinaryDimensionsFigure {
 public:
  explicit TQuadCoordsFigure(TCanvas* ACanvas);

  // A new radial point is clamped into the corner rectangle.
  void SetPoint(int32_t Index, const TPoint& P) override;
  bool IsPointInside(const TPoint& P) override;
};

// Holds a figure's change notices back for the guard's lifetime: Updating is
// true inside, and the value it had before comes back at the end without a
// notice, so that several edits end in one redraw of the caller's choosing.
// Guards nest. The figure must outlive the guard.
class TFigureUpdate {
 public:
  explicit TFigureUpdate(TBasicFigure& Figure) : FFigure(Figure), FWasUpdating(Figure.Updating()) {
    FFigure.SetUpdating(true);
  }
  ~TFigureUpdate() { FFigure.SetUpdating(FWasUpdating); }
  TFigureUpdate(const TFigureUpdate&) = delete;
  TFigureUpdate& operator=(const TFigureUpdate&) = delete;

 private:
  TBasicFigure& FFigure;
  bool FWasUpdating;
};
