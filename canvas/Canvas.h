// The drawing surface the model sees: shared geometry and colour types, the
// pen, brush and font a canvas holds, and the classic raster primitives.
// Nothing here depends on a toolkit; the raster implementation over Qt lives
// in RasterCanvas.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Image pixels; origin at the top-left corner, y growing downwards.
struct TPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Image pixels; right and bottom edges exclusive where drawn.
// Right and bottom edges exclusive where it stands for pixels.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

// Holds no pixel.
inline bool IsEmpty(const TRect& R) { return R.Left >= R.Right || R.Top >= R.Bottom; }
// Share a pixel.
inline bool Meet(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}
// The pixels in both; all zero when none.
inline TRect Intersection(const TRect& A, const TRect& B) {
  const TRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                std::min(A.Bottom, B.Bottom)};
  return IsEmpty(r) ? TRect{} : r;
}
// The smallest box holding both; an empty one adds nothing.
inline TRect Union(const TRect& A, const TRect& B) {
  if (IsEmpty(A)) return IsEmpty(B) ? TRect{} : B;
  if (IsEmpty(B)) return A;
  return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right), std::max(A.Bottom, B.Bottom)};
}
inline bool Covers(const TRect& Outer, const TRect& Inner) {
  return Outer.Left <= Inner.Left && Outer.Top <= Inner.Top && Outer.Right >= Inner.Right &&
         Outer.Bottom >= Inner.Bottom;
}

struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// 0x00BBGGRR. A value with the high bit set names a system colour
// (clSystemColor + index); it is stored as such and resolved only when drawn.
using TColor = uint32_t;
constexpr TColor clSystemColor = 0x80000000u;
constexpr TColor clBlack = 0x00000000u;
constexpr TColor clWhite = 0x00FFFFFFu;
constexpr TColor clWindowText = clSystemColor + 8;

// Raster operation applied to the destination pixels by the pen and the
// brush (P = pen or brush colour, D = destination).
enum TPenMode : uint8_t {
  pmBlack,        // 0
  pmWhite,        // 1
  pmNop,          // D
  pmNot,          // ~D
  pmCopy,         // P
  pmNotCopy,      // ~P
  pmMergePenNot,  // P | ~D
  pmMaskPenNot,   // P & ~D
  pmMergeNotPen,  // ~P | D
  pmMaskNotPen,   // ~P & D
  pmMerge,        // P | D
  pmNotMerge,     // ~(P | D)
  pmMask,         // P & D
  pmNotMask,      // ~(P & D)
  pmXor,          // P ^ D
  pmNotXor,       // ~(P ^ D)
};

enum TPenStyle : uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
};

enum TBrushStyle : uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,  // "\": top-left to bottom-right
  bsBDiagonal,  // "/": bottom-left to top-right
  bsCross,
  bsDiagCross,
};

// Font style bits, stored as one byte.
using TFontStyles = uint8_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

// Ordinals arrive unchecked from stored records: a canvas draws an unknown
// pen mode as pmCopy, an unknown pen style as psSolid and an unknown brush
// style as bsSolid.
struct TPen {
  TColor Color = clBlack;
  int32_t Width = 1;  // pixels; 0 and 1 both draw the one-pixel line
  TPenMode Mode = pmCopy;
  TPenStyle Style = psSolid;
};

// The brush also decides the background behind text, hatches and the gaps of
// styled pens: opaque in the brush colour with bsSolid, transparent otherwise.
struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

struct TFont {
  std::string Name = "MS Sans Serif";  // typeface, Windows-1251 bytes
  // Font-system convention: negative is the character height in pixels,
  // positive the cell height (ascent + descent), 0 the default size.
  int32_t Height = -11;
  TColor Color = clWindowText;
  uint8_t Charset = 1;  // DEFAULT_CHARSET
  TFontStyles Style = 0;
  friend bool operator==(const TFont&, const TFont&) = default;
};

// A decoded picture ready to be stretched: Width x Height pixels, rows top
// to bottom, in the least memory that holds them exactly. Either Pixels
// holds each pixel as 0x00RRGGBB, or (a picture of at most 256 colours)
// Indices holds one byte per pixel naming an entry of Palette, which then
// has all 256 entries.
struct TPixelImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint32_t> Pixels;
  std::vector<uint8_t> Indices{};
  std::vector<uint32_t> Palette{};

  bool Empty() const { return Width <= 0 || Height <= 0; }
  // Whether the store holds every pixel the size promises.
  bool Complete() const {
    const size_t count = size_t(Width) * size_t(Height);
    return Indices.empty() ? Pixels.size() >= count : Indices.size() >= count && Palette.size() == 256;
  }
  uint32_t At(int32_t x, int32_t y) const {
    const size_t i = size_t(y) * size_t(Width) + size_t(x);
    return Indices.empty() ? Pixels[i] : Palette[Indices[i]];
  }
  // Every pixel as 0x00RRGGBB, rows top to bottom.
  std::vector<uint32_t> Rgb() const {
    if (Indices.empty()) return Pixels;
    std::vector<uint32_t> rgb(Indices.size());
    for (size_t i = 0; i < Indices.size(); ++i) rgb[i] = Palette[Indices[i]];
    return rgb;
  }
  // The memory the pixels take.
  size_t Bytes() const { return Pixels.size() * 4 + Indices.size() + Palette.size() * 4; }
};

// Pixels copied from a canvas, to be put back on it later. Opaque: only the
// canvas that saved them reads them.
class TCanvasBits {
 public:
  virtual ~TCanvasBits() = default;
};

// The canvas the figures draw on. The public calls keep the state (pen,
// brush, font, lock depth) and forward to the few primitives a backend
// implements. Coordinates are image pixels and may lie anywhere in the
// 32-bit range: a backend clips, it never fails on geometry.
class TCanvas {
 public:
  virtual ~TCanvas() = default;

  TPen Pen;
  TBrush Brush;
  TFont Font;

  // Held while markers are drawn; nestable.
  void Lock() { ++FLockCount; }
  void Unlock() { if (FLockCount > 0) --FLockCount; }
  int LockCount() const { return FLockCount; }

  // Outlined with the pen, filled with the brush. Rectangle, ellipse and
  // rounded rectangle take two opposite corners in either order; the right
  // and bottom edges are exclusive.
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
    DoRectangle(X1, Y1, X2, Y2);
    Painted();
  }
  void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
    DoEllipse(X1, Y1, X2, Y2);
    Painted();
  }
  // W and H: width and height of the ellipse that rounds each corner.
  void RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t W, int32_t H) {
    DoRoundRect(X1, Y1, X2, Y2, W, H);
    Painted();
  }
  // The ellipse inscribed in (X1, Y1)-(X2, Y2), cut by the rays from its
  // centre through (X3, Y3) (start) and (X4, Y4) (end); the arc runs
  // counter-clockwise on screen from the start ray to the end ray.
  void Chord(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4, int32_t Y4) {
    DoChord(X1, Y1, X2, Y2, X3, Y3, X4, Y4, false);
    Painted();
  }
  void Pie(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4, int32_t Y4) {
    DoChord(X1, Y1, X2, Y2, X3, Y3, X4, Y4, true);
    Painted();
  }
  // Pen only; fewer than two points draw nothing.
  void Polyline(std::span<const TPoint> Points) {
    DoPolyline(Points);
    Painted();
  }
  // Closed automatically, even-odd fill; fewer than two points draw nothing.
  void Polygon(std::span<const TPoint> Points) {
    DoPolygon(Points);
    Painted();
  }
  // The brush alone, ignoring the pen mode.
  void FillRect(const TRect& R) {
    DoFillRect(R);
    Painted();
  }

  // Text in Windows-1251 bytes, drawn in the font colour with its top-left
  // corner at (X, Y); the background follows the brush (see TBrush).
  void TextOut(int32_t X, int32_t Y, std::string_view Text) {
    DoTextOut(X, Y, Text);
    Painted();
  }
  TSize TextExtent(std::string_view Text) { return DoTextExtent(Text); }
  int32_t TextWidth(std::string_view Text) { return DoTextExtent(Text).cx; }
  int32_t TextHeight(std::string_view Text) { return DoTextExtent(Text).cy; }

  // Stretches Picture into Dest (corners as given; a negative extent
  // mirrors). Pixels equal to Transparent, when given, leave the canvas as
  // it was.
  void StretchDraw(const TRect& Dest, const TPixelImage& Picture, std::optional<uint32_t> Transparent = {}) {
    DoStretchDraw(Dest, Picture, Transparent);
    Painted();
  }

  // Between BeginBatch and the matching EndBatch (they nest) a canvas may
  // hold primitives back and draw them together; every pixel is drawn when
  // the outermost EndBatch returns, and before any call that copies pixels.
  // Pictures drawn meanwhile must outlive the batch.
  void BeginBatch() { DoBeginBatch(); }
  void EndBatch() { DoEndBatch(); }

  // Copies every pixel into Bits, reusing what Bits already holds. False,
  // with Bits as it was, when this canvas keeps no copies.
  bool SaveBits(std::unique_ptr<TCanvasBits>& Bits) { return DoSaveBits(Bits); }
  // Puts back pixels this canvas saved, when they fit its present size;
  // false, with nothing drawn, otherwise.
  bool RestoreBits(const TCanvasBits& Bits) {
    if (!DoRestoreBits(Bits)) return false;
    Painted();
    return true;
  }

  // The pixels this canvas holds, from (0, 0) to its size; empty (all
  // zero) for a canvas that keeps none.
  TRect PixelBounds() const { return DoPixelBounds(); }
  // Copies the pixels of Area, clipped to PixelBounds, into Bits, reusing
  // what Bits already holds. False, with Bits as it was, when this canvas
  // keeps no copies.
  bool SaveArea(const TRect& Area, std::unique_ptr<TCanvasBits>& Bits) { return DoSaveArea(Area, Bits); }
  // Puts back the pixels SaveArea copied, except those inside Keep, when
  // the canvas still has the size it had then; false, with nothing drawn,
  // otherwise.
  bool RestoreAreaExcept(const TCanvasBits& Bits, const TRect& Keep) {
    if (!DoRestoreAreaExcept(Bits, Keep)) return false;
    Painted();
    return true;
  }

 protected:
  // Called after every primitive that may have changed pixels, so that a
  // surface showing the raster can schedule one repaint.
  virtual void Painted() {}

  virtual void DoBeginBatch() {}
  virtual void DoEndBatch() {}
  virtual bool DoSaveBits(std::unique_ptr<TCanvasBits>&) { return false; }
  virtual bool DoRestoreBits(const TCanvasBits&) { return false; }
  virtual TRect DoPixelBounds() const { return {}; }
  virtual bool DoSaveArea(const TRect&, std::unique_ptr<TCanvasBits>&) { return false; }
  virtual bool DoRestoreAreaExcept(const TCanvasBits&, const TRect&) { return false; }

  virtual void DoRectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) = 0;
  virtual void DoEllipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) = 0;
  virtual void DoRoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t W, int32_t H) = 0;
  virtual void DoChord(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4,
                       int32_t Y4, bool IsPie) = 0;
  virtual void DoPolyline(std::span<const TPoint> Points) = 0;
  virtual void DoPolygon(std::span<const TPoint> Points) = 0;
  virtual void DoFillRect(const TRect& R) = 0;
  virtual void DoTextOut(int32_t X, int32_t Y, std::string_view Text) = 0;
  virtual TSize DoTextExtent(std::string_view Text) = 0;
  virtual void DoStretchDraw(const TRect& Dest, const TPixelImage& Picture, std::optional<uint32_t> Transparent) = 0;

 private:
  int FLockCount = 0;
};

// A batch of the canvas for the guard's lifetime. End() draws what the batch
// holds, failures propagating; a guard left by an exception ends the batch
// quietly, the first failure being the one reported.
class TCanvasBatch {
 public:
  explicit TCanvasBatch(TCanvas& Canvas) : FCanvas(&Canvas) { Canvas.BeginBatch(); }
  ~TCanvasBatch() {
    if (FCanvas == nullptr) return;
    try {
      FCanvas->EndBatch();
    } catch (...) {
    }
  }
  TCanvasBatch(const TCanvasBatch&) = delete;
  TCanvasBatch& operator=(const TCanvasBatch&) = delete;
  void End() { std::exchange(FCanvas, nullptr)->EndBatch(); }

 private:
  TCanvas* FCanvas;
};
