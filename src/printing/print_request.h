// The print request at the end of the run: when the operator asked for the
// listing, the session's menu chain is written back, the listing is written
// into the print file and the suite's spool program prints it.
#ifndef PRINTING_PRINT_REQUEST_H_
#define PRINTING_PRINT_REQUEST_H_

#include <string>

// In this order: writes the session's chainMenuName as "NomMenu" in section
// "Menu" of the work directory's "Sessio.ini" (an empty one removes the
// entry); opens the print file for the session's output device; lists the
// expense concepts (record is the area of file 501); closes the print file;
// starts programDir + "VUZOVARA" and waits for it to end.  When the print file
// cannot be written the spool program is not started, since it would print
// an old or partial listing.  Returns 0, or the host's error number of the
// print file.
int PrintConceptsTable(const std::string& record);

#endif  // PRINTING_PRINT_REQUEST_H_
