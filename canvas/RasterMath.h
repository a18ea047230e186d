// Exact integer division for the raster layer, whose intermediate products
// of 32-bit coordinates need up to 66 bits. Internal to canvas/.
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
