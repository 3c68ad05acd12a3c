#include "startup/program_run.h"

#include "platform/host.h"
#include "screen/screen.h"
#include "screen/window_stack.h"
#include "startup/session.h"

namespace {

constexpr int kEscKey = 27;

// Waits for a key or click through the console; mouse reporting is on only
// while waiting.
int WaitForKey() {
  Console& screen = console();
  screen.SetMouseReporting(true);
  InputEvent event;
  for (;;) {
    while (screen.PollEvent(event)) {
      if (event.type == InputEvent::Type::kKey) {
        screen.SetMouseReporting(false);
        return event.key;
      }
    }
    screen.WaitForInput(1000);
  }
}

}  // namespace

void RunSequence() {
  SetColor("n");
  console().Clear();
  // The form engine takes the screen here; until then the screen shows the
  // session's title and the run ends with Esc.
  console().MoveCursor(1, 1);
  console().Write(session.screenTitle);
  // A framed box in the highlighted colour, on the screen save stack.
  SetColor("h");
  OpenWindow(10, 25, 14, 56);
  DrawFrame(2);
  SetColor("n");
  while (WaitForKey() != kEscKey) {
  }
  CloseWindow();
}
