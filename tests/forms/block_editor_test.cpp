#include "forms/block_editor.h"

#include <vector>

#include "forms/field_display.h"
#include "forms_fixture.h"
#include "support/screen_grid.h"

namespace {

// A scripted step: a key code, or a click given as the editor reports it,
// -(column * 100 + row) in screen coordinates.
using Script = std::vector<int>;

// Typed characters as key codes.
Script Typed(const std::string& text) { return Script(text.begin(), text.end()); }

Script operator+(Script a, const Script& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

int Click(int row, int column) { return -(column * 100 + row); }

class BlockEditorTest : public FormsTest {
 protected:
  void Push(const Script& script) {
    for (int step : script) {
      if (step < 0)
        host.console.Push(
            InputEvent::Mouse(MouseAction::kRelease, 1, (-step) % 100, (-step) / 100));
      else
        host.console.PushKey(static_cast<std::uint16_t>(step));
    }
  }

  // Runs block 1 over the script; returns the key it ended with.  A block
  // still waiting for keys when the script is over fails the test and is
  // ended with Ctrl+B.
  int Run(const Script& script, int key = 0) {
    Push(script);
    if (!host.console.onIdle)
      host.console.onIdle = [this] {
        ADD_FAILURE() << "the block waits for more keys";
        host.console.PushKey(kCtrlB);
      };
    EditBlock(1, key);
    return key;
  }

  // Three plain fields of three characters on rows 3 to 5 of the screen.
  void ThreeFields(int b, int row = 3) {
    AddField(b, row, 1, "A: ", 3);
    AddField(b, row + 1, 1, "B: ", 3);
    AddField(b, row + 2, 1, "C: ", 3);
  }
};

TEST_F(BlockEditorTest, EnterOnAChoiceFieldMovesToTheNextField) {
  const int b = AddBlock(0, FormWindow{8, 12, 15, 69});
  AddField(b, 2, 3, "Imprimir? ", 1, 0, "|S,Si|N,No", 0, 23);
  AddField(b, 4, 3, "Codi: ", 2, 1);
  host.console.PushKey(kEnter);
  host.console.PushText("AB");
  host.console.PushKey(kEnter);
  int key = 0;
  EditBlock(1, key);
  EXPECT_EQ(key, kEnter);
  EXPECT_EQ(Value(1, 1), "S");
  EXPECT_EQ(Value(1, 2), "AB");
}

TEST_F(BlockEditorTest, EscOnTheFirstFieldLeavesTheBlock) {
  const int b = AddBlock(0, FormWindow{8, 12, 15, 69});
  AddField(b, 2, 3, "Imprimir? ", 1, 0, "|S,Si|N,No", 0, 23);
  AddField(b, 4, 3, "Codi: ", 2, 1);
  host.console.PushKey(kEsc);
  int key = 0;
  EditBlock(1, key);
  EXPECT_EQ(key, kEsc);
  EXPECT_EQ(Value(1, 1), " ");
}

// Moving between the fields of a block without a next block.  Each edit of
// a field starts from its stored value with the cursor at position 1, so a
// character typed into a field already holding one goes in front of it.
TEST_F(BlockEditorTest, KeysMoveBetweenFieldsAndLeaveTheBlock) {
  struct Case {
    const char* name;
    Script script;
    int key;
    std::vector<std::string> values;
  };
  const std::vector<Case> cases = {
      {"Enter past the last field leaves",
       Typed("a") + Script{kEnter} + Typed("b") + Script{kEnter} + Typed("c") + Script{kEnter},
       kEnter,
       {"a  ", "b  ", "c  "}},
      {"Esc on the third field goes to the first, a second Esc leaves",
       Typed("a") + Script{kEnter} + Typed("b") + Script{kEnter} + Typed("c") + Script{kEsc, kEsc},
       kEsc,
       {"a  ", "b  ", "   "}},
      {"Down on the last field stays on it",
       Script{kDown, kDown} + Typed("c") + Script{kDown} + Typed("d") + Script{kCtrlB},
       kCtrlB,
       {"   ", "   ", "dc "}},
      {"Up goes back and stays on the first field",
       Script{kPgDn} + Typed("c") + Script{kUp} + Typed("b") + Script{kUp} + Typed("a") +
           Script{kUp} + Typed("z") + Script{kCtrlB},
       kCtrlB,
       {"za ", "b  ", "c  "}},
      {"PgUp goes to the first field",
       Script{kEnter, kEnter, kPgUp} + Typed("a") + Script{kCtrlB},
       kCtrlB,
       {"a  ", "   ", "   "}},
      {"F2 without a next block stays on the field",
       Script{kF2} + Typed("a") + Script{kF2} + Typed("b") + Script{kCtrlB},
       kCtrlB,
       {"ba ", "   ", "   "}},
      {"F4 without a look-up list stays on the field",
       Script{kF4} + Typed("a") + Script{kCtrlB},
       kCtrlB,
       {"a  ", "   ", "   "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    formDefinition = FormDefinition{};
    ThreeFields(AddBlock());
    EXPECT_EQ(Run(c.script), c.key);
    for (int f = 1; f <= 3; ++f) EXPECT_EQ(Value(1, f), c.values[f - 1]) << "field " << f;
    EXPECT_EQ(host.console.pending(), 0u);
  }
}

// What was typed into a field is stored unless the edit ended with Esc, F1
// or F4.  After the key, Esc returns to the first field and leaves.
TEST_F(BlockEditorTest, TypingIsKeptOrDroppedByTheKeyThatEndsTheEdit) {
  struct Case {
    const char* name;
    int key;
    bool kept;
  };
  const std::vector<Case> cases = {
      {"Enter", kEnter, true}, {"Down", kDown, true},        {"Up", kUp, true},
      {"PgUp", kPgUp, true},   {"PgDn", kPgDn, true},        {"Ctrl+B", kCtrlB, true},
      {"F2", kF2, true},       {"click", Click(4, 1), true}, {"Esc", kEsc, false},
      {"F1", kF1, false},      {"F4", kF4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    formDefinition = FormDefinition{};
    ThreeFields(AddBlock());
    host.console.onIdle = [this] { host.console.PushKey(kEsc); };
    Run(Typed("x") + Script{c.key});
    EXPECT_EQ(Value(1, 1), c.kept ? "x  " : "   ");
  }
}

// Fields that are never entered: a block made only of them is drawn and left
// with the key unchanged; in a block with editable fields, keys step over
// them and clicks on them change nothing.
TEST_F(BlockEditorTest, FieldsThatAreNeverEntered) {
  const int all = AddBlock();
  AddField(all, 3, 1, "Fixed: ", 3, kFieldReadOnly);
  AddField(all, 4, 1, "Also: ", 3, kFieldReadOnly);
  const int windowed = AddBlock(0, FormWindow{10, 10, 14, 40});
  AddField(windowed, 1, 1, "Fixed: ", 3, kFieldReadOnly);

  int key = 0x1234;
  EditBlock(all, key);
  EXPECT_EQ(key, 0x1234);
  EXPECT_EQ(host.console.RowText(3).substr(0, 7), "Fixed: ");

  const std::vector<Cell> before = AllCells(host.console);
  EditBlock(windowed, key);
  EXPECT_EQ(key, 0x1234);
  EXPECT_EQ(AllCells(host.console), before) << "the window was not closed";

  struct Case {
    const char* name;
    Script script;
    std::vector<std::string> values;
  };
  const std::vector<Case> cases = {
      {"Enter steps over the middle field",
       Typed("a") + Script{kEnter} + Typed("c") + Script{kEnter},
       {"a  ", "RO ", "c  "}},
      {"Down steps over it", Script{kDown} + Typed("c") + Script{kCtrlB}, {"   ", "RO ", "c  "}},
      {"Up steps over it", Script{kPgDn, kUp} + Typed("a") + Script{kCtrlB}, {"a  ", "RO ", "   "}},
      {"a click on it changes nothing",
       Script{Click(4, 5)} + Typed("a") + Script{kCtrlB},
       {"a  ", "RO ", "   "}},
      {"a click outside every field changes nothing",
       Script{Click(20, 60)} + Typed("a") + Script{kCtrlB},
       {"a  ", "RO ", "   "}},
      {"a click on a label selects its field",
       Script{Click(5, 2)} + Typed("c") + Script{kCtrlB},
       {"   ", "RO ", "c  "}},
      {"a click past the label on the value selects its field",
       Script{Click(5, 6)} + Typed("c") + Script{kCtrlB},
       {"   ", "RO ", "c  "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    formDefinition = FormDefinition{};
    const int b = AddBlock();
    ThreeFields(b);
    FormField& middle = *formDefinition.FindField(b, 2);
    middle.flags = kFieldReadOnly;
    middle.value = "RO ";
    Run(c.script);
    for (int f = 1; f <= 3; ++f) EXPECT_EQ(Value(1, f), c.values[f - 1]) << "field " << f;
  }
}

// Clicks are taken in the window's coordinates: field row and column count
// from the window's top and left.
TEST_F(BlockEditorTest, ClicksInAWindowSelectFieldsAtTheirScreenPlace) {
  const int b = AddBlock(0, FormWindow{10, 20, 16, 60});
  AddField(b, 2, 3, "Nom: ", 3);
  AddField(b, 3, 3, "Codi: ", 2, 0, "", 0, 10);
  // The second field's area: row 13, columns 23 to 23 + 6 + 2 + 10 - 1.
  for (int column : {23, 40}) {
    SCOPED_TRACE(column);
    StoreFieldValue(b, 2, "");
    Run(Script{Click(13, column)} + Typed("x") + Script{kCtrlB});
    EXPECT_EQ(Value(1, 2), "x ");
  }
  StoreFieldValue(b, 2, "");
  Run(Script{Click(13, 41)} + Typed("x") + Script{kCtrlB});
  EXPECT_EQ(Value(1, 2), "  ");
}

// Continuation blocks: block 1 (two fields) continues into block 2 (two
// fields, in a window), which continues into block 3 (one field).
TEST_F(BlockEditorTest, ContinuationBlocks) {
  struct Case {
    const char* name;
    Script script;
    int key;
    std::vector<std::string> values;  // blocks 1, 2 and 3 in order
  };
  const std::vector<Case> cases = {
      {"Enter runs through every level and ends them all",
       Typed("a") + Script{kEnter} + Typed("b") + Script{kEnter} + Typed("c") + Script{kEnter} +
           Typed("d") + Script{kEnter} + Typed("e") + Script{kEnter},
       kEnter,
       {"a ", "b ", "c ", "d ", "e "}},
      {"Down on the last field enters the next block",
       Script{kEnter, kDown} + Typed("c") + Script{kCtrlB},
       kCtrlB,
       {"  ", "  ", "c ", "  ", "  "}},
      {"Up on a continuation's first field returns to the parent's field",
       Script{kEnter, kEnter, kUp} + Typed("z") + Script{kCtrlB},
       kCtrlB,
       {"  ", "z ", "  ", "  ", "  "}},
      {"F2 from the first field enters; Esc there returns to the same field",
       Script{kF2} + Typed("c") + Script{kEsc} + Typed("z") + Script{kCtrlB},
       kCtrlB,
       {"z ", "  ", "  ", "  ", "  "}},
      {"F2 at every level reaches the deepest block; Ctrl+B ends them all",
       Script{kF2, kF2} + Typed("e") + Script{kCtrlB},
       kCtrlB,
       {"  ", "  ", "  ", "  ", "e "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    formDefinition = FormDefinition{};
    const int top = AddBlock(2);
    AddField(top, 3, 1, "A: ", 2);
    AddField(top, 4, 1, "B: ", 2);
    const int middle = AddBlock(3, FormWindow{8, 10, 12, 50});
    AddField(middle, 1, 2, "C: ", 2);
    AddField(middle, 2, 2, "D: ", 2);
    AddField(AddBlock(), 20, 1, "E: ", 2);
    EXPECT_EQ(Run(c.script), c.key);
    const std::vector<std::string> values = {Value(1, 1), Value(1, 2), Value(2, 1), Value(2, 2),
                                             Value(3, 1)};
    EXPECT_EQ(values, c.values);
    EXPECT_EQ(host.console.pending(), 0u);
  }
}

// A continuation without editable fields hands back the key it was given:
// Enter into it ends the parent, F2 into it leaves the parent where it was.
TEST_F(BlockEditorTest, ContinuationWithoutEditableFields) {
  const int top = AddBlock(2);
  AddField(top, 3, 1, "A: ", 2);
  AddField(top, 4, 1, "B: ", 2);
  AddField(AddBlock(), 6, 1, "Fixed: ", 2, kFieldReadOnly);

  EXPECT_EQ(Run(Script{kEnter, kEnter}), kEnter);
  EXPECT_EQ(Run(Script{kF2} + Typed("a") + Script{kCtrlB}), kCtrlB);
  EXPECT_EQ(Value(1, 1), "a ");
}

// The screen while the first field is edited: in a window, framed, with the
// labels and values at window-relative places; without one, at the screen's.
// The first field is a choice, edited with its description between arrows.
TEST_F(BlockEditorTest, BlockWithAndWithoutWindow) {
  std::vector<std::string> grid;
  host.console.onIdle = [&] {
    grid = TextGrid(host.console, 1, 1, 8, 32);
    host.console.PushKey(kEsc);
  };

  const int windowed = AddBlock(0, FormWindow{2, 4, 7, 30});
  AddField(windowed, 2, 2, "Imprimir? ", 1, 0, "|S,Si, tot|N,No", 0, 8);
  AddField(windowed, 3, 2, "Codi: ", 2, kFieldReadOnly);
  StoreFieldValue(windowed, 1, "S");
  StoreFieldValue(windowed, 2, "AB");
  int key = 0;
  EditBlock(windowed, key);
  const std::vector<std::string> framed = {
      "                                ", "   ╔═════════════════════════╗  ",
      "   ║                         ║  ", "   ║ Imprimir?◄Si, tot►      ║  ",
      "   ║ Codi: AB                ║  ", "   ║                         ║  ",
      "   ╚═════════════════════════╝  ", "                                ",
  };
  EXPECT_EQ(grid, framed);

  const int plain = AddBlock();
  AddField(plain, 4, 2, "Imprimir? ", 1, 0, "|S,Si, tot|N,No", 0, 8);
  AddField(plain, 5, 2, "Codi: ", 2, kFieldReadOnly);
  StoreFieldValue(plain, 1, "N");
  StoreFieldValue(plain, 2, "CD");
  host.console.Clear();
  EditBlock(plain, key);
  const std::vector<std::string> bare = {
      "                                ", "                                ",
      "                                ", " Imprimir?◄No     ►             ",
      " Codi: CD                       ", "                                ",
      "                                ", "                                ",
  };
  EXPECT_EQ(grid, bare);
}

// A hidden field starts blank, is masked while typed and never shown; flag 8
// puts the cursor after the value's last non-blank character.
TEST_F(BlockEditorTest, HiddenFieldsAndCursorAfterTheValue) {
  // With a description area too: clearing it after the edit must not
  // bring the typed text to the screen.
  for (int extraWidth : {0, 5}) {
    SCOPED_TRACE(extraWidth);
    formDefinition = FormDefinition{};
    host.console.Clear();
    AddField(AddBlock(), 3, 1, "Clau: ", 6, kFieldHidden, "", 0, extraWidth);
    StoreFieldValue(1, 1, "SECRET");
    std::vector<std::string> rows;
    host.console.onIdle = [&] {
      rows.push_back(host.console.RowText(3));
      if (rows.size() == 1)
        host.console.PushText("ab");
      else
        host.console.PushKey(kCtrlB);
    };
    EXPECT_EQ(Run({}), kCtrlB);
    EXPECT_EQ(Value(1, 1), "ab    ");
    rows.push_back(host.console.RowText(3));
    for (const std::string& row : rows) {
      EXPECT_EQ(row.find("SECRET"), std::string::npos) << row;
      EXPECT_EQ(row.find("ab"), std::string::npos) << row;
    }
  }

  struct Case {
    int flags;
    int column;
  };
  for (const Case& c : {Case{kFieldCursorAtEnd, 7 + 2}, Case{0, 7}}) {
    SCOPED_TRACE(c.flags);
    formDefinition = FormDefinition{};
    AddField(AddBlock(), 3, 1, "Codi: ", 4, c.flags);
    StoreFieldValue(1, 1, "AB");
    int column = 0;
    host.console.onIdle = [&] {
      column = host.console.CursorColumn();
      host.console.PushKey(kEsc);
    };
    Run({});
    EXPECT_EQ(column, c.column);
  }
}

// A look-up list that ends without a choice is answered with a beep and a
// new edit of the field with what had been typed.
TEST_F(BlockEditorTest, LookUpWithoutAChoiceBeepsAndEditsAgain) {
  AddField(AddBlock(), 3, 1, "Codi: ", 3, 0, "", 0, 0, 1);
  EXPECT_EQ(Run(Typed("x") + Script{kF4} + Typed("y") + Script{kCtrlB}), kCtrlB);
  EXPECT_EQ(host.console.beeps(), 1);
  EXPECT_EQ(Value(1, 1), "yx ");
}

// F1 shows the session's help and gives the form back exactly as it was;
// without a help name it does nothing but edit the field again.
TEST_F(BlockEditorTest, HelpOnF1) {
  AddField(AddBlock(0, FormWindow{8, 12, 15, 69}), 2, 3, "Codi: ", 3);
  std::vector<std::vector<Cell>> screens;
  int idle = 0;
  host.console.onIdle = [&] {
    screens.push_back(AllCells(host.console));
    host.console.PushKey(static_cast<std::uint16_t>(++idle == 1 ? kF1 : kEsc));
  };
  session.menuName = "EXPCODES  ";
  EXPECT_EQ(Run({}), kEsc);
  ASSERT_EQ(screens.size(), 3u);  // the form, the help, the form again
  EXPECT_NE(screens[1], screens[0]);
  EXPECT_EQ(screens[2], screens[0]);

  screens.clear();
  idle = 0;
  session.menuName.clear();
  EXPECT_EQ(Run({}), kEsc);
  ASSERT_EQ(screens.size(), 2u);
  EXPECT_EQ(screens[1], screens[0]);
}

}  // namespace
