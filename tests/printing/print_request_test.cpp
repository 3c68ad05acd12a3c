// The print request on a sample installation, without the screen: the menu
// chain written back, the listing in the print file and the reference spool
// started on it.
#include "printing/print_request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/codepage.h"
#include "printing/listing.h"
#include "printing/number_format.h"
#include "printing/print_file.h"
#include "startup/ini_file.h"
#include "startup/program.h"
#include "startup/session.h"
#include "startup/translation.h"
#include "storage/record_layer.h"
#include "support/test_host.h"

namespace {

std::string BinaryDir() {
  const char* dir = std::getenv("EXPCODES_BINARY_DIR");
  return dir ? dir : EXPCODES_BINARY_DIR;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class PrintRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = session;
    const std::string make = std::string(EXPCODES_SOURCE_DIR) + "/scripts/make-installation.sh " +
                             BinaryDir() + " " + dir_.File("inst") + " >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    host_.environment.values = {{"ZEKROOT", dir_.File("inst/")},
                                {"ZEKEXE", dir_.File("inst/bin/")},
                                {"ZEKTMP", dir_.File("inst/tmp/")}};
    programName = "EXPCODES";
    EstablishSession();
  }
  void TearDown() override {
    ResetRecordManager();
    ResetPrintState();
    session = saved_;
    dictionaryName.clear();
    numberSeparators = {};
    companyName.clear();
  }

  std::string Installed(const std::string& name) const {
    return ReadFileBytes(dir_.File("inst/" + name));
  }
  std::string NomMenu() const {
    return ReadIniValue(session.workDir + "Sessio.ini", "Menu", "NomMenu");
  }

  ScopedHost host_;
  TempDir dir_;
  Session saved_;
  std::string record_ = std::string(27, ' ');
};

TEST_F(PrintRequestTest, ListsTheSampleAndPrintsItThroughTheSpool) {
  // The spool is a real process: it takes the work directory from the
  // environment it inherits, as under the suite's menu.
  HostProcesses processes;
  host().processes = &processes;
  ::setenv("ZEKTMP", dir_.File("inst/tmp/").c_str(), 1);
  ASSERT_EQ(session.chainMenuName, "LLISTATS");
  ASSERT_EQ(OpenRecordFile(kConceptsFile, session.rootDir + "DADES\\TDespesa", record_), 0);

  EXPECT_EQ(PrintConceptsTable(record_), 0);
  ::unsetenv("ZEKTMP");

  EXPECT_EQ(NomMenu(), "LLISTATS");
  const std::vector<std::string> printFile = Lines(Installed("tmp/vuzovara.tmp"));
  ASSERT_GE(printFile.size(), 4u);
  EXPECT_EQ(printFile[0], "DEVICELPT1");
  EXPECT_EQ(printFile[3], " 1 ,Distribucions Vall\x8As i Fills, S.L., 0 ");

  // The concepts of the sample, in code order, three to a printed line.
  std::vector<std::string> concepts;
  std::ifstream csv(dir_.File("inst/data/TDespesa.csv"), std::ios::binary);
  for (std::string line; std::getline(csv, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string description = line.substr(3);
    description.resize(25, ' ');
    concepts.push_back(line.substr(0, 2) + " " + description);
  }
  std::sort(concepts.begin(), concepts.end());
  ASSERT_GE(concepts.size(), 6u);

  // Codes at columns 1, 34 and 67, descriptions at 4, 37 and 70.
  auto printedLine = [&](std::size_t first) {
    const std::string line =
        concepts[first] + "     " + concepts[first + 1] + "     " + concepts[first + 2];
    return Cp850ToUtf8(line.substr(0, line.find_last_not_of(' ') + 1));
  };
  const std::vector<std::string> text = Lines(Installed("tmp/vuzovara.txt"));
  ASSERT_GE(text.size(), 8u);
  const std::string company = Cp850ToUtf8("Distribucions Vall\x8As i Fills, S.L.");
  EXPECT_EQ(text[0].substr(0, company.size()), company);
  EXPECT_EQ(text[2], std::string(32, ' ') + "TAULA DE CONCEPTES DE DESPESA");
  EXPECT_EQ(text[6], printedLine(0));
  EXPECT_EQ(text[7], printedLine(3));
  EXPECT_EQ(text.size() % 66, 0u);
}

TEST_F(PrintRequestTest, PrintFileThatCannotBeWrittenIsNotSpooled) {
  std::filesystem::create_directory(dir_.File("inst/tmp/vuzovara.tmp"));
  EXPECT_NE(PrintConceptsTable(record_), 0);
  EXPECT_EQ(NomMenu(), "LLISTATS");  // the menu chain is written first
  EXPECT_TRUE(host_.processes.commands.empty());
}

TEST_F(PrintRequestTest, SpoolIsStartedFromTheProgramDirectory) {
  session.programDir = "C:\\ZEK EXE\\";
  session.chainMenuName = "";
  EXPECT_EQ(PrintConceptsTable(record_), 0);
  EXPECT_EQ(host_.processes.commands, std::vector<std::string>{"\"C:\\ZEK EXE\\VUZOVARA\""});
  EXPECT_EQ(NomMenu(), "");  // an empty menu chain removes the entry
  EXPECT_EQ(Installed("tmp/vuzovara.tmp"), "DEVICELPT1\r\n");  // file 501 is not open
}

}  // namespace
