// Inputs the fuzzing of the picture reader turned up, kept as they were
// found (minimised), with what went wrong.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "picture/HandBuiltBmp.h"

namespace {

// 60 bytes: an 8-bit run-length image of 32768 x 2048 pixels whose two bytes
// of data are the end-of-bitmap code. It was accepted, being within the
// pixel cap, and decoded into 64 MB of kept bits and 256 MB of pixels; a
// container of eight such picture figures (9 KB) ran out of memory.
const std::vector<uint8_t> TinyHugeRunLength = {
    0x42, 0x4D, 0x3C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x00, 0x00, 0x00,  // file header
    0x28, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x01, 0x00,  // 40, 32768, 2048, 1
    0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 8 bits, RLE8, 2 bytes
    0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // one colour
    0xFF, 0xFF, 0xFF, 0x00,                                                              // white
    0x00, 0x01};                                                                         // end of bitmap

// A run-length image Width x Height whose data is Bits.
std::vector<uint8_t> RunLength8(int32_t Width, int32_t Height, std::vector<uint8_t> Bits) {
  TBmpFields s;
  s.Width = Width;
  s.Height = Height;
  s.BitCount = 8;
  s.Compression = 1;
  s.ClrUsed = 2;
  s.Palette = {0x000000, 0x00FF00};
  s.Bits = std::move(Bits);
  return BuildBmp(s);
}

// Every row one run of 255 pixels of colour 1, then end of line; end of
// bitmap after the last row.
std::vector<uint8_t> FullRuns(int32_t Rows) {
  std::vector<uint8_t> bits;
  for (int32_t r = 0; r < Rows; ++r) bits.insert(bits.end(), {255, 1, 0, 0});
  bits.insert(bits.end(), {0, 1});
  return bits;
}

// Count bytes of run-length data that end the image at once (what follows the
// end code is never read).
std::vector<uint8_t> EndCodeIn(size_t Count) {
  std::vector<uint8_t> bits(Count, 0);
  bits[1] = 1;
  return bits;
}

}  // namespace

TEST(PictureFuzzRegression, RunLengthImageLargerThanItsDataCouldCoverIsRefused) {
  TReadOnlyStream stream(TinyHugeRunLength);
  TBitmapPicture picture;
  EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic);
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_EQ(picture.Empty(), true);
}

// The bound on a run-length image: up to 4096 pixels whatever the data, and
// beyond that 128 pixels a byte, which every image coded by runs meets (a
// run gives at most 255 pixels for 2 bytes).
TEST(PictureFuzzRegression, RunLengthImageSizeIsBoundByItsData) {
  struct TCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    bool Loads;
  } const cases[] = {
      {"64 x 64 from the end code alone", RunLength8(64, 64, {0, 1}), true},
      {"65 x 64 from the end code alone", RunLength8(65, 64, {0, 1}), false},
      {"255 x 17 all in runs (70 bytes)", RunLength8(255, 17, FullRuns(17)), true},
      {"255 x 17 from the end code alone", RunLength8(255, 17, {0, 1}), false},
      {"255 x 128 all in runs (514 bytes)", RunLength8(255, 128, FullRuns(128)), true},
      {"80 x 64 from 40 bytes", RunLength8(80, 64, EndCodeIn(40)), true},
      {"81 x 64 from 40 bytes", RunLength8(81, 64, EndCodeIn(40)), false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TReadOnlyStream stream(c.Bytes);
    TBitmapPicture picture;
    if (c.Loads) {
      picture.LoadFromStream(stream);
      EXPECT_EQ(stream.Position(), stream.Size());
    } else {
      EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic);
      EXPECT_EQ(stream.Position(), 0);
    }
    EXPECT_EQ(picture.Empty(), !c.Loads);
  }
}
