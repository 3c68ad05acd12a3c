// A console without a device, for tests: input events come from a script
// that the test queues, beeps are counted, and the screen model is read back
// through ReadCell and RowText.
#ifndef PLATFORM_MEMORY_CONSOLE_H_
#define PLATFORM_MEMORY_CONSOLE_H_

#include <deque>
#include <functional>
#include <string_view>

#include "platform/console.h"

class MemoryConsole : public Console {
 public:
  // Queues one event, or one key (character byte or scan code * 256).
  void Push(const InputEvent& event) { script_.push_back(event); }
  void PushKey(std::uint16_t code, Modifiers mods = {}) {
    Push(InputEvent::Key(code, mods));
  }
  // Queues each byte of text as a typed character.
  void PushText(std::string_view text);
  // Marks the end of what counts as typed ahead: DiscardTypeAhead drops the
  // events queued before the first mark (and the mark), or all of them when
  // there is none.
  void PushDiscardMark();

  std::size_t pending() const { return script_.size(); }
  int beeps() const { return beeps_; }
  int discards() const { return discards_; }
  bool mouseReporting() const { return mouseReporting_; }
  bool mousePresent = true;

  // Called when the program waits for input and the script is exhausted.
  // Without one, the test is aborted with a message: a program that waits for
  // a key the script does not hold would otherwise hang.
  std::function<void()> onIdle;

  void Beep() override { ++beeps_; }
  bool PollEvent(InputEvent& event) override;
  void WaitForInput(int milliseconds) override;
  bool MousePresent() const override { return mousePresent; }
  void SetMouseReporting(bool on) override { mouseReporting_ = on; }
  void DiscardTypeAhead() override;

 private:
  std::deque<InputEvent> script_;
  std::deque<std::size_t> marks_;  // script positions of discard marks
  int beeps_ = 0;
  int discards_ = 0;
  bool mouseReporting_ = false;
};

#endif  // PLATFORM_MEMORY_CONSOLE_H_
