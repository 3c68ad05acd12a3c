// Program-wide values of the entry and the orderly end.
#ifndef STARTUP_PROGRAM_H_
#define STARTUP_PROGRAM_H_

#include <functional>
#include <string>

// The module name, "EXPCODES", set once at start-up before the form is
// loaded; the form file and the default language file are named after it.
extern std::string programName;

// Ends the program in order: runs the end handler that the entry installed
// (close the ordinary files, reset the record manager, give the terminal
// back) and leaves with the status.  Used by the normal end and by the record
// layer when the data file cannot be opened.
[[noreturn]] void EndProgram(int exitStatus = 0);

// Installs what EndProgram runs before the process ends.  Tests install one
// that throws, to see the end without ending.
void SetEndHandler(std::function<void(int exitStatus)> handler);

#endif  // STARTUP_PROGRAM_H_
