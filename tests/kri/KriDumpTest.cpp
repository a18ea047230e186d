// Dump and the dump -> build round trip. Guards against a stored field that
// has no key or the wrong one, a value cut to a smaller type, text bytes
// altered on the way through Unicode (the unassigned byte 0x98 included), a
// picture re-encoded, and a selection or figure order that moves.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>

#include "figures/Streams.h"
#include "kri/KriTestSupport.h"
#include "tools/kri/KriJson.h"

namespace {

QJsonObject Dump(const TFiguresCollection& Image) { return QJsonDocument::fromJson(ImageToJson(Image)).object(); }

// The image as a file would give it back: saved, then loaded.
std::unique_ptr<TFiguresCollection> Reloaded(const TFiguresCollection& Image) {
  TMemoryStream stream(ContainerBytes(Image));
  return TFiguresCollection::CreateFromStream(nullptr, stream);
}

QJsonArray Pair(qint64 A, qint64 B) { return QJsonArray{A, B}; }

}  // namespace

TEST(KriDump, EveryClassRoundTripsByteForByte) {
  const auto original = MakeEveryClassImage();
  const TBytes bytes = ContainerBytes(*original);
  const auto rebuilt = ImageFromJson(ImageToJson(*Reloaded(*original)));
  EXPECT_EQ(ContainerBytes(*rebuilt), bytes);
}

TEST(KriDump, ImageKeys) {
  const QJsonObject json = Dump(*Reloaded(*MakeEveryClassImage()));
  EXPECT_EQ(json["background"].toInteger(), 0x00336699);
  EXPECT_EQ(json["rect"].toArray(), (QJsonArray{0, 0, 320, 200}));
  EXPECT_EQ(json["selected"].toInteger(), 2);
  EXPECT_EQ(json["figures"].toArray().size(), 10);
  EXPECT_EQ(json.keys(), (QStringList{"background", "figures", "rect", "selected"}));
}

// Arrays of numbers are written on one line each, the rest one value a line.
TEST(KriDump, NumberArraysStayOnOneLine) {
  TFiguresCollection image(&IdleCanvas(), TRect{0, -1, 650, 400});
  auto roundRect = std::make_unique<TFigureRoundRect>(nullptr);
  roundRect->SetPoint(1, {-3, 4});
  image.Add(std::move(roundRect));
  const QByteArray json = ImageToJson(image);
  EXPECT_NE(json.indexOf("\"rect\": [0, -1, 650, 400],\n"), -1) << json.toStdString();
  EXPECT_NE(json.indexOf("\"corners\": [10, 10],\n"), -1) << json.toStdString();
  EXPECT_NE(json.indexOf("\"points\": [\n                [0, 0],\n                [-3, 4]\n            ],\n"), -1)
      << json.toStdString();
}

TEST(KriDump, BaseAndClassKeys) {
  const QJsonArray figures = Dump(*Reloaded(*MakeEveryClassImage()))["figures"].toArray();

  const QJsonObject line = figures[0].toObject();
  EXPECT_EQ(line["class"].toString(), "TFigurePolyLine");
  EXPECT_EQ(line["points"].toArray(), (QJsonArray{Pair(5, 5), Pair(60, 40), Pair(-7, 2147483647)}));
  EXPECT_EQ(line["penColor"].toInteger(), 0xFF);
  EXPECT_EQ(line["penWidth"].toInteger(), 3);
  EXPECT_EQ(line["penMode"].toInteger(), 200);
  EXPECT_EQ(line["penStyle"].toInteger(), 77);
  EXPECT_EQ(line["angle"].toInteger(), -300);
  EXPECT_EQ(line["scale"].toInteger(), -5);
  EXPECT_EQ(line["visible"], QJsonValue(true));
  EXPECT_EQ(line["updating"], QJsonValue(false));
  EXPECT_EQ(line["selectedPoint"].toInteger(), 1);
  EXPECT_EQ(line["insertIndex"].toInteger(), 2);
  EXPECT_EQ(line.keys(), (QStringList{"angle", "class", "insertIndex", "penColor", "penMode", "penStyle", "penWidth",
                                      "points", "scale", "selectedPoint", "updating", "visible"}));

  const QJsonObject rectangle = figures[1].toObject();
  EXPECT_EQ(rectangle["brushStyle"].toInteger(), int(bsDiagCross));
  EXPECT_EQ(rectangle["brushColor"].toInteger(), 0x80000005);
  EXPECT_EQ(rectangle["visible"], QJsonValue(false));
  EXPECT_EQ(rectangle["updating"], QJsonValue(true));
  EXPECT_EQ(rectangle["selectedPoint"].toInteger(), -1);
  EXPECT_FALSE(rectangle.contains("insertIndex"));

  EXPECT_EQ(figures[2].toObject()["brushStyle"].toInteger(), 250);
  EXPECT_EQ(figures[2].toObject()["insertIndex"].toInteger(), 1);
  EXPECT_EQ(figures[3].toObject()["corners"].toArray(), Pair(7, 9));
  EXPECT_EQ(figures[3].toObject()["penWidth"].toInteger(), -2147483648LL);
  EXPECT_EQ(figures[4].toObject()["penColor"].toInteger(), 0xFFFFFFFFLL);
  EXPECT_EQ(figures[6].toObject()["scale"].toInteger(), 127);
  EXPECT_EQ(figures[6].toObject()["angle"].toInteger(), 32767);
}

TEST(KriDump, TextAndFontAsUnicode) {
  const QJsonObject text = Dump(*Reloaded(*MakeEveryClassImage()))["figures"].toArray()[7].toObject();
  EXPECT_EQ(text["text"].toString(), QString::fromUtf8("Привет, мир"));
  const QJsonObject font = text["font"].toObject();
  EXPECT_EQ(font["name"].toString(), QString::fromUtf8("\u0410rial"));
  EXPECT_EQ(font["height"].toInteger(), -15);
  EXPECT_EQ(font["color"].toInteger(), 0x00102030);
  EXPECT_EQ(font["charset"].toInteger(), 204);
  EXPECT_EQ(font["style"].toInteger(), 0x8F);
}

TEST(KriDump, PictureAsBase64OfTheStoredFileImage) {
  const QJsonArray figures = Dump(*Reloaded(*MakeEveryClassImage()))["figures"].toArray();
  const TBytes bmp = TwoByTwoBmp();
  const QByteArray expected = QByteArray(reinterpret_cast<const char*>(bmp.data()), qsizetype(bmp.size())).toBase64();
  EXPECT_EQ(figures[8].toObject()["picture"].toString().toLatin1(), expected);
  EXPECT_EQ(figures[8].toObject()["transparent"], QJsonValue(true));
  EXPECT_EQ(figures[8].toObject()["points"].toArray(), (QJsonArray{Pair(250, 120), Pair(252, 122)}));
  EXPECT_EQ(figures[9].toObject()["picture"].toString(), QString());
  EXPECT_EQ(figures[9].toObject()["transparent"], QJsonValue(false));
}

// Every byte value in a text and a font name, 0x00 and the unassigned 0x98
// included, comes back as it was.
TEST(KriDump, EveryByteOfTheCodePageRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(char(b));
  TFiguresCollection image(&IdleCanvas(), TRect{0, 0, 10, 10});
  auto text = std::make_unique<TFigureText>(nullptr);
  text->SetText(all);
  TFont font;
  font.Name = std::string(all.rbegin(), all.rend());
  text->SetFont(font);
  image.Add(std::move(text));

  const QByteArray json = ImageToJson(image);
  const QString shown = QJsonDocument::fromJson(json)["figures"][0]["text"].toString();
  ASSERT_EQ(shown.size(), 256);
  EXPECT_EQ(shown[0x98].unicode(), 0x0098);
  EXPECT_EQ(shown[0xC0].unicode(), 0x0410);  // А
  EXPECT_EQ(shown[0x88].unicode(), 0x20AC);  // €

  const auto rebuilt = ImageFromJson(json);
  const auto* rebuiltText = dynamic_cast<const TFigureText*>(rebuilt->GetFigure(0));
  ASSERT_NE(rebuiltText, nullptr);
  EXPECT_EQ(rebuiltText->GetText(), all);
  EXPECT_EQ(rebuiltText->Font().Name, std::string(all.rbegin(), all.rend()));
  EXPECT_EQ(ContainerBytes(*rebuilt), ContainerBytes(image));
}

TEST(KriDump, SelectionAndEmptyImage) {
  TFiguresCollection empty(&IdleCanvas(), TRect{-5, 7, 10000, 1});
  empty.SetBackgroundColor(clSystemColor + 15);
  const QJsonObject json = Dump(empty);
  EXPECT_EQ(json["selected"].toInteger(), -1);
  EXPECT_EQ(json["rect"].toArray(), (QJsonArray{-5, 7, 10000, 1}));
  EXPECT_EQ(json["figures"].toArray(), QJsonArray());
  EXPECT_EQ(ContainerBytes(*ImageFromJson(ImageToJson(empty))), ContainerBytes(empty));

  auto image = MakeEveryClassImage();
  image->SetSelected(nullptr);
  EXPECT_EQ(Dump(*image)["selected"].toInteger(), -1);
  EXPECT_EQ(ContainerBytes(*ImageFromJson(ImageToJson(*image))), ContainerBytes(*image));
  image->SetSelected(image->GetFigure(9));
  EXPECT_EQ(ContainerBytes(*ImageFromJson(ImageToJson(*image))), ContainerBytes(*image));
}
