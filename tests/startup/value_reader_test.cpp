#include "startup/value_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Reads the input with a sequence of operations: 'T' a text, 'N' a number,
// 'C' skips comment lines; each read value is collected as text.
std::vector<std::string> Read(const std::string& input, const std::string& operations) {
  ValueReader in(input);
  std::vector<std::string> values;
  for (char op : operations) {
    if (op == 'T') values.push_back(in.ReadText());
    if (op == 'N') values.push_back(std::to_string(in.ReadNumber()));
    if (op == 'C') in.SkipCommentLines();
  }
  return values;
}

struct Case {
  const char* input;
  const char* operations;
  std::vector<std::string> values;
};

TEST(ValueReader, ReadsTheValueSyntax) {
  const Case cases[] = {
      {"12,-3,+4\r\n", "NNN", {"12", "-3", "4"}},
      {"  12  ,  7\r\n", "NN", {"12", "7"}},
      {"1 2\r\n", "NN", {"1", "2"}},  // a space ends a number
      {"abc,5\r\n", "NN", {"0", "5"}},
      {"12abc,5\r\n", "NN", {"12", "5"}},
      {"99999,-99999,2.5,3.5,1.6\r\n", "NNNNN", {"32767", "-32768", "2", "4", "2"}},
      {",,7\r\n", "NNN", {"0", "0", "7"}},
      {"\r\n7\r\n", "NN", {"0", "7"}},  // an empty line is an empty value
      {"5\t ,6\r\n", "NN", {"5", "6"}},
      {"Nom ,x\r\n", "TT", {"Nom ", "x"}},  // spaces before the comma are kept
      {"  a\tb c\r\nd", "TT", {"a" "b c", "d"}},
      {"\"a, b\" , c\r\n", "TT", {"a, b", "c"}},
      {"\"two\r\nlines\",x\r\n", "TT", {"two\r\nlines", "x"}},
      {"\"ab\"cd,e\r\n", "TTT", {"ab", "cd", "e"}},  // nothing to consume after the quote
      {"\"open\r\nto the end", "TT", {"open\r\nto the end", ""}},
      {"a,b\x1A" "c,d", "TTT", {"a", "b", ""}},  // Ctrl+Z ends the file
      {"a\nb\rc\r\n", "TTT", {"a", "b", "c"}},   // LF and CR alone end lines
      {"1\n\n2\n", "NNN", {"1", "0", "2"}},      // and so keep empty values
      {"", "TN", {"", "0"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.input, c.operations), c.values) << c.input;
}

TEST(ValueReader, SkipsCommentLinesOnlyWhereAsked) {
  const Case cases[] = {
      {"' one\r\n   ' two\r\n5\r\n", "CN", {"5"}},
      {"\t' tab\r\n", "CT", {"' tab"}},  // a tab is not a leading blank
      {"\r\n' after empty\r\n", "CTT", {"", "' after empty"}},
      {"1,' rest\r\n' next\r\n2\r\n", "NCN", {"1", "2"}},  // the rest of the line first
      {"1,x ' not\r\n2\r\n", "NCT", {"1", "x ' not"}},
      {"' a\r\n' b", "CT", {""}},
      {"' a\r\n5", "NT", {"0", "a"}},  // not asked: the comment is data
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.input, c.operations), c.values) << c.input;
}

}  // namespace
