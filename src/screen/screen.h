// Colours and window-relative drawing on the console: the five colour
// styles chosen by letters with a stack of saved styles, the CurrentWindow
// that the screen save stack maintains, cursor placement relative to it,
// window frames, scrolling and the screen size.
#ifndef SCREEN_SCREEN_H_
#define SCREEN_SCREEN_H_

#include <cstdint>
#include <string>

// The innermost window opened on the screen save stack; only the save stack
// changes it.  While depth is 0 the box is ignored.
struct CurrentWindowState {
  std::int16_t depth = 0;
  std::int16_t top = 0;
  std::int16_t left = 0;
  std::int16_t bottom = 0;
  std::int16_t right = 0;
};
extern CurrentWindowState CurrentWindow;

// The current colour style (0..4) and the stack of saved styles, one byte a
// style.
extern std::int16_t currentColorStyle;
extern std::string ColorStack;

void SetColor(const std::string& spec);
std::int16_t ScreenRows();
std::int16_t ScreenColumns();
void LocateInWindow(int row, int column);
std::int16_t FirstRow();
std::int16_t FirstColumn();
std::int16_t LastColumn();
void DrawFrame(int style);
void ScrollRegion(int top, int left, int bottom, int right, int count);

// Puts the colour styles, the stack and the CurrentWindow back to their
// state at start (for tests).
void ResetScreenState();

#endif  // SCREEN_SCREEN_H_
