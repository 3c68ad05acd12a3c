// The one place where the program reaches the host: the console, clipboard,
// processes, clock and environment in use.  main() installs the real ones;
// tests install in-memory ones through ScopedHost (tests/support).  Nothing
// outside src/platform knows the terminal or the operating system.
#ifndef PLATFORM_HOST_H_
#define PLATFORM_HOST_H_

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/processes.h"

struct Host {
  Console* console = nullptr;
  Clipboard* clipboard = nullptr;
  Processes* processes = nullptr;
  Clock* clock = nullptr;
  Environment* environment = nullptr;
};

// The services in use.  Every member is set before the program runs.
Host& host();

// Shorthands for the services.
inline Console& console() { return *host().console; }
inline Clock& hostClock() { return *host().clock; }

#endif  // PLATFORM_HOST_H_
