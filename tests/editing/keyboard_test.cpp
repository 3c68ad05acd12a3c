#include "editing/keyboard.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_host.h"

namespace {

constexpr Modifiers kShift{.shift = true};
constexpr Modifiers kLeftCtrl{.leftCtrl = true};
constexpr Modifiers kRightCtrl{.rightCtrl = true};
constexpr Modifiers kLeftAlt{.leftAlt = true};
constexpr Modifiers kRightAlt{.rightAlt = true};
constexpr Modifiers kAltCtrl{.leftAlt = true, .leftCtrl = true};

class KeyboardTest : public ::testing::Test {
 protected:
  KeyboardTest() { ResetKeyboardState(); }
  ~KeyboardTest() override { ResetKeyboardState(); }

  int Poll() {
    int key, button, row, column;
    ReadKeyEvent(key, button, row, column);
    return key;
  }

  ScopedHost host_;
  MemoryConsole& console_ = host_.console;
};

TEST_F(KeyboardTest, KeysGetTheReaderCodesForTheirModifiers) {
  struct Case {
    std::uint16_t key;
    Modifiers mods;
    int expected;
  };
  const Case cases[] = {
      {kKeyF1, {}, 0x3B00},
      {kKeyF1, kShift, 0x5400},
      {0x3C00, kShift, 0x5500},
      {kKeyF10, kShift, 0x5D00},
      {kKeyF4, kLeftCtrl, 0x6100},
      {kKeyF10, kRightCtrl, 0x6700},
      {kKeyF4, kLeftAlt, 0x6B00},
      {kKeyF10, kRightAlt, 0x7100},
      {kKeyF1, kAltCtrl, 0x6800},
      {0x4500, kShift, 0x4500},  // no F11 codes
      {kKeyHome, kLeftCtrl, 0x7700},
      {kKeyLeft, kRightCtrl, 0x7300},
      {kKeyRight, kLeftCtrl, 0x7400},
      {kKeyUp, kLeftCtrl, kKeyUp},
      {kKeyHome, kShift, kKeyHome},
      {kKeyAltE, kLeftAlt, 213},
      {'a', {}, 'a'},
      {0xE9, {}, 0xE9},
      {0x8100, {}, 0},  // would read as a click code
  };
  for (const Case& c : cases) {
    console_.PushKey(c.key, c.mods);
    EXPECT_EQ(Poll(), c.expected) << std::hex << "key 0x" << c.key;
  }
}

TEST_F(KeyboardTest, QueuedCharactersComeBeforeTheConsole) {
  TypeAheadBuffer = "1.2\xD5";
  console_.PushKey('x');
  std::vector<int> keys;
  for (int i = 0; i < 5; ++i) keys.push_back(Poll());
  EXPECT_EQ(keys, (std::vector<int>{'1', '.', '2', 213, 'x'}));
  EXPECT_EQ(Poll(), 0);  // an empty poll returns at once
}

TEST_F(KeyboardTest, AltKeypadDigitsTypeTheCharacterOfTheirNumber) {
  struct Case {
    const char* name;
    std::vector<std::uint16_t> digitKeys;
    int expected;
  };
  const Case cases[] = {
      {"1 3 0", {kKeyEnd, kKeyPgDn, kKeyInsert}, 130},
      {"6 5", {kKeyRight, kKeyPad5}, 65},
      {"2 5 6 wraps to no key", {kKeyDown, kKeyPad5, kKeyRight}, 0},
      {"7 8 9 4", {kKeyHome, kKeyUp, kKeyPgUp, kKeyLeft}, 7894 % 256},
      {"thirty nines", std::vector<std::uint16_t>(30, kKeyPgUp), 255},
  };
  for (const Case& c : cases) {
    for (std::uint16_t k : c.digitKeys) console_.PushKey(k, kLeftAlt);
    console_.PushKey(kKeyEnter, kLeftAlt);  // the ending key is consumed
    console_.PushKey('z');
    EXPECT_EQ(Poll(), c.expected) << c.name;
    EXPECT_EQ(Poll(), 'z') << c.name;
  }
}

TEST_F(KeyboardTest, AltKeypadEntryWaitsForItsEndAndOnlyLeftAltStartsIt) {
  console_.PushKey(kKeyEnd, kLeftAlt);
  console_.PushKey(kKeyDown, kLeftAlt);
  int idle = 0;
  console_.onIdle = [&] {
    ++idle;
    console_.PushKey(kKeyEnter);
  };
  EXPECT_EQ(Poll(), 12);
  EXPECT_EQ(idle, 1);
  // The key came after Alt was let go: it is not lost.
  EXPECT_EQ(Poll(), kKeyEnter);
  console_.onIdle = nullptr;

  console_.PushKey(kKeyEnd, kRightAlt);
  EXPECT_EQ(Poll(), kKeyEnd);
  console_.PushKey('q', kLeftAlt);
  EXPECT_EQ(Poll(), 'q');
}

TEST_F(KeyboardTest, ReadKeyCodesReleasedButtonsAndSkipsOtherMouseEvents) {
  console_.Push(InputEvent::Mouse(MouseAction::kMove, 0, 5, 10));
  console_.Push(InputEvent::Mouse(MouseAction::kPress, 1, 5, 10));
  console_.Push(InputEvent::Mouse(MouseAction::kRelease, 1, 5, 10));
  console_.Push(InputEvent::Mouse(MouseAction::kRelease, 2, 5, 10));
  console_.Push(InputEvent::Mouse(MouseAction::kRelease, 3, 7, 7));  // middle: not reported
  console_.Push(InputEvent::Mouse(MouseAction::kRelease, 1, 25, 80));
  console_.PushKey('k');
  EXPECT_EQ(ReadKey(), 2629);
  EXPECT_FALSE(console_.mouseReporting());
  EXPECT_EQ(ReadKey(), 2693);
  EXPECT_EQ(ReadKey(), 80 * 256 + 64 + 25);
  EXPECT_EQ(ReadKey(), 'k');
}

TEST_F(KeyboardTest, MouseIsReportedOnlyInsideAReadAndNeverWhenAbsent) {
  EXPECT_EQ(Poll(), 0);
  EXPECT_TRUE(console_.mouseReporting());  // still waiting for a key
  console_.PushKey('a');
  EXPECT_EQ(Poll(), 'a');
  EXPECT_FALSE(console_.mouseReporting());

  ResetKeyboardState();
  console_.mousePresent = false;
  console_.Push(InputEvent::Mouse(MouseAction::kRelease, 1, 5, 10));
  console_.PushKey('b');
  EXPECT_EQ(ReadKey(), 'b');
  EXPECT_FALSE(console_.mouseReporting());
}

TEST_F(KeyboardTest, HotKeysOpenTheirPopUpAndQueueItsResult) {
  int calculatorRuns = 0;
  SetCalculatorHook([&] {
    ++calculatorRuns;
    EXPECT_TRUE(CalculatorOpen());
    // Inside the calculator: its own hot key is an ordinary key, and the
    // calendar's date is typed into it.
    EXPECT_EQ(ReadKey(), kKeyAltX);
    EXPECT_EQ(ReadKey(), kKeyAltC);
    EXPECT_EQ(ReadKey(), '0');
    return std::string("12,5");
  });
  SetCalendarHook([&] {
    EXPECT_TRUE(CalendarOpen());
    EXPECT_TRUE(CalculatorOpen());
    return std::string("05");  // the calculator reads only the first
  });
  console_.PushKey(kKeyAltX);
  console_.PushKey(kKeyAltX);
  console_.PushKey(kKeyAltC);
  console_.PushKey('!');

  EXPECT_EQ(Poll(), kKeyAltX);
  EXPECT_EQ(calculatorRuns, 1);
  EXPECT_FALSE(CalculatorOpen());
  EXPECT_FALSE(CalendarOpen());
  std::vector<int> keys;
  for (int i = 0; i < 5; ++i) keys.push_back(Poll());
  EXPECT_EQ(keys, (std::vector<int>{'1', '2', ',', '5', '!'}));  // the calendar's "5" is gone
}

TEST_F(KeyboardTest, HotKeyWithoutAPopUpIsAnOrdinaryKey) {
  TypeAheadBuffer.clear();
  console_.PushKey(kKeyAltC);
  console_.PushKey('a');
  EXPECT_EQ(Poll(), kKeyAltC);
  EXPECT_EQ(Poll(), 'a');
}

}  // namespace
