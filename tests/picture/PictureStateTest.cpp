// The picture's state and its users' view of it: the empty, transparent and
// modified flags and when they change, the transparent colour, clearing,
// files (including the messages of file errors), and what Draw hands the
// canvas. Guards against flags set by a no-op, reset by Clear or touched by
// a failed load, and against the transparent colour taken from the wrong
// corner.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/RasterCanvas.h"
#include "canvas/IdleCanvas.h"
#include "figures/BitmapPicture.h"
#include "figures/Exceptions.h"
#include "figures/MessageText.h"
#include "figures/Streams.h"
#include "picture/HandBuiltBmp.h"
#include "support/RasterTestSupport.h"
#include "support/TestData.h"

namespace {

namespace fs = std::filesystem;

// 2 x 2, top row red green, bottom row blue white.
std::vector<uint8_t> TrueColour2x2() {
  TBmpFields s;
  s.Width = 2;
  s.Height = 2;
  s.Bits = {0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0, 0, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0};
  return BuildBmp(s);
}

void Load(TBitmapPicture& Picture, const std::vector<uint8_t>& Bytes) {
  TReadOnlyStream stream(Bytes);
  Picture.LoadFromStream(stream);
}

// A folder of its own for each test, removed afterwards.
class TTempFolder {
 public:
  TTempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    FPath = fs::temp_directory_path() /
            ("kresta-picture-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
    fs::remove_all(FPath);
    fs::create_directories(FPath);
  }
  ~TTempFolder() { fs::remove_all(FPath); }
  std::string File(const std::string& Name) const { return (FPath / Name).string(); }

 private:
  fs::path FPath;
};

std::vector<uint8_t> FileContent(const std::string& Name) { return ReadFileBytes(Name); }

// Records the pictures it is asked to stretch; draws nothing.
class TRecordingCanvas : public TIdleCanvas {
 public:
  struct TCall {
    TRect Dest;
    std::vector<uint32_t> Pixels;
    int32_t Width = 0;
    std::optional<uint32_t> Transparent;
  };
  std::vector<TCall> Calls;

 protected:
  void DoStretchDraw(const TRect& Dest, const TPixelImage& Picture, std::optional<uint32_t> Transparent) override {
    Calls.push_back({Dest, Picture.Rgb(), Picture.Width, Transparent});
  }
};

}  // namespace

TEST(PictureState, NewPictureIsEmptyOpaqueAndUnmodified) {
  const TBitmapPicture picture;
  EXPECT_EQ(picture.Empty(), true);
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(picture.Height(), 0);
  EXPECT_EQ(picture.Transparent(), false);
  EXPECT_EQ(picture.Modified(), false);
  EXPECT_EQ(picture.TransparentColor(), 0u);
  EXPECT_EQ(picture.FileImage().size(), 0u);
}

TEST(PictureState, TransparencyMarksModifiedOnlyWhenItChanges) {
  TBitmapPicture picture;
  picture.SetTransparent(false);
  EXPECT_EQ(picture.Modified(), false);
  picture.SetTransparent(true);
  EXPECT_EQ(picture.Transparent(), true);
  EXPECT_EQ(picture.Modified(), true);

  TBitmapPicture other;
  other.SetTransparent(true);
  other.SetTransparent(false);
  EXPECT_EQ(other.Transparent(), false);
  EXPECT_EQ(other.Modified(), true);
}

TEST(PictureState, LoadingMarksModifiedAndKeepsTransparency) {
  TBitmapPicture picture;
  Load(picture, TrueColour2x2());
  EXPECT_EQ(picture.Modified(), true);
  EXPECT_EQ(picture.Transparent(), false);
  EXPECT_EQ(picture.Empty(), false);
  EXPECT_EQ(picture.Width(), 2);
  EXPECT_EQ(picture.Height(), 2);
}

TEST(PictureState, FailedLoadChangesNothing) {
  TBitmapPicture picture;
  const std::vector<uint8_t> junk = {'B', 'M', 1, 2, 3};
  TReadOnlyStream stream(junk);
  EXPECT_THROW(picture.LoadFromStream(stream), EReadError);
  EXPECT_EQ(picture.Modified(), false);
  EXPECT_EQ(picture.Empty(), true);
}

TEST(PictureState, ClearEmptiesButKeepsTheFlags) {
  TBitmapPicture picture;
  Load(picture, TrueColour2x2());
  picture.SetTransparent(true);
  picture.Clear();
  EXPECT_EQ(picture.Empty(), true);
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(picture.FileImage().size(), 0u);
  EXPECT_EQ(picture.Transparent(), true);
  EXPECT_EQ(picture.Modified(), true);
  EXPECT_EQ(picture.TransparentColor(), 0u);
}

TEST(PictureState, TransparentColourIsTheBottomLeftPixel) {
  TBitmapPicture picture;
  Load(picture, TrueColour2x2());
  EXPECT_EQ(picture.TransparentColor(), 0x0000FFu);

  TBmpFields topDown;
  topDown.Width = 2;
  topDown.Height = -2;
  topDown.BitCount = 8;
  topDown.ClrUsed = 3;
  topDown.Palette = {0x111111, 0x222222, 0x333333};
  topDown.Bits = {0, 1, 0, 0, 2, 0, 0, 0};
  Load(picture, BuildBmp(topDown));
  EXPECT_EQ(picture.TransparentColor(), 0x333333u);
}

TEST(PictureState, TransparentColourOfATwoColourPictureIsWhite) {
  TBmpFields s;
  s.Width = 2;
  s.Height = 2;
  s.BitCount = 1;
  s.Palette = {0xFFFFFF, 0x000000};
  s.Bits = {0b10000000, 0, 0, 0, 0b01000000, 0, 0, 0};  // bottom-left black
  TBitmapPicture picture;
  Load(picture, BuildBmp(s));
  EXPECT_EQ(picture.Pixels().At(0, 1), 0x000000u);
  EXPECT_EQ(picture.TransparentColor(), 0xFFFFFFu);
}

TEST(PictureState, FilesRoundTrip) {
  const TTempFolder folder;
  TBitmapPicture picture;
  Load(picture, TrueColour2x2());
  picture.SaveToFile(folder.File("a.dat"));  // whatever the extension
  EXPECT_EQ(FileContent(folder.File("a.dat")), TrueColour2x2());

  TBitmapPicture copy;
  copy.LoadFromFile(folder.File("a.dat"));
  EXPECT_EQ(copy.Pixels().Rgb(), picture.Pixels().Rgb());
  EXPECT_EQ(copy.Modified(), true);
}

TEST(PictureState, EmptyPictureMakesAnEmptyFile) {
  const TTempFolder folder;
  const std::string name = folder.File("empty.bmp");
  std::ofstream(name) << "previous content";
  TBitmapPicture().SaveToFile(name);
  EXPECT_EQ(fs::file_size(name), 0u);
}

TEST(PictureState, FileErrorsNameTheFile) {
  const TTempFolder folder;
  const std::string missing = folder.File("no-such-folder/x.bmp");
  TBitmapPicture picture;
  Load(picture, TrueColour2x2());
  try {
    picture.SaveToFile(missing);
    ADD_FAILURE() << "no failure";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + QuoteForMessage(missing) + ". No such file or directory");
  }
  try {
    picture.LoadFromFile(missing);
    ADD_FAILURE() << "no failure";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + QuoteForMessage(missing) + ". No such file or directory");
  }
  EXPECT_EQ(picture.FileImage(), TrueColour2x2());
}

TEST(PictureState, OtherRasterFormatIsRefusedKeepingTheImage) {
  TBitmapPicture picture;
  Load(picture, TrueColour2x2());
  EXPECT_THROW(picture.LoadFromFile(TestDataPath("jpeg/testorig.jpg").string()), EInvalidGraphic);
  EXPECT_EQ(picture.FileImage(), TrueColour2x2());
  EXPECT_EQ(picture.Width(), 2);
}

TEST(PictureState, DrawStretchesIntoTheRectangleWithTheTransparentColour) {
  TBitmapPicture picture;
  TRecordingCanvas canvas;
  picture.Draw(canvas, {0, 0, 10, 10});
  EXPECT_EQ(canvas.Calls.size(), 0u);

  Load(picture, TrueColour2x2());
  picture.Draw(canvas, {30, 20, 10, 5});
  picture.SetTransparent(true);
  picture.Draw(canvas, {1, 2, 3, 4});
  ASSERT_EQ(canvas.Calls.size(), 2u);
  EXPECT_EQ(canvas.Calls[0].Dest, (TRect{30, 20, 10, 5}));
  EXPECT_EQ(canvas.Calls[0].Width, 2);
  EXPECT_EQ(canvas.Calls[0].Pixels, (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
  EXPECT_EQ(canvas.Calls[0].Transparent, std::nullopt);
  EXPECT_EQ(canvas.Calls[1].Dest, (TRect{1, 2, 3, 4}));
  EXPECT_EQ(canvas.Calls[1].Transparent, std::optional<uint32_t>(0x0000FF));
}

// On the program's raster: each picture pixel becomes a 2 x 2 block of the
// 4 x 4 destination; with transparency on, the blue bottom-left block keeps
// the background.
TEST(PictureState, DrawOnTheRasterLeavesTheTransparentColourOut) {
  TBitmapPicture picture;
  Load(picture, TrueColour2x2());
  const auto rgb = [](const QImage& Image, int X, int Y) { return uint32_t(Image.pixel(X, Y) & 0xFFFFFF); };
  for (const bool transparent : {false, true}) {
    SCOPED_TRACE(transparent ? "transparent" : "opaque");
    QImage image = MakeRaster(8, 8, 0x00808080);
    {
      TRasterCanvas canvas(image);
      picture.SetTransparent(transparent);
      picture.Draw(canvas, {2, 2, 6, 6});
    }
    EXPECT_EQ(rgb(image, 2, 2), 0xFF0000u);
    EXPECT_EQ(rgb(image, 3, 3), 0xFF0000u);
    EXPECT_EQ(rgb(image, 5, 2), 0x00FF00u);
    EXPECT_EQ(rgb(image, 5, 5), 0xFFFFFFu);
    EXPECT_EQ(rgb(image, 2, 5), transparent ? 0x808080u : 0x0000FFu);
    EXPECT_EQ(rgb(image, 3, 4), transparent ? 0x808080u : 0x0000FFu);
    EXPECT_EQ(rgb(image, 1, 1), 0x808080u);
    EXPECT_EQ(rgb(image, 6, 6), 0x808080u);
  }
}
