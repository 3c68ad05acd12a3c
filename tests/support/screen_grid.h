// Golden grids of the in-memory console: the characters of a rectangle as
// UTF-8 rows (so that frames read as frames), and the attributes of the same
// rectangle as one letter per cell through a legend the test gives.
#ifndef TESTS_SUPPORT_SCREEN_GRID_H_
#define TESTS_SUPPORT_SCREEN_GRID_H_

#include <map>
#include <string>
#include <vector>

#include "platform/console.h"

// Rows top..bottom, columns left..right (1-based, inclusive).
std::vector<std::string> TextGrid(const Console& console, int top, int left, int bottom, int right);

// Each cell's attribute as its letter in the legend, '?' when it has none.
std::vector<std::string> AttrGrid(const Console& console, int top, int left, int bottom, int right,
                                  const std::map<unsigned char, char>& legend);

// Every cell of the screen, character and attribute, for exact comparisons.
std::vector<Cell> AllCells(const Console& console);

// The piece repeated (a UTF-8 frame character, for instance).
std::string Repeat(const std::string& piece, int times);

#endif  // TESTS_SUPPORT_SCREEN_GRID_H_
