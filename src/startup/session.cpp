#include "startup/session.h"

#include <sys/stat.h>

#include "platform/host.h"
#include "platform/paths.h"
#include "startup/ini_file.h"
#include "startup/value_reader.h"

Session session;

namespace {

// The palette when the terminal file names none: white on black, light grey
// on black, then black on light grey for the other three styles.
constexpr const char* kDefaultColors = "15000700000700070007";

std::string Env(const char* name) { return host().environment->Get(name); }

// Directory texts end in a backslash (or a drive colon) so that file names
// can be appended to them as they stand.
void EndWithSeparator(std::string& dir) {
  if (!dir.empty() && dir.back() != ':' && dir.back() != '\\') dir += '\\';
}

bool IsDirectory(const std::string& suitePath) {
  struct stat st;
  return ::stat(HostPath(suitePath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A language code is always three characters: cut or padded with spaces.
std::string LanguageCode(std::string text) {
  text.resize(3, ' ');
  return text;
}

// A colour number from the two characters at a 0-based offset of the colour
// text; a missing or non-numeric pair gives 0.
std::int16_t ColorNumber(const std::string& colors, std::size_t offset) {
  if (offset >= colors.size()) return 0;
  std::string pair = colors.substr(offset, 2);
  const std::size_t first = pair.find_first_not_of(' ');
  const std::size_t last = pair.find_last_not_of(' ');
  if (first == std::string::npos) return 0;
  pair = pair.substr(first, last - first + 1);
  for (char ch : pair) {
    if (ch < '0' || ch > '9') return 0;
  }
  return static_cast<std::int16_t>(std::stoi(pair));
}

void ReadSessionFile() {
  const std::string file = session.workDir + "Sessio.ini";
  session.screenTitle = " " + ReadIniValue(file, "Menu", "Titol") + " ";
  session.menuName = ReadIniValue(file, "Menu", "NomMenu");
  session.chainMenuName = ReadIniValue(file, "Menu", "ChnMenu");
  session.terminalDir = ReadIniValue(file, "Terminal", "Dir");
  // On this host TERM names the terminal type; it is the terminal directory
  // only when a directory of that name exists.
  if (session.terminalDir.empty()) {
    const std::string term = Env("TERM");
    if (!term.empty() && IsDirectory(term)) session.terminalDir = term;
  }
  EndWithSeparator(session.terminalDir);
}

void ReadTerminalFile() {
  const std::string file = session.workDir + "OrvoTerm.ini";
  const std::int16_t selection = NumberValue(ReadIniValue(file, "Pantalla", "Seleccio"));
  std::string colors = ReadIniValue(file, "Pantalla", "Col" + std::to_string(selection));
  if (colors.empty()) colors = kDefaultColors;
  for (std::size_t i = 0; i < session.colorPalette.size(); ++i) {
    session.colorPalette[i] = {ColorNumber(colors, 4 * i), ColorNumber(colors, 4 * i + 2)};
  }
  session.workingDate = PackDigits(ReadIniValue(file, "Sistema", "Data"));
  session.outputDevice = ReadIniValue(file, "Sistema", "Sortida");
  session.language = LanguageCode(ReadIniValue(file, "Sistema", "Idioma"));
}

std::string RunMode() {
  if (!Env("HTTP_USER_AGENT").empty() || !Env("HTTP_ACCEPT").empty()) return "CGI";
  if (!Env("WINDIR").empty() || !Env("SYSTEMROOT").empty()) return "WIN";
  return "DOS";
}

}  // namespace

void EstablishSession() {
  // Texts arrive in code page 850 already: the environment service converts
  // its values, and files are read as bytes.
  session = Session{};
  session.rootDir = Env("ZEKROOT");
  session.programDir = Env("ZEKEXE");
  session.workDir = Env("ZEKTMP");
  EndWithSeparator(session.workDir);
  // "Sessio.ini" is read from the work directory as the environment gives
  // it, so with no ZEKTMP it is looked for in the current directory.
  ReadSessionFile();
  if (session.workDir.empty()) session.workDir = session.terminalDir;
  ReadTerminalFile();
  if (session.language.find_first_not_of(' ') == std::string::npos)
    session.language = LanguageCode(ReadIniValue(session.rootDir + "Orvo.ini", "Usuari", "Idioma"));
  session.runMode = RunMode();
}

std::string PackDigits(const std::string& digits) {
  const std::size_t n = digits.size();
  std::string text;
  const std::size_t first = digits.find_first_not_of(' ');
  if (first != std::string::npos)
    text = digits.substr(first, digits.find_last_not_of(' ') - first + 1);
  text.insert(0, n - text.size(), '0');
  auto digitAt = [&text](std::size_t i) {
    return i < text.size() && text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : 0;
  };
  // A space left inside counts as 0, like any other character that is not
  // a digit.
  std::string packed;
  for (std::size_t k = 0; k < (n + 1) / 2; ++k) {
    packed += static_cast<char>(128 + 10 * digitAt(2 * k) + digitAt(2 * k + 1));
  }
  return packed;
}
