// Test fixtures: the in-memory host and scratch directories.
#ifndef TESTS_SUPPORT_TEST_HOST_H_
#define TESTS_SUPPORT_TEST_HOST_H_

#include <string>

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/host.h"
#include "platform/memory_console.h"
#include "platform/processes.h"

// Installs in-memory host services for the lifetime of the object and puts
// the previous ones back afterwards.
class ScopedHost {
 public:
  ScopedHost();
  ~ScopedHost();
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;

  MemoryConsole console;
  MemoryClipboard clipboard;
  RecordingProcesses processes;
  ManualClock clock;
  MemoryEnvironment environment;

 private:
  Host saved_;
};

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The host path, without a trailing "/".
  const std::string& path() const { return path_; }
  // The directory as a suite directory text, ending in "\" (host "/"
  // separators become "\", which HostPath turns back).
  std::string suiteDir() const;
  // Host path of a file inside the directory.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whole-file helpers for fixtures.
std::string ReadFileBytes(const std::string& hostPath);
void WriteFileBytes(const std::string& hostPath, const std::string& bytes);
bool FileExists(const std::string& hostPath);

#endif  // TESTS_SUPPORT_TEST_HOST_H_
