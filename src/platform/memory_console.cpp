#include "platform/memory_console.h"

#include <cstdio>
#include <cstdlib>

void MemoryConsole::PushText(std::string_view text) {
  for (unsigned char ch : text) PushKey(ch);
}

void MemoryConsole::PushDiscardMark() { marks_.push_back(script_.size()); }

bool MemoryConsole::PollEvent(InputEvent& event) {
  if (script_.empty()) return false;
  event = script_.front();
  script_.pop_front();
  for (auto& mark : marks_) {
    if (mark > 0) --mark;
  }
  modifiers_ = event.modifiers;
  return true;
}

void MemoryConsole::WaitForInput(int) {
  if (!script_.empty()) return;
  if (onIdle) {
    onIdle();
    return;
  }
  std::fprintf(stderr,
               "MemoryConsole: the program waits for input and the test's "
               "script is exhausted\n");
  std::abort();
}

void MemoryConsole::DiscardTypeAhead() {
  ++discards_;
  if (marks_.empty()) {
    script_.clear();
    return;
  }
  const std::size_t upTo = marks_.front();
  marks_.pop_front();
  script_.erase(script_.begin(), script_.begin() + static_cast<long>(upTo));
  for (auto& mark : marks_) mark -= upTo;
}
