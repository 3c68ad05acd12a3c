#include "editing/field_editor.h"

#include <gtest/gtest.h>

#include <vector>

#include "screen/screen.h"
#include "startup/session.h"
#include "support/screen_grid.h"
#include "support/test_host.h"

namespace {

using Rows = std::vector<std::string>;

constexpr unsigned char kStartAttr = 0x07;
constexpr unsigned char kInputAttr = 0x1E;      // "u": yellow on blue
constexpr unsigned char kHighlightAttr = 0x0F;  // "h": white on black

// What the field left behind.
struct Edited {
  std::string text;
  int cursor = 0;
  int key = 0;
  int row = 0;
  int column = 0;
  int width = 0;
};

class FieldEditorTest : public ::testing::Test {
 protected:
  FieldEditorTest() {
    ResetKeyboardState();
    ResetFieldEditorState();
    ResetScreenState();
    session.colorPalette = {};
    session.colorPalette[0] = {15, 0};
    session.colorPalette[4] = {14, 1};
    console_.SetAttribute(kStartAttr);
    console_.Clear();
  }
  ~FieldEditorTest() override {
    ResetKeyboardState();
    ResetFieldEditorState();
    ResetScreenState();
  }

  // Edits text at (row, column) after the scripted keys.
  Edited Edit(std::string text, int cursor, int width = 0, int row = 3, int column = 5) {
    Edited e{std::move(text), cursor, 0, row, column, width};
    EditField(e.row, e.column, e.width, e.text, e.cursor, e.key);
    return e;
  }

  void Keys(const std::vector<int>& keys) {
    for (int k : keys) console_.PushKey(static_cast<std::uint16_t>(k));
  }
  void Click(int row, int column, int button = 1) {
    console_.Push(InputEvent::Mouse(MouseAction::kRelease, button, row, column));
  }

  // The screen rectangle's characters (UTF-8) and colours: u input,
  // h highlight, . the colour at start.
  Rows Text(int top, int left, int bottom, int right) const {
    return TextGrid(console_, top, left, bottom, right);
  }
  Rows Colours(int top, int left, int bottom, int right) const {
    return AttrGrid(console_, top, left, bottom, right,
                    {{kInputAttr, 'u'}, {kHighlightAttr, 'h'}, {kStartAttr, '.'}});
  }

  // Records the cursor each time the editor waits with an empty script and
  // then ends the edit with Esc.
  struct Wait {
    int row, column;
    CursorShape shape;
  };
  std::vector<Wait> waits_;
  void RecordWaitsThenEsc() {
    console_.onIdle = [this] {
      waits_.push_back({console_.CursorRow(), console_.CursorColumn(), console_.cursorShape()});
      console_.PushKey(kKeyEsc);
    };
  }

  ScopedHost host_;
  MemoryConsole& console_ = host_.console;
};

std::string Bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s += static_cast<char>(c);
  return s;
}

// ---- Text mode --------------------------------------------------------------

TEST_F(FieldEditorTest, TypingAndMovingInTextMode) {
  struct Case {
    const char* name;
    const char* text;
    int cursor;
    bool insert;
    std::vector<int> keys;
    const char* expected;
    int expectedCursor;
  };
  const Case cases[] = {
      {"overwrite",
       "abc",
       1,
       false,
       {'x', 0xE9},
       "x\xE9"
       "c",
       3},
      {"overwrite past the end", "abc", 4, false, {'x'}, "abc", 4},
      {"insert shifts right", "AB ", 1, true, {'x'}, "xAB", 2},
      {"insert into a full field", "abc", 1, true, {'x'}, "abc", 1},
      {"insert at the end", "ab ", 4, true, {'x'}, "ab ", 4},
      {"Insert key switches to insert", "ab  ", 1, false, {kKeyInsert, 'x', 'y'}, "xyab", 3},
      {"cursor clamped on entry", "ab", 9, false, {kKeyLeft, 'x'}, "ax", 3},
      {"Backspace at the start", "abcd", 1, false, {kKeyBackspace}, "abcd", 1},
      {"Backspace", "abcd", 3, false, {kKeyBackspace}, "acd ", 2},
      {"Delete at the end", "abcd", 5, false, {kKeyDelete}, "abcd", 5},
      {"Delete", "abcd", 2, false, {kKeyDelete}, "acd ", 2},
      {"Left at the start, Right at the end",
       "ab",
       1,
       false,
       {kKeyLeft, kKeyRight, kKeyRight, kKeyRight},
       "ab",
       3},
      {"End after the last non-space", "ab c  ", 1, false, {kKeyEnd}, "ab c  ", 5},
      {"End in an all-space text", "   ", 3, false, {kKeyEnd}, "   ", 1},
      {"Home", "abc", 3, false, {kKeyHome}, "abc", 1},
      {"Ctrl+Y clears", "abc", 3, false, {kKeyCtrlY}, "   ", 1},
      {"Ctrl+Home clears", "abc", 3, false, {kKeyCtrlHome}, "   ", 1},
  };
  for (const Case& c : cases) {
    console_.insertToggle = c.insert;
    Keys(c.keys);
    Keys({kKeyEsc});
    const Edited e = Edit(c.text, c.cursor);
    EXPECT_EQ(e.text, c.expected) << c.name;
    EXPECT_EQ(e.cursor, c.expectedCursor) << c.name;
    EXPECT_EQ(e.key, kKeyEsc) << c.name;
  }
  for (int notText : {127, 255}) {
    Keys({notText});
    EXPECT_EQ(Edit("ab", 1).key, notText);
  }
}

TEST_F(FieldEditorTest, WordMovement) {
  struct Case {
    const char* text;
    int cursor;
    int key;
    int expectedCursor;
  };
  const Case cases[] = {
      {"abc def", 2, kKeyCtrlRight, 5},   // to the next word
      {"abc def", 6, kKeyCtrlRight, 8},   // from the last word: after the end
      {"ab,;cd.e", 1, kKeyCtrlRight, 5},  // every separator counts
      {"ab: cd", 3, kKeyCtrlRight, 5},    // from a separator
      {"abc def", 7, kKeyCtrlLeft, 5},    // to the start of the current word
      {"abc def", 5, kKeyCtrlLeft, 1},    // from a word's start to the previous
      {"ab  cd  ", 8, kKeyCtrlLeft, 5},   // from the spaces after a word
      {"  ab", 3, kKeyCtrlLeft, 1},       // no word before: the start
  };
  for (const Case& c : cases) {
    Keys({c.key, kKeyEsc});
    EXPECT_EQ(Edit(c.text, c.cursor).cursor, c.expectedCursor) << c.text << " from " << c.cursor;
  }
}

TEST_F(FieldEditorTest, OneLineFieldGoldenScreen) {
  console_.insertToggle = false;
  Keys({'x', kKeyRight});
  RecordWaitsThenEsc();
  const Edited e = Edit("abc", 1, 0, 3, 5);

  EXPECT_EQ(e.width, 4);  // 0 stands for the length + 1
  EXPECT_EQ(Text(3, 4, 3, 8), Rows{" xbc "});
  EXPECT_EQ(Colours(3, 4, 3, 8), Rows{".uuu."});
  ASSERT_EQ(waits_.size(), 1u);
  EXPECT_EQ(waits_[0].row, 3);
  EXPECT_EQ(waits_[0].column, 7);  // P = 3
  EXPECT_EQ(waits_[0].shape, CursorShape::kOverwrite);
  // On leaving: highlight colour, cursor at the origin and hidden.
  EXPECT_EQ(console_.attribute(), kHighlightAttr);
  EXPECT_EQ(console_.CursorRow(), 3);
  EXPECT_EQ(console_.CursorColumn(), 5);
  EXPECT_EQ(console_.cursorShape(), CursorShape::kHidden);
}

TEST_F(FieldEditorTest, MultiLineFieldInAWindow) {
  CurrentWindow = {1, 10, 20, 20, 60};  // the field's origin (2, 3) is screen (12, 23)
  console_.insertToggle = true;
  Keys({kKeyEnd});
  RecordWaitsThenEsc();
  Edited e = Edit("abcdefghij", 1, 5, 2, 3);

  EXPECT_EQ(Text(12, 22, 13, 28), (Rows{" abcde ", " fghij "}));
  EXPECT_EQ(Colours(12, 22, 13, 28), (Rows{".uuuuu.", ".uuuuu."}));
  ASSERT_EQ(waits_.size(), 1u);
  EXPECT_EQ(waits_[0].row, 13);  // P = 11: after the fifth column of the second line
  EXPECT_EQ(waits_[0].column, 28);
  EXPECT_EQ(waits_[0].shape, CursorShape::kInsert);

  struct Case {
    int cursor;
    int key;
    int expectedCursor;
    int expectedKey;
  };
  const Case moves[] = {
      {3, kKeyDown, 8, kKeyEsc},     {8, kKeyUp, 3, kKeyEsc},      {11, kKeyUp, 6, kKeyEsc},
      {3, kKeyUp, 3, kKeyUp},        {7, kKeyDown, 7, kKeyDown},   {6, kKeyDown, 11, kKeyEsc},
      {7, kKeyShiftTab, 2, kKeyEsc}, {2, kKeyShiftTab, 2, kKeyUp},
  };
  console_.onIdle = nullptr;
  for (const Case& c : moves) {
    Keys({c.key});
    if (c.expectedKey == kKeyEsc) Keys({kKeyEsc});
    e = Edit("abcdefghij", c.cursor, 5, 2, 3);
    EXPECT_EQ(e.cursor, c.expectedCursor) << "key " << std::hex << c.key << " from " << c.cursor;
    EXPECT_EQ(e.key, c.expectedKey) << "key " << std::hex << c.key << " from " << c.cursor;
  }
}

TEST_F(FieldEditorTest, OriginZeroTakesTheCursorPlaceInTheWindow) {
  CurrentWindow = {1, 10, 20, 20, 60};
  console_.MoveCursor(14, 30);
  Keys({kKeyEsc});
  const Edited e = Edit("ab", 1, 0, 0, 0);
  EXPECT_EQ(e.row, 4);
  EXPECT_EQ(e.column, 10);
  EXPECT_EQ(Text(14, 30, 14, 31), Rows{"ab"});
}

TEST_F(FieldEditorTest, MaskedFieldShowsMarksAndNeverTheValue) {
  SetEditKeys("h", "");
  host_.clipboard.Set("untouched");
  console_.insertToggle = false;
  Keys({'p', 'w', kKeyCtrlC, kKeyEsc});
  Edited e = Edit("secret", 1);
  EXPECT_EQ(e.text, "pwcret");
  EXPECT_EQ(Text(3, 5, 3, 11), Rows{"XXXXXX "});
  EXPECT_EQ(host_.clipboard.Get(), "untouched");  // a hidden value is not copied

  console_.Clear();
  Keys({kKeyEsc});
  Edit("abcdefgh", 1, 4);
  EXPECT_EQ(Text(3, 5, 4, 8), (Rows{"XXX ", "XXX "}));

  SetEditKeys("v", "");
  EXPECT_EQ(MaskCharacter, 0);
}

TEST_F(FieldEditorTest, ClipboardCopyAndPaste) {
  Keys({kKeyCtrlC, kKeyEsc});
  Edit("  ab c  ", 1);
  EXPECT_EQ(host_.clipboard.Get(), "ab c");

  struct Case {
    const char* name;
    std::string clipboard;
    const char* text;
    int cursor;
    const char* expected;
  };
  const Case cases[] = {
      {"dirty text", "  a\tb  ", "xyz   ", 2, "xab   "},
      {"controls, 127 and 255 dropped", Bytes({'1', 1, 127, 255, '2', 31}), "....", 1, "12.."},
      {"longer than the rest of the field", "12345", "abc", 2, "a12"},
      {"at the end", "12", "abc", 4, "abc"},
      {"empty clipboard", "", "abc", 1, "abc"},
  };
  for (const Case& c : cases) {
    host_.clipboard.Set(c.clipboard);
    Keys({kKeyCtrlV, kKeyEsc});
    const Edited e = Edit(c.text, c.cursor);
    EXPECT_EQ(e.text, c.expected) << c.name;
    EXPECT_EQ(e.cursor, c.cursor) << c.name;
  }
}

TEST_F(FieldEditorTest, ClicksInsideMoveTheCursorAndOutsideEndTheEdit) {
  CurrentWindow = {1, 10, 20, 20, 60};  // origin (2, 3) is screen (12, 23)
  struct Case {
    const char* name;
    const char* text;
    int width;
    int clickRow, clickColumn;
    int expectedCursor;
    int expectedKey;
  };
  const Case cases[] = {
      {"third character", "abcdef", 0, 12, 25, 3, kKeyEsc},
      {"just after the text", "abcdef", 0, 12, 29, 7, kKeyEsc},
      {"one row below", "abcdef", 0, 13, 25, 1, -(25 * 100 + 13)},
      {"left of the field", "abcdef", 0, 12, 22, 1, -(22 * 100 + 12)},
      {"second line", "abcdefghij", 5, 13, 24, 7, kKeyEsc},
      {"short last line", "abcdefg", 5, 13, 24, 7, kKeyEsc},
      {"past the end of the short last line", "abcdefg", 5, 13, 27, 8, kKeyEsc},
      {"right of a multi-line field", "abcdefg", 5, 12, 28, 1, -(28 * 100 + 12)},
  };
  for (const Case& c : cases) {
    Click(c.clickRow, c.clickColumn, 2);
    if (c.expectedKey == kKeyEsc) Keys({kKeyEsc});
    const Edited e = Edit(c.text, 1, c.width, 2, 3);
    EXPECT_EQ(e.cursor, c.expectedCursor) << c.name;
    EXPECT_EQ(e.key, c.expectedKey) << c.name;
  }
}

// ---- Ending keys ------------------------------------------------------------

TEST_F(FieldEditorTest, EndingKeysWithAnEmptySet) {
  struct Case {
    int key;
    int cursor;
    int expected;
  };
  const Case cases[] = {
      {kKeyEsc, 1, kKeyEsc},
      {kKeyEnter, 1, kKeyEnter},
      {kKeyTab, 1, kKeyEnter},
      {kKeyShiftTab, 1, kKeyUp},
      {0x3C00, 1, 0x3C00},
      {kKeyPgUp, 1, kKeyPgUp},
      {kKeyPgDn, 1, kKeyPgDn},
      {kKeyCtrlF4, 1, kKeyEsc},
      {kKeyAltF4, 1, kKeyEsc},
      {kKeyCtrlLeft, 1, kKeyCtrlLeft},
      {kKeyCtrlRight, 3, kKeyCtrlRight},
  };
  for (const Case& c : cases) {
    Keys({c.key});
    const Edited e = Edit("ab", c.cursor);
    EXPECT_EQ(e.key, c.expected) << std::hex << "key 0x" << c.key;
    EXPECT_EQ(e.text, "ab");
  }
}

TEST_F(FieldEditorTest, EndingKeysWithASet) {
  struct Case {
    const char* name;
    const char* keyList;
    std::vector<int> keys;
    int expected;
  };
  const Case cases[] = {
      {"Enter is End where End ends", "4f00,1b", {kKeyEnter}, kKeyEnd},
      {"Tab is Enter, not End", "4f00,d", {kKeyTab}, kKeyEnter},
      {"a trigger returns its result", "1b=3b00", {kKeyEsc}, kKeyF1},
      {"keys outside the set are ignored", "1b", {kKeyF4, kKeyPgDn, kKeyEnter, kKeyEsc}, kKeyEsc},
      {"Alt+F4 is Esc", "1b", {kKeyAltF4}, kKeyEsc},
  };
  for (const Case& c : cases) {
    SetEditKeys("ea", c.keyList);
    Keys(c.keys);
    const Edited e = Edit("ab", 1);
    EXPECT_EQ(e.key, c.expected) << c.name;
    EXPECT_EQ(console_.pending(), 0u) << c.name;
  }

  // A click outside ends the edit even when the set lacks it.
  SetEditKeys("ea", "1b");
  Click(20, 70);
  EXPECT_EQ(Edit("ab", 1).key, -(70 * 100 + 20));
}

TEST_F(FieldEditorTest, PopUpResultIsTypedIntoTheFieldUnlessItsHotKeyEnds) {
  SetCalculatorHook([] { return std::string("12,5"); });
  console_.insertToggle = false;

  SetEditKeys("ea", "1b");
  Keys({kKeyAltX, kKeyEsc});
  Edited e = Edit("        ", 2);
  EXPECT_EQ(e.text, " 12,5   ");
  EXPECT_EQ(e.cursor, 6);

  SetEditKeys("e", "");
  Keys({kKeyAltX});
  e = Edit("        ", 2);
  EXPECT_EQ(e.key, kKeyAltX);
  EXPECT_EQ(e.text, "        ");
  EXPECT_EQ(TypeAheadBuffer, "12,5");
}

// ---- Choice mode -------------------------------------------------------------

TEST_F(FieldEditorTest, ChoiceFieldGoldenScreen) {
  SetChoiceList("|A,Alta|BB,Baixa llarga|C,Cap");
  RecordWaitsThenEsc();
  const Edited e = Edit("Z ", 1, 0, 3, 5);  // no such code: the first item

  EXPECT_EQ(e.text, "A ");
  ASSERT_EQ(waits_.size(), 1u);
  // Drawn while waiting, then the marks blanked in the highlight colour.
  EXPECT_EQ(Text(3, 4, 3, 17), Rows{" Alta         "});
  EXPECT_EQ(Colours(3, 4, 3, 17), Rows{"huuuuuuuuuuuuh"});
  EXPECT_EQ(waits_[0].shape, CursorShape::kInsert);  // untouched: not shown
}

TEST_F(FieldEditorTest, ChoiceMarksWhileEditing) {
  SetChoiceList("|A,Alta|BB,Baixa llarga|C,Cap");
  Rows screen;
  console_.onIdle = [&] {
    screen = Text(3, 4, 3, 17);
    console_.PushKey(kKeyEsc);
  };
  Keys({kKeyRight});
  Edit("A ", 1);
  EXPECT_EQ(screen, Rows{"◄Baixa llarga►"});
}

TEST_F(FieldEditorTest, ChoiceSelection) {
  const std::string list = "|1,Un|2,\x90xit|3,eco|4,Ebre|5,Dos";
  struct Case {
    const char* name;
    const char* text;
    std::vector<int> keys;
    const char* expected;
  };
  const Case cases[] = {
      {"Left from the first is the last", "1", {kKeyLeft}, "5"},
      {"Right from the last is the first", "5", {kKeyRight}, "1"},
      {"space is Right", "2", {' '}, "3"},
      {"letter e: accents and case folded", "1", {'e'}, "2"},
      {"letter e again", "1", {'e', 'e', 'e'}, "4"},
      {"letter e wraps around", "4", {'E'}, "2"},
      {"no match changes nothing", "3", {'z'}, "3"},
      {"text keys do nothing", "3", {kKeyBackspace, kKeyDelete, kKeyCtrlY, kKeyCtrlV}, "3"},
      {"click on the left mark", "2", {-(4 * 100 + 3)}, "1"},
      {"click on the right mark", "2", {-(9 * 100 + 3)}, "3"},
      {"click on the description", "2", {-(6 * 100 + 3)}, "2"},
  };
  for (const Case& c : cases) {
    SetChoiceList(list);
    for (int k : c.keys) {
      if (k < 0) {
        Click(-k % 100, -k / 100);
      } else {
        Keys({k});
      }
    }
    Keys({kKeyEsc});
    const Edited e = Edit(c.text, 1, 0, 3, 5);
    EXPECT_EQ(e.text, c.expected) << c.name;
    EXPECT_EQ(e.key, kKeyEsc) << c.name;
  }

  SetChoiceList("|A,first|A,second");
  Keys({kKeyCtrlC, kKeyEsc});
  Edit("A", 1);
  EXPECT_EQ(host_.clipboard.Get(), "second");  // the last item with the code

  SetChoiceList(list);
  Click(4, 6);
  EXPECT_EQ(Edit("1", 1, 0, 3, 5).key, -(6 * 100 + 4));
  Keys({kKeyUp});
  EXPECT_EQ(Edit("1", 1).key, kKeyUp);
}

// ---- SetEditKeys --------------------------------------------------------------

TEST_F(FieldEditorTest, EditKeyListSyntax) {
  using Pairs = std::vector<EditKeyPair>;
  struct Case {
    const char* options;
    const char* keyList;
    Pairs expected;
  };
  const Case cases[] = {
      {"a", "d,1b,4800", {{0xd, 0xd}, {0x1b, 0x1b}, {0x4800, 0x4800}}},
      {"A", "1b=3B00, 4f00", {{0x1b, 0x3b00}, {0x4f00, 0x4f00}}},
      {"a", "12345,4dzz", {{0x1234, 0x1234}, {0x4d, 0x4d}}},
      {"a", "", {}},
      {"a", "d,,1b", {{0xd, 0xd}, {0x1b, 0x1b}}},
      {"a", "8000,ffff=d,d=9000", {}},
      {"ad", "d", {}},
      {"aad", "d,1b", {{0xd, 0xd}, {0x1b, 0x1b}}},  // removes only the first of each
      {"axq?", "d", {{0xd, 0xd}}},
  };
  for (const Case& c : cases) {
    SetEditKeys("e", "");
    SetEditKeys(c.options, c.keyList);
    EXPECT_EQ(EditKeySet, c.expected) << c.options << " " << c.keyList;
  }
}

TEST_F(FieldEditorTest, SaveSlotHoldsOneSet) {
  using Pairs = std::vector<EditKeyPair>;
  SetEditKeys("a", "1b");
  SetEditKeys("+ea", "d");  // the form block's set
  EXPECT_EQ(EditKeySet, (Pairs{{0xd, 0xd}}));
  SetEditKeys("+ea", "3e00");  // a pop-up inside a field: the slot is full
  EXPECT_EQ(EditKeySet, (Pairs{{0x3e00, 0x3e00}}));
  SetEditKeys("-", "");  // the pop-up ends: back to the set before the form block's
  EXPECT_EQ(EditKeySet, (Pairs{{0x1b, 0x1b}}));
  SetEditKeys("-", "");
  EXPECT_EQ(EditKeySet, (Pairs{{0x1b, 0x1b}}));
  SetEditKeys("+e", "");
  EXPECT_TRUE(EditKeySet.empty());
  SetEditKeys("-", "");
  EXPECT_EQ(EditKeySet, (Pairs{{0x1b, 0x1b}}));
}

}  // namespace
