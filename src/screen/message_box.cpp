#include "screen/message_box.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/host.h"
#include "screen/screen.h"
#include "screen/window_stack.h"

namespace {

constexpr int kMessageWidth = 76;
constexpr int kCentreColumn = 41;

// How a line is padded to its width.
enum class Align { kNone, kLeft, kDashes, kRight, kCentre, kJustify };

Align ParseAlign(const std::string& align) {
  std::string upper = align;
  for (char& ch : upper) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  if (upper == "E" || upper == "L" || upper == "I") return Align::kLeft;
  if (upper == "N") return Align::kDashes;
  if (upper == "D" || upper == "R") return Align::kRight;
  if (upper == "C") return Align::kCentre;
  if (upper == "A" || upper == "B") return Align::kJustify;
  return Align::kNone;
}

// The text seen through 1-based positions.  Past its end there is neither a
// printable character nor a space, and the line breaker treats that as a
// control character.
class Positions {
 public:
  explicit Positions(const std::string& text) : text_(text) {}
  int size() const { return static_cast<int>(text_.size()); }
  bool IsControl(int p) const { return p > size() || Code(p) < 32; }
  bool IsPrintable(int p) const { return p <= size() && Code(p) > 32; }
  bool IsSpace(int p) const { return p <= size() && Code(p) == 32; }

 private:
  unsigned char Code(int p) const { return static_cast<unsigned char>(text_[p - 1]); }
  const std::string& text_;
};

// Widens the line to its width by doubling spaces between words, one gap at
// a time from the left, starting again at the left when the gaps run out.
// Spaces of the indent (before firstColumn) are never widened.
void Justify(std::string& line, std::size_t width, std::size_t firstColumn) {
  auto spaceFrom = [&line](std::size_t column) {  // 1-based; 0 when there is none
    const std::size_t at = column <= line.size() ? line.find(' ', column - 1) : std::string::npos;
    return at == std::string::npos ? 0 : at + 1;
  };
  std::size_t q = firstColumn;
  std::size_t s = 2;
  while (line.size() < width) {
    std::size_t next = spaceFrom(q + s);
    if (next == 0) next = spaceFrom(firstColumn);
    q = next;
    line.insert(q - 1, 1, ' ');
    s = 2;
    while (q + s <= line.size() && line[q + s - 1] == ' ') ++s;
  }
}

void Pad(std::string& line, int width, Align align, int indent, bool textGoesOn) {
  const auto target = static_cast<std::size_t>(std::max(width, 0));
  const std::size_t free = line.size() < target ? target - line.size() : 0;
  switch (align) {
    case Align::kLeft:
      line.append(free, ' ');
      break;
    case Align::kDashes:
      line.append(free, '-');
      break;
    case Align::kRight:
      line.insert(0, free, ' ');
      break;
    case Align::kCentre:
      line = std::string(free / 2, ' ') + line + std::string((free + 1) / 2, ' ');
      break;
    case Align::kJustify: {
      const std::size_t firstColumn = static_cast<std::size_t>(std::abs(indent)) + 1;
      const bool hasGap =
          firstColumn <= line.size() && line.find(' ', firstColumn - 1) != std::string::npos;
      if (hasGap && textGoesOn) Justify(line, target, firstColumn);
      break;
    }
    case Align::kNone:
      break;
  }
}

}  // namespace

void WrapText(std::string& text, int indent, int width, const std::string& align) {
  const Align alignment = ParseAlign(align);
  // Every line holds at least one character: an indent as wide as the line
  // is narrowed to leave that room.
  width = std::max(width, 1);
  indent = std::clamp(indent, -(width - 1), width - 1);

  const Positions t(text);
  const int n = t.size();
  std::string result;
  int p = 1;
  int b = std::max(indent, 0);
  while (p <= n) {
    // Take the line's characters; control characters take no room.
    int j = width - b;
    int i = 0;
    while (i != j && p + i <= n) {
      if (t.IsControl(p + i)) ++j;
      ++i;
    }
    // Control characters right after the last word stay with it.
    if (i > 0 && t.IsPrintable(p + i - 1)) {
      while (p + i <= n && t.IsControl(p + i)) {
        ++j;
        ++i;
      }
    }
    // Break before a word that does not fit, and before the spaces that
    // precede a control character there.
    int k = j;
    while (t.IsPrintable(p + k) && k > 0) {
      if (t.IsControl(p + k - 1)) --j;
      --k;
    }
    if (t.IsControl(p + k) && k > 0) {
      while (k > 0 && t.IsSpace(p + k - 1)) --k;
    }
    if (k < 1) k = j;  // one word longer than the line

    std::string line(static_cast<std::size_t>(b), ' ');
    line += text.substr(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(k));
    Pad(line, b + j, alignment, indent, n > p + k);
    result += line;

    p += k;
    while (t.IsSpace(p)) ++p;
    b = indent < 0 ? -indent : 0;
  }
  text = result;
}

void MessageBox(int row, std::string& text) {
  WrapText(text, 0, kMessageWidth, "i");
  const int lines = static_cast<int>(text.size()) / kMessageWidth;

  int top = std::max(row - (lines + 1) / 2 - 2, 1);
  int bottom = lines + top + 1;
  if (bottom > ScreenRows()) {
    bottom = ScreenRows();
    top = bottom - lines - 1;
  }
  int left = 0, right = 0;
  for (int i = 0; i < lines; ++i) {
    const std::string line =
        text.substr(static_cast<std::size_t>(i * kMessageWidth), kMessageWidth);
    const int g = static_cast<int>(line.find_last_not_of(' ') + 1);
    if (right - left < g + 4) {
      left = kCentreColumn - (g + 1) / 2 - 2;
      right = g / 2 + kCentreColumn + 1;
    }
  }

  // An empty message, or one with more lines than the screen has rows, makes
  // a box off the screen: OpenWindow refuses it, nothing changes, and the
  // caller's CloseWindow that follows does nothing.
  if (!OpenWindow(top, left, bottom, right)) return;
  SetColor("+rh");
  DrawFrame(1);
  for (int i = 0; i < lines; ++i) {
    std::string line = text.substr(static_cast<std::size_t>(i * kMessageWidth), kMessageWidth);
    line.erase(line.find_last_not_of(' ') + 1);
    LocateInWindow(i + 1, 2);
    console().Write(line);
  }
  SetColor("-");
}
