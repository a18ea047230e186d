#include "figures/RealFigures.h"

#include <algorithm>
#include <cmath>

#include "figures/Exceptions.h"
#include "figures/Streams.h"

namespace {

int32_t WrapAdd(int32_t A, int32_t B) { return int32_t(uint32_t(A) + uint32_t(B)); }
int32_t WrapSub(int32_t A, int32_t B) { return int32_t(uint32_t(A) - uint32_t(B)); }

template <typename T>
std::unique_ptr<TBasicFigure> Construct(TCanvas* ACanvas) {
  return std::make_unique<T>(ACanvas);
}

// Pen inset of a frame: none for psClear, else the pen width as the 16-bit
// quantity the frame arithmetic uses.
int32_t FrameInset(const TBasicFigure& Figure) {
  return Figure.PenStyle() == psClear ? 0 : int32_t(uint16_t(Figure.PenWidth()));
}

}  // namespace

const TFigureClass TFigurePolyLine::Class{"TFigurePolyLine", Construct<TFigurePolyLine>, {.Family = ffOpenLine}};
const TFigureClass TFigureRectangle::Class{"TFigureRectangle", Construct<TFigureRectangle>,
                                           {.Family = ffTwoPoint, .HasFill = true}};
const TFigureClass TFigurePolygon::Class{"TFigurePolygon", Construct<TFigurePolygon>,
                                         {.Family = ffPolygon, .HasFill = true}};
const TFigureClass TFigureRoundRect::Class{"TFigureRoundRect", Construct<TFigureRoundRect>,
                                           {.Family = ffTwoPoint, .HasFill = true, .HasCorners = true}};
const TFigureClass TFigureEllipse::Class{"TFigureEllipse", Construct<TFigureEllipse>,
                                         {.Family = ffTwoPoint, .HasFill = true}};
const TFigureClass TFigureChord::Class{"TFigureChord", Construct<TFigureChord>,
                                       {.Family = ffFourPoint, .HasFill = true}};
const TFigureClass TFigurePie::Class{"TFigurePie", Construct<TFigurePie>, {.Family = ffFourPoint, .HasFill = true}};
const TFigureClass TFigureText::Class{"TFigureText", Construct<TFigureText>,
                                      {.Family = ffText, .HasFill = true, .HasText = true}};
const TFigureClass TFigureBitmap::Class{"TFigureBitmap", Construct<TFigureBitmap>,
                                        {.Family = ffTwoPoint, .HasFill = true, .HasPicture = true}};

std::span<const TFigureClass* const> RegisteredFigureClasses() {
  static const TFigureClass* const classes[] = {
      &TFigurePolyLine::Class, &TFigureRectangle::Class, &TFigurePolygon::Class,
      &TFigureRoundRect::Class, &TFigureEllipse::Class, &TFigurePie::Class,
      &TFigureChord::Class, &TFigureText::Class, &TFigureBitmap::Class};
  return classes;
}

const TFigureClass* FindFigureClass(std::string_view ClassName) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    const std::string_view name = cls->ClassName;
    if (name.size() == ClassName.size() &&
        std::equal(name.begin(), name.end(), ClassName.begin(), [&](char a, char b) { return lower(a) == lower(b); }))
      return cls;
  }
  return nullptr;
}

// ------------------------------------------------------------------ typed views

namespace {

const TFigureTraits* TraitsOf(const TBasicFigure* Figure) {
  return Figure != nullptr ? &Figure->ClassType().Traits : nullptr;
}

}  // namespace

const TBinaryDimensionsFigure* AsFilled(const TBasicFigure* Figure) {
  const TFigureTraits* traits = TraitsOf(Figure);
  return traits != nullptr && traits->HasFill ? static_cast<const TBinaryDimensionsFigure*>(Figure) : nullptr;
}

// The two families with a vertex list reach it through different bases.
const TVertexList* AsVertexList(const TBasicFigure* Figure) {
  const TFigureTraits* traits = TraitsOf(Figure);
  if (traits == nullptr) return nullptr;
  switch (traits->Family) {
    case ffOpenLine: return static_cast<const TLine*>(Figure);
    case ffPolygon: return static_cast<const TFigurePolygon*>(Figure);
    default: return nullptr;
  }
}

const TFigureRoundRect* AsRoundRect(const TBasicFigure* Figure) {
  const TFigureTraits* traits = TraitsOf(Figure);
  return traits != nullptr && traits->HasCorners ? static_cast<const TFigureRoundRect*>(Figure) : nullptr;
}

const TFigureText* AsText(const TBasicFigure* Figure) {
  const TFigureTraits* traits = TraitsOf(Figure);
  return traits != nullptr && traits->HasText ? static_cast<const TFigureText*>(Figure) : nullptr;
}

const TFigureBitmap* AsPicture(const TBasicFigure* Figure) {
  const TFigureTraits* traits = TraitsOf(Figure);
  return traits != nullptr && traits->HasPicture ? static_cast<const TFigureBitmap*>(Figure) : nullptr;
}

// The views of a figure the caller may change are the same views.
TBinaryDimensionsFigure* AsFilled(TBasicFigure* Figure) {
  return const_cast<TBinaryDimensionsFigure*>(AsFilled(static_cast<const TBasicFigure*>(Figure)));
}

TVertexList* AsVertexList(TBasicFigure* Figure) {
  return const_cast<TVertexList*>(AsVertexList(static_cast<const TBasicFigure*>(Figure)));
}

TFigureRoundRect* AsRoundRect(TBasicFigure* Figure) {
  return const_cast<TFigureRoundRect*>(AsRoundRect(static_cast<const TBasicFigure*>(Figure)));
}

TFigureText* AsText(TBasicFigure* Figure) {
  return const_cast<TFigureText*>(AsText(static_cast<const TBasicFigure*>(Figure)));
}

TFigureBitmap* AsPicture(TBasicFigure* Figure) {
  return const_cast<TFigureBitmap*>(AsPicture(static_cast<const TBasicFigure*>(Figure)));
}

// --------------------------------------------------------------- TFigurePolyLine

void TFigurePolyLine::DrawOn(TCanvas& Canvas) {
  if (!BeginDraw(Canvas)) return;
  Canvas.Polyline(FPoints);
}

bool TFigurePolyLine::IsPointInside(const TPoint& P) {
  const double tolerance = (double(FPenWidth) + 1) * 0.05;
  const auto distance = [](const TPoint& U, const TPoint& V) {
    return std::hypot(double(U.x) - double(V.x), double(U.y) - double(V.y));
  };
  for (int32_t i = 1; i < PointsCount(); ++i) {
    const TPoint& a = FPoints[size_t(i - 1)];
    const TPoint& b = FPoints[size_t(i)];
    if (std::fabs(distance(a, b) - (distance(a, P) + distance(b, P))) <= tolerance) {
      SetInsertIndex(i);
      return true;
    }
  }
  SetInsertIndex(-1);
  return false;
}

// -------------------------------------------------------------- TFigureRectangle

void TFigureRectangle::DrawOn(TCanvas& Canvas) {
  if (!BeginDraw(Canvas) || PointsCount() < 2) return;
  const TPoint p0 = Point(0), p1 = Point(1);
  Canvas.Rectangle(p0.x, p0.y, p1.x, p1.y);
}

// ---------------------------------------------------------------- TFigurePolygon

void TFigurePolygon::DrawOn(TCanvas& Canvas) {
  if (!BeginDraw(Canvas)) return;
  Canvas.Polygon(FPoints);
}

bool TFigurePolygon::IsPointInside(const TPoint& P) {
  if (FPoints.empty()) return false;
  int left = 0, right = 0;
  const auto count = [&](const TPoint& A, const TPoint& B) {
    const bool straddles = (A.y <= P.y && B.y > P.y) || (B.y <= P.y && A.y > P.y);
    if (!straddles) return false;
    const double xc = double(A.x) + (double(B.x) - A.x) / (double(B.y) - A.y) * (double(P.y) - A.y);
    if (P.x > xc)
      ++left;
    else if (P.x < xc)
      ++right;
    return true;
  };
  int32_t insertIndex = FInsertIndex;
  for (int32_t i = 1; i < PointsCount(); ++i)
    if (count(FPoints[size_t(i - 1)], FPoints[size_t(i)])) insertIndex = i;
  SetInsertIndex(insertIndex);
  // An open outline is closed by an edge of its own, which never becomes an
  // insertion place.
  const TPoint& first = FPoints.front();
  const TPoint& last = FPoints.back();
  if (first != last) count(last, first);
  return left % 2 == 1 && right % 2 == 1;
}

void TFigurePolygon::SaveToStream(TStream& Stream) const {
  TBinaryDimensionsFigure::SaveToStream(Stream);
  Stream.WriteInt32(FInsertIndex);
}

void TFigurePolygon::LoadFromStream(TStream& Stream) {
  TBinaryDimensionsFigure::LoadFromStream(Stream);
  FInsertIndex = Stream.ReadInt32();
}

// -------------------------------------------------------------- TFigureRoundRect

void TFigureRoundRect::DrawOn(TCanvas& Canvas) {
  if (!BeginDraw(Canvas) || PointsCount() < 2) return;
  const TPoint p0 = Point(0), p1 = Point(1);
  Canvas.RoundRect(p0.x, p0.y, p1.x, p1.y, FCorners.x, FCorners.y);
}

void TFigureRoundRect::SetCorners(const TPoint& P) {
  FCorners = P;
  Changed();
}

void TFigureRoundRect::SaveToStream(TStream& Stream) const {
  TBinaryDimensionsFigure::SaveToStream(Stream);
  Stream.WriteInt32(FCorners.x);
  Stream.WriteInt32(FCorners.y);
}

void TFigureRoundRect::LoadFromStream(TStream& Stream) {
  TBinaryDimensionsFigure::LoadFromStream(Stream);
  FCorners.x = Stream.ReadInt32();
  FCorners.y = Stream.ReadInt32();
}

// ---------------------------------------------------------------- TFigureEllipse

void TFigureEllipse::DrawOn(TCanvas& Canvas) {
  if (!BeginDraw(Canvas) || PointsCount() < 2) return;
  const TPoint p0 = Point(0), p1 = Point(1);
  Canvas.Ellipse(p0.x, p0.y, p1.x, p1.y);
}

// --------------------------------------------------------- TFigureChord, TFigurePie

void TFigureChord::DrawOn(TCanvas& Canvas) {
  if (!BeginDraw(Canvas) || PointsCount() < 4) return;
  const TPoint p0 = Point(0), p1 = Point(1), p2 = Point(2), p3 = Point(3);
  Canvas.Chord(p0.x, p0.y, p1.x, p1.y, p2.x, p2.y, p3.x, p3.y);
}

void TFigurePie::DrawOn(TCanvas& Canvas) {
  if (!BeginDraw(Canvas) || PointsCount() < 4) return;
  const TPoint p0 = Point(0), p1 = Point(1), p2 = Point(2), p3 = Point(3);
  Canvas.Pie(p0.x, p0.y, p1.x, p1.y, p2.x, p2.y, p3.x, p3.y);
}

// ------------------------------------------------------------------- TFigureText

TFigureText::TFigureText(TCanvas* ACanvas) : TBinaryDimensionsFigure(ACanvas) { AddPoint(TPoint{0, 0}); }

void TFigureText::DrawOn(TCanvas& Canvas) {
  if (!BeginDraw(Canvas)) return;
  // Taken even without an anchor: the hit test measures in the font the
  // canvas holds.
  Canvas.Font = FFont;
  if (PointsCount() < 1) return;
  // Slanted and heavy faces overhang their advance: the box grows by twice
  // the last character's width.
  int32_t extra = 0;
  if ((Canvas.Font.Style & (fsBold | fsItalic)) != 0 && !FText.empty())
    extra = int32_t(uint16_t(2 * (Canvas.TextWidth(std::string_view(FText).substr(FText.size() - 1)) + 1)));
  const int32_t a = FrameInset(*this);
  const TPoint p = Point(0);
  const TSize text = Canvas.TextExtent(FText);
  Canvas.Rectangle(WrapSub(p.x, a), WrapSub(p.y, a), WrapAdd(WrapAdd(WrapAdd(p.x, text.cx), a), extra),
                   WrapAdd(WrapAdd(p.y, text.cy), a));
  Canvas.TextOut(p.x, p.y, FText);
}

bool TFigureText::IsPointInside(const TPoint& P) {
  if (FCanvas == nullptr || FPoints.empty()) return false;
  const TPoint p = Point(0);
  const int64_t w = FPenWidth;
  const TSize text = FCanvas->TextExtent(FText);
  return p.x - w <= P.x && P.x < p.x + text.cx + w && p.y - w <= P.y && P.y < p.y + text.cy + w;
}

TRect TFigureText::Bounds() const {
  TRect box = TBinaryDimensionsFigure::Bounds();
  if (FCanvas == nullptr || FPoints.empty()) return box;
  const TSize text = FCanvas->TextExtent(FText);
  box.Right = std::max(box.Right, SaturatedAdd(box.Left, text.cx));
  box.Bottom = std::max(box.Bottom, SaturatedAdd(box.Top, text.cy));
  return box;
}

TFont& TFigureText::GetFont() {
  Changed();
  return FFont;
}

void TFigureText::SetFont(const TFont& Value) {
  FFont = Value;
  Changed();
}

void TFigureText::SetText(const std::string& Value) {
  FText = Value;
  Changed();
}

void TFigureText::SaveToStream(TStream& Stream) const {
  TBinaryDimensionsFigure::SaveToStream(Stream);
  Stream.WriteInt32(int32_t(FText.size()));
  Stream.WriteBuffer(FText.data(), FText.size());
  Stream.WriteUInt8(FFont.Charset);
  Stream.WriteUInt32(FFont.Color);
  Stream.WriteInt32(FFont.Height);
  Stream.WriteInt32(int32_t(FFont.Name.size()));
  Stream.WriteBuffer(FFont.Name.data(), FFont.Name.size());
  Stream.WriteUInt8(FFont.Style);
}

namespace {

// A length-prefixed string; a negative length or one the remaining bytes
// cannot back is refused before allocating.
std::string ReadString(TStream& Stream) {
  const int32_t length = Stream.ReadInt32();
  if (length < 0) throw EReadError();
  return Stream.ReadBytes(size_t(length));
}

}  // namespace

void TFigureText::LoadFromStream(TStream& Stream) {
  TBinaryDimensionsFigure::LoadFromStream(Stream);
  FText = ReadString(Stream);
  FFont.Charset = Stream.ReadUInt8();
  FFont.Color = Stream.ReadUInt32();
  FFont.Height = Stream.ReadInt32();
  FFont.Name = ReadString(Stream);
  FFont.Style = Stream.ReadUInt8();
}

// ----------------------------------------------------------------- TFigureBitmap

void TFigureBitmap::DrawOn(TCanvas& Canvas) {
  if (!BeginDraw(Canvas) || PointsCount() < 2) return;
  const TPoint p0 = Point(0), p1 = Point(1);
  Canvas.Rectangle(p0.x, p0.y, p1.x, p1.y);
  if (FBitmap.Empty()) return;
  TRect picture{p0.x, p0.y, p1.x, p1.y};
  if (FPenStyle != psClear) {
    const int32_t w = FPenWidth;
    picture.Left = WrapAdd(p0.x, w);
    picture.Top = WrapAdd(p0.y, w);
    picture.Right = int32_t(std::llabs(int64_t(p1.x) - w));
    picture.Bottom = int32_t(std::llabs(int64_t(p1.y) - w));
  }
  FBitmap.Draw(Canvas, picture);
}

void TFigureBitmap::FitToPicture() {
  const int32_t a = FrameInset(*this);
  const TPoint p0 = Point(0);
  SetPoint(1, TPoint{WrapAdd(WrapAdd(p0.x, FBitmap.Width()), a), WrapAdd(WrapAdd(p0.y, FBitmap.Height()), a)});
}

void TFigureBitmap::LoadPictureFromFile(const std::string& FileName) {
  FBitmap.LoadFromFile(FileName);
  FitToPicture();
  Changed();
}

void TFigureBitmap::SavePictureToFile(const std::string& FileName) const { FBitmap.SaveToFile(FileName); }

void TFigureBitmap::LoadPictureFromStream(TStream& Stream) {
  FBitmap.LoadFromStream(Stream);
  FitToPicture();
  Changed();
}

void TFigureBitmap::SavePictureToStream(TStream& Stream) const { FBitmap.SaveToStream(Stream); }

void TFigureBitmap::ClearPicture() {
  FBitmap.Clear();
  Changed();
}

void TFigureBitmap::SetTransparent(bool Value) {
  FBitmap.SetTransparent(Value);
  Changed();
}

void TFigureBitmap::SaveToStream(TStream& Stream) const {
  TBinaryDimensionsFigure::SaveToStream(Stream);
  FBitmap.SaveToStream(Stream);
  Stream.WriteBoolean(FBitmap.Transparent());
}

namespace {

// An empty picture is stored as no bytes at all, so a record whose picture
// position does not start with the file signature holds an empty picture.
bool PictureFollows(TStream& Stream) {
  if (Stream.Remaining() < 2) return false;
  const int64_t start = Stream.Position();
  const uint8_t b = Stream.ReadUInt8(), m = Stream.ReadUInt8();
  Stream.Seek(start);
  return b == 'B' && m == 'M';
}

}  // namespace

void TFigureBitmap::LoadFromStream(TStream& Stream) {
  TBinaryDimensionsFigure::LoadFromStream(Stream);
  if (PictureFollows(Stream))
    FBitmap.LoadFromStream(Stream);
  else
    FBitmap.Clear();
  FBitmap.SetTransparent(Stream.Remaining() >= 1 && Stream.ReadBoolean());
}
