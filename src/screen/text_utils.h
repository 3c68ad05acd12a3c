// Small text operations shared across the program: a test for a text made of
// one repeated character, the offset that centres a text, zero-padded
// numbers, the ValueStack on which procedures park texts and numbers, and
// the upper-casing used for comparisons, with the FoldAccents switch that
// also folds accented letters and punctuation.  Texts are code page 850.
#ifndef SCREEN_TEXT_UTILS_H_
#define SCREEN_TEXT_UTILS_H_

#include <cstdint>
#include <string>

// -1 when every character of the text has the code (an empty text too),
// else 0.
std::int16_t IsFilledWith(const std::string& text, int code);

// (width - length of the text) / 2, truncated towards zero; negative when the
// text is longer than the width.
std::int16_t CenterOffset(const std::string& text, int width);

// The value's decimal digits, without a sign, zero-padded on the left to
// width characters or cut to the last width of them.
std::string ZeroPad(double value, int width);

// Parks a text on the ValueStack; PopValue takes the last one parked back
// (the empty text when the stack is empty).  Callers push and pop in pairs.
void PushValue(const std::string& text);
std::string PopValue();
// Empties the ValueStack (for tests).
void ResetValueStack();

// Set to -1 by the field editor while it searches its choice list, so that
// UpperText also folds accented letters and punctuation; 0 otherwise.
extern std::int16_t FoldAccents;

// The text with codes 64 to 237 replaced through the upper-case table, or
// through the folding table while FoldAccents is set; same length.
std::string UpperText(const std::string& text);

#endif  // SCREEN_TEXT_UTILS_H_
