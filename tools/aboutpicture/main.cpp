// kresta-aboutpicture OUT.jpg: draws the about window's picture, a seaside
// dusk, with the program's own figures on its raster canvas and writes it as
// a 666 x 500 baseline JPEG. The poem goes over the dark sky at the top left
// and the paragraph over the dark water from (46, 250), so the sun, its
// reflection, the boat and the brighter stars keep to the right.
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <vector>

// jpeglib.h uses FILE and size_t without including their headers.
#include <csetjmp>
#include <jpeglib.h>

#include "canvas/CodePage.h"
#include "canvas/IdleCanvas.h"
#include "canvas/RasterCanvas.h"
#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "figures/Streams.h"

namespace {

constexpr int32_t PictureWidth = 666;
constexpr int32_t PictureHeight = 500;
constexpr int32_t Horizon = 236;
constexpr int JpegQuality = 90;

struct TRgb {
  double R, G, B;
};

TColor ToColor(const TRgb& C) {
  const auto channel = [](double V) { return TColor(std::clamp(int(V + 0.5), 0, 255)); };
  return channel(C.R) | channel(C.G) << 8 | channel(C.B) << 16;
}

TRgb Mix(const TRgb& A, const TRgb& B, double T) {
  return {A.R + (B.R - A.R) * T, A.G + (B.G - A.G) * T, A.B + (B.B - A.B) * T};
}

// A vertical gradient: the colour at each stop's row, linear in between.
struct TStop {
  int32_t Y;
  TRgb Color;
};

TRgb ColorAt(std::span<const TStop> Stops, int32_t Y) {
  if (Y <= Stops.front().Y) return Stops.front().Color;
  for (size_t i = 1; i < Stops.size(); ++i)
    if (Y <= Stops[i].Y)
      return Mix(Stops[i - 1].Color, Stops[i].Color, double(Y - Stops[i - 1].Y) / (Stops[i].Y - Stops[i - 1].Y));
  return Stops.back().Color;
}

constexpr TStop Sky[] = {{0, {12, 14, 44}},    {120, {32, 26, 82}},    {180, {78, 44, 106}},
                         {215, {168, 86, 98}}, {236, {236, 148, 102}}};
constexpr TStop Sea[] = {{236, {84, 52, 100}}, {280, {44, 34, 84}}, {380, {20, 22, 60}}, {500, {8, 10, 34}}};

// The figures of the picture, bottom to top; the collection owns them.
class TScene {
 public:
  // Drawn nowhere until rendered.
  TScene() : FFigures(&IdleCanvas(), TRect{0, 0, PictureWidth, PictureHeight}) {}

  // Band rows high, edge to edge.
  void Gradient(std::span<const TStop> Stops, int32_t Top, int32_t Bottom, int32_t Band) {
    for (int32_t y = Top; y < Bottom; y += Band)
      Rectangle({0, y, PictureWidth, std::min(y + Band, Bottom)}, ColorAt(Stops, y + Band / 2));
  }

  void Rectangle(const TRect& R, const TRgb& Color) {
    auto figure = std::make_unique<TFigureRectangle>(nullptr);
    figure->SetPoint(0, {R.Left, R.Top});
    figure->SetPoint(1, {R.Right, R.Bottom});
    Place(Filled(std::move(figure), Color));
  }

  void RoundRect(const TRect& R, const TRgb& Color) {
    auto figure = std::make_unique<TFigureRoundRect>(nullptr);
    figure->SetPoint(0, {R.Left, R.Top});
    figure->SetPoint(1, {R.Right, R.Bottom});
    figure->SetCorners({R.Bottom - R.Top, R.Bottom - R.Top});
    Place(Filled(std::move(figure), Color));
  }

  // The circle of radius Radius around (X, Y).
  void Disc(int32_t X, int32_t Y, int32_t Radius, const TRgb& Color) {
    auto figure = std::make_unique<TFigureEllipse>(nullptr);
    figure->SetPoint(0, {X - Radius, Y - Radius});
    figure->SetPoint(1, {X + Radius, Y + Radius});
    Place(Filled(std::move(figure), Color));
  }

  // The upper half of that circle: the arc runs counter-clockwise from the
  // eastern ray to the western one.
  void HalfDisc(int32_t X, int32_t Y, int32_t Radius, const TRgb& Color) {
    auto figure = std::make_unique<TFigurePie>(nullptr);
    figure->SetPoint(0, {X - Radius, Y - Radius});
    figure->SetPoint(1, {X + Radius, Y + Radius});
    figure->SetPoint(2, {X + Radius, Y});
    figure->SetPoint(3, {X - Radius, Y});
    Place(Filled(std::move(figure), Color));
  }

  void Polygon(std::initializer_list<TPoint> Points, const TRgb& Color) {
    auto figure = std::make_unique<TFigurePolygon>(nullptr);
    for (const TPoint& p : Points) figure->AddPoint(p);
    Place(Filled(std::move(figure), Color));
  }

  void Line(std::initializer_list<TPoint> Points, const TRgb& Color) {
    auto figure = std::make_unique<TFigurePolyLine>(nullptr);
    for (const TPoint& p : Points) figure->AddPoint(p);
    figure->SetPenColor(ToColor(Color));
    figure->SetPenWidth(1);
    Place(std::move(figure));
  }

  // A four-pointed star reaching Size pixels from its centre.
  void Star(int32_t X, int32_t Y, int32_t Size, const TRgb& Color) {
    Polygon({{X, Y - Size}, {X + 1, Y - 1}, {X + Size, Y}, {X + 1, Y + 1}, {X, Y + Size}, {X - 1, Y + 1},
             {X - Size, Y}, {X - 1, Y - 1}},
            Color);
  }

  // Text given in UTF-8, drawn without box or background.
  void Text(int32_t X, int32_t Y, const std::string& Utf8, const TFont& Font) {
    auto figure = std::make_unique<TFigureText>(nullptr);
    figure->SetPoint(0, {X, Y});
    figure->SetText(Utf8ToCp1251(Utf8).Bytes);
    figure->SetFont(Font);
    figure->SetPenStyle(psClear);
    figure->SetBrushStyle(bsClear);
    Place(std::move(figure));
  }

  // Every figure drawn once on a white raster, without selection markers.
  QImage Render() {
    QImage raster(PictureWidth, PictureHeight, QImage::Format_RGB32);
    if (raster.isNull()) throw EOutOfMemory();
    raster.fill(Qt::white);
    TRasterCanvas canvas(raster);
    FFigures.DrawOn(canvas);
    return raster;
  }

 private:
  // Pen and brush in one colour: the shape covers exactly its box.
  template <typename TFigure>
  static std::unique_ptr<TFigure> Filled(std::unique_ptr<TFigure> Figure, const TRgb& Color) {
    Figure->SetPenColor(ToColor(Color));
    Figure->SetPenWidth(1);
    Figure->SetBrushColor(ToColor(Color));
    Figure->SetBrushStyle(bsSolid);
    return Figure;
  }

  void Place(std::unique_ptr<TBasicFigure> Figure) {
    if (FFigures.Add(std::move(Figure)) == nullptr) throw EOutOfMemory();
  }

  TFiguresCollection FFigures;
};

void DrawScene(TScene& Scene) {
  Scene.Gradient(Sky, 0, Horizon, 2);

  // The sun half set on the horizon, in rings of its glow.
  constexpr int32_t sunX = 540;
  Scene.Disc(sunX, Horizon, 78, {110, 52, 104});
  Scene.Disc(sunX, Horizon, 60, {172, 80, 100});
  Scene.Disc(sunX, Horizon, 44, {228, 124, 98});
  Scene.HalfDisc(sunX, Horizon, 30, {255, 212, 140});

  // The crescent moon: a disc with a disc of the sky's colour over it.
  Scene.Disc(420, 62, 22, {246, 238, 204});
  Scene.Disc(430, 55, 21, ColorAt(Sky, 55));

  // Stars; the faint ones may stand behind the poem.
  constexpr TRgb starlight{255, 248, 222};
  constexpr TRgb faint{150, 146, 170};
  Scene.Star(330, 30, 5, starlight);
  Scene.Star(502, 24, 4, starlight);
  Scene.Star(618, 62, 5, starlight);
  Scene.Star(360, 112, 3, starlight);
  Scene.Star(560, 118, 3, starlight);
  Scene.Star(470, 150, 3, starlight);
  Scene.Star(640, 140, 3, starlight);
  for (const TPoint& p : {TPoint{280, 70}, TPoint{300, 150}, TPoint{390, 20}, TPoint{452, 98}, TPoint{590, 30},
                          TPoint{650, 18}, TPoint{530, 78}, TPoint{240, 175}, TPoint{620, 170}, TPoint{380, 166}})
    Scene.Star(p.x, p.y, 2, faint);

  // Far hills and, nearer on the left, a darker ridge.
  Scene.Polygon({{0, Horizon}, {0, 202}, {44, 194}, {96, 200}, {152, 188}, {214, 202}, {266, 208}, {332, 198},
                 {396, 212}, {446, 222}, {482, 230}, {600, 231}, {636, 224}, {666, 218}, {666, Horizon}},
                {54, 32, 80});
  Scene.Polygon({{0, Horizon}, {0, 214}, {58, 208}, {126, 218}, {190, 228}, {236, Horizon}}, {34, 22, 58});

  Scene.Gradient(Sea, Horizon, PictureHeight, 2);

  // The sun's path on the water, narrowing and fading towards the shore.
  for (int32_t i = 0; i < 12; ++i) {
    const int32_t y = Horizon + 4 + i * 9;
    const int32_t half = 44 - i * 3;
    const TRgb glint = Mix({250, 176, 112}, ColorAt(Sea, y), 0.15 + i * 0.06);
    Scene.RoundRect({sunX - half + (i % 2) * 6, y, sunX + half + (i % 2) * 6, y + 3}, glint);
  }

  // A sailing boat against the sun, its sails lit from behind.
  Scene.Polygon({{576, 296}, {646, 296}, {636, 308}, {588, 308}}, {18, 12, 30});
  Scene.Rectangle({609, 228, 612, 297}, {24, 16, 36});
  Scene.Polygon({{613, 232}, {613, 292}, {648, 292}}, {236, 178, 132});
  Scene.Polygon({{607, 242}, {607, 292}, {582, 292}}, {204, 140, 122});
  Scene.Line({{584, 312}, {604, 312}}, {30, 22, 52});
  Scene.Line({{612, 316}, {640, 316}}, {30, 22, 52});

  // Ripples, a shade lighter than the water, kept clear of the text.
  constexpr TRgb ripple{58, 52, 108};
  for (const TPoint& p : {TPoint{470, 340}, TPoint{560, 362}, TPoint{500, 396}, TPoint{600, 420},
                          TPoint{520, 446}, TPoint{610, 470}, TPoint{480, 480}})
    Scene.Line({p, {p.x + 14, p.y - 2}, {p.x + 28, p.y}}, ripple);

  TFont signature;
  signature.Name = "Liberation Sans";
  signature.Height = -11;
  signature.Color = ToColor({96, 92, 140});
  signature.Style = fsItalic;
  Scene.Text(612, 482, "Kresta", signature);
}

// libjpeg's failures jump back here instead of ending the program.
struct TJpegErrors {
  jpeg_error_mgr Manager;  // first member: libjpeg sees only this part
  std::jmp_buf Jump;
};

[[noreturn]] void JumpBack(j_common_ptr Info) { std::longjmp(reinterpret_cast<TJpegErrors*>(Info->err)->Jump, 1); }

// Holds no object with a destructor: libjpeg may jump out of it. Rows are
// RGB, 3 bytes a pixel, BytesPerLine apart; the compressed bytes go to a
// buffer libjpeg allocates with malloc (*Out, freed by the caller even after
// a failure).
bool Compress(jpeg_compress_struct& Info, const uint8_t* Rows, size_t BytesPerLine, JDIMENSION Width,
              JDIMENSION Height, unsigned char** Out, unsigned long* OutSize) {
  if (setjmp(reinterpret_cast<TJpegErrors*>(Info.err)->Jump) != 0) return false;
  jpeg_create_compress(&Info);
  jpeg_mem_dest(&Info, Out, OutSize);
  Info.image_width = Width;
  Info.image_height = Height;
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);  // baseline Huffman, YCbCr 4:2:0, JFIF header
  jpeg_set_quality(&Info, JpegQuality, TRUE);
  jpeg_start_compress(&Info, TRUE);
  while (Info.next_scanline < Info.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(Rows + BytesPerLine * Info.next_scanline);
    jpeg_write_scanlines(&Info, &row, 1);
  }
  jpeg_finish_compress(&Info);
  return true;
}

std::vector<uint8_t> EncodeJpeg(const QImage& Picture) {
  const QImage rgb = Picture.convertToFormat(QImage::Format_RGB888);
  TJpegErrors errors{};
  jpeg_compress_struct info{};
  info.err = jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = JumpBack;
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  const bool done = Compress(info, rgb.constBits(), size_t(rgb.bytesPerLine()), JDIMENSION(rgb.width()),
                             JDIMENSION(rgb.height()), &out, &outSize);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes;
  if (done) bytes.assign(out, out + outSize);
  std::free(out);
  if (!done) throw EOutOfMemory();
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: kresta-aboutpicture OUT.jpg\n", stderr);
    return 2;
  }
  // Text needs the font system, hence a GUI application.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const QGuiApplication application(argc, argv);
  try {
    TScene scene;
    DrawScene(scene);
    WriteFileAtomically(argv[1], EncodeJpeg(scene.Render()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kresta-aboutpicture: %s\n", e.what());
    return 1;
  }
  return 0;
}
