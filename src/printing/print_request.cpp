#include "printing/print_request.h"

#include "platform/host.h"
#include "printing/listing.h"
#include "printing/print_file.h"
#include "startup/ini_file.h"
#include "startup/session.h"

int PrintConceptsTable(const std::string& record) {
  // The menu that the suite shows next; written even when nothing is listed.
  WriteIniValue(session.workDir + "Sessio.ini", "Menu", "NomMenu", session.chainMenuName);
  if (OpenPrintFile(session.outputDevice) == 0) {
    LoadCompanyName();
    ListExpenseConcepts(record);
  }
  const int status = ClosePrintFile();
  if (status != 0) return status;
  // Quoted, so that a program directory with blanks stays one word.
  host().processes->RunAndWait("\"" + session.programDir + "VUZOVARA\"");
  return 0;
}
