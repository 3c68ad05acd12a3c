// The text console: a logical screen of 25 rows by 80 columns of cells
// (character byte in code page 850 + attribute), a cursor, the current colour
// and the input side (keys, mouse, modifier state).
//
// The cell buffer is the screen model and is owned by Console itself; every
// drawing operation of the program edits it.  A concrete console only shows
// the model (Flush) and supplies input: TerminalConsole renders through
// ncursesw and decodes the terminal's bytes, MemoryConsole serves scripted
// events to tests.  Coordinates are 1-based (row, column).
#ifndef PLATFORM_CONSOLE_H_
#define PLATFORM_CONSOLE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Cell {
  unsigned char ch = ' ';
  unsigned char attr = 0x07;  // background * 16 + foreground, PC colour order
  bool operator==(const Cell&) const = default;
};

enum class CursorShape { kHidden, kInsert, kOverwrite };

// Modifier state of the most recent key press or mouse event.
struct Modifiers {
  bool leftAlt = false;
  bool rightAlt = false;
  bool leftCtrl = false;
  bool rightCtrl = false;
  bool shift = false;
  bool alt() const { return leftAlt || rightAlt; }
  bool ctrl() const { return leftCtrl || rightCtrl; }
  bool operator==(const Modifiers&) const = default;
};

enum class MouseAction { kMove, kPress, kRelease, kDoubleClick };

// One polled input event.  A key carries the PC keyboard coding before the
// keyboard reader adds its modifier offsets: a character byte 1..255, or a
// scan code * 256 for a key without a character (Alt + letter gives the
// letter key's scan code).  Presses of modifier keys alone are no event, but
// they do update the console's modifier state.
struct InputEvent {
  enum class Type { kNone, kKey, kMouse };
  Type type = Type::kNone;
  std::uint16_t key = 0;
  MouseAction action = MouseAction::kMove;
  int button = 0;  // 1 left, 2 right
  int row = 0;     // 1-based screen position of a mouse event
  int column = 0;
  Modifiers modifiers;

  static InputEvent Key(std::uint16_t code, Modifiers mods = {}) {
    InputEvent e;
    e.type = Type::kKey;
    e.key = code;
    e.modifiers = mods;
    return e;
  }
  static InputEvent Mouse(MouseAction action, int button, int row, int column,
                          Modifiers mods = {}) {
    InputEvent e;
    e.type = Type::kMouse;
    e.action = action;
    e.button = button;
    e.row = row;
    e.column = column;
    e.modifiers = mods;
    return e;
  }
  bool operator==(const InputEvent&) const = default;
};

class Console {
 public:
  static constexpr int kRows = 25;
  static constexpr int kColumns = 80;

  Console();
  virtual ~Console() = default;
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // ---- The screen model --------------------------------------------------
  int Rows() const { return kRows; }
  int Columns() const { return kColumns; }

  // Places the cursor; positions off the screen are clamped onto it.
  void MoveCursor(int row, int column);
  int CursorRow() const { return cursorRow_; }
  int CursorColumn() const { return cursorColumn_; }

  void SetCursorShape(CursorShape shape);
  CursorShape cursorShape() const { return cursorShape_; }

  void SetAttribute(unsigned char attr) { attribute_ = attr; }
  unsigned char attribute() const { return attribute_; }

  // Writes bytes at the cursor in the current attribute and moves the cursor
  // past them.  Text past column 80 continues on the next row; text past the
  // last cell is dropped.  The screen never scrolls.
  void Write(std::string_view bytes);

  // The cell at (row, column); a blank grey cell for positions off the screen.
  Cell ReadCell(int row, int column) const;
  // Sets one cell without moving the cursor; positions off the screen are
  // ignored.
  void PutCell(int row, int column, Cell cell);

  // Scrolls the rectangle (inclusive, 1-based) up by count rows when count is
  // positive, down by -count rows when negative; uncovered rows are filled
  // with blanks in the current attribute.  The rectangle is clipped to the
  // screen.
  void Scroll(int top, int left, int bottom, int right, int count);

  // Fills the screen with blanks in the current attribute, cursor to 1,1.
  void Clear();

  // The characters of one row, for tests and diagnostics.
  std::string RowText(int row) const;

  // Increases with every change of cells, cursor or cursor shape.
  std::uint64_t version() const { return version_; }

  // The keyboard's Insert toggle.  The host has none, so it is kept here for
  // the whole run.
  bool insertToggle = true;

  // ---- Host services -------------------------------------------------------
  virtual void Beep() = 0;

  // Reads one pending input event without waiting; false when none.
  virtual bool PollEvent(InputEvent& event) = 0;
  // Blocks until input may be pending or the time has passed.
  virtual void WaitForInput(int milliseconds) = 0;
  // Modifier state of the most recent event.
  const Modifiers& modifiers() const { return modifiers_; }

  virtual bool MousePresent() const = 0;
  virtual void SetMouseReporting(bool on) = 0;

  // Drops keys typed ahead and not yet read.
  virtual void DiscardTypeAhead() = 0;

  // Shows the screen model on the device (a no-op where there is none).
  virtual void Flush() {}

  // Hands the device to a child process and takes it back afterwards,
  // redrawing the whole screen.
  virtual void Suspend() {}
  virtual void Resume() {}

 protected:
  Modifiers modifiers_;

 private:
  void Touch() { ++version_; }

  std::vector<Cell> cells_;
  int cursorRow_ = 1;
  int cursorColumn_ = 1;
  CursorShape cursorShape_ = CursorShape::kInsert;
  unsigned char attribute_ = 0x07;
  std::uint64_t version_ = 0;
};

#endif  // PLATFORM_CONSOLE_H_
