#include "screen/text_utils.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/codepage.h"

namespace {

TEST(TextUtils, IsFilledWithAndCenterOffset) {
  EXPECT_EQ(IsFilledWith("     ", 32), -1);
  EXPECT_EQ(IsFilledWith("  x", 32), 0);
  EXPECT_EQ(IsFilledWith("x  ", 32), 0);
  EXPECT_EQ(IsFilledWith("", 65), -1);
  EXPECT_EQ(IsFilledWith("\xC4\xC4", 196), -1);  // codes above 127 compare as bytes

  EXPECT_EQ(CenterOffset(std::string(29, 'a'), 96), 33);
  EXPECT_EQ(CenterOffset(std::string(13, 'a'), 10), -1);  // truncated towards zero
  EXPECT_EQ(CenterOffset(std::string(14, 'a'), 10), -2);
  EXPECT_EQ(CenterOffset("", 7), 3);
}

TEST(TextUtils, ZeroPad) {
  const struct {
    double value;
    int width;
    const char* text;
  } cases[] = {
      {7, 2, "07"},
      {20240305, 8, "20240305"},
      {123, 2, "23"},
      {0, 4, "0000"},
      {-7, 3, "007"},
      {5, 0, ""},
      {2147483648.0, 12, "002147483648"},
      {1000000, 8, "01000000"},
      {1e20, 4, "0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(ZeroPad(c.value, c.width), c.text) << c.value;
}

TEST(TextUtils, ValueStackGivesBackTextsLastFirst) {
  ResetValueStack();
  PushValue("AB");
  PushValue("");
  PushValue(std::string("\x00\x01\xFF", 3));  // a number parked as its bytes
  EXPECT_EQ(PopValue(), std::string("\x00\x01\xFF", 3));
  EXPECT_EQ(PopValue(), "");
  EXPECT_EQ(PopValue(), "AB");
  EXPECT_EQ(PopValue(), "");           // empty stack
  PushValue(std::string(70000, 'x'));  // longer than a 16-bit length
  EXPECT_EQ(PopValue().size(), 70000u);
}

// The expected tables, written as the letters they show (code page 850).
std::map<int, int> PairsFromGlyphs(const std::string& utf8Pairs) {
  const std::string bytes = Utf8ToCp850(utf8Pairs);
  std::map<int, int> map;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    map[static_cast<unsigned char>(bytes[i])] = static_cast<unsigned char>(bytes[i + 1]);
  return map;
}

TEST(TextUtils, UpperTextOverEveryCodeWithBothTables) {
  std::map<int, int> upper =
      PairsFromGlyphs("üÜéÉâÂäÄàÀåÅçÇêÊëËèÈïÏîÎìÌæÆôÔöÖòÒûÛùÙáÁíÍóÓúÚñÑãÃðÐõÕýÝ");
  ASSERT_EQ(upper.size(), 28u);
  for (int c = 'a'; c <= 'z'; ++c) upper[c] = c - 32;

  std::map<int, int> fold;
  const std::pair<char, const char*> groups[] = {
      {'A', "âäàåÄÅæÆáªÁÂÀãÃ"}, {'C', "Çç"},       {'D', "ðÐ"},
      {'E', "éêëèÉÊËÈ€"},       {'I', "ïîìíÍÎÏÌ"}, {'N', "ñÑ"},
      {'O', "ôöòÖøØóºÓÔÒõÕ"},   {'S', "ß"},        {'T', "þÞ"},
      {'U', "üûùÜúÚÛÙ"},        {'Y', "ÿýÝ"},
  };
  for (const auto& [letter, glyphs] : groups)
    for (unsigned char code : Utf8ToCp850(glyphs)) fold[code] = letter;
  ASSERT_EQ(fold.size(), 65u);
  for (int c = 'A'; c <= 'Z'; ++c) fold[c] = c;
  for (int c = 'a'; c <= 'z'; ++c) fold[c] = c - 32;

  std::string all;
  for (int code = 0; code < 256; ++code) all += static_cast<char>(code);
  FoldAccents = 0;
  const std::string upperText = UpperText(all);
  FoldAccents = -1;
  const std::string foldText = UpperText(all);
  FoldAccents = 0;

  ASSERT_EQ(upperText.size(), 256u);
  ASSERT_EQ(foldText.size(), 256u);
  for (int code = 0; code < 256; ++code) {
    const bool translated = code >= 64 && code <= 237;
    const int wantUpper = translated && upper.count(code) ? upper[code] : code;
    const int wantFold = !translated ? code : fold.count(code) ? fold[code] : ' ';
    EXPECT_EQ(static_cast<unsigned char>(upperText[code]), wantUpper) << "code " << code;
    EXPECT_EQ(static_cast<unsigned char>(foldText[code]), wantFold) << "code " << code;
  }
}

TEST(TextUtils, UpperTextOfAPhrase) {
  const std::string phrase = Utf8ToCp850("Camió núm. 3 @ [x]");
  EXPECT_EQ(UpperText(phrase), Utf8ToCp850("CAMIÓ NÚM. 3 @ [X]"));
  FoldAccents = -1;
  EXPECT_EQ(UpperText(phrase), "CAMIO NUM. 3    X ");
  FoldAccents = 0;
}

}  // namespace
