#include "startup/ini_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/host.h"
#include "platform/paths.h"

namespace {

// How often a rewrite is attempted before the file is left as it was, and
// the pause between attempts.
constexpr int kWriteAttempts = 10;
constexpr int kRetryPauseMs = 50;
// Temporary names tried per attempt before the attempt counts as failed.
constexpr int kTemporaryNameTries = 100;

std::string Upper(std::string text) {
  for (char& ch : text) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return text;
}

std::string TrimLeft(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string TrimRight(const std::string& text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string Trim(const std::string& text) { return TrimRight(TrimLeft(text)); }

// The name comparison of both operations: upper case, outer spaces ignored.
bool SameName(const std::string& written, const std::string& wanted) {
  return Upper(Trim(written)) == Upper(Trim(wanted));
}

std::string CutComment(const std::string& line) { return line.substr(0, line.find(';')); }

// The section name of a header line (already cut and trimmed on the left):
// after "[", up to the first "]" or the end of the line.
std::string SectionName(const std::string& header) {
  const std::size_t close = header.find(']');
  return header.substr(1, close == std::string::npos ? std::string::npos : close - 1);
}

// Splits file bytes into lines.  A line ends in CR LF or in LF alone; the
// line end is not part of the line.  A last line without a line end counts.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    if (end > start && bytes[end - 1] == '\r') --end;
    lines.push_back(bytes.substr(start, end - start));
    start = next;
  }
  return lines;
}

// Reads a whole file.  Nothing when it cannot be opened or read; an empty
// text when it does not exist and missingIsEmpty is set.
std::optional<std::string> ReadWholeFile(const std::string& hostPath, bool missingIsEmpty) {
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (missingIsEmpty && errno == ENOENT) return std::string();
    return std::nullopt;
  }
  std::string bytes;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The new text of the file: the old lines copied in order, the entries named
// key in the section replaced (or dropped for an empty value), and a missing
// entry added after the last content line of the section, or a missing
// section added at the end.  Blank and comment lines are held back and
// written only before the next content line, which is what puts an added
// entry before the blank lines that separate its section from the next.
std::string RewriteIniText(const std::string& old, const std::string& section,
                           const std::string& key, const std::string& value) {
  std::string out;
  std::vector<const std::string*> held;
  bool inSection = false;
  bool written = false;
  auto writeLine = [&out](const std::string& line) { out += line + "\r\n"; };
  auto writePendingEntry = [&] {
    if (!written && !section.empty() && !key.empty() && !value.empty()) {
      if (!inSection) writeLine("[" + section + "]");
      writeLine(key + "=" + value);
    }
    written = true;
  };

  const std::vector<std::string> lines = SplitLines(old);
  for (const std::string& original : lines) {
    const std::string content = Trim(CutComment(original));
    if (content.empty()) {
      held.push_back(&original);
      continue;
    }
    std::string line = original;
    bool skip = false;
    if (!inSection) {
      inSection = content[0] == '[' && SameName(SectionName(content), section);
    } else if (content[0] == '[') {
      // A header ends the section, even one of the same name.
      writePendingEntry();
      inSection = false;
    } else if (const std::size_t equals = content.find('=');
               equals != std::string::npos && SameName(content.substr(0, equals), key)) {
      line = original.substr(0, original.find('=') + 1) + value;
      written = true;
      skip = value.empty();
    }
    for (const std::string* blank : held) writeLine(*blank);
    held.clear();
    if (!skip) writeLine(line);
  }
  writePendingEntry();
  for (const std::string* blank : held) writeLine(*blank);
  return out;
}

// The file a host path names, links followed, so that a link to F stays a
// link and the file it points to is the one replaced.  A file that does not
// exist yet keeps the path as given.
std::string FollowLinks(const std::string& hostPath) {
  char* real = ::realpath(hostPath.c_str(), nullptr);
  if (real == nullptr) return hostPath;
  std::string path = real;
  std::free(real);
  return path;
}

// F's directory as a host path, for the temporary file and the lock.
std::string DirectoryOf(const std::string& hostPath) {
  const std::size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return hostPath.substr(0, slash);
}

// Creates a new temporary file in dir, named with eight random digits and
// ".tmp"; a name that exists is never used.  Returns the descriptor (-1 on
// failure) and sets path.
int CreateTemporary(const std::string& dir, std::string& path) {
  for (int i = 0; i < kTemporaryNameTries; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%08ld.tmp", hostClock().Random(100000000L));
    path = dir + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// One attempt at replacing F with its rewritten copy.  On failure F is as it
// was and no temporary file is left.
bool TryRewrite(const std::string& hostPath, const std::string& dir, const std::string& section,
                const std::string& key, const std::string& value) {
  const std::optional<std::string> old = ReadWholeFile(hostPath, /*missingIsEmpty=*/true);
  if (!old) return false;
  std::string tempPath;
  const int fd = CreateTemporary(dir, tempPath);
  if (fd < 0) return false;
  // The new copy keeps the permissions of the file it replaces.
  struct stat st;
  bool ok = ::stat(hostPath.c_str(), &st) != 0 || ::fchmod(fd, st.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd, RewriteIniText(*old, section, key, value)) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  // rename() replaces F in one step: a reader sees the old file or the new.
  ok = ok && ::rename(tempPath.c_str(), hostPath.c_str()) == 0;
  if (!ok) {
    ::unlink(tempPath.c_str());
    return false;
  }
  // Make the rename itself durable.
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

}  // namespace

std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key) {
  const std::optional<std::string> bytes = ReadWholeFile(HostPath(file), false);
  if (!bytes) return std::string();
  std::string value;
  bool inSection = false;
  for (const std::string& raw : SplitLines(*bytes)) {
    const std::string line = TrimLeft(CutComment(raw));
    if (line.empty()) continue;
    if (!inSection) {
      inSection = line[0] == '[' && SameName(SectionName(line), section);
      continue;
    }
    if (line[0] == '[') break;  // the key is not in the section's first occurrence
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || !SameName(line.substr(0, equals), key)) continue;
    value = line.substr(equals + 1);
    break;
  }
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return value;
}

void WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) {
  // An entry needs a section and a key; without them the file stays as it is.
  if (Trim(section).empty() || Trim(key).empty()) return;
  const std::string hostPath = FollowLinks(HostPath(file));
  const std::string dir = DirectoryOf(hostPath);
  // The signals that end the program in order wait until the rewrite is
  // over, so that an end never leaves the temporary file behind.
  sigset_t endSignals;
  sigset_t saved;
  sigemptyset(&endSignals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&endSignals, signal);
  ::sigprocmask(SIG_BLOCK, &endSignals, &saved);
  // Our writers serialise on an exclusive lock of F's directory, held from
  // the reading of F to the rename, so that no update of another writer is
  // lost.  The lock cannot be on F itself: the rename replaces F's inode, and
  // a writer waiting on the old one would then copy a file that is gone.  A
  // lock file beside F would stay behind in the suite's directories; the
  // directory is always there and is never replaced.  The lock ends with the
  // process, so a killed writer never blocks the others.
  const int lockFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lockFd >= 0) {
    while (::flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  for (int attempt = 1; attempt <= kWriteAttempts; ++attempt) {
    if (TryRewrite(hostPath, dir, section, key, value)) break;
    if (attempt < kWriteAttempts) hostClock().Pause(kRetryPauseMs);
  }
  if (lockFd >= 0) ::close(lockFd);
  ::sigprocmask(SIG_SETMASK, &saved, nullptr);
}
