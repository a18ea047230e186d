// Clipboard exchange within one process: the bytes under each format name,
// image and figure round trips, replacement of every format by a copy, and
// the failures a paste reports. Guards against a block read from the wrong
// position, formats left behind by a copy, a paste that shares state with
// the copied figure, a lost selection or background, and wrong failure
// kinds (an unknown class must be a silent abort, a missing format "Out of
// memory").
#include <gtest/gtest.h>

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

#include "canvas/RasterCanvas.h"
#include "clipboard/ClipboardTestSupport.h"
#include "document/ClipBoardUnit.h"
#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "support/RasterTestSupport.h"

using namespace cliptest;

namespace {

QByteArray ToQBytes(const Bytes& B) { return QByteArray(reinterpret_cast<const char*>(B.data()), qsizetype(B.size())); }

Bytes FromQBytes(const QByteArray& B) { return Bytes(B.begin(), B.end()); }

Bytes Save(const TFiguresCollection& Collection) {
  TMemoryStream stream;
  Collection.SaveToStream(stream);
  return stream.TakeData();
}

// Puts raw bytes under a format name, as another program would.
void PutRaw(const char* Format, const Bytes& Block) {
  auto data = std::make_unique<QMimeData>();
  data->setData(QString::fromLatin1(Format), ToQBytes(Block));
  QGuiApplication::clipboard()->setMimeData(data.release());
}

QStringList ClipboardFormats() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr ? data->formats() : QStringList();
}

Bytes ClipboardBytes(const char* Format) {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr ? FromQBytes(data->data(QString::fromLatin1(Format))) : Bytes();
}

std::vector<std::string> ClassNames(const TFiguresCollection& Collection) {
  std::vector<std::string> names;
  for (PFigureNode n = Collection.Head(); n != nullptr; n = n->Next) names.push_back(n->Figure->ClassName());
  return names;
}

// Every test starts from an empty clipboard.
struct ClipboardTest : ::testing::Test {
  void SetUp() override { QGuiApplication::clipboard()->clear(); }
  void TearDown() override { QGuiApplication::clipboard()->clear(); }
};

// An image with one figure of every class, a system background colour, an
// offset rectangle and the third figure selected.
struct ClipboardImageTest : ClipboardTest {
  void SetUp() override {
    ClipboardTest::SetUp();
    int seed = 0;
    for (const TFigureClass* cls : RegisteredFigureClasses()) ASSERT_NE(Image.Add(MakeFigure(*cls, ++seed)), nullptr);
    Image.SetSelected(Image.GetFigure(2));
    Image.SetBackgroundColor(clSystemColor + 15);
  }
  QImage Raster = MakeRaster(330, 140);
  TRasterCanvas Canvas{Raster};
  TFiguresCollection Image{&Canvas, TRect{0, 0, 321, 123}};
};

}  // namespace

TEST_F(ClipboardTest, PutPlacesTheStreamBytesFromItsPositionUnderTheFormatName) {
  TMemoryStream stream(Bytes{1, 2, 3, 4, 5, 6, 7});
  stream.Seek(3);
  PutStreamToClipboard(stream, CF_FIGURE);
  EXPECT_EQ(stream.Position(), 7);
  EXPECT_EQ(ClipboardFormats(), QStringList{"Kresta Figure"});
  EXPECT_EQ(ClipboardBytes("Kresta Figure"), (Bytes{4, 5, 6, 7}));

  TMemoryStream image(Bytes{9, 8});
  PutStreamToClipboard(image, CF_IMAGE);
  EXPECT_EQ(ClipboardFormats(), QStringList{"Kresta Image"});
  EXPECT_EQ(ClipboardBytes("Kresta Image"), (Bytes{9, 8}));
}

TEST_F(ClipboardTest, GetWritesTheWholeBlockAtTheStreamPosition) {
  PutRaw("Kresta Image", Bytes{10, 20, 30});
  TMemoryStream appended(Bytes{1, 2});
  appended.Seek(2);
  GetStreamFromClipboard(appended, CF_IMAGE);
  EXPECT_EQ(appended.Data(), (Bytes{1, 2, 10, 20, 30}));

  TMemoryStream overwritten(Bytes{1, 2, 3, 4, 5});
  overwritten.Seek(1);
  GetStreamFromClipboard(overwritten, CF_IMAGE);
  EXPECT_EQ(overwritten.Data(), (Bytes{1, 10, 20, 30, 5}));
  // The block stays on the clipboard for the next reader.
  EXPECT_EQ(ClipboardBytes("Kresta Image"), (Bytes{10, 20, 30}));
}

TEST_F(ClipboardTest, AnAbsentFormatIsOutOfMemory) {
  const auto expectOutOfMemory = [](const char* Situation) {
    SCOPED_TRACE(Situation);
    TMemoryStream stream;
    try {
      GetStreamFromClipboard(stream, CF_FIGURE);
      ADD_FAILURE() << "no failure";
    } catch (const EOutOfMemory& e) {
      EXPECT_EQ(std::string(e.what()), "Out of memory");
    }
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_THROW(PasteFigureFromClipboard(), EOutOfMemory);
  };
  ASSERT_EQ(QGuiApplication::clipboard()->mimeData(), nullptr);
  expectOutOfMemory("empty clipboard");
  EXPECT_EQ(ClipboardHasImage(), false);

  QGuiApplication::clipboard()->setText("Kresta Figure");
  expectOutOfMemory("text only");

  PutRaw("Kresta Image", Bytes{1});
  expectOutOfMemory("image only");

  PutRaw("kresta figure", Bytes{0, 0, 0, 0});
  expectOutOfMemory("the name in other letter case");

  TFiguresCollection image(nullptr);
  QGuiApplication::clipboard()->clear();
  EXPECT_THROW(PasteImageFromClipboard(image), EOutOfMemory);
}

TEST_F(ClipboardTest, CopyingReplacesEveryFormat) {
  auto data = std::make_unique<QMimeData>();
  data->setText("left over");
  data->setData("Kresta Image", QByteArray("image"));
  data->setData("application/x-other", QByteArray("other"));
  QGuiApplication::clipboard()->setMimeData(data.release());
  ASSERT_EQ(ClipboardHasImage(), true);

  const auto ellipse = MakeFigure(TFigureEllipse::Class, 1);
  CopyFigureToClipboard(*ellipse);
  EXPECT_EQ(ClipboardFormats(), QStringList{"Kresta Figure"});
  EXPECT_EQ(ClipboardHasImage(), false);

  TFiguresCollection image(nullptr, TRect{0, 0, 10, 10});
  CopyImageToClipboard(image);
  EXPECT_EQ(ClipboardFormats(), QStringList{"Kresta Image"});
  EXPECT_EQ(ClipboardHasImage(), true);
  EXPECT_THROW(PasteFigureFromClipboard(), EOutOfMemory);
}

TEST_F(ClipboardImageTest, TheImageBlockIsTheContainer) {
  CopyImageToClipboard(Image);
  EXPECT_EQ(ClipboardBytes("Kresta Image"), Save(Image));
  EXPECT_EQ(ClipboardHasImage(), true);
}

TEST_F(ClipboardImageTest, PastingGivesTheSameImage) {
  CopyImageToClipboard(Image);

  TFiguresCollection pasted(nullptr);
  pasted.Add(MakeFigure(TFigureRectangle::Class, 99));
  PasteImageFromClipboard(pasted);
  EXPECT_EQ(ClassNames(pasted), ClassNames(Image));
  EXPECT_EQ(pasted.BackgroundColor(), clSystemColor + 15);
  EXPECT_EQ(pasted.ImageRect(), (TRect{0, 0, 321, 123}));
  EXPECT_EQ(pasted.IndexOf(pasted.Selected()), 2);
  int i = 0;
  for (PFigureNode a = Image.Head(), b = pasted.Head(); a != nullptr && b != nullptr; a = a->Next, b = b->Next) {
    SCOPED_TRACE(a->Figure->ClassName());
    EXPECT_EQ(RecordOf(*b->Figure), RecordOf(*a->Figure));
    EXPECT_EQ(b->Figure->Canvas(), nullptr);
    ++i;
  }
  EXPECT_EQ(i, int(RegisteredFigureClasses().size()));
  // The block stays: a second paste gives the image again.
  TFiguresCollection again(nullptr);
  PasteImageFromClipboard(again);
  EXPECT_EQ(Save(again), Save(Image));
}

TEST_F(ClipboardImageTest, AnImageWithoutSelectionPastesWithoutSelection) {
  Image.SetSelected(nullptr);
  CopyImageToClipboard(Image);
  TFiguresCollection pasted(nullptr);
  PasteImageFromClipboard(pasted);
  EXPECT_EQ(pasted.Selected(), nullptr);
  EXPECT_EQ(pasted.Count(), Image.Count());
}

TEST_F(ClipboardImageTest, ContainerFailuresPropagateAndKeepTheFigures) {
  TFiguresCollection target(nullptr, TRect{0, 0, 5, 5});
  TBasicFigure* kept = target.Add(MakeFigure(TFigurePie::Class, 3));
  ASSERT_NE(kept, nullptr);

  Bytes wrongSignature = Save(Image);
  wrongSignature[3] = 'X';
  PutRaw("Kresta Image", wrongSignature);
  try {
    PasteImageFromClipboard(target);
    ADD_FAILURE() << "no failure";
  } catch (const EAbort& e) {
    EXPECT_EQ(std::string(e.what()), "Image signature incorrect");
  }
  EXPECT_EQ(target.Count(), 1);
  EXPECT_EQ(target.GetFigure(0), kept);
}

TEST_F(ClipboardTest, TheFigureBlockIsNameLengthNameAndRecord) {
  const auto ellipse = MakeFigure(TFigureEllipse::Class, 4);
  CopyFigureToClipboard(*ellipse);
  const Bytes block = ClipboardBytes("Kresta Figure");
  const Bytes head{0x0E, 0, 0, 0, 'T', 'F', 'i', 'g', 'u', 'r', 'e', 'E', 'l', 'l', 'i', 'p', 's', 'e'};
  ASSERT_GE(block.size(), head.size());
  EXPECT_EQ(Bytes(block.begin(), block.begin() + std::ptrdiff_t(head.size())), head);
  EXPECT_EQ(Bytes(block.begin() + std::ptrdiff_t(head.size()), block.end()), RecordOf(*ellipse));
}

TEST_F(ClipboardTest, AFigurePastedTwiceGivesTwoIndependentEqualFigures) {
  int seed = 0;
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    SCOPED_TRACE(cls->ClassName);
    QImage raster = MakeRaster(100, 100);
    TRasterCanvas canvas(raster);
    TFiguresCollection owner(&canvas, TRect{0, 0, 100, 100});
    TBasicFigure* original = owner.Add(MakeFigure(*cls, ++seed));
    ASSERT_NE(original, nullptr);
    original->SetCanvas(&canvas);
    const Bytes before = RecordOf(*original);
    const Bytes ownerBefore = Save(owner);

    CopyFigureToClipboard(*original);
    EXPECT_EQ(RecordOf(*original), before);
    EXPECT_EQ(Save(owner), ownerBefore);
    EXPECT_EQ(owner.Selected(), original);

    std::unique_ptr<TBasicFigure> first = PasteFigureFromClipboard();
    std::unique_ptr<TBasicFigure> second = PasteFigureFromClipboard();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(std::string(first->ClassName()), std::string(cls->ClassName));
    EXPECT_EQ(std::string(second->ClassName()), std::string(cls->ClassName));
    EXPECT_EQ(RecordOf(*first), before);
    EXPECT_EQ(RecordOf(*second), before);
    EXPECT_EQ(first->Canvas(), nullptr);
    EXPECT_EQ(second->Canvas(), nullptr);

    // Changing one copy touches neither the other nor the original.
    ASSERT_TRUE(first->MoveBy({13, -7}));
    first->SetPenColor(0x00010203u);
    EXPECT_NE(RecordOf(*first), before);
    EXPECT_EQ(RecordOf(*second), before);
    EXPECT_EQ(RecordOf(*original), before);
  }
}

TEST_F(ClipboardTest, AFigureClassIsFoundWithoutRegardToCase) {
  const auto chord = MakeFigure(TFigureChord::Class, 5);
  PutRaw("Kresta Figure", FigureBlock("tfigureCHORD", RecordOf(*chord)));
  const std::unique_ptr<TBasicFigure> pasted = PasteFigureFromClipboard();
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(std::string(pasted->ClassName()), "TFigureChord");
  EXPECT_EQ(RecordOf(*pasted), RecordOf(*chord));
}

TEST_F(ClipboardTest, AnUnknownFigureClassIsASilentAbort) {
  const auto ellipse = MakeFigure(TFigureEllipse::Class, 6);
  const Bytes record = RecordOf(*ellipse);
  for (const std::string name : {"TFigureCircle", "", "TFigureEllipse ", "TBasicFigure", "TFigure"}) {
    SCOPED_TRACE("name '" + name + "'");
    PutRaw("Kresta Figure", FigureBlock(name, record));
    std::unique_ptr<TBasicFigure> pasted;
    try {
      pasted = PasteFigureFromClipboard();
      ADD_FAILURE() << "pasted a " << pasted->ClassName();
    } catch (const EAbort& e) {
      EXPECT_EQ(std::string(e.what()), "Figure class unknown");
    }
    EXPECT_EQ(pasted, nullptr);
  }
  // A name with an embedded terminator is not the class either.
  PutRaw("Kresta Figure", FigureBlock(std::string("TFigureEllipse\0", 15), record));
  EXPECT_THROW(PasteFigureFromClipboard(), EAbort);
}

TEST_F(ClipboardTest, ABlockLongerThanItsDataPastes) {
  const Bytes tail(300, 0xA5);
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    SCOPED_TRACE(cls->ClassName);
    const auto figure = MakeFigure(*cls, 7);
    Bytes block = FigureBlock(*figure);
    block.insert(block.end(), tail.begin(), tail.end());
    PutRaw("Kresta Figure", block);
    const std::unique_ptr<TBasicFigure> pasted = PasteFigureFromClipboard();
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(RecordOf(*pasted), RecordOf(*figure));
  }
}

TEST_F(ClipboardImageTest, AnImageBlockLongerThanItsDataPastes) {
  Bytes block = Save(Image);
  block.insert(block.end(), 500, 0x00);
  block.insert(block.end(), 500, 0xFF);
  PutRaw("Kresta Image", block);
  TFiguresCollection pasted(nullptr);
  PasteImageFromClipboard(pasted);
  EXPECT_EQ(Save(pasted), Save(Image));
}

// Beside the container, other programs get the picture as PNG; the block is
// the same bytes as without it, and the next copy takes the picture away.
TEST_F(ClipboardImageTest, AnImageCopiedWithItsPictureOffersPng) {
  QImage picture = MakeRaster(7, 5, 0x00336699);
  picture.setPixel(6, 4, qRgb(1, 2, 3));
  CopyImageToClipboard(Image, picture);
  EXPECT_EQ(ClipboardFormats(), (QStringList{"Kresta Image", "image/png"}));
  EXPECT_EQ(ClipboardBytes("Kresta Image"), Save(Image));
  QImage decoded;
  ASSERT_TRUE(decoded.loadFromData(QGuiApplication::clipboard()->mimeData()->data("image/png"), "PNG"));
  EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), picture.convertToFormat(QImage::Format_RGB32));

  CopyImageToClipboard(Image);
  EXPECT_EQ(ClipboardFormats(), QStringList{"Kresta Image"});
}
