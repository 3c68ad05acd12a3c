#include "printing/number_format.h"

#include <cmath>
#include <cstdio>

#include "platform/host.h"
#include "startup/ini_file.h"

NumberSeparators numberSeparators;

namespace {

char ConfiguredCharacter(const std::string& key, char fallback) {
  const std::string file = host().environment->Get("ZEKROOT") + "Orvo.ini";
  const std::string value = ReadIniValue(file, "Usuari", key);
  if (value.find_first_not_of(' ') == std::string::npos) return fallback;
  return value[0];
}

void LoadSeparators() {
  if (numberSeparators.decimal == 0) {
    numberSeparators.decimal = ConfiguredCharacter("DecCaracter", '\'');
  }
  if (numberSeparators.thousands == 0) {
    numberSeparators.thousands = ConfiguredCharacter("MilCaracter", '.');
  }
}

bool IsDigitPosition(char c) { return c == '9' || c == 'Z' || c == 'z' || c == '*'; }

// The fill that digit positions leave for the separators on their left: a
// space or "*" (0 for none), marked missing when that position had no digit.
struct Fill {
  char character = 0;
  bool missing = false;
};

// One formatting: the mask's layout, the value's digits, and the result as
// the two passes build it.
class MaskFormatter {
 public:
  MaskFormatter(const std::string& mask, double value)
      : mask_(mask), result_(mask), n_(static_cast<int>(mask.size())), value_(value) {}

  std::string Format() {
    if (!Prepare()) return std::string(mask_.size(), '!');
    const int next = FirstPass();
    if (x_ > 0 || (!signed_ && negative_ && next == 0)) return PlainForm();
    SecondPass(next);
    return result_;
  }

 private:
  bool Prepare() {
    signed_ = mask_.find_first_of("-+") != std::string::npos;
    const std::size_t point = mask_.find('.');
    const int p = point == std::string::npos ? 0 : static_cast<int>(point) + 1;
    if (p != 0 && p != n_) {
      for (int i = p; i < n_; ++i) {
        if (IsDigitPosition(mask_[i]) || mask_[i] == '-' || mask_[i] == '+') ++decimalArea_;
      }
      for (int i = p; i < n_ && IsDigitPosition(mask_[i]); ++i) ++decimals_;
    }
    const double scaled = value_ == 0 ? 0 : std::fabs(value_) * std::pow(10.0, decimals_);
    if (!std::isfinite(scaled)) return false;
    double whole = std::trunc(scaled);
    const double fraction = scaled - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    if (whole != 0) {
      char buffer[400];
      std::snprintf(buffer, sizeof buffer, "%.0f", whole);
      digits_ = buffer;
    }
    negative_ = value_ < 0;
    x_ = decimalArea_ + static_cast<int>(digits_.size()) - decimals_;
    return true;
  }

  // The digit at index x (from 1), or 0 when there is none.
  char DigitAt(int x) const {
    return x >= 1 && x <= static_cast<int>(digits_.size()) ? digits_[x - 1] : 0;
  }

  bool DigitsFromAreZero(int x) const {
    for (int k = std::max(x, 1); k <= static_cast<int>(digits_.size()); ++k) {
      if (digits_[k - 1] != '0') return false;
    }
    return true;
  }

  // The number's digits, from the right.  Returns the first position left
  // unprocessed (0 when the whole mask was used).
  int FirstPass() {
    int i = n_;
    for (; i >= 1 && x_ > 0; --i) {
      const bool inDecimals = !metPoint_ && i >= n_ - decimalArea_;
      const char digit = DigitAt(x_);
      char& out = result_[i - 1];
      switch (mask_[i - 1]) {
        case '9':
          out = digit ? digit : '0';
          fill_ = {};
          --x_;
          break;
        case 'Z':
        case 'z':
          if (!inDecimals) {
            out = digit ? digit : ' ';
            fill_ = {' ', digit == 0};
          } else if (decimalArea_ == 0 || !DigitsFromAreZero(x_)) {
            out = digit ? digit : '0';
            fill_ = {' ', digit == 0};
          } else {
            out = ' ';
            fill_ = {' ', true};
          }
          --x_;
          break;
        case '*':
          out = digit ? digit : '*';
          fill_ = {'*', digit == 0};
          --x_;
          break;
        case '.':
          out = fill_.missing ? fill_.character : numberSeparators.decimal;
          metPoint_ = true;
          break;
        case ',':
          out = numberSeparators.thousands;
          break;
        case '-':
        case '+':
          out = negative_ ? '-' : (mask_[i - 1] == '+' ? '+' : ' ');
          if (decimalArea_ > 0 && !metPoint_) --x_;
          break;
        default:
          break;
      }
    }
    return i;
  }

  // Sign, integer digits, decimal character and decimals, right-aligned or
  // cut to the mask's length; "!" everywhere when the integer part and sign
  // do not fit.
  std::string PlainForm() const {
    std::string digits = digits_;
    if (static_cast<int>(digits.size()) < decimals_)
      digits.insert(0, decimals_ - digits.size(), '0');
    const std::string integer = digits.substr(0, digits.size() - decimals_);
    std::string plain = (negative_ ? "-" : "") + integer;
    if (decimals_ > 0) plain += numberSeparators.decimal + digits.substr(integer.size());
    if (n_ < static_cast<int>(integer.size()) + (negative_ ? 1 : 0)) return std::string(n_, '!');
    if (static_cast<int>(plain.size()) >= n_) return plain.substr(0, n_);
    return std::string(n_ - plain.size(), ' ') + plain;
  }

  // The positions left of the number: fills, zeros, separators, signs, and
  // the minus of a mask without a sign position.
  void SecondPass(int from) {
    for (int i = from; i >= 1; --i) {
      const bool inDecimals = !metPoint_ && i >= n_ - decimalArea_;
      const bool freeMinus = negative_ && !signed_;
      char& out = result_[i - 1];
      const char c = mask_[i - 1];
      if (freeMinus &&
          (c == 'Z' || c == 'z' || c == '*' || c == ',' || (c == '9' && !inDecimals))) {
        out = '-';
        negative_ = false;
        if (c == '9') fill_ = {};
        continue;
      }
      switch (c) {
        case '9':
          out = '0';
          fill_ = {};
          break;
        case 'Z':
        case 'z':
          if (!inDecimals || value_ == 0) {
            out = ' ';
            fill_ = {' ', true};
          } else {
            out = '0';
            fill_ = {' ', false};
          }
          break;
        case '*':
          out = inDecimals ? '0' : '*';
          fill_ = {'*', false};
          break;
        case ',':
          out = fill_.character ? fill_.character : numberSeparators.thousands;
          break;
        case '.':
          out = fill_.missing ? fill_.character : numberSeparators.decimal;
          break;
        case '-':
          out = negative_ ? '-' : ' ';
          break;
        case '+':
          out = negative_ ? '-' : '+';
          break;
        default:
          break;
      }
    }
  }

  const std::string& mask_;
  std::string result_;
  const int n_;
  const double value_;
  bool signed_ = false;
  int decimalArea_ = 0;  // positions after the point that take a digit or sign
  int decimals_ = 0;     // digit positions right after the point
  std::string digits_;   // the rounded value's digits, empty for 0
  bool negative_ = false;
  int x_ = 0;  // index in digits_ of the next digit to place, from the right
  bool metPoint_ = false;
  Fill fill_;
};

}  // namespace

std::string FormatNumber(const std::string& mask, double value) {
  LoadSeparators();
  return MaskFormatter(mask, value).Format();
}
