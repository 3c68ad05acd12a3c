// Numbers through edit masks: one mask character per output position; digit
// positions ("9", "Z"/"z", "*"), the decimal point ".", thousands separators
// "," and sign positions ("-", "+") are replaced, everything else is copied.
// The decimal and thousands characters are the installation's, read once
// from "Orvo.ini" in the root directory (section "Usuari", "DecCaracter" and
// "MilCaracter") on the first call and kept for the run.
#ifndef PRINTING_NUMBER_FORMAT_H_
#define PRINTING_NUMBER_FORMAT_H_

#include <string>

// The separators in use; a character of code 0 is not loaded yet.  Only
// FormatNumber sets them; tests set them or put them back to 0.
struct NumberSeparators {
  char decimal = 0;    // "'" when the installation names none
  char thousands = 0;  // "." when the installation names none
};
extern NumberSeparators numberSeparators;

// The value through the mask: a text as long as the mask.  A number whose
// digits do not fit comes out in plain form (sign, digits, decimal
// character, right-aligned or cut to the mask's length), and as a row of "!"
// when not even its integer digits fit.
std::string FormatNumber(const std::string& mask, double value);

#endif  // PRINTING_NUMBER_FORMAT_H_
