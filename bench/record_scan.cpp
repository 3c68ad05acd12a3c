// Reads every record of a 65,536-record file in key order through the record
// layer (ReadByKey, then StepRecords) and, beside it, the same records by
// plain SQLite stepping one prepared statement; prints both times and their
// ratio, the ratio last.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "recordmanager/record_client.h"
#include "recordmanager/record_spec.h"
#include "startup/session.h"
#include "storage/record_layer.h"

namespace {

constexpr int kRecords = 65536;
constexpr int kRounds = 5;

std::string Record(int i) {
  char code[8];
  std::snprintf(code, sizeof code, "%04X", (static_cast<unsigned>(i) * 40503u) & 0xFFFFu);  // shuffled, unique
  std::string record = std::string(code) + " concepte de despesa " + std::to_string(i);
  record.resize(27, ' ');
  return record;
}

bool MakeFile(const std::string& path) {
  KeySpec code{{{1, 4, 0}}, 4, false};
  KeySpec description{{{5, 23, 0}}, 23, true};
  RecordClient file;
  int status = RecordClient::Create(path, MakeCreationSpec(27, {code, description}));
  if (status == 0) status = file.Open(path);
  if (status == 0) status = file.Transaction(kOpBeginTransaction);
  for (int i = 0; status == 0 && i < kRecords; ++i) status = file.Insert(Record(i));
  if (status == 0) status = file.Transaction(kOpEndTransaction);
  if (status != 0) std::fprintf(stderr, "record-scan: status %d\n", status);
  return status == 0;
}

// Times one scan, keeping the best time seen so far.
template <typename Scan>
void Time(Scan scan, double& best) {
  auto start = std::chrono::steady_clock::now();
  if (scan() != kRecords) {
    std::fprintf(stderr, "record-scan: a scan did not read every record\n");
    std::exit(1);
  }
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  best = std::min(best, elapsed.count());
}

int LayerScan(const std::string& path) {
  static std::string area(27, ' ');
  static bool opened = false;
  if (!opened && OpenRecordFile(501, path.substr(0, path.size() - 4), area) != 0) return -1;
  opened = true;
  int count = 0;
  for (int status = ReadByKey(501, 0, "", 1); status == 0; status = StepRecords(501, 1)) ++count;
  return count;
}

int SqliteScan(sqlite3_stmt* statement) {
  char area[27];
  int count = 0;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    std::size_t length = std::min<std::size_t>(sizeof area, sqlite3_column_bytes(statement, 0));
    std::memcpy(area, sqlite3_column_blob(statement, 0), length);
    ++count;
  }
  sqlite3_reset(statement);
  return count;
}

}  // namespace

int main() {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "expcodes-record-scan";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::string path = (dir / "SCAN.dat").string();
  if (!MakeFile(path)) {
    std::fprintf(stderr, "record-scan: cannot make %s\n", path.c_str());
    return 1;
  }
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_prepare_v2(db, "SELECT data FROM records ORDER BY k0, position", -1, &statement, nullptr);

  // Rounds alternate, so that both scans meet the same load and caches.
  double layer = 1e9;
  double plain = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    Time([&] { return LayerScan(path); }, layer);
    Time([&] { return SqliteScan(statement); }, plain);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  ResetRecordManager();
  std::filesystem::remove_all(dir);

  std::printf("record layer: %.1f ms for %d records\n", layer * 1e3, kRecords);
  std::printf("plain SQLite: %.1f ms\n", plain * 1e3);
  std::printf("record-scan: %.2f (target <= 2.00)\n", layer / plain);
  return 0;
}
