#include "export/PdfCanvas.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainterPath>
#include <QTextLayout>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "canvas/CodePage.h"
#include "canvas/RasterText.h"

namespace {

// Bytes of content compressed together: large enough that compression
// works well, small enough that it keeps pace with the drawing.
constexpr size_t kContentPart = size_t(4) << 20;

// 0x00BBGGRR as the three operands of a colour operator, 0 to 1.
void AppendRgb(std::string& Out, uint32_t Color) {
  for (const int shift : {0, 8, 16}) {
    AppendNumber(Out, double(Color >> shift & 0xFF) / 255);
    Out += ' ';
  }
}

// Numbers of the placement, finer than the drawing's thousandths of a
// pixel: a page may scale them up.
std::string Fine(double V) {
  char text[40];
  std::snprintf(text, sizeof text, "%.6f", V);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

void AppendPoint(std::string& Out, TXY P) {
  AppendNumber(Out, P.X);
  Out += ' ';
  AppendNumber(Out, P.Y);
  Out += ' ';
}

// An elliptical arc as cubic Bezier pieces of at most a quarter turn each,
// from where the path stands. A piece's control points lie along the
// tangents at its ends, 4/3 tan(a/4) of the way for a turn of a.
void AppendArc(std::string& Out, const TPathCommand& A) {
  const int pieces = std::max(1, int(std::ceil((A.T1 - A.T0) / (std::numbers::pi / 2) - 1e-9)));
  const double step = (A.T1 - A.T0) / pieces, k = 4.0 / 3 * std::tan(step / 4);
  double cos0 = std::cos(A.T0), sin0 = std::sin(A.T0);
  for (int i = 1; i <= pieces; ++i) {
    const double t1 = i == pieces ? A.T1 : A.T0 + step * i;
    const double cos1 = std::cos(t1), sin1 = std::sin(t1);
    const TXY p0{A.C.X + A.Rx * cos0, A.C.Y - A.Ry * sin0};
    const TXY p3 = i == pieces ? A.P : TXY{A.C.X + A.Rx * cos1, A.C.Y - A.Ry * sin1};
    // The derivatives by the angle, y pointing down.
    AppendPoint(Out, {p0.X - k * A.Rx * sin0, p0.Y - k * A.Ry * cos0});
    AppendPoint(Out, {p3.X + k * A.Rx * sin1, p3.Y + k * A.Ry * cos1});
    AppendPoint(Out, p3);
    Out += "c\n";
    cos0 = cos1;
    sin0 = sin1;
  }
}

// The placement as a transformation from image pixels (y down) to the
// page's default space (y up).
std::string PlacementMatrix(const TPdfPlacement& P) {
  return Fine(P.Scale) + " 0 0 " + Fine(-P.Scale) + ' ' + Fine(P.Left) + ' ' + Fine(P.PageHeight - P.Top);
}

}  // namespace

TPdfCanvas::TPdfCanvas(int32_t Width, int32_t Height) : TVectorCanvas(Width, Height) {
  // Joins of one-pixel strokes as SVG renderers make them.
  FContent = "4 M\n";
}

void TPdfCanvas::FlushContent(size_t AtLeast) {
  if (FContent.size() < AtLeast) return;
  FContentParts.push_back(
      std::async(std::launch::async, [Part = std::move(FContent)] { return Deflated(Part); }));
  FContent.clear();
}

void TPdfCanvas::SetFill(const TVectorFill& Fill) {
  const int64_t key = int64_t(Fill.Color) | (Fill.Cell == nullptr ? 0 : int64_t(Fill.Style + 1) << 32);
  if (key == FState.Fill) return;
  FState.Fill = key;
  if (Fill.Cell == nullptr) {
    AppendRgb(FContent, Fill.Color);
    FContent += "rg\n";
    return;
  }
  // One uncoloured pattern per hatch style, painted in the fill's colour.
  const auto [pattern, added] = FPatterns.try_emplace(Fill.Style);
  if (added) pattern->second = {"P" + std::to_string(FPatterns.size()), Fill.Cell};
  FContent += "/Hatch cs ";
  AppendRgb(FContent, Fill.Color);
  FContent += '/' + pattern->second.first + " scn\n";
}

void TPdfCanvas::SetStroke(uint32_t Color, int64_t Width, const TVectorDash* Dash) {
  if (Color != FState.Stroke) {
    AppendRgb(FContent, Color);
    FContent += "RG\n";
    FState.Stroke = Color;
  }
  if (Width != FState.Width) {
    // Wide classic pens have round ends and joins; one-pixel lines end at
    // the pixel edges their path gives.
    if ((Width > 1) != (FState.Width > 1)) FContent += Width > 1 ? "1 J 1 j\n" : "0 J 0 j\n";
    FContent += std::to_string(Width) + " w\n";
    FState.Width = Width;
  }
  if (Dash == nullptr && FState.Dash.empty()) return;
  std::string dash;
  if (Dash != nullptr) {
    dash = "[";
    for (size_t i = 0; i < Dash->Runs.size(); ++i) {
      if (i > 0) dash += ' ';
      AppendNumber(dash, Dash->Runs[i] * Dash->Scale);
    }
    dash += "] ";
    AppendNumber(dash, Dash->Offset);
    dash += " d\n";
  }
  if (dash == FState.Dash) return;
  FContent += Dash != nullptr ? dash : std::string("[] 0 d\n");
  FState.Dash = std::move(dash);
}

void TPdfCanvas::AppendPath(const TVectorPath& D) {
  for (const TPathCommand& c : D.Commands()) {
    switch (c.Kind) {
      case 'M':
        AppendPoint(FContent, c.P);
        FContent += "m\n";
        break;
      case 'L':
        AppendPoint(FContent, c.P);
        FContent += "l\n";
        break;
      case 'A': AppendArc(FContent, c); break;
      default: FContent += "h\n";
    }
  }
}

void TPdfCanvas::PutBox(double Left, double Top, double Right, double Bottom, const TVectorFill& Fill) {
  FlushContent(kContentPart);
  SetFill(Fill);
  AppendPoint(FContent, {Left, Top});
  AppendPoint(FContent, {Right - Left, Bottom - Top});
  FContent += "re f\n";
}

void TPdfCanvas::PutFill(const TVectorPath& D, bool EvenOdd, const TVectorFill& Fill, const TVectorPath* Band,
                         int64_t BandWidth) {
  FlushContent(kContentPart);
  const bool masked = Band != nullptr && !Band->Empty();
  const TState outside = FState;
  if (masked) FContent += "q /" + BandMask(*Band, BandWidth) + " gs\n";
  SetFill(Fill);
  AppendPath(D);
  FContent += EvenOdd ? "f*\n" : "f\n";
  if (!masked) return;
  FContent += "Q\n";
  FState = outside;
}

std::string TPdfCanvas::BandMask(const TVectorPath& Band, int64_t Width) {
  // White lets the fill through, the band's black stroke keeps it out;
  // outside the page nothing shows anyway.
  const std::string w = std::to_string(this->Width()), h = std::to_string(Height());
  const int form = FDocument.Reserve(), state = FDocument.Reserve();
  const TState outside = std::exchange(FState, TState{});
  std::string drawing = "1 g 0 0 " + w + ' ' + h + " re f 0 G 1 J 1 j 4 M " + std::to_string(Width) + " w\n";
  std::swap(FContent, drawing);
  AppendPath(Band);
  std::swap(FContent, drawing);
  FState = outside;
  FDocument.Stream(form,
                   " /Type /XObject /Subtype /Form /BBox [0 0 " + w + ' ' + h +
                       "] /Group << /S /Transparency /CS /DeviceGray >>",
                   drawing + "S\n");
  FDocument.Object(state, "<< /Type /ExtGState /SMask << /Type /Mask /S /Luminosity /G " + std::to_string(form) +
                              " 0 R >> >>");
  const std::string name = "G" + std::to_string(++FMaskCount);
  FMasks += " /" + name + ' ' + std::to_string(state) + " 0 R";
  return name;
}

void TPdfCanvas::PutStroke(const TVectorPath& D, uint32_t Color, int64_t Width, const TVectorDash* Dash) {
  FlushContent(kContentPart);
  SetStroke(Color, Width, Dash);
  AppendPath(D);
  FContent += "S\n";
}

void TPdfCanvas::PutText(const TVectorText& Text) {
  FlushContent(kContentPart);
  const TFontEntry& font = *Text.Font;
  const QString text = QString::fromStdU16String(Cp1251ToUtf16(Text.Text));
  // The same layout as the raster's: its glyphs at its positions.
  QTextLayout layout(text, font.Font);
  layout.beginLayout();
  const QTextLine line = layout.createLine();
  layout.endLayout();
  if (!line.isValid()) return;
  const double top = double(Text.Baseline) - line.ascent();
  SetFill({Text.Color, bsSolid, nullptr});
  // Readers take the text itself from here, whatever the glyphs.
  FContent += "/Span << /ActualText " + PdfTextString(text.toStdU16String()) + " >> BDC\n";
  bool outlined = false;
  for (const QGlyphRun& run : layout.glyphRuns()) {
    const QRawFont face = run.rawFont();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> at = run.positions();
    if (glyphs.isEmpty() || at.size() != glyphs.size()) continue;
    if (!TPdfFonts::CanEmbed(face)) {
      AppendOutlines(run, double(Text.X), top);
      outlined = true;
      continue;
    }
    const std::string resource = FFonts.Use(face, {glyphs.begin(), glyphs.end()}, text);
    const double size = face.pixelSize();
    FContent += "BT /" + resource + ' ' + Fine(size) + " Tf 1 0 0 -1 ";
    AppendPoint(FContent, {double(Text.X) + at[0].x(), top + at[0].y()});
    FContent += "Tm [<";
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
      FContent += PdfHexCode(glyphs[i]);
      if (i + 1 == glyphs.size()) break;
      // Each glyph moves the pen by its declared advance; the difference
      // from the layout's position is taken back, in thousandths of the
      // size.
      const double drift = FFonts.Advance(face, glyphs[i]) - (at[i + 1].x() - at[i].x()) * 1000 / size;
      if (std::fabs(drift) < 0.5) continue;
      FContent += "> ";
      AppendNumber(FContent, drift);
      FContent += " <";
    }
    FContent += ">] TJ ET\n";
  }
  if (outlined) AppendInvisibleText(text, double(Text.X), double(Text.Baseline), double(Text.Width), font.Font.pixelSize());
  FContent += "EMC\n";
  // Lines under and through the text, where the raster draws them.
  const QFontMetricsF metrics(font.Font);
  const double thickness = std::max(1.0, std::round(metrics.lineWidth()));
  const auto rule = [&](double Top) {
    AppendPoint(FContent, {double(Text.X), Top});
    AppendPoint(FContent, {double(Text.Width), thickness});
    FContent += "re f\n";
  };
  if ((font.Key.Style & fsUnderline) != 0) rule(double(Text.Baseline) + std::ceil(metrics.underlinePos()));
  if ((font.Key.Style & fsStrikeOut) != 0) rule(double(Text.Baseline) - std::round(metrics.ascent() / 3));
}

void TPdfCanvas::AppendInvisibleText(const QString& Text, double X, double Baseline, double Width, int Size) {
  QFont substitute(QStringLiteral("DejaVu Sans"));
  substitute.setPixelSize(Size);
  const QRawFont face = QRawFont::fromFont(substitute);
  if (!TPdfFonts::CanEmbed(face) || Size <= 0) return;
  const QList<quint32> glyphs = face.glyphIndexesForString(Text);
  double natural = 0;
  for (const quint32 glyph : glyphs) natural += FFonts.Advance(face, glyph) * Size / 1000;
  if (glyphs.isEmpty() || natural <= 0) return;
  const std::string resource = FFonts.Use(face, {glyphs.begin(), glyphs.end()}, Text);
  // Stretched over the drawn text, in the render mode that paints nothing.
  FContent += "q BT 3 Tr /" + resource + ' ' + std::to_string(Size) + " Tf ";
  AppendNumber(FContent, 100 * Width / natural);
  FContent += " Tz 1 0 0 -1 ";
  AppendPoint(FContent, {X, Baseline});
  FContent += "Tm <";
  for (const quint32 glyph : glyphs) FContent += PdfHexCode(glyph);
  FContent += "> Tj ET Q\n";
}

void TPdfCanvas::AppendOutlines(const QGlyphRun& Run, double X, double Y) {
  const QRawFont face = Run.rawFont();
  const QList<quint32> glyphs = Run.glyphIndexes();
  const QList<QPointF> at = Run.positions();
  for (qsizetype i = 0; i < glyphs.size(); ++i) {
    const QPainterPath outline = face.pathForGlyph(glyphs[i]).translated(X + at[i].x(), Y + at[i].y());
    for (int e = 0; e < outline.elementCount(); ++e) {
      const QPainterPath::Element& element = outline.elementAt(e);
      AppendPoint(FContent, {element.x, element.y});
      if (element.type == QPainterPath::MoveToElement) FContent += "m\n";
      if (element.type == QPainterPath::LineToElement) FContent += "l\n";
      // A curve is its first control point followed by two data elements.
      if (element.type == QPainterPath::CurveToDataElement && e > 0 &&
          outline.elementAt(e - 1).type == QPainterPath::CurveToDataElement)
        FContent += "c\n";
    }
    if (!outline.isEmpty()) FContent += "f\n";
  }
}

void TPdfCanvas::PutImage(int64_t Left, int64_t Top, const QImage& Picture) {
  FlushContent(kContentPart);
  const QImage pixels = Picture.convertToFormat(QImage::Format_ARGB32);
  const int w = pixels.width(), h = pixels.height();
  std::string rgb, alpha;
  rgb.reserve(size_t(w) * size_t(h) * 3);
  bool transparent = false;
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      rgb += char(qRed(row[x]));
      rgb += char(qGreen(row[x]));
      rgb += char(qBlue(row[x]));
      alpha += char(qAlpha(row[x]) == 0 ? 0 : 255);
      transparent = transparent || qAlpha(row[x]) == 0;
    }
  }
  const std::string size = " /Width " + std::to_string(w) + " /Height " + std::to_string(h) + " /BitsPerComponent 8";
  const int image = FDocument.Reserve();
  std::string mask;
  if (transparent) {
    const int maskId = FDocument.Reserve();
    FDocument.Stream(maskId, " /Type /XObject /Subtype /Image /ColorSpace /DeviceGray" + size, alpha);
    mask = " /SMask " + std::to_string(maskId) + " 0 R";
  }
  // Pixels stay square blocks however far a viewer zooms in.
  FDocument.Stream(image, " /Type /XObject /Subtype /Image /ColorSpace /DeviceRGB /Interpolate false" + size + mask,
                   rgb);
  const std::string name = "I" + std::to_string(++FImageCount);
  FImages += " /" + name + ' ' + std::to_string(image) + " 0 R";
  // The unit square of image space, its first row at the top.
  FContent += "q " + std::to_string(w) + " 0 0 " + std::to_string(-h) + ' ' + std::to_string(Left) + ' ' +
              std::to_string(Top + h) + " cm /" + name + " Do Q\n";
}

std::string TPdfCanvas::PatternsResource(const TPdfPlacement& Placement) {
  std::string resource;
  for (const auto& [style, pattern] : FPatterns) {
    // The raster's 8 x 8 cell repeated from the image origin, its other
    // pixels left as they were.
    std::string cell;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        if ((pattern.second[y] >> x & 1) != 0) cell += std::to_string(x) + ' ' + std::to_string(y) + " 1 1 re\n";
    cell += "f\n";
    const int id = FDocument.Reserve();
    FDocument.Stream(id,
                     " /Type /Pattern /PatternType 1 /PaintType 2 /TilingType 1 /BBox [0 0 8 8] /XStep 8 /YStep 8"
                     " /Resources << >> /Matrix [" +
                         PlacementMatrix(Placement) + ']',
                     cell);
    resource += " /" + pattern.first + ' ' + std::to_string(id) + " 0 R";
  }
  return resource;
}

std::vector<uint8_t> TPdfCanvas::Document(const TPdfPlacement& Placement) {
  const std::string w = std::to_string(Width()), h = std::to_string(Height());
  std::string resources = "<< /ProcSet [/PDF /Text /ImageC /ImageB]";
  const auto add = [&](const char* Kind, const std::string& Entries) {
    if (!Entries.empty()) resources += std::string(" /") + Kind + " <<" + Entries + " >>";
  };
  add("Font", FFonts.Write(FDocument));
  const std::string patterns = PatternsResource(Placement);
  add("Pattern", patterns);
  if (!patterns.empty()) resources += " /ColorSpace << /Hatch [/Pattern /DeviceRGB] >>";
  add("XObject", FImages);
  add("ExtGState", FMasks);
  resources += " >>";

  // The drawing placed and cut before its parts, the state restored after.
  FlushContent(1);
  std::string contents = "[";
  const auto add_part = [&](const auto& Write) {
    const int id = FDocument.Reserve();
    Write(id);
    contents += std::to_string(id) + " 0 R ";
  };
  add_part([&](int Id) {
    FDocument.Stream(Id, "", "q " + PlacementMatrix(Placement) + " cm 0 0 " + w + ' ' + h + " re W n 1 g 0 0 " + w +
                                 ' ' + h + " re f\n");
  });
  for (auto& part : FContentParts) add_part([&](int Id) { FDocument.PackedStream(Id, "", part.get()); });
  add_part([&](int Id) { FDocument.Stream(Id, "", "Q\n"); });
  contents += ']';
  const int page = FDocument.Reserve(), pages = FDocument.Reserve(), catalog = FDocument.Reserve(),
            info = FDocument.Reserve();
  FDocument.Object(page, "<< /Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox [0 0 " +
                             Fine(Placement.PageWidth) + ' ' + Fine(Placement.PageHeight) + "] /Resources " +
                             resources + " /Contents " + contents + " >>");
  FDocument.Object(pages, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
  FDocument.Object(catalog, "<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>");
  FDocument.Object(info, "<< /Creator (Kresta) /Producer (Kresta) >>");
  return FDocument.Finish(catalog, info);
}
