// vuzovara: the reference spool program for this host.  Reads the print file
// "vuzovara.tmp" from the work directory (ZEKTMP, else the current
// directory), renders its pages as text and prints them with "lp -d DEVICE"
// when the file's device names a printer that lpstat lists; otherwise, or
// when lp fails, writes them to "vuzovara.txt" beside the print file.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/paths.h"

namespace {

constexpr int kDefaultPageLength = 66;
constexpr int kPageWidth = 96;  // the width that alignment works within

const char kUsage[] =
    "usage: vuzovara\n"
    "Prints the print file vuzovara.tmp of the work directory (ZEKTMP, else the\n"
    "current directory): with lp -d DEVICE when the file's device is a printer\n"
    "that lpstat lists, else into vuzovara.txt beside the print file.\n";

struct Page {
  int length = kDefaultPageLength;
  std::vector<std::string> lines;  // code page 850
};

// Lays the print file's positioned texts out on text pages.
class PageRenderer {
 public:
  void StartPage(int length) {
    pages_.push_back(Page{length > 0 ? length : kDefaultPageLength, {}});
    row_ = 0;
    column_ = 1;
  }

  void SetJustify(const std::string& mode) { justify_ = mode.empty() ? 'E' : mode[0]; }

  void Place(int column, const std::string& text, int lineFeeds) {
    if (pages_.empty()) StartPage(kDefaultPageLength);
    Page& page = pages_.back();
    if (page.lines.size() <= static_cast<std::size_t>(row_)) page.lines.resize(row_ + 1);
    std::string placed = text;
    const int start = Start(column == 0 ? column_ : std::max(column, 1), placed);
    std::string& line = page.lines[row_];
    if (line.size() < start - 1 + placed.size()) line.resize(start - 1 + placed.size(), ' ');
    line.replace(start - 1, placed.size(), placed);
    column_ = start + static_cast<int>(placed.size());
    if (lineFeeds > 0) {
      row_ += lineFeeds;
      column_ = 1;
    }
    justify_ = 'E';
  }

  const std::vector<Page>& pages() const { return pages_; }

 private:
  // The column where text begins under the alignment in force; "A" spreads
  // the text's words over the rest of the line.
  int Start(int column, std::string& text) const {
    const int room = kPageWidth - column + 1;
    const int length = static_cast<int>(text.size());
    if (room <= length) return column;
    switch (justify_) {
      case 'D':
        return column + room - length;
      case 'C':
        return column + (room - length) / 2;
      case 'A':
        text = Justified(text, room);
        return column;
      default:
        return column;
    }
  }

  static std::string Justified(const std::string& text, int width) {
    std::istringstream in(text);
    std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    if (words.size() < 2) return text;
    std::size_t letters = 0;
    for (const std::string& word : words) letters += word.size();
    const std::size_t gaps = words.size() - 1;
    const std::size_t blanks = static_cast<std::size_t>(width) - letters;
    std::string out = words[0];
    for (std::size_t i = 1; i < words.size(); ++i) {
      out += std::string(blanks / gaps + (i <= blanks % gaps ? 1 : 0), ' ') + words[i];
    }
    return out;
  }

  std::vector<Page> pages_;
  int row_ = 0;
  int column_ = 1;
  char justify_ = 'E';
};

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A number as the print file writes it (" 66 ", "-3 "); false when it is none.
bool ParseNumber(const std::string& text, int& value) {
  const std::string number = Trim(text);
  if (number.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(number.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || parsed < -32768 || parsed > 32767) return false;
  value = static_cast<int>(parsed);
  return true;
}

struct PrintFile {
  std::string device;
  std::vector<Page> pages;
  std::vector<std::string> errors;
};

PrintFile Render(const std::string& bytes) {
  PrintFile file;
  PageRenderer renderer;
  std::size_t start = 0;
  for (int number = 1; start < bytes.size(); ++number) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    int length = 0;
    if (line.rfind("DEVICE", 0) == 0) {
      file.device = Trim(line.substr(6));
    } else if (line.rfind("PAGE", 0) == 0 && ParseNumber(line.substr(4), length)) {
      renderer.StartPage(length);
    } else if (line.rfind("*", 0) == 0) {
      // Control texts are for printers that take them; a text page has none.
    } else if (line.rfind("JUS", 0) == 0) {
      renderer.SetJustify(line.substr(3));
    } else {
      const std::size_t first = line.find(',');
      const std::size_t last = line.rfind(',');
      int column = 0;
      int lineFeeds = 0;
      if (first == last || !ParseNumber(line.substr(0, first), column) ||
          !ParseNumber(line.substr(last + 1), lineFeeds)) {
        if (!line.empty())
          file.errors.push_back("line " + std::to_string(number) + " is not a print command");
        continue;
      }
      renderer.Place(column, line.substr(first + 1, last - first - 1), lineFeeds);
    }
  }
  file.pages = renderer.pages();
  return file;
}

// The pages as UTF-8 text: every page its full length in lines, without
// trailing blanks.
std::string PagesText(const std::vector<Page>& pages) {
  std::string text;
  for (const Page& page : pages) {
    const std::size_t count = std::max(page.lines.size(), static_cast<std::size_t>(page.length));
    for (std::size_t i = 0; i < count; ++i) {
      if (i < page.lines.size()) {
        const std::size_t end = page.lines[i].find_last_not_of(' ');
        if (end != std::string::npos) text += Cp850ToUtf8(page.lines[i].substr(0, end + 1));
      }
      text += '\n';
    }
  }
  return text;
}

// Runs a program (no shell) with input on its standard input; its standard
// output is returned in output when asked for.  Returns its exit status, or
// -1 when it could not be run.
int Run(const std::vector<std::string>& words, const std::string& input, std::string* output) {
  int toChild[2];
  int fromChild[2];
  if (::pipe2(toChild, O_CLOEXEC) != 0) return -1;
  if (::pipe2(fromChild, O_CLOEXEC) != 0) {
    ::close(toChild[0]);
    ::close(toChild[1]);
    return -1;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only what goes wrong reaches the operator: lpstat's complaints and
    // lp's request number are not shown.
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(toChild[0], 0);
    ::dup2(output ? fromChild[1] : null, 1);
    if (output) ::dup2(null, 2);
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(toChild[0]);
  ::close(fromChild[1]);
  if (pid < 0) {
    ::close(toChild[1]);
    ::close(fromChild[0]);
    return -1;
  }
  for (std::size_t done = 0; done < input.size();) {
    const ssize_t written = ::write(toChild[1], input.data() + done, input.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<std::size_t>(written);
  }
  ::close(toChild[1]);
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(fromChild[0], buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    if (output) output->append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fromChild[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) return -1;
  return WEXITSTATUS(status);
}

// Whether lpstat lists a printer of that name.
bool IsPrinter(const std::string& device) {
  if (device.empty()) return false;
  std::string listing;
  if (Run({"lpstat", "-e"}, "", &listing) != 0) return false;
  std::istringstream lines(listing);
  std::string name;
  while (std::getline(lines, name)) {
    if (Trim(name) == device) return true;
  }
  return false;
}

std::string WorkDirectory() {
  HostEnvironment environment;
  std::string dir = environment.Get("ZEKTMP");
  if (dir.empty()) return "";
  const char last = dir.back();
  if (last != '\\' && last != '/' && last != ':') dir += '\\';
  return dir;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
    std::fputs(kUsage, help ? stdout : stderr);
    return help ? 0 : 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  const std::string dir = WorkDirectory();
  const std::string printPath = HostPath(dir + "vuzovara.tmp");
  std::ifstream in(printPath, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "vuzovara: cannot read the print file %s: %s\n", printPath.c_str(),
                 std::strerror(errno));
    return 1;
  }
  const PrintFile file =
      Render(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  for (const std::string& error : file.errors) {
    std::fprintf(stderr, "vuzovara: %s: %s, left out\n", printPath.c_str(), error.c_str());
  }
  const std::string text = PagesText(file.pages);
  const std::string device = Cp850ToUtf8(file.device);

  bool failed = !file.errors.empty();
  if (IsPrinter(device)) {
    const int status = Run({"lp", "-d", device}, text, nullptr);
    if (status == 0) return failed ? 1 : 0;
    std::fprintf(stderr, "vuzovara: lp could not print to %s (status %d)\n", device.c_str(),
                 status);
    failed = true;
  }
  const std::string textPath = HostPath(dir + "vuzovara.txt");
  std::ofstream out(textPath, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "vuzovara: cannot write %s: %s\n", textPath.c_str(), std::strerror(errno));
    return 1;
  }
  if (failed) std::fprintf(stderr, "vuzovara: the listing is in %s\n", textPath.c_str());
  return failed ? 1 : 0;
}
