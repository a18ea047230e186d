// The SVG export. Guards against shapes moved by half a pixel or a pixel
// (lines off the pixel centres, the exclusive right and bottom edges lost),
// arcs running the wrong way or cut at the wrong rays, the wrong fill rule,
// dash lengths or gap colours other than the raster's, hatches not tied to
// the image origin, pictures not mirrored or not transparent, text in the
// wrong face, size or place, approximated raster modes not reported (or
// reported as a failure), and documents that are not well-formed XML.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <charconv>
#include <functional>
#include <random>
#include <set>

#include "kri/KriTestSupport.h"
#include "support/RasterTestSupport.h"
#include "support/BmpBuilder.h"
#include "export/Export.h"
#include "export/VectorPath.h"

namespace {

template <class T>
T& AddFigure(TFiguresCollection& Image, std::initializer_list<TPoint> Points) {
  auto figure = std::make_unique<T>(nullptr);
  T& added = *figure;
  int32_t i = 0;
  for (const TPoint& p : Points) {
    if constexpr (std::is_base_of_v<TVertexList, T>)
      added.AddPointXY(p.x, p.y);
    else
      added.SetPoint(i++, p);
  }
  Image.Add(std::move(figure));
  return added;
}

template <class T>
T& AddFilled(TFiguresCollection& Image, std::initializer_list<TPoint> Points, TColor Pen, int32_t Width, TColor Brush,
             TBrushStyle Style = bsSolid) {
  T& figure = AddFigure<T>(Image, Points);
  figure.SetPenColor(Pen);
  figure.SetPenWidth(Width);
  figure.SetBrushColor(Brush);
  figure.SetBrushStyle(Style);
  return figure;
}

void Rectangles(TFiguresCollection& Image) {
  AddFilled<TFigureRectangle>(Image, {{10, 10}, {60, 40}}, clBlack, 1, 0x0000FF);
  AddFilled<TFigureRectangle>(Image, {{120, 50}, {70, 10}}, 0xFF0000, 5, 0x00FFFF);
  AddFilled<TFigureRectangle>(Image, {{130, 10}, {180, 40}}, 0x008000, 6, 0xC0C0C0).SetPenStyle(psInsideFrame);
  AddFilled<TFigureRectangle>(Image, {{190, 10}, {230, 40}}, clBlack, 1, 0x00FF00).SetPenStyle(psClear);
  AddFilled<TFigureRectangle>(Image, {{10, 60}, {11, 90}}, clBlack, 1, 0x00FF00);
  AddFilled<TFigureRectangle>(Image, {{20, 60}, {60, 90}}, 0x800080, 1, clWhite, bsClear);
  // Dashes from the top-right corner on, gaps in the brush colour.
  AddFilled<TFigureRectangle>(Image, {{70, 60}, {170, 110}}, 0xFF0000, 1, 0x00FFFF).SetPenStyle(psDash);
  // Not a copy of the pen and brush, but independent of the pixels beneath.
  AddFilled<TFigureRectangle>(Image, {{180, 60}, {230, 110}}, 0xFFFF00, 2, 0x00FFFF).SetPenMode(pmNotCopy);
}

void Curves(TFiguresCollection& Image) {
  AddFilled<TFigureEllipse>(Image, {{5, 5}, {65, 45}}, clBlack, 1, 0x0000FF);
  AddFilled<TFigureEllipse>(Image, {{70, 5}, {111, 56}}, 0xFF0000, 3, 0x00FFFF).SetPenStyle(psInsideFrame);
  AddFilled<TFigureEllipse>(Image, {{115, 5}, {155, 35}}, clBlack, 1, 0x00FF00).SetPenStyle(psClear);
  AddFilled<TFigureEllipse>(Image, {{160, 5}, {236, 55}}, 0x008000, 4, 0x0000C0, bsCross);
  // A black pen in merge mode leaves its pixels alone; the white brush
  // sets its own.
  AddFilled<TFigureEllipse>(Image, {{5, 60}, {75, 115}}, clBlack, 6, clWhite).SetPenMode(pmMerge);
  AddFilled<TFigureRoundRect>(Image, {{80, 60}, {140, 100}}, clBlack, 1, 0xFF8000).SetCorners({20, 14});
  AddFilled<TFigureRoundRect>(Image, {{150, 60}, {230, 115}}, 0x0000A0, 4, 0x80FFFF).SetCorners({31, 21});
}

void PiesAndChords(TFiguresCollection& Image) {
  // Start and end rays through every quadrant, both arc sizes, equal rays.
  AddFilled<TFigurePie>(Image, {{10, 10}, {70, 60}, {70, 10}, {10, 60}}, clBlack, 1, 0x0000FF);
  AddFilled<TFigurePie>(Image, {{80, 10}, {140, 60}, {80, 60}, {140, 30}}, clBlack, 1, 0x00FF00);
  AddFilled<TFigureChord>(Image, {{150, 10}, {210, 60}, {150, 20}, {210, 20}}, 0xFF0000, 1, 0x00FFFF);
  AddFilled<TFigureChord>(Image, {{10, 65}, {80, 105}, {80, 105}, {10, 65}}, 0x800000, 3, 0xC0C0FF);
  AddFilled<TFigurePie>(Image, {{90, 65}, {140, 105}, {140, 85}, {140, 85}}, clBlack, 1, 0xFFFF00);
  AddFilled<TFigurePie>(Image, {{150, 65}, {236, 105}, {160, 105}, {230, 65}}, 0x008000, 4, 0xFF80FF);
}

void Polygons(TFiguresCollection& Image) {
  // Self-crossing: the pentagon in the middle of the star stays empty.
  AddFilled<TFigurePolygon>(Image, {{60, 5}, {95, 100}, {10, 40}, {110, 40}, {25, 100}}, clBlack, 1, 0x0000FF);
  AddFilled<TFigurePolygon>(Image, {{130, 10}, {230, 30}, {150, 95}, {200, 95}}, 0x800000, 3, 0x00FFFF);
}

void DashedLines(TFiguresCollection& Image) {
  // A polyline has no brush of its own: its gaps follow the brush the
  // figure below left on the canvas (opaque here).
  AddFilled<TFigureEllipse>(Image, {{5, 5}, {100, 50}}, 0xFF0000, 1, 0x00FFFF).SetPenStyle(psDashDot);
  AddFigure<TFigurePolyLine>(Image, {{10, 60}, {230, 60}, {230, 100}, {120, 70}}).SetPenStyle(psDash);
  AddFigure<TFigurePolyLine>(Image, {{10, 70}, {100, 70}}).SetPenStyle(psDot);
  AddFigure<TFigurePolyLine>(Image, {{10, 80}, {100, 80}, {100, 110}}).SetPenStyle(psDashDot);
  AddFilled<TFigurePolygon>(Image, {{120, 10}, {230, 10}, {230, 50}, {120, 40}}, 0x008000, 1, clWhite, bsClear)
      .SetPenStyle(psDashDotDot);
  // Wide enough, a styled pen draws solid.
  auto& wide = AddFigure<TFigurePolyLine>(Image, {{10, 95}, {60, 110}, {90, 95}});
  wide.SetPenStyle(psDash);
  wide.SetPenWidth(3);
}

void Hatches(TFiguresCollection& Image) {
  const TBrushStyle styles[] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
  int32_t x = 5;
  for (const TBrushStyle style : styles) {
    AddFilled<TFigureRectangle>(Image, {{x, 5}, {x + 33, 110}}, clBlack, 1, 0x0000C0, style);
    x += 38;
  }
}

void Pictures(TFiguresCollection& Image) {
  // 4 x 3; the bottom-left pixel (red) gives the transparent colour.
  const std::vector<uint32_t> pixels{0x0000FF, 0xFFFFFF, 0x00FF00, 0xFFFF00,  //
                                     0x000000, 0x808080, 0xFF00FF, 0x00FFFF,  //
                                     0xFF0000, 0x804000, 0xFF0000, 0x0080FF};
  TBytes bmp = bmp::Rgb24(4, 3, pixels);
  const std::initializer_list<TPoint> places[] = {{{10, 10}, {90, 70}}, {{180, 10}, {100, 70}}, {{10, 75}, {50, 115}}};
  for (const auto& place : places) {
    auto& picture = AddFilled<TFigureBitmap>(Image, place, clBlack, 1, 0xC0C0C0);
    picture.SetPenStyle(psClear);
    TReadOnlyStream stream(bmp);
    picture.LoadPictureFromStream(stream);
    picture.SetPoint(0, *place.begin());
    picture.SetPoint(1, *(place.begin() + 1));
    picture.SetTransparent(true);
  }
}

void Texts(TFiguresCollection& Image) {
  const auto add = [&](TPoint At, const std::string& Text, const char* Face, int32_t Height, TFontStyles Style,
                       TBrushStyle Brush) {
    auto& text = AddFilled<TFigureText>(Image, {At}, clBlack, 1, 0xC0FFFF, Brush);
    text.SetPenStyle(psClear);
    text.SetText(Text);
    TFont font;
    font.Name = Face;
    font.Height = Height;
    font.Color = 0x800000;
    font.Style = Style;
    text.SetFont(font);
  };
  add({5, 5}, CyrillicGreeting(), "Arial", -20, fsBold, bsSolid);
  add({5, 35}, "Times <&> Roman", "Times New Roman", 24, fsItalic, bsClear);
  add({5, 70}, "Courier 0123", "Courier New", -16, 0, bsSolid);
  add({150, 80}, "MS Sans", "MS Sans Serif", 0, 0, bsClear);
}

// Figures reaching billions of pixels beyond the page.
void FarAway(TFiguresCollection& Image) {
  constexpr int32_t kMin = -2147483647 - 1, kMax = 2147483647;
  AddFilled<TFigureRectangle>(Image, {{-2000000000, -2000000000}, {2000000000, 30}}, 0x0000FF, 3, 0x00FF00);
  AddFigure<TFigurePolyLine>(Image, {{-2000000000, 40}, {2000000000, 60}}).SetPenStyle(psDash);
  AddFigure<TFigurePolyLine>(Image, {{kMin, 50}, {kMax, 100}}).SetPenWidth(5);
  AddFilled<TFigureEllipse>(Image, {{-2000000000, 100}, {200, 2000000000}}, clBlack, 1, 0x0000FF);
  AddFilled<TFigurePie>(Image, {{kMin, kMin}, {kMax, kMax}, {kMax, 0}, {0, kMax}}, clBlack, 1, 0xFF00FF, bsCross);
}

struct TScene {
  const char* Name;
  std::function<void(TFiguresCollection&)> Build;
  // Only axis-aligned edges on whole pixels, which renderers keep sharp.
  bool Crisp;
};

std::unique_ptr<TFiguresCollection> MakeScene(const TScene& Scene) {
  auto image = std::make_unique<TFiguresCollection>(&IdleCanvas(), TRect{0, 0, 240, 120});
  image->SetBackgroundColor(0x00E0D0C0);
  Scene.Build(*image);
  return image;
}

// The SVG drawn by rsvg-convert, which install-deps installs.
QImage RenderedSvg(const std::string& Svg) {
  const QString converter = QStandardPaths::findExecutable("rsvg-convert");
  if (converter.isEmpty()) {
    ADD_FAILURE() << "rsvg-convert not found: install librsvg2-bin (scripts/install-deps)";
    return {};
  }
  QTemporaryDir folder;
  const QString svg = folder.filePath("image.svg"), png = folder.filePath("image.png");
  WriteFileAtomically(svg.toStdString(), {reinterpret_cast<const uint8_t*>(Svg.data()), Svg.size()});
  QProcess process;
  process.start(converter, {"--format=png", "--output=" + png, svg});
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    ADD_FAILURE() << "rsvg-convert failed: " << process.readAllStandardError().toStdString();
    return {};
  }
  return QImage(png).convertToFormat(QImage::Format_RGB32);
}

// Standard output of a poppler tool (which install-deps installs) run on
// Pdf, with Args before the file and After behind it; empty after a
// reported failure.
QByteArray PopplerOutput(const QString& Tool, QStringList Args, const std::vector<uint8_t>& Pdf,
                         const QStringList& After = {}) {
  const QString program = QStandardPaths::findExecutable(Tool);
  if (program.isEmpty()) {
    ADD_FAILURE() << Tool.toStdString() << " not found: install poppler-utils (scripts/install-deps)";
    return {};
  }
  QTemporaryDir folder;
  const QString file = folder.filePath("image.pdf");
  WriteFileAtomically(file.toStdString(), Pdf);
  QProcess process;
  process.start(program, Args << file << After);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    ADD_FAILURE() << Tool.toStdString() << " failed: " << process.readAllStandardError().toStdString();
    return {};
  }
  return process.readAllStandardOutput();
}

// The page drawn by poppler at 96 dots per inch: a dot per image pixel.
QImage RenderedPdf(const std::vector<uint8_t>& Pdf) {
  return QImage::fromData(PopplerOutput("pdftoppm", {"-r", "96", "-png", "-singlefile"}, Pdf), "PNG")
      .convertToFormat(QImage::Format_RGB32);
}

// A pixel of A counts as matched when a pixel of B at most one pixel away
// has every channel within 128 of it. Antialiased edges (and text) are
// blends of the colours on either side, hence never further than half the
// range from the nearer one; a colour further from everything near it is
// wrong, not a blend.
int Unmatched(const QImage& A, const QImage& B) {
  int count = 0;
  for (int y = 0; y < A.height(); ++y) {
    for (int x = 0; x < A.width(); ++x) {
      const QRgb a = A.pixel(x, y);
      bool matched = false;
      for (int v = std::max(y - 1, 0); v <= std::min(y + 1, B.height() - 1) && !matched; ++v) {
        for (int u = std::max(x - 1, 0); u <= std::min(x + 1, B.width() - 1) && !matched; ++u) {
          const QRgb b = B.pixel(u, v);
          matched = std::abs(qRed(a) - qRed(b)) <= 128 && std::abs(qGreen(a) - qGreen(b)) <= 128 &&
                    std::abs(qBlue(a) - qBlue(b)) <= 128;
        }
      }
      count += !matched;
    }
  }
  return count;
}

}  // namespace

// Each scene drawn by rsvg-convert from the export against the raster
// render. Unmatched pixels (see Unmatched) in either direction must stay
// under 0.5% of the image (144 of 28,800): a missing fill, dash, gap or
// hatch, a wrong arc, or a shape two pixels off leaves hundreds. The 3 x 3
// neighbourhood forgives a shape one pixel off, so the crisp scenes must
// also match pixel for pixel but for as many: half a pixel off, their
// edges blur into thousands of blends.
TEST(KriSvg, RenderedSvgMatchesTheRaster) {
  const TScene scenes[] = {
      {"rectangles", Rectangles, true}, {"hatches", Hatches, true},     {"pictures", Pictures, true},
      {"curves", Curves, false},        {"pies", PiesAndChords, false}, {"polygons", Polygons, false},
      {"dashes", DashedLines, false},   {"texts", Texts, false},        {"far", FarAway, true}};
  for (const TScene& scene : scenes) {
    SCOPED_TRACE(scene.Name);
    std::vector<TVectorApproximation> approximated;
    const QImage svg = RenderedSvg(ImageToSvg(*MakeScene(scene), approximated));
    const QImage raster = RenderImage(*MakeScene(scene));
    ASSERT_EQ(svg.size(), raster.size());
    EXPECT_TRUE(approximated.empty());
    const int unmatched = std::max(Unmatched(raster, svg), Unmatched(svg, raster));
    RecordProperty(scene.Name, unmatched);
    EXPECT_LT(unmatched, 144);
    if (scene.Crisp) {
      EXPECT_LT(CountDifferences(raster, svg), 144);
    }
  }
}

// The same scenes through the PDF export, drawn by poppler, within the same
// bounds: the PDF is the SVG's drawing put on a page, so a page of the
// wrong size or a drawing moved or scaled on it shows as thousands.
TEST(KriPdf, RenderedPdfMatchesTheRaster) {
  const TScene scenes[] = {
      {"rectangles", Rectangles, true}, {"hatches", Hatches, true},     {"pictures", Pictures, true},
      {"curves", Curves, false},        {"pies", PiesAndChords, false}, {"polygons", Polygons, false},
      {"dashes", DashedLines, false},   {"texts", Texts, false},        {"far", FarAway, true}};
  for (const TScene& scene : scenes) {
    SCOPED_TRACE(scene.Name);
    std::vector<TVectorApproximation> approximated;
    const QImage pdf = RenderedPdf(ImageToPdf(*MakeScene(scene), approximated));
    const QImage raster = RenderImage(*MakeScene(scene));
    ASSERT_EQ(pdf.size(), raster.size());
    const int unmatched = std::max(Unmatched(raster, pdf), Unmatched(pdf, raster));
    RecordProperty(scene.Name, unmatched);
    EXPECT_LT(unmatched, 144);
  }
}

// Texts stay text: their fonts embedded, their words found by a reader;
// a face without a program to embed (a Type 1 one) is drawn as outlines
// and still found.
TEST(KriPdf, TextsAreEmbeddedAndSearchable) {
  const TScene texts{"texts", [](TFiguresCollection& Image) {
                       Texts(Image);
                       auto& outlined = AddFilled<TFigureText>(Image, {{120, 5}}, clBlack, 1, clWhite, bsClear);
                       outlined.SetText("Chancery");
                       TFont font;
                       font.Name = "Monotype Corsiva";
                       font.Height = -24;
                       outlined.SetFont(font);
                     }};
  std::vector<TVectorApproximation> approximated;
  const std::vector<uint8_t> pdf = ImageToPdf(*MakeScene(texts), approximated);
  const QList<QByteArray> fonts = PopplerOutput("pdffonts", {}, pdf).split('\n');
  int listed = 0;
  for (const QByteArray& line : fonts.mid(2)) {
    if (line.trimmed().isEmpty()) continue;
    ++listed;
    // Columns: name, type, encoding, then "yes" or "no" for embedded.
    EXPECT_TRUE(line.contains(" yes ")) << line.toStdString();
  }
  EXPECT_GE(listed, 3);
  const QString words = QString::fromUtf8(PopplerOutput("pdftotext", {}, pdf, {"-"}));
  for (const QString& expected :
       {QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80"),
        QStringLiteral("Times <&> Roman"), QStringLiteral("Courier 0123"), QStringLiteral("Chancery")}) {
    EXPECT_TRUE(words.contains(expected)) << expected.toStdString() << " not in " << words.toStdString();
  }
}

// On paper the drawing moves and scales, and its hatch cells with it.
TEST(KriPdf, PlacedDrawingKeepsItsHatchesInStep) {
  const TScene hatches{"hatches", Hatches, true};
  const QImage raster = RenderImage(*MakeScene(hatches));
  // Two dots of poppler's 96 an inch to a pixel, 30 and 20 dots in.
  TPdfPlacement placement;
  placement.Scale = 1.5;
  placement.Left = 22.5;
  placement.Top = 15;
  placement.PageWidth = raster.width() * 1.5 + 45;
  placement.PageHeight = raster.height() * 1.5 + 30;
  std::vector<TVectorApproximation> approximated;
  const QImage page = RenderedPdf(ImageToPdf(*MakeScene(hatches), approximated, placement));
  const QImage doubled = raster.scaled(raster.size() * 2);
  const QImage drawn = page.copy(30, 20, doubled.width(), doubled.height());
  EXPECT_LT(std::max(Unmatched(doubled, drawn), Unmatched(drawn, doubled)), 4 * 144);
}

// A figure whose raster mode depends on the pixels beneath is drawn as copy
// and named on standard error; the export still succeeds. Modes whose result
// does not depend on them (not-copy, nop) are drawn exactly, unnamed.
TEST(KriSvg, ApproximatedModesAreReportedNotFailed) {
  TFiguresCollection image(&IdleCanvas(), TRect{0, 0, 50, 40});
  AddFilled<TFigureRectangle>(image, {{2, 2}, {20, 20}}, clBlack, 1, 0x0000FF).SetPenMode(pmNotCopy);
  AddFilled<TFigureEllipse>(image, {{5, 5}, {30, 30}}, clBlack, 1, 0x00FF00).SetPenMode(pmXor);
  AddFilled<TFigurePolygon>(image, {{1, 1}, {40, 5}, {20, 30}}, clBlack, 1, 0x00FF00).SetPenMode(pmNop);
  auto& masked = AddFigure<TFigurePolyLine>(image, {{0, 39}, {49, 0}});
  masked.SetPenColor(0x00FF00);
  masked.SetPenMode(pmMask);
  QTemporaryDir folder;
  const QString input = folder.filePath("modes.kri"), output = folder.filePath("modes.svg");
  WriteFileAtomically(input.toStdString(), ContainerBytes(image));

  QProcess kri;
  kri.start(KRI_EXECUTABLE, {"export", input, output});
  ASSERT_TRUE(kri.waitForFinished(60000));
  EXPECT_EQ(kri.exitCode(), 0);
  EXPECT_EQ(kri.readAllStandardError().toStdString(),
            "kri: figures drawn in copy mode instead of their raster mode: 1 (TFigureEllipse, pmXor), "
            "3 (TFigurePolyLine, pmMask)\n");
  QFile written(output);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_TRUE(written.readAll().endsWith("</svg>\n"));
}

// Every kind of element the export writes, in a document an XML reader takes
// whole: escaped text, far coordinates, an empty and a transparent picture.
TEST(KriSvg, DocumentIsWellFormedXml) {
  const std::unique_ptr<TFiguresCollection> image = MakeEveryClassImage();
  TFigureText& text = AddFigure<TFigureText>(*image, {{5, 5}});
  text.SetText("<a & \"b\" 'c'>\x01\t]]>");
  AddFigure<TFigurePolyLine>(*image, {{-2147483647 - 1, -2147483647 - 1}, {2147483647, 2147483647}}).SetPenWidth(9);
  AddFilled<TFigureEllipse>(*image, {{2147483647, 0}, {-2147483647, 90}}, clBlack, 1, 0x0000FF, bsCross);
  std::vector<TVectorApproximation> approximated;
  const std::string svg = ImageToSvg(*image, approximated);

  QXmlStreamReader reader(QByteArray::fromStdString(svg));
  std::set<std::string> kinds;
  std::string texts;
  while (!reader.atEnd()) {
    if (reader.readNext() == QXmlStreamReader::StartElement) {
      kinds.insert(reader.name().toString().toStdString());
      if (reader.name() == u"svg") {
        EXPECT_EQ(reader.attributes().value("viewBox").toString(), "0 0 320 200");
      }
      if (reader.name() == u"text") texts += reader.readElementText().toStdString() + '|';
    }
  }
  EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString() << " at line " << reader.lineNumber();
  EXPECT_EQ(kinds, (std::set<std::string>{"svg", "rect", "path", "defs", "pattern", "text", "image"}));
  EXPECT_EQ(texts, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80|<a & \"b\" 'c'>\t]]>|");
}

// Numbers as the path data writes them: the shortest form to a thousandth,
// whole pixels and pixel centres (written the quick way) included, no
// negative zero, anything past every page clamped.
TEST(KriSvg, NumbersAreShortestToAThousandth) {
  const std::pair<double, const char*> cases[] = {{0, "0"},
                                                  {-0.0, "0"},
                                                  {3, "3"},
                                                  {-3, "-3"},
                                                  {0.5, "0.5"},
                                                  {-0.5, "-0.5"},
                                                  {-12.5, "-12.5"},
                                                  {0.25, "0.25"},
                                                  {-0.0004, "0"},
                                                  {2.0006, "2.001"},
                                                  {1e300, "1000000000000000"},
                                                  {-1e300, "-1000000000000000"},
                                                  {std::nan(""), "0"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(Number(value), text) << value;
  // Whatever shortcut writes them, fractions are the exact decimal rounding,
  // also a hair either side of a half thousandth.
  std::mt19937_64 random(7);
  for (int i = 0; i < 200000; ++i) {
    const double near = double(int64_t(random() % 4000000) - 2000000) / 1000 + 0.0005;
    const double value = i % 2 == 0 ? std::uniform_real_distribution<double>(-5000, 5000)(random)
                                    : std::nextafter(near, i % 4 == 1 ? 1e300 : -1e300);
    char exact[64];
    std::string_view digits(exact, size_t(std::to_chars(exact, exact + 64, value, std::chars_format::fixed, 3).ptr - exact));
    while (digits.back() == '0') digits.remove_suffix(1);
    if (digits.back() == '.') digits.remove_suffix(1);
    ASSERT_EQ(Number(value), digits == "-0" ? "0" : std::string(digits)) << value;
  }
}
