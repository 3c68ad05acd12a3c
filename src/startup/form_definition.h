// The form definition: the blocks, fields and look-up lists of the program's
// form, read once at start-up from ROOT\FORMS\<programName>.ZPN by
// LoadFormDefinition and kept for the whole run in formDefinition.  Its
// structure never changes after loading; only field values do, written by the
// form block editor, the field display and hooks, and the start-up.
//
// Blocks, fields and browse definitions are numbered from 1; 0 in a
// reference means none.  After a successful load every count is within its
// limits and every reference is 0 or names an existing block or browse
// definition, so the Find functions below find whatever a reference names.
#ifndef STARTUP_FORM_DEFINITION_H_
#define STARTUP_FORM_DEFINITION_H_

#include <cstdint>
#include <string>
#include <vector>

// A screen box in screen coordinates, border included.
struct FormWindow {
  std::int16_t top = 0;  // 0: no window of its own
  std::int16_t left = 0;
  std::int16_t bottom = 0;
  std::int16_t right = 0;
};

// Bits of FormField::flags.
constexpr std::int16_t kFieldStartsBlank = 1;  // the edit starts from a blank value
constexpr std::int16_t kFieldHidden = 2;       // masked while typed, never displayed
constexpr std::int16_t kFieldReadOnly = 4;     // shown, never edited
constexpr std::int16_t kFieldCursorAtEnd = 8;  // the cursor starts after the last non-blank

struct FormField {
  std::int16_t row = 0;     // of the label, relative to the current window
  std::int16_t column = 0;  // of the label; the value follows the label
  std::string label;        // translated at load
  std::int16_t length = 0;  // of the value
  std::int16_t lineWidth = 0;   // characters per screen line; 0: one line
  std::int16_t extraWidth = 0;  // columns after the value that belong to the field
  std::int16_t flags = 0;
  std::int16_t ruleCode = 0;    // kept, not acted on
  std::int16_t browseList = 0;  // browse definition F4 opens; 0: none
  std::string choiceList;       // "|" code "," description items, translated at load
  std::string value;            // always length characters, blank-padded
};

struct FormBlock {
  std::string exitKeys;  // hexadecimal key codes, comma-separated
  std::int16_t fieldCount = 0;
  std::int16_t nextBlock = 0;  // 0: none
  FormWindow window;
  // Fields 1..fieldCount.  The block has room for maxFields fields; only the
  // defined ones are stored.
  std::vector<FormField> fields;
};

struct BrowseDefinition {
  std::int16_t recordFile = 0;
  std::int16_t keyNumber = 0;
  FormWindow window;
  std::int16_t filterBlock = 0;  // block run before the list opens; 0: none
  std::string heading;           // translated at load
  std::int16_t nextBrowse = 0;   // browse definition F4 opens from the list; 0: none
};

struct FormDefinition {
  std::int16_t blockCount = 0;
  std::int16_t maxFields = 0;
  std::int16_t browseCount = 0;
  std::vector<FormBlock> blocks;          // blocks 1..blockCount
  std::vector<BrowseDefinition> browses;  // definitions 1..browseCount

  // Block b, field f of block b, browse definition r; nullptr when there is
  // no such one.
  FormBlock* FindBlock(int b);
  FormField* FindField(int b, int f);
  BrowseDefinition* FindBrowse(int r);
};

// The program's form.  Empty until LoadFormDefinition has run.
extern FormDefinition formDefinition;

enum class FormLoadStatus {
  kLoaded,
  kMissing,  // the file cannot be opened or read
  kEmpty,    // the file defines no block
  kInvalid,  // a count beyond its limits or a reference to nothing
};

// The form file: session.rootDir + "FORMS\" + programName + ".ZPN".
std::string FormDefinitionFile();

// Reads the form file into formDefinition, translating every label, choice
// list and browse heading into the session's language.  A file that ends
// early leaves what it does not hold as 0 and empty texts and still loads.
// On any other status than kLoaded the model is left empty, and the caller
// reports the file (FormDefinitionFile) and ends.
FormLoadStatus LoadFormDefinition();

#endif  // STARTUP_FORM_DEFINITION_H_
