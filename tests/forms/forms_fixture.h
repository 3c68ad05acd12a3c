// A form in memory on the in-memory host, for the form engine's tests.
#ifndef TESTS_FORMS_FORMS_FIXTURE_H_
#define TESTS_FORMS_FORMS_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "editing/field_editor.h"
#include "editing/keyboard.h"
#include "screen/screen.h"
#include "startup/form_definition.h"
#include "startup/session.h"
#include "support/test_host.h"

constexpr int kEnter = 13;
constexpr int kEsc = 27;
constexpr int kCtrlB = 2;
constexpr int kF1 = 0x3B00;
constexpr int kF2 = 0x3C00;
constexpr int kF4 = 0x3E00;
constexpr int kUp = 0x4800;
constexpr int kDown = 0x5000;
constexpr int kPgUp = 0x4900;
constexpr int kPgDn = 0x5100;
constexpr int kEnd = 0x4F00;

// Every key the form's blocks end a field with.
constexpr const char* kBlockExitKeys = "d,1b,4800,5000,4900,5100,2,3e00,3c00";

class FormsTest : public ::testing::Test {
 protected:
  FormsTest() {
    session = Session{};
    session.workDir = dir.suiteDir();
    session.rootDir = dir.suiteDir();
    session.screenTitle = " TITOL ";
    session.colorPalette = {ColorPair{15, 0}, ColorPair{7, 0}, ColorPair{0, 7}, ColorPair{0, 7},
                            ColorPair{0, 7}};
    formDefinition = FormDefinition{};
    ResetScreenState();
    ResetKeyboardState();
    ResetFieldEditorState();
  }
  ~FormsTest() override { formDefinition = FormDefinition{}; }

  // Adds a block; returns its number.
  int AddBlock(int nextBlock = 0, FormWindow window = {}) {
    FormBlock block;
    block.exitKeys = kBlockExitKeys;
    block.nextBlock = static_cast<std::int16_t>(nextBlock);
    block.window = window;
    formDefinition.blocks.push_back(block);
    formDefinition.blockCount = static_cast<std::int16_t>(formDefinition.blocks.size());
    return formDefinition.blockCount;
  }

  // Adds a field to block b; returns its number.
  int AddField(int b, int row, int column, const std::string& label, int length, int flags = 0,
               const std::string& choiceList = "", int lineWidth = 0, int extraWidth = 0,
               int browseList = 0) {
    FormField field;
    field.row = static_cast<std::int16_t>(row);
    field.column = static_cast<std::int16_t>(column);
    field.label = label;
    field.length = static_cast<std::int16_t>(length);
    field.lineWidth = static_cast<std::int16_t>(lineWidth);
    field.extraWidth = static_cast<std::int16_t>(extraWidth);
    field.flags = static_cast<std::int16_t>(flags);
    field.browseList = static_cast<std::int16_t>(browseList);
    field.choiceList = choiceList;
    field.value.assign(static_cast<std::size_t>(length), ' ');
    FormBlock& block = formDefinition.blocks[static_cast<std::size_t>(b - 1)];
    block.fields.push_back(field);
    block.fieldCount = static_cast<std::int16_t>(block.fields.size());
    if (formDefinition.maxFields < block.fieldCount) formDefinition.maxFields = block.fieldCount;
    return block.fieldCount;
  }

  std::string Value(int b, int f) { return formDefinition.FindField(b, f)->value; }

  TempDir dir;
  ScopedHost host;
};

#endif  // TESTS_FORMS_FORMS_FIXTURE_H_
