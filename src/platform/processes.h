// Starting other programs: a command line is split into words (no shell is
// ever involved), the first word is the program, looked up like the
// platform's program search, and the caller waits until it has ended.
#ifndef PLATFORM_PROCESSES_H_
#define PLATFORM_PROCESSES_H_

#include <string>
#include <vector>

class Processes {
 public:
  virtual ~Processes() = default;
  // Runs the command (code page 850 text) and waits for it.  Returns its exit
  // status, or -1 when it could not be started.
  virtual int RunAndWait(const std::string& commandLine) = 0;
};

// Splits a command line into words at blanks; double quotes group blanks
// into a word.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Starts real processes, handing the terminal to them while they run.
class HostProcesses : public Processes {
 public:
  int RunAndWait(const std::string& commandLine) override;
};

// Records the commands it is asked to run: the tests' processes.
class RecordingProcesses : public Processes {
 public:
  int RunAndWait(const std::string& commandLine) override {
    commands.push_back(commandLine);
    return exitStatus;
  }
  std::vector<std::string> commands;
  int exitStatus = 0;
};

#endif  // PLATFORM_PROCESSES_H_
