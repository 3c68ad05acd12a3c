// The look-up list that F4 opens from a field.
#ifndef FORMS_BROWSE_LIST_H_
#define FORMS_BROWSE_LIST_H_

// Runs the look-up list of the browse definition.  result: 0 when a line was
// chosen (its record read into the file's record area), -1 when the list
// ended without a choice, otherwise the hook's answer or the read status.
void RunBrowse(int browse, int& result);

#endif  // FORMS_BROWSE_LIST_H_
