// The console on the terminal the program runs in (standard input and
// output).
//
// The screen model is shown through ncursesw in UTF-8 on the alternate
// screen; only what changed since the last showing is repainted, and a
// terminal smaller than 80x25 shows a notice instead until it is enlarged.
// Input does not go through curses: the terminal is put in raw mode and its
// bytes are decoded by KeyDecoder.  While the console is active the terminal
// is the program's: keyboard modes (kitty protocol or modifyOtherKeys,
// bracketed paste) are on, and mouse reporting is on while the program reads
// a key.  Restore gives everything back; it runs however the process ends
// (destructor, std::exit, the termination signals).
//
// One TerminalConsole at a time.
#ifndef PLATFORM_TERMINAL_CONSOLE_H_
#define PLATFORM_TERMINAL_CONSOLE_H_

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/key_decoder.h"

class TerminalConsole : public Console {
 public:
  // Takes the terminal.  Standard input and output must be a terminal
  // (StandardStreamsAreTerminal).
  TerminalConsole();
  ~TerminalConsole() override;

  void Beep() override;
  // Shows pending screen changes, then reads what the terminal sent.  Never
  // waits; a lone Esc is delivered by the first poll after the Esc pause.
  bool PollEvent(InputEvent& event) override;
  // Shows pending screen changes and blocks until the terminal sends bytes,
  // the Esc pause of a held-back Esc ends, a signal arrives or the time has
  // passed.
  void WaitForInput(int milliseconds) override;
  bool MousePresent() const override { return mousePresent_; }
  void SetMouseReporting(bool on) override;
  void DiscardTypeAhead() override;
  void Flush() override;
  void Suspend() override;
  void Resume() override;

  // Gives the terminal back: modes off, normal screen, cursor shown, cooked
  // mode, the terminal's pending replies read and dropped.  Safe to call more
  // than once.
  void Restore();

  // Called (from PollEvent or WaitForInput, not from the signal handler)
  // when the process gets SIGINT, SIGTERM or SIGHUP or the terminal goes
  // away; it should end the program in order.  Without one, the terminal is
  // restored and the process exits with status 0.  Should the program not
  // reach a poll within a few seconds, the terminal is restored and the
  // process ends from the signal handler.
  void SetTerminationHandler(std::function<void()> handler) {
    terminationHandler_ = std::move(handler);
  }

 private:
  using TimePoint = std::chrono::steady_clock::time_point;

  void StartModes();
  std::string ModesOff() const;
  void QueryKeyboardProtocol();
  bool ReadAvailable();
  void HandleSignals();
  void CheckSize();
  void DrawTooSmallNotice();
  void ShowCursor();
  short PairFor(unsigned char attr, unsigned& extra);
  int MillisecondsUntilEscExpires() const;
  void DrainReplies();

  KeyDecoder decoder_;
  std::deque<InputEvent> early_;  // keys typed while the start-up query ran
  std::function<void()> terminationHandler_;
  std::vector<Cell> shown_;  // what the terminal shows; empty: repaint all
  std::uint64_t shownVersion_ = ~0ULL;
  std::vector<bool> pairReady_;
  CursorShape shownShape_ = CursorShape::kInsert;
  bool shapeKnown_ = false;
  bool active_ = false;
  bool suspended_ = false;
  bool tooSmall_ = false;
  bool mousePresent_ = false;
  bool mouseOn_ = false;
  bool kitty_ = false;
  int escDelay_ = 25;
  TimePoint lastInput_{};
  bool partialExpired_ = false;  // the Esc pause has passed over what is held back
};

// True when standard input and standard output are both a terminal.
bool StandardStreamsAreTerminal();

#endif  // PLATFORM_TERMINAL_CONSOLE_H_
