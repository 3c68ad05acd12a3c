// The listing of a large expense concepts file through the program's own
// code, for bench/listing.
//   listing generate FILE   writes the 65,536 records of every two-byte code
//                           as a sequential file of records for recutil load
//   listing run ROOT        lists ROOT/DADES/TDespesa into ROOT/vuzovara.tmp
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/host.h"
#include "printing/listing.h"
#include "printing/print_file.h"
#include "startup/program.h"
#include "startup/session.h"
#include "storage/record_layer.h"

namespace {

int Generate(const char* path) {
  static const char* const kWords[] = {"Lloguer", "Dietes", "Transport", "Material", "Reparacions"};
  std::ofstream out(path, std::ios::binary);
  for (int code = 0; code < 65536; ++code) {
    std::string record{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    std::string description = std::string(kWords[code % 5]) + " " + std::to_string(code);
    description.resize(25, ' ');
    out << "27," << record << description << "\r\n";
  }
  return out ? 0 : 1;
}

int List(const std::string& root) {
  HostEnvironment environment;
  HostClock clock;
  host().environment = &environment;
  host().clock = &clock;
  programName = "EXPCODES";
  session.rootDir = session.workDir = root + "/";
  session.language = "CAT";
  companyName = "BANC DE PROVES";
  std::string record(27, ' ');
  if (OpenRecordFile(kConceptsFile, session.rootDir + "DADES\\TDespesa", record) != 0) return 1;
  if (OpenPrintFile("LPT1") != 0) return 1;
  ListExpenseConcepts(record);
  const int status = ClosePrintFile();
  ResetRecordManager();
  return status == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "generate") == 0) return Generate(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "run") == 0) return List(argv[2]);
  std::fputs("usage: listing generate FILE | listing run ROOT\n", stderr);
  return 2;
}
