// The value syntax of the suite's definition files (the form definition and
// the language files): a sequence of numbers and texts separated by commas
// or line ends.  A reader walks the bytes of one whole file.
//
// - Before a value, spaces are skipped.
// - A number ends at a comma, a space or the line end; text that does not
//   begin with a number reads as 0.
// - A text that begins with a double quote runs to the next double quote,
//   across commas and line ends.
// - Any other text runs to the next comma or line end; tabs in it are
//   dropped, spaces kept.
// - After a number or a quoted text, spaces and tabs are skipped; then one
//   comma or one line end is consumed.  After an unquoted text, the comma or
//   line end that ends it is consumed.
// - A character of code 26 ends the file.
// Lines end in CR LF; LF alone and CR alone are taken as CR LF.  Reading at
// the end of the file gives the empty text or 0.
#ifndef STARTUP_VALUE_READER_H_
#define STARTUP_VALUE_READER_H_

#include <cstdint>
#include <string>
#include <string_view>

class ValueReader {
 public:
  explicit ValueReader(std::string_view bytes);

  bool AtEnd() const { return pos_ >= data_.size(); }
  std::string ReadText();
  std::int16_t ReadNumber();
  // Passes over whole lines whose first character other than spaces is an
  // apostrophe, starting with the rest of the current line, and stops at the
  // start of the first line that is not one.  An empty line is not a comment.
  void SkipCommentLines();

 private:
  void SkipSpaces();
  // Spaces and tabs, then one comma or one line end.
  void EndValue();

  std::string data_;
  std::size_t pos_ = 0;
};

// A text read as a number: leading spaces, an optional sign, digits and an
// optional decimal part; the nearest 16-bit integer (halves to even, beyond
// the range the nearest end of it).  A text that does not begin with a number
// reads as 0.
std::int16_t NumberValue(std::string_view text);

#endif  // STARTUP_VALUE_READER_H_
