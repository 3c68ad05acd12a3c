// The session: the directories, menu names, output device, language, colours,
// working date and run mode that the suite set up for this terminal.  Filled
// once by EstablishSession at start-up from the environment and the files
// "Sessio.ini", "OrvoTerm.ini" and "Orvo.ini"; only read afterwards.
#ifndef STARTUP_SESSION_H_
#define STARTUP_SESSION_H_

#include <array>
#include <cstdint>
#include <string>

// One colour style: console colour numbers 0..15 (16 or more leaves that
// component as it is when the style is applied).
struct ColorPair {
  std::int16_t foreground = 0;
  std::int16_t background = 0;
  bool operator==(const ColorPair&) const = default;
};

struct Session {
  std::string rootDir;        // ZEKROOT as given (ends in "\" or is empty)
  std::string programDir;     // ZEKEXE as given
  std::string workDir;        // ends in "\" or ":" or is empty
  std::string terminalDir;    // ends in "\" or ":" or is empty
  std::string screenTitle;    // " " + "Titol" + " "
  std::string menuName;       // help topic for F1
  std::string chainMenuName;  // written back as "NomMenu" before printing
  std::string outputDevice;
  std::array<ColorPair, 5> colorPalette{};
  std::string workingDate;  // PackedDate
  std::string language;     // three characters: "CAT", "SPA", "GLG", "OCI", ...
  std::string runMode;      // "CGI", "WIN" or "DOS"
};

// The program's session.  Tests set it directly.
extern Session session;

// Fills every member of session from the host environment and the
// configuration files.  Never fails: missing values give the defaults.
void EstablishSession();

// Packs a text of decimal digits two to a character (code 128 + the pair's
// value); the result has (length + 1) / 2 characters.
std::string PackDigits(const std::string& digits);

#endif  // STARTUP_SESSION_H_
