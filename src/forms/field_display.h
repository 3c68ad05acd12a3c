// Drawing a form block: the screen title, the labels and the field values,
// and storing a text into a field's fixed-length value.
#ifndef FORMS_FIELD_DISPLAY_H_
#define FORMS_FIELD_DISPLAY_H_

#include <string>

// Draws the session's title centred on row 1, then every field's label in
// "n" and every field's value in "h", editable or not.
void DrawBlock(int block);

// Draws the value of one field at its place (after its label): nothing for a
// hidden field, the description of its code for a field with a choice list,
// pieces of lineWidth characters on successive rows for a multi-line field.
// The cursor is left after what was printed.
void DisplayField(int block, int field);

// Stores text into the field's value: left-aligned, blank-padded and cut to
// the field's length.
void StoreFieldValue(int block, int field, const std::string& text);

#endif  // FORMS_FIELD_DISPLAY_H_
