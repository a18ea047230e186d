// Figure records: the exact bytes each class writes, reading them back into
// every stored field without notices, and refusing damaged records without
// allocating what the data cannot back. Guards against a field written in
// the wrong order or size, a record that reads past its end, and hostile
// counts or lengths.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "support/BmpBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Record(const TBasicFigure& Figure) {
  TMemoryStream stream;
  Figure.SaveToStream(stream);
  return stream.TakeData();
}

// Reads Bytes into a new figure of the class and checks that exactly the
// record was consumed.
std::unique_ptr<TBasicFigure> Reread(const TFigureClass& Class, const Bytes& Data) {
  auto figure = Class.Create(nullptr);
  TReadOnlyStream stream(Data);
  figure->LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size()) << "the record ends where the writer stopped";
  return figure;
}

}  // namespace

TEST(Records, RectangleExampleIsFortyFourBytes) {
  TFigureRectangle r(nullptr);
  r.SetPoint(0, {10, 20});
  r.SetPoint(1, {110, 70});
  r.SetPenColor(0x000000FF);
  r.SetPenWidth(1);
  r.SetPenStyle(psInsideFrame);
  r.SetBrushColor(0x00FF0000);
  const Bytes expected{0x02, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x6E, 0x00, 0x00,
                       0x00, 0x46, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04, 0x00,
                       0x00, 0x00, 0x06, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00};
  EXPECT_EQ(Record(r), expected);
}

TEST(Records, EmptyPolylineIsTwentySevenBytes) {
  TFigurePolyLine line(nullptr);
  const Bytes expected{0, 0, 0, 0,                          // no points
                       0, 0, 0, 0,                          // pen colour
                       0, 0, 0, 0,                          // pen width
                       4,                                   // pmCopy
                       0, 0,                                // angle
                       0,                                   // scale
                       0,                                   // psSolid
                       1, 1,                                // visible, suppressed
                       0xFF, 0xFF, 0xFF, 0xFF,              // no selected point
                       0xFF, 0xFF, 0xFF, 0xFF};             // no insertion index
  EXPECT_EQ(Record(line), expected);
}

TEST(Records, SizesPerClass) {
  EXPECT_EQ(Record(TFigurePolygon(nullptr)).size(), 32u);
  EXPECT_EQ(Record(TFigureRoundRect(nullptr)).size(), 52u);
  EXPECT_EQ(Record(TFigureEllipse(nullptr)).size(), 44u);
  EXPECT_EQ(Record(TFigureChord(nullptr)).size(), 60u);
  EXPECT_EQ(Record(TFigurePie(nullptr)).size(), 60u);
  EXPECT_EQ(Record(TFigureBitmap(nullptr)).size(), 45u) << "an empty picture writes no bytes";
  TFigureText text(nullptr);
  text.SetText("abc");
  TFont font;
  font.Name = "Arial";
  text.SetFont(font);
  EXPECT_EQ(Record(text).size(), 54u + 3 + 5);
}

TEST(Records, RoundRectEndsWithItsCornerSizes) {
  TFigureRoundRect round(nullptr);
  round.SetCorners({7, -9});
  TFigureRectangle rect(nullptr);
  const Bytes r = Record(round), plain = Record(rect);
  ASSERT_EQ(r.size(), plain.size() + 8);
  EXPECT_EQ(Bytes(r.begin(), r.begin() + 44), plain);
  EXPECT_EQ(Bytes(r.begin() + 44, r.end()), (Bytes{7, 0, 0, 0, 0xF7, 0xFF, 0xFF, 0xFF}));
}

TEST(Records, TextTailHoldsTheTextAndFontWithoutTerminators) {
  TFigureText text(nullptr);
  text.SetText("\xCF\xF0\xE8");  // Cyrillic in Windows-1251
  TFont font;
  font.Name = "Arial";
  font.Charset = 204;
  font.Color = 0x00112233;
  font.Height = -13;
  font.Style = fsBold | fsUnderline;
  text.SetFont(font);
  const Bytes r = Record(text);
  const Bytes tail(r.begin() + 36, r.end());
  EXPECT_EQ(tail, (Bytes{3, 0, 0, 0, 0xCF, 0xF0, 0xE8, 204, 0x33, 0x22, 0x11, 0x00, 0xF3, 0xFF, 0xFF, 0xFF,
                         5, 0, 0, 0, 'A', 'r', 'i', 'a', 'l', 5}));
}

TEST(Records, PictureOfTwoByTwoPixelsIsOneHundredFifteenBytes) {
  const Bytes picture = bmp::Rgb24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  ASSERT_EQ(picture.size(), 70u);
  TFigureBitmap figure(nullptr);
  TReadOnlyStream source(picture);
  figure.LoadPictureFromStream(source);
  figure.SetTransparent(true);
  const Bytes r = Record(figure);
  ASSERT_EQ(r.size(), 115u);
  EXPECT_EQ(Bytes(r.begin() + 44, r.begin() + 114), picture);
  EXPECT_EQ(r.back(), 1);
  const auto back = Reread(TFigureBitmap::Class, r);
  const auto& reread = static_cast<const TFigureBitmap&>(*back);
  EXPECT_EQ(reread.Picture().FileImage(), picture);
  EXPECT_TRUE(reread.GetTransparent());
}

TEST(Records, RoundTripKeepsEveryStoredFieldWithoutNotices) {
  TFigurePolygon polygon(nullptr);
  polygon.AddPoint({1, 2});
  polygon.AddPoint({-3, 40000});
  polygon.SetPenColor(0x80000005);
  polygon.SetPenWidth(7);
  polygon.SetPenMode(pmNotXor);
  polygon.SetAngle(-300);
  polygon.SetScale(-5);
  polygon.SetPenStyle(psDashDot);
  polygon.SetVisible(false);
  polygon.SetUpdating(false);
  polygon.FindPoint({1, 2});
  polygon.SetInsertIndex(9);
  polygon.SetBrushStyle(bsDiagCross);
  polygon.SetBrushColor(0x00ABCDEF);
  auto figure = TFigurePolygon::Class.Create(nullptr);
  int notices = 0;
  figure->OnChange = [&](TBasicFigure*) { ++notices; };
  figure->SetUpdating(false);
  const Bytes r = Record(polygon);
  TReadOnlyStream stream(r);
  figure->LoadFromStream(stream);
  const auto& back = static_cast<const TFigurePolygon&>(*figure);
  EXPECT_EQ(notices, 0);
  EXPECT_EQ(back.Points(), polygon.Points());
  EXPECT_EQ(back.PenColor(), 0x80000005u);
  EXPECT_EQ(back.PenWidth(), 7);
  EXPECT_EQ(back.PenMode(), pmNotXor);
  EXPECT_EQ(back.Angle(), -300);
  EXPECT_EQ(back.Scale(), -5);
  EXPECT_EQ(back.PenStyle(), psDashDot);
  EXPECT_FALSE(back.Visible());
  EXPECT_FALSE(back.Updating());
  EXPECT_EQ(back.SelectedPointIndex(), 0);
  EXPECT_EQ(back.InsertIndex(), 9);
  EXPECT_EQ(back.BrushStyle(), bsDiagCross);
  EXPECT_EQ(back.BrushColor(), 0x00ABCDEFu);
  EXPECT_EQ(Record(back), r);
}

TEST(Records, ValuesAreTakenAsStoredAndBooleansAsNonZero) {
  TFigurePie pie(nullptr);
  Bytes r = Record(pie);
  r[4 + 32 + 8] = 200;   // pen mode
  r[4 + 32 + 12] = 77;   // pen style
  r[4 + 32 + 13] = 2;    // visible
  r[4 + 32 + 14] = 0;    // notices live
  r[4 + 32 + 19] = 99;   // brush style
  const auto back = Reread(TFigurePie::Class, r);
  EXPECT_EQ(back->PenMode(), TPenMode(200));
  EXPECT_EQ(back->PenStyle(), TPenStyle(77));
  EXPECT_TRUE(back->Visible());
  EXPECT_FALSE(back->Updating());
  EXPECT_EQ(static_cast<const TFigurePie&>(*back).BrushStyle(), TBrushStyle(99));
  Bytes rewritten = Record(*back);
  r[4 + 32 + 13] = 1;
  EXPECT_EQ(rewritten, r);
}

TEST(Records, ARectangleRecordWithThreePointsLoadsAsSuch) {
  TFigurePolyLine line(nullptr);
  line.AddPoint({1, 1});
  line.AddPoint({2, 2});
  line.AddPoint({3, 3});
  Bytes r = Record(line);
  r.resize(r.size() - 4);  // the polyline's own tail
  r.insert(r.end(), {0, 0, 0, 0, 0});
  const auto back = Reread(TFigureRectangle::Class, r);
  EXPECT_EQ(back->PointsCount(), 3);
}

TEST(DamagedRecords, EveryTruncationFailsWithAReadError) {
  TFigureText text(nullptr);
  text.SetText("hello");
  const Bytes r = Record(text);
  for (size_t length = 0; length < r.size(); ++length) {
    SCOPED_TRACE(length);
    Bytes cut(r.begin(), r.begin() + std::ptrdiff_t(length));
    TReadOnlyStream stream(cut);
    TFigureText figure(nullptr);
    EXPECT_THROW(figure.LoadFromStream(stream), EReadError);
  }
}

TEST(DamagedRecords, CountsAndLengthsBeyondTheDataFailBeforeAllocating) {
  for (uint32_t count : {0x7FFFFFFFu, 0x10000000u, 0x80000000u, 0xFFFFFFFFu}) {
    Bytes r = Record(TFigurePolyLine(nullptr));
    r[0] = uint8_t(count);
    r[1] = uint8_t(count >> 8);
    r[2] = uint8_t(count >> 16);
    r[3] = uint8_t(count >> 24);
    TReadOnlyStream stream(r);
    TFigurePolyLine line(nullptr);
    EXPECT_THROW(line.LoadFromStream(stream), EReadError) << count;
  }
  TFigureText text(nullptr);
  Bytes r = Record(text);
  for (uint32_t length : {0x7FFFFFFFu, 0xFFFFFFFFu, 1000u}) {
    for (size_t at : {size_t(36), r.size() - 1 - text.Font().Name.size() - 4}) {  // text, font name lengths
      Bytes damaged = r;
      for (int i = 0; i < 4; ++i) damaged[at + size_t(i)] = uint8_t(length >> (8 * i));
      TReadOnlyStream stream(damaged);
      TFigureText figure(nullptr);
      EXPECT_THROW(figure.LoadFromStream(stream), EReadError) << length << " at " << at;
    }
  }
}

TEST(PictureRecords, EmptyPictureRecordReadsBackEmpty) {
  TFigureBitmap empty(nullptr);
  empty.SetTransparent(true);
  Bytes r = Record(empty);
  ASSERT_EQ(r.size(), 45u);
  r.push_back(0x0E);  // whatever follows the record stays unread
  TReadOnlyStream stream(r);
  TFigureBitmap figure(nullptr);
  figure.LoadFromStream(stream);
  EXPECT_TRUE(figure.PictureEmpty());
  EXPECT_TRUE(figure.GetTransparent());
  EXPECT_EQ(stream.Position(), 45);
}

TEST(PictureRecords, MissingTransparencyByteMeansOpaque) {
  TFigureBitmap source(nullptr);
  const Bytes bytes = bmp::Rgb24(1, 1, {0x123456});
  TReadOnlyStream picture(bytes);
  source.LoadPictureFromStream(picture);
  source.SetTransparent(true);
  Bytes r = Record(source);
  r.pop_back();
  const auto back = Reread(TFigureBitmap::Class, r);
  EXPECT_FALSE(static_cast<const TFigureBitmap&>(*back).GetTransparent());
  EXPECT_FALSE(static_cast<const TFigureBitmap&>(*back).PictureEmpty());
}

TEST(PictureRecords, NonPictureBytesAfterTheSignatureAreRefused) {
  TFigureBitmap source(nullptr);
  Bytes r = Record(source);
  r.pop_back();
  r.insert(r.end(), {'B', 'M', 0, 0});
  TReadOnlyStream stream(r);
  TFigureBitmap figure(nullptr);
  EXPECT_THROW(figure.LoadFromStream(stream), EKrestaError);
}
