// The keyboard reader that every key wait goes through.
#ifndef EDITING_KEYBOARD_H_
#define EDITING_KEYBOARD_H_

#include <cstdint>
#include <functional>
#include <string>

using KeyCode = std::int16_t;

// One poll: key (0 when nothing was waiting), button 1 or 2 when a mouse
// button was released (else 0) with the click's row and column.
void ReadKeyEvent(int& key, int& button, int& row, int& column);

// Waits for a key or a click; a click is column * 256 + button * 64 + row.
int ReadKey();

#endif  // EDITING_KEYBOARD_H_
