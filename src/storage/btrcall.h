// BTRCALL: the record manager's single entry point.  Every record file
// operation of the program and its tools is one call: an operation code, the
// file's 128-byte position block, a data buffer with its length (in and
// out), a key buffer with the meaningful length of the key, and a key
// number; the result is a 16-bit status, 0 for success.
//
// The record manager keeps its state for an open file in the position block
// between calls; a block of NUL bytes belongs to no file.  Locks taken by the
// lock bias (operation + 200) and file locks are seen by every process that
// uses the same file.
#ifndef STORAGE_BTRCALL_H_
#define STORAGE_BTRCALL_H_

#include <cstdint>

constexpr int kPositionBlockLength = 128;
constexpr int kDataBufferLength = 1536;
constexpr int kKeyBufferLength = 256;
constexpr int kMaxKeyLength = 255;

// Operation codes.
constexpr int kOpOpen = 0;
constexpr int kOpClose = 1;
constexpr int kOpInsert = 2;
constexpr int kOpUpdate = 3;
constexpr int kOpDelete = 4;
constexpr int kOpGetEqual = 5;
constexpr int kOpGetNext = 6;
constexpr int kOpGetPrevious = 7;
constexpr int kOpGetGreater = 8;
constexpr int kOpGetGreaterOrEqual = 9;
constexpr int kOpGetLess = 10;
constexpr int kOpGetLessOrEqual = 11;
constexpr int kOpGetFirst = 12;
constexpr int kOpGetLast = 13;
constexpr int kOpCreate = 14;
constexpr int kOpStat = 15;
constexpr int kOpBeginTransaction = 19;
constexpr int kOpEndTransaction = 20;
constexpr int kOpAbortTransaction = 21;
constexpr int kOpGetPosition = 22;
constexpr int kOpGetDirect = 23;
constexpr int kOpUnlock = 27;
constexpr int kOpReset = 28;
// Added to a Get operation: lock the record read, without waiting.
constexpr int kLockBias = 200;

// Open modes (the key number of Open).  An exclusive open holds the file lock
// until the file is closed.
constexpr int kOpenNormal = 0;
constexpr int kOpenExclusive = -4;
// Key number of Create that refuses to replace an existing file.
constexpr int kCreateNoReplace = -1;

// Statuses.
constexpr int kStatusInvalidOperation = 1;
constexpr int kStatusIoError = 2;
constexpr int kStatusNotOpen = 3;
constexpr int kStatusKeyNotFound = 4;
constexpr int kStatusDuplicateKey = 5;
constexpr int kStatusInvalidKeyNumber = 6;
constexpr int kStatusInvalidPositioning = 8;
constexpr int kStatusEndOfFile = 9;
constexpr int kStatusInvalidFileName = 11;
constexpr int kStatusFileNotFound = 12;
constexpr int kStatusDataBufferTooShort = 22;
constexpr int kStatusInvalidNumberOfKeys = 26;
constexpr int kStatusInvalidKeyPosition = 27;
constexpr int kStatusInvalidRecordLength = 28;
constexpr int kStatusInvalidKeyLength = 29;
constexpr int kStatusInvalidRecordAddress = 43;
constexpr int kStatusInvalidCollatingSequence = 48;
constexpr int kStatusFileExists = 59;
constexpr int kStatusRecordLocked = 84;
constexpr int kStatusFileLocked = 85;

// Layout of the creation specification, which is also what Stat returns:
// 16-bit values little-endian; record length at 0, number of keys at 4,
// number of records (Stat only, 32 bits) at 6; from 16 one 16-byte segment
// specification per key segment, keys in key-number order: position in the
// record from 1 at +0, length at +2, flags at +4.  When a segment uses the
// alternate collating sequence, it follows the last segment: a signature
// byte (0xAC), 8 name bytes and the 256-byte translation table.
constexpr int kSpecHeaderLength = 16;
constexpr int kSegmentSpecLength = 16;
constexpr int kCollatingSequenceLength = 1 + 8 + 256;
constexpr unsigned char kCollatingSignature = 0xAC;
constexpr int kSegmentDuplicates = 0x0001;  // the key allows duplicates
constexpr int kSegmentBinary = 0x0004;      // unsigned little-endian integer
constexpr int kSegmentContinues = 0x0010;   // another segment of the key follows
constexpr int kSegmentAlternate = 0x0020;   // ordered through the translation table

// One record manager call.  positionBlock has kPositionBlockLength bytes;
// dataBuffer holds at least dataLength bytes, and dataLength comes back as the
// number of bytes returned; keyBuffer has kKeyBufferLength bytes, of which
// keyLength are meaningful on the way in (a file name for Open and Create is
// NUL-terminated); a Get returns the record's key, as the record holds it,
// at the start of keyBuffer.
std::int16_t BTRCALL(std::int16_t operation, char* positionBlock, char* dataBuffer,
                     std::uint32_t& dataLength, char* keyBuffer, std::uint8_t keyLength,
                     std::int8_t keyNumber);

#endif  // STORAGE_BTRCALL_H_
