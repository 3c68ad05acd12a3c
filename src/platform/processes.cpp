#include "platform/processes.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/codepage.h"
#include "platform/host.h"
#include "platform/paths.h"

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (char ch : commandLine) {
    if (ch == '"') {
      quoted = !quoted;
      inWord = true;  // "" is an empty word
    } else if ((ch == ' ' || ch == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += ch;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

namespace {

// The host form of one word: the program word, when it is a suite path,
// goes through HostPath; every word becomes UTF-8.
std::string HostWord(const std::string& word, bool isProgram) {
  if (isProgram && word.find_first_of("\\/") != std::string::npos) return HostPath(word);
  return Cp850ToUtf8(word);
}

}  // namespace

int HostProcesses::RunAndWait(const std::string& commandLine) {
  const std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty()) return -1;
  std::vector<std::string> args;
  for (std::size_t i = 0; i < words.size(); ++i) args.push_back(HostWord(words[i], i == 0));
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  // The child reports a failed exec through this pipe; it closes unread on
  // success.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return -1;
  Console* console = host().console;
  if (console != nullptr) console->Suspend();
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(report[0]);
    ::execvp(argv[0], argv.data());
    const int error = errno;
    [[maybe_unused]] ssize_t ignored = ::write(report[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = -1;
  if (child > 0) {
    int error = 0;
    ssize_t n;
    do {
      n = ::read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    int waitStatus = 0;
    while (::waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    if (n <= 0) {
      status = WIFEXITED(waitStatus)     ? WEXITSTATUS(waitStatus)
               : WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus)
                                         : -1;
    }
  }
  ::close(report[0]);
  if (console != nullptr) console->Resume();
  return status;
}
