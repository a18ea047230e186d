#include "canvas/RasterText.h"

#include <QStringList>
#include <algorithm>

#include "canvas/CodePage.h"

namespace {

constexpr size_t kCachedFonts = 8;
// Character heights are kept within this many pixels: larger glyphs could
// never fit an image.
constexpr int kMaxPixelSize = 4096;
// The character height of the default font (height 0).
constexpr int kDefaultPixelSize = 11;

QFont BaseFont(const TFont& F) {
  QFont font(QString::fromStdU16String(Cp1251ToUtf16(F.Name)));
  font.setStyleStrategy(QFont::NoAntialias);
  font.setKerning(false);
  font.setHintingPreference(QFont::PreferVerticalHinting);
  font.setBold((F.Style & fsBold) != 0);
  font.setItalic((F.Style & fsItalic) != 0);
  font.setUnderline((F.Style & fsUnderline) != 0);
  font.setStrikeOut((F.Style & fsStrikeOut) != 0);
  return font;
}

int CellHeight(QFont Font, int PixelSize) {
  Font.setPixelSize(PixelSize);
  const QFontMetrics metrics(Font);
  return metrics.ascent() + metrics.descent();
}

// The largest character height whose cell (ascent + descent) fits Cell.
int PixelSizeForCell(const QFont& Font, int Cell) {
  int lo = 1, hi = Cell;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (CellHeight(Font, mid) <= Cell)
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo;
}

QFont MakeFont(const TFont& F) {
  QFont font = BaseFont(F);
  const int64_t height = F.Height;
  if (height < 0) {
    font.setPixelSize(int(std::min<int64_t>(-height, kMaxPixelSize)));
  } else if (height > 0) {
    font.setPixelSize(PixelSizeForCell(font, int(std::min<int64_t>(height, kMaxPixelSize))));
  } else {
    font.setPixelSize(kDefaultPixelSize);
  }
  return font;
}

}  // namespace

void InstallFontSubstitutions() {
  static const bool installed = [] {
    QFont::insertSubstitutions("MS Sans Serif", {"Liberation Sans", "DejaVu Sans"});
    QFont::insertSubstitutions("Arial", {"Liberation Sans", "DejaVu Sans"});
    QFont::insertSubstitutions("Times New Roman", {"Liberation Serif", "DejaVu Serif"});
    QFont::insertSubstitutions("Courier New", {"Liberation Mono", "DejaVu Sans Mono"});
    QFont::insertSubstitutions("Monotype Corsiva", {"Z003", "URW Chancery L"});
    return true;
  }();
  (void)installed;
}

const TFontEntry& TFontCache::Get(const TFont& Font) {
  const auto hit = std::find_if(FEntries.begin(), FEntries.end(), [&](const auto& e) { return e->Key == Font; });
  if (hit != FEntries.end()) {
    std::rotate(FEntries.begin(), hit, hit + 1);
    return *FEntries.front();
  }
  if (FEntries.size() == kCachedFonts) FEntries.pop_back();
  const QFont font = MakeFont(Font);
  const QFontMetrics metrics(font);
  FEntries.insert(FEntries.begin(), std::make_unique<TFontEntry>(TFontEntry{Font, font, metrics, metrics.ascent(),
                                                                            metrics.ascent() + metrics.descent()}));
  return *FEntries.front();
}
