// recutil run as a program on temporary files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/test_host.h"

namespace {

struct Result {
  int exitStatus = -1;
  std::string output;
};

Result Recutil(const std::string& arguments) {
  std::string command = std::string(EXPCODES_BINARY_DIR) + "/recutil " + arguments + " 2>&1";
  Result result;
  FILE* pipe = ::popen(command.c_str(), "r");
  char buffer[512];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = ::pclose(pipe);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class RecutilTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = dir.File("TDespesa.dat");
    std::string dictionary = std::string(EXPCODES_SOURCE_DIR) + "/sample/ddf/TDespesa.xdf";
    ASSERT_EQ(Recutil("create " + file + " " + dictionary).exitStatus, 0);
  }
  TempDir dir;
  std::string file;
};

TEST_F(RecutilTest, CsvAndSequentialFilesRoundTripInCodeOrder) {
  // "\x82" is e-acute in code page 850; the quoted field holds a comma.
  WriteFileBytes(dir.File("in.csv"), "02,Caf\x82\r\n01,\"Neteja, local\"\n");
  Result load = Recutil("load " + file + " " + dir.File("in.csv") + " --csv 2,25");
  ASSERT_EQ(load.exitStatus, 0) << load.output;
  ASSERT_EQ(Recutil("save " + file + " " + dir.File("out.csv") + " --csv 2,25").exitStatus, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("out.csv")), "01,\"Neteja, local\"\r\n02,Caf\x82\r\n");
  ASSERT_EQ(Recutil("save " + file + " " + dir.File("out.utf8") + " --csv 2,25 --utf8").exitStatus, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("out.utf8")), "01,\"Neteja, local\"\r\n02,Caf\xC3\xA9\r\n");

  ASSERT_EQ(Recutil("save " + file + " " + dir.File("out.seq")).exitStatus, 0);
  std::string sequential = ReadFileBytes(dir.File("out.seq"));
  std::string description = "Neteja, local";
  description.resize(25, ' ');
  EXPECT_EQ(sequential.substr(0, 32), "27,01" + description + "\r\n");
  std::string copy = dir.File("copy.dat");
  ASSERT_EQ(Recutil("create " + copy + " " + EXPCODES_SOURCE_DIR + "/sample/ddf/TDespesa.xdf").exitStatus, 0);
  ASSERT_EQ(Recutil("load " + copy + " " + dir.File("out.seq")).exitStatus, 0);
  ASSERT_EQ(Recutil("save " + copy + " " + dir.File("again.seq")).exitStatus, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("again.seq")), sequential);
  Result stat = Recutil("stat " + copy);
  EXPECT_NE(stat.output.find("records: 2\n"), std::string::npos) << stat.output;
}

TEST_F(RecutilTest, BadInputIsRefusedWithAMessageAndLoadsNothing) {
  struct Case {
    const char* input;
    const char* options;
    const char* message;
  } cases[] = {
      {"01,Aigua\r\n02,\"Gas\r\n", "--csv 2,25", "quote is not closed"},
      {"01,Aigua\r\n02,Una descripció massa llarga per al camp\r\n", "--csv 2,25", "longer than 25"},
      {"01,Aigua,x\r\n", "--csv 2,25", "has 3 fields"},
      {"01,Aigua\r\n", "--csv 2,20", "add up to 22"},
      {"01,Aigua\r\n01,Gas\r\n", "--csv 2,25", "status 5"},
      {"27,01Aigua                    \r\n27,02Gas", "", "cut short"},
      {"5,01Gas\r\n", "", "has 5 bytes"},
  };
  for (const Case& c : cases) {
    WriteFileBytes(dir.File("bad"), c.input);
    Result load = Recutil("load " + file + " " + dir.File("bad") + " " + c.options);
    EXPECT_EQ(load.exitStatus, 1) << c.input;
    EXPECT_NE(load.output.find(c.message), std::string::npos) << load.output;
    EXPECT_NE(Recutil("stat " + file).output.find("records: 0\n"), std::string::npos) << c.input;
  }
  // Widths that do not cover the record would drop bytes from what is saved.
  for (const char* widths : {"2", "2,30", "4294967298,25"}) {
    Result save = Recutil("save " + file + " " + dir.File("out.csv") + " --csv " + widths);
    EXPECT_EQ(save.exitStatus, 1) << widths << ": " << save.output;
    EXPECT_NE(save.output.find("CSV width"), std::string::npos) << save.output;
  }
  EXPECT_EQ(Recutil("frobnicate").exitStatus, 2);
  EXPECT_EQ(Recutil("stat " + dir.File("missing.dat")).exitStatus, 1);
  EXPECT_EQ(Recutil("lock " + file + " --hold 1").exitStatus, 1);
  EXPECT_EQ(Recutil("--help").exitStatus, 0);
}

}  // namespace
