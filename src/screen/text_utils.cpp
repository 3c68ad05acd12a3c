#include "screen/text_utils.h"

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

std::int16_t FoldAccents = 0;

namespace {

std::vector<std::string> valueStack;

using Table = std::array<unsigned char, 256>;

Table Identity() {
  Table table{};
  for (int code = 0; code < 256; ++code) table[code] = static_cast<unsigned char>(code);
  return table;
}

// Code page 850 upper-casing: a to z and the accented small letters that have
// a capital in the code page.
Table UpperCaseTable() {
  Table table = Identity();
  for (int code = 'a'; code <= 'z'; ++code) table[code] = static_cast<unsigned char>(code - 32);
  static constexpr unsigned char kPairs[][2] = {
      {129, 154}, {130, 144}, {131, 182}, {132, 142}, {133, 183}, {134, 143}, {135, 128},
      {136, 210}, {137, 211}, {138, 212}, {139, 216}, {140, 215}, {141, 222}, {145, 146},
      {147, 226}, {148, 153}, {149, 227}, {150, 234}, {151, 235}, {160, 181}, {161, 214},
      {162, 224}, {163, 233}, {164, 165}, {198, 199}, {208, 209}, {228, 229}, {236, 237}};
  for (const auto& pair : kPairs) table[pair[0]] = pair[1];
  return table;
}

// The folding used to compare without accents: letters become plain
// capitals, and the punctuation and symbols from 64 up become spaces.
Table FoldingTable() {
  Table table = Identity();
  for (int code = 64; code <= 237; ++code) table[code] = ' ';
  for (int code = 'A'; code <= 'Z'; ++code) {
    table[code] = static_cast<unsigned char>(code);
    table[code + 32] = static_cast<unsigned char>(code);
  }
  static const struct {
    char letter;
    std::vector<int> codes;
  } kFolds[] = {
      {'A', {131, 132, 133, 134, 142, 143, 145, 146, 160, 166, 181, 182, 183, 198, 199}},
      {'C', {128, 135}},
      {'D', {208, 209}},
      {'E', {130, 136, 137, 138, 144, 210, 211, 212, 213}},
      {'I', {139, 140, 141, 161, 214, 215, 216, 222}},
      {'N', {164, 165}},
      {'O', {147, 148, 149, 153, 155, 157, 162, 167, 224, 226, 227, 228, 229}},
      {'S', {225}},
      {'T', {231, 232}},
      {'U', {129, 150, 151, 154, 163, 233, 234, 235}},
      {'Y', {152, 236, 237}},
  };
  for (const auto& fold : kFolds) {
    for (int code : fold.codes) table[code] = static_cast<unsigned char>(fold.letter);
  }
  return table;
}

}  // namespace

std::int16_t IsFilledWith(const std::string& text, int code) {
  for (char ch : text) {
    if (static_cast<unsigned char>(ch) != code) return 0;
  }
  return -1;
}

std::int16_t CenterOffset(const std::string& text, int width) {
  return static_cast<std::int16_t>((width - static_cast<int>(text.size())) / 2);
}

std::string ZeroPad(double value, int width) {
  if (width <= 0) return "";
  // Plain decimal digits, never an exponent: the largest double has 309.
  char buffer[400];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed).ptr;
  std::string digits(buffer, end);
  const auto w = static_cast<std::size_t>(width);
  if (digits.size() >= w) return digits.substr(digits.size() - w);
  return std::string(w - digits.size(), '0') + digits;
}

void PushValue(const std::string& text) { valueStack.push_back(text); }

std::string PopValue() {
  if (valueStack.empty()) return "";
  std::string text = std::move(valueStack.back());
  valueStack.pop_back();
  return text;
}

void ResetValueStack() { valueStack.clear(); }

std::string UpperText(const std::string& text) {
  static const Table kUpper = UpperCaseTable();
  static const Table kFold = FoldingTable();
  const Table& table = FoldAccents != 0 ? kFold : kUpper;
  std::string result = text;
  for (char& ch : result) ch = static_cast<char>(table[static_cast<unsigned char>(ch)]);
  return result;
}
