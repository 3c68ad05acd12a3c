#include "printing/listing.h"

#include <algorithm>
#include <cstdint>

#include "printing/number_format.h"
#include "printing/print_file.h"
#include "screen/text_utils.h"
#include "startup/ini_file.h"
#include "startup/session.h"
#include "startup/translation.h"
#include "storage/record_layer.h"

std::string companyName;

namespace {

constexpr std::int16_t kPageLength = 66;
constexpr int kLastLineBeforeHeading = 60;  // more lines complete: a new page
constexpr int kLastColumnOnLine = 65;       // a description past it ends the line
constexpr int kGapAfterConcept = 4;
constexpr std::int16_t kPageNumberColumn = 85;
constexpr int kTitleWidth = 96;
constexpr int kRuleLength = 95;

// The field of the record area at offset, always length characters.
std::string RecordField(const std::string& record, std::size_t offset, std::size_t length) {
  std::string field = offset < record.size() ? record.substr(offset, length) : std::string();
  field.resize(length, ' ');
  return field;
}

std::int16_t NextColumn() { return static_cast<std::int16_t>(printState.printColumn + 1); }

// A code and its description (or the captions over them) after the previous
// one on the line; the third of a line ends it.
void PrintPair(const std::string& code, const std::string& description) {
  PrintText(NextColumn(), code, 0);
  PrintText(NextColumn(), description, printState.printColumn > kLastColumnOnLine ? 1 : 0);
  if (printState.printColumn > 0) printState.printColumn += kGapAfterConcept;
}

void PrintPageHeading(int pageNumber) {
  NewPrintPage(kPageLength);
  PrintControl("@e");
  PrintText(1, companyName, 0);
  std::string justify = "D";
  SetPrintJustify(justify);
  PrintText(kPageNumberColumn, Translate("P\xB7GINA ") + FormatNumber("ZZZ9", pageNumber), 2);
  const std::string title = Translate("TAULA DE CONCEPTES DE DESPESA");
  PrintText(CenterOffset(title, kTitleWidth), title, 2);
  // The caption stands over a 25-character description whatever the length
  // of its translation.
  std::string caption = Translate("DESCRIPCI\xE0");
  caption.resize(std::max<std::size_t>(caption.size(), 25), ' ');
  for (int column = 0; column < 3; ++column) PrintPair("C.", caption);
  PrintText(1, std::string(kRuleLength, '-'), 1);
}

}  // namespace

void LoadCompanyName() {
  companyName = ReadIniValue(session.rootDir + "Orvo.ini", "Usuari", "Empresa").substr(0, 35);
}

int ListExpenseConcepts(const std::string& record) {
  int pageNumber = 0;
  int status = ReadByKey(kConceptsFile, 0, "", 1);
  while (status == 0) {
    if (pageNumber == 0 || printState.linesOnPage > kLastLineBeforeHeading) {
      PrintPageHeading(++pageNumber);
    }
    PrintPair(RecordField(record, 0, 2), RecordField(record, 2, 25));
    status = StepRecords(kConceptsFile, 1);
  }
  return status;
}
