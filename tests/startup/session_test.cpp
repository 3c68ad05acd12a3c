#include "startup/session.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <map>

#include "startup/ini_file.h"
#include "support/test_host.h"

namespace {

// An installation in a scratch directory: root/, root/tmp/ (the work
// directory) and root/term/ (a terminal directory).
class SessionTest : public ::testing::Test {
 protected:
  SessionTest() {
    ::mkdir(dir.File("tmp").c_str(), 0755);
    ::mkdir(dir.File("term").c_str(), 0755);
    hostServices.environment.values["ZEKROOT"] = Root();
    hostServices.environment.values["ZEKEXE"] = Root() + "bin\\";
  }
  std::string Root() const { return dir.suiteDir(); }
  void File(const std::string& name, const std::string& text) {
    WriteFileBytes(dir.File(name), text);
  }
  Session& Establish() {
    EstablishSession();
    return session;
  }

  ScopedHost hostServices;
  TempDir dir;
};

TEST_F(SessionTest, ReadsEveryValueFromEnvironmentAndFiles) {
  hostServices.environment.values["ZEKTMP"] = Root() + "tmp";
  File("tmp/Sessio.ini",
       "[Menu]\r\nTitol=Manteniment\r\nNomMenu=EXPCODES\r\nChnMenu=MENU2\r\n"
       "[Terminal]\r\nDir=" + Root() + "term\r\n");
  File("tmp/OrvoTerm.ini",
       "[Pantalla]\r\nSeleccio=2\r\nCol2=15010701000700070007\r\n"
       "[Sistema]\r\nData=20240315\r\nSortida=LPT1\r\nIdioma=SPA\r\n");
  File("Orvo.ini", "[Usuari]\r\nIdioma=GLG\r\n");
  const Session& s = Establish();
  EXPECT_EQ(s.rootDir, Root());
  EXPECT_EQ(s.programDir, Root() + "bin\\");
  EXPECT_EQ(s.workDir, Root() + "tmp\\");
  EXPECT_EQ(s.terminalDir, Root() + "term\\");
  EXPECT_EQ(s.screenTitle, " Manteniment ");
  EXPECT_EQ(s.menuName, "EXPCODES");
  EXPECT_EQ(s.chainMenuName, "MENU2");
  EXPECT_EQ(s.outputDevice, "LPT1");
  EXPECT_EQ(s.workingDate, "\x94\x98\x83\x8F");
  EXPECT_EQ(s.language, "SPA");
  EXPECT_EQ(s.runMode, "DOS");
  const std::array<ColorPair, 5> palette = {
      ColorPair{15, 1}, ColorPair{7, 1}, ColorPair{0, 7}, ColorPair{0, 7}, ColorPair{0, 7}};
  EXPECT_EQ(s.colorPalette, palette);
}

TEST_F(SessionTest, EmptyWorkDirectoryReadsSessionHereAndTerminalFileFromTerminalDirectory) {
  // No ZEKTMP: "Sessio.ini" comes from the current directory, which is not
  // ours, so its values are empty; the terminal directory then comes from
  // TERM, and "OrvoTerm.ini" from there.
  hostServices.environment.values["TERM"] = Root() + "term";
  File("term/OrvoTerm.ini", "[Sistema]\r\nSortida=PRN\r\n");
  const Session& s = Establish();
  EXPECT_EQ(s.terminalDir, Root() + "term\\");
  EXPECT_EQ(s.workDir, Root() + "term\\");
  EXPECT_EQ(s.outputDevice, "PRN");
  EXPECT_EQ(s.screenTitle, "  ");
}

TEST_F(SessionTest, DirectoryTexts) {
  struct Case {
    std::string zektmp, term;
    std::string workDir, terminalDir;
  };
  const Case cases[] = {
      {"C:\\TMP", "", "C:\\TMP\\", ""},
      {"C:", "", "C:", ""},
      {"C:\\TMP\\", "", "C:\\TMP\\", ""},
      {"C:\\TMP", "xterm-256color", "C:\\TMP\\", ""},  // a terminal type, not a directory
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    hostServices.environment.values["ZEKTMP"] = c.zektmp;
    hostServices.environment.values["TERM"] = c.term;
    const Session& s = Establish();
    EXPECT_EQ(s.workDir, c.workDir) << c.zektmp;
    EXPECT_EQ(s.terminalDir, c.terminalDir) << c.zektmp;
  }
  // "Dir" of the session file wins over TERM and gets its backslash.
  hostServices.environment.values["ZEKTMP"] = Root() + "tmp";
  hostServices.environment.values["TERM"] = Root() + "term";
  File("tmp/Sessio.ini", "[Terminal]\r\nDir=D:\\T\r\n");
  EXPECT_EQ(Establish().terminalDir, "D:\\T\\");
  File("tmp/Sessio.ini", "[Terminal]\r\nDir=D:\r\n");
  EXPECT_EQ(Establish().terminalDir, "D:");
}

TEST_F(SessionTest, ColourPalette) {
  struct Case {
    std::string pantalla;
    std::array<ColorPair, 5> palette;
  };
  const std::array<ColorPair, 5> standard = {ColorPair{15, 0}, ColorPair{7, 0}, ColorPair{0, 7},
                                             ColorPair{0, 7}, ColorPair{0, 7}};
  const Case cases[] = {
      {"", standard},
      {"Col0=01020304050607080910\r\n",
       {ColorPair{1, 2}, ColorPair{3, 4}, ColorPair{5, 6}, ColorPair{7, 8}, ColorPair{9, 10}}},
      {"Seleccio=3\r\nCol3=1401\r\nCol0=0000\r\n",
       {ColorPair{14, 1}, ColorPair{}, ColorPair{}, ColorPair{}, ColorPair{}}},
      {"Seleccio=2\r\nCol0=0102\r\n", standard},  // the selected key is absent
      {"Seleccio=abc\r\nCol0=0901\r\n", {ColorPair{9, 1}}},
      {"Seleccio=-1\r\nCol-1=0402\r\n", {ColorPair{4, 2}}},
      {"Col0=1x 7 5\r\n", {ColorPair{0, 7}, ColorPair{5, 0}}},
  };
  hostServices.environment.values["ZEKTMP"] = Root() + "tmp";
  for (const Case& c : cases) {
    File("tmp/OrvoTerm.ini", "[Pantalla]\r\n" + c.pantalla);
    EXPECT_EQ(Establish().colorPalette, c.palette) << c.pantalla;
  }
}

TEST_F(SessionTest, Language) {
  struct Case {
    std::string terminal, installation, language;
  };
  const Case cases[] = {
      {"SPA", "GLG", "SPA"}, {"ES", "GLG", "ES "},   {"Spanish", "", "Spa"},
      {"spa", "", "spa"},    {"", "OCI", "OCI"},      {"", "Occita", "Occ"},
      {"", "", "   "},       {"   ", "CA", "CA "},
  };
  hostServices.environment.values["ZEKTMP"] = Root() + "tmp";
  for (const Case& c : cases) {
    File("tmp/OrvoTerm.ini", "[Sistema]\r\nIdioma=" + c.terminal + "\r\n");
    File("Orvo.ini", "[Usuari]\r\nIdioma=" + c.installation + "\r\n");
    EXPECT_EQ(Establish().language, c.language) << c.terminal << "/" << c.installation;
  }
}

TEST_F(SessionTest, RunMode) {
  struct Case {
    std::map<std::string, std::string> env;
    const char* mode;
  };
  const Case cases[] = {
      {{}, "DOS"},
      {{{"HTTP_USER_AGENT", "x"}, {"WINDIR", "C:\\WINDOWS"}}, "CGI"},
      {{{"HTTP_ACCEPT", "text/html"}}, "CGI"},
      {{{"WINDIR", "C:\\WINDOWS"}}, "WIN"},
      {{{"SYSTEMROOT", "C:\\WINDOWS"}}, "WIN"},
  };
  for (const Case& c : cases) {
    for (const char* name : {"HTTP_USER_AGENT", "HTTP_ACCEPT", "WINDIR", "SYSTEMROOT"})
      hostServices.environment.values.erase(name);
    for (const auto& [name, value] : c.env) hostServices.environment.values[name] = value;
    EXPECT_EQ(Establish().runMode, c.mode);
  }
}

TEST(PackDigits, PacksPairsOfDigits) {
  struct Case {
    std::string digits, packed;
  };
  const Case cases[] = {
      {"20240315", "\x94\x98\x83\x8F"},
      {"2024031", "\x94\x98\x83\x8A"},  // the last digit pairs with a missing 0
      {"", ""},
      {" 2024031", "\x82\x82\xA8\x9F"},  // spaces at the ends become leading zeros
      {"2024 315", "\x94\x98\x83\x8F"},  // a space inside is a 0
      {"20a4", "\x94\x84"},
      {"99", "\xE3"},
  };
  for (const Case& c : cases) EXPECT_EQ(PackDigits(c.digits), c.packed) << c.digits;
}

}  // namespace

namespace {

// The sample installation as the setup script lays it out: the session and
// terminal files in the work directory.
TEST_F(SessionTest, SampleInstallation) {
  const std::string sample = std::string(EXPCODES_SOURCE_DIR) + "/sample/";
  File("Orvo.ini", ReadFileBytes(sample + "Orvo.ini"));
  File("tmp/Sessio.ini", ReadFileBytes(sample + "Sessio.ini"));
  File("tmp/OrvoTerm.ini", ReadFileBytes(sample + "OrvoTerm.ini"));
  hostServices.environment.values["ZEKTMP"] = Root() + "tmp\\";
  const Session& s = Establish();
  EXPECT_EQ(s.screenTitle, " TAULA DE CONCEPTES DE DESPESA ");
  EXPECT_EQ(s.menuName, "EXPCODES");
  EXPECT_EQ(s.terminalDir, "");
  EXPECT_EQ(s.language, "CAT");
  EXPECT_EQ(s.colorPalette[0], (ColorPair{14, 1}));
  EXPECT_EQ(s.workingDate.size(), 4u);
  EXPECT_FALSE(s.outputDevice.empty());
  const std::string orvo = Root() + "Orvo.ini";
  EXPECT_EQ(ReadIniValue(orvo, "Usuari", "Empresa"), "Distribucions Vall\x8As i Fills, S.L.");
  EXPECT_EQ(ReadIniValue(orvo, "Usuari", "DecCaracter"), ",");
  EXPECT_EQ(ReadIniValue(orvo, "Usuari", "MilCaracter"), ".");
  EXPECT_EQ(ReadIniValue(orvo, "Usuari", "DatCaracter"), "/");
  EXPECT_EQ(ReadIniValue(orvo, "Usuari", "DatOrdre"), "DMA");
}

}  // namespace
