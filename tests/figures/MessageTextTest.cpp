// Outside text quoted in messages. Guards against control characters,
// terminal commands or bytes that are not UTF-8 reaching a message raw, a
// long text kept whole, and an ellipsis that splits a character or escape.
#include <gtest/gtest.h>

#include <string>

#include "figures/MessageText.h"

using namespace std::string_literals;

TEST(MessageText, ControlsAndBrokenUtf8AreEscaped) {
  EXPECT_EQ(QuoteForMessage("a\0b\tc\nd\re\\f\"g\x1B\x7F"s), R"("a\0b\tc\nd\re\\f\"g\x1B\x7F")");
  // Cyrillic and a character beyond the basic plane stay; the C1 control
  // that starts a terminal command, the line separator and a right-to-left
  // override do not.
  EXPECT_EQ(ShortenForMessage("План \xF0\x9F\x98\x80\xC2\x9B\xE2\x80\xA8\xE2\x80\xAE"),
            "План \xF0\x9F\x98\x80\\u009B\\u2028\\u202E");
  // A stray continuation byte, Windows-1251 text, an overlong slash, a
  // surrogate, a code point past U+10FFFF, a sequence cut short at the end.
  EXPECT_EQ(ShortenForMessage("\x80|\xCF\xF0|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x80"),
            R"(\x80|\xCF\xF0|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x80)");
}

TEST(MessageText, LongTextKeepsItsEndsAroundAnEllipsis) {
  const std::string digits = "0123456789012345678901234567890123456789012345678901234567890123";  // 64
  EXPECT_EQ(ShortenForMessage(digits), digits);
  // Characters are counted, not bytes; an escape counts as the characters
  // it shows and goes whole: 30 letters and "\x1B" do not fit in 31.
  EXPECT_EQ(ShortenForMessage("Ж" + digits), "Ж" + digits.substr(0, 30) + "…" + digits.substr(32));
  EXPECT_EQ(ShortenForMessage(std::string(30, 'a') + "\x1B" + std::string(40, 'b') + "\n" + std::string(29, 'c')),
            std::string(30, 'a') + "…" + "b\\n" + std::string(29, 'c'));
}
