// The reference spool, run as the real program on scratch print files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "support/test_host.h"

namespace {

std::string SpoolProgram() {
  const char* dir = std::getenv("EXPCODES_BINARY_DIR");
  return std::string(dir ? dir : EXPCODES_BINARY_DIR) + "/vuzovara";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class SpoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(SpoolProgram())) << "build the vuzovara target first";
    std::filesystem::create_directory(fakeBin_.File("bin"));
    // A print system with the printers LASER and TICKETS; lp keeps its job.
    Script("lpstat", "[ \"$1\" = -e ] && printf 'LASER\\nTICKETS\\n'");
    Script("lp", "printf '%s ' \"$@\" > " + work_.File("lp-args") + "; cat > " +
                     work_.File("lp-job") + "; exit ${LP_STATUS:-0}");
  }

  void Script(const std::string& name, const std::string& body) {
    const std::string path = fakeBin_.File("bin/" + name);
    WriteFileBytes(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
  }

  // Runs the spool with ZEKTMP naming the work directory (unset when zektmp
  // is empty, in the work directory then); returns its exit status.
  int RunSpool(const std::string& zektmp, const std::string& extra = "") {
    const std::string command = "cd " + work_.path() + " && env -u ZEKTMP PATH=" + fakeBin_.path() +
                                "/bin:/usr/bin:/bin " + extra +
                                (zektmp.empty() ? "" : " ZEKTMP='" + zektmp + "'") + " " +
                                SpoolProgram() + " 2>" + work_.File("stderr");
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Errors() const { return ReadFileBytes(work_.File("stderr")); }

  TempDir work_;
  TempDir fakeBin_;
};

const char kTwoPages[] =
    "DEVICELPT1\r\n"
    "PAGE 66 \r\n"
    "*@e\r\n"
    " 1 ,ACME, 0 \r\n"
    "JUSD\r\n"
    " 85 ,P\xB7GINA 1, 2 \r\n"
    " 1 ,01, 0 \r\n"
    " 4 ,Dietes, 0 \r\n"
    " 0 ,+, 0 \r\n"  // column 0 continues the line
    " 34 ,02, 0 \r\n"
    " 37 ,Peatges, 1 \r\n"
    "JUSC\r\n"
    " 1 ,mig, 1 \r\n"
    "JUSA\r\n"
    " 81 ,a b c, 1 \r\n"
    "JUSN 5 \\x\\\r\n"
    " 3 ,N, 1 \r\n"
    "PAGE 66 \r\n"
    " 10 ,, 3 \r\n"
    "-5 ,\x87, 0 \r\n";

TEST_F(SpoolTest, RendersPagesAsTextLinesAtTheirColumns) {
  WriteFileBytes(work_.File("vuzovara.tmp"), kTwoPages);
  ASSERT_EQ(RunSpool(work_.path() + "/"), 0) << Errors();
  const std::vector<std::string> lines = Lines(ReadFileBytes(work_.File("vuzovara.txt")));
  ASSERT_EQ(lines.size(), 132u);
  EXPECT_EQ(lines[0], "ACME" + std::string(84, ' ') + "PÀGINA 1");  // right-aligned in 96
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "01 Dietes+" + std::string(23, ' ') + "02 Peatges");
  EXPECT_EQ(lines[3], std::string(46, ' ') + "mig");
  EXPECT_EQ(lines[4], std::string(80, ' ') + "a       b      c");
  EXPECT_EQ(lines[5], "  N");  // alignment applies to the next text only
  EXPECT_EQ(lines[66 + 3], "ç");
  EXPECT_FALSE(FileExists(work_.File("lp-job")));
}

TEST_F(SpoolTest, WorkDirectoryInSuiteFormOrTheCurrentDirectory) {
  WriteFileBytes(work_.File("vuzovara.tmp"), "DEVICE\r\nPAGE 2 \r\n 3 ,x, 1 \r\n");
  ASSERT_EQ(RunSpool(""), 0) << Errors();
  EXPECT_EQ(ReadFileBytes(work_.File("vuzovara.txt")), "  x\n\n");
  std::filesystem::remove(work_.File("vuzovara.txt"));

  std::string suiteDir = work_.suiteDir();
  suiteDir.pop_back();  // without its final backslash
  ASSERT_EQ(RunSpool(suiteDir), 0) << Errors();
  EXPECT_EQ(ReadFileBytes(work_.File("vuzovara.txt")), "  x\n\n");
}

TEST_F(SpoolTest, PrinterDeviceGoesToLp) {
  WriteFileBytes(work_.File("vuzovara.tmp"), "DEVICETICKETS\r\nPAGE 1 \r\n 1 ,\x85s, 1 \r\n");
  ASSERT_EQ(RunSpool(work_.path()), 0) << Errors();
  EXPECT_EQ(ReadFileBytes(work_.File("lp-args")), "-d TICKETS ");
  EXPECT_EQ(ReadFileBytes(work_.File("lp-job")), "às\n");
  EXPECT_FALSE(FileExists(work_.File("vuzovara.txt")));
}

TEST_F(SpoolTest, FailedPrintIsReportedAndKeptInTheTextFile) {
  WriteFileBytes(work_.File("vuzovara.tmp"), "DEVICELASER\r\nPAGE 1 \r\n 1 ,x, 1 \r\n");
  EXPECT_EQ(RunSpool(work_.path(), "LP_STATUS=3"), 1);
  EXPECT_NE(Errors().find("the listing is in " + work_.path() + "/vuzovara.txt"),
            std::string::npos);
  EXPECT_NE(Errors().find("lp could not print to LASER"), std::string::npos) << Errors();
  EXPECT_EQ(ReadFileBytes(work_.File("vuzovara.txt")), "x\n");
}

TEST_F(SpoolTest, OwnErrorsAreReported) {
  EXPECT_EQ(RunSpool(work_.path()), 1);
  EXPECT_NE(Errors().find("cannot read the print file " + work_.path() + "/vuzovara.tmp"),
            std::string::npos)
      << Errors();

  WriteFileBytes(work_.File("vuzovara.tmp"), "DEVICE\r\nPAGE 1 \r\nnonsense\r\n 1 ,ok, 1 \r\n");
  EXPECT_EQ(RunSpool(work_.path()), 1);
  EXPECT_NE(Errors().find("line 3 is not a print command"), std::string::npos) << Errors();
  EXPECT_EQ(ReadFileBytes(work_.File("vuzovara.txt")), "ok\n");
}

}  // namespace
