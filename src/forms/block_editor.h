// The form block editor: runs one block of the form definition on the
// screen, editing its fields one after another with the text field editor,
// moving between them by keys and clicks, offering help (F1) and look-up
// lists (F4), and continuing into the block's next block.
#ifndef FORMS_BLOCK_EDITOR_H_
#define FORMS_BLOCK_EDITOR_H_

// Runs block (negative: run as the continuation of another block).  key is
// the caller's key variable: on return it holds the key that ended the block;
// a block without editable fields is drawn and left with key unchanged.
void EditBlock(int block, int& key);

#endif  // FORMS_BLOCK_EDITOR_H_
