// The faces a PDF's texts use, embedded as Type 0 fonts addressed by glyph
// number (Identity-H). A TrueType face's program is cut down to the glyphs
// drawn, keeping their numbers; a CFF face is embedded whole as OpenType. A
// ToUnicode map gives readers the characters back.
#pragma once

#include <QRawFont>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TPdfDocument;

class TPdfFonts {
 public:
  // Whether Face carries a program a PDF can embed.
  static bool CanEmbed(const QRawFont& Face);

  // The resource name ("F1", ...) of Face, which must be embeddable; notes
  // the glyphs it draws and, for those the face maps a character to, that
  // character.
  std::string Use(const QRawFont& Face, const std::vector<quint32>& Glyphs, const QString& Text);
  // Glyph's advance in thousandths of the font size, as the PDF declares it.
  double Advance(const QRawFont& Face, quint32 Glyph);
  // Writes every face used; returns the entries of the /Font resource
  // dictionary.
  std::string Write(TPdfDocument& Document) const;

 private:
  struct TFace {
    QRawFont Font;
    std::string Resource;
    std::map<quint32, char16_t> Glyphs;  // glyph used -> its character, or 0
    std::vector<double> Advances;        // by glyph, thousandths of an em
  };
  TFace& FaceOf(const QRawFont& Face);
  void WriteFace(TPdfDocument& Document, const TFace& Face, int FontId) const;

  std::map<std::string, TFace> FFaces;  // by family and style
};
