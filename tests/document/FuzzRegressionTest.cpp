// Images and figure blocks the fuzzing of the container and record readers
// turned up, kept as they were found (minimised), with what went wrong.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A picture figure entry: class name, the record up to the picture (two
// points, default attributes), a 60-byte run-length picture of 32768 x 2048
// pixels whose data is only the end-of-bitmap code, and the transparency
// byte. Each such picture was decoded into 64 MB of kept bits and 256 MB of
// pixels, so eight of these entries (a 9 KB image) ran out of memory.
const Bytes TinyHugePictureEntry = {
    0x0D, 0x00, 0x00, 0x00, 'T', 'F', 'i', 'g', 'u', 'r', 'e', 'B', 'i', 't', 'm', 'a', 'p',
    0x02, 0x00, 0x00, 0x00,                                                  // two points
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                          // pen colour, width
    0x04, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF,        // mode .. selected point
    0x00, 0x00, 0x00, 0x00, 0x00,                                            // brush
    0x42, 0x4D, 0x3C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x00, 0x00, 0x00,  // file header
    0x28, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x01, 0x00,  // 40, 32768, 2048, 1
    0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 8 bits, RLE8, 2 bytes
    0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // one colour
    0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01,                                      // white, end of bitmap
    0x00};                                                                   // not transparent

// The image header: eight figures, black, 100 x 100, none selected.
const Bytes EightFiguresHeader = {
    'K',  'R',  'I',  ' ',  ' ',  0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};

}  // namespace

TEST(ContainerFuzzRegression, PictureLargerThanItsDataCouldCoverStopsTheLoad) {
  Bytes image = EightFiguresHeader;
  for (int i = 0; i < 8; ++i) image.insert(image.end(), TinyHugePictureEntry.begin(), TinyHugePictureEntry.end());
  TReadOnlyStream stream(image);
  TFiguresCollection collection(nullptr);
  EXPECT_THROW(collection.LoadFromStream(stream), EInvalidGraphic);
  EXPECT_EQ(collection.Count(), 0);
  EXPECT_EQ(collection.Selected(), nullptr);
  EXPECT_EQ(collection.ImageRect(), (TRect{0, 0, 100, 100}));
}

// The same entry as a figure block of the figure clipboard format, re-created
// the way a paste does.
TEST(ContainerFuzzRegression, FigureBlockWithSuchAPictureIsRefused) {
  TReadOnlyStream stream(TinyHugePictureEntry);
  const int32_t length = stream.ReadInt32();
  const TFigureClass* cls = FindFigureClass(stream.ReadBytes(size_t(length)));
  ASSERT_NE(cls, nullptr);
  std::unique_ptr<TBasicFigure> figure = cls->Create(nullptr);
  EXPECT_THROW(figure->LoadFromStream(stream), EInvalidGraphic);
  EXPECT_EQ(static_cast<TFigureBitmap&>(*figure).PictureEmpty(), true);
}
