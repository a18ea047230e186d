// The image container reader on arbitrary bytes, the way a file or the image
// clipboard format reaches it: a collection without canvas loads them. Bad
// data may only fail with the model's own errors. A load that succeeds must
// survive a round trip: the saved container reads back, consuming exactly
// its bytes, and saves again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TReadOnlyStream input(std::span<const uint8_t>(Data, Size));
  TFiguresCollection image(nullptr);
  try {
    image.LoadFromStream(input);
  } catch (const EKrestaError&) {
    return 0;
  }
  fuzz::Check(input.Position() <= int64_t(Size), "container reader went past the data");

  const std::vector<uint8_t> saved = fuzz::Saved(image);
  TReadOnlyStream again(saved);
  TFiguresCollection reloaded(nullptr);
  try {
    reloaded.LoadFromStream(again);
  } catch (const EKrestaError& error) {
    std::fprintf(stderr, "reload failed: %s\n", error.what());
    fuzz::Fail("a saved container does not read back");
  }
  fuzz::Check(again.Position() == again.Size(), "reading a saved container does not consume exactly its bytes");
  fuzz::Check(reloaded.Count() == image.Count(), "figure count changed by the round trip");
  fuzz::Check(fuzz::Saved(reloaded) == saved, "a reloaded container saves different bytes");
  return 0;
}
