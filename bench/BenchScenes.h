// Scenes the benchmarks share: images of many small mixed figures.
#pragma once

#include <random>

#include "document/Collection.h"
#include "figures/RealFigures.h"

// Shapes of every point-defined class (no text, no pictures), 4 to 80 pixels
// across, scattered over the left Width pixels of the image (so that a strip
// to their right can stay free), with a spread of pens and brushes. The same
// seed gives the same figures.
inline void AddMixedFigures(TFiguresCollection& Image, int Count, int Width, int Height, TCanvas* Canvas,
                            unsigned Seed = 1234) {
  std::mt19937 random(Seed);
  const auto uniform = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(random); };
  const TFigureClass* classes[] = {&TFigurePolyLine::Class, &TFigureRectangle::Class, &TFigurePolygon::Class,
                                   &TFigureRoundRect::Class, &TFigureEllipse::Class, &TFigureChord::Class,
                                   &TFigurePie::Class};
  for (int i = 0; i < Count; ++i) {
    auto figure = classes[i % std::size(classes)]->Create(Canvas);
    const TPoint a{uniform(0, Width - 1), uniform(0, Height - 1)};
    const TPoint b{a.x + uniform(4, 80), a.y + uniform(4, 80)};
    if (TVertexList* vertices = AsVertexList(figure.get())) {
      // Four vertices for an open line, five for a polygon.
      const int count = figure->ClassType().Traits.Family == ffOpenLine ? 4 : 5;
      for (int k = 0; k < count; ++k) {
        const int x = uniform(a.x, b.x);  // before y: argument order is unspecified
        vertices->AddPointXY(x, uniform(a.y, b.y));
      }
    } else {
      figure->SetPoint(0, a);
      figure->SetPoint(1, b);
      if (figure->PointsCount() == 4) {
        figure->SetPoint(2, {b.x, a.y});
        figure->SetPoint(3, {a.x, b.y});
      }
    }
    figure->SetPenColor(uint32_t(random()) & 0xFFFFFF);
    figure->SetPenWidth(uniform(0, 3));
    figure->SetPenStyle(TPenStyle(uniform(0, 4)));
    if (TBinaryDimensionsFigure* filled = AsFilled(figure.get())) {
      filled->SetBrushColor(uint32_t(random()) & 0xFFFFFF);
      filled->SetBrushStyle(TBrushStyle(uniform(0, 7)));
    }
    Image.Add(std::move(figure));
  }
}
