#include "printing/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "support/test_host.h"

namespace {

struct Case {
  const char* mask;
  double value;
  const char* expected;
};

class NumberFormatTest : public ::testing::Test {
 protected:
  void SetUp() override { numberSeparators = {'\'', '.'}; }
  void TearDown() override { numberSeparators = {}; }

  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      EXPECT_EQ(FormatNumber(c.mask, c.value), c.expected) << c.mask << " " << c.value;
    }
  }
};

TEST_F(NumberFormatTest, MasksWithTheDefaultSeparators) {
  Check({
      {"Z,ZZ9.99", 1234.567, "1.234'57"},
      {"Z,ZZ9.99", 123.45, "  123'45"},
      {"Z,ZZ9.99", 5, "    5'00"},
      {"Z,ZZ9.99", 0, "    0'00"},
      {"Z,ZZ9.99", -5, "   -5'00"},
      {"Z,ZZ9.99", -123.45, " -123'45"},
      {"ZZZ9", 42, "  42"},
      {"ZZZ9", 0, "   0"},
      {"ZZZ9", -42, " -42"},
      {"ZZZZ", 0, "    "},
      {"ZZZZ", 0.3, "   0"},
      {"ZZZ9", 8.5, "   8"},
      {"ZZZ9", 9.5, "  10"},
      {"ZZ9.99", 0.125, "  0'12"},
      {"ZZ9.99", 0.375, "  0'38"},
      {"ZZ9.99", -0.004, "  -'00"},
      {"ZZ9.99-", -3.5, "  3'50-"},
      {"ZZ9.99-", 3.5, "  3'50 "},
      {"+ZZZ9", 42, "+  42"},
      {"+ZZZ9", -42, "-  42"},
      {"ZZZ.ZZ", 0.5, "   '5 "},
      {"ZZZ.ZZ", 0, "      "},
      {"ZZ9.zz", 1, "  1   "},
      {"***,**9.99", 1234.5, "**1.234'50"},
      {"**,**9", 12, "****12"},
      {"***9.99", 0.5, "***0'50"},
      {"9999", 42, "0042"},
      {"9999", -42, "0-42"},
      {"9,999", 5, "0.005"},
      {"Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9", 1234567, "            1.234.567"},
      {"Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9", -1234567, "           -1.234.567"},
      {"Nr ZZ9 ok", 7, "Nr   7 ok"},  // other characters are copied
      {"", 5, ""},
  });
}

TEST_F(NumberFormatTest, NumbersThatDoNotFit) {
  Check({
      {"Z,ZZ9.99", -1234.5, "-1234'50"},  // the minus has no room
      {"Z,ZZ9.99", 12345.67, "12345'67"},
      {"Z,ZZ9.99", 1234567.89, "1234567'"},  // plain form cut
      {"Z,ZZ9.99", 123456789, "!!!!!!!!"},
      {"ZZZ9", 12345, "!!!!"},
      {"ZZZ9", 1e300, "!!!!"},
      {"ZZZ9", -1234, "!!!!"},  // four digits and a sign in four positions
      {"ZZZZZZ9", -123456, "-123456"},
      {"99", 100, "!!"},
      {"ZZ9.99", std::numeric_limits<double>::infinity(), "!!!!!!"},
      {"ZZ9.99", std::nan(""), "!!!!!!"},
  });
}

TEST_F(NumberFormatTest, ConfiguredSeparators) {
  numberSeparators = {',', '.'};
  Check({{"Z,ZZ9.99", 1234.567, "1.234,57"}});
  numberSeparators = {'.', ' '};
  Check({{"Z,ZZZ,ZZ9.99", 1234567.891, "1 234 567.89"}, {"Z,ZZ9.99", 12.5, "   12.50"}});
}

}  // namespace

TEST(NumberSeparatorsTest, ReadOnceFromTheInstallation) {
  ScopedHost host;
  TempDir root;
  host.environment.values["ZEKROOT"] = root.suiteDir();
  struct Case {
    const char* settings;
    const char* expected;
  } cases[] = {
      {"[Usuari]\r\nDecCaracter=,\r\nMilCaracter=.\r\n", "1.234,57"},
      {"[Usuari]\r\nDecCaracter=.x\r\nMilCaracter= \r\n", "1.234.57"},  // blank: default
      {"[Usuari]\r\nMilCaracter=_\r\n", "1_234'57"},
      {"", "1.234'57"},
  };
  for (const Case& c : cases) {
    numberSeparators = {};
    WriteFileBytes(root.File("Orvo.ini"), c.settings);
    EXPECT_EQ(FormatNumber("Z,ZZ9.99", 1234.567), c.expected) << c.settings;
    // Kept for the run: a later change of the file is not seen.
    WriteFileBytes(root.File("Orvo.ini"), "[Usuari]\r\nDecCaracter=#\r\nMilCaracter=#\r\n");
    EXPECT_EQ(FormatNumber("Z,ZZ9.99", 1234.567), c.expected) << c.settings;
  }
  numberSeparators = {};
}
