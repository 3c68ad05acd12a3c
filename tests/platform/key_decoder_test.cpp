#include "platform/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

Modifiers Mods(bool shift, bool alt, bool ctrl) {
  Modifiers m;
  m.shift = shift;
  m.leftAlt = alt;
  m.leftCtrl = ctrl;
  return m;
}
const Modifiers kNone{};
const Modifiers kShift = Mods(true, false, false);
const Modifiers kAlt = Mods(false, true, false);
const Modifiers kCtrl = Mods(false, false, true);

InputEvent Key(std::uint16_t code, Modifiers mods = {}) { return InputEvent::Key(code, mods); }

// Feeds every piece, decoding after each, then lets the Esc pause pass.
std::vector<InputEvent> Decode(const std::vector<std::string>& pieces) {
  KeyDecoder decoder;
  std::vector<InputEvent> events;
  InputEvent event;
  for (const std::string& piece : pieces) {
    decoder.Feed(piece);
    while (decoder.Next(event)) events.push_back(event);
  }
  decoder.Expire();
  while (decoder.Next(event)) events.push_back(event);
  EXPECT_FALSE(decoder.HasPartial());
  return events;
}

std::string Describe(const std::vector<InputEvent>& events) {
  std::string text;
  char buf[96];
  for (const InputEvent& e : events) {
    const Modifiers& m = e.modifiers;
    std::snprintf(buf, sizeof buf, "[%s %04X b%d r%d c%d a%d %s%s%s%s%s] ",
                  e.type == InputEvent::Type::kKey ? "key" : "mouse", e.key, e.button, e.row,
                  e.column, static_cast<int>(e.action), m.shift ? "S" : "", m.leftAlt ? "A" : "",
                  m.rightAlt ? "a" : "", m.leftCtrl ? "C" : "", m.rightCtrl ? "c" : "");
    text += buf;
  }
  return text;
}

struct Case {
  const char* name;
  std::vector<std::string> input;  // the pieces the terminal's bytes arrive in
  std::vector<InputEvent> expected;
};

const std::vector<Case> kCases = {
    {"plain characters", {"aZ 9"}, {Key('a'), Key('Z'), Key(' '), Key('9')}},
    {"Enter Tab Backspace (DEL and BS)", {"\r\t\x7f\x08"}, {Key(13), Key(9), Key(8), Key(8)}},
    {"Ctrl+letters are control characters",
     {"\x02\x03\x16\x19"},
     {Key(2), Key(3), Key(22), Key(25)}},
    {"lone Esc after the pause", {"\x1b"}, {Key(27)}},
    {"Esc Esc", {"\x1b\x1b"}, {Key(27), Key(27)}},
    {"arrows and Home/End, CSI and SS3",
     {"\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1b[H\x1b[F\x1bOH\x1bOF\x1b[E"},
     {Key(0x4800), Key(0x5000), Key(0x4D00), Key(0x4B00), Key(0x4800), Key(0x4700), Key(0x4F00),
      Key(0x4700), Key(0x4F00), Key(0x4C00)}},
    {"editing keys",
     {"\x1b[2~\x1b[3~\x1b[5~\x1b[6~\x1b[1~\x1b[4~\x1b[7~\x1b[8~"},
     {Key(0x5200), Key(0x5300), Key(0x4900), Key(0x5100), Key(0x4700), Key(0x4F00), Key(0x4700),
      Key(0x4F00)}},
    {"F1-F4 as SS3 and F5-F12 as CSI ~",
     {"\x1bOP\x1bOQ\x1bOR\x1bOS\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~"},
     {Key(0x3B00), Key(0x3C00), Key(0x3D00), Key(0x3E00), Key(0x3F00), Key(0x4000), Key(0x4100),
      Key(0x4200), Key(0x4300), Key(0x4400), Key(0x8500), Key(0x8600)}},
    {"F1-F5 in the CSI n ~ form",
     {"\x1b[11~\x1b[12~\x1b[13~\x1b[14~"},
     {Key(0x3B00), Key(0x3C00), Key(0x3D00), Key(0x3E00)}},
    {"Linux console F1-F5",
     {"\x1b[[A\x1b[[B\x1b[[C\x1b[[D\x1b[[E"},
     {Key(0x3B00), Key(0x3C00), Key(0x3D00), Key(0x3E00), Key(0x3F00)}},
    {"xterm modifiers: m - 1 = Shift 1 + Alt 2 + Ctrl 4",
     {"\x1b[1;2P\x1b[1;5S\x1b[1;3A\x1b[1;5D\x1b[1;5C\x1b[1;5H\x1b[15;2~\x1b[24;7~\x1bO5P"},
     {Key(0x3B00, kShift), Key(0x3E00, kCtrl), Key(0x4800, kAlt), Key(0x4B00, kCtrl),
      Key(0x4D00, kCtrl), Key(0x4700, kCtrl), Key(0x3F00, kShift),
      Key(0x8600, Mods(false, true, true)), Key(0x3B00, kCtrl)}},
    {"Shift+Tab", {"\x1b[Z"}, {Key(0x0F00, kShift)}},
    {"Alt + letter gives the letter key's scan code",
     {"\x1bx\x1b"
      "C\x1b"
      "e\x1b"
      "f"},
     {Key(0x2D00, kAlt), Key(0x2E00, kAlt), Key(0x1200, kAlt), Key(0x2100, kAlt)}},
    {"Alt + other characters keep them",
     {"\x1b"
      "1\x1b\x7f\x1b\r"},
     {Key('1', kAlt), Key(8, kAlt), Key(13, kAlt)}},
    {"ESC + O and ESC + [ alone are Alt after the pause", {"\x1bO"}, {Key(0x1800, kAlt)}},
    {"modifyOtherKeys",
     {"\x1b[27;5;99~\x1b[27;3;120~\x1b[27;2;13~\x1b[27;6;97~"},
     {Key(3, kCtrl), Key(0x2D00, kAlt), Key(13, kShift), Key(1, Mods(true, false, true))}},
    {"UTF-8 to code page 850; unmappable dropped",
     {"\xc3\xa7\xe2\x82\xac\xe4\xb8\xad\xc3\x91"},
     {Key(0x87), Key(213), Key(0xA5)}},
    {"a byte that is not UTF-8 stays a code page byte",
     {"\x87"
      "a"},
     {Key(0x87), Key('a')}},
    {"a lead byte not continued leaves the next character whole",
     {"\xe0\xc3\xa9\xf0\xe2\x82\xac"},
     {Key(0xE0), Key(0x82), Key(0xF0), Key(213)}},
    {"SGR mouse: press, move, release; left and right",
     {"\x1b[<0;10;5M\x1b[<32;11;5M\x1b[<0;11;5m\x1b[<2;1;25M\x1b[<2;1;25m"},
     {InputEvent::Mouse(MouseAction::kPress, 1, 5, 10),
      InputEvent::Mouse(MouseAction::kMove, 1, 5, 11),
      InputEvent::Mouse(MouseAction::kRelease, 1, 5, 11),
      InputEvent::Mouse(MouseAction::kPress, 2, 25, 1),
      InputEvent::Mouse(MouseAction::kRelease, 2, 25, 1)}},
    {"SGR mouse with Ctrl; wheel and middle button ignored",
     {"\x1b[<16;3;4M\x1b[<64;3;4M\x1b[<1;3;4M\x1b[<1;3;4m"},
     {InputEvent::Mouse(MouseAction::kPress, 1, 4, 3, kCtrl)}},
    {"X10 mouse: press and release of the right button",
     {"\x1b[M\"*%\x1b[M#*%"},
     {InputEvent::Mouse(MouseAction::kPress, 2, 5, 10),
      InputEvent::Mouse(MouseAction::kRelease, 2, 5, 10)}},
    {"bracketed paste arrives as typed characters",
     {"\x1b[200~a\xc3\xa9\r\nb\x1b\x03\tc\x1b[201~d"},
     {Key('a'), Key(0x82), Key(13), Key('b'), Key(9), Key('c'), Key('d')}},
    {"bracketed paste split anywhere",
     {"\x1b[20", "0~x\xc3", "\xa9\r", "\ny\x1b[2", "01~\x1b"},
     {Key('x'), Key(0x82), Key(13), Key('y'), Key(27)}},
    {"sequences split across reads",
     {"\x1b", "[", "1;", "5", "A", "\xe2\x82", "\xac", "\x1bO", "P"},
     {Key(0x4800, kCtrl), Key(213), Key(0x3B00)}},
    {"terminal replies are consumed",
     {"\x1b[?31u\x1b[?62;22c\x1b[>1;2c\x1bP>|xterm\x1b\\\x1b]11;rgb:0/0/0\a"
      "q"},
     {Key('q')}},
    {"kitty: text, Enter, Esc, Backspace, release ignored",
     {"\x1b[97u\x1b[97;2;65u\x1b[13u\x1b[27u\x1b[127u\x1b[97;1:3u\x1b[9;2u\x1b[233;;233u"},
     {Key('a'), Key('A', kShift), Key(13), Key(27), Key(8), Key(0x0F00, kShift), Key(0x82)}},
    {"kitty: Ctrl and Alt letters, lock bits are no modifiers",
     {"\x1b[99;5u\x1b[120;3u\x1b[101;67u\x1b[49:33;2u"},
     {Key(3, kCtrl), Key(0x2D00, kAlt), Key(0x1200, kAlt), Key('!', kShift)}},
    {"kitty: functional keys with event types",
     {"\x1b[1;1:1A\x1b[1;1:3A\x1b[3;5:2~\x1b[3;5:3~"},
     {Key(0x4800), Key(0x5300, kCtrl)}},
    {"kitty: Alt held with keypad digits gives the keypad's navigation keys",
     {"\x1b[57443u\x1b[57400;3u\x1b[57400;3:3u\x1b[57404;3u\x1b[57399;3u\x1b[57443;3:3u"
      "\x1b[57401;129u\x1b[57414u\x1b[57417u"},
     {Key(0x4F00, kAlt), Key(0x4C00, kAlt), Key(0x5200, kAlt), Key('2'), Key(13), Key(0x4B00)}},
    {"kitty: right Alt is told from left",
     {"\x1b[57449u\x1b[57406;3u\x1b[57449;1:3u"},
     {Key(0x4700,
          [] {
            Modifiers m;
            m.rightAlt = true;
            return m;
          }())}},
    {"unknown sequences are dropped whole",
     {"\x1b[99x\x1b[1;2$y\x1b[57376u"
      "b"},
     {Key('b')}},
};

TEST(KeyDecoder, DecodesEveryForm) {
  for (const Case& c : kCases) {
    EXPECT_EQ(Describe(Decode(c.input)), Describe(c.expected)) << c.name;
  }
}

TEST(KeyDecoder, EveryCaseSurvivesBeingFedByteByByte) {
  for (const Case& c : kCases) {
    std::string all;
    for (const std::string& piece : c.input) all += piece;
    std::vector<std::string> bytes;
    for (char ch : all) bytes.emplace_back(1, ch);
    // A lone Esc is only told by the pause, which byte-by-byte feeding does
    // not give; the other forms must not depend on how the bytes are cut.
    EXPECT_EQ(Describe(Decode(bytes)), Describe(c.expected)) << c.name;
  }
}

TEST(KeyDecoder, HoldsBackAnEscUntilThePausePasses) {
  KeyDecoder decoder;
  InputEvent event;
  decoder.Feed("\x1b");
  EXPECT_FALSE(decoder.Next(event));
  EXPECT_TRUE(decoder.HasPartial());
  decoder.Feed("[B");  // the rest arrived in time: one key
  ASSERT_TRUE(decoder.Next(event));
  EXPECT_EQ(event.key, 0x5000);
  decoder.Feed("\x1b");
  decoder.Expire();
  ASSERT_TRUE(decoder.Next(event));
  EXPECT_EQ(event.key, 27);
  EXPECT_FALSE(decoder.HasPartial());
}

TEST(KeyDecoder, APauseInsideAPasteDoesNotEndIt) {
  KeyDecoder decoder;
  InputEvent event;
  decoder.Feed("\x1b[200~a\x1b[20");
  ASSERT_TRUE(decoder.Next(event));
  EXPECT_EQ(event.key, 'a');
  decoder.Expire();
  EXPECT_FALSE(decoder.Next(event));
  EXPECT_TRUE(decoder.HasPartial());  // a cut end of paste is waited for
  decoder.Feed("1~\x1b");             // after the paste, Esc is a key again
  decoder.Expire();
  ASSERT_TRUE(decoder.Next(event));
  EXPECT_EQ(event.key, 27);
}

TEST(KeyDecoder, KittyModifierKeysChangeTheStateWithoutAnEvent) {
  KeyDecoder decoder;
  InputEvent event;
  decoder.Feed("\x1b[57443u");
  EXPECT_FALSE(decoder.Next(event));
  EXPECT_TRUE(decoder.modifiers().leftAlt);
  decoder.Feed("\x1b[57443;3:3u");
  EXPECT_FALSE(decoder.Next(event));
  EXPECT_FALSE(decoder.modifiers().alt());
}

TEST(KeyDecoder, RecognisesTheStartUpReplies) {
  KeyDecoder decoder;
  InputEvent event;
  decoder.Feed("\x1b[?62;c");
  EXPECT_FALSE(decoder.Next(event));
  EXPECT_TRUE(decoder.attributesAnswered());
  EXPECT_FALSE(decoder.kittyAnswered());
  decoder.Feed("\x1b[?0u");
  EXPECT_FALSE(decoder.Next(event));
  EXPECT_TRUE(decoder.kittyAnswered());
}

TEST(KeyDecoder, AnEndlessSequenceIsDroppedNotHoarded) {
  for (const char* start : {"\x1b[", "\x1bO"}) {
    KeyDecoder decoder;
    InputEvent event;
    decoder.Feed(start + std::string(1000, '1'));
    EXPECT_FALSE(decoder.Next(event)) << start + 1;
    EXPECT_FALSE(decoder.HasPartial()) << start + 1;
    decoder.Feed("x");
    ASSERT_TRUE(decoder.Next(event)) << start + 1;
    EXPECT_EQ(event.key, 'x') << start + 1;
  }
}

TEST(KeyDecoder, EscapeDelaySetting) {
  EXPECT_EQ(EscapeDelayMilliseconds(nullptr), 25);
  EXPECT_EQ(EscapeDelayMilliseconds("100"), 100);
  EXPECT_EQ(EscapeDelayMilliseconds("0"), 0);
  EXPECT_EQ(EscapeDelayMilliseconds("fast"), 25);
  EXPECT_EQ(EscapeDelayMilliseconds("99999"), 25);
}

}  // namespace
