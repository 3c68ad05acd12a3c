#include "editing/keyboard.h"

#include <optional>
#include <utility>

#include "platform/host.h"

std::string TypeAheadBuffer;

namespace {

enum class MouseState { kUndetermined, kAbsent, kReportingOff, kReportingOn };

struct PopUp {
  PopUpHook hook;
  bool open = false;
};

PopUp calculator;
PopUp calendar;
MouseState mouseState = MouseState::kUndetermined;
// An event polled after the left Alt key was let go, which ended a keypad
// number entry: it is read after the entry's character.
std::optional<InputEvent> heldEvent;

// How long a wait for input sleeps on the console before polling again; the
// console returns sooner when input arrives.
constexpr int kWaitMilliseconds = 100;

// The digit that a keypad key stands for while Alt is held, or -1.
int KeypadDigit(const InputEvent& event) {
  if (event.type != InputEvent::Type::kKey) return -1;
  switch (static_cast<KeyCode>(event.key)) {
    case kKeyInsert:
      return 0;
    case kKeyEnd:
      return 1;
    case kKeyDown:
      return 2;
    case kKeyPgDn:
      return 3;
    case kKeyLeft:
      return 4;
    case kKeyPad5:
      return 5;
    case kKeyRight:
      return 6;
    case kKeyHome:
      return 7;
    case kKeyUp:
      return 8;
    case kKeyPgUp:
      return 9;
    default:
      return -1;
  }
}

// Polls one event (the held one first); an empty poll leaves the event
// empty.
InputEvent Poll() {
  InputEvent event;
  if (heldEvent) {
    event = *heldEvent;
    heldEvent.reset();
  } else if (!console().PollEvent(event)) {
    event = InputEvent{};
  }
  return event;
}

// Alt + keypad digits: while the left Alt key is down, keypad keys add
// digits and the next event is polled (waiting through empty polls).  The
// entry gives the character of the number, modulo 256; a number that is a
// multiple of 256 gives no key at all.  An event that ends the entry with
// Alt still down is taken by it.  An event without Alt shows that Alt was let
// go before it (a terminal that does not report the Alt key itself): it is
// kept for the next read.
InputEvent KeypadNumberEntry(InputEvent event) {
  bool anyDigit = false;
  int number = 0;
  while (console().modifiers().leftAlt) {
    if (event.type == InputEvent::Type::kNone) {
      if (!anyDigit) break;  // an empty poll outside an entry returns at once
      console().WaitForInput(kWaitMilliseconds);
      event = Poll();
      continue;
    }
    const int digit = KeypadDigit(event);
    if (digit < 0) break;
    anyDigit = true;
    number = (number * 10 + digit) % 256;  // the remainder is all that counts
    event = Poll();
  }
  if (!anyDigit) return event;
  if (event.type != InputEvent::Type::kNone && !event.modifiers.leftAlt) heldEvent = event;
  if (number == 0) return InputEvent{};
  return InputEvent::Key(static_cast<std::uint16_t>(number), console().modifiers());
}

// The key's code with the reader's own codes for Alt+E and for the modifiers
// with the function keys and Ctrl with Home, Left and Right.
int KeyWithModifiers(KeyCode code, const Modifiers& mods) {
  const bool functionKey = code >= kKeyF1 && code <= kKeyF10;
  if (code == kKeyAltE) return kKeyEuro;
  if (mods.alt()) return functionKey ? code + (kKeyAltF1 - kKeyF1) : code;
  if (mods.ctrl()) {
    if (functionKey) return code + (kKeyCtrlF1 - kKeyF1);
    if (code == kKeyHome) return kKeyCtrlHome;
    if (code == kKeyRight) return kKeyCtrlRight;
    if (code == kKeyLeft) return kKeyCtrlLeft;
    return code;
  }
  if (mods.shift && functionKey) return code + (kKeyShiftF1 - kKeyF1);
  return code;
}

// Runs a hot key's pop-up unless it is open already; its result replaces
// whatever was queued.
void RunPopUp(PopUp& popUp) {
  if (popUp.open) return;
  popUp.open = true;
  std::string typed = popUp.hook ? popUp.hook() : std::string();
  popUp.open = false;
  TypeAheadBuffer = std::move(typed);
}

void SetUpMouse() {
  if (mouseState == MouseState::kUndetermined) {
    mouseState = console().MousePresent() ? MouseState::kReportingOff : MouseState::kAbsent;
  }
  if (mouseState == MouseState::kReportingOff) {
    console().SetMouseReporting(true);
    mouseState = MouseState::kReportingOn;
  }
}

}  // namespace

void SetCalculatorHook(PopUpHook hook) { calculator.hook = std::move(hook); }
void SetCalendarHook(PopUpHook hook) { calendar.hook = std::move(hook); }
bool CalculatorOpen() { return calculator.open; }
bool CalendarOpen() { return calendar.open; }

void ReadKeyEvent(int& key, int& button, int& row, int& column) {
  key = button = row = column = 0;
  if (!TypeAheadBuffer.empty()) {
    key = static_cast<unsigned char>(TypeAheadBuffer.front());
    TypeAheadBuffer.erase(0, 1);
    return;
  }
  SetUpMouse();

  const InputEvent event = KeypadNumberEntry(Poll());
  // Codes from 0x8000 up would read as negative KeyCodes, which the program
  // keeps for clicks; no key of the PC keyboard has one.
  if (event.type == InputEvent::Type::kKey && event.key < 0x8000) {
    key = KeyWithModifiers(static_cast<KeyCode>(event.key), console().modifiers());
  }
  if (mouseState == MouseState::kReportingOn && event.type == InputEvent::Type::kMouse &&
      event.action == MouseAction::kRelease && (event.button == 1 || event.button == 2)) {
    button = event.button;
    row = event.row;
    column = event.column;
  }

  if (key == kKeyAltX) RunPopUp(calculator);
  if (key == kKeyAltC) RunPopUp(calendar);

  // Mouse events are reported only while the program is inside a read.
  if (mouseState == MouseState::kReportingOn && (key != 0 || button != 0)) {
    console().SetMouseReporting(false);
    mouseState = MouseState::kReportingOff;
  }
}

void WaitKeyEvent(int& key, int& button, int& row, int& column) {
  for (;;) {
    ReadKeyEvent(key, button, row, column);
    if (key != 0 || button != 0) return;
    console().Flush();
    console().WaitForInput(kWaitMilliseconds);
  }
}

int ReadKey() {
  int key, button, row, column;
  WaitKeyEvent(key, button, row, column);
  if (button != 0) return static_cast<KeyCode>(column * 256 + button * 64 + row);
  return key;
}

void ResetKeyboardState() {
  TypeAheadBuffer.clear();
  calculator = PopUp{};
  calendar = PopUp{};
  mouseState = MouseState::kUndetermined;
  heldEvent.reset();
}
