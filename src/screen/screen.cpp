#include "screen/screen.h"

#include <algorithm>
#include <string>

#include "platform/host.h"
#include "startup/session.h"

CurrentWindowState CurrentWindow;
std::int16_t currentColorStyle = 0;
std::string ColorStack;

namespace {

bool Contains(const std::string& text, char ch) { return text.find(ch) != std::string::npos; }

// A palette component of 16 or more (or a stray negative one) leaves the
// console's component as it is.
int Component(int paletteValue, int current) {
  return paletteValue >= 0 && paletteValue < 16 ? paletteValue : current;
}

}  // namespace

void SetColor(const std::string& spec) {
  std::string upper = spec;
  for (char& ch : upper) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  if (upper.find_first_not_of(' ') == std::string::npos) return;

  if (Contains(upper, '+')) ColorStack += static_cast<char>(currentColorStyle);
  std::int16_t style;
  if (Contains(upper, '-')) {
    style = 0;
    if (!ColorStack.empty()) {
      style = static_cast<unsigned char>(ColorStack.back());
      ColorStack.pop_back();
    }
  } else if (Contains(upper, 'U')) {
    style = 4;
  } else {
    style =
        static_cast<std::int16_t>((Contains(upper, 'R') ? 2 : 0) + (Contains(upper, 'N') ? 1 : 0));
  }

  const ColorPair& pair = session.colorPalette[static_cast<std::size_t>(style)];
  const int attr = console().attribute();
  const int foreground = Component(pair.foreground, attr % 16);
  const int background = Component(pair.background, attr / 16);
  console().SetAttribute(static_cast<unsigned char>(background * 16 + foreground));
  currentColorStyle = style;
}

std::int16_t ScreenRows() { return static_cast<std::int16_t>(console().Rows()); }

std::int16_t ScreenColumns() { return static_cast<std::int16_t>(console().Columns()); }

void LocateInWindow(int row, int column) {
  if (CurrentWindow.depth > 0) {
    row += CurrentWindow.top;
    column += CurrentWindow.left;
  }
  console().MoveCursor(row, column);
}

std::int16_t FirstRow() {
  return CurrentWindow.depth > 0 ? static_cast<std::int16_t>(CurrentWindow.top + 1) : 1;
}

std::int16_t FirstColumn() {
  return CurrentWindow.depth > 0 ? static_cast<std::int16_t>(CurrentWindow.left + 1) : 1;
}

std::int16_t LastColumn() {
  return CurrentWindow.depth > 0 ? static_cast<std::int16_t>(CurrentWindow.right - 1)
                                 : ScreenColumns();
}

void DrawFrame(int style) {
  if (CurrentWindow.depth <= 0) return;
  struct Glyphs {
    char topLeft, topRight, vertical, horizontal, bottomRight, bottomLeft;
  };
  Glyphs g{0, 0, 0, 0, 0, 0};
  if (style == 0) g = {' ', ' ', ' ', ' ', ' ', ' '};
  if (style == 1) g = {'\xDA', '\xBF', '\xB3', '\xC4', '\xD9', '\xC0'};
  if (style == 2) g = {'\xC9', '\xBB', '\xBA', '\xCD', '\xBC', '\xC8'};

  const CurrentWindowState& w = CurrentWindow;
  const int width = w.right - w.left + 1;
  const auto inner = static_cast<std::size_t>(std::max(width - 2, 0));
  // A box one column wide has room for one corner only: the row is cut to
  // the box so that nothing is drawn beside it.
  auto drawRow = [&](int row, char first, char fill, char last) {
    std::string text = first + std::string(inner, fill) + last;
    text.resize(static_cast<std::size_t>(std::max(width, 0)));
    console().MoveCursor(row, w.left);
    console().Write(text);
  };
  drawRow(w.top, g.topLeft, g.horizontal, g.topRight);
  for (int row = w.top + 1; row <= w.bottom - 1; ++row) drawRow(row, g.vertical, ' ', g.vertical);
  drawRow(w.bottom, g.bottomLeft, g.horizontal, g.bottomRight);
}

void ScrollRegion(int top, int left, int bottom, int right, int count) {
  console().Scroll(top + 1, left + 1, bottom + 1, right + 1,
                   count > 0 ? count : -std::max(-count, 1));
}

void ResetScreenState() {
  CurrentWindow = CurrentWindowState{};
  currentColorStyle = 0;
  ColorStack.clear();
}
