#include "canvas/RasterCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "canvas/CodePage.h"
#include "canvas/RasterBatch.h"
#include "canvas/RasterDevice.h"
#include "canvas/RasterText.h"

namespace {

// A Windows system colour: the palette role that plays its part here, and
// its value in the classic Windows scheme (0x00BBGGRR) for when there is no
// palette or no role fits.
struct TSystemColor {
  bool HasRole;
  QPalette::ColorGroup Group;
  QPalette::ColorRole Role;
  uint32_t Classic;
};

constexpr QPalette::ColorGroup kActive = QPalette::Active;
constexpr TSystemColor kFixed(uint32_t Classic) { return {false, kActive, QPalette::Window, Classic}; }
constexpr TSystemColor kRole(QPalette::ColorRole Role, uint32_t Classic, QPalette::ColorGroup Group = kActive) {
  return {true, Group, Role, Classic};
}

// Indexed by COLOR_SCROLLBAR (0) .. COLOR_MENUBAR (30).
constexpr TSystemColor kSystemColors[] = {
    kRole(QPalette::Button, 0xC8D0D4),                    // COLOR_SCROLLBAR
    kFixed(0xA56E3A),                                     // COLOR_BACKGROUND (desktop)
    kRole(QPalette::Highlight, 0x6A240A),                 // COLOR_ACTIVECAPTION
    kFixed(0x808080),                                     // COLOR_INACTIVECAPTION
    kRole(QPalette::Window, 0xC8D0D4),                    // COLOR_MENU
    kRole(QPalette::Base, 0xFFFFFF),                      // COLOR_WINDOW
    kRole(QPalette::Shadow, 0x000000),                    // COLOR_WINDOWFRAME
    kRole(QPalette::WindowText, 0x000000),                // COLOR_MENUTEXT
    kRole(QPalette::Text, 0x000000),                      // COLOR_WINDOWTEXT
    kRole(QPalette::HighlightedText, 0xFFFFFF),           // COLOR_CAPTIONTEXT
    kRole(QPalette::Window, 0xC8D0D4),                    // COLOR_ACTIVEBORDER
    kRole(QPalette::Window, 0xC8D0D4),                    // COLOR_INACTIVEBORDER
    kRole(QPalette::Dark, 0x808080),                      // COLOR_APPWORKSPACE
    kRole(QPalette::Highlight, 0x6A240A),                 // COLOR_HIGHLIGHT
    kRole(QPalette::HighlightedText, 0xFFFFFF),           // COLOR_HIGHLIGHTTEXT
    kRole(QPalette::Button, 0xC8D0D4),                    // COLOR_BTNFACE
    kRole(QPalette::Dark, 0x808080),                      // COLOR_BTNSHADOW
    kRole(QPalette::Text, 0x808080, QPalette::Disabled),  // COLOR_GRAYTEXT
    kRole(QPalette::ButtonText, 0x000000),                // COLOR_BTNTEXT
    kFixed(0xC8D0D4),                                     // COLOR_INACTIVECAPTIONTEXT
    kRole(QPalette::Light, 0xFFFFFF),                     // COLOR_BTNHIGHLIGHT
    kRole(QPalette::Shadow, 0x404040),                    // COLOR_3DDKSHADOW
    kRole(QPalette::Midlight, 0xC8D0D4),                  // COLOR_3DLIGHT
    kRole(QPalette::ToolTipText, 0x000000),               // COLOR_INFOTEXT
    kRole(QPalette::ToolTipBase, 0xE1FFFF),               // COLOR_INFOBK
    kFixed(0xB5B5B5),                                     // 25, unassigned
    kRole(QPalette::Link, 0x800000),                      // COLOR_HOTLIGHT
    kFixed(0xF0CAA6),                                     // COLOR_GRADIENTACTIVECAPTION
    kFixed(0xC0C0C0),                                     // COLOR_GRADIENTINACTIVECAPTION
    kRole(QPalette::Highlight, 0x6A240A),                 // COLOR_MENUHILIGHT
    kRole(QPalette::Window, 0xC8D0D4),                    // COLOR_MENUBAR
};

uint32_t FromQColor(const QColor& C) { return uint32_t(C.red()) | uint32_t(C.green()) << 8 | uint32_t(C.blue()) << 16; }

// 0x00BBGGRR to the pixel layout 0x00RRGGBB, and back.
uint32_t SwapRedBlue(uint32_t C) { return (C & 0xFFu) << 16 | (C & 0xFF00u) | (C >> 16 & 0xFFu); }

template <class TEnum>
TEnum ValidOr(TEnum Value, TEnum Last, TEnum Fallback) {
  return Value <= Last ? Value : Fallback;
}

int32_t ClampToInt32(int64_t V) {
  return int32_t(std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Glyphs are laid out in fixed point by the paint engine, so text never
// starts further left of the image than this; leading characters that end
// before it are dropped instead. (Text reaching the image from further above
// or below would need a glyph taller than any font here.)
constexpr int64_t kTextReach = int64_t(1) << 20;

// Batches of fewer primitives, or images of fewer rows, are drawn by the
// calling thread alone: starting threads would cost more than it saves.
constexpr size_t kBandedPrimitives = 256;
constexpr int32_t kBandedRows = 64;
constexpr unsigned kMostBands = 8;

int BandsForBatch(size_t Primitives, int32_t Rows) {
  static const unsigned cores = std::thread::hardware_concurrency();
  if (Primitives < kBandedPrimitives || Rows < kBandedRows) return 1;
  return int(std::clamp(cores, 1u, kMostBands));
}

}  // namespace

uint32_t ColorToRGB(TColor Color) {
  if ((Color & clSystemColor) == 0) return Color & 0x00FFFFFFu;
  const uint32_t index = Color - clSystemColor;
  if (index >= std::size(kSystemColors)) return 0;
  const TSystemColor& entry = kSystemColors[index];
  if (!entry.HasRole || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return entry.Classic;
  return FromQColor(QGuiApplication::palette().color(entry.Group, entry.Role));
}

TRasterCanvas::TRasterCanvas(QImage& Image)
    : FImage(Image),
      FDevice(std::make_unique<TRasterDevice>()),
      FBatch(std::make_unique<TRasterBatch>()),
      FFonts(std::make_unique<TFontCache>()) {
  InstallFontSubstitutions();
}

TRasterCanvas::~TRasterCanvas() = default;

namespace {

struct TRasterBits : TCanvasBits {
  QImage Image;
};

}  // namespace

void TRasterCanvas::DoEndBatch() {
  if (FBatchDepth > 0 && --FBatchDepth == 0) DrawBatch();
}

void TRasterCanvas::DrawBatch() {
  if (FBatch->Size() == 0) return;
  if (!HasDrawableFormat()) {
    FBatch->Replay({}, 1);
    return;
  }
  const TSurface surface{reinterpret_cast<uint32_t*>(FImage.bits()), FImage.width(), FImage.height(),
                         FImage.bytesPerLine() / 4};
  FBatch->Replay(surface, BandsForBatch(FBatch->Size(), FImage.height()));
}

bool TRasterCanvas::DoSaveBits(std::unique_ptr<TCanvasBits>& Bits) {
  DrawBatch();
  if (FImage.isNull()) return false;
  auto* raster = dynamic_cast<TRasterBits*>(Bits.get());
  if (raster == nullptr) {
    Bits = std::make_unique<TRasterBits>();
    raster = static_cast<TRasterBits*>(Bits.get());
  }
  raster->Image = FImage;
  return true;
}

bool TRasterCanvas::DoRestoreBits(const TCanvasBits& Bits) {
  DrawBatch();
  const auto* raster = dynamic_cast<const TRasterBits*>(&Bits);
  if (raster == nullptr || raster->Image.size() != FImage.size() || raster->Image.format() != FImage.format())
    return false;
  FImage = raster->Image;
  return true;
}

namespace {

struct TRasterAreaBits : TCanvasBits {
  QSize ImageSize;
  TRect Area;  // within ImageSize
  std::vector<uint32_t> Pixels;
};

// Copies columns [X0, X1) of one row of Saved (from its column Area.Left)
// into Row; nothing when the range is empty.
void PutBack(uint32_t* Row, const uint32_t* Saved, const TRect& Area, int32_t X0, int32_t X1) {
  if (X0 >= X1) return;
  std::memcpy(Row + X0, Saved + (X0 - Area.Left), size_t(X1 - X0) * sizeof(uint32_t));
}

}  // namespace

bool TRasterCanvas::HasDrawableFormat() const {
  const QImage::Format format = FImage.format();
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

TRect TRasterCanvas::DoPixelBounds() const {
  if (!HasDrawableFormat()) return {};
  return {0, 0, FImage.width(), FImage.height()};
}

bool TRasterCanvas::DoSaveArea(const TRect& Area, std::unique_ptr<TCanvasBits>& Bits) {
  DrawBatch();
  if (FImage.isNull() || !HasDrawableFormat()) return false;
  auto* saved = dynamic_cast<TRasterAreaBits*>(Bits.get());
  if (saved == nullptr) {
    Bits = std::make_unique<TRasterAreaBits>();
    saved = static_cast<TRasterAreaBits*>(Bits.get());
  }
  const TRect area = Intersection(Area, DoPixelBounds());
  saved->ImageSize = FImage.size();
  saved->Area = area;
  const size_t width = size_t(area.Right - area.Left);
  saved->Pixels.resize(width * size_t(area.Bottom - area.Top));
  for (int32_t y = area.Top; y < area.Bottom; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(FImage.constScanLine(y));
    std::memcpy(&saved->Pixels[size_t(y - area.Top) * width], row + area.Left, width * sizeof(uint32_t));
  }
  return true;
}

bool TRasterCanvas::DoRestoreAreaExcept(const TCanvasBits& Bits, const TRect& Keep) {
  DrawBatch();
  const auto* saved = dynamic_cast<const TRasterAreaBits*>(&Bits);
  if (saved == nullptr || saved->ImageSize != FImage.size() || !HasDrawableFormat()) return false;
  const TRect& area = saved->Area;
  const TRect keep = Intersection(Keep, area);
  const bool keepsAny = !IsEmpty(keep);
  const size_t width = size_t(area.Right - area.Left);
  for (int32_t y = area.Top; y < area.Bottom; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(FImage.scanLine(y));
    const uint32_t* from = &saved->Pixels[size_t(y - area.Top) * width];
    if (keepsAny && y >= keep.Top && y < keep.Bottom) {
      PutBack(row, from, area, area.Left, keep.Left);
      PutBack(row, from, area, keep.Right, area.Right);
    } else {
      PutBack(row, from, area, area.Left, area.Right);
    }
  }
  return true;
}

void TRasterCanvas::SetDeviceState(TDeviceState& State) const {
  State.PenColor = SwapRedBlue(ColorToRGB(Pen.Color));
  State.PenWidth = Pen.Width;
  State.PenStyle = ValidOr(Pen.Style, psInsideFrame, psSolid);
  State.Mode = ValidOr(Pen.Mode, pmNotXor, pmCopy);
  State.BrushStyle = ValidOr(Brush.Style, bsDiagCross, bsSolid);
  State.BrushColor = SwapRedBlue(ColorToRGB(Brush.Color));
  State.OpaqueBack = State.BrushStyle == bsSolid;
  State.BackColor = State.BrushColor;
}

bool TRasterCanvas::Prepare() {
  if (!HasDrawableFormat()) return false;
  FDevice->Attach(
      {reinterpret_cast<uint32_t*>(FImage.bits()), FImage.width(), FImage.height(), FImage.bytesPerLine() / 4});
  SetDeviceState(FDevice->State);
  return true;
}

template <class TPrimitive>
void TRasterCanvas::Draw(TPrimitive&& Primitive) {
  if (FBatchDepth == 0) {
    if (Prepare()) Primitive(*FDevice);
  } else if (HasDrawableFormat()) {
    SetDeviceState(FBatch->State);
    Primitive(*FBatch);
    if (FBatch->Full()) DrawBatch();
  }
}

void TRasterCanvas::DoRectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Draw([&](auto& Layer) { Layer.Rectangle(X1, Y1, X2, Y2); });
}

void TRasterCanvas::DoEllipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Draw([&](auto& Layer) { Layer.Ellipse(X1, Y1, X2, Y2); });
}

void TRasterCanvas::DoRoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t W, int32_t H) {
  Draw([&](auto& Layer) { Layer.RoundRect(X1, Y1, X2, Y2, W, H); });
}

void TRasterCanvas::DoChord(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4,
                            int32_t Y4, bool IsPie) {
  Draw([&](auto& Layer) { Layer.Arc(X1, Y1, X2, Y2, X3, Y3, X4, Y4, IsPie ? TArcKind::Pie : TArcKind::Chord); });
}

void TRasterCanvas::DoPolyline(std::span<const TPoint> Points) {
  Draw([&](auto& Layer) { Layer.Polyline(Points); });
}

void TRasterCanvas::DoPolygon(std::span<const TPoint> Points) {
  Draw([&](auto& Layer) { Layer.Polygon(Points); });
}

void TRasterCanvas::DoFillRect(const TRect& R) {
  Draw([&](auto& Layer) { Layer.FillRect(R); });
}

void TRasterCanvas::DoStretchDraw(const TRect& Dest, const TPixelImage& Picture, std::optional<uint32_t> Transparent) {
  Draw([&](auto& Layer) {
    Layer.StretchBlt(Dest.Left, Dest.Top, int64_t(Dest.Right) - Dest.Left, int64_t(Dest.Bottom) - Dest.Top, Picture, 0,
                     0, Picture.Width, Picture.Height, Transparent);
  });
}

TSize TRasterCanvas::DoTextExtent(std::string_view Text) {
  const TFontEntry& font = FFonts->Get(Font);
  const QString text = QString::fromStdU16String(Cp1251ToUtf16(Text));
  return {font.Metrics.horizontalAdvance(text), font.Cell};
}

void TRasterCanvas::DoTextOut(int32_t X, int32_t Y, std::string_view Text) {
  DrawBatch();
  if (!Prepare()) return;
  const TFontEntry& font = FFonts->Get(Font);
  QString text = QString::fromStdU16String(Cp1251ToUtf16(Text));
  const int64_t width = font.Metrics.horizontalAdvance(text);
  // The background box is the brush's, in copy mode like the glyphs.
  if (FDevice->State.OpaqueBack) {
    FDevice->FillRect({X, Y, ClampToInt32(int64_t(X) + width), ClampToInt32(int64_t(Y) + font.Cell)});
  }
  if (int64_t(X) + width <= 0 || X >= FImage.width() || int64_t(Y) + font.Cell <= 0 || Y >= FImage.height()) return;
  int64_t x = X;
  if (x < -kTextReach) {
    // Drop the longest prefix that still ends left of the reach.
    qsizetype lo = 0, hi = text.size();
    while (lo < hi) {
      const qsizetype mid = lo + (hi - lo + 1) / 2;
      if (x + font.Metrics.horizontalAdvance(text.left(mid)) <= -kTextReach)
        lo = mid;
      else
        hi = mid - 1;
    }
    x += font.Metrics.horizontalAdvance(text.left(lo));
    text.remove(0, lo);
  }
  QPainter painter(&FImage);
  painter.setFont(font.Font);
  painter.setPen(QColor::fromRgb(SwapRedBlue(ColorToRGB(Font.Color))));
  painter.drawText(QPointF(double(x), double(Y) + font.Ascent), text);
}
