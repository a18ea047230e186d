// Decoding of hand-built images, pixel by pixel: row order, bit order and row
// padding of indexed images, colour tables of both entry sizes, indices past
// the table, default and explicit colour masks with their scaling to eight
// bits, and run-length data in both depths. Guards against swapped channels,
// flipped rows, misread padding and wrong nibble order.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "picture/HandBuiltBmp.h"

namespace {

TBitmapPicture Load(const std::vector<uint8_t>& Bytes) {
  TReadOnlyStream stream(Bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), int64_t(Bytes.size()));
  return picture;
}

// The picture's pixels, rows top to bottom.
std::vector<uint32_t> Rows(const TBitmapPicture& Picture) { return Picture.Pixels().Rgb(); }

}  // namespace

TEST(PictureDecode, TrueColourRowsAreBottomUpInBlueGreenRedOrder) {
  TBmpFields s;
  s.Width = 2;
  s.Height = 2;
  s.Bits = {0x11, 0x22, 0x33, 0xFF, 0x00, 0x00, 0, 0,   // bottom row
            0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0, 0};  // top row
  const TBitmapPicture picture = Load(BuildBmp(s));
  EXPECT_EQ(picture.Width(), 2);
  EXPECT_EQ(picture.Height(), 2);
  EXPECT_EQ(Rows(picture), (std::vector<uint32_t>{0x00FF00, 0xFF0000, 0x332211, 0x0000FF}));
}

TEST(PictureDecode, NegativeHeightStoresRowsTopDown) {
  TBmpFields s;
  s.Width = 3;
  s.Height = -2;
  s.BitCount = 8;
  s.ClrUsed = 3;
  s.Palette = {0x102030, 0x405060, 0x708090};
  s.Bits = {0, 1, 2, 0xAA,   // top row, then padding
            2, 2, 0, 0xAA};  // bottom row
  const TBitmapPicture picture = Load(BuildBmp(s));
  EXPECT_EQ(picture.Height(), 2);
  EXPECT_EQ(Rows(picture), (std::vector<uint32_t>{0x102030, 0x405060, 0x708090, 0x708090, 0x708090, 0x102030}));
}

TEST(PictureDecode, IndexedPixelsTakeTheHighBitsFirst) {
  TBmpFields s;
  s.Width = 10;
  s.Height = 2;
  s.BitCount = 1;
  s.Palette = {0x000000, 0xFFFFFF};
  s.Bits = {0b10110000, 0b01000000, 0, 0,   // bottom row: 1 0 1 1 0 0 0 0 0 1
            0xFF, 0xC0, 0, 0};              // top row: all 1
  const TBitmapPicture picture = Load(BuildBmp(s));
  const uint32_t W = 0xFFFFFF, K = 0;
  EXPECT_EQ(Rows(picture), (std::vector<uint32_t>{W, W, W, W, W, W, W, W, W, W,  //
                                                  W, K, W, W, K, K, K, K, K, W}));
}

TEST(PictureDecode, IndicesPastTheColourTableAreBlack) {
  TBmpFields s;
  s.Width = 3;
  s.BitCount = 4;
  s.ClrUsed = 2;
  s.Palette = {0xAA0000, 0x00BB00};
  s.Bits = {0x15, 0x00, 0, 0};  // indices 1, 5, 0
  EXPECT_EQ(Rows(Load(BuildBmp(s))), (std::vector<uint32_t>{0x00BB00, 0x000000, 0xAA0000}));
}

TEST(PictureDecode, CoreHeaderHasThreeByteTableEntries) {
  TBmpFields s;
  s.Core = true;
  s.Width = 3;
  s.BitCount = 1;
  s.Palette = {0x0000FF, 0xFFFF00};
  s.Bits = {0b01000000, 0, 0, 0};
  const std::vector<uint8_t> bytes = BuildBmp(s);
  EXPECT_EQ(bytes.size(), 14u + 12 + 6 + 4);
  EXPECT_EQ(Rows(Load(bytes)), (std::vector<uint32_t>{0x0000FF, 0xFFFF00, 0x0000FF}));
}

// 5-5-5 without masks; the top bit is unused. A channel value v of n bits
// becomes round(v * 255 / (2^n - 1)): 1 -> 8, 16 -> 132, 31 -> 255.
TEST(PictureDecode, SixteenBitsDefaultToFiveFiveFive) {
  TBmpFields s;
  s.Width = 4;
  s.BitCount = 16;
  s.Bits = {0xFF, 0x7F, 0x00, 0x7C, 0x01, 0x00, 0x10, 0x82};  // 7FFF 7C00 0001 8210
  EXPECT_EQ(Rows(Load(BuildBmp(s))), (std::vector<uint32_t>{0xFFFFFF, 0xFF0000, 0x000008, 0x008484}));
}

TEST(PictureDecode, SixteenBitMasksFollowTheHeader) {
  TBmpFields s;
  s.Width = 3;
  s.BitCount = 16;
  s.Compression = 3;
  s.Masks = {0xF800, 0x07E0, 0x001F};
  s.Bits = {0xE0, 0x07, 0x20, 0x00, 0x00, 0xF8, 0, 0};  // 07E0 0020 F800
  EXPECT_EQ(Rows(Load(BuildBmp(s))), (std::vector<uint32_t>{0x00FF00, 0x000400, 0xFF0000}));
}

TEST(PictureDecode, ThirtyTwoBitsIgnoreTheFourthByteWithoutMasks) {
  TBmpFields s;
  s.Width = 2;
  s.BitCount = 32;
  s.Bits = {0x01, 0x02, 0x03, 0xFF, 0x10, 0x20, 0x30, 0x80};
  EXPECT_EQ(Rows(Load(BuildBmp(s))), (std::vector<uint32_t>{0x030201, 0x302010}));
}

TEST(PictureDecode, ThirtyTwoBitMasksInAnyOrder) {
  TBmpFields s;
  s.Width = 1;
  s.BitCount = 32;
  s.Compression = 3;
  s.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
  s.Bits = {0x11, 0x22, 0x33, 0x00};
  EXPECT_EQ(Rows(Load(BuildBmp(s))), (std::vector<uint32_t>{0x112233}));
}

TEST(PictureDecode, MissingMaskGivesAZeroChannel) {
  TBmpFields s;
  s.Width = 1;
  s.BitCount = 16;
  s.Compression = 3;
  s.Masks = {0xFF00, 0x00FF, 0};
  s.Bits = {0x80, 0xFF, 0, 0};
  EXPECT_EQ(Rows(Load(BuildBmp(s))), (std::vector<uint32_t>{0xFF8000}));
}

// Runs, an absolute run with its pad byte, end of line with pixels left
// over (they take index 0), a delta, and the end-of-bitmap code.
TEST(PictureDecode, RunLengthEightBits) {
  TBmpFields s;
  s.Width = 4;
  s.Height = 3;
  s.BitCount = 8;
  s.Compression = 1;
  s.ClrUsed = 3;
  s.Palette = {0x0000AA, 0x00BB00, 0xCC0000};
  s.Bits = {0x03, 0x01, 0x00, 0x00,                     // bottom row: 1 1 1, end of line
            0x00, 0x03, 0x02, 0x00, 0x01, 0x00,         // absolute 2 0 1, padded
            0x01, 0x02, 0x00, 0x00,                     // 2, end of line
            0x00, 0x02, 0x02, 0x00, 0x02, 0x01,         // move right 2, then 1 1
            0x00, 0x01};                                // end of bitmap
  const uint32_t A = 0x0000AA, B = 0x00BB00, C = 0xCC0000;
  EXPECT_EQ(Rows(Load(BuildBmp(s))), (std::vector<uint32_t>{A, A, B, B,  //
                                                            C, A, B, C,  //
                                                            B, B, B, A}));
}

// Runs alternate the two nibbles of their byte; absolute runs take nibbles
// high first and pad their bytes to an even count.
TEST(PictureDecode, RunLengthFourBits) {
  TBmpFields s;
  s.Width = 5;
  s.Height = 3;
  s.BitCount = 4;
  s.Compression = 2;
  s.ClrUsed = 4;
  s.Palette = {0x000001, 0x000002, 0x000003, 0x000004};
  s.Bits = {0x05, 0x12, 0x00, 0x00,                         // 1 2 1 2 1
            0x00, 0x03, 0x30, 0x20, 0x02, 0x31, 0x00, 0x00, // absolute 3 0 2, run 3 1
            0x00, 0x05, 0x11, 0x22, 0x30, 0x00,             // absolute 1 1 2 2 3, padded
            0x00, 0x01};
  EXPECT_EQ(Rows(Load(BuildBmp(s))), (std::vector<uint32_t>{2, 2, 3, 3, 4,  //
                                                            4, 1, 3, 4, 2,  //
                                                            2, 3, 2, 3, 2}));
}

TEST(PictureDecode, RunLengthWithoutEndCodeKeepsWhatItDrew) {
  TBmpFields s;
  s.Width = 2;
  s.Height = 2;
  s.BitCount = 8;
  s.Compression = 1;
  s.ClrUsed = 2;
  s.Palette = {0x000000, 0xFFFFFF};
  s.Bits = {0x02, 0x01};
  EXPECT_EQ(Rows(Load(BuildBmp(s))), (std::vector<uint32_t>{0, 0, 0xFFFFFF, 0xFFFFFF}));
}

// Data that would draw outside the image, or that is cut inside a code, is
// refused rather than clipped.
TEST(PictureDecode, RunLengthOutsideTheImageIsRefused) {
  const std::vector<std::vector<uint8_t>> cases = {
      {0x05, 0x01},                          // run past the row end
      {0x00, 0x05, 1, 1, 1, 1, 1, 0},        // absolute run past the row end
      {0x00, 0x02, 0x05, 0x00},              // delta past the row end
      {0x00, 0x02, 0x00, 0x03},              // delta above the top row
      {0x00, 0x00, 0x00, 0x00, 0x01, 0x01},  // run above the top row
      {0x00, 0x04, 0x01, 0x02},              // absolute run cut short
      {0x00, 0x02, 0x01},                    // delta cut short
  };
  for (const std::vector<uint8_t>& data : cases) {
    TBmpFields s;
    s.Width = 4;
    s.Height = 2;
    s.BitCount = 8;
    s.Compression = 1;
    s.ClrUsed = 2;
    s.Palette = {0x000000, 0xFFFFFF};
    s.Bits = data;
    const std::vector<uint8_t> bytes = BuildBmp(s);
    TReadOnlyStream stream(bytes);
    TBitmapPicture picture;
    EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic) << "data of " << data.size() << " bytes";
    EXPECT_EQ(stream.Position(), 0);
  }
}
