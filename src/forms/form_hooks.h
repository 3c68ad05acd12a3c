// The hooks through which the form block editor and the browse list hand
// control to the table's own code.  For the expense concepts table they do
// the minimum: every value is accepted as typed, and no list line is built.
#ifndef FORMS_FORM_HOOKS_H_
#define FORMS_FORM_HOOKS_H_

#include <string>

// Stores the edited text as the field's value and shows it; 0 accepts it.
int AcceptField(int block, const std::string& text, int field, int key);

// Called each time a block is left; nonzero edits the block again.
int AfterBlock(int block, int key);

// Called before a look-up list opens; nonzero cancels it with that result.
// startKey and upperBound receive the list's range (empty: all records).
int BeforeBrowse(int browse, std::string& startKey, std::string& upperBound);

// The list line for the record in the browse's file record area; an empty
// text leaves the record out of the list.
std::string BrowseLine(int browse);

// Called after a line was chosen in a list.
void AfterBrowse(int browse, int block, int field);

#endif  // FORMS_FORM_HOOKS_H_
