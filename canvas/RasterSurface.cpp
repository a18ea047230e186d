#include "canvas/RasterSurface.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace {

uint32_t RasterOp(TPenMode Mode, uint32_t P, uint32_t D) {
  switch (Mode) {
    case pmBlack: return 0;
    case pmWhite: return 0xFFFFFFFFu;
    case pmNop: return D;
    case pmNot: return ~D;
    case pmCopy: return P;
    case pmNotCopy: return ~P;
    case pmMergePenNot: return P | ~D;
    case pmMaskPenNot: return P & ~D;
    case pmMergeNotPen: return ~P | D;
    case pmMaskNotPen: return ~P & D;
    case pmMerge: return P | D;
    case pmNotMerge: return ~(P | D);
    case pmMask: return P & D;
    case pmNotMask: return ~(P & D);
    case pmXor: return P ^ D;
    case pmNotXor: return ~(P ^ D);
  }
  return P;
}

uint32_t RunMask(std::initializer_list<uint32_t> Runs, uint32_t& Period) {
  uint32_t mask = 0;
  uint32_t pos = 0;
  bool on = true;
  for (uint32_t run : Runs) {
    if (on) mask |= ((1u << run) - 1u) << pos;
    pos += run;
    on = !on;
  }
  Period = pos;
  return mask;
}

constexpr uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // bsHorizontal: row 3
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10},  // bsVertical: column 4
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // bsFDiagonal: x == y
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // bsBDiagonal: x == 7 - y
    {0x10, 0x10, 0x10, 0xFF, 0x10, 0x10, 0x10, 0x10},  // bsCross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // bsDiagCross
};

}  // namespace

TPixelOp MakePixelOp(TPenMode Mode, uint32_t Source) {
  const uint32_t zero = RasterOp(Mode, Source, 0);
  const uint32_t ones = RasterOp(Mode, Source, 0xFFFFFFFFu);
  return {(zero ^ ones) & 0x00FFFFFFu, zero | 0xFF000000u};
}

void SubtractSpans(const TSpanList& A, const TSpanList& B, TSpanList& Out) {
  Out.clear();
  size_t j = 0;
  for (TSpan s : A) {
    while (j < B.size() && B[j].X1 <= s.X0) ++j;
    for (size_t k = j; k < B.size() && B[k].X0 < s.X1; ++k) {
      if (B[k].X0 > s.X0) Out.push_back({s.X0, B[k].X0});
      s.X0 = std::max(s.X0, B[k].X1);
    }
    if (s.X0 < s.X1) Out.push_back(s);
  }
}

TBrushPaint::TBrushPaint(TPixelOp Fore, TPixelOp Back, const uint8_t* Pattern) : FFore(Fore), FPattern(Pattern) {
  if (Pattern == nullptr) return;
  const TPixelOp identity;
  if (Back.And == identity.And && Back.Xor == identity.Xor) {
    FKind = TKind::Transparent;
    return;
  }
  FKind = TKind::Opaque;
  for (size_t y = 0; y < 8; ++y) {
    for (size_t x = 0; x < 8; ++x) {
      const uint32_t fore = 0u - ((Pattern[y] >> x) & 1u);  // all ones on a pattern pixel
      FAnds[y][x] = (Fore.And & fore) | (Back.And & ~fore);
      FXors[y][x] = (Fore.Xor & fore) | (Back.Xor & ~fore);
    }
    std::memcpy(FAnds[y] + 8, FAnds[y], 8 * sizeof(uint32_t));
    std::memcpy(FXors[y] + 8, FXors[y], 8 * sizeof(uint32_t));
  }
}

void TBrushPaint::OpaquePixels(uint32_t* Pixels, size_t Count, int32_t X0, int32_t Y) const {
  const uint32_t* ands = FAnds[Y & 7] + (X0 & 7);
  const uint32_t* xors = FXors[Y & 7] + (X0 & 7);
  using TQuad = uint32_t __attribute__((vector_size(16)));
  TQuad quadAnds[2], quadXors[2];
  std::memcpy(quadAnds, ands, sizeof quadAnds);
  std::memcpy(quadXors, xors, sizeof quadXors);
  size_t i = 0;
  for (; i + 8 <= Count; i += 8) {
    for (size_t half = 0; half < 2; ++half) {
      TQuad quad;
      std::memcpy(&quad, Pixels + i + 4 * half, sizeof quad);
      quad = (quad & quadAnds[half]) ^ quadXors[half];
      std::memcpy(Pixels + i + 4 * half, &quad, sizeof quad);
    }
  }
  for (; i < Count; ++i) Pixels[i] = (Pixels[i] & ands[i % 8]) ^ xors[i % 8];
}

const uint8_t* HatchPattern(TBrushStyle Style) {
  if (Style < bsHorizontal || Style > bsDiagCross) return nullptr;
  return kHatches[Style - bsHorizontal];
}

void PenStylePattern(TPenStyle Style, uint32_t& Mask, uint32_t& Period) {
  switch (Style) {
    case psDash: Mask = RunMask({18, 6}, Period); return;
    case psDot: Mask = RunMask({3, 3}, Period); return;
    case psDashDot: Mask = RunMask({9, 6, 3, 6}, Period); return;
    case psDashDotDot: Mask = RunMask({9, 3, 3, 3, 3, 3}, Period); return;
    default: break;
  }
  Mask = 1;
  Period = 1;
}
