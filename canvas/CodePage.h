// Windows-1251, the code page of the stored texts, font names and captions,
// to and from Unicode. Free of any toolkit: the canvas, the kri tool and the
// user interface share it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Every byte decodes; 0x98, unassigned in the code page, decodes to U+0098
// so that decoding and encoding again gives the same bytes.
char16_t Cp1251ToChar(unsigned char Byte);
std::u16string Cp1251ToUtf16(std::string_view Bytes);
std::string Cp1251ToUtf8(std::string_view Bytes);

// Bytes of an encoded text. A character the code page lacks (or a broken
// UTF-16 or UTF-8 sequence) becomes '?' and its index in the input (code
// unit, or byte for UTF-8) is listed in Unencodable.
struct TCp1251Text {
  std::string Bytes;
  std::vector<size_t> Unencodable;
};

TCp1251Text Utf16ToCp1251(std::u16string_view Text);
TCp1251Text Utf8ToCp1251(std::string_view Text);
