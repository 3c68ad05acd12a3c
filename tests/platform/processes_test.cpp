#include "platform/processes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/memory_console.h"
#include "support/test_host.h"

namespace {

TEST(SplitCommandLine, WordsAndQuotes) {
  const struct {
    std::string line;
    std::vector<std::string> words;
  } cases[] = {
      {"VUZOVARA", {"VUZOVARA"}},
      {"", {}},
      {"   ", {}},
      {"  a \t b  ", {"a", "b"}},
      {"\"C:\\Program Files\\HLPRUN\" AJUDA\\X.HTM", {"C:\\Program Files\\HLPRUN", "AJUDA\\X.HTM"}},
      {"a\"b c\"d e", {"ab cd", "e"}},
      {"x \"\" y", {"x", "", "y"}},
      {"\"unclosed quote", {"unclosed quote"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

// Records the hand-over of the terminal.
class HandOverConsole : public MemoryConsole {
 public:
  void Suspend() override { log += "S"; }
  void Resume() override { log += "R"; }
  std::string log;
};

class HostProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override { host().console = &console_; }

  // Writes an executable script.
  void Script(const std::string& name, const std::string& body) {
    const std::string path = dir_.File(name);
    WriteFileBytes(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
  }

  ScopedHost scoped_;
  HandOverConsole console_;
  TempDir dir_;
  HostProcesses processes_;
};

TEST_F(HostProcessesTest, RunsASuitePathFoundWithoutRegardToCaseAndGivesItsStatus) {
  Script("VUZOVARA", "exit 7\n");
  EXPECT_EQ(processes_.RunAndWait(dir_.suiteDir() + "vuzovara"), 7);
  EXPECT_EQ(console_.log, "SR");
}

TEST_F(HostProcessesTest, WordsReachTheProgramAsTheyAreWithNoShellInBetween) {
  Script("show", "for a in \"$@\"; do printf '[%s]' \"$a\"; done > \"$(dirname \"$0\")/out\"\n");
  // Code page 850 "ç" (135) reaches the program in UTF-8.
  EXPECT_EQ(processes_.RunAndWait(dir_.suiteDir() + "show \"a b\" x;rm $HOME `id` \x87"), 0);
  EXPECT_EQ(ReadFileBytes(dir_.File("out")), "[a b][x;rm][$HOME][`id`][\xC3\xA7]");
}

TEST_F(HostProcessesTest, ThePlainProgramWordIsSearchedForInThePath) {
  EXPECT_EQ(processes_.RunAndWait("true"), 0);
  EXPECT_EQ(processes_.RunAndWait("false"), 1);
}

TEST_F(HostProcessesTest, AProgramThatCannotStartGivesMinusOneAndTheTerminalBack) {
  EXPECT_EQ(processes_.RunAndWait(dir_.suiteDir() + "MISSING"), -1);
  EXPECT_EQ(processes_.RunAndWait("no-such-program-anywhere"), -1);
  EXPECT_EQ(processes_.RunAndWait(""), -1);
  EXPECT_EQ(console_.log, "SRSR");
}

}  // namespace
