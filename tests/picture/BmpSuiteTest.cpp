// The picture reader against the third-party BMP test suite: every good file
// decodes exactly like its reference rendering and is kept byte for byte;
// every bad file is refused (or, where stated, decoded leniently), and every
// questionable file either decodes as stated or is refused with the stated
// failure. Guards against wrong colour scaling, row order, palette handling,
// header variants, and crashes or over-reads on hostile files.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "support/TestData.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> BmpFiles(const std::string& Folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(TestDataPath("bmpsuite/" + Folder)))
    if (entry.path().extension() == ".bmp") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Name(const fs::path& File) { return File.parent_path().filename().string() + "/" + File.filename().string(); }

QImage Reference(const std::string& Relative) {
  const fs::path path = TestDataPath("bmpsuite/" + Relative);
  QImage image(QString::fromStdString(path.string()));
  EXPECT_FALSE(image.isNull()) << "cannot read " << path;
  return image.convertToFormat(QImage::Format_ARGB32);
}

enum TCompare {
  cmExact,  // every pixel equal
  cmOpaque,  // equal where the reference is opaque: the picture has no alpha
  cmWithinOne,  // every channel within one level (deep channels rounded)
  cmRedGreenSwapped,  // the reference applied a profile that swaps red and green
};

uint32_t SwapRedGreen(uint32_t c) { return ((c & 0xFF0000) >> 8) | ((c & 0x00FF00) << 8) | (c & 0xFF); }

bool WithinOne(uint32_t a, uint32_t b) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 1) return false;
  return true;
}

// Counts the pixels that differ from the reference under the given rule and
// names the first of them.
void ExpectPixels(const TBitmapPicture& Picture, const QImage& Ref, TCompare Mode, const std::string& Label) {
  SCOPED_TRACE(Label);
  ASSERT_EQ(Picture.Width(), Ref.width());
  ASSERT_EQ(Picture.Height(), Ref.height());
  int differing = 0;
  std::string first;
  for (int y = 0; y < Ref.height(); ++y) {
    for (int x = 0; x < Ref.width(); ++x) {
      const QRgb ref = Ref.pixel(x, y);
      const uint32_t expected = ref & 0xFFFFFF;
      const uint32_t actual = Picture.Pixels().At(x, y);
      bool same = false;
      switch (Mode) {
        case cmExact: same = actual == expected; break;
        case cmOpaque: same = qAlpha(ref) != 255 || actual == expected; break;
        case cmWithinOne: same = WithinOne(actual, expected); break;
        case cmRedGreenSwapped: same = actual == SwapRedGreen(expected); break;
      }
      if (!same && differing++ == 0) {
        char text[80];
        std::snprintf(text, sizeof text, "(%d, %d): %06X, reference %06X", x, y, actual, expected);
        first = text;
      }
    }
  }
  EXPECT_EQ(differing, 0) << "first: " << first;
}

std::vector<uint8_t> FileBytes(const fs::path& File) { return ReadFileBytes(File.string()); }

void SetU32(std::vector<uint8_t>& Bytes, size_t Offset, uint32_t Value) {
  for (size_t i = 0; i < 4; ++i) Bytes[Offset + i] = uint8_t(Value >> (8 * i));
}

}  // namespace

TEST(BmpSuiteGood, EveryFileDecodesLikeItsReference) {
  const std::vector<fs::path> files = BmpFiles("g");
  EXPECT_EQ(files.size(), 27u);
  for (const fs::path& file : files) {
    TBitmapPicture picture;
    try {
      picture.LoadFromFile(file.string());
    } catch (const std::exception& e) {
      ADD_FAILURE() << Name(file) << ": " << e.what();
      continue;
    }
    ExpectPixels(picture, Reference("ref/g/" + file.stem().string() + ".png"), cmExact, Name(file));
  }
}

// Each good file that is not run-length compressed is kept and written back
// exactly as read, and reading it consumes the whole file.
TEST(BmpSuiteGood, UncompressedFilesAreKeptByteForByte) {
  for (const fs::path& file : BmpFiles("g")) {
    if (file.stem().string().find("rle") != std::string::npos) continue;
    SCOPED_TRACE(Name(file));
    const std::vector<uint8_t> bytes = FileBytes(file);
    TReadOnlyStream stream(bytes);
    TBitmapPicture picture;
    picture.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), int64_t(bytes.size()));
    TMemoryStream out;
    picture.SaveToStream(out);
    EXPECT_EQ(out.Data(), bytes);
  }
}

// Run-length files are kept uncompressed; what they write reads back to the
// same pixels and consumes exactly the written bytes.
TEST(BmpSuiteGood, RunLengthFilesWriteBackUncompressed) {
  for (const char* stem : {"pal4rle", "pal8rle"}) {
    SCOPED_TRACE(stem);
    TBitmapPicture picture;
    picture.LoadFromFile(TestDataPath(std::string("bmpsuite/g/") + stem + ".bmp").string());
    const std::vector<uint8_t>& image = picture.FileImage();
    const uint32_t compression = image[30] | (image[31] << 8) | (image[32] << 16) | (image[33] << 24);
    EXPECT_EQ(compression, 0u);

    TMemoryStream out;
    picture.SaveToStream(out);
    out.WriteUInt8(0x5A);  // a byte that must stay unread
    out.Seek(0);
    TBitmapPicture reread;
    reread.LoadFromStream(out);
    EXPECT_EQ(out.Position(), int64_t(image.size()));
    EXPECT_EQ(reread.FileImage(), image);
    ExpectPixels(reread, Reference(std::string("ref/g/") + stem + ".png"), cmExact, "re-read");
  }
}

struct TBadCase {
  const char* File;
  enum { Refused, ReadError, Decoded } Outcome;
  const char* Reference;  // for decoded files: the rendering they must match
  const char* Why;
};

// Lenient decodes are limited to files whose flaw lies in a field the
// picture does not use (density, the file-size field), or whose every pixel
// still has a sound meaning (indices past the colour table are black; a
// zero mask is an absent channel).
const TBadCase BadCases[] = {
    {"badbitcount", TBadCase::Refused, nullptr, "bit count 30000"},
    {"badbitssize", TBadCase::ReadError, nullptr, "SizeImage of 2 GB, more than the file holds"},
    {"baddens1", TBadCase::Decoded, "ref/g/pal1.png", "density is not used"},
    {"baddens2", TBadCase::Decoded, "ref/g/pal1.png", "density is not used"},
    {"badfilesize", TBadCase::Decoded, "ref/g/pal1.png", "the file-size field does not bound the image"},
    {"badheadersize", TBadCase::Refused, nullptr, "66-byte information header"},
    {"badpalettesize", TBadCase::Refused, nullptr, "stated colour table runs into the pixels"},
    {"badplanes", TBadCase::Refused, nullptr, "plane count not 1"},
    {"badrle", TBadCase::Refused, nullptr, "runs past the row end"},
    {"badrle4", TBadCase::Refused, nullptr, "runs past the row end"},
    {"badrle4bis", TBadCase::Refused, nullptr, "delta leaves the image"},
    {"badrle4ter", TBadCase::Refused, nullptr, "delta leaves the image"},
    {"badrlebis", TBadCase::Refused, nullptr, "delta leaves the image"},
    {"badrleter", TBadCase::Refused, nullptr, "delta leaves the image"},
    {"badwidth", TBadCase::Refused, nullptr, "negative width"},
    {"pal8badindex", TBadCase::Decoded, nullptr, "indices past the colour table are black"},
    {"reallybig", TBadCase::Refused, nullptr, "3000000 x 2000000 pixels"},
    {"rgb16-880", TBadCase::Decoded, "html/rgb16-880.png", "no blue mask: blue is 0"},
    {"rletopdown", TBadCase::Refused, nullptr, "run-length rows cannot be top-down"},
    {"shortfile", TBadCase::ReadError, nullptr, "cut inside the bits"},
};

TEST(BmpSuiteBad, EveryFileHasItsStatedOutcome) {
  const std::vector<fs::path> files = BmpFiles("b");
  EXPECT_EQ(files.size(), std::size(BadCases));
  for (const TBadCase& c : BadCases) {
    SCOPED_TRACE(std::string(c.File) + ": " + c.Why);
    const std::vector<uint8_t> bytes = FileBytes(TestDataPath(std::string("bmpsuite/b/") + c.File + ".bmp"));
    TReadOnlyStream stream(bytes);
    TBitmapPicture picture;
    switch (c.Outcome) {
      case TBadCase::Refused:
        EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic);
        break;
      case TBadCase::ReadError:
        EXPECT_THROW(picture.LoadFromStream(stream), EReadError);
        break;
      case TBadCase::Decoded:
        picture.LoadFromStream(stream);
        if (c.Reference != nullptr) ExpectPixels(picture, Reference(c.Reference), cmExact, c.File);
        break;
    }
    if (c.Outcome != TBadCase::Decoded) {
      EXPECT_EQ(stream.Position(), 0);
      EXPECT_EQ(picture.Empty(), true);
    }
  }
}

// The 8-bit file with 101 colours: pixels whose index (read straight from
// the file: bits at offset 458, rows of 128 bytes bottom-up) is past the
// table are black, the others take their table colour.
TEST(BmpSuiteBad, IndicesPastTheColourTableAreBlack) {
  const std::vector<uint8_t> bytes = FileBytes(TestDataPath("bmpsuite/b/pal8badindex.bmp"));
  TBitmapPicture picture;
  picture.LoadFromFile(TestDataPath("bmpsuite/b/pal8badindex.bmp").string());
  ASSERT_EQ(picture.Width(), 127);
  ASSERT_EQ(picture.Height(), 64);
  int pastTable = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 127; ++x) {
      const uint8_t index = bytes[458 + size_t(63 - y) * 128 + size_t(x)];
      uint32_t expected = 0;
      if (index < 101) {
        const uint8_t* e = &bytes[54 + 4 * size_t(index)];
        expected = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
      } else {
        ++pastTable;
      }
      ASSERT_EQ(picture.Pixels().At(x, y), expected) << "at (" << x << ", " << y << ")";
    }
  }
  EXPECT_GT(pastTable, 0);
}

struct TQuestionableCase {
  const char* File;
  bool Decoded;
  const char* Reference;  // decoded: the rendering to match
  TCompare Mode;
  const char* Why;
};

const TQuestionableCase QuestionableCases[] = {
    {"pal1huffmsb", false, nullptr, cmExact, "OS/2 Huffman 1D compression"},
    {"pal1p1", true, "ref/q/pal1p1.png", cmExact, "one-colour table"},
    {"pal2", true, "ref/q/pal2.png", cmExact, "2 bits per pixel"},
    {"pal2color", true, "ref/q/pal2color.png", cmExact, "2 bits per pixel"},
    {"pal4rlecut", true, "html/pal4rlecut-0.png", cmExact, "skipped pixels take index 0"},
    {"pal4rletrns", true, "html/pal4rletrns-0.png", cmExact, "skipped pixels take index 0"},
    {"pal8offs", true, "ref/q/pal8offs.png", cmExact, "gap before the bits is skipped"},
    {"pal8os2-hs", true, "ref/q/pal8os2-hs.png", cmExact, "hotspot fields are not used"},
    {"pal8os2-sz", true, "ref/q/pal8os2-sz.png", cmExact, "the file-size field is not used"},
    {"pal8os2sp", true, "ref/q/pal8os2sp.png", cmExact, "core table cut short by the bits offset"},
    {"pal8os2v2-16", true, "ref/q/pal8os2v2-16.png", cmExact, "16-byte OS/2 header"},
    {"pal8os2v2-40sz", true, "ref/q/pal8os2v2-40sz.png", cmExact, "the file-size field is not used"},
    {"pal8os2v2-sz", true, "ref/q/pal8os2v2-sz.png", cmExact, "64-byte OS/2 header"},
    {"pal8os2v2", true, "ref/q/pal8os2v2.png", cmExact, "64-byte OS/2 header"},
    {"pal8oversizepal", true, "ref/q/pal8oversizepal.png", cmExact, "300 colours"},
    {"pal8rlecut", true, "html/pal8rlecut-0.png", cmExact, "skipped pixels take index 0"},
    {"pal8rletrns", true, "html/pal8rletrns-0.png", cmExact, "skipped pixels take index 0"},
    {"rgb16-231", true, "ref/q/rgb16-231.png", cmExact, "2-3-1 masks"},
    {"rgb16-3103", true, "ref/q/rgb16-3103.png", cmExact, "3-10-3 masks"},
    {"rgb16faketrns", true, "ref/q/rgb16faketrns.png", cmExact, "the unused bit is not alpha"},
    {"rgb24jpeg", false, nullptr, cmExact, "embedded JPEG"},
    {"rgb24largepal", true, "ref/q/rgb24largepal.png", cmExact, "unused 300-colour table"},
    {"rgb24lprof", true, "ref/q/rgb24lprof.png", cmExact, "linked profile not used"},
    {"rgb24png", false, nullptr, cmExact, "embedded PNG"},
    {"rgb24prof", true, "ref/q/rgb24prof.png", cmExact, "embedded profile not used"},
    {"rgb24prof2", true, "ref/q/rgb24prof2.png", cmRedGreenSwapped, "embedded profile not used"},
    {"rgb24rle24", false, nullptr, cmExact, "OS/2 24-bit run-length compression"},
    {"rgb32-111110", true, "ref/q/rgb32-111110.png", cmWithinOne, "11-bit channels rounded, reference truncates"},
    {"rgb32-7187", true, "ref/q/rgb32-7187.png", cmExact, "7-18-7 masks"},
    {"rgb32-xbgr", true, "ref/q/rgb32-xbgr.png", cmExact, "masks in the high bits"},
    {"rgb32fakealpha", true, "ref/g/rgb32.png", cmExact, "the unused byte is not alpha"},
    {"rgb32h52", true, "ref/q/rgb32h52.png", cmExact, "52-byte header with masks"},
    {"rgba16-1924", true, "ref/q/rgba16-1924.png", cmOpaque, "alpha is not used"},
    {"rgba16-4444", true, "ref/q/rgba16-4444.png", cmOpaque, "alpha is not used"},
    {"rgba16-5551", true, "ref/q/rgba16-5551.png", cmOpaque, "alpha is not used"},
    {"rgba32-1", true, "ref/q/rgba32-1.png", cmOpaque, "alpha is not used"},
    {"rgba32-1010102", true, "ref/q/rgba32-1010102.png", cmOpaque, "alpha is not used"},
    {"rgba32-2", true, "ref/q/rgba32-2.png", cmOpaque, "alpha is not used"},
    {"rgba32-61754", true, "ref/q/rgba32-61754.png", cmOpaque, "alpha is not used"},
    {"rgba32-81284", true, "ref/q/rgba32-81284.png", cmOpaque, "alpha is not used"},
    {"rgba32abf", false, nullptr, cmExact, "alpha bit-field compression: 16 mask bytes the headers do not bound"},
    {"rgba32h56", true, "ref/q/rgba32h56.png", cmOpaque, "alpha is not used"},
    {"rgba64", false, nullptr, cmExact, "64 bits per pixel"},
};

TEST(BmpSuiteQuestionable, EveryFileHasItsStatedOutcome) {
  const std::vector<fs::path> files = BmpFiles("q");
  EXPECT_EQ(files.size(), std::size(QuestionableCases));
  for (const TQuestionableCase& c : QuestionableCases) {
    SCOPED_TRACE(std::string(c.File) + ": " + c.Why);
    const std::vector<uint8_t> bytes = FileBytes(TestDataPath(std::string("bmpsuite/q/") + c.File + ".bmp"));
    TReadOnlyStream stream(bytes);
    TBitmapPicture picture;
    if (!c.Decoded) {
      EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic);
      EXPECT_EQ(stream.Position(), 0);
      continue;
    }
    picture.LoadFromStream(stream);
    ExpectPixels(picture, Reference(c.Reference), c.Mode, c.File);

    // Whatever was kept reads back to the same pixels and bytes.
    TMemoryStream out;
    picture.SaveToStream(out);
    out.Seek(0);
    TBitmapPicture reread;
    reread.LoadFromStream(out);
    EXPECT_EQ(out.Position(), out.Size());
    EXPECT_EQ(reread.FileImage(), picture.FileImage());
    EXPECT_EQ(reread.Pixels().Rgb(), picture.Pixels().Rgb());
  }
}

// The file with unused bytes before its bits is read to its end and kept
// without them, with the pixel offset and file size rewritten.
TEST(BmpSuiteQuestionable, GapBeforeTheBitsIsLeftOut) {
  const std::vector<uint8_t> bytes = FileBytes(TestDataPath("bmpsuite/q/pal8offs.bmp"));
  TReadOnlyStream stream(bytes);
  TBitmapPicture picture;
  picture.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), int64_t(bytes.size()));

  const size_t tableEnd = 14 + 40 + 252 * 4;  // 1062; the bits start at 1162
  std::vector<uint8_t> expected(bytes.begin(), bytes.begin() + tableEnd);
  expected.insert(expected.end(), bytes.begin() + 1162, bytes.end());
  SetU32(expected, 2, uint32_t(expected.size()));
  SetU32(expected, 10, uint32_t(tableEnd));
  EXPECT_EQ(picture.FileImage(), expected);
}

// A version 5 header that names a profile outside the image is kept naming
// none (sRGB), so the written image refers to nothing beyond itself.
TEST(BmpSuiteQuestionable, ProfileReferenceIsDropped) {
  for (const char* stem : {"rgb24prof", "rgb24lprof"}) {
    SCOPED_TRACE(stem);
    const std::vector<uint8_t> bytes = FileBytes(TestDataPath(std::string("bmpsuite/q/") + stem + ".bmp"));
    TBitmapPicture picture;
    TReadOnlyStream stream(bytes);
    picture.LoadFromStream(stream);
    const size_t imageSize = 14 + 124 + 384 * 64;  // rows of 381 bytes padded to 384
    EXPECT_EQ(stream.Position(), int64_t(imageSize));

    std::vector<uint8_t> expected(bytes.begin(), bytes.begin() + imageSize);
    SetU32(expected, 2, uint32_t(imageSize));
    SetU32(expected, 14 + 56, 0x73524742);  // 'sRGB'
    SetU32(expected, 14 + 112, 0);  // profile offset
    SetU32(expected, 14 + 116, 0);  // profile size
    EXPECT_EQ(picture.FileImage(), expected);
  }
}

TEST(BmpSuiteRelated, BitmapArrayContainerIsRefused) {
  TBitmapPicture picture;
  EXPECT_THROW(picture.LoadFromFile(TestDataPath("bmpsuite/x/ba-bm.bmp").string()), EInvalidGraphic);
}
