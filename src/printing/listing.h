// The listing of the expense concepts table: every record of the expense
// concepts file (record file 501) in code order, three concepts to a line,
// under a page heading with the company name, the page number, the title and
// the column captions.  Written through the print file operations into the
// print file that the caller has opened.
#ifndef PRINTING_LISTING_H_
#define PRINTING_LISTING_H_

#include <string>

// The record file number of the expense concepts file.
constexpr int kConceptsFile = 501;

// The installation's company name, at most 35 characters, printed at the top
// of every page.  Set by LoadCompanyName; tests set it directly.
extern std::string companyName;

// Reads the company name: "Empresa" of section "Usuari" of "Orvo.ini" in the
// root directory, cut to 35 characters (empty when there is none).
void LoadCompanyName();

// Prints every record of file 501 to the open print file.  record is the
// record area that the record layer fills for that file: the code (2
// characters) and the description (25).  An empty file prints nothing, not
// even a heading.  Returns the record layer's status that ended the reading.
int ListExpenseConcepts(const std::string& record);

#endif  // PRINTING_LISTING_H_
