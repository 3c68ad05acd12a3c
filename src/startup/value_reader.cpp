#include "startup/value_reader.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

}  // namespace

ValueReader::ValueReader(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\x1A'));
  data_.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char ch = bytes[i];
    if (ch == '\r' || ch == '\n') {
      data_ += "\r\n";
      if (ch == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      data_ += ch;
    }
  }
}

void ValueReader::SkipSpaces() {
  while (!AtEnd() && data_[pos_] == ' ') ++pos_;
}

void ValueReader::EndValue() {
  while (!AtEnd() && (data_[pos_] == ' ' || data_[pos_] == '\t')) ++pos_;
  if (AtEnd()) return;
  if (data_[pos_] == ',') {
    ++pos_;
  } else if (data_[pos_] == '\r') {
    pos_ += 2;
  }
}

std::string ValueReader::ReadText() {
  SkipSpaces();
  std::string text;
  if (AtEnd()) return text;
  if (data_[pos_] == '"') {
    const std::size_t close = data_.find('"', pos_ + 1);
    const std::size_t end = close == std::string::npos ? data_.size() : close;
    text = data_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = std::min(end + 1, data_.size());
    EndValue();
    return text;
  }
  while (!AtEnd() && data_[pos_] != ',' && data_[pos_] != '\r') {
    if (data_[pos_] != '\t') text += data_[pos_];
    ++pos_;
  }
  if (!AtEnd()) pos_ += data_[pos_] == ',' ? 1 : 2;
  return text;
}

std::int16_t ValueReader::ReadNumber() {
  SkipSpaces();
  const std::size_t start = pos_;
  while (!AtEnd() && data_[pos_] != ',' && data_[pos_] != ' ' && data_[pos_] != '\r') ++pos_;
  const std::int16_t number = NumberValue(std::string_view(data_).substr(start, pos_ - start));
  EndValue();
  return number;
}

void ValueReader::SkipCommentLines() {
  while (!AtEnd()) {
    std::size_t end = data_.find('\r', pos_);
    if (end == std::string::npos) end = data_.size();
    const std::size_t first = data_.find_first_not_of(' ', pos_);
    if (first >= end || data_[first] != '\'') return;
    pos_ = std::min(end + 2, data_.size());
  }
}

std::int16_t NumberValue(std::string_view text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  double value = 0;
  bool any = false;
  for (; i < text.size() && IsDigit(text[i]); ++i, any = true) value = value * 10 + (text[i] - '0');
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && IsDigit(text[i]); ++i, any = true, scale /= 10)
      value += (text[i] - '0') * scale;
  }
  if (!any) return 0;
  value = std::nearbyint(negative ? -value : value);
  if (value > 32767) return 32767;
  if (value < -32768) return -32768;
  return static_cast<std::int16_t>(value);
}
