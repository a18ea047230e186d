// The nine concrete figure classes: seven shapes drawn with one canvas
// primitive each, the text figure and the picture figure.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "figures/AbstractFigures.h"
#include "figures/BitmapPicture.h"

class TFigurePolyLine : public TLine {
 public:
  static const TFigureClass Class;
  const TFigureClass& ClassType() const override { return Class; }
  explicit TFigurePolyLine(TCanvas* ACanvas) : TLine(ACanvas) {}
  void DrawOn(TCanvas& Canvas) override;
  // True on the first segment whose detour through P is within
  // (pen width + 1) * 0.05 pixels; leaves the segment's end index in
  // InsertIndex (-1 on a miss).
  bool IsPointInside(const TPoint& P) override;
};

class TFigureRectangle : public TBinCoordsFigure {
 public:
  static const TFigureClass Class;
  const TFigureClass& ClassType() const override { return Class; }
  explicit TFigureRectangle(TCanvas* ACanvas) : TBinCoordsFigure(ACanvas) {}
  void DrawOn(TCanvas& Canvas) override;
};

class TFigurePolygon : public TBinaryDimensionsFigure, public TVertexList {
 public:
  static const TFigureClass Class;
  const TFigureClass& ClassType() const override { return Class; }
  explicit TFigurePolygon(TCanvas* ACanvas) : TBinaryDimensionsFigure(ACanvas) {}
  void DrawOn(TCanvas& Canvas) override;
  // Crossing count on the horizontal line through P, even-odd on both
  // sides. Leaves the end index of the last straddling edge in InsertIndex
  // (not reset on a miss). A polygon without points is never hit.
  bool IsPointInside(const TPoint& P) override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;

  using TBasicFigure::AddPoint;
  void AddPointXY(int32_t X, int32_t Y) override { TBasicFigure::AddPointXY(X, Y); }
  void InsertPoint(int32_t Index, const TPoint& P) override { TBasicFigure::InsertPoint(Index, P); }
  bool DeletePoint(int32_t Index) override { return TBasicFigure::DeletePoint(Index); }

 protected:
  void InsertIndexChanged() override { RecordChanged(); }
};

class TFigureRoundRect : public TBinCoordsFigure {
 public:
  static const TFigureClass Class;
  const TFigureClass& ClassType() const override { return Class; }
  explicit TFigureRoundRect(TCanvas* ACanvas) : TBinCoordsFigure(ACanvas) {}
  void DrawOn(TCanvas& Canvas) override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;

  // Width (x) and height (y) of the ellipse that rounds each corner, pixels.
  TPoint Corners() const { return FCorners; }
  // Notifies even when unchanged.
  void SetCorners(const TPoint& P);

 protected:
  TPoint FCorners{10, 10};
};

class TFigureEllipse : public TBinCoordsFigure {
 public:
  static const TFigureClass Class;
  const TFigureClass& ClassType() const override { return Class; }
  explicit TFigureEllipse(TCanvas* ACanvas) : TBinCoordsFigure(ACanvas) {}
  void DrawOn(TCanvas& Canvas) override;
};

class TFigureChord : public TQuadCoordsFigure {
 public:
  static const TFigureClass Class;
  const TFigureClass& ClassType() const override { return Class; }
  explicit TFigureChord(TCanvas* ACanvas) : TQuadCoordsFigure(ACanvas) {}
  void DrawOn(TCanvas& Canvas) override;
};

class TFigurePie : public TQuadCoordsFigure {
 public:
  static const TFigureClass Class;
  const TFigureClass& ClassType() const override { return Class; }
  explicit TFigurePie(TCanvas* ACanvas) : TQuadCoordsFigure(ACanvas) {}
  void DrawOn(TCanvas& Canvas) override;
};

// One line of text anchored by its top-left corner (point 0), drawn in its
// own font inside a box with the figure's pen and fill. The text is held as
// Windows-1251 bytes.
class TFigureText : public TBinaryDimensionsFigure {
 public:
  static const TFigureClass Class;
  const TFigureClass& ClassType() const override { return Class; }
  explicit TFigureText(TCanvas* ACanvas);
  void DrawOn(TCanvas& Canvas) override;
  // The text box measured in the font the canvas holds now, widened by the
  // pen width on every side. A text figure without canvas or anchor is never
  // hit.
  bool IsPointInside(const TPoint& P) override;
  // The text box as the hit test measures it, the anchor included.
  TRect Bounds() const override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;

  // The owned font itself, to be changed in place; notifies every time.
  virtual TFont& GetFont();
  // Copies every attribute of Value, then notifies.
  virtual void SetFont(const TFont& Value);
  const TFont& Font() const { return FFont; }

  const std::string& GetText() const { return FText; }
  // Notifies even when unchanged.
  void SetText(const std::string& Value);

 protected:
  std::string FText;
  TFont FFont;
};

// A framed, filled rectangle between its two corners with a picture stretched
// into it, inset by the pen width.
class TFigureBitmap : public TBinCoordsFigure {
 public:
  static const TFigureClass Class;
  const TFigureClass& ClassType() const override { return Class; }
  explicit TFigureBitmap(TCanvas* ACanvas) : TBinCoordsFigure(ACanvas) {}
  void DrawOn(TCanvas& Canvas) override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) const override;

  // Moves point 1 so that the frame fits the picture and the pen.
  void FitToPicture();
  void LoadPictureFromFile(const std::string& FileName);
  void SavePictureToFile(const std::string& FileName) const;
  void LoadPictureFromStream(TStream& Stream);
  void SavePictureToStream(TStream& Stream) const;
  void ClearPicture();
  bool PictureEmpty() const { return FBitmap.Empty(); }
  bool PictureModified() const { return FBitmap.Modified(); }
  bool GetTransparent() const { return FBitmap.Transparent(); }
  // Notifies even when unchanged.
  void SetTransparent(bool Value);
  const TBitmapPicture& Picture() const { return FBitmap; }

 protected:
  TBitmapPicture FBitmap;
};

// The registry of the nine concrete classes, in registration order:
// polyline, rectangle, polygon, rounded rectangle, ellipse, pie, chord, text,
// picture. Readers re-create figures through it by the stored class name.
std::span<const TFigureClass* const> RegisteredFigureClasses();
// ASCII letters compared without regard to case; none when not registered.
const TFigureClass* FindFigureClass(std::string_view ClassName);

// Typed views of a figure, decided by its class traits: the figure itself as
// the part asked for, or none for none and for a figure whose class lacks
// that part.
TBinaryDimensionsFigure* AsFilled(TBasicFigure* Figure);
const TBinaryDimensionsFigure* AsFilled(const TBasicFigure* Figure);
TVertexList* AsVertexList(TBasicFigure* Figure);
const TVertexList* AsVertexList(const TBasicFigure* Figure);
TFigureRoundRect* AsRoundRect(TBasicFigure* Figure);
const TFigureRoundRect* AsRoundRect(const TBasicFigure* Figure);
TFigureText* AsText(TBasicFigure* Figure);
const TFigureText* AsText(const TBasicFigure* Figure);
TFigureBitmap* AsPicture(TBasicFigure* Figure);
const TFigureBitmap* AsPicture(const TBasicFigure* Figure);
