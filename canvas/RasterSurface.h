// Pixel-level building blocks of the raster layer: the 32-bit surface, the
// raster operations reduced to an AND/XOR pair, horizontal spans and the
// brush and pen pixel rules. Internal to canvas/ and the canvases that
// follow its geometry (the SVG export).
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "canvas/Canvas.h"

// Pixels 0xAARRGGBB (QImage::Format_RGB32 layout); Stride in pixels. A
// band of the surface lets rows [BandTop, BandBottom) alone be written,
// while the geometry (where curves are traced finely) stays the whole
// surface's: bands drawn on their own give the pixels of the whole.
struct TSurface {
  uint32_t* Bits = nullptr;
  int32_t Width = 0;
  int32_t Height = 0;
  std::ptrdiff_t Stride = 0;
  int32_t BandTop = 0;
  int32_t BandBottom = std::numeric_limits<int32_t>::max();

  bool Empty() const { return Bits == nullptr || Width <= 0 || Top() >= Bottom(); }
  uint32_t* Row(int32_t Y) const { return Bits + std::ptrdiff_t(Y) * Stride; }
  // The rows that may be written, bottom exclusive.
  int32_t Top() const { return std::max(BandTop, 0); }
  int32_t Bottom() const { return std::min(BandBottom, Height); }
};

// A raster operation with its source fixed: D' = (D & And) ^ Xor. Every one
// of the sixteen binary raster operations has this form once the source is
// known, bit by bit. The alpha byte always comes out as 0xFF. The default
// leaves every pixel as it was.
struct TPixelOp {
  uint32_t And = 0xFFFFFFFFu;
  uint32_t Xor = 0;

  uint32_t Apply(uint32_t D) const { return (D & And) ^ Xor; }
};

// Source is a pixel value 0x00RRGGBB; an unknown mode acts as pmCopy.
TPixelOp MakePixelOp(TPenMode Mode, uint32_t Source);

// Sets Count consecutive pixels to Value. A short run, the usual case, is
// set by a few stores that overlap, four pixels or one at a time, rather
// than by a loop whose number of turns follows its exact length.
inline void FillPixels(uint32_t* Pixels, size_t Count, uint32_t Value) {
  if (Count < 4) {
    if (Count == 0) return;
    Pixels[0] = Value;
    Pixels[Count / 2] = Value;
    Pixels[Count - 1] = Value;
    return;
  }
  using TQuad = uint32_t __attribute__((vector_size(16)));
  const TQuad quad = {Value, Value, Value, Value};
  for (size_t i = 0; i + 4 < Count; i += 4) std::memcpy(Pixels + i, &quad, sizeof quad);
  std::memcpy(Pixels + Count - 4, &quad, sizeof quad);
}

// Applies Op to Count consecutive pixels.
inline void ApplySpan(uint32_t* Pixels, size_t Count, TPixelOp Op) {
  if (Op.And == 0) {
    // The result does not depend on the pixels (copy and the like).
    FillPixels(Pixels, Count, Op.Xor);
    return;
  }
  // Four pixels at a time in a vector register where the target has one.
  using TQuad = uint32_t __attribute__((vector_size(16)));
  const TQuad mask = {Op.And, Op.And, Op.And, Op.And}, flip = {Op.Xor, Op.Xor, Op.Xor, Op.Xor};
  size_t i = 0;
  for (; i + 4 <= Count; i += 4) {
    TQuad quad;
    std::memcpy(&quad, Pixels + i, sizeof quad);
    quad = (quad & mask) ^ flip;
    std::memcpy(Pixels + i, &quad, sizeof quad);
  }
  for (; i < Count; ++i) Pixels[i] = Op.Apply(Pixels[i]);
}

// Columns [X0, X1) of one row.
struct TSpan {
  int64_t X0 = 0;
  int64_t X1 = 0;
};
using TSpanList = std::vector<TSpan>;

// Out = A minus B; both sorted, their spans apart.
void SubtractSpans(const TSpanList& A, const TSpanList& B, TSpanList& Out);

// How a brush paints: with Fore everywhere (a solid brush), or with the 8 x
// 8 cell of a pattern tied to the surface origin: Fore on the pattern's
// pixels, Back (the identity for a transparent background) on the others.
class TBrushPaint {
 public:
  explicit TBrushPaint(TPixelOp Fore) : FFore(Fore) {}
  // Bit x of Pattern[y] is set for a pattern pixel of cell row y.
  TBrushPaint(TPixelOp Fore, TPixelOp Back, const uint8_t* Pattern);

  // Paints columns [X0, X1) of row Y, clipped to the surface.
  void Span(const TSurface& Surface, int32_t Y, int64_t X0, int64_t X1) const;

 private:
  enum class TKind : uint8_t {
    Solid,        // Fore on every pixel
    Transparent,  // Fore on the pattern's pixels, the others left alone
    Opaque,       // through the tables below
  };
  // Fore on the pixels of Pixels[0, Count), starting at column X0, that the
  // pattern row Bits covers.
  void PatternPixels(uint32_t* Pixels, size_t Count, int32_t X0, uint8_t Bits) const;
  // The tables' operations on Pixels[0, Count), starting at column X0 of row Y.
  void OpaquePixels(uint32_t* Pixels, size_t Count, int32_t X0, int32_t Y) const;

  TPixelOp FFore;
  TKind FKind = TKind::Solid;
  const uint8_t* FPattern = nullptr;
  // Opaque only: per cell row, the operations of columns 0..7 twice over,
  // so that eight consecutive entries from any column give the next eight
  // pixels.
  uint32_t FAnds[8][16];
  uint32_t FXors[8][16];
};

inline void TBrushPaint::Span(const TSurface& Surface, int32_t Y, int64_t X0, int64_t X1) const {
  const int32_t x0 = int32_t(std::max<int64_t>(X0, 0));
  const int32_t x1 = int32_t(std::min<int64_t>(X1, Surface.Width));
  if (Y < Surface.Top() || Y >= Surface.Bottom() || x0 >= x1) return;
  uint32_t* pixels = Surface.Row(Y) + x0;
  const size_t count = size_t(x1 - x0);
  switch (FKind) {
    case TKind::Solid: ApplySpan(pixels, count, FFore); return;
    case TKind::Transparent: PatternPixels(pixels, count, x0, FPattern[Y & 7]); return;
    case TKind::Opaque: OpaquePixels(pixels, count, x0, Y); return;
  }
}

inline void TBrushPaint::PatternPixels(uint32_t* Pixels, size_t Count, int32_t X0, uint8_t Bits) const {
  if (Bits == 0xFF) {
    ApplySpan(Pixels, Count, FFore);
    return;
  }
  // Bit i of Cells is set when column X0 + i is a pattern pixel: the cell
  // row repeats every eight columns, so one word serves every 64 columns.
  const uint64_t cells = std::rotr(uint64_t(Bits) * 0x0101010101010101u, X0 & 7);
  const auto forEachPixel = [&](auto&& Paint) {
    for (size_t from = 0; from < Count; from += 64) {
      uint64_t bits = Count - from < 64 ? cells & ((uint64_t(1) << (Count - from)) - 1) : cells;
      for (; bits != 0; bits &= bits - 1) Paint(Pixels[from + size_t(std::countr_zero(bits))]);
    }
  };
  // Copies, which the pixel writes cannot be taken to change; copy and the
  // like need not read the pixels.
  const TPixelOp fore = FFore;
  if (fore.And == 0) {
    forEachPixel([Value = fore.Xor](uint32_t& Pixel) { Pixel = Value; });
  } else {
    forEachPixel([fore](uint32_t& Pixel) { Pixel = fore.Apply(Pixel); });
  }
}

// The 8 x 8 cell of a hatch style, or null for bsSolid (and bsClear).
const uint8_t* HatchPattern(TBrushStyle Style);

// How a one-pixel pen paints: pixel k of the path (counted along the path)
// is "on" when bit (k mod Period) of Mask is set; on pixels get Fore, off
// pixels Back (the identity for a transparent background).
struct TPenPaint {
  TPixelOp Fore;
  TPixelOp Back;
  uint32_t Mask = 1;
  uint32_t Period = 1;
};

// The cosmetic run pattern of a pen style: dash 18/6, dot 3/3, dash-dot
// 9/6/3/6, dash-dot-dot 9/3/3/3/3/3; solid for every other style.
void PenStylePattern(TPenStyle Style, uint32_t& Mask, uint32_t& Period);
