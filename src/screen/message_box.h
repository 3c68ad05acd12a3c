// Message boxes and text wrapping.
#ifndef SCREEN_MESSAGE_BOX_H_
#define SCREEN_MESSAGE_BOX_H_

#include <string>

// Shows the text in a framed box in reverse video near the row, centred on
// the screen; the text is replaced by its wrapped form.  Opens a window of
// the screen save stack that the caller removes with CloseWindow.  Neither
// waits nor beeps.  An empty message, or one with more lines than the screen
// has room for, is refused: no window opens, the colour style and its stack
// stay as they were, and the caller's CloseWindow that follows does nothing.
void MessageBox(int row, std::string& text);

// Breaks the text into lines of width characters (indent and alignment as
// described at the definition) and replaces it with the lines concatenated.
void WrapText(std::string& text, int indent, int width, const std::string& align);

#endif  // SCREEN_MESSAGE_BOX_H_
