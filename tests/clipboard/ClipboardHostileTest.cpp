// Damaged and hostile blocks under the program's own format names: blocks
// cut short at every length, random bytes, and name lengths far beyond the
// block. Guards against crashes, figures made from broken data, huge
// allocations driven by a stored length, and failures escaping as anything
// but the model's own errors.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "clipboard/ClipboardTestSupport.h"
#include "document/ClipBoardUnit.h"
#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"

using namespace cliptest;

// The largest single request to the global operator new since the last
// reset: proves that a stored length does not size an allocation before the
// data behind it has been seen. Every plain form of new and delete is
// replaced, so that each block is freed by the allocator that made it.
namespace {
std::atomic<size_t> gLargestRequest{0};

void* Allocate(std::size_t Size) noexcept {
  size_t seen = gLargestRequest.load(std::memory_order_relaxed);
  while (Size > seen && !gLargestRequest.compare_exchange_weak(seen, Size, std::memory_order_relaxed)) {
  }
  return std::malloc(Size == 0 ? 1 : Size);
}

void* AllocateOrThrow(std::size_t Size) {
  if (void* p = Allocate(Size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t Size) { return AllocateOrThrow(Size); }
void* operator new[](std::size_t Size) { return AllocateOrThrow(Size); }
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept { return Allocate(Size); }
void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept { return Allocate(Size); }
void operator delete(void* P) noexcept { std::free(P); }
void operator delete[](void* P) noexcept { std::free(P); }
void operator delete(void* P, std::size_t) noexcept { std::free(P); }
void operator delete[](void* P, std::size_t) noexcept { std::free(P); }
void operator delete(void* P, const std::nothrow_t&) noexcept { std::free(P); }
void operator delete[](void* P, const std::nothrow_t&) noexcept { std::free(P); }

namespace {

void PutRaw(const char* Format, const Bytes& Block) {
  auto data = std::make_unique<QMimeData>();
  data->setData(QString::fromLatin1(Format),
                QByteArray(reinterpret_cast<const char*>(Block.data()), qsizetype(Block.size())));
  QGuiApplication::clipboard()->setMimeData(data.release());
}

Bytes Save(const TFiguresCollection& Collection) {
  TMemoryStream stream;
  Collection.SaveToStream(stream);
  return stream.TakeData();
}

// The outcome of one figure paste: the figure, or the failure's message.
struct TPasteOutcome {
  std::unique_ptr<TBasicFigure> Figure;
  std::string Failure;
};

// Any failure other than the model's own fails the test.
TPasteOutcome PasteFigure(const Bytes& Block) {
  PutRaw("Kresta Figure", Block);
  TPasteOutcome outcome;
  try {
    outcome.Figure = PasteFigureFromClipboard();
  } catch (const EKrestaError& e) {
    outcome.Failure = e.what();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "foreign failure: " << e.what();
  }
  return outcome;
}

struct ClipboardHostileTest : ::testing::Test {
  void TearDown() override { QGuiApplication::clipboard()->clear(); }
};

}  // namespace

// The picture figure's record tolerates three cuts by design of the record
// reader: nothing where the picture starts (an empty picture is stored as no
// bytes), a single byte there (too short for a picture signature, so again
// an empty picture, the byte then taken as the transparency flag), and a
// missing transparency byte (off). Every other cut, in every class, fails.
TEST_F(ClipboardHostileTest, AFigureBlockCutShortAtAnyLengthGivesNoFigure) {
  int seed = 0;
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    const std::unique_ptr<TBasicFigure> figure = MakeFigure(*cls, ++seed);
    const Bytes block = FigureBlock(*figure);
    const size_t nameEnd = 4 + std::string(cls->ClassName).size();
    std::vector<size_t> tolerated;
    if (cls == &TFigureBitmap::Class) {
      const auto empty = MakeFigure(*cls, seed);
      static_cast<TFigureBitmap&>(*empty).ClearPicture();
      const size_t pictureStart = nameEnd + RecordOf(*empty).size() - 1;
      tolerated = {pictureStart, pictureStart + 1, block.size() - 1};
    }
    for (size_t length = 0; length < block.size(); ++length) {
      SCOPED_TRACE(std::string(cls->ClassName) + " cut at " + std::to_string(length));
      const TPasteOutcome outcome = PasteFigure(Bytes(block.begin(), block.begin() + std::ptrdiff_t(length)));
      if (std::find(tolerated.begin(), tolerated.end(), length) != tolerated.end()) {
        ASSERT_NE(outcome.Figure, nullptr) << outcome.Failure;
        const auto& picture = static_cast<const TFigureBitmap&>(*outcome.Figure);
        EXPECT_EQ(picture.PictureEmpty(), length != block.size() - 1);
        EXPECT_EQ(picture.GetTransparent(), length == tolerated[1]);
        continue;
      }
      EXPECT_EQ(outcome.Figure, nullptr);
      if (length < nameEnd)
        EXPECT_EQ(outcome.Failure, "Stream read error");
      else
        EXPECT_NE(outcome.Failure, "");
    }
  }
}

TEST_F(ClipboardHostileTest, HugeOrNegativeNameLengthsFailBeforeAllocating) {
  const Bytes record = RecordOf(*MakeFigure(TFigureEllipse::Class, 1));
  for (const uint32_t length : {0x7FFFFFFFu, 0x40000000u, 0x00100000u, uint32_t(record.size()) + 15, 0xFFFFFFFFu,
                                0x80000000u}) {
    SCOPED_TRACE("name length " + std::to_string(int32_t(length)));
    Bytes block;
    AppendU32(block, length);
    block.insert(block.end(), {'T', 'F', 'i', 'g', 'u', 'r', 'e', 'E', 'l', 'l', 'i', 'p', 's', 'e'});
    block.insert(block.end(), record.begin(), record.end());
    PutRaw("Kresta Figure", block);
    gLargestRequest = 0;
    try {
      const std::unique_ptr<TBasicFigure> figure = PasteFigureFromClipboard();
      ADD_FAILURE() << "pasted a " << figure->ClassName();
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()), "Stream read error");
    }
    EXPECT_LT(gLargestRequest.load(), size_t(64 * 1024));
  }
}

TEST_F(ClipboardHostileTest, RandomBytesGiveNoFigure) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> size(0, 96);
  for (int i = 0; i < 3000; ++i) {
    Bytes block(size_t(size(random)));
    for (uint8_t& b : block) b = uint8_t(byte(random));
    // Short names are the likelier hits: some blocks get a small length.
    if (i % 3 == 0 && block.size() >= 4) {
      block[0] = uint8_t(block[0] % 24);
      block[1] = block[2] = block[3] = 0;
    }
    SCOPED_TRACE("block " + std::to_string(i));
    const TPasteOutcome outcome = PasteFigure(block);
    EXPECT_EQ(outcome.Figure, nullptr);
    EXPECT_NE(outcome.Failure, "");
  }
}

// A registered name followed by random bytes may well be a figure (the
// record has no checksum); it must never crash, and whatever it gives must
// be a figure of that class whose record reads back as itself.
TEST_F(ClipboardHostileTest, ARegisteredNameWithRandomRecordNeverCrashes) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> size(0, 200);
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    for (int i = 0; i < 300; ++i) {
      Bytes record(size_t(size(random)));
      for (uint8_t& b : record) b = uint8_t(byte(random));
      // Keep the point count small now and then so that later fields are
      // reached.
      if (i % 2 == 0 && record.size() >= 4) {
        record[0] = uint8_t(record[0] % 6);
        record[1] = record[2] = record[3] = 0;
      }
      SCOPED_TRACE(std::string(cls->ClassName) + " record " + std::to_string(i));
      const TPasteOutcome outcome = PasteFigure(FigureBlock(cls->ClassName, record));
      if (outcome.Figure == nullptr) {
        EXPECT_NE(outcome.Failure, "");
        continue;
      }
      EXPECT_EQ(std::string(outcome.Figure->ClassName()), std::string(cls->ClassName));
      const Bytes written = RecordOf(*outcome.Figure);
      const TPasteOutcome again = PasteFigure(FigureBlock(cls->ClassName, written));
      ASSERT_NE(again.Figure, nullptr) << again.Failure;
      EXPECT_EQ(RecordOf(*again.Figure), written);
    }
  }
}

// A cut image keeps the figures whose entries were whole and selects the
// last of them; a cut inside the header leaves the collection as it was.
// The picture figure is left out: the cuts its record tolerates are covered
// above.
TEST_F(ClipboardHostileTest, AnImageBlockCutShortKeepsOnlyWholeEntries) {
  TFiguresCollection image(nullptr, TRect{0, 0, 200, 100});
  std::vector<size_t> entryEnds;
  int seed = 0;
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    if (cls == &TFigureBitmap::Class) continue;
    ASSERT_NE(image.Add(MakeFigure(*cls, ++seed)), nullptr);
    entryEnds.push_back(Save(image).size());
  }
  const Bytes block = Save(image);
  for (size_t length = 0; length < block.size(); ++length) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    PutRaw("Kresta Image", Bytes(block.begin(), block.begin() + std::ptrdiff_t(length)));
    TFiguresCollection target(nullptr, TRect{0, 0, 7, 7});
    TBasicFigure* marker = target.Add(MakeFigure(TFigureRectangle::Class, 50));
    ASSERT_NE(marker, nullptr);
    std::string failure;
    try {
      PasteImageFromClipboard(target);
    } catch (const EKrestaError& e) {
      failure = e.what();
    }
    EXPECT_NE(failure, "");
    if (length < size_t(KriHeaderSize)) {
      EXPECT_EQ(target.Count(), 1);
      EXPECT_EQ(target.GetFigure(0), marker);
      continue;
    }
    int whole = 0;
    for (size_t end : entryEnds) whole += end <= length;
    EXPECT_EQ(target.Count(), whole);
    EXPECT_EQ(target.IndexOf(target.Selected()), whole - 1);
  }
}

TEST_F(ClipboardHostileTest, RandomImageBlocksNeverCrash) {
  std::mt19937 random(99);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> size(0, 160);
  TFiguresCollection empty(nullptr, TRect{0, 0, 50, 50});
  const Bytes header = Save(empty);
  for (int i = 0; i < 2000; ++i) {
    // Odd blocks keep a sane header with a small count so that the entries
    // are reached; even ones keep only the signature.
    Bytes block = header;
    if (i % 2 == 0)
      block.resize(sizeof KriSignature);
    else
      block[5] = uint8_t(byte(random) % 8);
    Bytes tail(size_t(size(random)));
    for (uint8_t& b : tail) b = uint8_t(byte(random));
    block.insert(block.end(), tail.begin(), tail.end());
    SCOPED_TRACE("block " + std::to_string(i));
    PutRaw("Kresta Image", block);
    TFiguresCollection target(nullptr);
    try {
      PasteImageFromClipboard(target);
    } catch (const EKrestaError&) {
    } catch (const std::exception& e) {
      ADD_FAILURE() << "foreign failure: " << e.what();
    }
    // Whatever figures were read write out as an image that reads back as
    // itself.
    if (target.Count() == 0) continue;
    const Bytes written = Save(target);
    TMemoryStream stream(written);
    TFiguresCollection reread(nullptr);
    reread.LoadFromStream(stream);
    EXPECT_EQ(Save(reread), written);
  }
}
