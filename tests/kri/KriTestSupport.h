// Shared material of the kri tests: images built through the model's own
// API, a picture written out byte by byte, and the container bytes of an
// image.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/Collection.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "canvas/IdleCanvas.h"

using TBytes = std::vector<uint8_t>;

// A 2 x 2 picture, 24 bits per pixel, no colour table: the 14-byte file
// header, the 40-byte information header and two bottom-up rows of 6 bytes,
// each padded to 8. Pixels (blue, green, red): bottom row red, green; top row
// blue, white.
inline TBytes TwoByTwoBmp() {
  return {
      'B',  'M',  70,   0,    0,    0,     // file size
      0,    0,    0,    0,                 // reserved
      54,   0,    0,    0,                 // offset of the bits
      40,   0,    0,    0,                 // information header size
      2,    0,    0,    0,    2,    0,    0, 0,  // width, height
      1,    0,    24,   0,                 // planes, bits per pixel
      0,    0,    0,    0,                 // uncompressed
      16,   0,    0,    0,                 // size of the bits
      0,    0,    0,    0,    0,    0,    0, 0,  // resolution
      0,    0,    0,    0,    0,    0,    0, 0,  // colours used, important
      0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0,    0,  // bottom row: red, green
      0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0,    0,  // top row: blue, white
  };
}

inline TBytes ContainerBytes(const TFiguresCollection& Image) {
  TMemoryStream stream;
  Image.SaveToStream(stream);
  return stream.TakeData();
}

inline TBytes RecordBytes(const TBasicFigure& Figure) {
  TMemoryStream stream;
  Figure.SaveToStream(stream);
  return stream.TakeData();
}

// "Привет, мир" in Windows-1251.
inline std::string CyrillicGreeting() {
  return "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";
}

// Every class at least once, with values a new figure never has: odd
// ordinals, a hidden figure, notices on, a chosen control point, insertion
// places, a system colour, Cyrillic text and a font style byte above 15, a
// real picture and an empty one. The polygon (position 2) is selected.
inline std::unique_ptr<TFiguresCollection> MakeEveryClassImage() {
  auto image = std::make_unique<TFiguresCollection>(&IdleCanvas(), TRect{0, 0, 320, 200});
  image->SetBackgroundColor(0x00336699);

  auto line = std::make_unique<TFigurePolyLine>(nullptr);
  line->AddPointXY(5, 5);
  line->AddPointXY(60, 40);
  line->AddPointXY(-7, 2147483647);
  line->SetPenColor(0x000000FF);
  line->SetPenWidth(3);
  line->SetPenMode(TPenMode(200));
  line->SetPenStyle(TPenStyle(77));
  line->SetAngle(-300);
  line->SetScale(-5);
  line->SetInsertIndex(2);
  line->FindPoint({60, 41});
  line->SetUpdating(false);

  auto rectangle = std::make_unique<TFigureRectangle>(nullptr);
  rectangle->SetPoint(0, {10, 20});
  rectangle->SetPoint(1, {110, 70});
  rectangle->SetBrushStyle(bsDiagCross);
  rectangle->SetBrushColor(clSystemColor + 5);
  rectangle->SetVisible(false);

  auto polygon = std::make_unique<TFigurePolygon>(nullptr);
  polygon->AddPointXY(100, 100);
  polygon->AddPointXY(150, 120);
  polygon->AddPointXY(120, 180);
  polygon->SetInsertIndex(1);
  polygon->SetBrushStyle(TBrushStyle(250));
  polygon->SetBrushColor(0x0000FF00);

  auto roundRect = std::make_unique<TFigureRoundRect>(nullptr);
  roundRect->SetPoint(0, {30, 30});
  roundRect->SetPoint(1, {90, 80});
  roundRect->SetCorners({7, 9});
  roundRect->SetPenWidth(-2147483647 - 1);

  auto ellipse = std::make_unique<TFigureEllipse>(nullptr);
  ellipse->SetPoint(0, {200, 10});
  ellipse->SetPoint(1, {260, 50});
  ellipse->SetPenColor(0xFFFFFFFF);

  auto pie = std::make_unique<TFigurePie>(nullptr);
  pie->SetPoint(0, {10, 100});
  pie->SetPoint(1, {80, 170});
  pie->SetPoint(2, {80, 100});
  pie->SetPoint(3, {10, 170});

  auto chord = std::make_unique<TFigureChord>(nullptr);
  chord->SetPoint(0, {150, 10});
  chord->SetPoint(1, {190, 60});
  chord->SetPoint(2, {190, 10});
  chord->SetPoint(3, {150, 60});
  chord->SetScale(127);
  chord->SetAngle(32767);

  auto text = std::make_unique<TFigureText>(nullptr);
  text->SetPoint(0, {180, 150});
  text->SetText(CyrillicGreeting());
  TFont font;
  font.Name = "\xC0rial";  // a Cyrillic capital A first
  font.Height = -15;
  font.Color = 0x00102030;
  font.Charset = 204;
  font.Style = 0x8F;
  text->SetFont(font);

  auto picture = std::make_unique<TFigureBitmap>(nullptr);
  picture->SetPoint(0, {250, 120});
  TBytes bmp = TwoByTwoBmp();
  TReadOnlyStream bmpStream(bmp);
  picture->LoadPictureFromStream(bmpStream);
  picture->SetTransparent(true);

  auto emptyPicture = std::make_unique<TFigureBitmap>(nullptr);
  emptyPicture->SetPoint(1, {20, 20});

  image->Add(std::move(line));
  image->Add(std::move(rectangle));
  image->Add(std::move(polygon));
  image->Add(std::move(roundRect));
  image->Add(std::move(ellipse));
  image->Add(std::move(pie));
  image->Add(std::move(chord));
  image->Add(std::move(text));
  image->Add(std::move(picture));
  image->Add(std::move(emptyPicture));
  image->SetSelected(image->GetFigure(2));
  return image;
}
