// The memory budget of pictures: one picture may take at most 256 MiB
// decoded, the pictures of one image share an allowance (1 GiB), and
// pictures of up to 256 colours keep one byte per pixel. Guards against a
// header that makes the reader allocate what its data cannot back, a file
// or a pasted figure that takes the machine's memory, and an honest large
// palette picture refused for its size.
#include <gtest/gtest.h>

#include <algorithm>

#include "canvas/IdleCanvas.h"
#include "document/Collection.h"
#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "picture/HandBuiltBmp.h"

namespace {

// An 8192 x 8192 RLE8 picture whose data ends at once (every pixel index
// 0, red): the largest picture 512 KiB of run-length data may describe,
// 128 MiB decoded.
std::vector<uint8_t> HugeRunLengthPicture() {
  std::vector<uint8_t> data(512 * 1024, 0);
  data[1] = 1;  // end of bitmap
  return BuildBmp({.Width = 8192, .Height = 8192, .BitCount = 8, .Compression = 1, .ClrUsed = 1,
                   .Palette = {0xFF0000}, .Bits = data});
}

// A container of picture figures holding Bmp as stored, written field by
// field: the program itself would store it uncompressed.
std::vector<uint8_t> ContainerOfPictures(const std::vector<uint8_t>& Bmp, int Count) {
  TMemoryStream empty;
  TFigureBitmap(nullptr).SaveToStream(empty);
  const std::vector<uint8_t>& record = empty.Data();  // no picture: the fields, then the transparency byte
  TMemoryStream out;
  out.WriteBuffer(KriSignature, sizeof KriSignature);
  for (int32_t v : {Count, 0xFFFFFF, 0, 0, 100, 100, -1}) out.WriteInt32(v);
  const std::string name = "TFigureBitmap";
  for (int i = 0; i < Count; ++i) {
    out.WriteInt32(int32_t(name.size()));
    out.WriteBuffer(name.data(), name.size());
    out.WriteBuffer(record.data(), record.size() - 1);
    out.WriteBuffer(Bmp.data(), Bmp.size());
    out.WriteBuffer(&record.back(), 1);
  }
  return out.TakeData();
}

// Bytes followed by as many zero bytes as asked, none of them stored.
class TZeroTailStream : public TStream {
 public:
  TZeroTailStream(std::vector<uint8_t> Head, int64_t Zeros) : FHead(std::move(Head)), FZeros(Zeros) {}
  int64_t Size() const override { return int64_t(FHead.size()) + FZeros; }
  int64_t Position() const override { return FPosition; }
  void Seek(int64_t Position) override { FPosition = std::clamp<int64_t>(Position, 0, Size()); }

 protected:
  size_t DoRead(void* Buffer, size_t Count) override {
    const size_t count = size_t(std::min<int64_t>(int64_t(Count), Size() - FPosition));
    for (size_t i = 0; i < count; ++i, ++FPosition)
      static_cast<uint8_t*>(Buffer)[i] = FPosition < int64_t(FHead.size()) ? FHead[size_t(FPosition)] : 0;
    return count;
  }
  bool DoWrite(const void*, size_t) override { return false; }

 private:
  std::vector<uint8_t> FHead;
  int64_t FZeros;
  int64_t FPosition = 0;
};

TEST(PictureBudget, OnePictureOver256MiBDecodedIsRefusedBeforeItIsRead) {
  // 24 bits a pixel: kept 3 bytes and decoded 4 a pixel, so 6200 x 6200
  // passes 256 MiB. Its bits are there, but never read.
  const int32_t side = 6200;
  const uint32_t bits = uint32_t(side) * uint32_t(side) * 3;
  TZeroTailStream stream(BuildBmp({.Width = side, .Height = side, .SizeImage = bits}), bits);
  TBitmapPicture picture;
  EXPECT_THROW(picture.LoadFromStream(stream), EPictureTooLarge);
  EXPECT_EQ(stream.Position(), 0);
}

TEST(PictureBudget, PaletteIndicesTakeOneBytePerPixel) {
  TBitmapPicture picture;
  const std::vector<uint8_t> bmp = HugeRunLengthPicture();
  TReadOnlyStream stream(bmp);
  picture.LoadFromStream(stream);
  EXPECT_EQ(picture.Pixels().At(8191, 8191), 0xFF0000u);
  EXPECT_LT(picture.MemoryBytes(), uint64_t(129) << 20) << "64 MiB kept and 64 MiB of indices";
}

TEST(PictureBudget, PicturesOfOneImageShareTheirAllowanceBeforeTheyAreDecoded) {
  const std::vector<uint8_t> container = ContainerOfPictures(HugeRunLengthPicture(), 2);
  // Within a smaller allowance around it, the load of the image's pictures
  // is refused at the second, which is never decoded.
  TPictureAllowance outer(200u << 20);
  TReadOnlyStream stream(container);
  try {
    TFiguresCollection::CreateFromStream(nullptr, stream);
    FAIL() << "both pictures read";
  } catch (const EPicturesTooLarge& e) {
    EXPECT_STREQ(e.what(), "Pictures of the image too large (over 1 GiB decoded together)");
  }
  // The first spent its share: the kept file (headers, one table entry,
  // 64 MiB of rows) and the decoded indices with a 256-entry table.
  EXPECT_EQ(outer.Remaining(), (200u << 20) - (uint64_t(128) << 20) - (14 + 40 + 4) - 256 * 4);
}

}  // namespace
