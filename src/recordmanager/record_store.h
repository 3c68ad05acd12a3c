// One record file as an SQLite database: the creation specification in table
// "spec", the records in table "records" (position = row id, the record
// bytes, and one column per key holding the key's collation form, each with
// an index).  WAL journal, so readers never wait for a writer.
#ifndef RECORDMANAGER_RECORD_STORE_H_
#define RECORDMANAGER_RECORD_STORE_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "recordmanager/record_spec.h"

struct sqlite3;
struct sqlite3_stmt;

struct StoredRecord {
  std::int64_t position = 0;
  std::string data;
};

// How Find moves along a key: to an end, to a key value, or on from a record
// (collation value and position) in either direction.
enum class Seek { kFirst, kLast, kEqual, kGreater, kGreaterOrEqual, kLess, kLessOrEqual, kNext, kPrevious };

class RecordStore {
 public:
  RecordStore() = default;
  ~RecordStore();
  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;

  // Creates the file from spec, atomically: it appears complete or not at
  // all.  Without replace an existing file is kept (status 59).
  static int Create(const std::string& path, const RecordSpec& spec, bool replace);

  // Opens an existing file: 0, 12 when it is missing, 2 when it is not a
  // record file or cannot be read.
  int Open(const std::string& path);

  const RecordSpec& spec() const { return spec_; }

  // Up to limit records of key in the order of the seek, from the collation
  // value (and position, for kNext and kPrevious).  No match leaves rows
  // empty with status 0.
  int Find(Seek seek, int key, const std::string& collated, std::int64_t position, int limit,
           std::vector<StoredRecord>& rows);
  // The record at position; found false when there is none.
  int Read(std::int64_t position, StoredRecord& row, bool& found);
  // Insert, update and delete: 0, 5 for a duplicate in a unique key, 85 when
  // another writer holds the database too long, 2 for other errors.
  int Insert(const std::string& record, std::int64_t& position);
  int Update(std::int64_t position, const std::string& record, bool& found);
  int Delete(std::int64_t position, bool& found);
  int Count(std::int64_t& count);
  // Begin, commit or roll back a transaction of this open (SQL keyword).
  int Transaction(const char* verb);

 private:
  sqlite3_stmt* Prepare(int id, const std::string& sql);
  int BindKeys(sqlite3_stmt* statement, const std::string& record, int first);
  int Finish(sqlite3_stmt* statement, int result);

  sqlite3* db_ = nullptr;
  RecordSpec spec_;
  std::map<int, sqlite3_stmt*> statements_;
};

#endif  // RECORDMANAGER_RECORD_STORE_H_
