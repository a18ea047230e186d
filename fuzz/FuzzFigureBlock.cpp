// A figure block as the figure clipboard format carries it: a 32-bit class
// name length, the name, and that class's record, re-created the way a paste
// does (registry look-up, a figure without canvas, its LoadFromStream). Bad
// data may only fail with the model's own errors. A record that loads must
// survive a round trip: its saved record reads back into a new figure of the
// same class, consuming exactly its bytes, and saves again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "fuzz/FuzzCheck.h"

namespace {

std::unique_ptr<TBasicFigure> ReadBlock(TStream& Stream) {
  const int32_t length = Stream.ReadInt32();
  if (length < 0) throw EReadError();
  const TFigureClass* cls = FindFigureClass(Stream.ReadBytes(size_t(length)));
  if (cls == nullptr) throw EFigureClassUnknown();
  std::unique_ptr<TBasicFigure> figure = cls->Create(nullptr);
  figure->LoadFromStream(Stream);
  return figure;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TReadOnlyStream input(std::span<const uint8_t>(Data, Size));
  std::unique_ptr<TBasicFigure> figure;
  try {
    figure = ReadBlock(input);
  } catch (const EKrestaError&) {
    return 0;
  }
  fuzz::Check(input.Position() <= int64_t(Size), "record reader went past the data");

  const std::vector<uint8_t> record = fuzz::Saved(*figure);
  std::unique_ptr<TBasicFigure> copy = figure->ClassType().Create(nullptr);
  TReadOnlyStream again(record);
  try {
    copy->LoadFromStream(again);
  } catch (const EKrestaError& error) {
    std::fprintf(stderr, "reload of a %s record failed: %s\n", figure->ClassName(), error.what());
    fuzz::Fail("a saved record does not read back");
  }
  fuzz::Check(again.Position() == again.Size(), "reading a saved record does not consume exactly its bytes");
  fuzz::Check(fuzz::Saved(*copy) == record, "a reloaded record saves different bytes");
  return 0;
}
