#include "screen/help.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "screen/screen.h"
#include "screen/window_stack.h"
#include "startup/session.h"
#include "support/screen_grid.h"
#include "support/test_host.h"

namespace {

constexpr int kF1 = 0x3B00, kHome = 0x4700, kUp = 0x4800, kPgUp = 0x4900, kEnd = 0x4F00,
              kDown = 0x5000, kPgDn = 0x5100, kEsc = 27;

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScreenState();
    ResetWindowStack();
    session = Session{};
    session.runMode = "DOS";
    session.workDir = work_.suiteDir();
    session.colorPalette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {14, 1}}};
    std::filesystem::create_directory(root_.File("AJUDA"));
    ASSERT_EQ(::chdir(root_.path().c_str()), 0);
    screen_.SetAttribute(0x07);
    screen_.Clear();
    screen_.MoveCursor(1, 1);
    screen_.Write("the form underneath");
    SetColor("n");
  }
  void TearDown() override {
    std::filesystem::current_path(saved_);
    ResetScreenState();
    ResetWindowStack();
  }

  // A help file of the given lines, each padded to an 80-byte record.
  void WriteHelp(const std::string& name, const std::vector<std::string>& lines) {
    std::string bytes;
    for (std::string line : lines) {
      line.resize(78, ' ');
      bytes += line + "\r\n";
    }
    WriteFileBytes(root_.File("AJUDA/" + name + ".HLP"), bytes);
  }
  void WriteNumberedHelp(const std::string& name, int count) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) lines.push_back(name + " line " + std::to_string(i));
    WriteHelp(name, lines);
  }

  // The first and last line shown in the viewer's text area (screen rows 5
  // to 21), read back from the screen.
  std::pair<std::string, std::string> Shown() const {
    auto text = [this](int row) {
      std::string line = screen_.RowText(row).substr(2, 76);
      line.erase(line.find_last_not_of(' ') + 1);
      return line;
    };
    return {text(5), text(21)};
  }

  std::filesystem::path saved_ = std::filesystem::current_path();
  TempDir root_;
  TempDir work_;
  ScopedHost host_;
  MemoryConsole& screen_ = host_.console;
};

TEST_F(HelpTest, PagesThroughALongFile) {
  WriteNumberedHelp("EXPCODES", 40);
  auto page = [](int first, int last) {
    return std::pair<std::string, std::string>{"EXPCODES line " + std::to_string(first),
                                               "EXPCODES line " + std::to_string(last)};
  };
  const struct {
    int key;
    std::pair<std::string, std::string> shown;
  } steps[] = {
      {0, page(1, 17)},      {kUp, page(1, 17)},    {kPgUp, page(1, 17)},  {kHome, page(1, 17)},
      {kPgDn, page(18, 34)}, {kPgDn, page(24, 40)}, {kDown, page(24, 40)}, {kPgDn, page(24, 40)},
      {kEnd, page(24, 40)},  {kPgUp, page(8, 24)},  {kPgUp, page(1, 17)},  {kEnd, page(24, 40)},
      {kHome, page(1, 17)},  {kPgDn, page(18, 34)}, {kPgUp, page(2, 18)},  {kDown, page(3, 19)},
      {kUp, page(2, 18)},    {kUp, page(1, 17)},    {kUp, page(1, 17)},    {'x', page(1, 17)},
  };
  std::size_t step = 0;
  // Each key is checked when the viewer asks for the next one.
  SetHelpKeyReader([&]() -> int {
    EXPECT_EQ(Shown(), steps[step].shown) << "after step " << step;
    if (++step == std::size(steps)) return kEsc;
    return steps[step].key;
  });
  ShowHelp("EXPCODES");
  SetHelpKeyReader(nullptr);
  EXPECT_EQ(step, std::size(steps));
}

TEST_F(HelpTest, ViewerLeavesTheScreenAndColourAsTheyWere) {
  WriteNumberedHelp("EXPCODES", 3);
  const std::vector<Cell> before = AllCells(screen_);
  SetHelpKeyReader([&, first = true]() mutable {
    if (!first) return kEsc;
    first = false;
    EXPECT_EQ(TextGrid(screen_, 4, 1, 4, 80)[0], "╔" + Repeat("═", 78) + "╗");
    EXPECT_EQ(screen_.ReadCell(4, 1).attr, 0x0F);  // the frame in "h"
    EXPECT_EQ(screen_.ReadCell(5, 3).attr, 0x07);  // the text in "n"
    EXPECT_EQ(Shown(), (std::pair<std::string, std::string>{"EXPCODES line 1", ""}));
    EXPECT_EQ(screen_.RowText(8).substr(1, 78), std::string(78, ' '));  // past the end: blank
    return kPgDn;
  });
  ShowHelp("EXPCODES");
  SetHelpKeyReader(nullptr);
  EXPECT_EQ(AllCells(screen_), before);
  EXPECT_EQ(currentColorStyle, 1);
  EXPECT_EQ(ColorStack, "");
  EXPECT_EQ(CurrentWindow.depth, 0);
}

TEST_F(HelpTest, MissingFileShowsBlankRows) {
  screen_.PushKey(kDown);
  screen_.PushKey(kEnd);
  screen_.PushKey(kEsc);
  SetHelpKeyReader([&]() -> int {
    EXPECT_EQ(TextGrid(screen_, 5, 2, 21, 79), std::vector<std::string>(17, std::string(78, ' ')));
    InputEvent event;
    EXPECT_TRUE(screen_.PollEvent(event));
    return event.key;
  });
  ShowHelp("NOHELP");
  SetHelpKeyReader(nullptr);
  EXPECT_EQ(screen_.RowText(1).substr(0, 19), "the form underneath");
}

TEST_F(HelpTest, MarkupSwitchesColoursAndTakesNoRoom) {
  // Styles: h 0x0F, n 0x07, r 0x70, u 0x1E.
  WriteHelp("EXPCODES", {"A\x1E"
                         "B\x1E"
                         "C",
                         "\x1F"
                         "U\x1E"
                         "U\x1E\x1F"
                         "x\x10"
                         "R\x10"
                         "n",
                         "\x10\x10" + std::string(76, 'w')});
  SetHelpKeyReader([&]() {
    EXPECT_EQ(screen_.RowText(5).substr(2, 4), "ABC ");
    EXPECT_EQ(AttrGrid(screen_, 5, 3, 6, 8, {{0x0F, 'h'}, {0x07, 'n'}, {0x70, 'r'}, {0x1E, 'u'}}),
              (std::vector<std::string>{"nhnnnn", "uunrnn"}));
    EXPECT_EQ(screen_.RowText(6).substr(2, 6), "UUxRn ");
    // At most 76 characters of a line with markup are shown: not its CR LF.
    EXPECT_EQ(screen_.RowText(7).substr(2, 77), std::string(76, 'w') + " ");
    return kEsc;
  });
  ShowHelp("EXPCODES");
  SetHelpKeyReader(nullptr);
}

TEST_F(HelpTest, F1OpensTheMenuHelpOnTopButNotFromItself) {
  WriteNumberedHelp("EXPCODES", 20);
  WriteNumberedHelp("MAINMENU", 20);
  std::vector<std::string> seen;
  int keys = 0;
  SetHelpKeyReader([&]() -> int {
    seen.push_back(Shown().first);
    const int script[] = {kPgDn, kF1, kF1, kEsc, kEsc};
    return script[keys++];
  });
  ShowHelp("EXPCODES");
  SetHelpKeyReader(nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{"EXPCODES line 1", "EXPCODES line 4", "MAINMENU line 1",
                                            "MAINMENU line 1", "EXPCODES line 4"}));
}

TEST_F(HelpTest, WindowsSessionStartsTheLauncherAndWaits) {
  session.runMode = "WIN";
  host_.environment.values["COMSPEC"] = "C:\\WINDOWS\\CMD.EXE";
  const std::vector<Cell> before = AllCells(screen_);
  ShowHelp("EXPCODES");
  EXPECT_EQ(host_.processes.commands,
            (std::vector<std::string>{"C:\\WINDOWS\\CMD.EXE /C HLPRUN AJUDA\\EXPCODES.HTM"}));
  EXPECT_EQ(AllCells(screen_), before);
}

TEST_F(HelpTest, DefaultKeyReaderPollsTheConsole) {
  WriteNumberedHelp("EXPCODES", 40);
  screen_.Push(InputEvent::Mouse(MouseAction::kRelease, 1, 10, 10));
  screen_.PushKey(kPgDn);
  screen_.onIdle = [&] {
    EXPECT_EQ(Shown().first, "EXPCODES line 18");
    screen_.PushKey(kEsc);
  };
  ShowHelp("EXPCODES");
  EXPECT_EQ(screen_.pending(), 0u);
}

// The sample installation's help files: whole 80-byte records, no control
// characters but the markup (a line end would show as a glyph), at most 76
// characters shown before the padding, every colour switched back off at the
// end of its line.
TEST(SampleHelp, FilesAreWholeRecordsWithBalancedMarkup) {
  for (const char* name : {"EXPCODES.HLP", "MAINMENU.HLP"}) {
    const std::string bytes =
        ReadFileBytes(std::string(EXPCODES_SOURCE_DIR) + "/sample/AJUDA/" + name);
    ASSERT_FALSE(bytes.empty()) << name;
    ASSERT_EQ(bytes.size() % 80, 0u) << name;
    for (std::size_t at = 0; at < bytes.size(); at += 80) {
      std::string text = bytes.substr(at, 80);
      text.erase(text.find_last_not_of(' ') + 1);  // padding is never shown
      int shown = 0, toggles[3] = {0, 0, 0};
      for (char ch : text) {
        if (ch == 30) {
          ++toggles[0];
        } else if (ch == 31) {
          ++toggles[1];
        } else if (ch == 16) {
          ++toggles[2];
        } else {
          EXPECT_GE(static_cast<unsigned char>(ch), 32) << name << " line " << at / 80 + 1;
          ++shown;
        }
      }
      EXPECT_LE(shown, 76) << name << " line " << at / 80 + 1;
      for (int count : toggles) EXPECT_EQ(count % 2, 0) << name << " line " << at / 80 + 1;
    }
  }
}

}  // namespace
