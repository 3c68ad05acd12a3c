// The print file: "vuzovara.tmp" in the session's work directory, the
// command file that the suite's spool program reads once it is closed.  One
// command a line, CR LF, code page 850: "DEVICE" and the output device first,
// then per page "PAGE" and the page length, control texts ("*"), alignment
// ("JUS") and positioned texts (column, text, line feeds).  Numbers are
// written with a sign position and a trailing space: 66 as " 66 ".
//
// The PrintState is this file's own and changes only through these
// operations; the listing reads its counters.  One print file at a time:
// OpenPrintFile, pages, ClosePrintFile.
#ifndef PRINTING_PRINT_FILE_H_
#define PRINTING_PRINT_FILE_H_

#include <cstdint>
#include <string>

struct PrintState {
  std::int16_t printFile = 0;    // 1 while the print file is open, else 0
  std::int16_t pageLength = 0;   // lines per page, from NewPrintPage
  std::int16_t linesOnPage = 0;  // lines completed on the current page
  std::int16_t printColumn = 0;  // column reached on the line (0 at its start)
};
extern PrintState printState;

// Creates (or empties) the print file and writes the "DEVICE" line.  Returns
// 0, or the host's error number when the file cannot be created; the other
// operations then write nothing, and ClosePrintFile reports the error again.
int OpenPrintFile(const std::string& device);

// Starts a page of pageLength lines: writes "PAGE" and the length and puts
// linesOnPage and printColumn back to 0.
void NewPrintPage(std::int16_t pageLength);

// Passes a control text to the spool program unchanged ("*" and the text).
void PrintControl(const std::string& text);

// Replaces mode with its normal form and writes "JUS" and that form: "C"
// centred, "D" right ("D" or "R"), "A" justified ("A" or "B"), "N" with a
// number and a text between backslashes, "E" left for anything else.
void SetPrintJustify(std::string& mode);

// Writes text at column, followed by lineFeeds line feeds (0: the next text
// goes on the same line).  Characters 0-31, 127 and 255 become spaces.  A
// full page (linesOnPage >= pageLength) first gets a new page of the same
// length.  Afterwards printColumn is the first column after the text, or 0
// after line feeds.
void PrintText(std::int16_t column, const std::string& text, std::int16_t lineFeeds);

// Closes the print file.  Returns 0 when every line reached the file, else
// the host's error number of the first failure.
int ClosePrintFile();

// Puts the PrintState back to its state at start, closing a file left open
// (for tests).
void ResetPrintState();

#endif  // PRINTING_PRINT_FILE_H_
