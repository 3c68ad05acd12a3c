#include "platform/clipboard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "support/test_host.h"

namespace {

// Sets an environment variable for the test's lifetime.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) old_ = old;
    hadOld_ = old != nullptr;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedVariable() {
    if (hadOld_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool hadOld_ = false;
};

// A session with only tmux's buffer: a stand-in tmux in a private PATH keeps
// the buffer in a file.
class SystemClipboardTest : public ::testing::Test {
 protected:
  void Tmux(const std::string& body) {
    const std::string path = dir_.File("tmux");
    WriteFileBytes(path, "#!/bin/sh\nbuffer=\"${0%/*}/buffer\"\n" + body);
    ::chmod(path.c_str(), 0755);
  }

  TempDir dir_;
  ScopedVariable path_{"PATH", dir_.path().c_str()};
  ScopedVariable tmux_{"TMUX", "/tmp/tmux-test,1,0"};
  ScopedVariable display_{"DISPLAY", nullptr};
  ScopedVariable wayland_{"WAYLAND_DISPLAY", nullptr};
  SystemClipboard clipboard_;
};

TEST_F(SystemClipboardTest, SetsAndReadsTheToolsBufferInUtf8) {
  Tmux(
      "case \"$1\" in load-buffer) /bin/cat > \"$buffer\";; save-buffer) /bin/cat \"$buffer\";; "
      "esac\n");
  clipboard_.Set("Caf\x82 5\xD5");
  EXPECT_EQ(ReadFileBytes(dir_.File("buffer")), "Café 5€");
  WriteFileBytes(dir_.File("buffer"), "Ni\xC3\xB1o \xE4\xB8\xAD!");
  EXPECT_EQ(clipboard_.Get(), "Ni\xA4o !");  // a character without a byte is dropped
}

TEST_F(SystemClipboardTest, WithoutAToolReadingGivesWhatWasLastSet) {
  clipboard_.Set("abc");
  EXPECT_EQ(clipboard_.Get(), "abc");
}

TEST_F(SystemClipboardTest, AToolThatFailsOrHangsIsNotWaitedForBeyondItsTime) {
  Tmux("case \"$1\" in save-buffer) exec /bin/sleep 30;; *) exit 1;; esac\n");
  clipboard_.Set("kept");
  EXPECT_EQ(clipboard_.Get(), "kept");
}

}  // namespace
