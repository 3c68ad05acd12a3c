// The program's entry: the command line, the host services, the start-up
// sequence, the run sequence and the orderly end.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/host.h"
#include "platform/paths.h"
#include "platform/terminal_console.h"
#include "platform/terminal_host.h"
#include "startup/program.h"
#include "startup/program_run.h"
#include "startup/session.h"
#include "storage/record_layer.h"

namespace {

constexpr const char* kHelp =
    "Usage: expcodes [--help | --version]\n"
    "\n"
    "Shows the operator the form of the expense concepts table and, when the\n"
    "operator asks for it, prints the table (\"TAULA DE CONCEPTES DE DESPESA\")\n"
    "through the suite's print spool program VUZOVARA.  The program is started\n"
    "from the suite's menu, takes no arguments and runs in a terminal of at\n"
    "least 80 columns and 25 rows.\n"
    "\n"
    "Environment:\n"
    "  ZEKROOT   the installation's root directory: Orvo.ini, FORMS\\EXPCODES.ZPN,\n"
    "            LOCALE\\EXPCODES.LNG, DADES\\TDespesa.dat, ddf\\TDespesa.xdf, AJUDA\\\n"
    "  ZEKEXE    the program directory, where the spool program VUZOVARA is\n"
    "  ZEKTMP    the work directory: Sessio.ini, OrvoTerm.ini and the work files\n"
    "            (WinPush.tmp, Browse.tmp, vuzovara.tmp)\n"
    "  TERM      the terminal type; also the terminal directory (calculator\n"
    "            tape ZEKCALC.TMP) when Sessio.ini names none and TERM names an\n"
    "            existing directory\n"
    "  HTTP_USER_AGENT, HTTP_ACCEPT, WINDIR, SYSTEMROOT\n"
    "            the session's run mode\n"
    "  EXPCODES_ESC_DELAY\n"
    "            milliseconds of quiet after Esc that tell the Esc key from the\n"
    "            start of another key's sequence (0 to 2000, default 25)\n"
    "\n"
    "Files written: \"NomMenu\" in Sessio.ini and the print file vuzovara.tmp,\n"
    "both only when the listing is printed; the work files.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::string argument = argv[1];
    if (argc == 2 && argument == "--help") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (argc == 2 && argument == "--version") {
      std::printf("expcodes %s\n", EXPCODES_VERSION);
      return 0;
    }
    std::fprintf(stderr,
                 "expcodes: unknown argument \"%s\": the program takes no arguments "
                 "(see expcodes --help)\n",
                 argument.c_str());
    return 2;
  }
  if (!StandardStreamsAreTerminal()) {
    std::fputs("expcodes: standard input and output must be a terminal\n", stderr);
    return 1;
  }

  TerminalHost realHost;
  TerminalConsole& terminal = realHost.terminal;
  // The orderly end: the print file is closed by then; the record files are
  // closed by resetting the record manager, then the terminal is given back.
  SetEndHandler([&terminal](int) {
    ResetRecordManager();
    terminal.Restore();
  });
  terminal.SetTerminationHandler([] { EndProgram(0); });

  // Start-up sequence.
  console().SetCursorShape(CursorShape::kHidden);
  EstablishSession();
  if (!session.rootDir.empty()) {
    // Not checked: a directory that cannot be entered leaves the current one.
    [[maybe_unused]] const int ignored = ::chdir(HostPath(session.rootDir).c_str());
  }
  programName = "EXPCODES";

  RunSequence();

  EndProgram(0);
}
