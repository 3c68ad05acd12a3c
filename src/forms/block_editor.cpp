#include "forms/block_editor.h"

#include <cstdlib>
#include <string>

#include "editing/field_editor.h"
#include "editing/keyboard.h"
#include "forms/browse_list.h"
#include "forms/field_display.h"
#include "forms/form_hooks.h"
#include "platform/host.h"
#include "screen/help.h"
#include "screen/screen.h"
#include "screen/window_stack.h"
#include "startup/form_definition.h"
#include "startup/session.h"

namespace {

bool Editable(const FormField& field) { return (field.flags & kFieldReadOnly) == 0; }

int FirstEditable(const FormBlock& block) {
  for (int f = 1; f <= block.fieldCount; ++f)
    if (Editable(block.fields[f - 1])) return f;
  return block.fieldCount + 1;
}

int LastEditable(const FormBlock& block) {
  for (int f = block.fieldCount; f >= 1; --f)
    if (Editable(block.fields[f - 1])) return f;
  return 0;
}

// The editable field after (step 1) or before (step -1) field from; past the
// block's fields when there is none.  Fields that are never entered are
// stepped over, so that moving by keys cannot land on one.
int StepEditable(const FormBlock& block, int from, int step) {
  int f = from + step;
  while (f >= 1 && f <= block.fieldCount && !Editable(block.fields[f - 1])) f += step;
  return f;
}

std::string WithoutTrailingBlanks(const std::string& text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// One run of a block.
class BlockRun {
 public:
  BlockRun(int block, bool nested, int& key)
      : blockNumber_(block), nested_(nested), key_(key), block_(*formDefinition.FindBlock(block)) {}

  void Run();

 private:
  void EditOneField();
  // Acts on the key that ended a field; returns false when the block is left.
  bool Dispatch();
  bool Continue();
  void SelectClickedField();
  FormField& Field(int f) { return block_.fields[f - 1]; }

  const int blockNumber_;
  const bool nested_;
  int& key_;
  FormBlock& block_;
  int first_ = 0;
  int last_ = 0;
  int current_ = 0;
};

void BlockRun::Run() {
  const bool hasWindow = block_.window.top != 0;
  if (hasWindow) {
    SetColor("+n");
    OpenWindow(block_.window.top, block_.window.left, block_.window.bottom, block_.window.right);
    DrawFrame(2);
    SetColor("-");
  }
  DrawBlock(blockNumber_);
  first_ = FirstEditable(block_);
  last_ = LastEditable(block_);
  if (first_ <= last_) {
    do {
      current_ = first_;
      while (current_ >= first_ && current_ <= last_) {
        EditOneField();
        if (!Dispatch()) break;
      }
    } while (AfterBlock(blockNumber_, key_) != 0);
  } else {
    AfterBlock(blockNumber_, key_);  // nothing to edit: the block is left at once
  }
  if (hasWindow) CloseWindow();
}

void BlockRun::EditOneField() {
  FormField& field = Field(current_);
  SetEditKeys("+ea", block_.exitKeys + ",3b00");
  const bool hidden = (field.flags & kFieldHidden) != 0;
  std::string text = (field.flags & (kFieldStartsBlank | kFieldHidden))
                         ? std::string(static_cast<std::size_t>(field.length), ' ')
                         : field.value;
  if (hidden) SetEditKeys("h", "");
  const int valueColumn = field.column + static_cast<int>(field.label.size());
  if (field.extraWidth != 0) {
    LocateInWindow(field.row, valueColumn + field.length);
    console().Write(std::string(static_cast<std::size_t>(field.extraWidth), ' '));
  }

  for (;;) {
    SetChoiceList(field.choiceList);
    int cursor = (field.flags & kFieldCursorAtEnd)
                     ? static_cast<int>(WithoutTrailingBlanks(text).size()) + 1
                     : 1;
    int row = field.row;
    int column = valueColumn;
    int width = field.lineWidth;
    EditField(row, column, width, text, cursor, key_);
    int result = 0;
    if (key_ == kKeyF1) {
      const std::string topic = WithoutTrailingBlanks(session.menuName);
      if (!topic.empty()) ShowHelp(topic);
      key_ = 0;
    } else if (key_ == kKeyF4) {
      key_ = 0;
      if (field.browseList > 0) {
        RunBrowse(field.browseList, result);
        if (result == 0) {
          AfterBrowse(field.browseList, blockNumber_, current_);
          key_ = (current_ == block_.fieldCount && block_.nextBlock == 0) ? kKeyEnter : kKeyDown;
        }
      }
    } else {
      if (field.extraWidth != 0) {
        // The text again and the description area cleared after it; a
        // hidden field's text stays masked, only the area is cleared.
        const std::string blanks(static_cast<std::size_t>(field.extraWidth), ' ');
        if (hidden) {
          LocateInWindow(field.row, valueColumn + static_cast<int>(text.size()));
          console().Write(blanks);
        } else {
          LocateInWindow(field.row, valueColumn);
          console().Write(text + blanks);
        }
      }
      if (key_ == kKeyEsc)
        DisplayField(blockNumber_, current_);
      else
        result = AcceptField(blockNumber_, text, current_, key_);
    }
    last_ = LastEditable(block_);
    if (result == 0) break;
    console().Beep();
  }
  if (hidden) SetEditKeys("v", "");
  SetEditKeys("-", "");
}

bool BlockRun::Dispatch() {
  switch (key_) {
    case kKeyPgUp:
      current_ = first_;
      return true;
    case kKeyPgDn:
      current_ = last_;
      return true;
    case kKeyEnd:
    case kKeyCtrlB:
      return false;
    case kKeyEsc:
      if (current_ > first_) {
        current_ = first_;
        return true;
      }
      return false;
    case kKeyEnter:
    case kKeyDown:
    case kKeyF2:
      return Continue();
    case kKeyUp:
      if (current_ > first_) {
        current_ = StepEditable(block_, current_, -1);
      } else if (nested_) {
        key_ = kKeyEsc;
        return false;
      }
      return true;
    case 0:
      return true;
    default:
      if (key_ < 0) {
        SelectClickedField();
        return true;
      }
      return false;
  }
}

// Enter, Down or F2: into the continuation block, or on to the next field.
bool BlockRun::Continue() {
  if ((current_ == last_ || key_ == kKeyF2) && block_.nextBlock > 0) {
    EditBlock(-block_.nextBlock, key_);
    switch (key_) {
      case kKeyPgUp:
      case kKeyPgDn:
      case kKeyEnd:
      case kKeyCtrlB:
      case kKeyEnter:
      case kKeyDown:
      case kKeyUp:
        return false;
      default:
        return true;
    }
  }
  if (key_ == kKeyDown) {
    if (current_ < last_) current_ = StepEditable(block_, current_, 1);
  } else if (key_ == kKeyEnter) {
    current_ = StepEditable(block_, current_, 1);
    return current_ <= last_;
  }
  return true;
}

void BlockRun::SelectClickedField() {
  const int column = (-key_) / 100;
  const int row = (-key_) % 100;
  const int top = block_.window.top;
  const int left = block_.window.top != 0 ? block_.window.left : 0;
  for (int f = 1; f <= block_.fieldCount; ++f) {
    const FormField& field = Field(f);
    if (!Editable(field)) continue;
    const int lines = field.lineWidth != 0 ? field.length / field.lineWidth : 1;
    const int width = field.lineWidth != 0 ? field.lineWidth : field.length;
    const int firstRow = top + field.row;
    const int firstColumn = left + field.column;
    const int lastColumn =
        firstColumn + static_cast<int>(field.label.size()) + width + field.extraWidth - 1;
    if (row >= firstRow && row <= firstRow + lines - 1 && column >= firstColumn &&
        column <= lastColumn) {
      current_ = f;
      return;
    }
  }
}

}  // namespace

void EditBlock(int block, int& key) {
  if (formDefinition.FindBlock(std::abs(block)) == nullptr) return;
  BlockRun(std::abs(block), block < 0, key).Run();
}
