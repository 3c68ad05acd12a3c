#include "screen/help.h"

#include <fstream>
#include <utility>

#include "platform/host.h"
#include "platform/paths.h"
#include "screen/screen.h"
#include "screen/window_stack.h"
#include "startup/session.h"

namespace {

constexpr int kKeyF1 = 0x3B00;
constexpr int kKeyHome = 0x4700;
constexpr int kKeyUp = 0x4800;
constexpr int kKeyPgUp = 0x4900;
constexpr int kKeyEnd = 0x4F00;
constexpr int kKeyDown = 0x5000;
constexpr int kKeyPgDn = 0x5100;
constexpr int kKeyEsc = 27;

constexpr char kHighlight = 30;
constexpr char kUnderline = 31;
constexpr char kReverse = 16;
constexpr int kShownCharacters = 76;

// Waits for a key on the console: mouse events are passed over.
int PollConsoleKey() {
  for (;;) {
    InputEvent event;
    while (console().PollEvent(event)) {
      if (event.type == InputEvent::Type::kKey) return event.key;
    }
    console().Flush();
    console().WaitForInput(50);
  }
}

std::function<int()>& KeyReader() {
  static std::function<int()> reader;
  return reader;
}

int ReadHelpKey() { return KeyReader() ? KeyReader()() : PollConsoleKey(); }

// The help file as fixed records of one screen line each.
class HelpFile {
 public:
  HelpFile(const std::string& topic, int recordLength)
      : in_(HostPath("AJUDA\\" + topic + ".HLP"), std::ios::binary), recordLength_(recordLength) {
    if (in_) {
      in_.seekg(0, std::ios::end);
      size_ = static_cast<long long>(in_.tellg());
      if (size_ < 0) size_ = 0;
    }
  }

  // The number of lines: the size in records, rounded to the nearest whole
  // number (half to even).
  int Lines() const {
    const long long whole = size_ / recordLength_;
    const long long rest = size_ % recordLength_;
    const bool up = 2 * rest > recordLength_ || (2 * rest == recordLength_ && whole % 2 == 1);
    return static_cast<int>(whole + (up ? 1 : 0));
  }

  // Line k (1-based); only the bytes the file holds, so a line past its end,
  // or of a missing file, is empty.
  std::string Line(int k) {
    const long long start = static_cast<long long>(k - 1) * recordLength_;
    if (k < 1 || start >= size_) return "";
    std::string bytes(static_cast<std::size_t>(std::min<long long>(recordLength_, size_ - start)),
                      '\0');
    in_.clear();
    in_.seekg(start);
    in_.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in_.gcount()));
    return bytes;
  }

 private:
  std::ifstream in_;
  int recordLength_;
  long long size_ = 0;
};

class HelpViewer {
 public:
  explicit HelpViewer(const std::string& topic)
      : topic_(topic), file_(topic, ScreenColumns()), lines_(file_.Lines()) {}

  void Run() {
    SetColor("+h");
    if (!OpenWindow(4, 1, ScreenRows() - 3, ScreenColumns())) {
      SetColor("-");
      return;
    }
    DrawFrame(2);
    SetColor("n");
    ShowPage(1);
    for (int key = ReadHelpKey(); key != kKeyEsc; key = ReadHelpKey()) Act(key);
    CloseWindow();
    SetColor("-");
  }

 private:
  int Page() const { return ScreenRows() - 8; }

  void Act(int key) {
    const int page = Page();
    switch (key) {
      case kKeyF1:
        if (topic_ != "MAINMENU") ShowHelp("MAINMENU");
        break;
      case kKeyDown:
        if (lines_ >= next_) {
          Scroll(1);
          ShowLine(next_, page);
          ++next_;
        }
        break;
      case kKeyUp:
        if (next_ - page > 1) {
          --next_;
          Scroll(-1);
          ShowLine(next_ - page, 1);
        }
        break;
      case kKeyPgDn:
        if (lines_ >= next_) ShowPage(lines_ < next_ + page - 1 ? lines_ - page + 1 : next_);
        break;
      case kKeyPgUp:
        if (next_ - page - 1 > 0) ShowPage(std::max(next_, 2 * page) - 2 * page + 1);
        break;
      case kKeyHome:
        if (next_ - page - 1 > 0) ShowPage(1);
        break;
      case kKeyEnd:
        if (lines_ >= next_) ShowPage(lines_ - page + 1);
        break;
      default:
        break;
    }
  }

  // Blanks the text area and shows a page from line first; the line below
  // the page comes next.
  void ShowPage(int first) {
    Scroll(Page());
    for (int row = 1; row <= Page(); ++row) ShowLine(first + row - 1, row);
    next_ = first + Page();
  }

  // Scrolls the text area, the window's inside: up for a positive count.
  void Scroll(int count) {
    const CurrentWindowState& w = CurrentWindow;
    ScrollRegion(w.top, w.left, w.bottom - 2, w.right - 2, count);
  }

  void ShowLine(int k, int row) {
    SetColor("n");
    bool highlight = false, underline = false, reverse = false;
    LocateInWindow(row, 2);
    const std::string line = file_.Line(k);
    if (line.find_first_of(std::string{kHighlight, kUnderline, kReverse}) == std::string::npos) {
      console().Write(line.substr(0, kShownCharacters));
      return;
    }
    int shown = 0;
    for (char ch : line) {
      if (ch == kHighlight) {
        highlight = !highlight;
        if (!underline) SetColor(highlight ? "h" : "n");
      } else if (ch == kUnderline) {
        underline = !underline;
        SetColor(underline ? "u" : "n");
      } else if (ch == kReverse) {
        reverse = !reverse;
        SetColor(reverse ? "r" : "n");
      } else if (++shown <= kShownCharacters) {
        console().Write(std::string(1, ch));
      }
    }
  }

  const std::string topic_;
  HelpFile file_;
  const int lines_;
  int next_ = 1;  // the line just below the last one shown
};

}  // namespace

void ShowHelp(const std::string& topic) {
  if (session.runMode == "WIN") {
    host().processes->RunAndWait(host().environment->Get("COMSPEC") + " /C HLPRUN AJUDA\\" + topic +
                                 ".HTM");
    return;
  }
  HelpViewer(topic).Run();
}

void SetHelpKeyReader(std::function<int()> reader) { KeyReader() = std::move(reader); }
