// The Windows-1251 codec: guards against a wrong or shifted table entry, a
// byte that does not come back from a round trip, and characters the code
// page lacks slipping through unreported.
#include <gtest/gtest.h>

#include "canvas/CodePage.h"

namespace {

// Letters and signs written out from the published code page chart.
struct TKnownByte {
  unsigned char Byte;
  char16_t Char;
};
constexpr TKnownByte kChart[] = {
    {0x41, u'A'}, {0x7F, 0x007F}, {0x80, u'Ђ'}, {0x88, u'€'}, {0x8A, u'Љ'}, {0x96, u'–'}, {0x98, 0x0098},
    {0x99, u'™'}, {0xA0, 0x00A0}, {0xA5, u'Ґ'}, {0xA8, u'Ё'}, {0xAA, u'Є'}, {0xB2, u'І'}, {0xB3, u'і'},
    {0xB8, u'ё'}, {0xB9, u'№'},   {0xBF, u'ї'}, {0xC0, u'А'}, {0xDF, u'Я'}, {0xE0, u'а'}, {0xFF, u'я'},
};

}  // namespace

TEST(CodePage, BytesDecodeAsTheChartSays) {
  for (const TKnownByte& known : kChart) {
    EXPECT_EQ(Cp1251ToChar(known.Byte), known.Char) << "byte " << int(known.Byte);
  }
  EXPECT_EQ(Cp1251ToUtf16("\xCF\xF0\xE8\xE2\xE5\xF2"), u"Привет");
  EXPECT_EQ(Cp1251ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2, \xB9 5"), "Привет, № 5");
}

TEST(CodePage, EveryByteComesBackFromARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(char(b));
  const TCp1251Text viaUtf16 = Utf16ToCp1251(Cp1251ToUtf16(all));
  EXPECT_EQ(viaUtf16.Bytes, all);
  EXPECT_EQ(viaUtf16.Unencodable, std::vector<size_t>{});
  const TCp1251Text viaUtf8 = Utf8ToCp1251(Cp1251ToUtf8(all));
  EXPECT_EQ(viaUtf8.Bytes, all);
  EXPECT_EQ(viaUtf8.Unencodable, std::vector<size_t>{});
}

TEST(CodePage, CharactersTheCodePageLacksAreReportedByPosition) {
  // 'ä' (U+00E4) and the CJK sign have no byte; the emoji is a surrogate
  // pair, one character.
  const TCp1251Text text = Utf16ToCp1251(u"Ж\u00E4\u4E2D\U0001F600я");
  EXPECT_EQ(text.Bytes, "\xC6???\xFF");
  EXPECT_EQ(text.Unencodable, (std::vector<size_t>{1, 2, 3}));

  const TCp1251Text utf8 = Utf8ToCp1251("a\u00E4b");
  EXPECT_EQ(utf8.Bytes, "a?b");
  EXPECT_EQ(utf8.Unencodable, std::vector<size_t>{1});
}

TEST(CodePage, BrokenUnicodeIsReportedNotPassedOn) {
  // A lone surrogate in UTF-16.
  const std::u16string lone = {u'a', char16_t(0xD800), u'b'};
  const TCp1251Text fromUtf16 = Utf16ToCp1251(lone);
  EXPECT_EQ(fromUtf16.Bytes, "a?b");
  EXPECT_EQ(fromUtf16.Unencodable, std::vector<size_t>{1});

  // A stray continuation byte, a truncated sequence and an overlong form.
  const TCp1251Text fromUtf8 = Utf8ToCp1251("\x80x\xD0\xC0\x80");
  EXPECT_EQ(fromUtf8.Bytes, "?x???");
  EXPECT_EQ(fromUtf8.Unencodable, (std::vector<size_t>{0, 2, 3, 4}));
}
