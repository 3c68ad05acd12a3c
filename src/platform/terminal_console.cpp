#include "platform/terminal_console.h"

#include <curses.h>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/codepage.h"

namespace {

// Bits of the signal handlers' state.  The handlers only set flags, write to
// the wake-up pipe and, as a last resort, restore the terminal with
// async-signal-safe calls.
volatile sig_atomic_t terminationRequested = 0;
volatile sig_atomic_t sizeChanged = 0;
int wakePipe[2] = {-1, -1};
// The bytes that give the terminal back, written by the last-resort path.
char emergencyReset[512];
std::size_t emergencyResetLength = 0;
struct termios originalModes;
bool haveOriginalModes = false;
TerminalConsole* activeConsole = nullptr;

// Seconds the program has to reach a poll after a termination signal before
// the handler gives the terminal back itself.
constexpr unsigned kTerminationGrace = 3;
// How long the start-up query and the final drain wait for the terminal.
constexpr int kReplyWaitMs = 300;

void WriteAll(int fd, const char* bytes, std::size_t length) {
  while (length > 0) {
    const ssize_t n = ::write(fd, bytes, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes += n;
    length -= static_cast<std::size_t>(n);
  }
}

void WriteRaw(const std::string& bytes) { WriteAll(STDOUT_FILENO, bytes.data(), bytes.size()); }

void EmergencyRestore() {
  WriteAll(STDOUT_FILENO, emergencyReset, emergencyResetLength);
  if (haveOriginalModes) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &originalModes);
}

void OnTerminationSignal(int) {
  if (terminationRequested) return;
  terminationRequested = 1;
  const char byte = 't';
  [[maybe_unused]] ssize_t ignored = ::write(wakePipe[1], &byte, 1);
  ::alarm(kTerminationGrace);
}

void OnGraceExpired(int) {
  EmergencyRestore();
  ::_exit(0);
}

// A fault gives the terminal back before the process ends the way the
// fault ends it (the handler is reset to the default action on entry).
void OnFault(int sig) {
  EmergencyRestore();
  ::raise(sig);
}

void OnSizeChange(int) {
  sizeChanged = 1;
  const char byte = 'w';
  [[maybe_unused]] ssize_t ignored = ::write(wakePipe[1], &byte, 1);
}

void InstallSignalHandlers() {
  if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe[0] = -1;
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = OnTerminationSignal;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &action, nullptr);
  action.sa_handler = OnGraceExpired;
  ::sigaction(SIGALRM, &action, nullptr);
  action.sa_handler = OnSizeChange;
  ::sigaction(SIGWINCH, &action, nullptr);
  action.sa_handler = OnFault;
  action.sa_flags = SA_RESETHAND;
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) ::sigaction(sig, &action, nullptr);
}

void RestoreAtExit() {
  if (activeConsole != nullptr) activeConsole->Restore();
}

// A terminfo string capability, or nullptr when the terminal has none.
const char* Capability(const char* name) {
  char* value = tigetstr(const_cast<char*>(name));
  if (value == nullptr || value == reinterpret_cast<char*>(-1) || *value == '\0') return nullptr;
  return value;
}

// Curses colour numbers of the PC colours 0-7 (blue, green, cyan, red,
// magenta, brown, grey in PC order).
constexpr std::array<short, 8> kCursesColour = {COLOR_BLACK,  COLOR_BLUE, COLOR_GREEN,
                                                COLOR_CYAN,   COLOR_RED,  COLOR_MAGENTA,
                                                COLOR_YELLOW, COLOR_WHITE};

// The locale's character type must be UTF-8 for the screen's glyphs.
void UseUtf8Locale() {
  std::setlocale(LC_ALL, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }

void DrainWakePipe() {
  char bytes[64];
  while (wakePipe[0] >= 0 && ::read(wakePipe[0], bytes, sizeof bytes) > 0) {
  }
}

}  // namespace

bool StandardStreamsAreTerminal() { return ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO); }

TerminalConsole::TerminalConsole() {
  UseUtf8Locale();
  haveOriginalModes = ::tcgetattr(STDIN_FILENO, &originalModes) == 0;
  InstallSignalHandlers();
  if (newterm(nullptr, stdout, stdin) == nullptr) {
    const char* type = std::getenv("TERM");
    std::fprintf(stderr, "expcodes: the terminal type \"%s\" is not known to this system\n",
                 type ? type : "");
    std::exit(1);
  }
  raw();
  noecho();
  nonl();
  typeahead(-1);  // pending input must never cut a repaint short
  leaveok(stdscr, FALSE);
  if (has_colors()) start_color();
  escDelay_ = EscapeDelayMilliseconds(std::getenv("EXPCODES_ESC_DELAY"));
  mousePresent_ = Capability("kmous") != nullptr;
  active_ = true;
  activeConsole = this;
  static bool registered = false;
  if (!registered) registered = std::atexit(RestoreAtExit) == 0;

  refresh();  // enter the alternate screen now, before the query's replies
  QueryKeyboardProtocol();
  StartModes();

  std::string reset = ModesOff();
  for (const char* name : {"sgr0", "cnorm", "rmcup"}) {
    if (const char* cap = Capability(name)) reset += cap;
  }
  emergencyResetLength = std::min(reset.size(), sizeof emergencyReset);
  std::memcpy(emergencyReset, reset.data(), emergencyResetLength);
  // The screen itself is shown by the first poll, once the program has set
  // up its cursor.
  tooSmall_ = LINES < kRows || COLS < kColumns;
  if (tooSmall_) DrawTooSmallNotice();
}

TerminalConsole::~TerminalConsole() {
  Restore();
  if (activeConsole == this) activeConsole = nullptr;
}

// Asks whether the terminal speaks the kitty keyboard protocol, followed by
// the device attributes query that every terminal answers: its reply ends the
// wait.  Keys typed meanwhile stay in the decoder.
void TerminalConsole::QueryKeyboardProtocol() {
  WriteRaw("\x1b[?u\x1b[c");
  const TimePoint until = Now() + std::chrono::milliseconds(kReplyWaitMs);
  while (!decoder_.attributesAnswered() && Now() < until) {
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Now()).count();
    if (::poll(&fd, 1, static_cast<int>(std::max<long>(left, 0))) <= 0) continue;
    if (!ReadAvailable()) break;
    // The replies are consumed by the decoder; keys typed meanwhile are kept
    // for the first polls.
    InputEvent event;
    while (decoder_.Next(event)) early_.push_back(event);
  }
  kitty_ = decoder_.kittyAnswered();
}

// Keyboard modes: the kitty protocol (all keys as sequences, with their
// events and text, so that Alt held alone is seen) where the terminal has
// it, else modifyOtherKeys; bracketed paste.
void TerminalConsole::StartModes() {
  WriteRaw(std::string(kitty_ ? "\x1b[>31u" : "\x1b[>4;1m") + "\x1b[?2004h");
  if (mouseOn_) WriteRaw("\x1b[?1000h\x1b[?1002h\x1b[?1006h");
}

std::string TerminalConsole::ModesOff() const {
  std::string off = "\x1b[?1006l\x1b[?1002l\x1b[?1000l\x1b[?2004l";
  off += kitty_ ? "\x1b[<u" : "\x1b[>4m";
  if (const char* resetShape = Capability("Se")) off += resetShape;
  return off;
}

void TerminalConsole::Restore() {
  if (!active_) return;
  active_ = false;
  emergencyResetLength = 0;
  if (!suspended_) {
    WriteRaw(ModesOff());
    curs_set(1);
    endwin();
  }
  suspended_ = false;
  ::alarm(0);
  DrainReplies();
  if (haveOriginalModes) ::tcsetattr(STDIN_FILENO, TCSADRAIN, &originalModes);
}

// Reads until the terminal has answered a device attributes query, so that
// no reply of the terminal is left to land on the shell's command line; then
// drops whatever is still unread.
void TerminalConsole::DrainReplies() {
  struct termios modes;
  const bool haveModes = ::tcgetattr(STDIN_FILENO, &modes) == 0;
  if (haveModes) {
    struct termios rawModes = modes;
    ::cfmakeraw(&rawModes);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &rawModes);
  }
  KeyDecoder replies;
  WriteRaw("\x1b[c");
  const TimePoint until = Now() + std::chrono::milliseconds(kReplyWaitMs);
  char bytes[512];
  while (!replies.attributesAnswered() && Now() < until) {
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    if (::poll(&fd, 1, 20) <= 0) continue;
    const ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
    if (n <= 0) break;
    replies.Feed(std::string_view(bytes, static_cast<std::size_t>(n)));
    InputEvent ignored;
    while (replies.Next(ignored)) {
    }
  }
  ::tcflush(STDIN_FILENO, TCIFLUSH);
  if (haveModes) ::tcsetattr(STDIN_FILENO, TCSANOW, &modes);
}

// Takes every byte the terminal has sent; false when the terminal is gone.
bool TerminalConsole::ReadAvailable() {
  char bytes[4096];
  for (;;) {
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&fd, 1, 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return true;
    if ((fd.revents & POLLIN) == 0) return false;  // hung up
    const ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    decoder_.Feed(std::string_view(bytes, static_cast<std::size_t>(n)));
    lastInput_ = Now();
    partialExpired_ = false;
    if (static_cast<std::size_t>(n) < sizeof bytes) return true;
  }
}

void TerminalConsole::HandleSignals() {
  DrainWakePipe();
  if (sizeChanged) {
    sizeChanged = 0;
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0)
      resizeterm(size.ws_row, size.ws_col);
    CheckSize();
  }
  if (!terminationRequested) return;
  if (terminationHandler_) terminationHandler_();
  Restore();
  std::exit(0);
}

void TerminalConsole::CheckSize() {
  const bool wasTooSmall = tooSmall_;
  tooSmall_ = LINES < kRows || COLS < kColumns;
  shown_.clear();  // repaint everything
  clearok(curscr, TRUE);
  if (tooSmall_) DrawTooSmallNotice();
  if (wasTooSmall || !tooSmall_) Flush();
}

void TerminalConsole::DrawTooSmallNotice() {
  curs_set(0);
  attrset(A_NORMAL);
  erase();
  const std::string notice[] = {
      "The screen needs at least 80 columns and 25 rows.",
      "This terminal has " + std::to_string(COLS) + " columns and " + std::to_string(LINES) +
          " rows.",
      "Please enlarge it to go on.",
  };
  int row = std::max(0, LINES / 2 - 1);
  for (const std::string& line : notice) {
    const int column = std::max(0, (COLS - static_cast<int>(line.size())) / 2);
    mvaddnstr(row++, column, line.c_str(), std::max(0, COLS - column));
  }
  refresh();
}

short TerminalConsole::PairFor(unsigned char attr, unsigned& extra) {
  extra = A_NORMAL;
  const int fg = attr & 15;
  const int bg = attr >> 4;
  if (!has_colors()) {
    if (bg != 0) extra |= A_REVERSE;
    if (fg >= 8) extra |= A_BOLD;
    return 0;
  }
  const bool sixteen = COLORS >= 16 && COLOR_PAIRS > 256;
  short pair;
  short cfg = kCursesColour[fg & 7];
  short cbg = kCursesColour[bg & 7];
  if (sixteen) {
    pair = static_cast<short>(1 + attr);
    if (fg >= 8) cfg = static_cast<short>(cfg + 8);
    if (bg >= 8) cbg = static_cast<short>(cbg + 8);
  } else {
    pair = static_cast<short>(1 + (bg & 7) * 8 + (fg & 7));
    if (fg >= 8) extra |= A_BOLD;  // bright foregrounds approximated
    if (pair >= COLOR_PAIRS) return 0;
  }
  if (pairReady_.size() <= static_cast<std::size_t>(pair)) pairReady_.resize(pair + 1, false);
  if (!pairReady_[pair]) {
    init_pair(pair, cfg, cbg);
    pairReady_[pair] = true;
  }
  return pair;
}

void TerminalConsole::Flush() {
  if (!active_ || suspended_ || tooSmall_) return;
  if (version() == shownVersion_ && !shown_.empty()) return;
  const bool all = shown_.empty();
  if (all) shown_.assign(kRows * kColumns, Cell{0, 0xFF});
  for (int row = 1; row <= kRows; ++row) {
    for (int column = 1; column <= kColumns; ++column) {
      const Cell cell = ReadCell(row, column);
      Cell& shown = shown_[(row - 1) * kColumns + (column - 1)];
      if (!all && shown == cell) continue;
      shown = cell;
      unsigned extra = 0;
      const short pair = PairFor(cell.attr, extra);
      const wchar_t text[2] = {static_cast<wchar_t>(Cp850ToUnicode(cell.ch)), L'\0'};
      cchar_t glyph;
      setcchar(&glyph, text, extra, pair, nullptr);
      mvadd_wch(row - 1, column - 1, &glyph);  // the last cell reports ERR, yet shows
    }
  }
  ShowCursor();
  refresh();
  shownVersion_ = version();
}

// Hidden, or a half block (shown as an underline, the nearest shape the
// terminal has) in insert mode and a full block in overwrite mode.
void TerminalConsole::ShowCursor() {
  const CursorShape shape = cursorShape();
  move(CursorRow() - 1, CursorColumn() - 1);
  curs_set(shape == CursorShape::kHidden ? 0 : shape == CursorShape::kInsert ? 1 : 2);
  if (shapeKnown_ && shape == shownShape_) return;
  shapeKnown_ = true;
  shownShape_ = shape;
  if (shape == CursorShape::kHidden) return;
  if (const char* setShape = Capability("Ss")) {
    refresh();
    WriteRaw(tiparm(setShape, shape == CursorShape::kInsert ? 4 : 2));
  }
}

int TerminalConsole::MillisecondsUntilEscExpires() const {
  const auto passed =
      std::chrono::duration_cast<std::chrono::milliseconds>(Now() - lastInput_).count();
  return static_cast<int>(std::max<long>(0, escDelay_ - passed));
}

bool TerminalConsole::PollEvent(InputEvent& event) {
  HandleSignals();
  Flush();
  if (tooSmall_ || suspended_) return false;
  if (!ReadAvailable()) {
    terminationRequested = 1;
    HandleSignals();
  }
  bool got = early_.empty() && decoder_.Next(event);
  if (!got && early_.empty() && decoder_.HasPartial() && !partialExpired_ &&
      MillisecondsUntilEscExpires() == 0) {
    decoder_.Expire();
    got = decoder_.Next(event);
    // What is still held back (the rest of a paste) waits for more input.
    partialExpired_ = !got && decoder_.HasPartial();
  }
  if (!early_.empty()) {
    event = early_.front();
    early_.pop_front();
    got = true;
  }
  modifiers_ = decoder_.modifiers();
  return got;
}

void TerminalConsole::WaitForInput(int milliseconds) {
  HandleSignals();
  Flush();
  if (decoder_.HasPartial() && !partialExpired_)
    milliseconds = std::min(milliseconds, MillisecondsUntilEscExpires());
  pollfd fds[2] = {{wakePipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  const nfds_t count = tooSmall_ || suspended_ ? 1 : 2;
  ::poll(fds, count, std::max(milliseconds, 0));
  HandleSignals();
}

void TerminalConsole::Beep() { beep(); }

void TerminalConsole::SetMouseReporting(bool on) {
  if (!mousePresent_ || on == mouseOn_) return;
  mouseOn_ = on;
  WriteRaw(on ? "\x1b[?1000h\x1b[?1002h\x1b[?1006h" : "\x1b[?1006l\x1b[?1002l\x1b[?1000l");
}

void TerminalConsole::DiscardTypeAhead() {
  ::tcflush(STDIN_FILENO, TCIFLUSH);
  ReadAvailable();
  decoder_.Clear();
  early_.clear();
}

void TerminalConsole::Suspend() {
  if (!active_ || suspended_) return;
  Flush();
  WriteRaw(ModesOff());
  curs_set(1);
  endwin();
  suspended_ = true;
}

void TerminalConsole::Resume() {
  if (!active_ || !suspended_) return;
  suspended_ = false;
  reset_prog_mode();
  shapeKnown_ = false;
  sizeChanged = 1;  // the child may have seen the terminal resized
  HandleSignals();  // repaints all, back on the alternate screen
  refresh();
  StartModes();
}
