#include "startup/program_run.h"

#include <string>

#include "editing/keyboard.h"
#include "forms/block_editor.h"
#include "platform/host.h"
#include "printing/listing.h"
#include "printing/print_request.h"
#include "screen/message_box.h"
#include "screen/screen.h"
#include "screen/window_stack.h"
#include "startup/form_definition.h"
#include "startup/program.h"
#include "startup/session.h"
#include "startup/translation.h"
#include "storage/record_layer.h"

namespace {

// The expense concepts file and the program's record area for it: the
// concept code (2 characters) and its description (25).
constexpr const char* kConceptsFileName = "DADES\\TDespesa";
constexpr std::size_t kConceptsRecordLength = 27;

// Asking for the listing: the first field of the first block holds exactly
// this when the operator leaves the form.
constexpr const char* kPrintTrigger = "S";

std::string& RecordArea() {
  static std::string area(kConceptsRecordLength, ' ');
  return area;
}

// Tells the operator what went wrong and waits for one key.
void ShowFailure(std::string text) {
  MessageBox(12, text);
  console().Beep();
  console().DiscardTypeAhead();
  ReadKey();
  CloseWindow();
}

// A form file that is missing or unusable leaves nothing to show: the
// operator is told which file, and the program ends.
[[noreturn]] void FormFileFailed(FormLoadStatus status) {
  std::string reason;
  switch (status) {
    case FormLoadStatus::kMissing:
      reason = Translate("NO ES POT LLEGIR EL FORMULARI ");
      break;
    case FormLoadStatus::kEmpty:
      reason = Translate("EL FORMULARI ES BUIT: ");
      break;
    default:
      reason = Translate("EL FORMULARI NO ES CORRECTE: ");
      break;
  }
  SetColor("n");
  console().Clear();
  ShowFailure(reason + FormDefinitionFile());
  EndProgram(1);
}

}  // namespace

void RunSequence() {
  const FormLoadStatus loaded = LoadFormDefinition();
  if (loaded != FormLoadStatus::kLoaded) FormFileFailed(loaded);
  OpenRecordFile(kConceptsFile, session.rootDir + kConceptsFileName, RecordArea());

  SetColor("n");
  console().Clear();
  FormField* printRequest = formDefinition.FindField(1, 1);
  if (printRequest != nullptr) printRequest->value.assign(printRequest->value.size(), ' ');
  int key = 0;
  EditBlock(1, key);

  if (printRequest != nullptr && printRequest->value == kPrintTrigger) {
    // A print file that cannot be written is not spooled; the operator is
    // told, since nothing would come out of the printer.
    const int error = PrintConceptsTable(RecordArea());
    if (error != 0) {
      ShowFailure(Translate("NO ES POT ESCRIURE EL FITXER D'IMPRESSIO ") + session.workDir +
                  "vuzovara.tmp (" + std::to_string(error) + ")");
    }
  }
}
