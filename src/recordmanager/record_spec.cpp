#include "recordmanager/record_spec.h"

#include <algorithm>

#include "storage/btrcall.h"

namespace {

void WriteLe16(std::string& bytes, std::size_t offset, int value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

constexpr int kMaxKeys = 24;

// Reads the segments of one key from offset on; returns 0 or a status.
int ParseKey(std::string_view bytes, std::size_t& offset, int recordLength, KeySpec& key) {
  for (;;) {
    if (offset + kSegmentSpecLength > bytes.size()) return kStatusInvalidNumberOfKeys;
    KeySegment segment{ReadLe16(bytes, offset), ReadLe16(bytes, offset + 2),
                       ReadLe16(bytes, offset + 4)};
    offset += kSegmentSpecLength;
    if (segment.position < 1 || segment.length < 1 ||
        segment.position + segment.length - 1 > recordLength) {
      return kStatusInvalidKeyPosition;
    }
    key.length += segment.length;
    if (key.length > kMaxKeyLength) return kStatusInvalidKeyLength;
    if (segment.flags & kSegmentDuplicates) key.duplicates = true;
    key.segments.push_back(segment);
    if (!(segment.flags & kSegmentContinues)) return 0;
  }
}

bool UsesCollatingTable(const RecordSpec& spec) {
  for (const KeySpec& key : spec.keys) {
    for (const KeySegment& segment : key.segments) {
      if (!(segment.flags & kSegmentBinary) && (segment.flags & kSegmentAlternate)) return true;
    }
  }
  return false;
}

}  // namespace

int ReadLe16(std::string_view bytes, std::size_t offset) {
  if (offset + 2 > bytes.size()) return 0;
  return static_cast<unsigned char>(bytes[offset]) |
         (static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

void WriteLe32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4 && offset + i < bytes.size(); ++i) {
    bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

std::string MakeCreationSpec(int recordLength, const std::vector<KeySpec>& keys,
                             const std::string& collatingName, const std::string& collatingTable) {
  std::string spec(kSpecHeaderLength, '\0');
  WriteLe16(spec, 0, recordLength);
  WriteLe16(spec, 2, 4096);  // page size, kept for readers that show it
  WriteLe16(spec, 4, static_cast<int>(keys.size()));
  for (const KeySpec& key : keys) {
    for (std::size_t s = 0; s < key.segments.size(); ++s) {
      std::string segment(kSegmentSpecLength, '\0');
      int flags = key.segments[s].flags | (key.duplicates ? kSegmentDuplicates : 0);
      if (s + 1 < key.segments.size()) flags |= kSegmentContinues;
      WriteLe16(segment, 0, key.segments[s].position);
      WriteLe16(segment, 2, key.segments[s].length);
      WriteLe16(segment, 4, flags);
      spec += segment;
    }
  }
  if (!collatingTable.empty()) {
    spec += static_cast<char>(kCollatingSignature);
    std::string name = collatingName.substr(0, 8);
    spec += name + std::string(8 - name.size(), ' ');
    spec += collatingTable.substr(0, 256);
  }
  return spec;
}

int ParseRecordSpec(std::string_view bytes, RecordSpec& spec) {
  spec = RecordSpec{};
  if (bytes.size() < kSpecHeaderLength) return kStatusInvalidRecordLength;
  spec.recordLength = ReadLe16(bytes, 0);
  if (spec.recordLength < 1 || spec.recordLength > kDataBufferLength) {
    return kStatusInvalidRecordLength;
  }
  int keyCount = ReadLe16(bytes, 4);
  if (keyCount < 1 || keyCount > kMaxKeys) return kStatusInvalidNumberOfKeys;
  std::size_t offset = kSpecHeaderLength;
  for (int k = 0; k < keyCount; ++k) {
    KeySpec key;
    if (int status = ParseKey(bytes, offset, spec.recordLength, key)) return status;
    spec.keys.push_back(std::move(key));
  }
  if (UsesCollatingTable(spec)) {
    if (offset + kCollatingSequenceLength > bytes.size() ||
        static_cast<unsigned char>(bytes[offset]) != kCollatingSignature) {
      return kStatusInvalidCollatingSequence;
    }
    spec.collatingTable = std::string(bytes.substr(offset + 9, 256));
    offset += kCollatingSequenceLength;
  }
  spec.creation = std::string(bytes.substr(0, offset));
  WriteLe32(spec.creation, 6, 0);
  return 0;
}

std::string StoredKey(const KeySpec& key, std::string_view record) {
  std::string value;
  value.reserve(key.length);
  for (const KeySegment& segment : key.segments) {
    std::string_view part = record.substr(std::min<std::size_t>(segment.position - 1, record.size()));
    part = part.substr(0, segment.length);
    value.append(part);
    value.append(segment.length - part.size(), '\0');
  }
  return value;
}

std::string CollateKey(const RecordSpec& spec, const KeySpec& key, std::string_view storedKey) {
  std::string value(storedKey.substr(0, key.length));
  value.resize(key.length, '\0');
  std::size_t p = 0;
  for (const KeySegment& segment : key.segments) {
    auto begin = value.begin() + static_cast<std::ptrdiff_t>(p);
    auto end = begin + segment.length;
    if (segment.flags & kSegmentBinary) {
      std::reverse(begin, end);
    } else if ((segment.flags & kSegmentAlternate) && !spec.collatingTable.empty()) {
      for (auto it = begin; it != end; ++it) {
        *it = spec.collatingTable[static_cast<unsigned char>(*it)];
      }
    }
    p += segment.length;
  }
  return value;
}
