// The record layer: every access to a record file.  A table of 40 open
// files known by the 16-bit file number their opener chose; reads by key and
// in key order into the caller's record area; record positions; key
// collation; waiting, with a message, for locks held by other workstations.
// Statuses: 0 success, the record manager's statuses unchanged, and the
// layer's own below.
#ifndef STORAGE_RECORD_LAYER_H_
#define STORAGE_RECORD_LAYER_H_

#include <cstdint>
#include <string>

#include "storage/btrcall.h"

constexpr int kStatusFileNotOpen = 3;
constexpr int kStatusFileAlreadyOpen = 1002;
constexpr int kStatusNoFreeSlot = 1003;
constexpr int kStatusKeyNotDefined = 1004;

// The slot (1 to 40) that holds fileNumber; when none does, the negative of
// the highest-numbered free slot, or 0 when every slot is taken.
int FindSlot(int fileNumber);

// Opens the record file name (".dat" added) as fileNumber, creating a missing
// file from its field dictionary.  recordArea is the caller's record area: its
// size is the caller's area length; it must outlive the file's use.  When the
// file cannot be opened the program shows the message and ends (EndProgram).
// Name: directory, base name and extension (from the first "." of the last
// component; ".dat" when there is none).  A missing file is created from
// ddf\<base>.xdf under the session's root directory.  While another holds
// the file lock, the open is retried every 3 seconds.
int OpenRecordFile(int fileNumber, const std::string& name, std::string& recordArea);

// Resets the record manager; status 0 frees every slot, any other status
// leaves the table as it was.  The lock-mode stack is kept.
int ResetRecordManager();

// Letters, without regard to case: "D" no locks, "A" lock and wait, "B" lock
// without waiting; "+" saves the file's lock mode, "-" restores the latest
// one saved.  Status 3 when the file is not open, else 0.
int SetLockMode(int fileNumber, const std::string& letters);

// Reads the record whose key keyNumber equals (direction 0), is the first
// at or above (direction > 0) or the last at or below (direction < 0) the
// key value, padded with NUL bytes or cut to the key's length.  Status 1004
// when the file does not define the key.
int ReadByKey(int fileNumber, int keyNumber, std::string keyValue, int direction);

// Moves count records forward (count >= 0) or backward in the current key's
// order; only the record reached is copied.  Count 0 does nothing.
int StepRecords(int fileNumber, int count);

// Position 0: the current record's position (0 when there is none or the
// file is not open).  Otherwise reads the record at position and returns the
// status.
std::int32_t DirectAccess(int fileNumber, std::int32_t position);

// The current key value in collation form; empty when the file is not open.
std::string CurrentKeyValue(int fileNumber);

// The key value of the current key converted to bytes that compare in the
// key's order; unchanged when the file is not open.
std::string CollationForm(const std::string& keyValue, int fileNumber);

// The length of key keyNumber and the record length; 0 when the key is not
// defined, the file is not open or its statistics cannot be read.
void KeyInfo(int fileNumber, int keyNumber, int& keyLength, int& recordLength);

// For tests: resets the record manager and empties the table and the
// lock-mode stack.
void ClearRecordLayer();

#endif  // STORAGE_RECORD_LAYER_H_
