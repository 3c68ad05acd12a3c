#include "forms/field_display.h"

#include <vector>

#include "forms/form_hooks.h"
#include "forms_fixture.h"
#include "screen/window_stack.h"

namespace {

using FieldDisplayTest = FormsTest;

// The title's first column on row 1: 41 - L / 2 with a half going to the
// even neighbour.
TEST_F(FieldDisplayTest, TitleIsCentredWithHalvesToEven) {
  struct Case {
    const char* title;
    int column;
  };
  const std::vector<Case> cases = {
      {" 12345678 ", 36}, {"ABCDE", 38}, {"ABCDEFG", 38}, {"ABC", 40}, {"A", 40}, {"AB", 40},
  };
  AddBlock();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    host.console.Clear();
    session.screenTitle = c.title;
    DrawBlock(1);
    const std::string expected = std::string(static_cast<std::size_t>(c.column - 1), ' ') + c.title;
    EXPECT_EQ(host.console.RowText(1).substr(0, expected.size()), expected);
  }
}

// The value drawn after the label over a row of '#': what the field leaves
// of the row shows what it printed.
TEST_F(FieldDisplayTest, ValuesAtTheirPlace) {
  struct Case {
    const char* name;
    int length;
    int flags;
    std::string choiceList;
    int extraWidth;
    std::string value;
    std::string shown;  // columns 5 to 20 of row 3
  };
  const std::string list = "|S,Si, imprimeix-la|N,No|AB,Dues lletres";
  const std::vector<Case> cases = {
      {"plain value", 3, 0, "", 0, "xyz", "xyz#############"},
      {"hidden", 6, kFieldHidden, "", 0, "SECRET", "################"},
      {"choice: description cut to length + extra", 1, 0, list, 5, "S", "Si, im##########"},
      {"choice: short description padded", 1, 0, list, 5, "N", "No    ##########"},
      {"choice: code of two", 2, 0, list, 12, "AB", "Dues lletres  ##"},
      {"choice: no code matches", 1, 0, list, 5, "X", "################"},
      {"choice: codes compare blanks too", 2, 0, list, 5, "S ", "################"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    formDefinition = FormDefinition{};
    AddField(AddBlock(), 3, 1, "Lab:", c.length, c.flags, c.choiceList, 0, c.extraWidth);
    formDefinition.FindField(1, 1)->value = c.value;
    host.console.MoveCursor(3, 1);
    host.console.Write(std::string(80, '#'));
    DisplayField(1, 1);
    EXPECT_EQ(host.console.RowText(3).substr(4, 16), c.shown);
  }
}

// A value longer than lineWidth shows in pieces on successive rows.
TEST_F(FieldDisplayTest, MultiLineValue) {
  const int b = AddBlock(0, FormWindow{5, 10, 12, 70});
  AddField(b, 1, 2, "Nota: ", 45, 0, "", 20);
  StoreFieldValue(b, 1, std::string(20, 'a') + std::string(20, 'b') + "ccccc");
  OpenWindow(5, 10, 12, 70);
  DisplayField(b, 1);
  EXPECT_EQ(host.console.RowText(6).substr(17, 21), std::string(20, 'a') + " ");
  EXPECT_EQ(host.console.RowText(7).substr(17, 21), std::string(20, 'b') + " ");
  EXPECT_EQ(host.console.RowText(8).substr(17, 21), "ccccc" + std::string(16, ' '));
  CloseWindow();
}

TEST_F(FieldDisplayTest, AcceptingStoresAFixedLengthValueAndShowsIt) {
  const int b = AddBlock();
  AddField(b, 3, 1, "Codi: ", 4);
  struct Case {
    std::string text;
    std::string value;
  };
  for (const Case& c : {Case{"AB", "AB  "}, Case{"ABCDEF", "ABCD"}, Case{"", "    "}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(AcceptField(b, c.text, 1, kEnter), 0);
    EXPECT_EQ(Value(b, 1), c.value);
    EXPECT_EQ(host.console.RowText(3).substr(6, 4), c.value);
  }
}

}  // namespace
