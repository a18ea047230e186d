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

void ApplySpan(uint32_t* Pixels, size_t Count, TPixelOp Op) {
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

TPixelOp MakePixelOp(TPenMode Mode, uint32_t Source) {
  const uint32_t zero = RasterOp(Mode, Source, 0);
  const uint32_t ones = RasterOp(Mode, Source, 0xFFFFFFFFu);
  return {(zero ^ ones) & 0x00FFFFFFu, zero | 0xFF000000u};
}

void NormalizeSpans(TSpanList& Spans) {
  const auto before = [](const TSpan& a, const TSpan& b) { return a.X0 < b.X0; };
  if (Spans.size() > 16) {
    std::sort(Spans.begin(), Spans.end(), before);
  } else {
    for (size_t i = 1; i < Spans.size(); ++i) {
      const TSpan s = Spans[i];
      size_t j = i;
      for (; j > 0 && before(s, Spans[j - 1]); --j) Spans[j] = Spans[j - 1];
      Spans[j] = s;
    }
  }
  size_t out = 0;
  for (const TSpan& s : Spans) {
    if (s.X1 <= s.X0) continue;
    if (out > 0 && s.X0 <= Spans[out - 1].X1) {
      Spans[out - 1].X1 = std::max(Spans[out - 1].X1, s.X1);
    } else {
      Spans[out++] = s;
    }
  }
  Spans.resize(out);
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

void TBrushPaint::Span(const TSurface& Surface, int32_t Y, int64_t X0, int64_t X1) const {
  const int32_t x0 = int32_t(std::max<int64_t>(X0, 0));
  const int32_t x1 = int32_t(std::min<int64_t>(X1, Surface.Width));
  if (Y < 0 || Y >= Surface.Height || x0 >= x1) return;
  uint32_t* row = Surface.Row(Y);
  if (Pattern == nullptr) {
    ApplySpan(row + x0, size_t(x1 - x0), Fore);
    return;
  }
  // The operations of the next eight pixels from X0 on this row; the pattern
  // then repeats every eight pixels.
  using TQuad = uint32_t __attribute__((vector_size(16)));
  TQuad ands[2], xors[2];
  const uint32_t bits = Pattern[Y & 7];
  for (int32_t i = 0; i < 8; ++i) {
    const TPixelOp& op = (bits >> ((x0 + i) & 7)) & 1u ? Fore : Back;
    ands[i / 4][i % 4] = op.And;
    xors[i / 4][i % 4] = op.Xor;
  }
  const size_t count = size_t(x1 - x0);
  uint32_t* pixels = row + x0;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    for (size_t half = 0; half < 2; ++half) {
      TQuad quad;
      std::memcpy(&quad, pixels + i + 4 * half, sizeof quad);
      quad = (quad & ands[half]) ^ xors[half];
      std::memcpy(pixels + i + 4 * half, &quad, sizeof quad);
    }
  }
  for (; i < count; ++i) pixels[i] = (pixels[i] & ands[(i / 4) % 2][i % 4]) ^ xors[(i / 4) % 2][i % 4];
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
    default: Mask = 1; Period = 1; return;
  }
}
