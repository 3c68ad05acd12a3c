// The real host services of a program that runs in a terminal: the terminal
// console, the system clipboard, real processes, the clock and the process
// environment, installed in host() for as long as the object lives.
#ifndef PLATFORM_TERMINAL_HOST_H_
#define PLATFORM_TERMINAL_HOST_H_

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/processes.h"
#include "platform/terminal_console.h"

class TerminalHost {
 public:
  TerminalHost();
  TerminalHost(const TerminalHost&) = delete;
  TerminalHost& operator=(const TerminalHost&) = delete;

  TerminalConsole terminal;
  SystemClipboard clipboard;
  HostProcesses processes;
  HostClock clock;
  HostEnvironment environment;
};

#endif  // PLATFORM_TERMINAL_HOST_H_
