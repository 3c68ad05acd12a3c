#include "platform/key_decoder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "platform/codepage.h"

namespace {

constexpr char kEsc = '\x1b';
constexpr std::size_t kLongestSequence = 256;  // longer ones are dropped unread
constexpr std::string_view kPasteEnd = "\x1b[201~";

// PC scan codes (times 256) of the keys without a character.
constexpr std::uint16_t kShiftTab = 0x0F00;
constexpr std::uint16_t kF1 = 0x3B00, kF6 = 0x4000, kF11 = 0x8500, kF12 = 0x8600;
constexpr std::uint16_t kHome = 0x4700, kUp = 0x4800, kPgUp = 0x4900, kLeft = 0x4B00,
                        kKeypad5 = 0x4C00, kRight = 0x4D00, kEnd = 0x4F00, kDown = 0x5000,
                        kPgDn = 0x5100, kInsert = 0x5200, kDelete = 0x5300;

struct FinalKey {
  char final;
  std::uint16_t key;
};
// CSI and SS3 sequences named by their final byte: "ESC [ A", "ESC [ 1;5 A",
// "ESC O P", ...
constexpr std::array<FinalKey, 12> kFinalKeys = {{
    {'A', kUp},
    {'B', kDown},
    {'C', kRight},
    {'D', kLeft},
    {'E', kKeypad5},
    {'F', kEnd},
    {'H', kHome},
    {'P', kF1},
    {'Q', kF1 + 0x100},
    {'R', kF1 + 0x200},
    {'S', kF1 + 0x300},
    {'Z', kShiftTab},
}};

struct NumberKey {
  int number;
  std::uint16_t key;
};
// "ESC [ n ~" and "ESC [ n;m ~".
constexpr std::array<NumberKey, 20> kTildeKeys = {{
    {1, kHome},        {2, kInsert},      {3, kDelete},      {4, kEnd},  {5, kPgUp},
    {6, kPgDn},        {7, kHome},        {8, kEnd},         {11, kF1},  {12, kF1 + 0x100},
    {13, kF1 + 0x200}, {14, kF1 + 0x300}, {15, kF1 + 0x400}, {17, kF6},  {18, kF6 + 0x100},
    {19, kF6 + 0x200}, {20, kF6 + 0x300}, {21, kF6 + 0x400}, {23, kF11}, {24, kF12},
}};

struct TextKey {
  std::string_view sequence;
  std::uint16_t key;
};
// Sequences that stand for themselves: the Linux console's F1-F5 and the
// keypad in application mode.
constexpr std::array<TextKey, 20> kLiteralKeys = {{
    {"\x1b[[A", kF1},         {"\x1b[[B", kF1 + 0x100}, {"\x1b[[C", kF1 + 0x200},
    {"\x1b[[D", kF1 + 0x300}, {"\x1b[[E", kF1 + 0x400}, {"\x1bOM", 13},
    {"\x1bOj", '*'},          {"\x1bOk", '+'},          {"\x1bOl", ','},
    {"\x1bOm", '-'},          {"\x1bOn", '.'},          {"\x1bOo", '/'},
    {"\x1bOp", '0'},          {"\x1bOq", '1'},          {"\x1bOr", '2'},
    {"\x1bOs", '3'},          {"\x1bOt", '4'},          {"\x1bOu", '5'},
    {"\x1bOv", '6'},          {"\x1bOw", '7'},
}};

// Scan codes of the letter keys A..Z, which Alt + letter gives.
constexpr std::array<std::uint8_t, 26> kLetterScanCodes = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
};

// The kitty keyboard protocol's numbers for keys outside Unicode.
enum KittyKey : int {
  kKittyKeypad0 = 57399,  // .. 57408 keypad 9
  kKittyKeypadDecimal = 57409,
  kKittyKeypadEqual = 57415,
  kKittyKeypadEnter = 57414,
  kKittyKeypadLeft = 57417,  // .. 57427 keypad Begin
  kKittyLeftShift = 57441,
  kKittyLeftControl = 57442,
  kKittyLeftAlt = 57443,
  kKittyRightShift = 57447,
  kKittyRightControl = 57448,
  kKittyRightAlt = 57449,
};
// Keypad 0..9 as the PC gives them with Alt held (the navigation keys).
constexpr std::array<std::uint16_t, 10> kKeypadDigitKeys = {kInsert,  kEnd,   kDown, kPgDn, kLeft,
                                                            kKeypad5, kRight, kHome, kUp,   kPgUp};
// Keypad Left, Right, Up, Down, PgUp, PgDn, Home, End, Insert, Delete, Begin.
constexpr std::array<std::uint16_t, 11> kKeypadMoveKeys = {
    kLeft, kRight, kUp, kDown, kPgUp, kPgDn, kHome, kEnd, kInsert, kDelete, kKeypad5};
// Keypad . / * - + Enter =.
constexpr std::string_view kKeypadCharacters = "./*-+\r=";

// The modifiers of an xterm or kitty parameter m: m - 1 = Shift 1 + Alt 2 +
// Ctrl 4 (higher bits, the lock keys among them, are not modifiers here).
Modifiers ModifiersOf(int m, const Modifiers& held) {
  Modifiers mods;
  const int bits = m > 1 ? m - 1 : 0;
  mods.shift = bits & 1;
  if (bits & 2) {
    mods.rightAlt = held.rightAlt && !held.leftAlt;
    mods.leftAlt = !mods.rightAlt;
  }
  if (bits & 4) {
    mods.rightCtrl = held.rightCtrl && !held.leftCtrl;
    mods.leftCtrl = !mods.rightCtrl;
  }
  return mods;
}

bool IsLetter(char32_t cp) { return (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z'); }

std::uint16_t AltLetter(char32_t cp) {
  return static_cast<std::uint16_t>(kLetterScanCodes[(cp | 0x20) - 'a'] << 8);
}

}  // namespace

// A control sequence read once: "ESC [", an optional private marker
// ("<", "=", ">", "?"), parameters separated by ";" with sub-parameters
// separated by ":", and the final byte.
struct KeyDecoder::Sequence {
  char marker = 0;
  std::vector<std::vector<int>> params;
  char final = 0;
  bool hasIntermediate = false;

  // Parameter i's sub-parameter j; fallback when absent or empty.
  int Param(std::size_t i, std::size_t j = 0, int fallback = 0) const {
    if (i >= params.size() || j >= params[i].size() || params[i][j] < 0) return fallback;
    return params[i][j];
  }
};

void KeyDecoder::Feed(std::string_view bytes) {
  buffer_.append(bytes);
  expired_ = false;
}

void KeyDecoder::Clear() {
  buffer_.clear();
  pasting_ = false;
  expired_ = false;
}

bool KeyDecoder::Next(InputEvent& event) {
  while (!buffer_.empty()) {
    const Step step = pasting_ ? DecodePaste(event) : DecodeOne(event);
    if (step == Step::kEvent) return true;
    if (step == Step::kIncomplete) break;
  }
  expired_ = false;
  return false;
}

bool KeyDecoder::Emit(std::uint16_t key, Modifiers mods, InputEvent& event) {
  event = InputEvent::Key(key, mods);
  modifiers_ = mods;
  return true;
}

KeyDecoder::Step KeyDecoder::DecodeOne(InputEvent& event) {
  if (buffer_[0] == kEsc) return DecodeEscape(event);
  std::size_t length = 0;
  const Step step = DecodeText(0, event, length);
  if (step != Step::kIncomplete) buffer_.erase(0, length);
  if (step == Step::kEvent) modifiers_ = event.modifiers;
  return step;
}

// One character at buffer_[at]: ASCII as it is (DEL and BS both the
// Backspace key, 8), UTF-8 turned into its code page 850 byte (a character
// with none is consumed and dropped), a byte that is not UTF-8 taken as a code
// page 850 byte.
KeyDecoder::Step KeyDecoder::DecodeText(std::size_t at, InputEvent& event, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(buffer_[at]);
  length = 1;
  if (lead < 0x80) {
    event = InputEvent::Key(lead == 0x7F ? 8 : lead);
    return Step::kEvent;
  }
  std::size_t expected = lead >= 0xF0 && lead <= 0xF4   ? 4
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                                                        : 1;
  // A lead byte whose following bytes cannot continue it is a byte of its
  // own, and those bytes start the next character; a sequence cut short is
  // waited for.
  bool continues = true;
  for (std::size_t k = at + 1; k < std::min(at + expected, buffer_.size()); ++k)
    continues = continues && (static_cast<unsigned char>(buffer_[k]) & 0xC0) == 0x80;
  if (!continues) {
    expected = 1;
  } else if (at + expected > buffer_.size()) {
    if (!expired_) return Step::kIncomplete;
    expected = 1;
  }
  const std::string converted = Utf8ToCp850(std::string_view(buffer_).substr(at, expected));
  if (converted.empty()) {
    length = expected;
    return Step::kConsumed;
  }
  if (converted.size() == expected) expected = 1;  // not UTF-8: the lead byte alone
  length = expected;
  event = InputEvent::Key(static_cast<unsigned char>(converted[0]));
  return Step::kEvent;
}

KeyDecoder::Step KeyDecoder::DecodeEscape(InputEvent& event) {
  if (buffer_.size() == 1) {
    if (!expired_) return Step::kIncomplete;
    buffer_.clear();
    Emit(27, {}, event);
    return Step::kEvent;
  }
  for (const TextKey& literal : kLiteralKeys) {
    if (buffer_.starts_with(literal.sequence)) {
      buffer_.erase(0, literal.sequence.size());
      Emit(literal.key, {}, event);
      return Step::kEvent;
    }
    if (!expired_ && literal.sequence.starts_with(buffer_)) return Step::kIncomplete;
  }
  Step step = Step::kIncomplete;
  bool complete = expired_;
  switch (buffer_[1]) {
    case '[':
      step = buffer_.size() > 2 && buffer_[2] == 'M' ? DecodeX10Mouse(event) : DecodeCsi(event);
      break;
    case 'O':
      step = DecodeSs3(event);
      break;
    case 'P':
    case ']':
    case '_':
    case '^':
    case 'X':
      step = DecodeString();
      break;
    case kEsc:  // Esc, then whatever the second ESC starts
      buffer_.erase(0, 1);
      Emit(27, {}, event);
      return Step::kEvent;
    default:
      complete = true;  // ESC + character is complete as it stands
      break;
  }
  if (step != Step::kIncomplete || !complete) return step;

  // ESC + character: Alt with that character, a letter giving its key's scan
  // code.
  std::size_t length = 0;
  const Step text = DecodeText(1, event, length);
  if (text == Step::kIncomplete) return text;
  buffer_.erase(0, 1 + length);
  if (text == Step::kConsumed) return text;
  Modifiers alt;
  alt.leftAlt = true;
  const std::uint16_t key = event.key;
  Emit(IsLetter(key) ? AltLetter(key) : key, alt, event);
  return Step::kEvent;
}

// A device control, operating system command or other string the terminal
// sent, up to BEL or ST: consumed unread.
KeyDecoder::Step KeyDecoder::DecodeString() {
  for (std::size_t i = 2; i < buffer_.size(); ++i) {
    if (buffer_[i] == '\a' ||
        (buffer_[i] == kEsc && i + 1 < buffer_.size() && buffer_[i + 1] == '\\')) {
      buffer_.erase(0, buffer_[i] == '\a' ? i + 1 : i + 2);
      return Step::kConsumed;
    }
  }
  if (buffer_.size() > kLongestSequence * 16) {
    buffer_.clear();
    return Step::kConsumed;
  }
  return Step::kIncomplete;
}

KeyDecoder::Step KeyDecoder::DecodeSs3(InputEvent& event) {
  std::size_t i = 2;
  int m = 0;
  for (; i < buffer_.size() && buffer_[i] >= '0' && buffer_[i] <= '9'; ++i) {
    if (m < 100000) m = m * 10 + (buffer_[i] - '0');
  }
  if (i >= buffer_.size()) {
    if (buffer_.size() <= kLongestSequence) return Step::kIncomplete;
    buffer_.clear();
    return Step::kConsumed;
  }
  if (i == 2) m = 1;
  const char final = buffer_[i];
  buffer_.erase(0, i + 1);
  for (const FinalKey& entry : kFinalKeys) {
    if (entry.final != final) continue;
    Emit(entry.key, ModifiersOf(m, held_), event);
    return Step::kEvent;
  }
  return Step::kConsumed;
}

KeyDecoder::Step KeyDecoder::DecodeCsi(InputEvent& event) {
  Sequence seq;
  std::size_t i = 2;
  if (i < buffer_.size() && buffer_[i] >= '<' && buffer_[i] <= '?') seq.marker = buffer_[i++];
  seq.params.emplace_back();
  int* value = nullptr;
  for (; i < buffer_.size(); ++i) {
    const char ch = buffer_[i];
    if (ch >= '0' && ch <= '9') {
      if (value == nullptr) {
        seq.params.back().push_back(0);
        value = &seq.params.back().back();
      }
      if (*value < 100000) *value = *value * 10 + (ch - '0');
    } else if (ch == ';' || ch == ':') {
      if (value == nullptr) seq.params.back().push_back(-1);
      if (ch == ';') seq.params.emplace_back();
      value = nullptr;
    } else if (ch >= 0x20 && ch <= 0x2F) {
      seq.hasIntermediate = true;
    } else {
      break;
    }
  }
  if (i >= buffer_.size()) {
    if (buffer_.size() > kLongestSequence) buffer_.clear();
    return buffer_.empty() ? Step::kConsumed : Step::kIncomplete;
  }
  const char final = buffer_[i];
  if (final < 0x40 || final > 0x7E) {  // broken off by another byte: dropped up to it
    buffer_.erase(0, i);
    return Step::kConsumed;
  }
  buffer_.erase(0, i + 1);
  seq.final = final;
  return CsiEvent(seq, event) ? Step::kEvent : Step::kConsumed;
}

bool KeyDecoder::CsiEvent(const Sequence& seq, InputEvent& event) {
  if (seq.hasIntermediate) return false;
  if (seq.marker == '<') return SgrMouse(seq, event);
  if (seq.marker == '?') {
    // Replies to the start-up queries.
    if (seq.final == 'u') kittyAnswered_ = true;
    if (seq.final == 'c') attributesAnswered_ = true;
    return false;
  }
  if (seq.marker != 0) return false;
  if (seq.Param(1, 1, 1) == 3) {  // a key release (kitty protocol)
    return seq.final == 'u' && KittyKey(seq, event);
  }
  const Modifiers mods = ModifiersOf(seq.Param(1, 0, 1), held_);
  if (seq.final == 'u') return KittyKey(seq, event);
  if (seq.final == '~') {
    const int number = seq.Param(0);
    if (number == 200) pasting_ = true;
    if (number == 27) {  // modifyOtherKeys: CSI 27 ; m ; k ~
      Sequence asKitty;
      asKitty.params = {{seq.Param(2)}, {seq.Param(1, 0, 1)}};
      asKitty.final = 'u';
      return KittyKey(asKitty, event);
    }
    for (const NumberKey& entry : kTildeKeys) {
      if (entry.number == number) return Emit(entry.key, mods, event);
    }
    return false;
  }
  for (const FinalKey& entry : kFinalKeys) {
    if (entry.final != seq.final) continue;
    Modifiers keyMods = mods;
    if (entry.key == kShiftTab) keyMods.shift = true;
    return Emit(entry.key, keyMods, event);
  }
  return false;
}

// CSI code[:shifted] ; modifiers[:event] ; text u — the kitty keyboard
// protocol, also used for modifyOtherKeys' CSI 27 ; m ; code ~.
bool KeyDecoder::KittyKey(const Sequence& seq, InputEvent& event) {
  const int code = seq.Param(0);
  const bool release = seq.Param(1, 1, 1) == 3;
  bool* heldKey = nullptr;
  switch (code) {
    case kKittyLeftShift:
    case kKittyRightShift:
      heldKey = &held_.shift;
      break;
    case kKittyLeftControl:
      heldKey = &held_.leftCtrl;
      break;
    case kKittyRightControl:
      heldKey = &held_.rightCtrl;
      break;
    case kKittyLeftAlt:
      heldKey = &held_.leftAlt;
      break;
    case kKittyRightAlt:
      heldKey = &held_.rightAlt;
      break;
    default:
      break;
  }
  if (heldKey != nullptr) {
    *heldKey = !release;
    modifiers_ = held_;
    return false;
  }
  if (release) return false;

  const Modifiers mods = ModifiersOf(seq.Param(1, 0, 1), held_);
  if (code >= kKittyKeypad0 && code < kKittyKeypad0 + 10) {
    if (mods.alt()) return Emit(kKeypadDigitKeys[code - kKittyKeypad0], mods, event);
    return Emit(static_cast<std::uint16_t>('0' + code - kKittyKeypad0), mods, event);
  }
  if (code >= kKittyKeypadDecimal && code <= kKittyKeypadEqual)
    return Emit(static_cast<unsigned char>(kKeypadCharacters[code - kKittyKeypadDecimal]), mods,
                event);
  if (code >= kKittyKeypadLeft && code < kKittyKeypadLeft + 11)
    return Emit(kKeypadMoveKeys[code - kKittyKeypadLeft], mods, event);
  // Other keys outside Unicode (lock keys, media keys, F13 and up) are none
  // of the program's.
  if (code <= 0 || code > 0x10FFFF || (code >= 0xE000 && code <= 0xF8FF)) return false;

  switch (code) {
    case 27:
    case 13:
      return Emit(static_cast<std::uint16_t>(code), mods, event);
    case 9:
      return Emit(mods.shift ? kShiftTab : 9, mods, event);
    case 8:
    case 127:
      return Emit(8, mods, event);
    default:
      break;
  }
  char32_t cp = static_cast<char32_t>(code);
  if (mods.ctrl() && !mods.alt() && IsLetter(cp)) return Emit((cp | 0x20) - 'a' + 1, mods, event);
  if (mods.alt() && IsLetter(cp)) return Emit(AltLetter(cp), mods, event);
  if (seq.Param(2) > 0) {
    cp = static_cast<char32_t>(seq.Param(2));  // the text the key typed
  } else if (mods.shift) {
    if (seq.Param(0, 1) > 0)
      cp = static_cast<char32_t>(seq.Param(0, 1));  // the shifted key
    else if (cp >= 'a' && cp <= 'z')
      cp -= 0x20;
  }
  const int byte = UnicodeToCp850(cp);
  if (byte <= 0 || byte > 255) return false;
  return Emit(static_cast<std::uint16_t>(byte), mods, event);
}

// CSI < b ; column ; row M (press or move) or m (release).
bool KeyDecoder::SgrMouse(const Sequence& seq, InputEvent& event) {
  if (seq.final != 'M' && seq.final != 'm') return false;
  return MouseEvent(seq.Param(0), seq.Param(1), seq.Param(2), seq.final == 'm', event);
}

// ESC [ M b column row, each byte 32 more than its value.
KeyDecoder::Step KeyDecoder::DecodeX10Mouse(InputEvent& event) {
  if (buffer_.size() < 6) return Step::kIncomplete;
  const int code = static_cast<unsigned char>(buffer_[3]) - 32;
  const int column = static_cast<unsigned char>(buffer_[4]) - 32;
  const int row = static_cast<unsigned char>(buffer_[5]) - 32;
  buffer_.erase(0, 6);
  const bool release = (code & 3) == 3 && (code & 32) == 0;
  return MouseEvent(code, column, row, release, event) ? Step::kEvent : Step::kConsumed;
}

// The button code b: low two bits the button (0 left, 1 middle, 2 right,
// 3 none), 4 Shift, 8 Alt, 16 Ctrl, 32 movement, 64 the wheel.  Only the left
// and right buttons are reported; the wheel and the middle button are not.
bool KeyDecoder::MouseEvent(int code, int column, int row, bool release, InputEvent& event) {
  if (code < 0 || (code & 64) || column < 1 || row < 1) return false;
  Modifiers mods;
  mods.shift = code & 4;
  mods.leftAlt = code & 8;
  mods.leftCtrl = code & 16;
  const int low = code & 3;
  int button = low == 0 ? 1 : low == 2 ? 2 : 0;
  if (low == 1) return false;
  MouseAction action = MouseAction::kPress;
  if (code & 32) {
    action = MouseAction::kMove;
  } else if (release) {
    action = MouseAction::kRelease;
    if (low == 3) button = pressedButton_;  // X10 does not say which one
    if (button == 0) return false;
    pressedButton_ = 0;
  } else {
    pressedButton_ = button;
  }
  event = InputEvent::Mouse(action, button, row, column, mods);
  modifiers_ = mods;
  return true;
}

// Inside bracketed paste: the text arrives as typed characters; line ends
// become Enter (CR LF counts once), Tab stays, and other control bytes are
// dropped, so that pasted text can never act as a command key.
KeyDecoder::Step KeyDecoder::DecodePaste(InputEvent& event) {
  if (buffer_.starts_with(kPasteEnd)) {
    buffer_.erase(0, kPasteEnd.size());
    pasting_ = false;
    return Step::kConsumed;
  }
  if (kPasteEnd.starts_with(buffer_)) return Step::kIncomplete;
  const char first = buffer_[0];
  if (first == '\r' || first == '\n') {
    if (first == '\r' && buffer_.size() == 1 && !expired_) return Step::kIncomplete;
    buffer_.erase(0, first == '\r' && buffer_.size() > 1 && buffer_[1] == '\n' ? 2 : 1);
    Emit(13, {}, event);
    return Step::kEvent;
  }
  if (static_cast<unsigned char>(first) < 32 && first != '\t' && first != kEsc) {
    buffer_.erase(0, 1);
    return Step::kConsumed;
  }
  if (first == kEsc || first == 0x7F) {  // an escape that does not end the paste
    buffer_.erase(0, 1);
    return Step::kConsumed;
  }
  const bool wasExpired = expired_;
  expired_ = false;  // a paste is never cut short by a pause
  std::size_t length = 0;
  const Step step = DecodeText(0, event, length);
  expired_ = wasExpired;
  if (step == Step::kIncomplete) return step;
  buffer_.erase(0, length);
  if (step == Step::kEvent) modifiers_ = event.modifiers;
  return step;
}

int EscapeDelayMilliseconds(const char* setting) {
  if (setting == nullptr || *setting == '\0') return 25;
  char* end = nullptr;
  const long value = std::strtol(setting, &end, 10);
  if (*end != '\0' || value < 0 || value > 2000) return 25;
  return static_cast<int>(value);
}
