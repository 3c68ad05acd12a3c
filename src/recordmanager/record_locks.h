// Record and file locks shared between processes: byte-range locks on a lock
// file beside the record file ("<file>-lock").  Byte 0 is the file lock; byte
// 1 + position is the lock of the record at that position.  The locks belong
// to one open of the lock file, so two opens, in one process or in two, see
// each other's locks, and every lock goes when its holder closes or dies.
#ifndef RECORDMANAGER_RECORD_LOCKS_H_
#define RECORDMANAGER_RECORD_LOCKS_H_

#include <cstdint>
#include <string>

class RecordLocks {
 public:
  RecordLocks() = default;
  ~RecordLocks() { Close(); }
  RecordLocks(const RecordLocks&) = delete;
  RecordLocks& operator=(const RecordLocks&) = delete;

  // Opens (creating when missing) the lock file of the record file.  Where
  // it cannot be written, locks are granted without being taken.
  void Open(const std::string& recordFilePath);
  void Close();

  // Whether someone else holds the file lock.
  bool FileLockedByOther() const;
  // Whether someone else holds the lock of the record at position.
  bool RecordLockedByOther(std::int64_t position) const;

  // Takes the file lock; false when another holds it or any record lock.
  bool LockFile();
  // Takes the single record lock at position, giving up the one held before;
  // false (and nothing held) when another holds it.
  bool LockRecord(std::int64_t position);
  void UnlockRecord();

  std::int64_t lockedPosition() const { return lockedPosition_; }

 private:
  bool Conflicts(short type, std::int64_t start, std::int64_t length) const;
  bool Set(short type, std::int64_t start, std::int64_t length);

  int fd_ = -1;
  bool readOnly_ = false;
  std::int64_t lockedPosition_ = 0;  // 0: no record lock held
};

#endif  // RECORDMANAGER_RECORD_LOCKS_H_
