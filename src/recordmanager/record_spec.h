// A record file's creation specification: record length, keys and their
// segments, the alternate collating sequence; and the collation form of key
// values, in which keys are stored and compared byte by byte.
#ifndef RECORDMANAGER_RECORD_SPEC_H_
#define RECORDMANAGER_RECORD_SPEC_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct KeySegment {
  int position = 1;  // in the record, from 1
  int length = 0;
  int flags = 0;
};

struct KeySpec {
  std::vector<KeySegment> segments;
  int length = 0;  // sum of the segment lengths
  bool duplicates = false;
};

struct RecordSpec {
  int recordLength = 0;
  std::vector<KeySpec> keys;
  std::string collatingTable;  // 256 bytes, or empty when no segment uses it
  std::string creation;        // the creation specification, record count zeroed
};

// Reads and checks a creation specification from the start of bytes (the
// rest is ignored).  Returns 0, or the status that names what is wrong.
int ParseRecordSpec(std::string_view bytes, RecordSpec& spec);

// The key's value as the record holds it: its segments one after another.
std::string StoredKey(const KeySpec& key, std::string_view record);

// The collation form of a stored key value (taken as the key's length, short
// values padded with NUL bytes): binary segments byte-reversed, alternate
// collating segments translated through the table, others as they are.
std::string CollateKey(const RecordSpec& spec, const KeySpec& key, std::string_view storedKey);

// Builds a creation specification; the collating table (256 bytes) and its
// name are written when a segment uses them.
std::string MakeCreationSpec(int recordLength, const std::vector<KeySpec>& keys,
                             const std::string& collatingName = {},
                             const std::string& collatingTable = {});

// Little-endian helpers for the creation specification's fields.
int ReadLe16(std::string_view bytes, std::size_t offset);
void WriteLe32(std::string& bytes, std::size_t offset, std::uint32_t value);

#endif  // RECORDMANAGER_RECORD_SPEC_H_
