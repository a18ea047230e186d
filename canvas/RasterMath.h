// Exact integer division for the raster layer, whose intermediate products
// of 32-bit coordinates need up to 66 bits, the span a pair of edges covers
// and the box of an inside-frame pen. Internal to canvas/ and the canvases that follow its geometry
// (the SVG export).
#pragma once

#include <algorithm>
#include <cstdint>

using int128_t = __int128;

// Floor of Num / Den for Den > 0.
inline int64_t FloorDiv(int128_t Num, int64_t Den) {
  if (Num == int128_t(int64_t(Num))) {
    // The common case in 64 bits: a 128-bit division is a library call.
    const int64_t n = int64_t(Num);
    const int64_t q = n / Den;
    return q * Den > n ? q - 1 : q;
  }
  const int128_t q = Num / Den;
  return int64_t(q * Den > Num ? q - 1 : q);
}

// Ceiling of Num / Den for Den > 0.
inline int64_t CeilDiv(int128_t Num, int64_t Den) { return -FloorDiv(-Num, Den); }

// The pixels [Lo, Hi) between two edges of a filled rectangle. Reversed
// edges count as a negative extent: from the second (exclusive) back to the
// first (inclusive).
struct TSpan64 {
  int64_t Lo = 0;
  int64_t Hi = 0;
};
inline TSpan64 FillSpan(int64_t From, int64_t To) { return From <= To ? TSpan64{From, To} : TSpan64{To + 1, From + 1}; }

// An inside-frame pen keeps its whole line inside the normalised, non-empty
// box (right and bottom exclusive): a pen wider than the box is narrowed to
// it, and the box moved in to where the pen's centre line runs.
inline void FitPenInsideFrame(int64_t& PenWidth, int64_t& Left, int64_t& Top, int64_t& Right, int64_t& Bottom) {
  PenWidth = std::min({PenWidth, Right - Left, Bottom - Top});
  Left += PenWidth / 2;
  Top += PenWidth / 2;
  Right -= (PenWidth - 1) / 2;
  Bottom -= (PenWidth - 1) / 2;
}
