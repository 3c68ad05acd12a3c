#include "editing/field_editor.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

#include "platform/host.h"
#include "screen/screen.h"
#include "screen/text_utils.h"

std::vector<EditKeyPair> EditKeySet;
char MaskCharacter = 0;
std::string ChoiceList;

namespace {

std::optional<std::vector<EditKeyPair>> savedEditKeySet;

constexpr char kLeftMark = '\x11';   // ◄
constexpr char kRightMark = '\x10';  // ►

// ---- SetEditKeys ------------------------------------------------------------

// Reads up to four hexadecimal digits after any leading spaces; stops at the
// first other character.  An item without digits reads as 0.
unsigned ReadHexCode(const std::string& item) {
  std::size_t i = item.find_first_not_of(' ');
  unsigned value = 0;
  for (int digits = 0; i < item.size() && digits < 4; ++i, ++digits) {
    const unsigned char ch = static_cast<unsigned char>(item[i]);
    if (!std::isxdigit(ch)) break;
    value = value * 16 + (std::isdigit(ch) ? ch - '0' : std::toupper(ch) - 'A' + 10);
  }
  return value;
}

// A code that can end an edit: not 0 (no key) and not negative (a click).
bool UsableCode(unsigned code) { return code != 0 && code < 0x8000; }

std::vector<std::string> SplitItems(const std::string& keyList) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = keyList.find(',', start);
    items.push_back(keyList.substr(start, comma - start));
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

void AddEditKeys(const std::string& keyList) {
  for (const std::string& item : SplitItems(keyList)) {
    const std::size_t equals = item.find('=');
    const unsigned trigger = ReadHexCode(item.substr(0, equals));
    const unsigned result =
        equals == std::string::npos ? trigger : ReadHexCode(item.substr(equals + 1));
    if (UsableCode(trigger) && UsableCode(result)) {
      EditKeySet.push_back({static_cast<KeyCode>(trigger), static_cast<KeyCode>(result)});
    }
  }
}

void RemoveEditKeys(const std::string& keyList) {
  for (const std::string& item : SplitItems(keyList)) {
    const unsigned trigger = ReadHexCode(item);
    auto found = std::find_if(EditKeySet.begin(), EditKeySet.end(), [&](const EditKeyPair& p) {
      return static_cast<unsigned>(p.trigger) == trigger;
    });
    if (found != EditKeySet.end()) EditKeySet.erase(found);
  }
}

const EditKeyPair* FindEditKey(int key) {
  for (const EditKeyPair& pair : EditKeySet) {
    if (pair.trigger == key) return &pair;
  }
  return nullptr;
}

// ---- The field --------------------------------------------------------------

struct ChoiceItem {
  std::string code;
  std::string description;
};

// The items of a choice list: each "|" starts one, its code runs to the next
// comma and its description from there to the next "|" or the end.
std::vector<ChoiceItem> ParseChoiceList(const std::string& list) {
  std::vector<ChoiceItem> items;
  for (std::size_t bar = list.find('|'); bar != std::string::npos;) {
    const std::size_t next = list.find('|', bar + 1);
    const std::string item =
        list.substr(bar + 1, next == std::string::npos ? next : next - bar - 1);
    const std::size_t comma = item.find(',');
    if (comma == std::string::npos) {
      items.push_back({item, ""});
    } else {
      items.push_back({item.substr(0, comma), item.substr(comma + 1)});
    }
    bar = next;
  }
  return items;
}

std::string Fit(const std::string& text, std::size_t length) {
  std::string fitted = text.substr(0, length);
  fitted.resize(length, ' ');
  return fitted;
}

enum class Outcome { kHandled, kRedraw, kEnds };

class FieldEdit {
 public:
  FieldEdit(int row, int column, int width, std::string& text, int cursor)
      : row_(row),
        column_(column),
        width_(width),
        text_(text),
        length_(static_cast<int>(text.size())),
        pos_(cursor),
        items_(ParseChoiceList(ChoiceList)) {
    if (!choiceMode()) return;
    for (const ChoiceItem& item : items_) {
      descWidth_ = std::max(descWidth_, static_cast<int>(item.description.size()));
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].code == text_) selected_ = i;
    }
  }

  bool choiceMode() const { return !items_.empty(); }
  int pos() const { return pos_; }

  // The arrow marks around a choice field, in the colour current when the
  // edit starts; spaces when it ends.
  void DrawMarks(char left, char right) const {
    // A mark that would fall off the screen is left out.
    if (ScreenColumn() > 1) {
      LocateInWindow(row_, column_ - 1);
      console().Write(std::string(1, left));
    }
    if (ScreenColumn() + descWidth_ <= console().Columns()) {
      LocateInWindow(row_, column_ + descWidth_);
      console().Write(std::string(1, right));
    }
  }

  void Draw() {
    if (choiceMode()) text_ = Fit(items_[selected_].code, text_.size());
    if (choiceMode() && MaskCharacter == 0) {
      LocateInWindow(row_, column_);
      console().Write(Fit(items_[selected_].description, descWidth_));
      return;
    }
    for (int start = 1, line = 0; start <= length_; start += width_, ++line) {
      LocateInWindow(row_ + line, column_);
      if (MaskCharacter != 0) {
        console().Write(std::string(width_ - 1, MaskCharacter));
      } else {
        console().Write(text_.substr(start - 1, width_));
      }
    }
  }

  // Places the cursor where the next character goes.
  void PlaceCursor() const {
    int line = (pos_ - 1) / width_;
    int offset = (pos_ - 1) % width_;
    if (pos_ == length_ + 1 && offset == 0 && line > 0) {  // just after a full last line
      --line;
      offset = width_;
    }
    LocateInWindow(row_ + line, column_ + offset);
  }

  // Places and shows the cursor, in the shape of the typing mode (text mode
  // only).
  void ShowCursor() const {
    if (choiceMode()) return;
    PlaceCursor();
    console().SetCursorShape(console().insertToggle ? CursorShape::kInsert
                                                    : CursorShape::kOverwrite);
  }

  // Waits for a key; Insert switches the typing mode at once and a released
  // button becomes -(column * 100 + row) of the click.
  int WaitForKey() const {
    for (;;) {
      int key, button, row, column;
      WaitKeyEvent(key, button, row, column);
      if (key == kKeyInsert) {
        console().insertToggle = !console().insertToggle;
        ShowCursor();
        continue;
      }
      return key != 0 ? key : -(column * 100 + row);
    }
  }

  Outcome Dispatch(int key) {
    if (key < 0) key = ClickKey(key);
    return choiceMode() ? DispatchChoice(key) : DispatchText(key);
  }

 private:
  int ScreenRow() const { return row_ + FirstRow() - 1; }
  int ScreenColumn() const { return column_ + FirstColumn() - 1; }

  // A click inside the field becomes the key it stands for (0 when it only
  // moves the cursor); outside it stays a click, which ends the edit.
  int ClickKey(int click) {
    const int y = -click % 100;
    const int x = -click / 100;
    const int y0 = ScreenRow();
    const int x0 = ScreenColumn();
    if (choiceMode()) {
      if (y != y0) return click;
      if (x == x0 - 1) return kKeyLeft;
      if (x == x0 + descWidth_) return kKeyRight;
      return (x >= x0 && x < x0 + descWidth_) ? 0 : click;
    }
    // Every line the field occupies takes clicks, its last one too when it is
    // not full; a click past the text's end puts the cursor after it.
    const int lines = std::max(1, (length_ + width_ - 1) / width_);
    if (y < y0 || y >= y0 + lines || x < x0 || x >= x0 + width_) return click;
    pos_ = std::min(width_ * (y - y0) + (x - x0) + 1, length_ + 1);
    return 0;
  }

  static bool Printable(int key, int lowest) {
    return (key >= lowest && key <= 126) || (key >= 128 && key <= 254);
  }

  Outcome DispatchText(int key) {
    if (Printable(key, 32)) return Type(static_cast<char>(key));
    switch (key) {
      case kKeyLeft:
        if (pos_ > 1) --pos_;
        return Outcome::kHandled;
      case kKeyRight:
        if (pos_ <= length_) ++pos_;
        return Outcome::kHandled;
      case kKeyBackspace:
        if (pos_ == 1) return Outcome::kHandled;
        --pos_;
        DeleteAtCursor();
        return Outcome::kRedraw;
      case kKeyDelete:
        if (pos_ > length_) return Outcome::kHandled;
        DeleteAtCursor();
        return Outcome::kRedraw;
      case kKeyHome:
        pos_ = 1;
        return Outcome::kHandled;
      case kKeyEnd:
        pos_ = EndPosition();
        return Outcome::kHandled;
      case kKeyCtrlHome:
      case kKeyCtrlY:
        text_.assign(text_.size(), ' ');
        pos_ = 1;
        return Outcome::kRedraw;
      case kKeyUp:
      case kKeyShiftTab:
        if (pos_ <= width_) return Outcome::kEnds;
        pos_ -= width_;
        return Outcome::kHandled;
      case kKeyDown:
        if (pos_ > length_ + 1 - width_) return Outcome::kEnds;
        pos_ += width_;
        return Outcome::kHandled;
      case kKeyCtrlLeft:
        if (pos_ == 1) return Outcome::kEnds;
        WordLeft();
        return Outcome::kHandled;
      case kKeyCtrlRight:
        if (pos_ > length_) return Outcome::kEnds;
        WordRight();
        return Outcome::kHandled;
      case kKeyCtrlC:
        // A hidden value never leaves the field.
        if (MaskCharacter == 0) host().clipboard->Set(Trimmed(text_));
        return Outcome::kHandled;
      case kKeyCtrlV:
        Paste();
        return Outcome::kRedraw;
      case 0:
        return Outcome::kHandled;
      default:
        return Outcome::kEnds;
    }
  }

  Outcome DispatchChoice(int key) {
    if (Printable(key, 33)) {
      SearchChoice(static_cast<char>(key));
      return Outcome::kRedraw;
    }
    switch (key) {
      case kKeyLeft:
        selected_ = (selected_ == 0 ? items_.size() : selected_) - 1;
        return Outcome::kRedraw;
      case kKeyRight:
      case ' ':
        selected_ = (selected_ + 1) % items_.size();
        return Outcome::kRedraw;
      case kKeyHome:
        pos_ = 1;
        return Outcome::kHandled;
      case kKeyEnd:
        pos_ = EndPosition();
        return Outcome::kHandled;
      case kKeyCtrlC:
        if (MaskCharacter == 0) host().clipboard->Set(items_[selected_].description);
        return Outcome::kHandled;
      case kKeyBackspace:
      case kKeyDelete:
      case kKeyCtrlHome:
      case kKeyCtrlY:
      case kKeyCtrlV:
      case 0:
        return Outcome::kHandled;
      default:
        return Outcome::kEnds;
    }
  }

  Outcome Type(char ch) {
    if (pos_ > length_) return Outcome::kHandled;
    if (console().insertToggle) {
      if (text_.back() != ' ') return Outcome::kHandled;  // full: nothing falls off
      text_.insert(text_.begin() + (pos_ - 1), ch);
      text_.pop_back();
      ++pos_;
      return Outcome::kRedraw;
    }
    text_[pos_ - 1] = ch;
    if (MaskCharacter == 0) {
      PlaceCursor();
      console().Write(std::string(1, ch));
    }
    ++pos_;
    return Outcome::kHandled;
  }

  void DeleteAtCursor() {
    text_.erase(pos_ - 1, 1);
    text_.push_back(' ');
  }

  int EndPosition() const {
    const std::size_t last = text_.find_last_not_of(' ');
    return last == std::string::npos ? 1 : static_cast<int>(last) + 2;
  }

  static bool IsSeparator(char ch) {
    return std::string_view(" ,.;:").find(ch) != std::string_view::npos;
  }

  // To the first character of the next word, or after the end.
  void WordRight() {
    bool separator = IsSeparator(text_[pos_ - 1]);
    for (int i = pos_ + 1; i <= length_; ++i) {
      if (IsSeparator(text_[i - 1]) == separator) continue;
      separator = !separator;
      if (!separator) {
        pos_ = i;
        return;
      }
    }
    pos_ = length_ + 1;
  }

  // To the first character of the current or the previous word.
  void WordLeft() {
    bool word = !IsSeparator(text_[pos_ - 2]);
    for (int i = pos_ - 1; i >= 1; --i) {
      if (IsSeparator(text_[i - 1]) != word) continue;
      word = !word;
      if (!word) {
        pos_ = i + 1;
        return;
      }
    }
    pos_ = 1;
  }

  static std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
  }

  // Writes the clipboard's text, without control characters and without
  // leading and trailing spaces, over the text from the cursor to the end.
  void Paste() {
    std::string pasted;
    for (char ch : host().clipboard->Get()) {
      const unsigned char code = static_cast<unsigned char>(ch);
      if (code >= 32 && code != 127 && code != 255) pasted += ch;
    }
    pasted = Trimmed(pasted);
    const std::size_t room = text_.size() - (pos_ - 1);
    text_.replace(pos_ - 1, std::min(room, pasted.size()), pasted.substr(0, room));
  }

  // The next item after the selected one, wrapping around, whose description
  // begins with the typed character, letters compared without case or
  // accents.
  void SearchChoice(char typed) {
    FoldAccents = -1;
    const std::string wanted = UpperText(std::string(1, typed));
    for (std::size_t step = 1; step <= items_.size(); ++step) {
      const std::size_t i = (selected_ + step) % items_.size();
      const std::string& description = items_[i].description;
      if (!description.empty() && UpperText(description.substr(0, 1)) == wanted) {
        selected_ = i;
        break;
      }
    }
    FoldAccents = 0;
  }

  const int row_;
  const int column_;
  const int width_;
  std::string& text_;
  const int length_;
  int pos_;
  std::vector<ChoiceItem> items_;
  std::size_t selected_ = 0;
  int descWidth_ = 0;
};

// The key that ends the edit as the caller sees it: Shift+Tab is Up, Tab is
// Enter, Enter is End where End ends the edit, and Ctrl+F4 and Alt+F4 are Esc.
int MapEndingKey(int key) {
  switch (key) {
    case kKeyShiftTab:
      return kKeyUp;
    case kKeyTab:
      return kKeyEnter;
    case kKeyEnter:
      return FindEditKey(kKeyEnd) != nullptr ? kKeyEnd : kKeyEnter;
    case kKeyCtrlF4:
    case kKeyAltF4:
      return kKeyEsc;
    default:
      return key;
  }
}

// True when the key ends the edit; result: the code returned for it.
bool EndsEdit(int key, int& result) {
  key = MapEndingKey(key);
  if (EditKeySet.empty() || key < 0) {
    result = key;
    return true;
  }
  const EditKeyPair* pair = FindEditKey(key);
  if (pair == nullptr) return false;
  result = pair->result;
  return true;
}

}  // namespace

void SetChoiceList(const std::string& list) { ChoiceList = list; }

void SetEditKeys(const std::string& options, const std::string& keyList) {
  for (char option : options) {
    switch (std::toupper(static_cast<unsigned char>(option))) {
      case 'A':
        AddEditKeys(keyList);
        break;
      case 'D':
        RemoveEditKeys(keyList);
        break;
      case 'E':
        EditKeySet.clear();
        break;
      case '+':
        if (!savedEditKeySet) savedEditKeySet = EditKeySet;
        break;
      case '-':
        if (savedEditKeySet) {
          EditKeySet = std::move(*savedEditKeySet);
          savedEditKeySet.reset();
        }
        break;
      case 'H':
        MaskCharacter = 'X';
        break;
      case 'V':
        MaskCharacter = 0;
        break;
      default:
        break;
    }
  }
}

void EditField(int& row, int& column, int& width, std::string& text, int& cursor, int& key) {
  if (row == 0) row = console().CursorRow() - FirstRow() + 1;
  if (column == 0) column = console().CursorColumn() - FirstColumn() + 1;
  const int length = static_cast<int>(text.size());
  cursor = std::clamp(cursor, 1, length + 1);
  if (width <= 0) width = length + 1;

  FieldEdit field(row, column, width, text, cursor);
  if (field.choiceMode()) field.DrawMarks(kLeftMark, kRightMark);
  SetColor("u");

  for (;;) {
    LocateInWindow(row, column);
    bool redraw = true;
    int pressed;
    for (;;) {
      if (redraw) field.Draw();
      field.ShowCursor();
      pressed = field.WaitForKey();
      console().SetCursorShape(CursorShape::kHidden);
      const Outcome outcome = field.Dispatch(pressed);
      if (outcome == Outcome::kEnds) break;
      redraw = outcome == Outcome::kRedraw;
    }
    if (EndsEdit(pressed, key)) break;
  }

  SetColor("h");
  if (field.choiceMode()) field.DrawMarks(' ', ' ');
  LocateInWindow(row, column);
  cursor = field.pos();
}

void ResetFieldEditorState() {
  ChoiceList.clear();
  EditKeySet.clear();
  savedEditKeySet.reset();
  MaskCharacter = 0;
}
