// What the fuzz targets share: a property that does not hold is reported and
// ends the process, so that libFuzzer records the input as a finding.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "figures/Streams.h"

namespace fuzz {

[[noreturn]] inline void Fail(const char* What) {
  std::fprintf(stderr, "fuzz property violated: %s\n", What);
  std::fflush(stderr);
  std::abort();
}

inline void Check(bool Holds, const char* What) {
  if (!Holds) Fail(What);
}

// The bytes an object writes with SaveToStream.
template <typename T>
std::vector<uint8_t> Saved(const T& Object) {
  TMemoryStream stream;
  Object.SaveToStream(stream);
  return stream.TakeData();
}

}  // namespace fuzz
