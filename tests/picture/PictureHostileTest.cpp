// Headers from untrusted files and clipboard data: data that is not a BMP
// image, unsupported variants, absurd or negative sizes and counts. Each is
// refused with the right failure, before any allocation that the stream's
// remaining bytes could not back, and leaves the stream where it was.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "picture/HandBuiltBmp.h"
#include "support/TestData.h"

// The largest single request to the global allocator since the last reset,
// so that a refusal can be shown to have happened before a big allocation.
namespace {
std::atomic<size_t> GLargestAllocation{0};
}

void* operator new(std::size_t Size) {
  size_t seen = GLargestAllocation.load(std::memory_order_relaxed);
  while (Size > seen && !GLargestAllocation.compare_exchange_weak(seen, Size, std::memory_order_relaxed)) {
  }
  if (void* p = std::malloc(Size == 0 ? 1 : Size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Byte offsets of the header fields in a file image with a 40-byte header.
constexpr size_t OffBitsAt = 10;
constexpr size_t HeaderSizeAt = 14;
constexpr size_t WidthAt = 18;
constexpr size_t HeightAt = 22;
constexpr size_t PlanesAt = 26;
constexpr size_t BitCountAt = 28;
constexpr size_t CompressionAt = 30;
constexpr size_t SizeImageAt = 34;
constexpr size_t ClrUsedAt = 46;

std::vector<uint8_t> Base() {
  TBmpFields s;
  s.Width = 2;
  s.Height = 2;
  s.Bits.assign(16, 0x5A);
  return BuildBmp(s);
}

std::vector<uint8_t> With32(size_t Offset, uint32_t Value, std::vector<uint8_t> Bytes = Base()) {
  for (size_t i = 0; i < 4; ++i) Bytes[Offset + i] = uint8_t(Value >> (8 * i));
  return Bytes;
}

std::vector<uint8_t> With16(size_t Offset, uint16_t Value, std::vector<uint8_t> Bytes = Base()) {
  Bytes[Offset] = uint8_t(Value);
  Bytes[Offset + 1] = uint8_t(Value >> 8);
  return Bytes;
}

struct TCase {
  std::string Name;
  std::vector<uint8_t> Bytes;
};

constexpr size_t SmallAllocation = 4096;

template <class E>
void ExpectRefusedCheaply(const std::vector<TCase>& Cases) {
  for (const TCase& c : Cases) {
    SCOPED_TRACE(c.Name);
    TReadOnlyStream stream(c.Bytes);
    TBitmapPicture picture;
    GLargestAllocation = 0;
    EXPECT_THROW(picture.LoadFromStream(stream), E);
    EXPECT_LT(GLargestAllocation.load(), SmallAllocation);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_EQ(picture.Empty(), true);
  }
}

}  // namespace

TEST(PictureHostile, OtherDataIsNotABitmap) {
  const std::vector<uint8_t> jpeg = ReadFileBytes(TestDataPath("jpeg/testorig.jpg").string());
  std::vector<uint8_t> array = Base();
  array[1] = 'A';
  ExpectRefusedCheaply<EInvalidGraphic>({
      {"JPEG file", jpeg},
      {"PNG signature", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D, 'I', 'H', 'D', 'R', 0, 0}},
      {"bitmap array signature", array},
      {"text", {'B', 'm', ' ', 'a', 'n', 'y', 't', 'h', 'i', 'n', 'g', ' ', 'e', 'l', 's', 'e', 0, 0}},
  });
}

TEST(PictureHostile, UnsupportedVariantsAreRefused) {
  ExpectRefusedCheaply<EInvalidGraphic>({
      {"header size 0", With32(HeaderSizeAt, 0)},
      {"header size 41", With32(HeaderSizeAt, 41)},
      {"header size 66", With32(HeaderSizeAt, 66)},
      {"header size 4 GB", With32(HeaderSizeAt, 0xFFFFFFFF)},
      {"0 planes", With16(PlanesAt, 0)},
      {"2 planes", With16(PlanesAt, 2)},
      {"0 bits per pixel", With16(BitCountAt, 0)},
      {"3 bits per pixel", With16(BitCountAt, 3)},
      {"64 bits per pixel", With16(BitCountAt, 64)},
      {"65535 bits per pixel", With16(BitCountAt, 0xFFFF)},
      {"embedded JPEG", With32(CompressionAt, 4)},
      {"embedded PNG", With32(CompressionAt, 5)},
      {"alpha bit fields", With32(CompressionAt, 6)},
      {"compression 4 G", With32(CompressionAt, 0xFFFFFFFF)},
      {"bit fields at 24 bits", With32(CompressionAt, 3)},
      {"run-length 8 at 24 bits", With32(CompressionAt, 1)},
      {"run-length 4 at 8 bits", With32(CompressionAt, 2, With16(BitCountAt, 8))},
      {"run-length rows top-down", With32(HeightAt, uint32_t(-2), With32(CompressionAt, 1, With16(BitCountAt, 8)))},
      {"run-length without size", With32(SizeImageAt, 0, With32(CompressionAt, 1, With16(BitCountAt, 8)))},
      {"2 bits per pixel without a table", With16(BitCountAt, 2)},
  });
}

TEST(PictureHostile, AbsurdDimensionsAreRefused) {
  ExpectRefusedCheaply<EInvalidGraphic>({
      {"width 0", With32(WidthAt, 0)},
      {"width -2", With32(WidthAt, uint32_t(-2))},
      {"width -2^31", With32(WidthAt, 0x80000000)},
      {"width 32769", With32(WidthAt, 32769)},
      {"height 0", With32(HeightAt, 0)},
      {"height 32769", With32(HeightAt, 32769)},
      {"height -32769", With32(HeightAt, uint32_t(-32769))},
      {"height -2^31", With32(HeightAt, 0x80000000)},
      {"8193 x 8193 pixels", With32(HeightAt, 8193, With32(WidthAt, 8193))},
      // A few bytes of run-length data may not describe an image past the cap.
      {"run-length 32768 x 32768",
       With32(HeightAt, 32768, With32(WidthAt, 32768, With32(CompressionAt, 1, With16(BitCountAt, 8))))},
  });
}

// Counts and sizes larger than the stream are found out before reading.
TEST(PictureHostile, SizesBeyondTheStreamAreReadErrors) {
  ExpectRefusedCheaply<EReadError>({
      {"empty stream", {}},
      {"colour count 4 G", With32(OffBitsAt, 0, With32(ClrUsedAt, 0xFFFFFFFF))},
      {"colour count 2^30", With32(OffBitsAt, 0, With32(ClrUsedAt, 0x40000000))},
      {"SizeImage 4 GB", With32(SizeImageAt, 0xFFFFFFFF)},
      {"pixel offset 4 GB", With32(OffBitsAt, 0xFFFFFFFF)},
      {"run-length SizeImage 4 GB",
       With32(OffBitsAt, 0, With32(SizeImageAt, 0xFFFFFFFF, With32(CompressionAt, 1, With16(BitCountAt, 8))))},
  });
}

TEST(PictureHostile, LargestDimensionIsAccepted) {
  TBmpFields s;
  s.Width = 32768;
  s.BitCount = 1;
  s.Palette = {0x000000, 0x0000FF};
  s.Bits.assign(4096, 0x55);
  const std::vector<uint8_t> bytes = BuildBmp(s);
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(picture.Width(), 32768);
  EXPECT_EQ(picture.Pixels().At(32767, 0), 0x0000FFu);
  EXPECT_EQ(picture.Pixels().At(32766, 0), 0x000000u);
}
