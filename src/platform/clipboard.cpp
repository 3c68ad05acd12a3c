#include "platform/clipboard.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "platform/codepage.h"

namespace {

// No clipboard tool may hold the program up longer than this.
constexpr int kToolTimeoutMs = 2000;

bool InPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    if (::access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

bool HaveEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// A clipboard tool of this session: how to set and how to read it.
struct Tool {
  const char* setProgram;
  std::vector<const char*> setArgs;
  const char* getProgram;
  std::vector<const char*> getArgs;
};

std::vector<Tool> SessionTools() {
  std::vector<Tool> tools;
  if (HaveEnv("WAYLAND_DISPLAY") && InPath("wl-copy"))
    tools.push_back({"wl-copy", {}, "wl-paste", {"--no-newline"}});
  if (HaveEnv("DISPLAY")) {
    if (InPath("xclip"))
      tools.push_back(
          {"xclip", {"-selection", "clipboard", "-i"}, "xclip", {"-selection", "clipboard", "-o"}});
    else if (InPath("xsel"))
      tools.push_back({"xsel", {"--clipboard", "--input"}, "xsel", {"--clipboard", "--output"}});
  }
  if (HaveEnv("TMUX") && InPath("tmux"))
    tools.push_back({"tmux", {"load-buffer", "-"}, "tmux", {"save-buffer", "-"}});
  return tools;
}

// Runs program with args, no shell, giving it input on its standard input;
// collects its standard output when output is given.  The result is the
// tool's success; a tool still running after the time limit is killed.
bool RunTool(const char* program, const std::vector<const char*>& args, const std::string& input,
             std::string* output) {
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return false;
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]);
    ::close(in[1]);
    return false;
  }
  std::vector<char*> argv{const_cast<char*>(program)};
  for (const char* arg : args) argv.push_back(const_cast<char*>(arg));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    // A tool that stays behind to serve the selection must not hold the
    // program's terminal or pipes.
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(output ? out[1] : null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::execvp(program, argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  if (child < 0) {
    ::close(in[1]);
    ::close(out[0]);
    return false;
  }
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &previous);  // a tool that ends early is no crash
  ::fcntl(in[1], F_SETFL, O_NONBLOCK);
  ::fcntl(out[0], F_SETFL, O_NONBLOCK);

  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kToolTimeoutMs);
  std::size_t written = 0;
  bool inputOpen = true, outputOpen = true;
  if (input.empty()) {
    ::close(in[1]);
    inputOpen = false;
  }
  bool timedOut = false;
  while (inputOpen || outputOpen) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd fds[2] = {{inputOpen ? in[1] : -1, POLLOUT, 0}, {outputOpen ? out[0] : -1, POLLIN, 0}};
    if (::poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR) break;
    if (inputOpen && fds[0].revents) {
      const ssize_t n = ::write(in[1], input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
        ::close(in[1]);
        inputOpen = false;
      }
    }
    if (outputOpen && fds[1].revents) {
      char bytes[4096];
      const ssize_t n = ::read(out[0], bytes, sizeof bytes);
      if (n > 0 && output) output->append(bytes, static_cast<std::size_t>(n));
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) outputOpen = false;
    }
  }
  if (inputOpen) ::close(in[1]);
  ::close(out[0]);
  ::sigaction(SIGPIPE, &previous, nullptr);

  int status = 0;
  pid_t done = 0;
  while (!timedOut) {
    done = ::waitpid(child, &status, WNOHANG);
    if (done != 0 && !(done < 0 && errno == EINTR)) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      break;
    }
    ::usleep(5000);
  }
  if (timedOut) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return false;
  }
  return done == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(value >> 18) & 63];
    out += kDigits[(value >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(value >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[value & 63] : '=';
  }
  return out;
}

}  // namespace

void SystemClipboard::Set(const std::string& text) {
  lastSet_ = text;
  const std::string utf8 = Cp850ToUtf8(text);
  for (const Tool& tool : SessionTools()) RunTool(tool.setProgram, tool.setArgs, utf8, nullptr);
  // OSC 52 asks the terminal itself to take the text (terminals that do not
  // know it ignore it).
  if (::isatty(STDOUT_FILENO)) {
    const std::string osc = "\x1b]52;c;" + Base64(utf8) + "\a";
    [[maybe_unused]] ssize_t ignored = ::write(STDOUT_FILENO, osc.data(), osc.size());
  }
}

std::string SystemClipboard::Get() {
  for (const Tool& tool : SessionTools()) {
    std::string text;
    if (RunTool(tool.getProgram, tool.getArgs, std::string(), &text)) return Utf8ToCp850(text);
  }
  return lastSet_;
}
