// Figures and blocks shared by the clipboard tests: one figure of every
// class with attributes away from the defaults, and the figure block written
// out by hand from its layout (32-bit little-endian name length, the name,
// the record).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "figures/AbstractFigures.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"
#include "support/BmpBuilder.h"

namespace cliptest {

using Bytes = std::vector<uint8_t>;

inline void AppendU32(Bytes& B, uint32_t V) {
  for (int i = 0; i < 4; ++i) B.push_back(uint8_t(V >> (8 * i)));
}

// What the figure's own SaveToStream writes.
inline Bytes RecordOf(const TBasicFigure& Figure) {
  TMemoryStream stream;
  Figure.SaveToStream(stream);
  return stream.TakeData();
}

inline Bytes FigureBlock(const std::string& ClassName, const Bytes& Record) {
  Bytes block;
  AppendU32(block, uint32_t(ClassName.size()));
  block.insert(block.end(), ClassName.begin(), ClassName.end());
  block.insert(block.end(), Record.begin(), Record.end());
  return block;
}

inline Bytes FigureBlock(const TBasicFigure& Figure) { return FigureBlock(Figure.ClassName(), RecordOf(Figure)); }

// A figure of the class with its pen, points, fill and class-specific fields
// set from Seed, so that two seeds give different records.
inline std::unique_ptr<TBasicFigure> MakeFigure(const TFigureClass& Class, int32_t Seed) {
  std::unique_ptr<TBasicFigure> figure = Class.Create(nullptr);
  figure->SetPenColor(0x00102030u + uint32_t(Seed));
  figure->SetPenWidth(1 + Seed % 5);
  figure->SetPenMode(pmXor);
  figure->SetPenStyle(psDash);
  figure->SetAngle(int16_t(15 * Seed));
  figure->SetScale(int8_t(Seed));
  if (auto* line = dynamic_cast<TFigurePolyLine*>(figure.get())) {
    line->AddPoint({10 + Seed, 20});
    line->AddPoint({30, 40 + Seed});
    line->AddPoint({-5, 7});
  } else if (auto* polygon = dynamic_cast<TFigurePolygon*>(figure.get())) {
    polygon->AddPoint({1, 2});
    polygon->AddPoint({50 + Seed, 2});
    polygon->AddPoint({25, 60});
  } else {
    for (int32_t i = 0; i < figure->PointsCount(); ++i) figure->SetPoint(i, {5 + Seed + 20 * i, 6 + 30 * i});
  }
  if (auto* closed = dynamic_cast<TBinaryDimensionsFigure*>(figure.get())) {
    closed->SetBrushStyle(bsCross);
    closed->SetBrushColor(0x00A0B0C0u + uint32_t(Seed));
  }
  if (auto* rounded = dynamic_cast<TFigureRoundRect*>(figure.get())) rounded->SetCorners({7, 9 + Seed});
  if (auto* text = dynamic_cast<TFigureText*>(figure.get())) {
    text->SetText("\xCF\xF0\xE8\xE2\xE5\xF2 " + std::to_string(Seed));  // "Привет" in Windows-1251
    text->GetFont().Height = -(12 + Seed);
  }
  if (auto* picture = dynamic_cast<TFigureBitmap*>(figure.get())) {
    const Bytes bmp = bmp::Rgb24(3, 2, {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, uint32_t(Seed)});
    TReadOnlyStream stream(bmp);
    picture->LoadPictureFromStream(stream);
    picture->SetTransparent(true);
  }
  return figure;
}

}  // namespace cliptest
