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

constexpr int kStatusFileNotOpen = 3;
constexpr int kStatusFileAlreadyOpen = 1002;
constexpr int kStatusNoFreeSlot = 1003;
constexpr int kStatusKeyNotDefined = 1004;

// Opens the record file name (".dat" added) as fileNumber, creating a missing
// file from its field dictionary.  recordArea is the caller's record area: its
// size is the caller's area length; it must outlive the file's use.  When the
// file cannot be opened the program shows the message and ends (EndProgram).
int OpenRecordFile(int fileNumber, const std::string& name, std::string& recordArea);
int ResetRecordManager();
int SetLockMode(int fileNumber, const std::string& letters);
int ReadByKey(int fileNumber, int keyNumber, std::string keyValue, int direction);
int StepRecords(int fileNumber, int count);
std::int32_t DirectAccess(int fileNumber, std::int32_t position);
std::string CurrentKeyValue(int fileNumber);
std::string CollationForm(const std::string& keyValue, int fileNumber);
void KeyInfo(int fileNumber, int keyNumber, int& keyLength, int& recordLength);

#endif  // STORAGE_RECORD_LAYER_H_
