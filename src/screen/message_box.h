// Message boxes and text wrapping.
#ifndef SCREEN_MESSAGE_BOX_H_
#define SCREEN_MESSAGE_BOX_H_

#include <string>

// Shows the text in a framed box in reverse video near the row, centred on
// the screen; the text is replaced by its wrapped form.  Opens a window of
// the screen save stack that the caller removes with CloseWindow.  Neither
// waits nor beeps.
void MessageBox(int row, std::string& text);

// Breaks the text into lines of width characters (indent and alignment as
// described at the definition) and replaces it with the lines concatenated.
void WrapText(std::string& text, int indent, int width, const std::string& align);

#endif  // SCREEN_MESSAGE_BOX_H_
