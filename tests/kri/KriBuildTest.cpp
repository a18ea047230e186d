// Build: JSON to image. Guards against keys mapped to the wrong field,
// defaults that differ from a new figure's, values silently cut or
// rounded, characters silently replaced, and bad input accepted or
// reported without saying where.
#include <gtest/gtest.h>

#include <QByteArray>
#include <string>
#include <vector>

#include "kri/KriTestSupport.h"
#include "tools/kri/KriJson.h"

namespace {

// The message of the build's failure; empty when it succeeds.
std::string BuildError(const std::string& Json) {
  try {
    ImageFromJson(QByteArray::fromStdString(Json));
  } catch (const EKriJsonError& e) {
    return e.what();
  }
  return {};
}

TBytes BuiltBytes(const std::string& Json) { return ContainerBytes(*ImageFromJson(QByteArray::fromStdString(Json))); }

// The 33-byte header of a new white 650 x 400 image with Count figures and
// no selection.
TBytes NewImageHeader(uint8_t Count) {
  return {'K',  'R',  'I',  ' ',  ' ',         // signature
          Count, 0,   0,    0,                // figures
          0xFF, 0xFF, 0xFF, 0x00,             // white
          0,    0,    0,    0,    0, 0, 0, 0,  // left, top
          0x8A, 0x02, 0,    0,                // right 650
          0x90, 0x01, 0,    0,                // bottom 400
          0xFF, 0xFF, 0xFF, 0xFF};            // no selection
}

TBytes Append(TBytes A, const TBytes& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}

TBytes ClassName(const std::string& Name) {
  TBytes b{uint8_t(Name.size()), 0, 0, 0};
  b.insert(b.end(), Name.begin(), Name.end());
  return b;
}

}  // namespace

// The rectangle of the record layout's worked example, every key given.
TEST(KriBuild, HandWrittenRectangleGivesTheDocumentedBytes) {
  const TBytes record{0x02, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x6E, 0x00, 0x00,
                      0x00, 0x46, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04, 0x00,
                      0x00, 0x00, 0x06, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00};
  const TBytes expected = Append(Append(NewImageHeader(1), ClassName("TFigureRectangle")), record);
  EXPECT_EQ(BuiltBytes(R"({"figures": [{"class": "TFigureRectangle", "points": [[10, 20], [110, 70]],
      "penColor": 255, "penWidth": 1, "penMode": 4, "angle": 0, "scale": 0, "penStyle": 6, "visible": true,
      "updating": true, "selectedPoint": -1, "brushStyle": 0, "brushColor": 16711680}]})"),
            expected);
}

TEST(KriBuild, ImageKeysLeftOutGiveANewImage) {
  EXPECT_EQ(BuiltBytes("{}"), NewImageHeader(0));
  const TBytes selected{'K',  'R',  'I',  ' ',  ' ',  // signature
                        1,    0,    0,    0,           // figures
                        0x78, 0x56, 0x34, 0x12,        // 0x12345678
                        0xFF, 0xFF, 0xFF, 0xFF,        // left -1
                        2,    0,    0,    0,    3, 0, 0, 0, 4, 0, 0, 0,  // top, right, bottom
                        0,    0,    0,    0};          // figure 0 selected
  const TBytes built = BuiltBytes(R"({"background": 305419896, "rect": [-1, 2, 3, 4], "selected": 0,
                                      "figures": [{"class": "TFigureEllipse"}]})");
  EXPECT_EQ(TBytes(built.begin(), built.begin() + 33), selected);
}

// A figure given only its class has the values its class's constructor
// gives, whatever the class.
TEST(KriBuild, FigureKeysLeftOutGiveConstructorValues) {
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    SCOPED_TRACE(cls->ClassName);
    const auto image = ImageFromJson(QByteArray(R"({"figures": [{"class": ")") + cls->ClassName + "\"}]}");
    ASSERT_EQ(image->Count(), 1);
    EXPECT_EQ(RecordBytes(*image->GetFigure(0)), RecordBytes(*cls->Create(nullptr)));
  }
}

TEST(KriBuild, GivenKeysOverrideOnlyTheirField) {
  const auto image = ImageFromJson(R"({"figures": [{"class": "TFigureText", "text": "Щ",
                                       "font": {"height": 20}}]})");
  TFigureText expected(nullptr);
  expected.SetText("\xD9");
  expected.GetFont().Height = 20;
  EXPECT_EQ(RecordBytes(*image->GetFigure(0)), RecordBytes(expected));
}

TEST(KriBuild, ClassNamesAreFoundWithoutRegardToCase) {
  const auto image = ImageFromJson(R"({"figures": [{"class": "tfigurepie"}]})");
  EXPECT_EQ(std::string(image->GetFigure(0)->ClassName()), "TFigurePie");
}

// A record may hold any number of points, whatever the class usually has.
TEST(KriBuild, PointCountsAreTakenAsGiven) {
  const auto image = ImageFromJson(R"({"figures": [{"class": "TFigureRectangle", "points": [[1, 2], [3, 4], [5, 6]]},
                                                   {"class": "TFigureText", "points": []}]})");
  EXPECT_EQ(image->GetFigure(0)->Points(), (TDynPointsArray{{1, 2}, {3, 4}, {5, 6}}));
  EXPECT_EQ(image->GetFigure(1)->PointsCount(), 0);
}

TEST(KriBuild, ValuesAtTheEdgesOfTheirTypesAreKept) {
  const auto image = ImageFromJson(R"({"figures": [{"class": "TFigureRoundRect",
      "points": [[-2147483648, 2147483647]], "penColor": 4294967295, "penWidth": -2147483648, "penMode": 255,
      "angle": -32768, "scale": -128, "penStyle": 255, "selectedPoint": 2147483647, "brushStyle": 255,
      "brushColor": 0, "corners": [2147483647, -2147483648]}]})");
  const auto* figure = dynamic_cast<const TFigureRoundRect*>(image->GetFigure(0));
  ASSERT_NE(figure, nullptr);
  EXPECT_EQ(figure->Points(), (TDynPointsArray{{-2147483647 - 1, 2147483647}}));
  EXPECT_EQ(figure->PenColor(), 0xFFFFFFFFu);
  EXPECT_EQ(figure->PenWidth(), -2147483647 - 1);
  EXPECT_EQ(int(figure->PenMode()), 255);
  EXPECT_EQ(figure->Angle(), -32768);
  EXPECT_EQ(figure->Scale(), -128);
  EXPECT_EQ(int(figure->PenStyle()), 255);
  EXPECT_EQ(figure->SelectedPointIndex(), 2147483647);
  EXPECT_EQ(int(figure->BrushStyle()), 255);
  EXPECT_EQ(figure->Corners(), (TPoint{2147483647, -2147483647 - 1}));
}

TEST(KriBuild, RefusesCharactersOutsideTheCodePage) {
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigureEllipse"}, {"class": "TFigureText", "text": "ab中"}]})"),
            "figure 1: text: character U+4E2D cannot be stored in Windows-1251");
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigureText", "font": {"name": "x😀"}}]})"),
            "figure 0: font.name: character U+1F600 cannot be stored in Windows-1251");
  // A C1 control other than U+0098 has no byte either.
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigureText", "text": "\u0099"}]})"),
            "figure 0: text: character U+0099 cannot be stored in Windows-1251");
}

TEST(KriBuild, RefusesNumbersOutsideTheirType) {
  const struct {
    const char* Json;
    const char* Error;
  } cases[] = {
      {R"({"class": "TFigurePie", "penMode": 256})", "figure 0: penMode: expected an integer in 0..255, not 256"},
      {R"({"class": "TFigurePie", "penStyle": -1})", "figure 0: penStyle: expected an integer in 0..255, not -1"},
      {R"({"class": "TFigurePie", "penWidth": 1e20})",
       "figure 0: penWidth: expected an integer in -2147483648..2147483647, not 1e+20"},
      {R"({"class": "TFigurePie", "penWidth": 1.5})",
       "figure 0: penWidth: expected an integer in -2147483648..2147483647, not 1.5"},
      {R"({"class": "TFigurePie", "penColor": 4294967296})",
       "figure 0: penColor: expected an integer in 0..4294967295, not 4294967296"},
      {R"({"class": "TFigurePie", "angle": 32768})", "figure 0: angle: expected an integer in -32768..32767, not 32768"},
      {R"({"class": "TFigurePie", "scale": -129})", "figure 0: scale: expected an integer in -128..127, not -129"},
      {R"({"class": "TFigurePie", "points": [[0, 2147483648]]})",
       "figure 0: points[0][1]: expected an integer in -2147483648..2147483647, not 2147483648"},
      {R"({"class": "TFigureText", "font": {"style": 300}})",
       "figure 0: font.style: expected an integer in 0..255, not 300"},
      {R"({"class": "TFigureText", "font": {"charset": "204"}})",
       "figure 0: font.charset: expected an integer in 0..255, not a string"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Json);
    EXPECT_EQ(BuildError(std::string(R"({"figures": [)") + c.Json + "]}"), c.Error);
  }
}

TEST(KriBuild, RefusesWrongShapes) {
  const struct {
    const char* Json;
    const char* Error;
  } cases[] = {
      {R"({"figures": [{"class": "TFigurePie", "visible": 1}]})", "figure 0: visible: expected true or false, not 1"},
      {R"({"figures": [{"class": "TFigurePie", "points": [[1, 2, 3]]}]})",
       "figure 0: points[0]: expected an array of 2 integers, not an array of 3"},
      {R"({"figures": [{"class": "TFigurePie", "points": {}}]})",
       "figure 0: points: expected an array, not an object"},
      {R"({"figures": [{"class": "TFigureRoundRect", "corners": [1]}]})",
       "figure 0: corners: expected an array of 2 integers, not an array of 1"},
      {R"({"figures": [{"class": "TFigureText", "font": "Arial"}]})",
       "figure 0: font: expected an object, not a string"},
      {R"({"figures": [{"class": "TFigureText", "text": null}]})", "figure 0: text: expected a string, not null"},
      {R"({"figures": [7]})", "figure 0: expected an object, not 7"},
      {R"({"figures": {}})", "figures: expected an array, not an object"},
      {R"({"rect": [0, 0, 10]})", "rect: expected an array of 4 integers, not an array of 3"},
      {R"([])", "the JSON text is not an object"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Json);
    EXPECT_EQ(BuildError(c.Json), c.Error);
  }
  EXPECT_EQ(BuildError(R"({"figures": [)").substr(0, 26), "JSON syntax error at byte ");
}

TEST(KriBuild, RefusesUnknownClassesAndKeys) {
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigureEllipse"}, {"class": "TFigureTriangle"}]})"),
            "figure 1: class: unknown figure class \"TFigureTriangle\"");
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TBasicFigure"}]})"),
            "figure 0: class: unknown figure class \"TBasicFigure\"");
  EXPECT_EQ(BuildError(R"({"figures": [{"points": []}]})"), "figure 0: class: missing");
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigureRectangle", "penColour": 1}]})"),
            "figure 0: penColour: not a key of TFigureRectangle");
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigureRectangle", "corners": [1, 2]}]})"),
            "figure 0: corners: not a key of TFigureRectangle");
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigurePolyLine", "brushColor": 0}]})"),
            "figure 0: brushColor: not a key of TFigurePolyLine");
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigureText", "font": {"size": 3}}]})"),
            "figure 0: font.size: not a key of a font");
  EXPECT_EQ(BuildError(R"({"background": 0, "colour": 0})"), "colour: not a key of an image");
}

// A megabyte of class name or key gives a line, not a megabyte; a NUL,
// which a C string would end at, is shown with what follows it.
TEST(KriBuild, QuotedNamesAndKeysAreShortAndOnOneLine) {
  const std::string longName(1 << 20, 'Q');
  EXPECT_EQ(BuildError(R"({"figures": [{"class": ")" + longName + R"("}]})"),
            "figure 0: class: unknown figure class \"" + std::string(31, 'Q') + "…" + std::string(32, 'Q') + "\"");
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigureText\u0000\r\n"}]})"),
            "figure 0: class: unknown figure class \"TFigureText\\0\\r\\n\"");
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigurePie", ")" + longName + R"(\n": 1}]})"),
            "figure 0: " + std::string(31, 'Q') + "…" + std::string(30, 'Q') + "\\n: not a key of TFigurePie");
}

TEST(KriBuild, RefusesImagesThatWouldNotOpen) {
  EXPECT_EQ(BuildError(R"({"rect": [0, 0, 0, 400]})"), "rect: right and bottom must be in 1..10000");
  EXPECT_EQ(BuildError(R"({"rect": [0, 0, 650, 10001]})"), "rect: right and bottom must be in 1..10000");
  EXPECT_EQ(BuildError(R"({"selected": 1, "figures": [{"class": "TFigurePie"}]})"),
            "selected: expected -1 (none) or a figure position 0..0");
  EXPECT_EQ(BuildError(R"({"selected": 0})"), "selected: expected -1: there are no figures");
  EXPECT_EQ(BuildError(R"({"selected": -2, "figures": [{"class": "TFigurePie"}]})"),
            "selected: expected -1 (none) or a figure position 0..0");
}

TEST(KriBuild, PicturesMustBeWholeBmpImages) {
  const TBytes bmp = TwoByTwoBmp();
  const QByteArray good(reinterpret_cast<const char*>(bmp.data()), qsizetype(bmp.size()));
  const auto withPicture = [](const QByteArray& Bytes) {
    return R"({"figures": [{"class": "TFigureBitmap", "picture": ")" + Bytes.toBase64().toStdString() + "\"}]}";
  };
  EXPECT_EQ(BuildError(withPicture(good)), "");
  EXPECT_EQ(BuildError(withPicture(good + "x")), "figure 0: picture: 1 bytes follow the end of the BMP image");
  EXPECT_EQ(BuildError(withPicture(good.left(60))), "figure 0: picture: Stream read error");
  EXPECT_EQ(BuildError(withPicture("XM" + good.mid(2))), "figure 0: picture: Bitmap image is not valid");
  EXPECT_EQ(BuildError(R"({"figures": [{"class": "TFigureBitmap", "picture": "Qk0*"}]})"),
            "figure 0: picture: not valid base64");

  const auto image = ImageFromJson(QByteArray::fromStdString(withPicture(good)));
  const auto* picture = dynamic_cast<const TFigureBitmap*>(image->GetFigure(0));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Picture().FileImage(), bmp);
  // The frame stays where the JSON (here: the constructor) put it.
  EXPECT_EQ(picture->Points(), (TDynPointsArray{{0, 0}, {0, 0}}));
}
