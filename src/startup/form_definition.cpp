#include "startup/form_definition.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/paths.h"
#include "startup/program.h"
#include "startup/session.h"
#include "startup/translation.h"
#include "startup/value_reader.h"

FormDefinition formDefinition;

FormBlock* FormDefinition::FindBlock(int b) {
  return b >= 1 && b <= static_cast<int>(blocks.size()) ? &blocks[b - 1] : nullptr;
}

FormField* FormDefinition::FindField(int b, int f) {
  FormBlock* block = FindBlock(b);
  if (!block || f < 1 || f > static_cast<int>(block->fields.size())) return nullptr;
  return &block->fields[f - 1];
}

BrowseDefinition* FormDefinition::FindBrowse(int r) {
  return r >= 1 && r <= static_cast<int>(browses.size()) ? &browses[r - 1] : nullptr;
}

namespace {

FormWindow ReadWindow(ValueReader& in) {
  FormWindow window;
  window.top = in.ReadNumber();
  window.left = in.ReadNumber();
  window.bottom = in.ReadNumber();
  window.right = in.ReadNumber();
  return window;
}

FormField ReadField(ValueReader& in) {
  FormField field;
  field.row = in.ReadNumber();
  field.column = in.ReadNumber();
  field.label = Translate(in.ReadText());
  field.length = in.ReadNumber();
  field.lineWidth = in.ReadNumber();
  field.extraWidth = in.ReadNumber();
  field.flags = in.ReadNumber();
  field.ruleCode = in.ReadNumber();
  field.browseList = in.ReadNumber();
  field.choiceList = Translate(in.ReadText());
  field.value.assign(std::max<int>(field.length, 0), ' ');
  return field;
}

// A block entry with its field rows, read as one run of values: comment
// lines between the rows are data.  False when the field count is beyond
// the block's room.
bool ReadBlock(ValueReader& in, std::int16_t maxFields, FormBlock& block) {
  block.exitKeys = in.ReadText();
  block.fieldCount = in.ReadNumber();
  block.nextBlock = in.ReadNumber();
  block.window = ReadWindow(in);
  if (block.fieldCount < 0 || block.fieldCount > maxFields) return false;
  for (int f = 0; f < block.fieldCount; ++f) block.fields.push_back(ReadField(in));
  return true;
}

BrowseDefinition ReadBrowse(ValueReader& in) {
  BrowseDefinition browse;
  browse.recordFile = in.ReadNumber();
  browse.keyNumber = in.ReadNumber();
  browse.window = ReadWindow(in);
  browse.filterBlock = in.ReadNumber();
  browse.heading = Translate(in.ReadText());
  browse.nextBrowse = in.ReadNumber();
  return browse;
}

// Reads item after item; comment lines are skipped where an item starts.  A
// file that ends early leaves the items it does not hold as they were
// created, with 0 and empty texts.
FormLoadStatus ReadForm(ValueReader& in, FormDefinition& form) {
  enum class Item { kHeader, kBlock, kBrowseCount, kBrowseRow } next = Item::kHeader;
  std::size_t done = 0;  // blocks or browse rows read
  while (!in.AtEnd()) {
    in.SkipCommentLines();
    switch (next) {
      case Item::kHeader:
        form.blockCount = in.ReadNumber();
        form.maxFields = in.ReadNumber();
        if (form.blockCount == 0) return FormLoadStatus::kEmpty;
        if (form.blockCount < 0 || form.maxFields < 0) return FormLoadStatus::kInvalid;
        form.blocks.resize(form.blockCount);
        next = Item::kBlock;
        break;
      case Item::kBlock:
        if (!ReadBlock(in, form.maxFields, form.blocks[done])) return FormLoadStatus::kInvalid;
        if (++done == form.blocks.size()) next = Item::kBrowseCount;
        break;
      case Item::kBrowseCount:
        form.browseCount = in.ReadNumber();
        if (form.browseCount < 0) return FormLoadStatus::kInvalid;
        // Nothing after the last browse row is read, nor after a count of 0.
        if (form.browseCount == 0) return FormLoadStatus::kLoaded;
        form.browses.resize(form.browseCount);
        done = 0;
        next = Item::kBrowseRow;
        break;
      case Item::kBrowseRow:
        form.browses[done] = ReadBrowse(in);
        if (++done == form.browses.size()) return FormLoadStatus::kLoaded;
        break;
    }
  }
  return form.blockCount == 0 ? FormLoadStatus::kEmpty : FormLoadStatus::kLoaded;
}

bool InRange(int reference, std::size_t count) {
  return reference >= 0 && reference <= static_cast<int>(count);
}

// Every reference names an existing block or browse definition (or none),
// and no length or width is negative.
bool Consistent(const FormDefinition& form) {
  for (const FormBlock& block : form.blocks) {
    if (!InRange(block.nextBlock, form.blocks.size())) return false;
    for (const FormField& field : block.fields) {
      if (!InRange(field.browseList, form.browses.size()) || field.length < 0 ||
          field.lineWidth < 0 || field.extraWidth < 0)
        return false;
    }
  }
  return std::all_of(form.browses.begin(), form.browses.end(), [&form](const auto& browse) {
    return InRange(browse.filterBlock, form.blocks.size()) &&
           InRange(browse.nextBrowse, form.browses.size());
  });
}

}  // namespace

std::string FormDefinitionFile() { return session.rootDir + "FORMS\\" + programName + ".ZPN"; }

FormLoadStatus LoadFormDefinition() {
  formDefinition = FormDefinition{};
  std::ifstream file(HostPath(FormDefinitionFile()), std::ios::binary);
  if (!file) return FormLoadStatus::kMissing;
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return FormLoadStatus::kMissing;

  ValueReader in(bytes);
  FormDefinition form;
  FormLoadStatus status = ReadForm(in, form);
  if (status == FormLoadStatus::kLoaded && !Consistent(form)) status = FormLoadStatus::kInvalid;
  if (status == FormLoadStatus::kLoaded) formDefinition = std::move(form);
  return status;
}
