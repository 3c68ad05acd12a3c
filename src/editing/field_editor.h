// The text field editor through which every value on a form is typed.
//
// EditField edits a fixed-length text in place on the screen until the
// operator presses a key that ends the edit or clicks outside the field.  In
// text mode it types in insert or overwrite mode (the console's Insert
// toggle), moves by characters, lines and words, clears, and copies and
// pastes through the host clipboard.  In choice mode (a ChoiceList set
// beforehand) it shows one item's description between two arrow marks and
// steps through the list; the text left in the field is the item's code.
//
// Program-wide state owned here, set by the callers before they call
// EditField: the ChoiceList (SetChoiceList), the EditKeySet with its one save
// slot and the MaskCharacter (SetEditKeys).
#ifndef EDITING_FIELD_EDITOR_H_
#define EDITING_FIELD_EDITOR_H_

#include <string>
#include <vector>

#include "editing/keyboard.h"

// One ending key: the trigger pressed and the code EditField returns for it.
struct EditKeyPair {
  KeyCode trigger = 0;
  KeyCode result = 0;
  bool operator==(const EditKeyPair&) const = default;
};

// The keys that end an edit, in the order they were added.  Empty: every key
// the editor does not handle itself ends the edit.
extern std::vector<EditKeyPair> EditKeySet;

// The character shown for every character of a hidden value ("X"), or 0 when
// values are shown.
extern char MaskCharacter;

// The choice list of the next fields: items written "|" code "," description;
// empty for text mode.
extern std::string ChoiceList;

void SetChoiceList(const std::string& list);

// Configures the EditKeySet and the MaskCharacter.  options: letters applied
// from left to right, without regard to case:
//   A  append each item of keyList: "t" (t ends and returns t) or "t=r"
//      (t ends and returns r);
//   D  remove, for each item of keyList, the first pair with that trigger;
//   E  empty the set;
//   +  save the set in the save slot, unless the slot holds one already;
//   -  restore the set from the slot and empty the slot, if it holds one;
//   H  hide values (MaskCharacter "X");  V  show values;
// anything else is ignored.  keyList: comma-separated hexadecimal codes of up
// to four digits (reading stops at the first other character).  Items that
// read as 0 or as 0x8000 and above (the codes of clicks) are left out.
void SetEditKeys(const std::string& options, const std::string& keyList);

// Edits text in place.  All arguments are in/out:
//   row, column: the field's first character, relative to the CurrentWindow;
//     0 takes the cursor's row or column, and the value used is written back;
//   width: characters per screen line; 0 stands for the text's length + 1
//     (one line) and is written back;
//   text: the field text; its length never changes;
//   cursor: the starting position 1 .. length + 1 (clamped); on return the
//     position where editing stopped;
//   key: output only: the code that ended the edit after the mapping of the
//     EditKeySet, or -(column * 100 + row) for a click outside the field.
void EditField(int& row, int& column, int& width, std::string& text, int& cursor, int& key);

// Empties the ChoiceList, the EditKeySet, its save slot and the
// MaskCharacter (for tests).
void ResetFieldEditorState();

#endif  // EDITING_FIELD_EDITOR_H_
