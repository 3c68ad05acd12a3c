// The run sequence: the operator's one pass over form block 1 and, when asked
// for, the listing of the expense concepts table.  Runs after the start-up
// sequence has established the session and set programName.
#ifndef STARTUP_PROGRAM_RUN_H_
#define STARTUP_PROGRAM_RUN_H_

void RunSequence();

#endif  // STARTUP_PROGRAM_RUN_H_
