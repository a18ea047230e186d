// Text from outside (a file name, a class name, a key or a string of a JSON
// text) as it appears inside an error message: one readable line of bounded
// length whatever the text holds, so that a message never grows with its
// input and never ends at an embedded NUL.
//
// The text is taken as UTF-8. Shown as they are: printable ASCII and every
// valid UTF-8 character except those below. Escaped: NUL as \0, TAB, LF and
// CR as \t, \n, \r, the backslash and the double quote as \\ and \"; the
// other C0 controls, DEL and every byte that is not part of a valid UTF-8
// sequence as \xHH (the byte); the C1 controls U+0080..U+009F, the line and
// paragraph separators and the bidirectional formatting characters (they
// reorder what a terminal shows) as \uHHHH. Hex digits are upper case.
//
// A shown text longer than MaxQuotedChars characters (an escape counts as
// the characters it shows) keeps its first 31 and last 32 characters around
// an ellipsis "…", so the end of a long path, the file's own name, stays in
// view; an escape is never split.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr size_t MaxQuotedChars = 64;

namespace message_text {

inline constexpr size_t HeadChars = 31;
inline constexpr size_t TailChars = MaxQuotedChars - HeadChars - 1;  // one for the ellipsis
inline constexpr std::string_view Ellipsis = "\xE2\x80\xA6";         // U+2026

// One character of the text as it is shown.
struct TShownChar {
  size_t Bytes = 1;    // of the text
  std::string Escape;  // empty: shown as it is
  size_t Width() const { return Escape.empty() ? 1 : Escape.size(); }
};

// Characters beyond ASCII that change what a line shows rather than show.
inline bool IsLayoutControl(char32_t C) {
  return (C >= 0x80 && C <= 0x9F) || C == 0x061C || C == 0x200E || C == 0x200F || C == 0x2028 || C == 0x2029 ||
         (C >= 0x202A && C <= 0x202E) || (C >= 0x2066 && C <= 0x2069);
}

inline std::string HexEscape(char Kind, uint32_t Value, int Digits) {
  std::string escape{'\\', Kind};
  for (int i = Digits - 1; i >= 0; --i) escape += "0123456789ABCDEF"[(Value >> (4 * i)) & 0xF];
  return escape;
}

// The length of the valid UTF-8 sequence at the start of Text and its code
// point; 0 when the first byte starts none (overlong forms, surrogates and
// values past U+10FFFF are not valid).
inline size_t DecodeUtf8(std::string_view Text, char32_t& Code) {
  const auto byte = [&Text](size_t i) { return i < Text.size() ? uint8_t(Text[i]) : uint8_t(0); };
  const auto continuation = [&byte](size_t i) { return (byte(i) & 0xC0) == 0x80; };
  const uint8_t b0 = byte(0), b1 = byte(1);
  if (b0 < 0x80) {
    Code = b0;
    return 1;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF && continuation(1)) {
    Code = char32_t(b0 & 0x1F) << 6 | (b1 & 0x3F);
    return 2;
  }
  if (b0 >= 0xE0 && b0 <= 0xEF && continuation(1) && continuation(2) && !(b0 == 0xE0 && b1 < 0xA0) &&
      !(b0 == 0xED && b1 > 0x9F)) {
    Code = char32_t(b0 & 0x0F) << 12 | char32_t(b1 & 0x3F) << 6 | (byte(2) & 0x3F);
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4 && continuation(1) && continuation(2) && continuation(3) &&
      !(b0 == 0xF0 && b1 < 0x90) && !(b0 == 0xF4 && b1 > 0x8F)) {
    Code = char32_t(b0 & 0x07) << 18 | char32_t(b1 & 0x3F) << 12 | char32_t(byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
    return 4;
  }
  return 0;
}

inline TShownChar ShownCharAt(std::string_view Text) {
  TShownChar shown;
  char32_t code = 0;
  const size_t length = DecodeUtf8(Text, code);
  if (length == 0) {
    shown.Escape = HexEscape('x', uint8_t(Text[0]), 2);
    return shown;
  }
  shown.Bytes = length;
  switch (code) {
    case 0: shown.Escape = "\\0"; break;
    case '\t': shown.Escape = "\\t"; break;
    case '\n': shown.Escape = "\\n"; break;
    case '\r': shown.Escape = "\\r"; break;
    case '\\': shown.Escape = "\\\\"; break;
    case '"': shown.Escape = "\\\""; break;
    default:
      if (code < 0x20 || code == 0x7F)
        shown.Escape = HexEscape('x', uint32_t(code), 2);
      else if (IsLayoutControl(code))
        shown.Escape = HexEscape('u', uint32_t(code), 4);
  }
  return shown;
}

}  // namespace message_text

// Text as a message shows it (see above), without quotes: for keys and
// other names a message places in a path ("figure 2: <key>: ...").
inline std::string ShortenForMessage(std::string_view Text) {
  using namespace message_text;
  size_t total = 0;
  for (size_t at = 0; at < Text.size();) {
    const TShownChar c = ShownCharAt(Text.substr(at));
    total += c.Width();
    at += c.Bytes;
  }
  std::string shown;
  size_t before = 0;  // the width of the characters before this one
  bool elided = false;
  for (size_t at = 0; at < Text.size();) {
    const TShownChar c = ShownCharAt(Text.substr(at));
    if (total <= MaxQuotedChars || before + c.Width() <= HeadChars || total - before <= TailChars) {
      shown += c.Escape.empty() ? Text.substr(at, c.Bytes) : std::string_view(c.Escape);
    } else if (!elided) {
      shown += Ellipsis;
      elided = true;
    }
    before += c.Width();
    at += c.Bytes;
  }
  return shown;
}

// The same between double quotes, as in: Cannot open file "<name>".
inline std::string QuoteForMessage(std::string_view Text) { return '"' + ShortenForMessage(Text) + '"'; }
