// keycodes: shows what the program's keyboard reader makes of each key and
// click on this terminal (the KeyCode in hexadecimal with its name, and the
// modifier state), until Esc is pressed twice in a row.  For operators who
// want to check what their terminal delivers.
#include <cstdio>
#include <string>

#include "editing/keyboard.h"
#include "platform/codepage.h"
#include "platform/host.h"
#include "platform/terminal_console.h"
#include "platform/terminal_host.h"

namespace {

constexpr const char* kHelp =
    "Usage: keycodes [--help]\n"
    "\n"
    "Shows the key code (hexadecimal and name) and the modifier state of each\n"
    "key and mouse click, read through the same keyboard reader as expcodes.\n"
    "Press Esc twice to end.  Runs in a terminal of at least 80x25.\n"
    "\n"
    "Environment:\n"
    "  EXPCODES_ESC_DELAY  milliseconds of quiet after Esc that tell the Esc\n"
    "                      key from the start of another key's sequence\n";

constexpr int kFirstListRow = 5;

std::string Hex(int code) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(code) & 0xFFFF);
  return text;
}

// The name of a key without a character: its scan code in the high byte.
std::string ScanCodeName(int scan) {
  static const char* const kLetterRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  static const int kLetterRowStarts[] = {0x10, 0x1E, 0x2C};
  struct Range {
    int first;
    const char* prefix;
  };
  static const Range kFunctionKeys[] = {
      {0x3B, "F"}, {0x54, "Shift+F"}, {0x5E, "Ctrl+F"}, {0x68, "Alt+F"}};
  for (const Range& range : kFunctionKeys) {
    if (scan >= range.first && scan < range.first + 10) {
      return range.prefix + std::to_string(scan - range.first + 1);
    }
  }
  switch (scan) {
    case 0x0F:
      return "Shift+Tab";
    case 0x47:
      return "Home";
    case 0x48:
      return "Up";
    case 0x49:
      return "PgUp";
    case 0x4B:
      return "Left";
    case 0x4C:
      return "keypad 5";
    case 0x4D:
      return "Right";
    case 0x4F:
      return "End";
    case 0x50:
      return "Down";
    case 0x51:
      return "PgDn";
    case 0x52:
      return "Insert";
    case 0x53:
      return "Delete";
    case 0x73:
      return "Ctrl+Left";
    case 0x74:
      return "Ctrl+Right";
    case 0x77:
      return "Ctrl+Home";
    default:
      break;
  }
  for (int row = 0; row < 3; ++row) {
    const std::string letters = kLetterRows[row];
    const int offset = scan - kLetterRowStarts[row];
    if (offset >= 0 && offset < static_cast<int>(letters.size())) {
      return std::string("Alt+") + letters[offset];
    }
  }
  return "scan code " + Hex(scan).substr(4);
}

// The name of a key as the screen shows it (code page 850 text).
std::string KeyName(int key) {
  switch (key) {
    case kKeyBackspace:
      return "Backspace";
    case kKeyTab:
      return "Tab";
    case kKeyEnter:
      return "Enter";
    case kKeyEsc:
      return "Esc";
    case ' ':
      return "Space";
    case kKeyEuro:
      return "\xD5 (also Alt+E)";
    default:
      break;
  }
  if (key > 0 && key < 32) return std::string("Ctrl+") + static_cast<char>('@' + key);
  if (key > 32 && key < 256) return "'" + std::string(1, static_cast<char>(key)) + "'";
  if ((key & 0xFF) == 0) return ScanCodeName(key >> 8);
  return "?";
}

std::string ModifierText(const Modifiers& mods) {
  std::string text;
  const std::pair<bool, const char*> parts[] = {{mods.leftAlt, "LeftAlt"},
                                                {mods.rightAlt, "RightAlt"},
                                                {mods.leftCtrl, "LeftCtrl"},
                                                {mods.rightCtrl, "RightCtrl"},
                                                {mods.shift, "Shift"}};
  for (const auto& [down, name] : parts) {
    if (!down) continue;
    if (!text.empty()) text += '+';
    text += name;
  }
  return text.empty() ? "none" : text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// One line of the list: the code, what it is, the modifier state.
std::string ListLine(int code, const std::string& what, const Modifiers& mods) {
  return Padded(Hex(code), 8) + Padded(what, 29) + " " + ModifierText(mods);
}

// Writes one line of the list at its foot, scrolling the list up when full.
void AddLine(int& row, const std::string& line) {
  Console& screen = console();
  if (row > screen.Rows()) {
    screen.Scroll(kFirstListRow, 1, screen.Rows(), screen.Columns(), 1);
    row = screen.Rows();
  }
  screen.MoveCursor(row, 1);
  screen.Write(Padded(line, static_cast<std::size_t>(screen.Columns())));
  ++row;
}

void DrawHeading() {
  Console& screen = console();
  screen.SetAttribute(0x07);
  screen.Clear();
  screen.SetAttribute(0x0F);
  screen.Write("keycodes: the key codes of the keyboard reader");
  screen.SetAttribute(0x07);
  screen.MoveCursor(2, 1);
  screen.Write("Press keys or click with the mouse.  Esc twice ends.");
  screen.MoveCursor(4, 1);
  screen.SetAttribute(0x70);
  screen.Write(Padded("code    key or click                  modifiers", 80));
  screen.SetAttribute(0x07);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::string argument = argv[1];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    std::fprintf(stderr, "keycodes: unknown argument \"%s\" (see keycodes --help)\n",
                 argument.c_str());
    return 2;
  }
  if (!StandardStreamsAreTerminal()) {
    std::fputs("keycodes: standard input and output must be a terminal\n", stderr);
    return 1;
  }

  TerminalHost realHost;
  TerminalConsole& terminal = realHost.terminal;
  terminal.SetCursorShape(CursorShape::kHidden);
  DrawHeading();

  int row = kFirstListRow;
  int escapes = 0;
  while (escapes < 2) {
    int key, button, clickRow, clickColumn;
    WaitKeyEvent(key, button, clickRow, clickColumn);
    const Modifiers& mods = console().modifiers();
    if (button != 0) {
      const int code = static_cast<KeyCode>(clickColumn * 256 + button * 64 + clickRow);
      AddLine(row, ListLine(code,
                            std::string(button == 1 ? "left" : "right") + " click row " +
                                std::to_string(clickRow) + " column " + std::to_string(clickColumn),
                            mods));
      escapes = 0;
      continue;
    }
    AddLine(row, ListLine(key, KeyName(key), mods));
    escapes = key == kKeyEsc ? escapes + 1 : 0;
  }
  terminal.Restore();
  return 0;
}
