#include "printing/listing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "printing/number_format.h"
#include "printing/print_file.h"
#include "startup/program.h"
#include "startup/session.h"
#include "startup/translation.h"
#include "storage/btrcall.h"
#include "storage/record_layer.h"
#include "support/test_host.h"

namespace {

const std::string kSourceDir = EXPCODES_SOURCE_DIR;

std::string BinaryDir() {
  const char* dir = std::getenv("EXPCODES_BINARY_DIR");
  return dir ? dir : EXPCODES_BINARY_DIR;
}

// count concepts with codes in key order ("00", "01", ... "0Z", "10", ...)
// as the CSV that recutil loads.
std::string ConceptsCsv(int count) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  static const char* const kWords[] = {"Lloguer del local",
                                       "Dietes i despla\x87"
                                       "os",
                                       "Consum el\x8A"
                                       "ctric",
                                       "Material d'oficina", "Reparacions i obres"};
  std::string csv;
  for (int i = 0; i < count; ++i) {
    csv += kDigits[i / 36];
    csv += kDigits[i % 36];
    csv += ",";
    csv += kWords[i % 5];
    csv += " " + std::to_string(i) + "\r\n";
  }
  return csv;
}

std::string Padded(std::string text) {
  text.resize(25, ' ');
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = session;
    programName = "EXPCODES";
    companyName = "DISTRIBUCIONS VALL\xD4S I FILLS, S.L.";
  }
  void TearDown() override {
    ResetRecordManager();
    ResetPrintState();
    session = saved_;
    dictionaryName.clear();
    numberSeparators = {};
    companyName.clear();
  }

  // The print file of the listing of count concepts in language, made in a
  // fresh installation.
  std::string PrintListing(int count, const std::string& language) {
    TempDir root;
    session = Session{};
    session.rootDir = session.workDir = root.suiteDir();
    session.language = language;
    dictionaryName.clear();
    numberSeparators = {};
    for (const char* dir : {"ddf", "DADES", "LOCALE"})
      std::filesystem::create_directory(root.File(dir));
    std::filesystem::copy_file(kSourceDir + "/sample/ddf/TDespesa.xdf",
                               root.File("ddf/TDespesa.xdf"));
    std::filesystem::copy_file(kSourceDir + "/sample/LOCALE/EXPCODES.LNG",
                               root.File("LOCALE/EXPCODES.LNG"));
    const std::string dat = root.File("DADES/TDespesa.dat");
    WriteFileBytes(root.File("concepts.csv"), ConceptsCsv(count));
    const std::string recutil = BinaryDir() + "/recutil";
    const std::string load = recutil + " create " + dat + " " + root.File("ddf/TDespesa.xdf") +
                             " >/dev/null && " + recutil + " load " + dat + " " +
                             root.File("concepts.csv") + " --csv 2,25 >/dev/null";
    EXPECT_EQ(std::system(load.c_str()), 0) << load;

    std::string record(27, ' ');
    EXPECT_EQ(OpenRecordFile(kConceptsFile, session.rootDir + "DADES\\TDespesa", record), 0);
    EXPECT_EQ(OpenPrintFile("LPT1"), 0);
    EXPECT_EQ(ListExpenseConcepts(record), kStatusEndOfFile);
    EXPECT_EQ(ClosePrintFile(), 0);
    ResetRecordManager();
    return ReadFileBytes(root.File("vuzovara.tmp"));
  }

  ScopedHost host_;
  Session saved_;
};

TEST_F(ListingTest, ThreeConceptsToALineUnderTheHeading) {
  const std::vector<std::string> lines = Lines(PrintListing(4, "CAT"));
  const std::vector<std::string> expected = {
      "DEVICELPT1\r",
      "PAGE 66 \r",
      "*@e\r",
      " 1 ,DISTRIBUCIONS VALL\xD4S I FILLS, S.L., 0 \r",
      "JUSD\r",
      " 85 ,P\xB7GINA    1, 2 \r",
      " 33 ,TAULA DE CONCEPTES DE DESPESA, 2 \r",
      " 1 ,C., 0 \r",
      " 4 ,DESCRIPCI\xE0               , 0 \r",
      " 34 ,C., 0 \r",
      " 37 ,DESCRIPCI\xE0               , 0 \r",
      " 67 ,C., 0 \r",
      " 70 ,DESCRIPCI\xE0               , 1 \r",
      " 1 ," + std::string(95, '-') + ", 1 \r",
      " 1 ,00, 0 \r",
      " 4 ," + Padded("Lloguer del local 0") + ", 0 \r",
      " 34 ,01, 0 \r",
      " 37 ," +
          Padded("Dietes i despla\x87"
                 "os 1") +
          ", 0 \r",
      " 67 ,02, 0 \r",
      " 70 ," +
          Padded("Consum el\x8A"
                 "ctric 2") +
          ", 1 \r",
      " 1 ,03, 0 \r",
      " 4 ," + Padded("Material d'oficina 3") + ", 0 \r",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(ListingTest, RecordAfterAFullPageStartsTheNextPage) {
  const std::vector<std::string> lines = Lines(PrintListing(166, "SPA"));
  // One device line; per page 13 heading lines; 165 concepts take 2 lines each.
  ASSERT_EQ(lines.size(), 1 + 13 + 165 * 2 + 13 + 2);
  const std::size_t page2 = 1 + 13 + 165 * 2;
  EXPECT_EQ(lines[page2], "PAGE 66 \r");
  EXPECT_EQ(lines[page2 + 1], "*@e\r");
  EXPECT_EQ(lines[page2 + 4], " 85 ,P\xB5GINA    2, 2 \r");
  EXPECT_EQ(lines[page2 + 5], " 34 ,TABLA DE CONCEPTOS DE GASTO, 2 \r");
  // The caption keeps the description's width whatever its translation.
  EXPECT_EQ(lines[page2 + 7], " 4 ,DESCRIPCI\xE0N              , 0 \r");
  EXPECT_EQ(lines[page2 + 13], " 1 ,4L, 0 \r");
}

// The print files of listings compared with the checked-in ones; with
// EXPCODES_UPDATE_GOLDEN set they are written instead.
TEST_F(ListingTest, PrintFilesMatchTheGoldenFiles) {
  for (const int count : {0, 1, 4, 165, 166}) {
    for (const char* language : {"CAT", "SPA"}) {
      const std::string written = PrintListing(count, language);
      const std::string golden = kSourceDir + "/tests/printing/golden/listing_" +
                                 std::to_string(count) + "_" + language + ".tmp";
      if (std::getenv("EXPCODES_UPDATE_GOLDEN")) WriteFileBytes(golden, written);
      EXPECT_TRUE(written == ReadFileBytes(golden)) << "differs from " << golden;
    }
  }
}

}  // namespace
