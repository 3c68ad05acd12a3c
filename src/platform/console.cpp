#include "platform/console.h"

#include <algorithm>

Console::Console() : cells_(kRows * kColumns) {}

void Console::MoveCursor(int row, int column) {
  cursorRow_ = std::clamp(row, 1, kRows);
  cursorColumn_ = std::clamp(column, 1, kColumns);
  Touch();
}

void Console::SetCursorShape(CursorShape shape) {
  cursorShape_ = shape;
  Touch();
}

void Console::Write(std::string_view bytes) {
  for (unsigned char ch : bytes) {
    if (cursorRow_ > kRows) break;
    cells_[(cursorRow_ - 1) * kColumns + (cursorColumn_ - 1)] = {ch, attribute_};
    if (++cursorColumn_ > kColumns) {
      cursorColumn_ = 1;
      ++cursorRow_;
    }
  }
  if (cursorRow_ > kRows) {  // the last cell was written: stay on it
    cursorRow_ = kRows;
    cursorColumn_ = kColumns;
  }
  Touch();
}

Cell Console::ReadCell(int row, int column) const {
  if (row < 1 || row > kRows || column < 1 || column > kColumns) return Cell{};
  return cells_[(row - 1) * kColumns + (column - 1)];
}

void Console::PutCell(int row, int column, Cell cell) {
  if (row < 1 || row > kRows || column < 1 || column > kColumns) return;
  cells_[(row - 1) * kColumns + (column - 1)] = cell;
  Touch();
}

void Console::Scroll(int top, int left, int bottom, int right, int count) {
  top = std::max(top, 1);
  left = std::max(left, 1);
  bottom = std::min(bottom, kRows);
  right = std::min(right, kColumns);
  if (top > bottom || left > right || count == 0) return;
  const int height = bottom - top + 1;
  const Cell blank{' ', attribute_};
  auto at = [this](int r, int c) -> Cell& {
    return cells_[(r - 1) * kColumns + (c - 1)];
  };
  if (count > 0) {
    for (int r = top; r <= bottom; ++r)
      for (int c = left; c <= right; ++c)
        at(r, c) = (r + count <= bottom && count < height) ? at(r + count, c) : blank;
  } else {
    const int down = -count;
    for (int r = bottom; r >= top; --r)
      for (int c = left; c <= right; ++c)
        at(r, c) = (r - down >= top && down < height) ? at(r - down, c) : blank;
  }
  Touch();
}

void Console::Clear() {
  std::fill(cells_.begin(), cells_.end(), Cell{' ', attribute_});
  cursorRow_ = 1;
  cursorColumn_ = 1;
  Touch();
}

std::string Console::RowText(int row) const {
  std::string text;
  for (int c = 1; c <= kColumns; ++c) text += static_cast<char>(ReadCell(row, c).ch);
  return text;
}
