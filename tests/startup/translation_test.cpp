#include "startup/translation.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "startup/program.h"
#include "startup/session.h"
#include "support/test_host.h"

namespace {

class TranslationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = session;
    session.rootDir = root_.suiteDir();
    programName = "EXPCODES";
    dictionaryName.clear();
    std::filesystem::create_directory(root_.File("LOCALE"));
  }
  void TearDown() override {
    session = saved_;
    dictionaryName.clear();
  }

  std::string LanguageFile() const { return root_.File("LOCALE/EXPCODES.LNG"); }
  std::string In(const std::string& language, const std::string& text) {
    session.language = language;
    return Translate(text);
  }

  TempDir root_;
  Session saved_;
};

// Key, Galician, Occitan, Spanish.
const char kLanguageFile[] =
    "PÀGINA ,PÁXINA ,PAGINA ,PÁGINA \r\n"
    "\"Codi, nom\",\"Código, nome\",\"Còdi, nom\",\"Código, nombre\"\r\n"
    "Data\t,Data,Data,Fecha\r\n"
    "Buit,Baleiro,Void,\r\n"
    "Dues\r\n"
    "  Dúas,Doas,\"Dos\r\nlíneas\"\r\n"
    "PÀGINA ,segona,segona,segunda\r\n"
    "Nom,Nome,Nom,Nombre\r\n";

TEST_F(TranslationTest, LooksUpEachLanguage) {
  WriteFileBytes(LanguageFile(), kLanguageFile);
  struct Case {
    const char* language;
    const char* text;
    const char* expected;
  } cases[] = {
      {"SPA", "PÀGINA ", "PÁGINA "},  // first entry of a key wins
      {"GLG", "PÀGINA ", "PÁXINA "},
      {"OCI", "PÀGINA ", "PAGINA "},
      {"SPA", "Codi, nom", "Código, nombre"},  // quoted texts hold commas
      {"SPA", "Data", "Fecha"},                // tabs in unquoted texts are dropped
      {"SPA", "Buit", ""},                     // an empty translation is empty
      {"GLG", "Buit", "Baleiro"},
      {"SPA", "Dues", "Dos\r\nlíneas"},  // quoted texts run over line ends
      {"GLG", "Dues", "Dúas"},           // an entry over two lines, spaces skipped
      {"SPA", "Nom", "Nombre"},
      {"SPA", "nom", "nom"},    // case counts
      {"SPA", "Nom ", "Nom "},  // so do trailing spaces
      {"SPA", "PÀGINA", "PÀGINA"},
      {"SPA", "Absent", "Absent"},
      {"   ", "Nom", "Nom"},         // an unknown language leaves texts as they are
      {"SPANISH", "Nom", "Nombre"},  // only three characters count
      {"CATALÀ", "Nom", "Nom"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(In(c.language, c.text), c.expected) << c.language << " " << c.text;
  }
  EXPECT_EQ(dictionaryName, "EXPCODES");
}

TEST_F(TranslationTest, EntryWithThreeTextsShiftsLaterKeys) {
  // Read as entries of four texts: [Un Un Un Dos] [Dous Dos Dos Tres]
  // [Tres Tres Tres, Spanish missing].
  WriteFileBytes(LanguageFile(),
                 "Un,Un,Un\r\n"
                 "Dos,Dous,Dos,Dos\r\n"
                 "Tres,Tres,Tres,Tres\r\n");
  EXPECT_EQ(In("SPA", "Un"), "Dos");
  EXPECT_EQ(In("SPA", "Dos"), "Dos");
  EXPECT_EQ(In("SPA", "Dous"), "Tres");
  EXPECT_EQ(In("SPA", "Tres"), "");
  EXPECT_EQ(In("GLG", "Tres"), "Tres");
}

TEST_F(TranslationTest, KeyWithoutTranslationsAtTheEndIsNoMatch) {
  struct Case {
    const char* file;
    const char* text;
    const char* expected;
  } cases[] = {
      {"A,a,a,á\r\nB", "B", "B"},
      {"A,a,a,á\r\nB\r\n", "B", "B"},
      {"A,a,a,á\r\nB,b,b", "B", ""},       // Spanish missing: empty
      {"A,a,a,á", "A", "á"},               // last line without its line end
      {"A,a,a,á\nB,b,b,bb\n", "B", "bb"},  // lines ending in LF alone
      {"A,a,a,á\r\n\x1a"
       "B,b,b,bb\r\n",
       "B", "B"},  // code 26 ends the file
      {"", "A", "A"},
  };
  int number = 0;
  for (const Case& c : cases) {
    dictionaryName = "CASE" + std::to_string(++number);
    WriteFileBytes(root_.File("LOCALE/" + dictionaryName + ".LNG"), c.file);
    EXPECT_EQ(In("SPA", c.text), c.expected) << testing::PrintToString(std::string(c.file));
  }
}

TEST_F(TranslationTest, CatalanTouchesNoFile) {
  EXPECT_EQ(In("CAT", "Nom"), "Nom");
  EXPECT_FALSE(FileExists(LanguageFile()));
  EXPECT_EQ(dictionaryName, "");
}

TEST_F(TranslationTest, MissingFileIsCreatedEmpty) {
  EXPECT_EQ(In("SPA", "Nom"), "Nom");
  ASSERT_TRUE(FileExists(LanguageFile()));
  EXPECT_EQ(ReadFileBytes(LanguageFile()), "");
  // A file that appears later in the run is read.
  WriteFileBytes(LanguageFile(), "Nom,Nome,Nom,Nombre\r\n");
  EXPECT_EQ(In("SPA", "Nom"), "Nombre");
}

TEST_F(TranslationTest, MissingLocaleDirectoryLeavesTextsUnchanged) {
  std::filesystem::remove(root_.File("LOCALE"));
  EXPECT_EQ(In("SPA", "Nom"), "Nom");
  EXPECT_FALSE(FileExists(root_.File("LOCALE")));
}

TEST_F(TranslationTest, LanguageFileIsFoundWithoutRegardToCase) {
  WriteFileBytes(root_.File("LOCALE/expcodes.lng"), "Nom,Nome,Nom,Nombre\r\n");
  EXPECT_EQ(In("SPA", "Nom"), "Nombre");
  EXPECT_FALSE(FileExists(LanguageFile()));
}

}  // namespace
