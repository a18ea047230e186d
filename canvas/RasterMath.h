// Exact integer division for the raster layer, whose intermediate products
// of 32-bit coordinates need up to 66 bits, and the span a pair of edges
// covers. Internal to canvas/ and the canvases that follow its geometry
// (the SVG export).
#pragma once

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
