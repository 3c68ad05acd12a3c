#include "screen/message_box.h"

#include <gtest/gtest.h>

#include "screen/screen.h"
#include "screen/window_stack.h"
#include "startup/session.h"
#include "support/screen_grid.h"
#include "support/test_host.h"

namespace {

// The wrapped result cut into its lines (each the given number of bytes).
std::vector<std::string> Lines(const std::string& text, const std::vector<std::size_t>& sizes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t size : sizes) {
    lines.push_back(text.substr(at, size));
    at += size;
  }
  if (at < text.size()) lines.push_back("<rest>" + text.substr(at));
  return lines;
}

TEST(WrapText, BreaksAlignsAndIndents) {
  const struct {
    const char* text;
    int indent;
    int width;
    const char* align;
    std::vector<std::string> lines;
  } cases[] = {
      {"ALPHA BETA GAMMA", 0, 10, "L", {"ALPHA BETA", "GAMMA     "}},
      {"ALPHA BETA GAMMA", 0, 10, "e", {"ALPHA BETA", "GAMMA     "}},
      {"ALPHA BETA GAMMA", 0, 10, "R", {"ALPHA BETA", "     GAMMA"}},
      {"ALPHA BETA GAMMA", 0, 10, "d", {"ALPHA BETA", "     GAMMA"}},
      {"ALPHA BETA GAMMA", 0, 10, "C", {"ALPHA BETA", "  GAMMA   "}},
      {"ALPHA BETA GAMMA", 0, 12, "N", {"ALPHA BETA--", "GAMMA-------"}},
      {"ONE TWO THREE FOUR FIVE", 0, 12, "B", {"ONE      TWO", "THREE   FOUR", "FIVE"}},
      {"AB CD EF GH", 0, 7, "A", {"AB   CD", "EF GH"}},
      {"AB CD EF GH IJKLMNOP", 0, 14, "A", {"AB  CD  EF  GH", "IJKLMNOP"}},
      // The first extra space is looked for two past the line's start, so
      // a one-letter first word's gap is widened last.
      {"A B C D", 0, 6, "A", {"A B  C", "D"}},
      {"ABCDEFGHIJKLMNO", 0, 6, "L", {"ABCDEF", "GHIJKL", "MNO   "}},
      {"AAA BBB CCC DDD", 3, 8, "L", {"   AAA  ", "BBB CCC ", "DDD     "}},
      {"AAA BBB CCC DDD", -3, 8, "L", {"AAA BBB ", "   CCC  ", "   DDD  "}},
      {"AAA BBB CCC DDD", -3, 8, "B", {"AAA  BBB", "   CCC", "   DDD"}},
      {"AB CD", 0, 4, "x", {"AB", "CD"}},
      {"AB CD", 0, 4, "LL", {"AB", "CD"}},  // the align text is compared whole
      {"ONE   TWO", 0, 5, "L", {"ONE  ", "TWO  "}},
      {"", 0, 10, "L", {}},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    WrapText(text, c.indent, c.width, c.align);
    std::vector<std::size_t> sizes;
    for (const auto& line : c.lines) sizes.push_back(line.size());
    EXPECT_EQ(Lines(text, sizes), c.lines)
        << "«" << c.text << "» indent " << c.indent << " width " << c.width << " " << c.align;
  }
}

TEST(WrapText, ControlCharactersTravelWithTheirWordAndTakeNoRoom) {
  const struct {
    std::string text;
    int width;
    std::vector<std::string> lines;
  } cases[] = {
      {"HELLO\x10WORLD\x10 AGAIN", 8, {"HELLO   ", "\x10WORLD\x10   ", "AGAIN   "}},
      {"AB \x1E"
       "CD\x1E EF",
       6,
       {"AB \x1E"
        "CD\x1E ",
        "EF    "}},
      {"\x1F\x1FXY", 2, {"\x1F\x1FXY"}},
      {"ABCDE\x10", 5, {"ABCDE\x10"}},
      {"AB \x10", 3, {"AB ", "\x10   "}},  // no spaces kept before it
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    WrapText(text, 0, c.width, "L");
    std::vector<std::size_t> sizes;
    for (const auto& line : c.lines) sizes.push_back(line.size());
    EXPECT_EQ(Lines(text, sizes), c.lines) << c.text;
  }
}

TEST(WrapText, IndentAsWideAsTheLineStillEnds) {
  for (int indent : {5, -5, 9}) {
    std::string text = "ABC DEF";
    WrapText(text, indent, 5, "L");
    std::erase(text, ' ');
    EXPECT_EQ(text, "ABCDEF") << indent;
  }
  std::string text = "ABC";
  WrapText(text, 0, 0, "L");
  EXPECT_EQ(text, "ABC");
}

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScreenState();
    ResetWindowStack();
    session = Session{};
    session.workDir = dir_.suiteDir();
    session.colorPalette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
    screen_.SetAttribute(0x07);
    screen_.Clear();
    SetColor("+u");
    SetColor("n");
  }
  void TearDown() override {
    ResetScreenState();
    ResetWindowStack();
  }

  TempDir dir_;
  ScopedHost host_;
  Console& screen_ = host_.console;
};

TEST_F(MessageBoxTest, BoxIsCentredNearTheRowInReverseVideo) {
  std::string text = "El fitxer de dades no es pot obrir.";
  text += "!";  // 36 characters
  MessageBox(24, text);
  EXPECT_EQ(text.size(), 76u);

  EXPECT_EQ(TextGrid(screen_, 20, 20, 24, 61), (std::vector<std::string>{
                                                   std::string(42, ' '),
                                                   " ┌" + Repeat("─", 38) + "┐ ",
                                                   " │ El fitxer de dades no es pot obrir.! │ ",
                                                   " └" + Repeat("─", 38) + "┘ ",
                                                   std::string(42, ' '),
                                               }));
  const std::string inside(40, 'r');
  EXPECT_EQ(AttrGrid(screen_, 20, 20, 24, 61, {{0x07, '.'}, {0x70, 'r'}}),
            (std::vector<std::string>{std::string(42, '.'), "." + inside + ".", "." + inside + ".",
                                      "." + inside + ".", std::string(42, '.')}));
  EXPECT_EQ(CurrentWindow.depth, 1);
  EXPECT_EQ(CurrentWindow.top, 21);
  EXPECT_EQ(CurrentWindow.left, 21);
  EXPECT_EQ(CurrentWindow.bottom, 23);
  EXPECT_EQ(CurrentWindow.right, 60);
  // The caller's colour style and saved styles are as they were.
  EXPECT_EQ(currentColorStyle, 1);
  EXPECT_EQ(ColorStack, std::string(1, '\0'));

  CloseWindow();
  EXPECT_EQ(TextGrid(screen_, 21, 1, 23, 80), (std::vector<std::string>(3, std::string(80, ' '))));
}

TEST_F(MessageBoxTest, LongMessageWrapsAndKeepsToTheLastRow) {
  std::string text(100, 'x');
  text.replace(70, 1, " ");  // two lines: 70 and 29 characters
  MessageBox(25, text);
  // Two lines need four rows; near row 25 the box ends on the last row.
  EXPECT_EQ(CurrentWindow.top, 22);
  EXPECT_EQ(CurrentWindow.bottom, 25);
  EXPECT_EQ(CurrentWindow.left, 4);  // sized for the longer line
  EXPECT_EQ(CurrentWindow.right, 77);
  EXPECT_EQ(screen_.RowText(23).substr(5, 70), std::string(70, 'x'));
  EXPECT_EQ(screen_.RowText(24).substr(5, 30), std::string(29, 'x') + " ");
}

TEST_F(MessageBoxTest, MessageThatDoesNotFitIsRefusedAndItsCloseIsHarmless) {
  ASSERT_TRUE(OpenWindow(2, 2, 20, 70));  // the caller's own window
  DrawFrame(2);
  const std::vector<Cell> before = AllCells(screen_);
  const unsigned char attr = screen_.attribute();

  std::string tooLong;
  for (int i = 0; i < 30; ++i) tooLong += "Line " + std::to_string(i) + std::string(72, '.') + " ";
  for (std::string text : {std::string(), tooLong}) {
    MessageBox(10, text);
    EXPECT_EQ(AllCells(screen_), before);
    EXPECT_EQ(screen_.attribute(), attr);
    EXPECT_EQ(currentColorStyle, 1);
    EXPECT_EQ(ColorStack, std::string(1, '\0'));
    EXPECT_EQ(CurrentWindow.depth, 1);
    CloseWindow();  // what every caller does next
    EXPECT_EQ(AllCells(screen_), before);
    EXPECT_EQ(CurrentWindow.depth, 1);
  }
}

}  // namespace
