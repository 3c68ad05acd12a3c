#include "printing/print_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "startup/session.h"
#include "support/test_host.h"

namespace {

class PrintFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = session;
    session.workDir = work_.suiteDir();
    ResetPrintState();
  }
  void TearDown() override {
    ResetPrintState();
    session = saved_;
  }
  std::string Written() const { return ReadFileBytes(work_.File("vuzovara.tmp")); }

  TempDir work_;
  Session saved_;
};

TEST_F(PrintFileTest, WritesCommandsAndKeepsThePosition) {
  ASSERT_EQ(OpenPrintFile("LPT1"), 0);
  NewPrintPage(66);
  PrintControl("@e");
  PrintText(1, "ABC", 0);
  EXPECT_EQ(printState.printColumn, 4);
  PrintText(5, "D\tE\x7F\xFF\x01", 1);  // unprintable characters become spaces
  EXPECT_EQ(printState.printColumn, 0);
  EXPECT_EQ(printState.linesOnPage, 1);
  PrintText(0, "x", 0);  // column 0 continues where the line is
  PrintText(0, "yz", 0);
  EXPECT_EQ(printState.printColumn, 3);
  PrintText(-3, "\x85", 2);
  EXPECT_EQ(printState.linesOnPage, 3);
  EXPECT_EQ(ClosePrintFile(), 0);
  EXPECT_EQ(Written(),
            "DEVICELPT1\r\n"
            "PAGE 66 \r\n"
            "*@e\r\n"
            " 1 ,ABC, 0 \r\n"
            " 5 ,D E   , 1 \r\n"
            " 0 ,x, 0 \r\n"
            " 0 ,yz, 0 \r\n"
            "-3 ,\x85, 2 \r\n");
}

TEST_F(PrintFileTest, FullPageStartsANewOne) {
  ASSERT_EQ(OpenPrintFile(""), 0);
  NewPrintPage(2);
  PrintText(1, "a", 1);
  PrintText(1, "b", 1);
  EXPECT_EQ(printState.linesOnPage, 2);
  PrintText(1, "c", 0);
  EXPECT_EQ(printState.linesOnPage, 0);
  EXPECT_EQ(ClosePrintFile(), 0);
  EXPECT_EQ(Written(), "DEVICE\r\nPAGE 2 \r\n 1 ,a, 1 \r\n 1 ,b, 1 \r\nPAGE 2 \r\n 1 ,c, 0 \r\n");
}

TEST_F(PrintFileTest, OpeningEmptiesAnOldFile) {
  WriteFileBytes(work_.File("vuzovara.tmp"), std::string(100000, 'x'));
  ASSERT_EQ(OpenPrintFile("PRN"), 0);
  EXPECT_EQ(ClosePrintFile(), 0);
  EXPECT_EQ(Written(), "DEVICEPRN\r\n");
}

TEST_F(PrintFileTest, JustifyModesAreWrittenInNormalForm) {
  struct Case {
    const char* mode;
    const char* normal;
  } cases[] = {
      {"C", "C"},
      {"  c", "C"},
      {"D", "D"},
      {"right", "D"},
      {"R", "D"},
      {"a", "A"},
      {"B", "A"},
      {"x", "E"},
      {"", "E"},
      {"   ", "E"},
      {"e", "E"},
      {"N5 \\ab\\", "N 5 \\ab\\"},
      {"n-12\\x\\y\\", "N 12 \\x\\"},
      {"N", "N 0 "},
      {" N 7 \\Ab c\\ ", "N 7 \\Ab c\\"},
      {"Nx\\open", "N 0 \\open"},
  };
  ASSERT_EQ(OpenPrintFile(""), 0);
  std::string expected = "DEVICE\r\n";
  for (const Case& c : cases) {
    std::string mode = c.mode;
    SetPrintJustify(mode);
    EXPECT_EQ(mode, c.normal) << "mode \"" << c.mode << "\"";
    expected += std::string("JUS") + c.normal + "\r\n";
  }
  EXPECT_EQ(ClosePrintFile(), 0);
  EXPECT_EQ(Written(), expected);
}

TEST_F(PrintFileTest, LongListingIsWrittenWhole) {
  ASSERT_EQ(OpenPrintFile(""), 0);
  NewPrintPage(32767);
  std::string expected = "DEVICE\r\nPAGE 32767 \r\n";
  for (int i = 0; i < 5000; ++i) {
    const std::string text = std::to_string(i) + std::string(90, 'z');
    PrintText(1, text, 1);
    expected += " 1 ," + text + ", 1 \r\n";
  }
  EXPECT_EQ(ClosePrintFile(), 0);
  EXPECT_TRUE(Written() == expected);
}

TEST_F(PrintFileTest, FileThatCannotBeCreatedIsReportedAtOpenAndClose) {
  session.workDir = work_.suiteDir() + "missing\\";
  EXPECT_NE(OpenPrintFile("LPT1"), 0);
  NewPrintPage(66);
  PrintText(1, "ABC", 1);
  EXPECT_NE(ClosePrintFile(), 0);
  EXPECT_FALSE(FileExists(work_.File("missing")));
}

TEST_F(PrintFileTest, WriteFailureIsReportedAtClose) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::filesystem::create_symlink("/dev/full", work_.File("vuzovara.tmp"));
  ASSERT_EQ(OpenPrintFile("LPT1"), 0);
  NewPrintPage(66);
  PrintText(1, "ABC", 1);
  EXPECT_NE(ClosePrintFile(), 0);
}

}  // namespace
