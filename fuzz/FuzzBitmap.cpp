// The BMP picture reader on arbitrary bytes. Bad data may only fail with the
// model's own errors, and a failed read leaves the stream where it was. A
// picture that loads must survive a round trip: its written file image reads
// back whole, to the same bytes and the same pixels.
#include <cstddef>
#include <cstdint>
#include <span>

#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TReadOnlyStream input(std::span<const uint8_t>(Data, Size));
  TBitmapPicture picture;
  try {
    picture.LoadFromStream(input);
  } catch (const EKrestaError&) {
    fuzz::Check(input.Position() == 0, "a refused picture moved the stream");
    fuzz::Check(picture.Empty(), "a refused picture changed the picture");
    return 0;
  }
  fuzz::Check(input.Position() <= int64_t(Size), "picture reader went past the data");
  fuzz::Check(!picture.Empty(), "a loaded picture is empty");
  const TPixelImage& pixels = picture.Pixels();
  fuzz::Check(pixels.Complete() && pixels.Rgb().size() == size_t(pixels.Width) * size_t(pixels.Height),
              "pixel count disagrees with the picture size");

  const std::vector<uint8_t> written = fuzz::Saved(picture);
  fuzz::Check(written == picture.FileImage(), "the written file image is not the kept one");
  TReadOnlyStream again(written);
  TBitmapPicture reloaded;
  try {
    reloaded.LoadFromStream(again);
  } catch (const EKrestaError& error) {
    std::fprintf(stderr, "reload failed: %s\n", error.what());
    fuzz::Fail("a written picture does not read back");
  }
  fuzz::Check(again.Position() == again.Size(), "reading a written picture does not consume exactly its bytes");
  fuzz::Check(reloaded.FileImage() == written, "a reloaded picture keeps different bytes");
  fuzz::Check(reloaded.Width() == picture.Width() && reloaded.Height() == picture.Height(),
              "a reloaded picture has another size");
  fuzz::Check(reloaded.Pixels().Rgb() == pixels.Rgb(), "a reloaded picture has other pixels");
  fuzz::Check(reloaded.TransparentColor() == picture.TransparentColor(),
              "a reloaded picture has another transparent colour");
  return 0;
}
