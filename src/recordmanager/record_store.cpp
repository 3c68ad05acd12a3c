#include "recordmanager/record_store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "storage/btrcall.h"

namespace {

constexpr int kBusyTimeoutMs = 5000;

// Statement identifiers: one per seek and key, then the fixed ones.
constexpr int kStatementRead = 1000;
constexpr int kStatementInsert = 1001;
constexpr int kStatementUpdate = 1002;
constexpr int kStatementDelete = 1003;
constexpr int kStatementCount = 1004;

int StatusOf(int result) {
  switch (result & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return 0;
    case SQLITE_CONSTRAINT:
      return kStatusDuplicateKey;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return kStatusFileLocked;
    default:
      return kStatusIoError;
  }
}

std::string KeyColumn(int key) { return "k" + std::to_string(key); }

std::string KeyColumns(const RecordSpec& spec, const char* suffix) {
  std::string columns;
  for (std::size_t k = 0; k < spec.keys.size(); ++k) {
    columns += ", " + KeyColumn(static_cast<int>(k)) + suffix;
  }
  return columns;
}

std::string SeekSql(Seek seek, int key) {
  std::string k = KeyColumn(key);
  std::string where;
  bool descending = false;
  switch (seek) {
    case Seek::kFirst: break;
    case Seek::kLast: descending = true; break;
    case Seek::kEqual: where = k + " = ?1"; break;
    case Seek::kGreater: where = k + " > ?1"; break;
    case Seek::kGreaterOrEqual: where = k + " >= ?1"; break;
    case Seek::kLess: where = k + " < ?1"; descending = true; break;
    case Seek::kLessOrEqual: where = k + " <= ?1"; descending = true; break;
    case Seek::kNext: where = k + " >= ?1 AND (" + k + " > ?1 OR position > ?2)"; break;
    case Seek::kPrevious:
      where = k + " <= ?1 AND (" + k + " < ?1 OR position < ?2)";
      descending = true;
      break;
  }
  const char* order = descending ? " DESC" : "";
  return "SELECT position, data FROM records" + (where.empty() ? "" : " WHERE " + where) +
         " ORDER BY " + k + order + ", position" + order + " LIMIT ?3";
}

bool Exec(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Writes a new database at path from spec.
bool WriteNewFile(const std::string& path, const RecordSpec& spec) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) == SQLITE_OK;
  ok = ok && Exec(db, "PRAGMA journal_mode=WAL");
  ok = ok && Exec(db, "BEGIN");
  ok = ok && Exec(db, "CREATE TABLE spec(creation BLOB NOT NULL)");
  ok = ok && Exec(db, "CREATE TABLE records(position INTEGER PRIMARY KEY, data BLOB NOT NULL" +
                          KeyColumns(spec, " BLOB NOT NULL") + ")");
  for (std::size_t k = 0; ok && k < spec.keys.size(); ++k) {
    std::string column = KeyColumn(static_cast<int>(k));
    ok = Exec(db, std::string("CREATE ") + (spec.keys[k].duplicates ? "" : "UNIQUE ") +
                      "INDEX key" + std::to_string(k) + " ON records(" + column + ")");
  }
  sqlite3_stmt* insert = nullptr;
  ok = ok && sqlite3_prepare_v2(db, "INSERT INTO spec VALUES (?1)", -1, &insert, nullptr) == SQLITE_OK;
  ok = ok && sqlite3_bind_blob(insert, 1, spec.creation.data(),
                               static_cast<int>(spec.creation.size()), SQLITE_TRANSIENT) == SQLITE_OK;
  ok = ok && sqlite3_step(insert) == SQLITE_DONE;
  sqlite3_finalize(insert);
  ok = ok && Exec(db, "COMMIT");
  return sqlite3_close(db) == SQLITE_OK && ok;
}

}  // namespace

RecordStore::~RecordStore() {
  for (auto& [id, statement] : statements_) sqlite3_finalize(statement);
  sqlite3_close(db_);
}

int RecordStore::Create(const std::string& path, const RecordSpec& spec, bool replace) {
  struct stat st;
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !replace) return kStatusFileExists;
  std::string temporary = path + ".new-" + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (!WriteNewFile(temporary, spec)) {
    ::unlink(temporary.c_str());
    return kStatusIoError;
  }
  int status = 0;
  if (replace) {
    // A journal left by the old file must not be applied to the new one.
    ::unlink((path + "-wal").c_str());
    ::unlink((path + "-shm").c_str());
    if (::rename(temporary.c_str(), path.c_str()) != 0) status = kStatusIoError;
  } else if (::link(temporary.c_str(), path.c_str()) != 0) {
    status = errno == EEXIST ? kStatusFileExists : kStatusIoError;
  }
  ::unlink(temporary.c_str());
  return status;
}

int RecordStore::Open(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? kStatusFileNotFound : kStatusIoError;
  if (!S_ISREG(st.st_mode)) return kStatusIoError;
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      return kStatusIoError;
    }
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  // In WAL mode this keeps the file sound on a crash; only the last commits
  // may be lost on a power failure.
  Exec(db_, "PRAGMA synchronous=NORMAL");
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT creation FROM spec", -1, &statement, nullptr) != SQLITE_OK ||
      sqlite3_step(statement) != SQLITE_ROW) {
    sqlite3_finalize(statement);
    return kStatusIoError;
  }
  std::string creation(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                       sqlite3_column_bytes(statement, 0));
  sqlite3_finalize(statement);
  if (ParseRecordSpec(creation, spec_) != 0) return kStatusIoError;
  // The records table must have the columns the creation specification implies.
  std::string probe = "SELECT position, data" + KeyColumns(spec_, "") + " FROM records LIMIT 0";
  if (sqlite3_prepare_v2(db_, probe.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    return kStatusIoError;
  }
  sqlite3_finalize(statement);
  return 0;
}

sqlite3_stmt* RecordStore::Prepare(int id, const std::string& sql) {
  auto found = statements_.find(id);
  if (found != statements_.end()) return found->second;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(statement);
    return nullptr;
  }
  statements_[id] = statement;
  return statement;
}

int RecordStore::Finish(sqlite3_stmt* statement, int result) {
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  return StatusOf(result);
}

int RecordStore::Find(Seek seek, int key, const std::string& collated, std::int64_t position,
                      int limit, std::vector<StoredRecord>& rows) {
  rows.clear();
  sqlite3_stmt* statement = Prepare(static_cast<int>(seek) * 64 + key, SeekSql(seek, key));
  if (statement == nullptr) return kStatusIoError;
  if (seek != Seek::kFirst && seek != Seek::kLast) {
    sqlite3_bind_blob(statement, 1, collated.data(), static_cast<int>(collated.size()),
                      SQLITE_STATIC);
  }
  if (seek == Seek::kNext || seek == Seek::kPrevious) sqlite3_bind_int64(statement, 2, position);
  sqlite3_bind_int(statement, 3, limit);
  int result;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    StoredRecord& row = rows.emplace_back();
    row.position = sqlite3_column_int64(statement, 0);
    row.data.assign(static_cast<const char*>(sqlite3_column_blob(statement, 1)),
                    sqlite3_column_bytes(statement, 1));
  }
  return Finish(statement, result);
}

int RecordStore::Read(std::int64_t position, StoredRecord& row, bool& found) {
  found = false;
  sqlite3_stmt* statement =
      Prepare(kStatementRead, "SELECT position, data FROM records WHERE position = ?1");
  if (statement == nullptr) return kStatusIoError;
  sqlite3_bind_int64(statement, 1, position);
  int result = sqlite3_step(statement);
  if (result == SQLITE_ROW) {
    found = true;
    row.position = position;
    row.data.assign(static_cast<const char*>(sqlite3_column_blob(statement, 1)),
                    sqlite3_column_bytes(statement, 1));
  }
  return Finish(statement, result);
}

int RecordStore::BindKeys(sqlite3_stmt* statement, const std::string& record, int first) {
  for (std::size_t k = 0; k < spec_.keys.size(); ++k) {
    const KeySpec& key = spec_.keys[k];
    std::string collated = CollateKey(spec_, key, StoredKey(key, record));
    sqlite3_bind_blob(statement, first + static_cast<int>(k), collated.data(),
                      static_cast<int>(collated.size()), SQLITE_TRANSIENT);
  }
  return 0;
}

int RecordStore::Insert(const std::string& record, std::int64_t& position) {
  std::string placeholders;
  for (std::size_t k = 0; k < spec_.keys.size(); ++k) placeholders += ", ?" + std::to_string(k + 2);
  sqlite3_stmt* statement =
      Prepare(kStatementInsert, "INSERT INTO records(data" + KeyColumns(spec_, "") +
                                    ") VALUES (?1" + placeholders + ")");
  if (statement == nullptr) return kStatusIoError;
  sqlite3_bind_blob(statement, 1, record.data(), static_cast<int>(record.size()), SQLITE_STATIC);
  BindKeys(statement, record, 2);
  int result = sqlite3_step(statement);
  position = sqlite3_last_insert_rowid(db_);
  return Finish(statement, result);
}

int RecordStore::Update(std::int64_t position, const std::string& record, bool& found) {
  std::string assignments;
  for (std::size_t k = 0; k < spec_.keys.size(); ++k) {
    assignments += ", " + KeyColumn(static_cast<int>(k)) + " = ?" + std::to_string(k + 3);
  }
  sqlite3_stmt* statement = Prepare(
      kStatementUpdate, "UPDATE records SET data = ?2" + assignments + " WHERE position = ?1");
  if (statement == nullptr) return kStatusIoError;
  sqlite3_bind_int64(statement, 1, position);
  sqlite3_bind_blob(statement, 2, record.data(), static_cast<int>(record.size()), SQLITE_STATIC);
  BindKeys(statement, record, 3);
  int result = sqlite3_step(statement);
  found = result == SQLITE_DONE && sqlite3_changes(db_) > 0;
  return Finish(statement, result);
}

int RecordStore::Delete(std::int64_t position, bool& found) {
  sqlite3_stmt* statement = Prepare(kStatementDelete, "DELETE FROM records WHERE position = ?1");
  if (statement == nullptr) return kStatusIoError;
  sqlite3_bind_int64(statement, 1, position);
  int result = sqlite3_step(statement);
  found = result == SQLITE_DONE && sqlite3_changes(db_) > 0;
  return Finish(statement, result);
}

int RecordStore::Count(std::int64_t& count) {
  sqlite3_stmt* statement = Prepare(kStatementCount, "SELECT count(*) FROM records");
  if (statement == nullptr) return kStatusIoError;
  int result = sqlite3_step(statement);
  count = result == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
  return Finish(statement, result);
}

int RecordStore::Transaction(const char* verb) {
  return StatusOf(sqlite3_exec(db_, verb, nullptr, nullptr, nullptr));
}
