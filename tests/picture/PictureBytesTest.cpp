// What the picture reads from a stream and what it writes back: the bytes
// consumed are exactly those the headers bound, so the data after a picture
// is found where its writer put it; what was read is written back byte for
// byte, except run-length images (kept uncompressed) and images whose file
// header disagrees with their layout (kept with it corrected); a stream cut
// anywhere fails without touching the previous image or the position.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "picture/HandBuiltBmp.h"

namespace {

TBmpFields TrueColour2x2() {
  TBmpFields s;
  s.Width = 2;
  s.Height = 2;
  s.Bits = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0, 0};
  return s;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<uint8_t> Written(const TBitmapPicture& Picture) {
  TMemoryStream out;
  Picture.SaveToStream(out);
  return out.Data();
}

// The 4 x 3 run-length image of the decoding tests, with resolution and
// important-colour fields that the uncompressed form keeps.
TBmpFields RunLength4x3() {
  TBmpFields s;
  s.Width = 4;
  s.Height = 3;
  s.BitCount = 8;
  s.Compression = 1;
  s.XPelsPerMeter = 2835;
  s.YPelsPerMeter = 1417;
  s.ClrUsed = 3;
  s.ClrImportant = 2;
  s.Palette = {0x0000AA, 0x00BB00, 0xCC0000};
  s.Bits = {0x03, 0x01, 0x00, 0x00, 0x00, 0x03, 0x02, 0x00, 0x01, 0x00, 0x01, 0x02,
            0x00, 0x00, 0x00, 0x02, 0x02, 0x00, 0x02, 0x01, 0x00, 0x01};
  return s;
}

}  // namespace

TEST(PictureBytes, TrueColour2x2IsSeventyBytesWrittenBackAsRead) {
  const std::vector<uint8_t> bytes = BuildBmp(TrueColour2x2());
  ASSERT_EQ(bytes.size(), 70u);
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), 70);
  EXPECT_EQ(picture.FileImage(), bytes);
  EXPECT_EQ(Written(picture), bytes);
}

// Fields the reader does not use still come back unchanged.
TEST(PictureBytes, UnusedFieldsAreKept) {
  TBmpFields s = TrueColour2x2();
  s.FileSize = 0xDEADBEEF;
  s.XPelsPerMeter = -5;
  s.ClrImportant = 7;
  s.SizeImage = 0;  // the bits then span the computed 2 rows of 8 bytes
  const std::vector<uint8_t> bytes = BuildBmp(s);
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), 70);
  EXPECT_EQ(Written(picture), bytes);
}

TEST(PictureBytes, OnlyTheBoundedBytesAreConsumed) {
  const std::vector<uint8_t> image = BuildBmp(TrueColour2x2());
  const std::vector<uint8_t> bytes = Concat(Concat({0xA1, 0xA2, 0xA3}, image), {0x01, 0xB2});
  TReadOnlyStream stream(bytes);
  stream.Seek(3);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), 3 + 70);
  EXPECT_EQ(stream.ReadUInt8(), 0x01);  // the transparency byte of a figure record
  EXPECT_EQ(picture.FileImage(), image);
}

// SizeImage larger than the rows: the extra bytes belong to the image.
TEST(PictureBytes, SizeImageBoundsTheBits) {
  TBmpFields s;
  s.Width = 1;
  s.Bits = {1, 2, 3, 0, 9, 9, 9, 9};
  const std::vector<uint8_t> image = BuildBmp(s);
  const std::vector<uint8_t> bytes = Concat(image, {0x42});
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), int64_t(image.size()));
  EXPECT_EQ(picture.FileImage(), image);
  EXPECT_EQ(picture.Pixels().At(0, 0), 0x030201u);
}

TEST(PictureBytes, SizeImageSmallerThanTheRowsIsRefused) {
  TBmpFields s = TrueColour2x2();
  s.SizeImage = 15;
  const std::vector<uint8_t> bytes = BuildBmp(s);
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic);
}

// Kept as the uncompressed image a correct writer would produce: 40-byte
// header, compression 0, SizeImage set, the colour table as read.
TEST(PictureBytes, RunLengthIsKeptUncompressed) {
  const TBmpFields source = RunLength4x3();
  const std::vector<uint8_t> bytes = Concat(BuildBmp(source), {0x01});
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), int64_t(bytes.size()) - 1);

  TBmpFields expected = source;
  expected.Compression = 0;
  expected.Bits = {1, 1, 1, 0, 2, 0, 1, 2, 0, 0, 1, 1};
  EXPECT_EQ(picture.FileImage(), BuildBmp(expected));
  EXPECT_EQ(Written(picture), BuildBmp(expected));

  TReadOnlyStream again(picture.FileImage());
  TBitmapPicture reread;
  reread.LoadFromStream(again);
  EXPECT_EQ(reread.Pixels().Rgb(), picture.Pixels().Rgb());
  EXPECT_EQ(reread.FileImage(), picture.FileImage());
}

TEST(PictureBytes, RunLengthFourBitsIsKeptAsPackedNibbles) {
  TBmpFields source;
  source.Width = 3;
  source.Height = 1;
  source.BitCount = 4;
  source.Compression = 2;
  source.ClrUsed = 16;
  source.ClrImportant = 40;  // more than the table: not kept
  source.Palette.assign(16, 0x123456);
  source.Bits = {0x03, 0x5A, 0x00, 0x01};
  TBitmapPicture picture;
  const std::vector<uint8_t> bytes = BuildBmp(source);
  TReadOnlyStream stream(bytes);
  picture.LoadFromStream(stream);

  TBmpFields expected = source;
  expected.Compression = 0;
  expected.ClrImportant = 0;
  expected.Bits = {0x5A, 0x50, 0, 0};
  EXPECT_EQ(picture.FileImage(), BuildBmp(expected));
}

// Unused bytes between the colour table and the bits, as the pixel offset
// says: they are read past and left out of the kept image.
TEST(PictureBytes, GapBeforeTheBitsIsSkippedAndLeftOut) {
  TBmpFields s;
  s.Width = 1;
  s.BitCount = 8;
  s.ClrUsed = 1;
  s.Palette = {0x445566};
  s.Gap = 6;
  s.Bits = {0, 0, 0, 0};
  const std::vector<uint8_t> bytes = Concat(BuildBmp(s), {0x01});
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), int64_t(bytes.size()) - 1);
  EXPECT_EQ(picture.Pixels().At(0, 0), 0x445566u);
  s.Gap = 0;
  EXPECT_EQ(picture.FileImage(), BuildBmp(s));
}

// A pixel offset inside the headers cannot be meant; it is corrected.
TEST(PictureBytes, PixelOffsetInsideTheHeadersIsCorrected) {
  TBmpFields s = TrueColour2x2();
  s.OffBits = 0;
  s.FileSize = 1;
  const std::vector<uint8_t> bytes = BuildBmp(s);
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), 70);
  EXPECT_EQ(picture.FileImage(), BuildBmp(TrueColour2x2()));
}

// The core header has no colour count: a pixel offset inside its table cuts
// it short, and the table is kept padded with black to its full size.
TEST(PictureBytes, CoreTableCutShortByThePixelOffset) {
  TBmpFields s;
  s.Core = true;
  s.Width = 3;
  s.BitCount = 4;
  s.Palette = {0x010203, 0x040506, 0x070809};
  s.Bits = {0x12, 0x50, 0, 0};
  const std::vector<uint8_t> bytes = BuildBmp(s);
  ASSERT_EQ(bytes.size(), 14u + 12 + 9 + 4);
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), int64_t(bytes.size()));
  EXPECT_EQ(picture.Pixels().Rgb(), (std::vector<uint32_t>{0x040506, 0x070809, 0x000000}));
  s.Palette.resize(16, 0);
  EXPECT_EQ(picture.FileImage(), BuildBmp(s));
}

// A stated colour count whose table would run into the pixels contradicts
// the pixel offset.
TEST(PictureBytes, StatedTableOverlappingThePixelsIsRefused) {
  TBmpFields s;
  s.Width = 1;
  s.BitCount = 8;
  s.ClrUsed = 4;
  s.Palette = {1, 2, 3, 4};
  s.OffBits = 14 + 40 + 8;
  s.Bits = {0, 0, 0, 0};
  const std::vector<uint8_t> bytes = BuildBmp(s);
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic);
}

// Cut at every length, behind three bytes of other data: "Stream read
// error", the position back at the picture's start, the previous image kept.
TEST(PictureBytes, StreamCutAnywhereKeepsThePreviousImage) {
  TBmpFields core;
  core.Core = true;
  core.Width = 3;
  core.BitCount = 1;
  core.Palette = {0x0000FF, 0xFFFF00};
  core.Bits = {0x40, 0, 0, 0};
  TBmpFields masks;
  masks.Width = 1;
  masks.BitCount = 16;
  masks.Compression = 3;
  masks.Masks = {0xF800, 0x07E0, 0x001F};
  masks.Bits = {0xFF, 0xFF, 0, 0};
  TBmpFields gap;
  gap.Width = 1;
  gap.BitCount = 8;
  gap.ClrUsed = 1;
  gap.Palette = {0x445566};
  gap.Gap = 3;
  gap.Bits = {0, 0, 0, 0};

  TBmpFields previousFields;
  previousFields.Bits = {0x10, 0x20, 0x30, 0};
  const std::vector<uint8_t> previousBytes = BuildBmp(previousFields);

  for (const TBmpFields& fields : {TrueColour2x2(), core, masks, gap, RunLength4x3()}) {
    const std::vector<uint8_t> image = BuildBmp(fields);
    for (size_t length = 0; length < image.size(); ++length) {
      SCOPED_TRACE("cut at " + std::to_string(length) + " of " + std::to_string(image.size()));
      TBitmapPicture picture;
      TReadOnlyStream first(previousBytes);
      picture.LoadFromStream(first);

      const std::vector<uint8_t> bytes =
          Concat({0xA1, 0xA2, 0xA3}, std::vector<uint8_t>(image.begin(), image.begin() + std::ptrdiff_t(length)));
      TReadOnlyStream stream(bytes);
      stream.Seek(3);
      EXPECT_THROW(picture.LoadFromStream(stream), EReadError);
      EXPECT_EQ(stream.Position(), 3);
      EXPECT_EQ(picture.FileImage(), previousBytes);
      EXPECT_EQ(picture.Pixels().Rgb(), std::vector<uint32_t>{0x302010});
    }
  }
}

TEST(PictureBytes, EmptyPictureWritesNothing) {
  TBitmapPicture picture;
  TMemoryStream out;
  out.WriteUInt8(0x7E);
  picture.SaveToStream(out);
  EXPECT_EQ(out.Size(), 1);

  const std::vector<uint8_t> bytes = BuildBmp(TrueColour2x2());
  TReadOnlyStream stream(bytes);
  picture.LoadFromStream(stream);
  picture.Clear();
  EXPECT_EQ(Written(picture), std::vector<uint8_t>{});
}
