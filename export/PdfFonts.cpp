#include "export/PdfFonts.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "export/PdfDocument.h"

namespace {

using TTables = std::map<std::string, QByteArray>;

uint16_t U16(const QByteArray& Table, qsizetype At) {
  if (At < 0 || At + 2 > Table.size()) return 0;
  return uint16_t(uint8_t(Table[At]) << 8 | uint8_t(Table[At + 1]));
}
int16_t S16(const QByteArray& Table, qsizetype At) { return int16_t(U16(Table, At)); }
uint32_t U32(const QByteArray& Table, qsizetype At) {
  return uint32_t(U16(Table, At)) << 16 | U16(Table, At + 2);
}
void PutU16(QByteArray& Out, uint16_t V) {
  Out += char(V >> 8);
  Out += char(V & 0xFF);
}
void PutU32(QByteArray& Out, uint32_t V) {
  PutU16(Out, uint16_t(V >> 16));
  PutU16(Out, uint16_t(V & 0xFFFF));
}

// The tables a PDF reader needs of a TrueType program to draw its glyphs
// by number, and those of an OpenType one with CFF outlines.
constexpr const char* kTrueTypeTables[] = {"cvt ", "fpgm", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "prep"};
constexpr const char* kCffTables[] = {"CFF ", "OS/2", "cmap", "head", "hhea", "hmtx", "maxp", "name", "post"};

TTables TablesOf(const QRawFont& Face, bool TrueType) {
  TTables tables;
  const auto take = [&](const char* Tag) {
    const QByteArray table = Face.fontTable(Tag);
    if (!table.isEmpty()) tables[Tag] = table;
  };
  if (TrueType) {
    for (const char* tag : kTrueTypeTables) take(tag);
  } else {
    for (const char* tag : kCffTables) take(tag);
  }
  return tables;
}

// Where each glyph's outline lies in 'glyf', from 'loca'; empty when the
// tables do not agree.
std::vector<uint32_t> GlyphOffsets(const TTables& Tables) {
  const QByteArray& loca = Tables.at("loca");
  const bool longOffsets = S16(Tables.at("head"), 50) != 0;
  const qsizetype count = U16(Tables.at("maxp"), 4) + qsizetype(1);
  if (loca.size() < count * (longOffsets ? 4 : 2)) return {};
  std::vector<uint32_t> offsets(static_cast<size_t>(count));
  for (qsizetype i = 0; i < count; ++i) offsets[size_t(i)] = longOffsets ? U32(loca, i * 4) : U16(loca, i * 2) * 2u;
  const uint32_t size = uint32_t(Tables.at("glyf").size());
  for (size_t i = 1; i < offsets.size(); ++i)
    if (offsets[i] < offsets[i - 1] || offsets[i] > size) return {};
  return offsets;
}

// Adds to Kept the glyphs a composite glyph is made of, recursively.
void AddComponents(const QByteArray& Glyf, const std::vector<uint32_t>& Offsets, uint32_t Glyph,
                   std::set<uint32_t>& Kept) {
  constexpr uint16_t kWords = 0x1, kScale = 0x8, kMore = 0x20, kXYScale = 0x40, kTwoByTwo = 0x80;
  const qsizetype start = Offsets[Glyph], end = Offsets[Glyph + 1];
  if (end - start < 10 || S16(Glyf, start) >= 0) return;
  qsizetype at = start + 10;
  uint16_t flags = kMore;
  while ((flags & kMore) != 0 && at + 4 <= end) {
    flags = U16(Glyf, at);
    const uint32_t component = U16(Glyf, at + 2);
    at += 4 + ((flags & kWords) != 0 ? 4 : 2);
    at += (flags & kScale) != 0 ? 2 : (flags & kXYScale) != 0 ? 4 : (flags & kTwoByTwo) != 0 ? 8 : 0;
    if (component + 1 < Offsets.size() && Kept.insert(component).second) AddComponents(Glyf, Offsets, component, Kept);
  }
}

// 'glyf' and 'loca' (long offsets) holding only the outlines of Used and
// what they are made of, every glyph keeping its number; false when the
// tables cannot be read, which leaves them whole.
bool CutDown(TTables& Tables, const std::map<quint32, char16_t>& Used) {
  const std::vector<uint32_t> offsets = GlyphOffsets(Tables);
  if (offsets.empty()) return false;
  const QByteArray& glyf = Tables.at("glyf");
  std::set<uint32_t> kept{0};
  for (const auto& [glyph, character] : Used) {
    if (glyph + 1 >= offsets.size()) continue;
    kept.insert(glyph);
    AddComponents(glyf, offsets, glyph, kept);
  }
  QByteArray outlines, loca;
  for (size_t glyph = 0; glyph + 1 < offsets.size(); ++glyph) {
    PutU32(loca, uint32_t(outlines.size()));
    if (kept.count(uint32_t(glyph)) == 0) continue;
    outlines += glyf.mid(offsets[glyph], offsets[glyph + 1] - offsets[glyph]);
    while (outlines.size() % 4 != 0) outlines += '\0';
  }
  PutU32(loca, uint32_t(outlines.size()));
  QByteArray& head = Tables.at("head");
  if (head.size() < 54) return false;
  head[50] = 0;
  head[51] = 1;
  Tables["glyf"] = outlines;
  Tables["loca"] = loca;
  return true;
}

uint32_t TableChecksum(QByteArray Table) {
  while (Table.size() % 4 != 0) Table += '\0';
  uint32_t sum = 0;
  for (qsizetype i = 0; i < Table.size(); i += 4) sum += U32(Table, i);
  return sum;
}

// The tables as one sfnt file, in tag order, each on a four-byte boundary.
QByteArray Sfnt(const TTables& Tables, bool TrueType) {
  QByteArray out;
  PutU32(out, TrueType ? 0x00010000u : 0x4F54544Fu);  // 'OTTO' for CFF outlines
  const auto count = uint16_t(Tables.size());
  uint16_t selector = 0;
  while ((2u << selector) <= count) ++selector;
  PutU16(out, count);
  PutU16(out, uint16_t(16u << selector));
  PutU16(out, selector);
  PutU16(out, uint16_t(count * 16 - (16u << selector)));
  uint32_t offset = 12 + 16 * uint32_t(count);
  QByteArray data;
  for (const auto& [tag, table] : Tables) {
    out += QByteArray(tag.data(), 4);
    PutU32(out, TableChecksum(table));
    PutU32(out, offset + uint32_t(data.size()));
    PutU32(out, uint32_t(table.size()));
    data += table;
    while (data.size() % 4 != 0) data += '\0';
  }
  return out + data;
}

// A PDF name made of the face's family and style, letters and digits only.
std::string PostScriptName(const QRawFont& Face) {
  std::string name;
  const auto add = [&](const QString& Part) {
    for (const QChar c : Part)
      if (c.unicode() < 128 && c.isLetterOrNumber()) name += char(c.unicode());
  };
  add(Face.familyName());
  const QString style = Face.styleName();
  if (!style.isEmpty()) {
    name += '-';
    add(style);
  }
  return name.empty() ? "Face" : name;
}

// Six capitals naming a subset, the same for the same glyphs.
std::string SubsetTag(const std::map<quint32, char16_t>& Glyphs, const std::string& Resource) {
  uint64_t hash = 1469598103934665603ull;
  const auto mix = [&](uint64_t V) { hash = (hash ^ V) * 1099511628211ull; };
  for (const char c : Resource) mix(uint8_t(c));
  for (const auto& [glyph, character] : Glyphs) mix(glyph);
  std::string tag;
  for (int i = 0; i < 6; ++i, hash /= 26) tag += char('A' + hash % 26);
  return tag + '+';
}

std::string ToUnicodeMap(const std::map<quint32, char16_t>& Glyphs) {
  std::vector<std::pair<quint32, char16_t>> mapped;
  for (const auto& entry : Glyphs)
    if (entry.second != 0) mapped.push_back(entry);
  std::string cmap =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  // A block holds at most a hundred entries.
  for (size_t i = 0; i < mapped.size(); i += 100) {
    const size_t end = std::min(mapped.size(), i + 100);
    cmap += std::to_string(end - i) + " beginbfchar\n";
    for (size_t k = i; k < end; ++k) cmap += '<' + PdfHexCode(mapped[k].first) + "> <" + PdfHexCode(mapped[k].second) + ">\n";
    cmap += "endbfchar\n";
  }
  return cmap + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

std::string Thousandths(double V) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", V);
  return text;
}

}  // namespace

bool TPdfFonts::CanEmbed(const QRawFont& Face) {
  const bool outlines = !Face.fontTable("glyf").isEmpty() || !Face.fontTable("CFF ").isEmpty();
  return outlines && U16(Face.fontTable("head"), 18) != 0 && U16(Face.fontTable("hhea"), 34) != 0 &&
         !Face.fontTable("hmtx").isEmpty();
}

TPdfFonts::TFace& TPdfFonts::FaceOf(const QRawFont& Face) {
  const std::string key = (Face.familyName() + '\n' + Face.styleName()).toStdString();
  const auto [entry, added] = FFaces.try_emplace(key);
  TFace& face = entry->second;
  if (added) {
    face.Font = Face;
    face.Resource = "F" + std::to_string(FFaces.size());
    const QByteArray hhea = Face.fontTable("hhea"), hmtx = Face.fontTable("hmtx");
    const double unitsPerEm = U16(Face.fontTable("head"), 18);
    const size_t metrics = U16(hhea, 34), glyphs = std::max<size_t>(U16(Face.fontTable("maxp"), 4), metrics);
    // Glyphs past the last metric share its advance.
    // Whole thousandths, as the widths are written.
    for (size_t g = 0; g < glyphs && metrics > 0; ++g)
      face.Advances.push_back(std::round(U16(hmtx, qsizetype(std::min(g, metrics - 1)) * 4) * 1000 / unitsPerEm));
  }
  return face;
}

std::string TPdfFonts::Use(const QRawFont& Face, const std::vector<quint32>& Glyphs, const QString& Text) {
  TFace& face = FaceOf(Face);
  for (const quint32 glyph : Glyphs) face.Glyphs.try_emplace(glyph, 0);
  // The characters this face maps straight to a glyph; glyphs made of
  // several characters are left to the text's replacement.
  const QList<quint32> mapped = Face.glyphIndexesForString(Text);
  for (qsizetype i = 0; i < mapped.size() && i < Text.size(); ++i) {
    const auto used = face.Glyphs.find(mapped[i]);
    if (used != face.Glyphs.end() && used->second == 0) used->second = Text[i].unicode();
  }
  return face.Resource;
}

double TPdfFonts::Advance(const QRawFont& Face, quint32 Glyph) {
  const TFace& face = FaceOf(Face);
  return Glyph < face.Advances.size() ? face.Advances[Glyph] : 0;
}

std::string TPdfFonts::Write(TPdfDocument& Document) const {
  std::string resources;
  for (const auto& [key, face] : FFaces) {
    const int id = Document.Reserve();
    WriteFace(Document, face, id);
    resources += " /" + face.Resource + ' ' + std::to_string(id) + " 0 R";
  }
  return resources;
}

void TPdfFonts::WriteFace(TPdfDocument& Document, const TFace& Face, int FontId) const {
  const bool trueType = !Face.Font.fontTable("glyf").isEmpty();
  TTables tables = TablesOf(Face.Font, trueType);
  const bool subset = trueType && CutDown(tables, Face.Glyphs);
  const QByteArray program = Sfnt(tables, trueType);
  const std::string name = (subset ? SubsetTag(Face.Glyphs, Face.Resource) : std::string()) + PostScriptName(Face.Font);

  const QByteArray& head = tables.at("head");
  const QByteArray& hhea = tables.at("hhea");
  const double scale = 1000.0 / U16(head, 18);
  const auto scaled = [&](int16_t V) { return Thousandths(V * scale); };

  const int programId = Document.Reserve(), descriptorId = Document.Reserve(), cidId = Document.Reserve(),
            unicodeId = Document.Reserve();
  Document.Stream(programId,
                  trueType ? " /Length1 " + std::to_string(program.size()) : std::string(" /Subtype /OpenType"),
                  {program.constData(), size_t(program.size())});
  const std::string ascent = scaled(S16(hhea, 4));
  Document.Object(descriptorId, "<< /Type /FontDescriptor /FontName /" + name + " /Flags 4 /FontBBox [" +
                                    scaled(S16(head, 36)) + ' ' + scaled(S16(head, 38)) + ' ' + scaled(S16(head, 40)) +
                                    ' ' + scaled(S16(head, 42)) + "] /ItalicAngle " +
                                    (Face.Font.style() == QFont::StyleNormal ? "0" : "-12") + " /Ascent " + ascent +
                                    " /Descent " + scaled(S16(hhea, 6)) + " /CapHeight " + ascent + " /StemV 80 " +
                                    (trueType ? "/FontFile2 " : "/FontFile3 ") + std::to_string(programId) + " 0 R >>");
  std::string widths;
  for (const auto& [glyph, character] : Face.Glyphs)
    if (glyph < Face.Advances.size()) widths += std::to_string(glyph) + " [" + Thousandths(Face.Advances[glyph]) + "] ";
  Document.Object(cidId, "<< /Type /Font /Subtype " + std::string(trueType ? "/CIDFontType2" : "/CIDFontType0") +
                             " /BaseFont /" + name +
                             " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
                             " /FontDescriptor " +
                             std::to_string(descriptorId) + " 0 R /DW 0 /W [" + widths + "]" +
                             (trueType ? " /CIDToGIDMap /Identity" : "") + " >>");
  const std::string cmap = ToUnicodeMap(Face.Glyphs);
  Document.Stream(unicodeId, "", cmap);
  Document.Object(FontId, "<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
                              " /Encoding /Identity-H /DescendantFonts [" + std::to_string(cidId) +
                              " 0 R] /ToUnicode " + std::to_string(unicodeId) + " 0 R >>");
}
