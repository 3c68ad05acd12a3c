#include "screen/screen.h"

#include <gtest/gtest.h>

#include "startup/session.h"
#include "support/screen_grid.h"
#include "support/test_host.h"

namespace {

// A palette whose five styles all differ, so that every choice shows.
constexpr std::array<ColorPair, 5> kDistinctPalette{{{15, 1}, {7, 2}, {0, 3}, {1, 4}, {2, 5}}};
constexpr unsigned char kStyleAttr[5] = {0x1F, 0x27, 0x30, 0x41, 0x52};

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScreenState();
    session = Session{};
    session.colorPalette = kDistinctPalette;
  }
  void TearDown() override { ResetScreenState(); }

  ScopedHost host_;
  Console& screen_ = host_.console;
};

TEST_F(ScreenTest, SetColorChoosesTheStyleByLetters) {
  const struct {
    const char* spec;
    int style;
  } cases[] = {
      {"h", 0},   {"n", 1},  {"r", 2},   {"u", 4},  {"RN", 3},  {"rn", 3},
      {"URN", 4}, {"rh", 2}, {"xyz", 0}, {"Nu", 4}, {" n ", 1},
  };
  for (const auto& c : cases) {
    currentColorStyle = 2;
    SetColor(c.spec);
    EXPECT_EQ(currentColorStyle, c.style) << c.spec;
    EXPECT_EQ(screen_.attribute(), kStyleAttr[c.style]) << c.spec;
    EXPECT_EQ(ColorStack, "") << c.spec;
  }
}

TEST_F(ScreenTest, BlankSpecChangesNothing) {
  SetColor("n");
  screen_.SetAttribute(0x4E);
  for (const char* spec : {"", "   "}) {
    SetColor(spec);
    EXPECT_EQ(currentColorStyle, 1);
    EXPECT_EQ(screen_.attribute(), 0x4E);
    EXPECT_EQ(ColorStack, "");
  }
}

TEST_F(ScreenTest, ColorStackSavesAndRestoresStyles) {
  SetColor("n");
  SetColor("+r");
  EXPECT_EQ(ColorStack, std::string(1, '\1'));
  SetColor("+u");
  EXPECT_EQ(ColorStack, std::string("\1\2", 2));
  SetColor("-");
  EXPECT_EQ(currentColorStyle, 2);
  SetColor("-");
  EXPECT_EQ(currentColorStyle, 1);
  EXPECT_EQ(screen_.attribute(), kStyleAttr[1]);
  EXPECT_EQ(ColorStack, "");

  SetColor("+-");  // save and restore at once
  EXPECT_EQ(currentColorStyle, 1);
  EXPECT_EQ(ColorStack, "");

  SetColor("-");  // nothing saved: style 0
  EXPECT_EQ(currentColorStyle, 0);
  EXPECT_EQ(screen_.attribute(), kStyleAttr[0]);
}

TEST_F(ScreenTest, PaletteEntryOf16OrMoreKeepsThatComponent) {
  session.colorPalette[1] = {16, 2};
  session.colorPalette[2] = {4, 99};
  screen_.SetAttribute(0x5C);
  SetColor("n");
  EXPECT_EQ(screen_.attribute(), 0x2C);
  SetColor("r");
  EXPECT_EQ(screen_.attribute(), 0x24);
}

TEST_F(ScreenTest, PositionsAreRelativeToTheCurrentWindow) {
  LocateInWindow(3, 5);
  EXPECT_EQ(screen_.CursorRow(), 3);
  EXPECT_EQ(screen_.CursorColumn(), 5);
  EXPECT_EQ(FirstRow(), 1);
  EXPECT_EQ(FirstColumn(), 1);
  EXPECT_EQ(LastColumn(), 80);

  CurrentWindow = {1, 10, 20, 15, 60};
  LocateInWindow(3, 5);
  EXPECT_EQ(screen_.CursorRow(), 13);
  EXPECT_EQ(screen_.CursorColumn(), 25);
  LocateInWindow(0, 0);  // the border's corner
  EXPECT_EQ(screen_.CursorRow(), 10);
  EXPECT_EQ(screen_.CursorColumn(), 20);
  EXPECT_EQ(FirstRow(), 11);
  EXPECT_EQ(FirstColumn(), 21);
  EXPECT_EQ(LastColumn(), 59);

  CurrentWindow.depth = 0;  // the box is ignored without an open window
  LocateInWindow(3, 5);
  EXPECT_EQ(screen_.CursorRow(), 3);
  EXPECT_EQ(LastColumn(), 80);
}

TEST_F(ScreenTest, DrawFrameDrawsEachStyleInTheCurrentColour) {
  const struct {
    int style;
    std::vector<std::string> rows;
  } cases[] = {
      {1, {"x┌────┐x", "x│    │x", "x│    │x", "x└────┘x"}},
      {2, {"x╔════╗x", "x║    ║x", "x║    ║x", "x╚════╝x"}},
      {0, {"x      x", "x      x", "x      x", "x      x"}},
  };
  for (const auto& c : cases) {
    screen_.SetAttribute(0x07);
    screen_.Clear();
    for (int row = 9; row <= 14; ++row) {
      screen_.MoveCursor(row, 19);
      screen_.Write("xxxxxxxx");
    }
    CurrentWindow = {1, 10, 20, 13, 25};
    SetColor("r");
    DrawFrame(c.style);
    EXPECT_EQ(TextGrid(screen_, 10, 19, 13, 26), c.rows) << "style " << c.style;
    EXPECT_EQ(AttrGrid(screen_, 9, 19, 14, 26, {{0x07, '.'}, {0x30, 'r'}}),
              (std::vector<std::string>{"........", ".rrrrrr.", ".rrrrrr.", ".rrrrrr.", ".rrrrrr.",
                                        "........"}))
        << "style " << c.style;
  }
}

TEST_F(ScreenTest, DrawFrameOfAnUnknownStyleUsesCharacterZero) {
  CurrentWindow = {1, 10, 20, 12, 22};
  DrawFrame(7);
  for (int row = 10; row <= 12; ++row) {
    EXPECT_EQ(screen_.ReadCell(row, 20).ch, 0);
    EXPECT_EQ(screen_.ReadCell(row, 21).ch, row == 11 ? ' ' : 0);
    EXPECT_EQ(screen_.ReadCell(row, 22).ch, 0);
  }
}

TEST_F(ScreenTest, DrawFrameStaysInsideNarrowBoxesAndNeedsAWindow) {
  screen_.Clear();
  DrawFrame(1);  // no window open
  EXPECT_EQ(screen_.RowText(1), std::string(80, ' '));

  CurrentWindow = {1, 5, 80, 7, 80};  // one column wide, at the right edge
  DrawFrame(1);
  EXPECT_EQ(TextGrid(screen_, 5, 79, 8, 80), (std::vector<std::string>{" ┌", " │", " └", "  "}));

  CurrentWindow = {1, 3, 10, 3, 14};  // one row high: the bottom row wins
  DrawFrame(2);
  EXPECT_EQ(TextGrid(screen_, 3, 10, 3, 14)[0], "╚═══╝");
}

TEST_F(ScreenTest, ScrollRegionMovesOnlyTheRectangle) {
  for (int row = 1; row <= 6; ++row) {
    screen_.MoveCursor(row, 1);
    screen_.Write(std::string(6, static_cast<char>('0' + row)));
  }
  screen_.SetAttribute(0x70);
  // Arguments are one less than the rectangle's first and last row and
  // column, as the help viewer passes its window: rows 2-5, columns 2-5.
  ScrollRegion(1, 1, 4, 4, 1);
  EXPECT_EQ(TextGrid(screen_, 1, 1, 6, 6),
            (std::vector<std::string>{"111111", "233332", "344443", "455554", "5    5", "666666"}));
  EXPECT_EQ(screen_.ReadCell(5, 3).attr, 0x70);

  ScrollRegion(1, 1, 4, 4, 0);  // zero moves down one row
  EXPECT_EQ(TextGrid(screen_, 1, 1, 6, 6),
            (std::vector<std::string>{"111111", "2    2", "333333", "444444", "555555", "666666"}));

  ScrollRegion(1, 1, 4, 4, -4);  // a whole page blanks the rectangle
  EXPECT_EQ(TextGrid(screen_, 2, 2, 5, 5), (std::vector<std::string>(4, "    ")));
}

}  // namespace
