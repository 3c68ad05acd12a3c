// The screen save stack behind every pop-up window, kept in WinPush.tmp in
// the session's work directory.  Each OpenWindow appends one record (cursor,
// previous CurrentWindow, the rectangle's corners, its cells, the record's
// length) and each CloseWindow takes the top one off and puts the screen
// back.  The file is opened and closed inside every operation, created with
// permissions 0600 and never opened through a symbolic link; it is deleted
// when the stack becomes empty.
//
// Every OpenWindow must be matched by exactly one CloseWindow, in reverse
// order.  An OpenWindow that is refused (a corner off the screen, or a work
// file that cannot be written) opens nothing, and the CloseWindow matched
// with it does nothing, so a refused pop-up never takes its parent's window
// away.
#ifndef SCREEN_WINDOW_STACK_H_
#define SCREEN_WINDOW_STACK_H_

// Saves the rectangle (screen coordinates, border included), the cursor and
// the previous CurrentWindow, and makes the rectangle the CurrentWindow.
// Draws nothing.  Returns false when it was refused.
bool OpenWindow(int top, int left, int bottom, int right);

// Restores the most recently saved rectangle, the cursor and the previous
// CurrentWindow.  A record that cannot be trusted (a damaged or foreign file)
// restores nothing and is removed; a stack whose end cannot be found is
// emptied.
void CloseWindow();

// Forgets the refused opens still waiting for their CloseWindow (for tests).
void ResetWindowStack();

#endif  // SCREEN_WINDOW_STACK_H_
