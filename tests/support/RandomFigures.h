// Figures of every class with random geometry and attributes (all pen
// modes and styles, wide pens, hatches, slanted and heavy texts, mirrored
// and transparent pictures), for tests that compare drawing paths.
#pragma once

#include <memory>
#include <random>
#include <string>

#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "support/BmpBuilder.h"

// Anchored inside Area, reaching up to MaxSize pixels from the anchor in
// either direction (so some figures cross the edges); Canvas as Create gets it.
inline std::unique_ptr<TBasicFigure> RandomFigure(std::mt19937& Random, TCanvas* Canvas, const TRect& Area,
                                                  int MaxSize) {
  const auto uniform = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(Random); };
  const TFigureClass* classes[] = {&TFigurePolyLine::Class, &TFigureRectangle::Class, &TFigurePolygon::Class,
                                   &TFigureRoundRect::Class, &TFigureEllipse::Class, &TFigureChord::Class,
                                   &TFigurePie::Class,      &TFigureText::Class,      &TFigureBitmap::Class};
  std::unique_ptr<TBasicFigure> figure = classes[uniform(0, 8)]->Create(Canvas);
  const TPoint anchor{uniform(Area.Left, Area.Right - 1), uniform(Area.Top, Area.Bottom - 1)};
  const auto near = [&] { return TPoint{anchor.x + uniform(-MaxSize, MaxSize), anchor.y + uniform(-MaxSize, MaxSize)}; };
  if (TVertexList* vertices = AsVertexList(figure.get())) {
    for (int k = uniform(2, 6); k > 0; --k) {
      const TPoint p = near();
      vertices->AddPointXY(p.x, p.y);
    }
  } else if (figure->ClassType().Traits.Family == ffText) {
    figure->SetPoint(0, anchor);
  } else {
    figure->SetPoint(0, anchor);
    for (int i = 1; i < figure->PointsCount(); ++i) figure->SetPoint(i, near());
  }
  figure->SetPenColor(TColor(Random()) & 0xFFFFFF);
  // Mostly narrow pens, now and then a wide one.
  figure->SetPenWidth(uniform(0, 5) == 0 ? uniform(6, 24) : uniform(0, 4));
  figure->SetPenStyle(TPenStyle(uniform(0, 6)));
  figure->SetPenMode(TPenMode(uniform(0, 15)));
  if (TBinaryDimensionsFigure* filled = AsFilled(figure.get())) {
    filled->SetBrushColor(TColor(Random()) & 0xFFFFFF);
    filled->SetBrushStyle(TBrushStyle(uniform(0, 7)));
  }
  if (auto* round = dynamic_cast<TFigureRoundRect*>(figure.get())) round->SetCorners({uniform(0, 30), uniform(0, 30)});
  if (auto* text = dynamic_cast<TFigureText*>(figure.get())) {
    const char* names[] = {"Arial", "Times New Roman", "Courier New"};
    TFont font;
    font.Name = names[uniform(0, 2)];
    font.Height = uniform(0, 3) == 0 ? uniform(10, 40) : -uniform(6, 36);
    font.Style = TFontStyles(uniform(0, 15));
    font.Color = TColor(Random()) & 0xFFFFFF;
    text->SetFont(font);
    // Latin and Cyrillic (Windows-1251), with accents, descenders and a
    // slanted last letter.
    const char* texts[] = {"Wg", "fjy\xC9\xD9", "Kresta W", "\xC6\xE9\xF9 Qf", "i"};
    text->SetText(texts[uniform(0, 4)]);
  }
  if (auto* picture = dynamic_cast<TFigureBitmap*>(figure.get())) {
    const int w = uniform(1, 4), h = uniform(1, 4);
    std::vector<uint32_t> pixels(size_t(w * h));
    for (uint32_t& p : pixels) p = uint32_t(Random()) & 0xFFFFFF;
    const std::vector<uint8_t> bytes = bmp::Rgb24(w, h, pixels);
    TReadOnlyStream stream(bytes);
    picture->LoadPictureFromStream(stream);
    // Loading fits the frame to the picture: stretch or mirror it again.
    picture->SetPoint(1, near());
    picture->SetTransparent(uniform(0, 1) == 1);
  }
  return figure;
}
