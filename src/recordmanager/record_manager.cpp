// The record manager: answers BTRCALL for the files this process opened.
// Each open file has a handle, named in its position block, with the file's
// store, its locks and the current position (key, record position and the
// record itself, so that Next and Previous go on from it even after it was
// deleted).
//
// Get Next and Get Previous read ahead a few records in one query and serve
// the following calls from them; the records read ahead are dropped at any
// other operation, at a write to the file from this process, and after a
// short while, so that what other processes write is seen promptly.
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "recordmanager/record_locks.h"
#include "recordmanager/record_store.h"
#include "storage/btrcall.h"

namespace {

constexpr char kBlockMagic[4] = {'R', 'M', 'P', 'B'};
constexpr int kReadAheadRows = 64;
constexpr auto kReadAheadLifetime = std::chrono::milliseconds(50);
constexpr int kLockAttempts = 8;

using SteadyClock = std::chrono::steady_clock;

struct CurrentRecord {
  bool valid = false;   // there is a current position
  bool exists = false;  // the record there has not been deleted
  int key = 0;
  StoredRecord record;
};

struct ReadAhead {
  std::vector<StoredRecord> rows;
  std::size_t next = 0;
  int key = -1;
  bool forward = true;
  std::uint64_t writes = 0;
  SteadyClock::time_point fetched;
};

struct OpenFile {
  RecordStore store;
  RecordLocks locks;
  CurrentRecord current;
  ReadAhead ahead;
  std::shared_ptr<std::uint64_t> writes;  // writes to the file from this process
};

// One call's arguments.
struct Call {
  int operation;
  char* positionBlock;
  char* data;
  std::uint32_t& dataLength;
  char* key;
  int keyLength;
  int keyNumber;
};

std::map<std::uint32_t, std::unique_ptr<OpenFile>>& Files() {
  static std::map<std::uint32_t, std::unique_ptr<OpenFile>> files;
  return files;
}

// The write counter shared by every handle of one file (device and inode).
std::shared_ptr<std::uint64_t> WriteCounter(const std::string& path) {
  static std::map<std::pair<dev_t, ino_t>, std::weak_ptr<std::uint64_t>> counters;
  struct stat st {};
  ::stat(path.c_str(), &st);
  std::weak_ptr<std::uint64_t>& slot = counters[{st.st_dev, st.st_ino}];
  std::shared_ptr<std::uint64_t> counter = slot.lock();
  if (!counter) {
    counter = std::make_shared<std::uint64_t>(0);
    slot = counter;
  }
  return counter;
}

std::uint32_t HandleOf(const char* positionBlock) {
  if (std::memcmp(positionBlock, kBlockMagic, sizeof kBlockMagic) != 0) return 0;
  std::uint32_t handle;
  std::memcpy(&handle, positionBlock + 4, sizeof handle);
  return handle;
}

OpenFile* FileOf(const char* positionBlock) {
  auto found = Files().find(HandleOf(positionBlock));
  return found == Files().end() ? nullptr : found->second.get();
}

std::string FileName(const Call& call) {
  return std::string(call.key, strnlen(call.key, kKeyBufferLength));
}

std::uint32_t ReadLe32(const char* bytes) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

bool ValidKey(const OpenFile& file, int key) {
  return key >= 0 && key < static_cast<int>(file.store.spec().keys.size());
}

std::string CollatedKeyOf(const OpenFile& file, int key, const std::string& record) {
  const RecordSpec& spec = file.store.spec();
  return CollateKey(spec, spec.keys[key], StoredKey(spec.keys[key], record));
}

// Copies the record into the data buffer and its key into the key buffer.
int ReturnRecord(const OpenFile& file, Call& call, std::uint32_t offered, int key,
                 const std::string& record) {
  std::uint32_t length = std::min<std::uint32_t>(offered, record.size());
  std::memcpy(call.data, record.data(), length);
  call.dataLength = length;
  std::string stored = StoredKey(file.store.spec().keys[key], record);
  std::memcpy(call.key, stored.data(), stored.size());
  if (stored.size() < kKeyBufferLength) call.key[stored.size()] = '\0';
  return length < record.size() ? kStatusDataBufferTooShort : 0;
}

void SetCurrent(OpenFile& file, int key, StoredRecord record, bool fromReadAhead) {
  if (!fromReadAhead) file.ahead.rows.clear();
  file.current.valid = true;
  file.current.exists = true;
  file.current.key = key;
  file.current.record = std::move(record);
}

bool TakeReadAhead(OpenFile& file, int key, bool forward, StoredRecord& row) {
  ReadAhead& ahead = file.ahead;
  if (ahead.next >= ahead.rows.size() || ahead.key != key || ahead.forward != forward ||
      ahead.writes != *file.writes || SteadyClock::now() - ahead.fetched > kReadAheadLifetime) {
    return false;
  }
  row = std::move(ahead.rows[ahead.next++]);
  return true;
}

// Next or Previous from the current record; found false at the end.
int Step(OpenFile& file, int key, bool forward, bool readAhead, StoredRecord& row, bool& found) {
  found = readAhead && TakeReadAhead(file, key, forward, row);
  if (found) return 0;
  const StoredRecord& current = file.current.record;
  ReadAhead& ahead = file.ahead;
  int status = file.store.Find(forward ? Seek::kNext : Seek::kPrevious, key,
                               CollatedKeyOf(file, key, current.data), current.position,
                               readAhead ? kReadAheadRows : 1, ahead.rows);
  ahead.next = 0;
  ahead.key = key;
  ahead.forward = forward;
  ahead.writes = *file.writes;
  ahead.fetched = SteadyClock::now();
  if (status != 0) return status;
  found = TakeReadAhead(file, key, forward, row);
  return 0;
}

// Finds the record a Get operation names; a status when there is none.
int Locate(OpenFile& file, const Call& call, std::uint32_t offered, bool locking,
           StoredRecord& row, bool& fromReadAhead) {
  fromReadAhead = false;
  const RecordSpec& spec = file.store.spec();
  int key = call.keyNumber;
  std::vector<StoredRecord> rows;
  auto seek = [&](Seek how, int notFound) {
    std::string collated;
    if (how != Seek::kFirst && how != Seek::kLast) {
      collated = CollateKey(spec, spec.keys[key], std::string_view(call.key, spec.keys[key].length));
    }
    int status = file.store.Find(how, key, collated, 0, 1, rows);
    if (status != 0) return status;
    if (rows.empty()) return notFound;
    row = std::move(rows.front());
    return 0;
  };
  switch (call.operation) {
    case kOpGetEqual: return seek(Seek::kEqual, kStatusKeyNotFound);
    case kOpGetGreater: return seek(Seek::kGreater, kStatusEndOfFile);
    case kOpGetGreaterOrEqual: return seek(Seek::kGreaterOrEqual, kStatusEndOfFile);
    case kOpGetLess: return seek(Seek::kLess, kStatusEndOfFile);
    case kOpGetLessOrEqual: return seek(Seek::kLessOrEqual, kStatusEndOfFile);
    case kOpGetFirst: return seek(Seek::kFirst, kStatusEndOfFile);
    case kOpGetLast: return seek(Seek::kLast, kStatusEndOfFile);
    case kOpGetNext:
    case kOpGetPrevious: {
      if (!file.current.valid) return kStatusInvalidPositioning;
      bool found = false;
      int status = Step(file, key, call.operation == kOpGetNext, !locking, row, found);
      fromReadAhead = found;
      return status != 0 ? status : found ? 0 : kStatusEndOfFile;
    }
    case kOpGetDirect: {
      if (offered < 4) return kStatusDataBufferTooShort;
      std::int64_t position = static_cast<std::int32_t>(ReadLe32(call.data));
      bool found = false;
      int status = position > 0 ? file.store.Read(position, row, found) : 0;
      return status != 0 ? status : found ? 0 : kStatusInvalidRecordAddress;
    }
  }
  return kStatusInvalidOperation;
}

// Locate, then take the record's lock and read it again under the lock.
int LocateAndLock(OpenFile& file, const Call& call, std::uint32_t offered, StoredRecord& row) {
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (file.locks.FileLockedByOther()) return kStatusFileLocked;
    bool fromReadAhead = false;
    if (int status = Locate(file, call, offered, true, row, fromReadAhead)) return status;
    if (!file.locks.LockRecord(row.position)) {
      return file.locks.FileLockedByOther() ? kStatusFileLocked : kStatusRecordLocked;
    }
    bool found = false;
    if (int status = file.store.Read(row.position, row, found)) return status;
    if (found) return 0;
    file.locks.UnlockRecord();  // deleted meanwhile: look again
  }
  return kStatusRecordLocked;
}

int Get(OpenFile& file, Call& call, bool locking) {
  std::uint32_t offered = call.dataLength;
  call.dataLength = 0;
  if (!ValidKey(file, call.keyNumber)) return kStatusInvalidKeyNumber;
  // A single record lock is given up when its holder moves on.
  file.locks.UnlockRecord();
  StoredRecord row;
  bool fromReadAhead = false;
  int status = locking ? LocateAndLock(file, call, offered, row)
                       : Locate(file, call, offered, false, row, fromReadAhead);
  if (status != 0) return status;
  status = ReturnRecord(file, call, offered, call.keyNumber, row.data);
  SetCurrent(file, call.keyNumber, std::move(row), fromReadAhead);
  return status;
}

int GetPosition(OpenFile& file, Call& call) {
  std::uint32_t offered = call.dataLength;
  call.dataLength = 0;
  if (!file.current.valid || !file.current.exists) return kStatusInvalidPositioning;
  if (offered < 4) return kStatusDataBufferTooShort;
  auto position = static_cast<std::uint32_t>(file.current.record.position);
  for (int i = 0; i < 4; ++i) call.data[i] = static_cast<char>((position >> (8 * i)) & 0xFF);
  call.dataLength = 4;
  return 0;
}

int Stat(OpenFile& file, Call& call) {
  std::uint32_t offered = call.dataLength;
  call.dataLength = 0;
  std::int64_t count = 0;
  if (int status = file.store.Count(count)) return status;
  std::string statistics = file.store.spec().creation;
  WriteLe32(statistics, 6, static_cast<std::uint32_t>(count));
  std::uint32_t length = std::min<std::uint32_t>(offered, statistics.size());
  std::memcpy(call.data, statistics.data(), length);
  call.dataLength = length;
  return length < statistics.size() ? kStatusDataBufferTooShort : 0;
}

// Insert, Update and Delete.
int Write(OpenFile& file, Call& call) {
  const RecordSpec& spec = file.store.spec();
  if (call.operation != kOpDelete && call.dataLength < static_cast<std::uint32_t>(spec.recordLength)) {
    return kStatusDataBufferTooShort;
  }
  std::string record(call.data, call.operation == kOpDelete ? 0 : spec.recordLength);
  CurrentRecord& current = file.current;
  if (call.operation == kOpInsert) {
    if (!ValidKey(file, call.keyNumber)) return kStatusInvalidKeyNumber;
    if (file.locks.FileLockedByOther()) return kStatusFileLocked;
    std::int64_t position = 0;
    if (int status = file.store.Insert(record, position)) return status;
    ++*file.writes;
    SetCurrent(file, call.keyNumber, StoredRecord{position, record}, false);
    ReturnRecord(file, call, call.dataLength, call.keyNumber, record);
    return 0;
  }
  if (!current.valid || !current.exists) return kStatusInvalidPositioning;
  if (file.locks.FileLockedByOther()) return kStatusFileLocked;
  if (file.locks.RecordLockedByOther(current.record.position)) return kStatusRecordLocked;
  bool found = false;
  int status = call.operation == kOpUpdate ? file.store.Update(current.record.position, record, found)
                                           : file.store.Delete(current.record.position, found);
  if (status != 0) return status;
  ++*file.writes;
  file.ahead.rows.clear();
  if (!found || call.operation == kOpDelete) {
    current.exists = false;
    file.locks.UnlockRecord();
    return found ? 0 : kStatusInvalidPositioning;
  }
  current.record.data = record;
  return ReturnRecord(file, call, call.dataLength, current.key, record);
}

int Open(Call& call) {
  std::string name = FileName(call);
  if (name.empty()) return kStatusInvalidFileName;
  if (FileOf(call.positionBlock) != nullptr) return kStatusInvalidOperation;
  auto file = std::make_unique<OpenFile>();
  if (int status = file->store.Open(name)) return status;
  file->locks.Open(name);
  if (file->locks.FileLockedByOther()) return kStatusFileLocked;
  if (call.keyNumber == kOpenExclusive && !file->locks.LockFile()) return kStatusFileLocked;
  file->writes = WriteCounter(name);
  static std::uint32_t lastHandle = 0;
  std::uint32_t handle = ++lastHandle;
  Files()[handle] = std::move(file);
  std::memset(call.positionBlock, 0, kPositionBlockLength);
  std::memcpy(call.positionBlock, kBlockMagic, sizeof kBlockMagic);
  std::memcpy(call.positionBlock + 4, &handle, sizeof handle);
  return 0;
}

int Create(Call& call) {
  std::string name = FileName(call);
  if (name.empty()) return kStatusInvalidFileName;
  RecordSpec spec;
  std::uint32_t length = std::min<std::uint32_t>(call.dataLength, kDataBufferLength);
  if (int status = ParseRecordSpec(std::string_view(call.data, length), spec)) return status;
  return RecordStore::Create(name, spec, call.keyNumber != kCreateNoReplace);
}

bool IsGet(int operation) {
  return (operation >= kOpGetEqual && operation <= kOpGetLast) || operation == kOpGetDirect;
}

}  // namespace

std::int16_t BTRCALL(std::int16_t operation, char* positionBlock, char* dataBuffer,
                     std::uint32_t& dataLength, char* keyBuffer, std::uint8_t keyLength,
                     std::int8_t keyNumber) {
  Call call{operation, positionBlock, dataBuffer, dataLength, keyBuffer, keyLength, keyNumber};
  bool locking = false;
  if (call.operation >= kLockBias && IsGet(call.operation - kLockBias)) {
    call.operation -= kLockBias;
    locking = true;
  }
  switch (call.operation) {
    case kOpOpen: return static_cast<std::int16_t>(Open(call));
    case kOpCreate: return static_cast<std::int16_t>(Create(call));
    case kOpReset: Files().clear(); return 0;
  }
  OpenFile* file = FileOf(positionBlock);
  if (file == nullptr) return kStatusNotOpen;
  int status = kStatusInvalidOperation;
  switch (call.operation) {
    case kOpClose:
      Files().erase(HandleOf(positionBlock));
      std::memset(positionBlock, 0, kPositionBlockLength);
      status = 0;
      break;
    case kOpInsert:
    case kOpUpdate:
    case kOpDelete: status = Write(*file, call); break;
    case kOpStat: status = Stat(*file, call); break;
    case kOpGetPosition: status = GetPosition(*file, call); break;
    case kOpUnlock: file->locks.UnlockRecord(); status = 0; break;
    case kOpBeginTransaction: status = file->store.Transaction("BEGIN IMMEDIATE"); break;
    case kOpEndTransaction: status = file->store.Transaction("COMMIT"); break;
    case kOpAbortTransaction:
      status = file->store.Transaction("ROLLBACK");
      ++*file->writes;
      break;
    default:
      if (IsGet(call.operation)) status = Get(*file, call, locking);
  }
  return static_cast<std::int16_t>(status);
}
