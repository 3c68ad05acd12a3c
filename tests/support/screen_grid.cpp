#include "support/screen_grid.h"

#include "platform/codepage.h"

std::vector<std::string> TextGrid(const Console& console, int top, int left, int bottom,
                                  int right) {
  std::vector<std::string> rows;
  for (int row = top; row <= bottom; ++row) {
    std::string bytes;
    for (int column = left; column <= right; ++column)
      bytes += static_cast<char>(console.ReadCell(row, column).ch);
    rows.push_back(Cp850ToUtf8(bytes, /*keepControls=*/false));
  }
  return rows;
}

std::vector<std::string> AttrGrid(const Console& console, int top, int left, int bottom, int right,
                                  const std::map<unsigned char, char>& legend) {
  std::vector<std::string> rows;
  for (int row = top; row <= bottom; ++row) {
    std::string letters;
    for (int column = left; column <= right; ++column) {
      const auto found = legend.find(console.ReadCell(row, column).attr);
      letters += found == legend.end() ? '?' : found->second;
    }
    rows.push_back(letters);
  }
  return rows;
}

std::vector<Cell> AllCells(const Console& console) {
  std::vector<Cell> cells;
  for (int row = 1; row <= console.Rows(); ++row)
    for (int column = 1; column <= console.Columns(); ++column)
      cells.push_back(console.ReadCell(row, column));
  return cells;
}

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}
