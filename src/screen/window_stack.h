// The screen save stack behind every pop-up window, kept in WinPush.tmp in
// the session's work directory.
#ifndef SCREEN_WINDOW_STACK_H_
#define SCREEN_WINDOW_STACK_H_

// Saves the rectangle (screen coordinates, border included), the cursor and
// the previous CurrentWindow, and makes the rectangle the CurrentWindow.
void OpenWindow(int top, int left, int bottom, int right);

// Restores the most recently saved rectangle, the cursor and the previous
// CurrentWindow.
void CloseWindow();

#endif  // SCREEN_WINDOW_STACK_H_
