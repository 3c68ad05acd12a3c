#include "startup/ini_file.h"

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "support/test_host.h"

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  std::string SuitePath(const std::string& name) const { return dir.suiteDir() + name; }
  std::string Write(const std::string& bytes, const std::string& name = "Sessio.ini") {
    WriteFileBytes(dir.File(name), bytes);
    return SuitePath(name);
  }
  // The names in the directory, to see that no temporary file stays behind.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    if (DIR* d = ::opendir(dir.path().c_str())) {
      while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.insert(name);
      }
      ::closedir(d);
    }
    return names;
  }

  ScopedHost hostServices;
  TempDir dir;
};

struct ReadCase {
  const char* file;
  const char* section;
  const char* key;
  const char* expected;
};

TEST_F(IniFileTest, ReadsValues) {
  const ReadCase cases[] = {
      {"[menu]\r\ntitol=X\r\n", "Menu", "Titol", "X"},
      {"[Menu]\r\nTitol = X\r\n", "Menu", "Titol", " X"},
      {"  [ Menu ] trailing\r\n  Titol=X  \r\n", " menu ", "TITOL ", "X  "},
      {"[Menu\r\nTitol=X\r\n", "Menu", "Titol", "X"},  // header without "]"
      {"[Menu]\nTitol=X\n", "Menu", "Titol", "X"},     // LF alone
      {"[Menu]\r\nTitol=X", "Menu", "Titol", "X"},     // no line end at the end
      {"[Menu]\r\nTitol=a=b\r\n", "Menu", "Titol", "a=b"},
      {"[Menu]\r\nTitol=X ; comment\r\n", "Menu", "Titol", "X "},
      {"[Menu]\r\nTitol=\"a;b\"\r\n", "Menu", "Titol", "\"a"},
      {"[Menu]\r\nTitol=\"a, b \"\r\n", "Menu", "Titol", "a, b "},
      {"[Menu]\r\nTitol=\"\r\n", "Menu", "Titol", "\""},
      {"[Menu]\r\nTitol=\"\"\r\n", "Menu", "Titol", ""},
      {"[Menu]\r\n;Titol=X\r\n\r\nnoise\r\nTitol=Y\r\nTitol=Z\r\n", "Menu", "Titol", "Y"},
      {"Titol=X\r\n[Menu]\r\n", "Menu", "Titol", ""},  // before any header
      {"[Menu]\r\nA=1\r\n[Other]\r\nTitol=X\r\n", "Menu", "Titol", ""},
      {"[Menu]\r\nA=1\r\n[Other]\r\n[Menu]\r\nTitol=X\r\n", "Menu", "Titol", ""},
      {"[Other]\r\nTitol=X\r\n", "Menu", "Titol", ""},
      {"[Menu] ; [Other]\r\nTitol=X\r\n", "Menu", "Titol", "X"},
      {"[Sistema]\r\nSortida=\x8A\x87\r\n", "Sistema", "Sortida", "\x8A\x87"},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(ReadIniValue(Write(c.file), c.section, c.key), c.expected)
        << "file: " << c.file << " key: " << c.key;
  }
}

TEST_F(IniFileTest, MissingFileReadsEmpty) {
  EXPECT_EQ(ReadIniValue(SuitePath("Absent.ini"), "Menu", "Titol"), "");
}

TEST_F(IniFileTest, FileNameIsFoundWithoutRegardToCase) {
  WriteFileBytes(dir.File("SESSIO.INI"), "[Menu]\r\nTitol=X\r\n");
  EXPECT_EQ(ReadIniValue(SuitePath("Sessio.ini"), "Menu", "Titol"), "X");
}

struct WriteCase {
  const char* name;
  const char* before;
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

TEST_F(IniFileTest, WritesGoldenTexts) {
  const WriteCase cases[] = {
      {"replace keeps what stands before the =", "[Menu]\r\n  NomMenu = OLD ; note\r\n",
       "Menu", "nommenu", "NEW", "[Menu]\r\n  NomMenu =NEW\r\n"},
      {"add after the section's last content line",
       "[Menu]\r\nTitol=T\r\n\r\n; next\r\n[Terminal]\r\nDir=X\r\n", "Menu", "NomMenu", "N",
       "[Menu]\r\nTitol=T\r\nNomMenu=N\r\n\r\n; next\r\n[Terminal]\r\nDir=X\r\n"},
      {"add in the last section before the end's blank lines",
       "[Menu]\r\nTitol=T\r\n\r\n;end\r\n", "Menu", "NomMenu", "N",
       "[Menu]\r\nTitol=T\r\nNomMenu=N\r\n\r\n;end\r\n"},
      {"missing section goes at the end, before blank lines", "[A]\r\nx=1\r\n\r\n", "Menu",
       "NomMenu", "N", "[A]\r\nx=1\r\n[Menu]\r\nNomMenu=N\r\n\r\n"},
      {"empty value deletes every entry and adds nothing",
       "[Menu]\r\nNomMenu=A\r\nTitol=T\r\nNOMMENU=B\r\n", "Menu", "NomMenu", "",
       "[Menu]\r\nTitol=T\r\n"},
      {"empty value on a missing section changes nothing", "[A]\r\nx=1\r\n", "Menu", "NomMenu",
       "", "[A]\r\nx=1\r\n"},
      {"later repetition of the section is replaced too",
       "[Menu]\r\nNomMenu=A\r\n[B]\r\n[Menu]\r\nNomMenu=B\r\n", "Menu", "NomMenu", "N",
       "[Menu]\r\nNomMenu=N\r\n[B]\r\n[Menu]\r\nNomMenu=N\r\n"},
      {"a repeated header straight after the section is not recognised",
       "[Menu]\r\nA=1\r\n[Menu]\r\nNomMenu=B\r\n", "Menu", "NomMenu", "N",
       "[Menu]\r\nA=1\r\nNomMenu=N\r\n[Menu]\r\nNomMenu=B\r\n"},
      {"LF lines come out with CR LF, the last line too", "[Menu]\nA=1\n\nB=2", "Menu", "A",
       "3", "[Menu]\r\nA=3\r\n\r\nB=2\r\n"},
      {"entries of nothing and comments are copied", "junk\r\n[Menu]\r\nnoise\r\n;A=0\r\n",
       "Menu", "A", "1", "junk\r\n[Menu]\r\nnoise\r\nA=1\r\n;A=0\r\n"},
      {"no key or no section: nothing changes", "[Menu]\n=x\n", "Menu", " ", "v",
       "[Menu]\n=x\n"},
      {"a key in a comment is not an entry", "[Menu]\r\nX=1 ; A=2\r\n", "Menu", "A", "5",
       "[Menu]\r\nX=1 ; A=2\r\nA=5\r\n"},
  };
  for (const WriteCase& c : cases) {
    const std::string file = Write(c.before);
    WriteIniValue(file, c.section, c.key, c.value);
    EXPECT_EQ(ReadFileBytes(dir.File("Sessio.ini")), c.after) << c.name;
  }
  EXPECT_EQ(Names(), std::set<std::string>{"Sessio.ini"});
}

TEST_F(IniFileTest, WritingAMissingFileCreatesHeaderAndEntry) {
  WriteIniValue(SuitePath("Sessio.ini"), "Menu", "NomMenu", "EXPCODES");
  EXPECT_EQ(ReadFileBytes(dir.File("Sessio.ini")), "[Menu]\r\nNomMenu=EXPCODES\r\n");
}

TEST_F(IniFileTest, LargeFileIsRewrittenWhole) {
  std::string before = "[Menu]\r\n";
  for (int i = 0; before.size() < 100000; ++i) before += "Key" + std::to_string(i) + "=v\r\n";
  const std::string file = Write(before + "[End]\r\n");
  WriteIniValue(file, "Menu", "NomMenu", "N");
  EXPECT_EQ(ReadFileBytes(dir.File("Sessio.ini")), before + "NomMenu=N\r\n[End]\r\n");
}

TEST_F(IniFileTest, KeepsTheModeOfTheFile) {
  const std::string file = Write("[Menu]\r\n");
  ASSERT_EQ(::chmod(dir.File("Sessio.ini").c_str(), 0640), 0);
  WriteIniValue(file, "Menu", "NomMenu", "N");
  struct stat st;
  ASSERT_EQ(::stat(dir.File("Sessio.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(IniFileTest, LinkToTheFileStaysALink) {
  ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
  WriteFileBytes(dir.File("real/Sessio.ini"), "[Menu]\r\n");
  ASSERT_EQ(::symlink("real/Sessio.ini", dir.File("Sessio.ini").c_str()), 0);
  WriteIniValue(SuitePath("Sessio.ini"), "Menu", "NomMenu", "N");
  struct stat st;
  ASSERT_EQ(::lstat(dir.File("Sessio.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFileBytes(dir.File("real/Sessio.ini")), "[Menu]\r\nNomMenu=N\r\n");
}

TEST_F(IniFileTest, UnreplaceableFileIsLeftAsItWasAfterBoundedRetries) {
  // A directory of that name can be neither read as text nor replaced.
  ASSERT_EQ(::mkdir(dir.File("Sessio.ini").c_str(), 0755), 0);
  WriteIniValue(SuitePath("Sessio.ini"), "Menu", "NomMenu", "N");
  EXPECT_GT(hostServices.clock.pauses.size(), 0u);
  EXPECT_LT(hostServices.clock.pauses.size(), 20u);
  EXPECT_EQ(Names(), std::set<std::string>{"Sessio.ini"});

  // A directory that does not exist: nothing is created anywhere.
  hostServices.clock.pauses.clear();
  WriteIniValue(SuitePath("Absent\\Sessio.ini"), "Menu", "NomMenu", "N");
  EXPECT_GT(hostServices.clock.pauses.size(), 0u);
  EXPECT_EQ(Names(), std::set<std::string>{"Sessio.ini"});
}

TEST_F(IniFileTest, TemporaryNameInUseIsNeverTaken) {
  // The test clock's generator gives the same names in every run of this
  // test: occupy the first one and see that it survives untouched.
  ManualClock probe;
  char first[16];
  std::snprintf(first, sizeof first, "%08ld.tmp", probe.Random(100000000L));
  WriteFileBytes(dir.File(first), "someone else's");
  WriteIniValue(SuitePath("Sessio.ini"), "Menu", "NomMenu", "N");
  EXPECT_EQ(ReadFileBytes(dir.File(first)), "someone else's");
  EXPECT_EQ(ReadFileBytes(dir.File("Sessio.ini")), "[Menu]\r\nNomMenu=N\r\n");
  EXPECT_EQ(Names(), (std::set<std::string>{first, "Sessio.ini"}));
}

// The contents a writer of one of the given values can leave.
std::string SessionWith(const std::string& value) {
  return "; session\r\n[Menu]\r\nTitol=T\r\nNomMenu=" + value + "\r\n\r\n[Terminal]\r\nDir=X\r\n";
}

TEST_F(IniFileTest, WriterKilledAtAnyMomentLeavesTheFileWhole) {
  const std::vector<std::string> values = {"A", std::string(5000, 'B'), std::string(20, 'C')};
  const std::string file = Write(SessionWith("start"));
  std::set<std::string> whole = {SessionWith("start")};
  for (const std::string& v : values) whole.insert(SessionWith(v));

  unsigned seed = 7;
  for (int round = 0; round < 40; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (unsigned i = 0;; ++i) WriteIniValue(file, "Menu", "NomMenu", values[i % values.size()]);
    }
    ::usleep(200 + ::rand_r(&seed) % 3000);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = ReadFileBytes(dir.File("Sessio.ini"));
    ASSERT_TRUE(whole.count(now)) << "round " << round << ": " << now.size() << " bytes";
  }
}

TEST_F(IniFileTest, WriterEndedBySignalLeavesNoTemporaryFile) {
  const std::string file = Write(SessionWith("start"));
  unsigned seed = 11;
  for (int round = 0; round < 30; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // An orderly end on SIGTERM, as the program's own.
      ::signal(SIGTERM, [](int) { ::_exit(0); });
      for (unsigned i = 0;; ++i) WriteIniValue(file, "Menu", "NomMenu", std::to_string(i));
    }
    ::usleep(200 + ::rand_r(&seed) % 3000);
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
    ASSERT_EQ(Names(), std::set<std::string>{"Sessio.ini"}) << "round " << round;
  }
}

TEST_F(IniFileTest, ConcurrentWritersOfDifferentKeysLoseNoUpdate) {
  const std::string file = Write("[Menu]\r\nTitol=T\r\n");
  constexpr int kWriters = 4;
  constexpr int kWrites = 40;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const std::string key = "Key" + std::to_string(w);
      for (int i = 1; i <= kWrites; ++i) {
        WriteIniValue(file, "Menu", key, std::to_string(i));
        // Nobody else writes this key: anything but our last value is a lost update.
        if (ReadIniValue(file, "Menu", key) != std::to_string(i)) ::_exit(1);
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int w = 0; w < kWriters; ++w)
    EXPECT_EQ(ReadIniValue(file, "Menu", "Key" + std::to_string(w)), std::to_string(kWrites));
  EXPECT_EQ(ReadIniValue(file, "Menu", "Titol"), "T");
  EXPECT_EQ(Names(), std::set<std::string>{"Sessio.ini"});
}

}  // namespace
