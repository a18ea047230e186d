// Replays the classic GDI reference calls of testdata/gdi (cases.json plus
// one bitmap per call) through the raster layer, and compares pictures.
#pragma once

#include <QImage>
#include <QJsonObject>
#include <QString>
#include <filesystem>
#include <vector>

struct TGdiCase {
  QString Id;
  QString Group;
  QJsonObject Json;
};

// The cases of cases.json, in file order.
std::vector<TGdiCase> LoadGdiCases(const std::filesystem::path& Manifest);

// The case drawn by the raster layer on its background (Format_RGB32).
QImage RenderGdiCase(const TGdiCase& Case);

// The reference picture of the case (Format_RGB32), or a null image.
QImage LoadGdiReference(const std::filesystem::path& Folder, const TGdiCase& Case);

// How far two pictures of the same size differ: the pixels that differ, and
// of those the ones "off by a pixel": each picture has the other's value of
// that pixel within Chebyshev distance 1 of it.
struct TPictureDiff {
  int Different = 0;
  int Displaced = 0;
  bool Exact() const { return Different == 0; }
  bool WithinOnePixel() const { return Displaced == Different; }
};

TPictureDiff ComparePictures(const QImage& Ours, const QImage& Reference);

// Colour as stored in cases.json (COLORREF 0x00BBGGRR) to a pixel value
// 0x00RRGGBB.
uint32_t ColorRefToPixel(uint32_t ColorRef);
