// The record layer against the real record manager on temporary files.
#include "storage/record_layer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "recordmanager/record_client.h"
#include "recordmanager/record_spec.h"
#include "screen/window_stack.h"
#include "startup/program.h"
#include "startup/session.h"
#include "support/screen_grid.h"
#include "support/test_host.h"

namespace {

struct ProgramEnded {
  int exitStatus;
};

// NUMS: records of 6 bytes, a 2-byte binary number (key 0, unique) and a
// 4-character name (key 1, without regard to case, duplicates).
std::string NumsDictionary() {
  std::string table(256, '\0');
  for (int c = 0; c < 256; ++c) table[c] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  std::string spec = MakeCreationSpec(6, {KeySpec{{{1, 2, kSegmentBinary}}, 2, false},
                                          KeySpec{{{3, 4, kSegmentAlternate}}, 4, true}},
                                      "UPPER", table);
  return std::string{static_cast<char>(spec.size() & 0xFF), static_cast<char>(spec.size() >> 8)} + spec;
}

std::string Num(int number, const std::string& name) {
  return std::string{static_cast<char>(number & 0xFF), static_cast<char>(number >> 8)} + name;
}

std::string Name(const std::string& area) { return area.substr(2, 4); }

// A second process holding a lock with recutil until it is stopped.
class LockHolder {
 public:
  explicit LockHolder(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {std::string(EXPCODES_BINARY_DIR) + "/recutil", "lock"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    words.insert(words.end(), {"--hold", "600"});
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int out[2];
    EXPECT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // The holder says so once it holds the lock.
    char ch;
    while (::read(out[0], &ch, 1) == 1 && ch != '\n') line_ += ch;
    ::close(out[0]);
  }
  ~LockHolder() { Stop(); }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  const std::string& line() const { return line_; }

 private:
  pid_t pid_ = 0;
  std::string line_;
};

class RecordLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = session;
    session = Session{};
    session.rootDir = root.suiteDir();
    session.workDir = root.suiteDir();
    session.language = "CAT";
    ::mkdir(root.File("ddf").c_str(), 0755);
    ::mkdir(root.File("DADES").c_str(), 0755);
    WriteFileBytes(root.File("ddf/NUMS.xdf"), NumsDictionary());
    SetEndHandler([](int exitStatus) { throw ProgramEnded{exitStatus}; });
    ClearRecordLayer();
  }
  void TearDown() override {
    ClearRecordLayer();
    ResetWindowStack();
    SetEndHandler(nullptr);
    session = saved_;
  }
  // Opens DADES\NUMS as file 7 (creating it) and adds the records.
  void OpenNums(const std::vector<std::string>& records) {
    ASSERT_EQ(OpenRecordFile(7, session.rootDir + "DADES\\NUMS", area), 0);
    RecordClient writer;
    ASSERT_EQ(writer.Open(root.File("DADES/NUMS.dat")), 0);
    for (const std::string& record : records) ASSERT_EQ(writer.Insert(record), 0);
  }

  ScopedHost host;
  TempDir root;
  std::string area = std::string(6, '.');

 private:
  Session saved_;
};

TEST_F(RecordLayerTest, SlotsFillFromTheTopAndRepeatsOrOverflowAreRefused) {
  OpenNums({});
  EXPECT_EQ(FindSlot(7), 40);
  std::string other(6, ' ');
  ASSERT_EQ(OpenRecordFile(8, session.rootDir + "DADES\\NUMS", other), 0);
  EXPECT_EQ(FindSlot(8), 39);
  EXPECT_EQ(OpenRecordFile(7, "nowhere", other), kStatusFileAlreadyOpen);
  EXPECT_EQ(FindSlot(7), 40);
  for (int number = 9; number <= 46; ++number) {
    ASSERT_EQ(OpenRecordFile(number, session.rootDir + "DADES\\NUMS", other), 0) << number;
  }
  EXPECT_EQ(FindSlot(99), 0);
  EXPECT_EQ(OpenRecordFile(99, session.rootDir + "DADES\\NUMS", other), kStatusNoFreeSlot);
  ASSERT_EQ(ResetRecordManager(), 0);
  EXPECT_EQ(FindSlot(7), -40);
}

TEST_F(RecordLayerTest, NamesGetTheirExtensionAndMissingFilesComeFromTheRootDictionary) {
  TempDir elsewhere;
  WriteFileBytes(root.File("ddf/B.xdf"), NumsDictionary());
  const struct {
    std::string name;
    std::string created;
  } cases[] = {
      {session.rootDir + "DADES\\NUMS", root.File("DADES/NUMS.dat")},
      {session.rootDir + "DADES\\NUMS.idx", root.File("DADES/NUMS.idx")},
      {elsewhere.suiteDir() + "B.C.D", elsewhere.File("B.C.D")},
      {"C:" + elsewhere.suiteDir() + "NUMS", elsewhere.File("NUMS.dat")},
  };
  int number = 1;
  for (const auto& c : cases) {
    EXPECT_EQ(OpenRecordFile(number++, c.name, area), 0) << c.name;
    EXPECT_TRUE(FileExists(c.created)) << c.name;
    int keyLength = 0, recordLength = 0;
    KeyInfo(number - 1, 1, keyLength, recordLength);
    EXPECT_EQ(keyLength, 4) << c.name;
    EXPECT_EQ(recordLength, 6) << c.name;
  }
}

TEST_F(RecordLayerTest, OpenFailureShowsTheMessageInTheSessionLanguageAndEndsTheProgram) {
  const struct {
    const char* language;
    const char* text;
  } cases[] = {
      {"CAT", "NO ES POT ACCEDIR AL FITXER"},
      {"SPA", "NO SE PUEDE ACCEDER AL FICHERO"},
      {"GLG", "NOM SE PODE ACEDER AO FICHEIRO"},
      {"OCI", "NON SE P\xE3T ACCEDIR ATH FICH\xD4R"},
      {"ENG", "NO ES POT ACCEDIR AL FITXER"},
  };
  for (const auto& c : cases) {
    session.language = c.language;
    std::vector<std::string> shown;
    host.console.PushKey('x');  // typed ahead: discarded
    host.console.onIdle = [&] {
      for (int row = 1; row <= 25; ++row) shown.push_back(host.console.RowText(row));
      host.console.PushKey(13);
    };
    std::string before = host.console.RowText(12);
    int beeps = host.console.beeps();
    // No dictionary for MISSING: the creation is refused.
    try {
      OpenRecordFile(5, "DADES\\MISSING", area);
      ADD_FAILURE() << "the program goes on";
    } catch (const ProgramEnded& ended) {
      EXPECT_EQ(ended.exitStatus, 0);
    }
    std::string screen;
    for (const std::string& row : shown) screen += row + "\n";
    EXPECT_NE(screen.find(std::string(c.text) + " DADES\\MISSING (" +
                          std::to_string(kStatusInvalidRecordLength) + ")"),
              std::string::npos)
        << screen;
    EXPECT_EQ(host.console.beeps(), beeps + 1);
    EXPECT_EQ(host.console.pending(), 0u);
    EXPECT_EQ(host.console.RowText(12), before) << "the box is removed";
    EXPECT_EQ(FindSlot(5), -40) << "the slot is free again";
    EXPECT_FALSE(FileExists(root.File("DADES/MISSING.dat")));
  }
}

TEST_F(RecordLayerTest, CorruptFileOrOverlongNameEndsTheProgramWithTheStatus) {
  WriteFileBytes(root.File("DADES/NUMS.dat"), std::string(4096, 'x'));
  const struct {
    std::string name;
    std::string shownEnd;
  } cases[] = {
      {session.rootDir + "DADES\\NUMS", "NUMS (2)"},
      {std::string(300, 'N'), "(11)"},  // longer than the key buffer
  };
  for (const auto& c : cases) {
    std::string shown;
    host.console.onIdle = [&] {
      for (int row = 1; row <= 25; ++row) shown += host.console.RowText(row);
      host.console.PushKey(27);
    };
    EXPECT_THROW(OpenRecordFile(7, c.name, area), ProgramEnded);
    EXPECT_NE(shown.find(c.shownEnd), std::string::npos) << shown;
  }
  // A name that exists yet leads nowhere can be neither opened nor created.
  ::unlink(root.File("DADES/NUMS.dat").c_str());
  ASSERT_EQ(::symlink(root.File("DADES/gone.dat").c_str(), root.File("DADES/NUMS.dat").c_str()), 0);
  std::string shown;
  host.console.onIdle = [&] {
    for (int row = 1; row <= 25; ++row) shown += host.console.RowText(row);
    host.console.PushKey(27);
  };
  EXPECT_THROW(OpenRecordFile(7, session.rootDir + "DADES\\NUMS", area), ProgramEnded);
  EXPECT_NE(shown.find("NUMS (59)"), std::string::npos) << shown;
}

TEST_F(RecordLayerTest, ReadByKeyPadsTheValueAndChecksTheKey) {
  OpenNums({Num(0x0201, "beta"), Num(3, "Alfa"), Num(0x0102, "gama")});
  EXPECT_EQ(ReadByKey(7, 2, "", 1), kStatusKeyNotDefined);
  EXPECT_EQ(area, "......") << "nothing sent";
  EXPECT_EQ(ReadByKey(7, -1, "", 1), kStatusKeyNotDefined);
  EXPECT_EQ(ReadByKey(8, 0, "", 1), kStatusFileNotOpen);
  const struct {
    int key;
    std::string value;
    int direction;
    int status;
    const char* name;
  } cases[] = {
      {0, "", 1, 0, "Alfa"},                // padded with NUL: the first record
      {0, Num(0x0102, ""), 0, 0, "gama"},
      {0, Num(0x0103, ""), 0, kStatusKeyNotFound, "gama"},
      {0, Num(0x0103, ""), 1, 0, "beta"},
      {0, Num(0x0103, ""), -1, 0, "gama"},
      {0, Num(0x0202, "xxxx"), 1, kStatusEndOfFile, "gama"},  // cut to the key
      {1, "GAMA", 0, 0, "gama"},
      {1, "b", 1, 0, "beta"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadByKey(7, c.key, c.value, c.direction), c.status) << c.name;
    EXPECT_EQ(Name(area), c.name) << c.key << " " << c.direction;
  }
}

TEST_F(RecordLayerTest, StepRecordsSkipsWithoutCopyingAndKeepsTheAreaOnFailure) {
  OpenNums({Num(1, "aaaa"), Num(2, "bbbb"), Num(3, "cccc"), Num(4, "dddd"), Num(5, "eeee")});
  ASSERT_EQ(ReadByKey(7, 0, "", 1), 0);
  EXPECT_EQ(StepRecords(7, 0), 0);
  EXPECT_EQ(Name(area), "aaaa");
  EXPECT_EQ(StepRecords(7, 3), 0);
  EXPECT_EQ(Name(area), "dddd");
  EXPECT_EQ(StepRecords(7, -2), 0);
  EXPECT_EQ(Name(area), "bbbb");
  EXPECT_EQ(CurrentKeyValue(7), std::string("\0\2", 2));
  EXPECT_EQ(StepRecords(7, 5), kStatusEndOfFile) << "the fourth skip fails";
  EXPECT_EQ(Name(area), "bbbb");
  EXPECT_EQ(StepRecords(7, -1), 0) << "the skips moved on to eeee";
  EXPECT_EQ(Name(area), "dddd");
  EXPECT_EQ(StepRecords(9, 1), kStatusFileNotOpen);
}

TEST_F(RecordLayerTest, DirectAccessRemembersAndReturnsToARecord) {
  OpenNums({Num(1, "aaaa"), Num(2, "bbbb")});
  EXPECT_EQ(DirectAccess(7, 0), 0) << "no current record";
  EXPECT_EQ(DirectAccess(9, 0), 0);
  ASSERT_EQ(ReadByKey(7, 1, "BBBB", 0), 0);
  std::int32_t position = DirectAccess(7, 0);
  ASSERT_NE(position, 0);
  ASSERT_EQ(StepRecords(7, -1), 0);
  EXPECT_EQ(Name(area), "aaaa");
  EXPECT_EQ(DirectAccess(7, position), 0);
  EXPECT_EQ(Name(area), "bbbb");
  EXPECT_EQ(CurrentKeyValue(7), "BBBB");
  EXPECT_EQ(DirectAccess(7, 12345), kStatusInvalidRecordAddress);
  EXPECT_EQ(Name(area), "bbbb");
  EXPECT_EQ(CurrentKeyValue(7), "BBBB") << "a failed read keeps the key value";
}

TEST_F(RecordLayerTest, CollationFormComparesInKeyOrder) {
  OpenNums({Num(0x0100, "b\x82ta"), Num(0x00FF, "Zulu"), Num(0x0001, "alfa"), Num(0x8000, "ALFA")});
  EXPECT_EQ(CollationForm("x", 9), "x") << "file not open";
  for (int key : {0, 1}) {
    ASSERT_EQ(ReadByKey(7, key, "", 1), 0);
    std::string previous = CurrentKeyValue(7);
    for (int status = StepRecords(7, 1); status == 0; status = StepRecords(7, 1)) {
      std::string current = CurrentKeyValue(7);
      EXPECT_LE(previous, current) << "key " << key;
      previous = current;
    }
  }
  ASSERT_EQ(ReadByKey(7, 0, "", 1), 0);
  EXPECT_EQ(CollationForm(std::string("\x01\x02", 2), 7), std::string("\x02\x01", 2));
  EXPECT_EQ(CollationForm(std::string("\x05", 1), 7), std::string("\0\x05", 2)) << "padded";
  ASSERT_EQ(ReadByKey(7, 1, "", 1), 0);
  EXPECT_EQ(CollationForm("b\x82ta", 7), "B\x82TA") << "outside the table's letters as is";
  EXPECT_EQ(CollationForm("ab", 7), "AB");
}

TEST_F(RecordLayerTest, LockModeStackSavesAndRestoresPerFile) {
  OpenNums({Num(1, "aaaa")});
  RecordClient holder;
  ASSERT_EQ(holder.Open(root.File("DADES/NUMS.dat")), 0);
  std::string record;
  ASSERT_EQ(holder.GetDirect(1, 0, record, true), 0);
  auto read = [&] { return ReadByKey(7, 0, "", 1); };
  EXPECT_EQ(read(), 0) << "mode D reads without a lock";
  EXPECT_EQ(SetLockMode(7, "b"), 0);
  EXPECT_EQ(read(), kStatusRecordLocked);
  EXPECT_EQ(SetLockMode(7, "+d"), 0);
  EXPECT_EQ(read(), 0);
  EXPECT_EQ(SetLockMode(7, "-"), 0);
  EXPECT_EQ(read(), kStatusRecordLocked) << "restored to B";
  EXPECT_EQ(SetLockMode(7, "-"), 0);
  EXPECT_EQ(read(), kStatusRecordLocked) << "nothing saved: unchanged";
  EXPECT_EQ(SetLockMode(9, "D"), kStatusFileNotOpen);
  EXPECT_TRUE(host.clock.pauses.empty());
}

TEST_F(RecordLayerTest, ModeAWaitsForAnotherProcessShowingTheMessageOnce) {
  OpenNums({Num(1, "aaaa"), Num(2, "bbbb")});
  std::vector<Cell> before = AllCells(host.console);
  LockHolder holder({root.File("DADES/NUMS.dat"), "--position", "2"});
  ASSERT_NE(holder.line().find("holding"), std::string::npos) << holder.line();
  SetLockMode(7, "A");
  std::vector<std::string> screens;
  host.clock.onPause = [&](int) {
    std::string screen;
    for (int row = 1; row <= 25; ++row) screen += host.console.RowText(row) + "\n";
    screens.push_back(screen);
    if (host.clock.pauses.size() == 3) holder.Stop();
  };
  ASSERT_EQ(ReadByKey(7, 0, Num(2, ""), 0), 0);
  EXPECT_EQ(Name(area), "bbbb");
  ASSERT_EQ(host.clock.pauses.size(), 3u);
  for (int pause : host.clock.pauses) {
    EXPECT_GE(pause, 1);
    EXPECT_LE(pause, 10001);
  }
  EXPECT_EQ(screens[0].find("FITXER BLOQUEJAT"), std::string::npos) << "not before the second attempt";
  // The box stands near row 24: its text on row 22.
  EXPECT_NE(screens[1].find("FITXER BLOQUEJAT. ESPEREU UN MOMENT."), std::string::npos) << screens[1];
  EXPECT_EQ(host.console.RowText(22), screens[0].substr(81 * 21, 80));
  EXPECT_EQ(AllCells(host.console), before) << "shown once and removed";

  host.clock.pauses.clear();
  ASSERT_EQ(StepRecords(7, -1), 0);
  EXPECT_TRUE(host.clock.pauses.empty()) << "a free record shows nothing";
}

TEST_F(RecordLayerTest, ModeBReturnsTheConflictAtOnce) {
  OpenNums({Num(1, "aaaa"), Num(2, "bbbb")});
  LockHolder holder({root.File("DADES/NUMS.dat"), "--file"});
  ASSERT_NE(holder.line().find("holding"), std::string::npos) << holder.line();
  SetLockMode(7, "B");
  EXPECT_EQ(ReadByKey(7, 0, "", 1), kStatusFileLocked);
  EXPECT_TRUE(host.clock.pauses.empty());
}

TEST_F(RecordLayerTest, OpenRetriesWhileAnotherProcessHoldsTheFileLock) {
  OpenNums({Num(1, "aaaa")});
  ASSERT_EQ(ResetRecordManager(), 0);
  LockHolder holder({root.File("DADES/NUMS.dat"), "--file"});
  ASSERT_NE(holder.line().find("holding"), std::string::npos) << holder.line();
  std::string screen;
  host.clock.onPause = [&](int) {
    for (int row = 1; row <= 25; ++row) screen += host.console.RowText(row);
    if (host.clock.pauses.size() == 2) holder.Stop();
  };
  ASSERT_EQ(OpenRecordFile(7, session.rootDir + "DADES\\NUMS", area), 0);
  EXPECT_EQ(host.clock.pauses, (std::vector<int>{3000, 3000}));
  EXPECT_EQ(screen.find("FITXER"), std::string::npos) << "no message meanwhile";
  EXPECT_EQ(ReadByKey(7, 0, "", 1), 0);
}

}  // namespace
