#include "platform/codepage.h"

#include <gtest/gtest.h>

TEST(Codepage, EveryByteRoundTripsThroughUtf8ForTheScreen) {
  for (int b = 1; b < 256; ++b) {
    if (b == 20 || b == 21) continue;  // their glyphs are bytes 244 and 245
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp850(Cp850ToUtf8(byte, /*keepControls=*/false)), byte) << "byte " << b;
  }
}

TEST(Codepage, SuiteGlyphs) {
  EXPECT_EQ(Cp850ToUtf8("\xD5", false), "€");
  EXPECT_EQ(Cp850ToUtf8("\x10\x11\x1E\x1F", false), "►◄▲▼");
  EXPECT_EQ(Cp850ToUtf8("\x10", true), "\x10");
  EXPECT_EQ(Cp850ToUtf8("\x87\xA4\xC9", false), "çñ╔");
  EXPECT_EQ(Utf8ToCp850("Què és això? 5€"), "Qu\x8A \x82s aix\x95? 5\xD5");
}

TEST(Codepage, CharactersWithoutAByteAreDroppedAndBadUtf8KeptAsBytes) {
  EXPECT_EQ(Utf8ToCp850("a\xE4\xB8\xAD" "b"), "ab");  // a CJK ideograph
  EXPECT_EQ(Utf8ToCp850("a\x87" "b"), "a\x87" "b");      // a lone code page byte
  EXPECT_EQ(Utf8ToCp850("\xE2\x82"), "\xE2\x82");        // a cut sequence
}
