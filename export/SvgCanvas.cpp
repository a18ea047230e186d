#include "export/SvgCanvas.h"

#include <QBuffer>
#include <QFontInfo>
#include <algorithm>
#include <cstdio>

#include "canvas/CodePage.h"
#include "canvas/RasterText.h"
#include "figures/Exceptions.h"

namespace {

// 0x00BBGGRR as #rrggbb.
std::string Hex(uint32_t C) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", unsigned(C & 0xFF), unsigned(C >> 8 & 0xFF),
                unsigned(C >> 16 & 0xFF));
  return text;
}

// The pixels of an 8 x 8 hatch cell as path data, a rectangle per run of a
// row.
std::string CellPathData(const uint8_t* Cell) {
  std::string runs;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8;) {
      if ((Cell[y] >> x & 1) == 0) {
        ++x;
        continue;
      }
      int end = x;
      while (end < 8 && (Cell[y] >> end & 1) != 0) ++end;
      runs += "M" + std::to_string(x) + ' ' + std::to_string(y) + 'h' + std::to_string(end - x) + "v1h-" +
              std::to_string(end - x) + 'z';
      x = end;
    }
  }
  return runs;
}

std::string DashAttributes(const TVectorDash& Dash) {
  std::string s = " stroke-dasharray=\"";
  for (size_t i = 0; i < Dash.Runs.size(); ++i) {
    if (i > 0) s += ',';
    AppendNumber(s, Dash.Runs[i] * Dash.Scale);
  }
  return s + "\" stroke-dashoffset=\"" + Number(Dash.Offset) + '"';
}

// Text for XML character data and attribute values. Control characters
// other than the tab, which XML 1.0 cannot hold in any form, are left out.
std::string XmlEscaped(std::string_view Utf8) {
  std::string s;
  for (const char c : Utf8) {
    switch (c) {
      case '&': s += "&amp;"; break;
      case '<': s += "&lt;"; break;
      case '>': s += "&gt;"; break;
      case '"': s += "&quot;"; break;
      case '\'': s += "&apos;"; break;
      case '\t': s += "&#9;"; break;
      default:
        if (static_cast<unsigned char>(c) >= 0x20) s += c;
    }
  }
  return s;
}

// A family list an SVG renderer on this machine resolves to the face the
// raster uses: that face's family, the stored name, a generic family. Names
// that a list could not quote are left out.
std::string FontFamilies(const QFont& Font, const std::string& Name) {
  const QFontInfo info(Font);
  const std::string face = info.family().toStdString();
  const auto quotable = [](const std::string& Family) {
    return !Family.empty() && std::none_of(Family.begin(), Family.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x20 || std::string_view("'\"\\;,<>&").find(c) != std::string_view::npos;
    });
  };
  std::string list;
  if (quotable(face)) list += '\'' + face + "', ";
  if (Name != face && quotable(Name)) list += '\'' + Name + "', ";
  return list + (info.fixedPitch() ? "monospace" : "sans-serif");
}

std::string StrokeAttributes(uint32_t Color, int64_t Width) {
  std::string s = "fill=\"none\" stroke=\"" + Hex(Color) + "\" stroke-width=\"" + std::to_string(Width) + '"';
  // Wide classic pens have round ends and joins; one-pixel lines end at the
  // pixel edges given by their path.
  if (Width > 1) s += " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
  return s;
}

}  // namespace

std::string TSvgCanvas::Document() const {
  const std::string w = std::to_string(Width()), h = std::to_string(Height());
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" "
         "width=\"" +
         w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + ' ' + h +
         "\">\n"
         "<rect width=\"" +
         w + "\" height=\"" + h + "\" fill=\"#ffffff\"/>\n" + FBody + "</svg>\n";
}

void TSvgCanvas::Append(const std::string& Element) {
  FBody += Element;
  FBody += '\n';
}

const std::string& TSvgCanvas::CellPaths(const TVectorFill& Fill) {
  std::string& paths = FCellPaths[Fill.Style];
  if (paths.empty()) paths = CellPathData(Fill.Cell);
  return paths;
}

std::string TSvgCanvas::FillAttribute(const TVectorFill& Fill) {
  if (Fill.Cell == nullptr) return "fill=\"" + Hex(Fill.Color) + '"';
  const auto [hatch, added] = FHatches.try_emplace({Fill.Style, Fill.Color}, "hatch" + std::to_string(FHatches.size() + 1));
  if (added) {
    // The raster's 8 x 8 cell repeated from the image origin, its other
    // pixels transparent as the raster canvas leaves them.
    Append("<defs><pattern id=\"" + hatch->second +
           "\" patternUnits=\"userSpaceOnUse\" x=\"0\" y=\"0\" width=\"8\" height=\"8\"><path d=\"" +
           CellPaths(Fill) + "\" fill=\"" + Hex(Fill.Color) + "\"/></pattern></defs>");
  }
  return "fill=\"url(#" + hatch->second + ")\"";
}

void TSvgCanvas::PutBox(double Left, double Top, double Right, double Bottom, const TVectorFill& Fill) {
  Append("<rect x=\"" + Number(Left) + "\" y=\"" + Number(Top) + "\" width=\"" + Number(Right - Left) +
         "\" height=\"" + Number(Bottom - Top) + "\" " + FillAttribute(Fill) + "/>");
}

void TSvgCanvas::PutFill(const TVectorPath& D, bool EvenOdd, const TVectorFill& Fill, const TVectorPath* Band,
                         int64_t BandWidth) {
  std::string mask;
  if (Band != nullptr) {
    const std::string id = "band" + std::to_string(++FMasks);
    const std::string w = std::to_string(Width()), h = std::to_string(Height());
    Append("<defs><mask id=\"" + id + "\" maskUnits=\"userSpaceOnUse\" x=\"0\" y=\"0\" width=\"" + w +
           "\" height=\"" + h + "\"><rect width=\"" + w + "\" height=\"" + h + "\" fill=\"#ffffff\"/><path d=\"" +
           Band->SvgData() + "\" " + StrokeAttributes(0, BandWidth) + "/></mask></defs>");
    mask = " mask=\"url(#" + id + ")\"";
  }
  Append("<path d=\"" + D.SvgData() + "\"" + (EvenOdd ? " fill-rule=\"evenodd\" " : " ") + FillAttribute(Fill) + mask +
         "/>");
}

void TSvgCanvas::PutStroke(const TVectorPath& D, uint32_t Color, int64_t Width, const TVectorDash* Dash) {
  Append("<path d=\"" + D.SvgData() + "\" " + StrokeAttributes(Color, Width) +
         (Dash != nullptr ? DashAttributes(*Dash) : std::string()) + "/>");
}

void TSvgCanvas::PutText(const TVectorText& Text) {
  // The advance the raster measured is kept whatever the renderer's own
  // layout.
  const TFontEntry& font = *Text.Font;
  const TFontStyles style = font.Key.Style;
  std::string decoration;
  if ((style & fsUnderline) != 0) decoration += "underline";
  if ((style & fsStrikeOut) != 0) decoration += decoration.empty() ? "line-through" : " line-through";
  std::string element = "<text x=\"" + std::to_string(Text.X) + "\" y=\"" + std::to_string(Text.Baseline) +
                        "\" font-family=\"" + XmlEscaped(FontFamilies(font.Font, Cp1251ToUtf8(font.Key.Name))) +
                        "\" font-size=\"" + std::to_string(font.Font.pixelSize()) + '"';
  if ((style & fsBold) != 0) element += " font-weight=\"bold\"";
  if ((style & fsItalic) != 0) element += " font-style=\"italic\"";
  if (!decoration.empty()) element += " text-decoration=\"" + decoration + '"';
  if (Text.Width > 0) element += " textLength=\"" + std::to_string(Text.Width) + "\" lengthAdjust=\"spacing\"";
  Append(element + " fill=\"" + Hex(Text.Color) + "\" xml:space=\"preserve\">" + XmlEscaped(Cp1251ToUtf8(Text.Text)) +
         "</text>");
}

void TSvgCanvas::PutImage(int64_t Left, int64_t Top, const QImage& Picture) {
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !Picture.save(&buffer, "PNG")) throw EOutOfMemory();
  // A viewer that zooms in keeps the pixels square, as the raster shows them.
  Append("<image x=\"" + std::to_string(Left) + "\" y=\"" + std::to_string(Top) + "\" width=\"" +
         std::to_string(Picture.width()) + "\" height=\"" + std::to_string(Picture.height()) +
         "\" preserveAspectRatio=\"none\" image-rendering=\"optimizeSpeed\" "
         "style=\"image-rendering:optimizeSpeed;image-rendering:pixelated\" xlink:href=\"data:image/png;base64," +
         png.toBase64().toStdString() + "\"/>");
}
