// The image container: the exact header, entries of class name and record,
// reading back the same image, and refusing bad data without losing what
// the caller had. Guards against a wrong signature check, a collection
// cleared by a refused load, garbage parsed as entries, absurd image sizes
// and files left damaged by a failed save.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "canvas/RasterCanvas.h"
#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "support/BmpBuilder.h"
#include "support/RasterTestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes Save(const TFiguresCollection& Collection) {
  TMemoryStream stream;
  Collection.SaveToStream(stream);
  return stream.TakeData();
}

// One figure of every class, with non-default attributes.
void FillWithEveryClass(TFiguresCollection& Collection) {
  int i = 0;
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    auto figure = cls->Create(nullptr);
    figure->SetPenColor(0x000010u * uint32_t(++i));
    figure->SetPenWidth(i);
    if (auto* line = dynamic_cast<TFigurePolyLine*>(figure.get())) {
      line->AddPoint({i, 2 * i});
      line->AddPoint({5, 6});
    } else if (auto* polygon = dynamic_cast<TFigurePolygon*>(figure.get())) {
      polygon->AddPoint({i, 2 * i});
    } else {
      figure->SetPoint(0, {i, 2 * i});
    }
    if (auto* text = dynamic_cast<TFigureText*>(figure.get())) text->SetText("text");
    if (auto* picture = dynamic_cast<TFigureBitmap*>(figure.get())) {
      const Bytes bytes = bmp::Rgb24(2, 2, {1, 2, 3, 4});
      TReadOnlyStream stream(bytes);
      picture->LoadPictureFromStream(stream);
    }
    ASSERT_NE(Collection.Add(std::move(figure)), nullptr);
  }
}

std::vector<std::string> ClassNames(const TFiguresCollection& Collection) {
  std::vector<std::string> names;
  for (PFigureNode n = Collection.Head(); n != nullptr; n = n->Next) names.push_back(n->Figure->ClassName());
  return names;
}

void PutU32(Bytes& B, size_t At, uint32_t V) {
  for (int i = 0; i < 4; ++i) B[At + size_t(i)] = uint8_t(V >> (8 * i));
}

// An image with a canvas, as the program keeps it.
struct ContainerTest : ::testing::Test {
  QImage Raster = MakeRaster(300, 200);
  TRasterCanvas Canvas{Raster};
  TFiguresCollection Image{&Canvas, TRect{0, 0, 300, 200}};
};

}  // namespace

TEST_F(ContainerTest, EmptyDefaultImageIsTheThirtyThreeByteHeader) {
  TFiguresCollection image(&Canvas, TRect{0, 0, 650, 400});
  image.SetBackgroundColor(0x00FFFFFF);
  EXPECT_EQ(Save(image), (Bytes{0x4B, 0x52, 0x49, 0x20, 0x20, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x00, 0, 0, 0, 0, 0,
                                0,    0,    0,    0x8A, 0x02, 0, 0, 0x90, 0x01, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(ContainerTest, EntriesAreNameLengthNameAndRecord) {
  TBasicFigure* ellipse = Image.Add(std::make_unique<TFigureEllipse>(&Canvas));
  const Bytes data = Save(Image);
  TMemoryStream record;
  ellipse->SaveToStream(record);
  Bytes expected{0x0E, 0, 0, 0, 'T', 'F', 'i', 'g', 'u', 'r', 'e', 'E', 'l', 'l', 'i', 'p', 's', 'e'};
  expected.insert(expected.end(), record.Data().begin(), record.Data().end());
  EXPECT_EQ(Bytes(data.begin() + 33, data.end()), expected);
  EXPECT_EQ(Bytes(data.begin() + 5, data.begin() + 9), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(Bytes(data.begin() + 29, data.begin() + 33), (Bytes{0, 0, 0, 0})) << "the ellipse is selected";
}

TEST_F(ContainerTest, RoundTripGivesTheSameImage) {
  FillWithEveryClass(Image);
  Image.SetBackgroundColor(0x80000005);
  Image.SetSelected(Image.GetFigure(3));
  const Bytes data = Save(Image);
  TReadOnlyStream stream(data);
  const auto copy = TFiguresCollection::CreateFromStream(nullptr, stream);
  EXPECT_EQ(ClassNames(*copy), ClassNames(Image));
  EXPECT_EQ(copy->BackgroundColor(), 0x80000005u);
  EXPECT_EQ(copy->ImageRect(), (TRect{0, 0, 300, 200}));
  EXPECT_EQ(copy->IndexOf(copy->Selected()), 3);
  EXPECT_EQ(copy->Count(), 9);
  EXPECT_EQ(Save(*copy), data);
  EXPECT_EQ(copy->GetFigure(0)->Canvas(), nullptr) << "figures read without canvas wait for SetCanvas";
}

TEST_F(ContainerTest, NoSelectionAndSelectionBeyondTheFiguresSelectNothing) {
  FillWithEveryClass(Image);
  Image.SetSelected(nullptr);
  Bytes data = Save(Image);
  EXPECT_EQ(Bytes(data.begin() + 29, data.begin() + 33), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  TReadOnlyStream none(data);
  EXPECT_EQ(TFiguresCollection::CreateFromStream(nullptr, none)->Selected(), nullptr);
  PutU32(data, 29, 9);
  TReadOnlyStream beyond(data);
  EXPECT_EQ(TFiguresCollection::CreateFromStream(nullptr, beyond)->Selected(), nullptr);
  PutU32(data, 29, 65536 + 2);
  TReadOnlyStream wide(data);
  EXPECT_EQ(TFiguresCollection::CreateFromStream(nullptr, wide)->Selected(), nullptr) << "not figure 2";
}

TEST_F(ContainerTest, ImagesOfMoreThan65535FiguresReopenWithTheSelectionSaved) {
  for (int i = 0; i < 70000; ++i) Image.Add(TFigureRectangle::Class.Create(nullptr))->SetPoint(1, {i % 300, 7});
  const auto reopened = [&] {
    const Bytes data = Save(Image);
    TReadOnlyStream stream(data);
    return TFiguresCollection::CreateFromStream(nullptr, stream);
  };
  for (const int32_t position : {69000, 65535, 3}) {
    PFigureNode node = Image.Head();
    for (int32_t i = 0; i < position; ++i) node = node->Next;
    Image.SetSelected(node->Figure);
    const auto copy = reopened();
    EXPECT_EQ(copy->IndexOf(copy->Selected()), position);
  }
  Image.SetSelected(nullptr);
  EXPECT_EQ(reopened()->Selected(), nullptr) << "a stored -1 is none, not figure 65535";
}

TEST_F(ContainerTest, HeaderCountDrivesTheLoopAndTrailingBytesAreIgnored) {
  FillWithEveryClass(Image);
  Bytes data = Save(Image);
  data.insert(data.end(), {1, 2, 3, 4, 5});
  PutU32(data, 5, 4);
  TReadOnlyStream stream(data);
  const auto copy = TFiguresCollection::CreateFromStream(nullptr, stream);
  EXPECT_EQ(copy->Count(), 4);
  for (int32_t count : {0, -7}) {
    PutU32(data, 5, uint32_t(count));
    PutU32(data, 9, 0x00123456);
    TReadOnlyStream again(data);
    const auto empty = TFiguresCollection::CreateFromStream(nullptr, again);
    EXPECT_EQ(empty->Count(), 0) << count;
    EXPECT_EQ(empty->BackgroundColor(), 0x00123456u);
    EXPECT_EQ(empty->ImageRect(), (TRect{0, 0, 300, 200}));
  }
}

TEST_F(ContainerTest, ClassNamesInAnyLetterCaseAreFound) {
  Image.Add(std::make_unique<TFigureRectangle>(&Canvas));
  Bytes data = Save(Image);
  for (size_t i = 37; i < 37 + 16; ++i) data[i] = uint8_t(std::tolower(data[i]));
  TReadOnlyStream stream(data);
  const auto copy = TFiguresCollection::CreateFromStream(nullptr, stream);
  EXPECT_EQ(ClassNames(*copy), (std::vector<std::string>{"TFigureRectangle"}));
}

TEST_F(ContainerTest, WrongSignatureLeavesTheCollectionAsItWas) {
  FillWithEveryClass(Image);
  const Bytes good = Save(Image);
  for (const char* signature : {"KRI\0\0", "kri  ", "KRIx ", "KR   "}) {
    Bytes data = good;
    std::copy(signature, signature + 5, data.begin());
    TReadOnlyStream stream(data);
    try {
      Image.LoadFromStream(stream);
      ADD_FAILURE() << "accepted " << signature;
    } catch (const EAbort& e) {
      EXPECT_STREQ(e.what(), "Image signature incorrect");
    }
    EXPECT_EQ(Image.Count(), 9);
  }
}

TEST_F(ContainerTest, AbsurdImageSizesAreRefusedBeforeAnythingChanges) {
  FillWithEveryClass(Image);
  const Bytes good = Save(Image);
  for (const auto& [at, value] : std::vector<std::pair<size_t, int32_t>>{
           {21, 0}, {21, 10001}, {25, -1}, {25, 0x7FFFFFFF}}) {
    Bytes data = good;
    PutU32(data, at, uint32_t(value));
    TReadOnlyStream stream(data);
    try {
      Image.LoadFromStream(stream);
      ADD_FAILURE() << "accepted " << value << " at " << at;
    } catch (const EKrestaError& e) {
      EXPECT_STREQ(e.what(), "Image size invalid");
    }
    EXPECT_EQ(Image.Count(), 9);
  }
  Bytes edge = good;
  PutU32(edge, 21, 10000);
  PutU32(edge, 25, 1);
  TReadOnlyStream stream(edge);
  EXPECT_EQ(TFiguresCollection::CreateFromStream(nullptr, stream)->ImageRect(), (TRect{0, 0, 10000, 1}));
}

TEST_F(ContainerTest, TruncatedDataKeepsTheFiguresReadBefore) {
  FillWithEveryClass(Image);
  // A closing figure without optional parts, so that every cut ends inside
  // data the reader needs.
  Image.Add(std::make_unique<TFigureRectangle>(&Canvas));
  const Bytes data = Save(Image);
  for (size_t length = KriHeaderSize; length < data.size(); ++length) {
    SCOPED_TRACE(length);
    Bytes cut(data.begin(), data.begin() + std::ptrdiff_t(length));
    TReadOnlyStream stream(cut);
    TFiguresCollection image(nullptr);
    EXPECT_THROW(image.LoadFromStream(stream), EReadError);
    EXPECT_LE(image.Count(), 9);
    EXPECT_EQ(image.Selected(), image.Tail() != nullptr ? image.Tail()->Figure : nullptr);
    EXPECT_EQ(image.ImageRect(), (TRect{0, 0, 300, 200}));
  }
  Bytes lastCut(data.begin(), data.end() - 1);
  TReadOnlyStream stream(lastCut);
  TFiguresCollection image(nullptr);
  EXPECT_THROW(image.LoadFromStream(stream), EReadError);
  EXPECT_EQ(image.Count(), 9) << "only the figure being read at the cut is dropped";
  for (size_t length = 0; length < KriHeaderSize; ++length) {
    TReadOnlyStream header(std::span(data.data(), length));
    EXPECT_THROW(Image.LoadFromStream(header), EReadError);
    EXPECT_EQ(Image.Count(), 10) << "a short header changes nothing";
  }
}

TEST_F(ContainerTest, UnknownEmptyOrOverlongClassNamesStopTheLoad) {
  Image.Add(std::make_unique<TFigureRectangle>(&Canvas));
  Image.Add(std::make_unique<TFigureEllipse>(&Canvas));
  const Bytes good = Save(Image);
  const size_t second = 33 + 4 + 16 + 44;
  const auto load = [](const Bytes& Data) {
    TReadOnlyStream stream(Data);
    auto image = std::make_unique<TFiguresCollection>(nullptr);
    try {
      image->LoadFromStream(stream);
      ADD_FAILURE() << "accepted";
    } catch (const EKrestaError& e) {
      EXPECT_STREQ(e.what(), "Figure class unknown");
    }
    return image;
  };
  Bytes unknown = good;
  unknown[second + 4 + 7] = 'X';  // "TFigureXllipse"
  EXPECT_EQ(ClassNames(*load(unknown)), (std::vector<std::string>{"TFigureRectangle"}));
  Bytes empty = good;
  PutU32(empty, second, 0);
  EXPECT_EQ(load(empty)->Count(), 1);
  Bytes overlong = good;
  PutU32(overlong, second, 256);
  EXPECT_EQ(load(overlong)->Count(), 1);
  Bytes negative = good;
  PutU32(negative, second, 0xFFFFFFFF);
  TReadOnlyStream stream(negative);
  TFiguresCollection image(nullptr);
  EXPECT_THROW(image.LoadFromStream(stream), EReadError);
  EXPECT_EQ(image.Count(), 1);
}

TEST_F(ContainerTest, EmptyPictureFiguresNowOpen) {
  Image.Add(std::make_unique<TFigureBitmap>(&Canvas));
  Image.Add(std::make_unique<TFigureRectangle>(&Canvas));
  const Bytes data = Save(Image);
  TReadOnlyStream stream(data);
  const auto copy = TFiguresCollection::CreateFromStream(nullptr, stream);
  EXPECT_EQ(ClassNames(*copy), (std::vector<std::string>{"TFigureBitmap", "TFigureRectangle"}));
  EXPECT_EQ(Save(*copy), data);
}

namespace {

struct FileTest : ContainerTest {
  fs::path Folder = fs::temp_directory_path() / ("kresta-container-" + std::to_string(::getpid()));
  void SetUp() override { fs::create_directories(Folder); }
  void TearDown() override { fs::remove_all(Folder); }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

Bytes FileBytes(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(FileTest, SaveReplacesTheFileWholeAndLoadReadsItBack) {
  const fs::path file = Folder / "image.kri";
  std::ofstream(file) << "old content";
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  FillWithEveryClass(Image);
  Image.SaveToFile(file.string());
  EXPECT_EQ(FileBytes(file), Save(Image));
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"image.kri"})) << "no temporary file left";
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const auto copy = TFiguresCollection::CreateFromFile(nullptr, file.string());
  EXPECT_EQ(Save(*copy), Save(Image));
}

TEST_F(FileTest, FailedSaveLeavesNothingBehind) {
  const fs::path target = Folder / "folder.kri";
  fs::create_directory(target);
  try {
    Image.SaveToFile(target.string());
    ADD_FAILURE() << "saved over a folder";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + target.string() + "\". ", 0), 0u) << e.what();
  }
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"folder.kri"}));
  const fs::path missing = Folder / "no" / "such.kri";
  EXPECT_THROW(Image.SaveToFile(missing.string()), EFileError);
}

TEST_F(FileTest, FolderFailsToOpenLikeAFile) {
  try {
    TFiguresCollection::CreateFromFile(nullptr, Folder.string());
    ADD_FAILURE() << "opened a folder";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + Folder.string() + "\". Is a directory");
  }
}

TEST_F(FileTest, MissingFileFailsToOpenWithItsName) {
  const fs::path missing = Folder / "missing.kri";
  try {
    TFiguresCollection::CreateFromFile(nullptr, missing.string());
    ADD_FAILURE() << "opened";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + missing.string() + "\". No such file or directory");
  }
}
