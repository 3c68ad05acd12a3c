#include "forms/field_display.h"

#include <algorithm>
#include <cmath>

#include "platform/host.h"
#include "screen/screen.h"
#include "startup/form_definition.h"
#include "startup/session.h"

namespace {

// Cuts or blank-pads text to exactly width characters.
std::string Fit(const std::string& text, int width) {
  std::string fitted = text.substr(0, static_cast<std::size_t>(std::max(width, 0)));
  fitted.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
  return fitted;
}

// The description of the item of a choice list ("|" code "," description
// ...) whose code equals value exactly; found is false when none does.
std::string ChoiceDescription(const std::string& list, const std::string& value, bool& found) {
  found = false;
  std::size_t start = list.find('|');
  while (start != std::string::npos) {
    const std::size_t next = list.find('|', start + 1);
    const std::string item = list.substr(start + 1, next == std::string::npos
                                                        ? std::string::npos
                                                        : next - start - 1);
    const std::size_t comma = item.find(',');
    const std::string code = item.substr(0, comma);
    if (code == value) {
      found = true;
      return comma == std::string::npos ? std::string() : item.substr(comma + 1);
    }
    start = next;
  }
  return std::string();
}

}  // namespace

void DrawBlock(int block) {
  FormBlock* formBlock = formDefinition.FindBlock(block);
  if (formBlock == nullptr) return;

  // Column 41 - L / 2 with a half going to the even neighbour.
  SetColor("rh");
  const double start = 41.0 - static_cast<double>(session.screenTitle.size()) / 2.0;
  console().MoveCursor(1, static_cast<int>(std::nearbyint(start)));
  console().Write(session.screenTitle);

  SetColor("n");
  for (int f = 1; f <= formBlock->fieldCount; ++f) {
    const FormField& field = *formDefinition.FindField(block, f);
    LocateInWindow(field.row, field.column);
    console().Write(field.label);
  }
  SetColor("h");
  for (int f = 1; f <= formBlock->fieldCount; ++f) DisplayField(block, f);
}

void DisplayField(int block, int field) {
  const FormField* f = formDefinition.FindField(block, field);
  if (f == nullptr) return;
  const int column = f->column + static_cast<int>(f->label.size());
  LocateInWindow(f->row, column);
  if (f->flags & kFieldHidden) return;

  if (!f->choiceList.empty()) {
    bool found = false;
    const std::string description = ChoiceDescription(f->choiceList, f->value, found);
    if (found) console().Write(Fit(description, f->length + f->extraWidth));
    return;
  }
  if (f->lineWidth > 0) {
    const std::size_t width = static_cast<std::size_t>(f->lineWidth);
    for (std::size_t piece = 0; piece * width < f->value.size(); ++piece) {
      LocateInWindow(f->row + static_cast<int>(piece), column);
      console().Write(f->value.substr(piece * width, width));
    }
    return;
  }
  console().Write(f->value);
}

void StoreFieldValue(int block, int field, const std::string& text) {
  FormField* f = formDefinition.FindField(block, field);
  if (f != nullptr) f->value = Fit(text, f->length);
}
