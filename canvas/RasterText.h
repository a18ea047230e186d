// Fonts for the raster canvas: the classic font description (typeface in
// Windows-1251, height in the font system's convention, style bits) turned
// into a non-antialiased QFont with its metrics. Internal to canvas/ and the
// canvases that follow its geometry (the SVG export).
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <memory>
#include <vector>

#include "canvas/Canvas.h"

// Installs, once per process, installed stand-ins for the classic Windows
// typefaces.
void InstallFontSubstitutions();

struct TFontEntry {
  TFont Key;
  QFont Font;
  QFontMetrics Metrics;
  int Ascent;  // pixels above the baseline
  int Cell;    // ascent + descent
};

// The fonts used lately, so that drawing many texts in a few fonts builds
// each font once.
class TFontCache {
 public:
  const TFontEntry& Get(const TFont& Font);

 private:
  std::vector<std::unique_ptr<TFontEntry>> FEntries;  // most recent first
};
