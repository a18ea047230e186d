// The JPEG decoder and the about window. Guards against a decoder that
// disagrees with Qt's own on real files, mixes up CMYK, passes a damaged or
// truncated file off as a picture, or allocates for absurd dimensions; and
// against an about window whose fade takes wrong steps or never stops, that
// ignores a modifier key or a press, that does not fade in anew after
// closing, that draws a line without its carriage return, or that piles
// text upon text over repeated showings.
#include <gtest/gtest.h>

#include <QFile>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "figures/Exceptions.h"
#include "figures/Streams.h"
#include "support/TestData.h"
#include "ui/AboutUnit.h"
#include "ui/Application.h"
#include "ui/JpegImage.h"

namespace {

std::vector<uint8_t> JpegTestFile(const std::string& Name) {
  return ReadFileBytes(TestDataPath("jpeg/" + Name).string());
}

int ChannelDistance(QRgb A, QRgb B) {
  return std::max({std::abs(qRed(A) - qRed(B)), std::abs(qGreen(A) - qGreen(B)), std::abs(qBlue(A) - qBlue(B))});
}

TEST(JpegDecodeTest, AgreesWithQtsDecoderOnBaselineProgressiveAndGreyscaleFiles) {
  for (const std::string name : {"testorig.jpg", "testimgp.jpg", "testimggray.jpg"}) {
    SCOPED_TRACE(name);
    const QString path = QString::fromStdString(TestDataPath("jpeg/" + name).string());
    const QImage ours = LoadJpegFile(path);
    const QImage reference = QImage(path, "JPG").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(ours.format(), QImage::Format_RGB32);
    ASSERT_EQ(ours.size(), QSize(227, 149));
    ASSERT_EQ(reference.size(), ours.size());
    for (const QPoint p : {QPoint(0, 0), QPoint(226, 148), QPoint(113, 74), QPoint(40, 120), QPoint(200, 20)})
      EXPECT_LE(ChannelDistance(ours.pixel(p), reference.pixel(p)), 3) << "at " << p.x() << ", " << p.y();
  }
}

// Samples of Components bytes a pixel, rows top to bottom, compressed at
// quality 100; a CMYK file gets an Adobe marker. A scan script, when given,
// replaces the single baseline scan.
std::vector<uint8_t> Compress(int Width, int Height, int Components, J_COLOR_SPACE Space,
                              const std::vector<uint8_t>& Samples, const std::vector<jpeg_scan_info>& Scans = {}) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = JDIMENSION(Width);
  info.image_height = JDIMENSION(Height);
  info.input_components = Components;
  info.in_color_space = Space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  if (!Scans.empty()) {
    info.scan_info = Scans.data();
    info.num_scans = int(Scans.size());
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(Samples.data() + size_t(info.next_scanline) * size_t(Width * Components));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

TEST(JpegDecodeTest, AdobeCmykBecomesTheColourItsInksPrint) {
  // Samples are 255 - ink under the Adobe marker: magenta ink alone on the
  // left 8 x 8 block, no ink but half black on the right one.
  std::vector<uint8_t> samples;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x)
      samples.insert(samples.end(), {255, uint8_t(x < 8 ? 0 : 255), 255, uint8_t(x < 8 ? 255 : 127)});
  const QImage image = DecodeJpeg(Compress(16, 8, 4, JCS_CMYK, samples));
  ASSERT_EQ(image.size(), QSize(16, 8));
  EXPECT_LE(ChannelDistance(image.pixel(3, 4), qRgb(255, 0, 255)), 2) << std::hex << image.pixel(3, 4);
  EXPECT_LE(ChannelDistance(image.pixel(12, 4), qRgb(127, 127, 127)), 2) << std::hex << image.pixel(12, 4);
}

TEST(JpegDecodeTest, AProgressiveFileOfTooManyScansIsRefused) {
  // The DC, then each AC coefficient on its own, bit by bit: 1 + 63 x 9
  // scans, a valid file.
  std::vector<jpeg_scan_info> scans{{1, {0}, 0, 0, 0, 0}};
  for (int k = 1; k < 64; ++k) {
    scans.push_back({1, {0}, k, k, 0, 8});
    for (int bit = 7; bit >= 0; --bit) scans.push_back({1, {0}, k, k, bit + 1, bit});
  }
  ASSERT_GT(int(scans.size()), MaxJpegScans);
  std::vector<uint8_t> samples(64);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = uint8_t(i * 4);
  EXPECT_THROW(DecodeJpeg(Compress(8, 8, 1, JCS_GRAYSCALE, samples, scans)), EInvalidJpeg);
}

TEST(JpegDecodeTest, DamagedBytesAreNotAPicture) {
  const std::vector<uint8_t> whole = JpegTestFile("testorig.jpg");
  std::vector<uint8_t> garbage(3000);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37 + 11);
  std::vector<uint8_t> scrambledScan = whole;
  std::fill(scrambledScan.begin() + 2000, scrambledScan.begin() + 2600, uint8_t(0xFF));
  const struct {
    const char* Name;
    std::vector<uint8_t> Bytes;
  } cases[] = {
      {"truncated in the scan (libjpeg only warns)", {whole.begin(), whole.begin() + long(whole.size() / 2)}},
      {"headers only", {whole.begin(), whole.begin() + 600}},
      {"scan data overwritten", scrambledScan},
      {"not a JPEG", garbage},
      {"empty", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      DecodeJpeg(c.Bytes);
      ADD_FAILURE() << "decoded";
    } catch (const EInvalidJpeg& e) {
      EXPECT_STREQ(e.what(), "JPEG image is not valid");
    }
  }
}

TEST(JpegDecodeTest, DimensionsBeyondTheBufferLimitAreRefused) {
  // 20000 x 20000 pixels in the frame header (FF C0, length, precision,
  // height, width): 1.6 GB of pixels.
  std::vector<uint8_t> bytes = JpegTestFile("testorig.jpg");
  const uint8_t startOfFrame[] = {0xFF, 0xC0};
  const auto frame = std::search(bytes.begin(), bytes.end(), std::begin(startOfFrame), std::end(startOfFrame));
  ASSERT_NE(frame, bytes.end());
  for (size_t i : {5u, 7u}) {
    frame[long(i)] = uint8_t(20000 >> 8);
    frame[long(i) + 1] = uint8_t(20000 & 0xFF);
  }
  EXPECT_THROW(DecodeJpeg(bytes), EImageSizeInvalid);
}

// Offscreen cannot apply a window's opacity and says so at every change.
QtMessageHandler PreviousMessageHandler = nullptr;

void DropOpacityNotes(QtMsgType Type, const QMessageLogContext& Context, const QString& Message) {
  if (!Message.contains(QLatin1String("does not support setting window opacity")))
    PreviousMessageHandler(Type, Context, Message);
}

class AboutWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PreviousMessageHandler = qInstallMessageHandler(DropOpacityNotes);
    FPreviousReporter = TApplication::SetErrorReporter([this](const QString& Message) { Reports.push_back(Message); });
    Window = std::make_unique<TfrmAbout>();
  }
  void TearDown() override {
    Window.reset();
    qInstallMessageHandler(PreviousMessageHandler);
    TApplication::SetErrorReporter(FPreviousReporter);
    EXPECT_EQ(Reports.size(), 0u) << Reports.front().toStdString();
  }

  static QImage ResourcePicture() {
    QFile resource(QStringLiteral(":/imgAbout"));
    EXPECT_TRUE(resource.open(QIODevice::ReadOnly)) << "the resource imgAbout is not linked in";
    const QByteArray bytes = resource.readAll();
    return DecodeJpeg(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
  }

  static int DifferingPixels(const QImage& A, const QImage& B, const QRect& Area) {
    int differing = 0;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
      for (int x = Area.left(); x <= Area.right(); ++x) differing += A.pixel(x, y) != B.pixel(x, y);
    return differing;
  }

  std::unique_ptr<TfrmAbout> Window;
  std::vector<QString> Reports;

 private:
  TApplication::TErrorReporter FPreviousReporter;
};

TEST_F(AboutWindowTest, ShowsTheCompiledInPictureBorderlessAndCentred) {
  Window->show();
  EXPECT_EQ(Window->size(), QSize(666, 500));
  EXPECT_TRUE(Window->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(Window->cursor().shape(), Qt::PointingHandCursor);
  const QRect screen = Window->screen()->geometry();
  EXPECT_EQ(Window->geometry().center(), screen.center());
  EXPECT_EQ(Window->accessibleName(), QStringLiteral("О программе"));
  // Whatever cursive face stands in, the paragraph's ten lines stay inside.
  EXPECT_LE(Window->imgAbout->Canvas().TextHeight("A") * 10, 250);

  // The sky right of the poem and above the paragraph holds no text.
  const QImage decoded = ResourcePicture();
  ASSERT_EQ(decoded.size(), QSize(666, 500));
  const QRect textFree(300, 5, 360, 230);
  EXPECT_EQ(DifferingPixels(Window->imgAbout->Bitmap(), decoded, textFree), 0);
  EXPECT_GT(DifferingPixels(Window->imgAbout->Bitmap(), decoded, Window->rect()), 0) << "no text drawn";
}

TEST_F(AboutWindowTest, FadesInBySevenEvery48MillisecondsThenStops) {
  Window->show();
  EXPECT_EQ(Window->timerTransp->interval(), 48);
  std::vector<int> expected, seen{Window->AlphaBlendValue()};
  for (int alpha = 10; alpha <= 248; alpha += 7) expected.push_back(alpha);
  expected.push_back(255);
  for (int tick = 1; tick <= 35; ++tick) {
    ASSERT_TRUE(Window->timerTransp->isActive()) << "stopped before tick " << tick;
    Window->timerTranspTimer();
    seen.push_back(Window->AlphaBlendValue());
  }
  EXPECT_EQ(seen, expected);
  EXPECT_FALSE(Window->timerTransp->isActive());
}

TEST_F(AboutWindowTest, ClosingMidFadeStartsTheNextShowingFromTheBeginning) {
  Window->show();
  for (int tick = 0; tick < 12; ++tick) Window->timerTranspTimer();
  ASSERT_EQ(int(Window->AlphaBlendValue()), 94);
  QTest::keyClick(Window.get(), Qt::Key_Shift);
  EXPECT_FALSE(Window->isVisible());
  EXPECT_EQ(int(Window->AlphaBlendValue()), 10);
  EXPECT_FALSE(Window->timerTransp->isActive());

  Window->show();
  EXPECT_TRUE(Window->timerTransp->isActive());
  Window->timerTranspTimer();
  EXPECT_EQ(int(Window->AlphaBlendValue()), 17);
}

TEST_F(AboutWindowTest, AnyKeyOrMousePressCloses) {
  for (const Qt::Key key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_A, Qt::Key_Escape, Qt::Key_Tab}) {
    Window->show();
    QTest::keyPress(Window.get(), key);
    EXPECT_FALSE(Window->isVisible()) << "key " << std::hex << int(key);
    QTest::keyRelease(Window.get(), key);
  }
  for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    Window->show();
    QTest::mousePress(Window->imgAbout, button, Qt::NoModifier, QPoint(333, 400));
    EXPECT_FALSE(Window->isVisible()) << "button " << int(button);
    // QTest holds a pressed button for every later mouse event of the suite.
    QTest::mouseRelease(Window->imgAbout, button, Qt::NoModifier, QPoint(333, 400));
  }

  // A modal showing ends at the key; the fallback only keeps a failing test
  // from hanging.
  bool closedByKey = false;
  QTimer::singleShot(0, Window.get(), [&] {
    QTest::keyPress(Window.get(), Qt::Key_Control);
    closedByKey = !Window->isVisible();
    QTest::keyRelease(Window.get(), Qt::Key_Control);
  });
  QTimer::singleShot(5000, Window.get(), [&] { Window->reject(); });
  Window->exec();
  EXPECT_TRUE(closedByKey);
}

TEST_F(AboutWindowTest, DrawTextLinesSkipsWhatFollowsTheLastCarriageReturn) {
  QImage black(666, 500, QImage::Format_RGB32);
  black.fill(Qt::black);
  Window->imgAbout->Assign(black);
  TCanvas& canvas = Window->imgAbout->Canvas();
  canvas.Brush.Style = bsClear;
  canvas.Font.Color = clWhite;
  canvas.Font.Height = -21;
  const int h = canvas.TextHeight("A");
  ASSERT_GT(h, 10);
  const QImage& drawn = Window->imgAbout->Bitmap();

  Window->DrawTextLines(10, 10, "WWW\rWWW");
  EXPECT_GT(DifferingPixels(drawn, black, QRect(0, 10, 200, h)), 0) << "first line missing";
  EXPECT_EQ(DifferingPixels(drawn, black, QRect(0, 10 + h, 200, h)), 0) << "unterminated line drawn";

  Window->DrawTextLines(10, 250, "WWW\rWWW\r");
  EXPECT_GT(DifferingPixels(drawn, black, QRect(0, 250 + h, 200, h)), 0) << "second line missing";
  EXPECT_EQ(DifferingPixels(drawn, black, QRect(0, 250 + 2 * h, 200, h)), 0);
}

TEST_F(AboutWindowTest, EachShowingStartsFromAFreshlyDecodedPicture) {
  Window->show();
  const QImage first = Window->imgAbout->Bitmap();
  // Leftovers in a text-free area and over the poem.
  Window->imgAbout->Canvas().Brush = {clWhite, bsSolid};
  Window->imgAbout->Canvas().FillRect({420, 20, 460, 60});
  Window->imgAbout->Canvas().FillRect({12, 12, 100, 40});
  Window->DrawTextLines(300, 300, "WWW\r");
  Window->close();

  Window->show();
  EXPECT_EQ(DifferingPixels(Window->imgAbout->Bitmap(), first, Window->rect()), 0);
  EXPECT_EQ(DifferingPixels(Window->imgAbout->Bitmap(), ResourcePicture(), QRect(300, 5, 360, 230)), 0);
}

}  // namespace
