// The keyboard reader that every key wait goes through.
//
// It turns the console's input events into one 16-bit KeyCode in the coding
// of the PC keyboard (a character byte 1..255, or a scan code * 256 for a key
// without a character) and adds, on the way: the offsets for Shift, Ctrl and
// Alt with F1..F10, Alt + keypad digits for any character by its number, the
// TypeAheadBuffer of pending characters served before the console, and the
// hot keys Alt+X (calculator) and Alt+C (calendar), whose results are queued
// as typed characters.
//
// Program-wide state owned here: the TypeAheadBuffer, the pop-up guards, the
// pop-up hooks and the mouse state.  Only this reader changes the guards and
// the mouse state; anyone may queue characters in the TypeAheadBuffer.
#ifndef EDITING_KEYBOARD_H_
#define EDITING_KEYBOARD_H_

#include <cstdint>
#include <functional>
#include <string>

using KeyCode = std::int16_t;

// Key codes the program acts on.
inline constexpr KeyCode kKeyCtrlB = 2;
inline constexpr KeyCode kKeyCtrlC = 3;
inline constexpr KeyCode kKeyBackspace = 8;
inline constexpr KeyCode kKeyTab = 9;
inline constexpr KeyCode kKeyEnter = 13;
inline constexpr KeyCode kKeyCtrlV = 22;
inline constexpr KeyCode kKeyCtrlY = 25;
inline constexpr KeyCode kKeyEsc = 27;
inline constexpr KeyCode kKeyEuro = 213;  // also what Alt+E gives
inline constexpr KeyCode kKeyShiftTab = 0x0F00;
inline constexpr KeyCode kKeyAltE = 0x1200;
inline constexpr KeyCode kKeyAltF = 0x2100;
inline constexpr KeyCode kKeyAltX = 0x2D00;
inline constexpr KeyCode kKeyAltC = 0x2E00;
inline constexpr KeyCode kKeyF1 = 0x3B00;
inline constexpr KeyCode kKeyF2 = 0x3C00;
inline constexpr KeyCode kKeyF4 = 0x3E00;
inline constexpr KeyCode kKeyF10 = 0x4400;
inline constexpr KeyCode kKeyHome = 0x4700;
inline constexpr KeyCode kKeyUp = 0x4800;
inline constexpr KeyCode kKeyPgUp = 0x4900;
inline constexpr KeyCode kKeyLeft = 0x4B00;
inline constexpr KeyCode kKeyPad5 = 0x4C00;
inline constexpr KeyCode kKeyRight = 0x4D00;
inline constexpr KeyCode kKeyEnd = 0x4F00;
inline constexpr KeyCode kKeyDown = 0x5000;
inline constexpr KeyCode kKeyPgDn = 0x5100;
inline constexpr KeyCode kKeyInsert = 0x5200;
inline constexpr KeyCode kKeyDelete = 0x5300;
inline constexpr KeyCode kKeyShiftF1 = 0x5400;  // Shift+F1..F10: 0x5400..0x5D00
inline constexpr KeyCode kKeyCtrlF1 = 0x5E00;   // Ctrl+F1..F10: 0x5E00..0x6700
inline constexpr KeyCode kKeyCtrlF4 = 0x6100;
inline constexpr KeyCode kKeyAltF1 = 0x6800;  // Alt+F1..F10: 0x6800..0x7100
inline constexpr KeyCode kKeyAltF4 = 0x6B00;
inline constexpr KeyCode kKeyCtrlLeft = 0x7300;
inline constexpr KeyCode kKeyCtrlRight = 0x7400;
inline constexpr KeyCode kKeyCtrlHome = 0x7700;

// Characters waiting to be read as if typed; served before the console.
extern std::string TypeAheadBuffer;

// A pop-up opened by a hot key: runs modally and returns the text to be typed
// into whatever was waiting for the key (empty for none).
using PopUpHook = std::function<std::string()>;

// Installs the pop-ups behind Alt+X and Alt+C.  An empty hook (the state at
// start) opens nothing and types nothing.
void SetCalculatorHook(PopUpHook hook);
void SetCalendarHook(PopUpHook hook);

// True while the calculator or the calendar runs from its hot key: each
// pop-up can open the other, but not itself a second time.
bool CalculatorOpen();
bool CalendarOpen();

// One poll, never waiting (except inside an Alt + keypad number entry, which
// goes on while the left Alt key is down).  key: the KeyCode read, 0 when
// nothing was waiting or the event was no key.  button: 1 (left) or 2 (right)
// when a mouse button was released, else 0; row and column: that click's
// 1-based screen position (else 0).
void ReadKeyEvent(int& key, int& button, int& row, int& column);

// Polls with ReadKeyEvent until it yields a key or a released button, showing
// the screen and sleeping on the console between empty polls.
void WaitKeyEvent(int& key, int& button, int& row, int& column);

// Waits for a key or a click; a click is coded as
// column * 256 + button * 64 + row, in 16 bits.
int ReadKey();

// Puts the reader's state back to its state at start: empty buffer, guards
// off, no hooks, mouse undetermined (for tests).
void ResetKeyboardState();

#endif  // EDITING_KEYBOARD_H_
