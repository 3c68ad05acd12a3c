#include "recordmanager/record_locks.h"

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr std::int64_t kFileLockByte = 0;
constexpr std::int64_t kRecordLockBase = 1;
}  // namespace

void RecordLocks::Open(const std::string& recordFilePath) {
  Close();
  std::string path = recordFilePath + "-lock";
  // Close-on-exec: a program started from here must not keep our locks alive.
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  readOnly_ = fd_ < 0;
  // On read-only media nobody can take a lock; others' locks are still seen.
  if (readOnly_) fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

void RecordLocks::Close() {
  if (fd_ >= 0) ::close(fd_);  // gives up every lock of this open
  fd_ = -1;
  lockedPosition_ = 0;
}

bool RecordLocks::Conflicts(short type, std::int64_t start, std::int64_t length) const {
  if (fd_ < 0) return false;
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  if (::fcntl(fd_, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

bool RecordLocks::Set(short type, std::int64_t start, std::int64_t length) {
  if (readOnly_) return true;
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  return ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
}

bool RecordLocks::FileLockedByOther() const { return Conflicts(F_RDLCK, kFileLockByte, 1); }

bool RecordLocks::RecordLockedByOther(std::int64_t position) const {
  return FileLockedByOther() || Conflicts(F_RDLCK, kRecordLockBase + position, 1);
}

bool RecordLocks::LockFile() {
  // Record locks of others stand in the way of a file lock, as the file lock
  // stands in the way of theirs.
  if (Conflicts(F_WRLCK, kRecordLockBase, 0)) return false;
  return Set(F_WRLCK, kFileLockByte, 1);
}

bool RecordLocks::LockRecord(std::int64_t position) {
  if (position == lockedPosition_) return true;
  UnlockRecord();
  if (FileLockedByOther() || !Set(F_WRLCK, kRecordLockBase + position, 1)) return false;
  lockedPosition_ = position;
  return true;
}

void RecordLocks::UnlockRecord() {
  if (lockedPosition_ != 0) Set(F_UNLCK, kRecordLockBase + lockedPosition_, 1);
  lockedPosition_ = 0;
}
