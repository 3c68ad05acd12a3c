#include "screen/window_stack.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "screen/screen.h"
#include "startup/session.h"
#include "support/screen_grid.h"
#include "support/test_host.h"

namespace {

class WindowStackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScreenState();
    ResetWindowStack();
    session = Session{};
    session.workDir = dir_.suiteDir();
    // A screen whose every cell differs from its neighbours in character
    // and attribute, so that a cell restored to the wrong place shows.
    for (int row = 1; row <= 25; ++row) {
      for (int column = 1; column <= 80; ++column) {
        screen_.PutCell(row, column,
                        {static_cast<unsigned char>('!' + (row * 7 + column) % 90),
                         static_cast<unsigned char>((row * 13 + column) % 256)});
      }
    }
    screen_.MoveCursor(1, 1);
  }
  void TearDown() override {
    ResetScreenState();
    ResetWindowStack();
  }

  std::string StackFile() const { return dir_.File("WinPush.tmp"); }
  std::string StackBytes() const { return ReadFileBytes(StackFile()); }

  // Paints a window's box so that closing it has something to undo.
  void Scribble(char ch) {
    for (int row = CurrentWindow.top; row <= CurrentWindow.bottom; ++row)
      for (int column = CurrentWindow.left; column <= CurrentWindow.right; ++column)
        screen_.PutCell(row, column, {static_cast<unsigned char>(ch), 0x4E});
  }

  TempDir dir_;
  ScopedHost host_;
  Console& screen_ = host_.console;
};

std::string Le32(int value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// A record as the stack file holds it: the ten fields, the cells and the
// record's length.
std::string Record(const std::string& fields, const std::string& cells) {
  const std::string length = std::to_string(fields.size() + cells.size() + 5);
  return fields + cells + std::string(5 - length.size(), '0') + length;
}

TEST_F(WindowStackTest, RecordHoldsCursorWindowsCellsAndLength) {
  ASSERT_TRUE(OpenWindow(5, 10, 7, 20));
  const std::string bytes = StackBytes();
  ASSERT_EQ(bytes.size(), 95u);
  EXPECT_EQ(bytes.substr(0, 4), Le32(96));
  EXPECT_EQ(bytes.substr(4, 20), "01010000000005100720");
  std::string cells;
  for (int row = 5; row <= 7; ++row) {
    for (int column = 10; column <= 20; ++column) {
      cells += static_cast<char>(screen_.ReadCell(row, column).ch);
      cells += static_cast<char>(screen_.ReadCell(row, column).attr);
    }
  }
  EXPECT_EQ(bytes.substr(24, 66), cells);
  EXPECT_EQ(bytes.substr(90, 5), "00091");
  EXPECT_EQ(CurrentWindow.depth, 1);
  EXPECT_EQ(CurrentWindow.top, 5);
  EXPECT_EQ(CurrentWindow.right, 20);

  struct stat st;
  ASSERT_EQ(::stat(StackFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // The second record names the first window as the previous one.
  screen_.MoveCursor(12, 3);
  ASSERT_TRUE(OpenWindow(1, 1, 25, 80));
  const std::string two = StackBytes();
  EXPECT_EQ(two.substr(0, 4), Le32(96 + 4025));
  EXPECT_EQ(two.substr(95, 20), "12030510072001012580");
  EXPECT_EQ(two.substr(two.size() - 5), "04025");
}

TEST_F(WindowStackTest, NestedWindowsCloseBackToTheScreenAsItWas) {
  const std::vector<Cell> before = AllCells(screen_);
  screen_.MoveCursor(20, 70);
  screen_.SetAttribute(0x1F);

  ASSERT_TRUE(OpenWindow(3, 5, 12, 40));
  Scribble('A');
  screen_.MoveCursor(4, 6);
  const std::vector<Cell> withFirst = AllCells(screen_);
  ASSERT_TRUE(OpenWindow(8, 30, 20, 79));
  Scribble('B');
  screen_.MoveCursor(9, 31);
  EXPECT_EQ(CurrentWindow.depth, 2);

  CloseWindow();
  EXPECT_EQ(AllCells(screen_), withFirst);
  EXPECT_EQ(screen_.CursorRow(), 4);
  EXPECT_EQ(screen_.CursorColumn(), 6);
  EXPECT_EQ(CurrentWindow.depth, 1);
  EXPECT_EQ(CurrentWindow.top, 3);
  EXPECT_EQ(CurrentWindow.left, 5);
  EXPECT_EQ(CurrentWindow.bottom, 12);
  EXPECT_EQ(CurrentWindow.right, 40);
  EXPECT_TRUE(FileExists(StackFile()));

  CloseWindow();
  EXPECT_EQ(AllCells(screen_), before);
  EXPECT_EQ(screen_.CursorRow(), 20);
  EXPECT_EQ(screen_.CursorColumn(), 70);
  EXPECT_EQ(CurrentWindow.depth, 0);
  EXPECT_EQ(CurrentWindow.top, 0);
  EXPECT_EQ(CurrentWindow.right, 0);
  // The console colour is that of the last cell restored, the window's last.
  EXPECT_EQ(screen_.attribute(), screen_.ReadCell(12, 40).attr);
  EXPECT_FALSE(FileExists(StackFile()));
}

TEST_F(WindowStackTest, CloseWithNothingSavedLeavesNoFile) {
  const std::vector<Cell> before = AllCells(screen_);
  CloseWindow();
  EXPECT_FALSE(FileExists(StackFile()));

  WriteFileBytes(StackFile(), std::string("\x05\0\0", 3));
  CloseWindow();
  EXPECT_FALSE(FileExists(StackFile()));
  EXPECT_EQ(AllCells(screen_), before);
  EXPECT_EQ(CurrentWindow.depth, 0);
}

TEST_F(WindowStackTest, LeftoverFileIsReusedAfterItsTop) {
  // A stack left by an earlier run: one record of a 1 x 1 window, and stale
  // bytes after it.
  const std::string record = Record("01010000000002020202", "Z\x70");
  WriteFileBytes(StackFile(), Le32(32) + record + "stale bytes");
  ASSERT_TRUE(OpenWindow(4, 4, 4, 5));
  const std::string bytes = StackBytes();
  EXPECT_EQ(bytes.substr(0, 4), Le32(32 + 29));
  EXPECT_EQ(bytes.substr(4, 27), record);
  EXPECT_EQ(bytes.substr(31, 20), "01010000000004040405");

  CloseWindow();
  EXPECT_EQ(StackBytes().substr(0, 4), Le32(32));
  CloseWindow();  // the earlier run's window
  EXPECT_EQ(screen_.ReadCell(2, 2), (Cell{'Z', 0x70}));
  EXPECT_FALSE(FileExists(StackFile()));
}

TEST_F(WindowStackTest, RefusedOpenLeavesItsParentToItsOwnClose) {
  ASSERT_TRUE(OpenWindow(2, 2, 10, 40));
  Scribble('P');
  const std::vector<Cell> withParent = AllCells(screen_);
  const std::string stack = StackBytes();

  const struct {
    int top, left, bottom, right;
  } offScreen[] = {{0, 5, 5, 10}, {5, 5, 26, 10}, {5, 0, 5, 10}, {5, 5, 5, 81}, {-3, 5, 5, 10}};
  for (const auto& box : offScreen) {
    EXPECT_FALSE(OpenWindow(box.top, box.left, box.bottom, box.right));
    EXPECT_EQ(CurrentWindow.depth, 1);
    EXPECT_EQ(StackBytes(), stack);
    CloseWindow();  // the refused window's close: the parent stays
    EXPECT_EQ(CurrentWindow.depth, 1);
    EXPECT_EQ(AllCells(screen_), withParent);
  }

  // A refused open with a real window nested above it.
  EXPECT_FALSE(OpenWindow(5, 5, 5, 99));
  ASSERT_TRUE(OpenWindow(5, 5, 6, 6));
  Scribble('C');
  CloseWindow();
  EXPECT_EQ(AllCells(screen_), withParent);
  CloseWindow();
  EXPECT_EQ(CurrentWindow.depth, 1);
  CloseWindow();
  EXPECT_EQ(CurrentWindow.depth, 0);
  EXPECT_FALSE(FileExists(StackFile()));
}

TEST_F(WindowStackTest, StackFileIsNeverOpenedThroughASymbolicLink) {
  const std::string target = dir_.File("elsewhere");
  WriteFileBytes(target, "precious");
  ASSERT_EQ(::symlink(target.c_str(), StackFile().c_str()), 0);
  EXPECT_FALSE(OpenWindow(1, 1, 3, 3));
  EXPECT_EQ(CurrentWindow.depth, 0);
  CloseWindow();
  EXPECT_EQ(ReadFileBytes(target), "precious");
}

// Damaged stack files: the close restores nothing it cannot trust, never
// reads past the file, and removes what is bad.
TEST_F(WindowStackTest, DamagedStackRestoresNothingAndIsCleared) {
  const std::string good = Record("01010000000002020202", "Z\x70");  // window (2,2)-(2,2)
  const std::string head = Le32(32) + good.substr(0, 22);            // its length still to come
  const struct {
    const char* name;
    std::string bytes;
    bool fileRemains;  // the bad record is dropped but the stack's end was found
  } cases[] = {
      {"top past the end", Le32(5000) + good, false},
      {"top before the first record", Le32(2) + good, false},
      {"negative top", Le32(-40) + good, false},
      {"truncated record", Le32(32) + good.substr(0, 20), false},
      {"length not digits", head + "0x027", false},
      {"length past the start", head + "00099", false},
      {"length too short", head + "00003", false},
      {"foreign bytes", "not a stack file at all, just text", false},
      {"window off the screen", Le32(59) + good + Record("01010000000030023002", "Y\x70"), true},
      {"cursor off the screen", Le32(59) + good + Record("99010000000003030303", "Y\x70"), true},
      {"previous window off the screen", Le32(59) + good + Record("01010100000003030303", "Y\x70"),
       true},
      {"digits not digits", Le32(59) + good + Record("01010000000003-30303", "Y\x70"), true},
      {"cells do not match the corners",
       Le32(61) + good + Record("01010000000003030303", "Y\x70Y\x70"), true},
  };
  for (const auto& c : cases) {
    SetUp();
    CurrentWindow = {2, 3, 3, 3, 3};
    WriteFileBytes(StackFile(), c.bytes);
    const std::vector<Cell> before = AllCells(screen_);
    CloseWindow();
    EXPECT_EQ(AllCells(screen_), before) << c.name;
    EXPECT_EQ(CurrentWindow.depth, 1) << c.name;
    EXPECT_EQ(CurrentWindow.top, 3) << c.name;
    EXPECT_EQ(FileExists(StackFile()), c.fileRemains) << c.name;
    if (c.fileRemains) {
      // The good record under the bad one is still there to restore.
      EXPECT_EQ(StackBytes().substr(0, 4), Le32(32)) << c.name;
      CloseWindow();
      EXPECT_EQ(screen_.ReadCell(2, 2), (Cell{'Z', 0x70})) << c.name;
      EXPECT_FALSE(FileExists(StackFile())) << c.name;
    }
  }
}

TEST_F(WindowStackTest, DamagedTopIsNotFollowedWhenOpening) {
  WriteFileBytes(StackFile(), Le32(1 << 30) + "junk");
  ASSERT_TRUE(OpenWindow(1, 1, 1, 1));
  const std::string bytes = StackBytes();
  EXPECT_EQ(bytes.size(), 4u + 27u);
  EXPECT_EQ(bytes.substr(0, 4), Le32(32));
  CloseWindow();
  EXPECT_FALSE(FileExists(StackFile()));
}

}  // namespace
