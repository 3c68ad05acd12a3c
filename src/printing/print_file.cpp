#include "printing/print_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "platform/paths.h"
#include "startup/session.h"

PrintState printState;

namespace {

// The open print file and the lines not yet handed to it.  Lines are
// gathered and written in large pieces: a listing has tens of thousands.
int printDescriptor = -1;
std::string pending;
int printError = 0;
constexpr std::size_t kFlushSize = 64 * 1024;

void Flush() {
  std::size_t done = 0;
  while (printDescriptor >= 0 && printError == 0 && done < pending.size()) {
    const ssize_t written = ::write(printDescriptor, pending.data() + done, pending.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      printError = written < 0 ? errno : EIO;
      break;
    }
    done += static_cast<std::size_t>(written);
  }
  pending.clear();
}

void WriteLine(const std::string& line) {
  if (printDescriptor < 0) return;
  pending += line;
  pending += "\r\n";
  if (pending.size() >= kFlushSize) Flush();
}

// A number as the print file writes it: sign position, digits, a space.
std::string NumberText(long value) {
  std::string text = value < 0 ? "-" : " ";
  text += std::to_string(std::labs(value));
  return text + " ";
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The "N" form: the number after the letter (its absolute value) and the
// text between the first two backslashes of the mode as given.
std::string NumberedJustify(const std::string& mode, const std::string& trimmed) {
  std::size_t at = 1;
  while (at < trimmed.size() && trimmed[at] == ' ') ++at;
  if (at < trimmed.size() && (trimmed[at] == '-' || trimmed[at] == '+')) ++at;
  long number = 0;
  for (; at < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[at])); ++at) {
    number = std::min(number * 10 + (trimmed[at] - '0'), 999999999L);
  }
  // The number's trailing space is the one that separates it from the text.
  std::string text = NumberText(number);
  const std::size_t open = mode.find('\\');
  if (open != std::string::npos) {
    const std::size_t close = mode.find('\\', open + 1);
    text += mode.substr(open, close == std::string::npos ? std::string::npos : close - open + 1);
  }
  return "N" + text;
}

}  // namespace

int OpenPrintFile(const std::string& device) {
  ResetPrintState();
  const std::string path = HostPath(session.workDir + "vuzovara.tmp");
  printDescriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (printDescriptor < 0) {
    printError = errno;
    return printError;
  }
  printState.printFile = 1;
  WriteLine("DEVICE" + device);
  return 0;
}

void NewPrintPage(std::int16_t pageLength) {
  WriteLine("PAGE" + NumberText(pageLength));
  printState.pageLength = pageLength;
  printState.linesOnPage = 0;
  printState.printColumn = 0;
}

void PrintControl(const std::string& text) { WriteLine("*" + text); }

void SetPrintJustify(std::string& mode) {
  const std::string trimmed = Trimmed(mode);
  const char letter = trimmed.empty()
                          ? ' '
                          : static_cast<char>(std::toupper(static_cast<unsigned char>(trimmed[0])));
  switch (letter) {
    case 'C':
      mode = "C";
      break;
    case 'D':
    case 'R':
      mode = "D";
      break;
    case 'A':
    case 'B':
      mode = "A";
      break;
    case 'N':
      mode = NumberedJustify(mode, trimmed);
      break;
    default:
      mode = "E";
      break;
  }
  WriteLine("JUS" + mode);
}

void PrintText(std::int16_t column, const std::string& text, std::int16_t lineFeeds) {
  std::string printable = text;
  for (char& ch : printable) {
    const unsigned char byte = static_cast<unsigned char>(ch);
    if (byte < 32 || byte == 127 || byte == 255) ch = ' ';
  }
  if (printState.linesOnPage >= printState.pageLength) NewPrintPage(printState.pageLength);
  WriteLine(NumberText(column) + "," + printable + "," + NumberText(lineFeeds));
  if (lineFeeds != 0) {
    printState.linesOnPage = static_cast<std::int16_t>(printState.linesOnPage + lineFeeds);
    printState.printColumn = 0;
  } else {
    if (column != 0) printState.printColumn = column;
    printState.printColumn = static_cast<std::int16_t>(printState.printColumn + printable.size());
  }
}

int ClosePrintFile() {
  Flush();
  if (printDescriptor >= 0 && ::close(printDescriptor) != 0 && printError == 0) printError = errno;
  printDescriptor = -1;
  printState.printFile = 0;
  return printError;
}

void ResetPrintState() {
  if (printDescriptor >= 0) ::close(printDescriptor);
  printDescriptor = -1;
  pending.clear();
  printError = 0;
  printState = PrintState{};
}
