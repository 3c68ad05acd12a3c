#include "forms/block_editor.h"

#include "forms_fixture.h"

namespace {

using BlockEditorTest = FormsTest;

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

}  // namespace

namespace {

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

}  // namespace
