#include "canvas/CodePage.h"

#include <algorithm>
#include <array>

namespace {

// Code points of the bytes 0x80..0xFF; the lower half is ASCII.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

constexpr char kReplacement = '?';

// The byte of a code point, or -1 when the code page lacks it.
int EncodeChar(char32_t C) {
  if (C < 0x80) return int(C);
  const auto it = std::find(kUpperHalf.begin(), kUpperHalf.end(), C);
  return it == kUpperHalf.end() ? -1 : int(0x80 + (it - kUpperHalf.begin()));
}

void Append(TCp1251Text& Out, char32_t C, size_t Index) {
  const int byte = EncodeChar(C);
  if (byte < 0) Out.Unencodable.push_back(Index);
  Out.Bytes.push_back(byte < 0 ? kReplacement : char(byte));
}

void AppendUtf8(std::string& Out, char16_t C) {
  if (C < 0x80) {
    Out.push_back(char(C));
  } else if (C < 0x800) {
    Out.push_back(char(0xC0 | (C >> 6)));
    Out.push_back(char(0x80 | (C & 0x3F)));
  } else {
    Out.push_back(char(0xE0 | (C >> 12)));
    Out.push_back(char(0x80 | ((C >> 6) & 0x3F)));
    Out.push_back(char(0x80 | (C & 0x3F)));
  }
}

// Length of the well-formed UTF-8 sequence at Text[I] and its code point;
// 0 when the sequence is broken.
size_t DecodeUtf8(std::string_view Text, size_t I, char32_t& C) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(Text[k]); };
  const unsigned char lead = byte(I);
  size_t length = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    C = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, C = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, C = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, C = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (I + length > Text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(I + k) & 0xC0) != 0x80) return 0;
    C = (C << 6) | (byte(I + k) & 0x3F);
  }
  const bool surrogate = C >= 0xD800 && C <= 0xDFFF;
  return C < min || C > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

char16_t Cp1251ToChar(unsigned char Byte) { return Byte < 0x80 ? char16_t(Byte) : kUpperHalf[Byte - 0x80]; }

std::u16string Cp1251ToUtf16(std::string_view Bytes) {
  std::u16string out;
  out.reserve(Bytes.size());
  for (char b : Bytes) out.push_back(Cp1251ToChar(static_cast<unsigned char>(b)));
  return out;
}

std::string Cp1251ToUtf8(std::string_view Bytes) {
  std::string out;
  out.reserve(Bytes.size() * 2);
  for (char b : Bytes) AppendUtf8(out, Cp1251ToChar(static_cast<unsigned char>(b)));
  return out;
}

TCp1251Text Utf16ToCp1251(std::u16string_view Text) {
  TCp1251Text out;
  out.Bytes.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    const char16_t c = Text[i];
    const bool pair =
        c >= 0xD800 && c <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00 && Text[i + 1] <= 0xDFFF;
    // A surrogate pair is one character, and none the code page has.
    Append(out, pair ? char32_t(0x10000) : char32_t(c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c), i);
    if (pair) ++i;
  }
  return out;
}

TCp1251Text Utf8ToCp1251(std::string_view Text) {
  TCp1251Text out;
  out.Bytes.reserve(Text.size());
  for (size_t i = 0; i < Text.size();) {
    char32_t c = 0;
    const size_t length = DecodeUtf8(Text, i, c);
    Append(out, length == 0 ? char32_t(0xFFFD) : c, i);
    i += std::max<size_t>(length, 1);
  }
  return out;
}
