#include "platform/terminal_host.h"

#include "platform/host.h"

TerminalHost::TerminalHost() {
  host() = Host{&terminal, &clipboard, &processes, &clock, &environment};
}
