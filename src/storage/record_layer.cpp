#include "storage/record_layer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/host.h"
#include "platform/paths.h"
#include "screen/message_box.h"
#include "screen/window_stack.h"
#include "startup/program.h"
#include "startup/session.h"
#include "storage/btrcall.h"

namespace {

constexpr int kSlotCount = 40;
constexpr int kOpenRetryMs = 3000;
constexpr int kLockPauseSpanMs = 10001;

// The owner name sent with every Open, built at run time from its letters.
constexpr char kOwner1 = 'Z';
constexpr char kOwner2 = 'K';
constexpr char kOwner3 = 'R';
constexpr char kOwner4 = 'L';

struct RecordFile {
  std::int16_t fileNumber = 0;  // 0: the slot is free
  std::array<char, kPositionBlockLength> positionBlock{};
  std::string* recordArea = nullptr;
  std::int32_t recordLength = 0;
  int keyNumber = 0;
  std::string keyValue;
  int lockMode = 0;
};

// The table of open files, slots 1 to 40 (0 unused), and the lock-mode
// stack: 2-byte entries, slot number then saved lock mode.
std::array<RecordFile, kSlotCount + 1> slots;
std::string lockModeStack;

using DataBuffer = std::array<char, kDataBufferLength>;
using KeyBuffer = std::array<char, kKeyBufferLength>;

struct Messages {
  const char* language;
  const char* cannotOpen;
  const char* waiting;
};

// Code page 850: 0xE3 is O grave, 0xD4 E grave.
constexpr Messages kMessages[] = {
    {"SPA", "NO SE PUEDE ACCEDER AL FICHERO ", "FICHERO BLOQUEADO. ESPERE UN MOMENTO."},
    {"GLG", "NOM SE PODE ACEDER AO FICHEIRO ", "FICHEIRO BLOQUEADO. ESPERE UM MOMENTO."},
    {"OCI", "NON SE P\xE3T ACCEDIR ATH FICH\xD4R ", "FICH\xD4R BLOQUEJAT. ESPERATZ UN MOMENT."},
    {"CAT", "NO ES POT ACCEDIR AL FITXER ", "FITXER BLOQUEJAT. ESPEREU UN MOMENT."},
};

const Messages& SessionMessages() {
  for (const Messages& messages : kMessages) {
    if (session.language == messages.language) return messages;
  }
  return kMessages[std::size(kMessages) - 1];
}

int Le16(const std::string& bytes, std::size_t offset) {
  if (offset + 2 > bytes.size()) return 0;
  return static_cast<unsigned char>(bytes[offset]) |
         (static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

int Call(int operation, RecordFile& file, DataBuffer& data, std::uint32_t& dataLength,
         KeyBuffer& key, std::size_t keyLength, int keyNumber) {
  return BTRCALL(static_cast<std::int16_t>(operation), file.positionBlock.data(), data.data(),
                 dataLength, key.data(), static_cast<std::uint8_t>(std::min<std::size_t>(keyLength, kMaxKeyLength)),
                 static_cast<std::int8_t>(keyNumber));
}

// Copies a record read into the caller's area, bounded by the record length,
// the length returned and the area itself.
void CopyToRecordArea(RecordFile& file, const DataBuffer& data, std::uint32_t returned) {
  if (file.recordArea == nullptr) return;
  std::size_t length = std::min<std::size_t>({static_cast<std::size_t>(std::max(file.recordLength, 0)),
                                              returned, file.recordArea->size(), data.size()});
  std::memcpy(file.recordArea->data(), data.data(), length);
}

// The key a call returned, up to its first NUL byte and no longer than the
// current key value, becomes the current key value.
void TakeReturnedKey(RecordFile& file, const KeyBuffer& key) {
  std::size_t length = std::min(strnlen(key.data(), key.size()), file.keyValue.size());
  file.keyValue.assign(key.data(), length);
}

// The file's statistics; false when Stat fails.
bool Statistics(RecordFile& file, std::string& statistics) {
  DataBuffer data;
  data.fill(' ');
  std::uint32_t length = kDataBufferLength;
  KeyBuffer key;
  key.fill(' ');
  if (Call(kOpStat, file, data, length, key, kMaxKeyLength, 0) != 0) return false;
  statistics.assign(data.data(), std::min<std::size_t>(length, data.size()));
  return true;
}

struct Segment {
  int length;
  int flags;
};

// The segments of every key, in key order, from the statistics.
std::vector<std::vector<Segment>> KeySegments(const std::string& statistics) {
  std::vector<std::vector<Segment>> keys(static_cast<std::size_t>(Le16(statistics, 4)));
  std::size_t offset = kSpecHeaderLength;
  for (auto& segments : keys) {
    int flags = kSegmentContinues;
    while ((flags & kSegmentContinues) && offset + kSegmentSpecLength <= statistics.size()) {
      flags = Le16(statistics, offset + 4);
      segments.push_back({Le16(statistics, offset + 2), flags});
      offset += kSegmentSpecLength;
    }
  }
  return keys;
}

void SplitName(const std::string& name, std::string& directory, std::string& base,
               std::string& extension) {
  std::size_t cut = name.find_last_of(":\\/");
  directory = cut == std::string::npos ? "" : name.substr(0, cut + 1);
  std::string last = name.substr(directory.size());
  std::size_t dot = last.find('.');
  base = last.substr(0, dot);
  extension = dot == std::string::npos ? ".dat" : last.substr(dot);
}

// Create from the dictionary <root>ddf\<base>.xdf, handed over unread.
int CreateRecordFile(RecordFile& file, const std::string& base, const KeyBuffer& fileName) {
  std::ifstream in(HostPath(session.rootDir + "ddf\\" + base + ".xdf"), std::ios::binary);
  unsigned char header[2] = {0, 0};
  in.read(reinterpret_cast<char*>(header), 2);
  std::size_t length = in.gcount() == 2 ? header[0] | (header[1] << 8) : 0;
  DataBuffer data;
  data.fill(' ');
  in.read(data.data(), static_cast<std::streamsize>(std::min<std::size_t>(length, data.size())));
  std::uint32_t dataLength = kDataBufferLength;
  KeyBuffer key = fileName;
  return Call(kOpCreate, file, data, dataLength, key, strnlen(key.data(), key.size()),
              kCreateNoReplace);
}

void WaitForOneKey() {
  console().Flush();
  for (;;) {
    InputEvent event;
    while (console().PollEvent(event)) {
      if (event.type == InputEvent::Type::kKey ||
          (event.type == InputEvent::Type::kMouse && event.action == MouseAction::kRelease)) {
        return;
      }
    }
    console().WaitForInput(100);
  }
}

[[noreturn]] void OpenFailed(const std::string& name, int status) {
  std::string text = SessionMessages().cannotOpen + name + " (" + std::to_string(status) + ")";
  MessageBox(12, text);
  console().Beep();
  console().DiscardTypeAhead();
  WaitForOneKey();
  CloseWindow();
  // The end handler closes the ordinary files and resets the record manager.
  EndProgram(0);
}

bool TakesLockRequest(int operation) {
  return (operation >= 5 && operation <= 13) || operation == 19 ||
         (operation >= 22 && operation <= 24) || (operation >= 33 && operation <= 35);
}

int LockingCall(RecordFile& file, int operation) {
  if (TakesLockRequest(operation) && file.lockMode != 0) operation += kLockBias;
  int counter = 0;
  int status;
  for (;;) {
    if (counter == 1) {
      std::string text = SessionMessages().waiting;
      MessageBox(24, text);
      console().Flush();
    }
    DataBuffer data;
    data.fill(' ');
    std::size_t recordLength = std::min<std::size_t>(std::max(file.recordLength, 0), data.size());
    if (file.recordArea != nullptr) {
      std::memcpy(data.data(), file.recordArea->data(), std::min(recordLength, file.recordArea->size()));
    }
    std::uint32_t dataLength = static_cast<std::uint32_t>(recordLength);
    KeyBuffer key;
    char fill = operation == 8 || operation == 9 ? '\0' : operation == 10 || operation == 11 ? '\xFF' : ' ';
    key.fill(fill);
    std::size_t keyLength = std::min<std::size_t>(file.keyValue.size(), kMaxKeyLength);
    std::memcpy(key.data(), file.keyValue.data(), keyLength);
    status = Call(operation, file, data, dataLength, key, keyLength, file.keyNumber);
    CopyToRecordArea(file, data, dataLength);
    file.keyValue.assign(key.data(), keyLength);
    if ((status != kStatusRecordLocked && status != kStatusFileLocked) || file.lockMode != 1) break;
    hostClock().Pause(1 + static_cast<int>(hostClock().Random(kLockPauseSpanMs)));
    counter = std::min(counter + 1, 2);
  }
  if (counter != 0) CloseWindow();
  return status;
}

}  // namespace

int FindSlot(int fileNumber) {
  auto number = static_cast<std::int16_t>(fileNumber);
  int freeSlot = 0;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (slots[slot].fileNumber == number) return slot;
    if (slots[slot].fileNumber == 0) freeSlot = slot;
  }
  return -freeSlot;
}

int OpenRecordFile(int fileNumber, const std::string& name, std::string& recordArea) {
  int slot = FindSlot(fileNumber);
  if (slot > 0) return kStatusFileAlreadyOpen;
  if (slot == 0) return kStatusNoFreeSlot;
  RecordFile& file = slots[-slot];
  file = RecordFile{};
  file.fileNumber = static_cast<std::int16_t>(fileNumber);
  file.recordArea = &recordArea;

  std::string directory, base, extension;
  SplitName(name, directory, base, extension);
  std::string hostName = HostPath(directory + base + extension);
  KeyBuffer fileName{};
  int status = kStatusInvalidFileName;
  if (hostName.size() < fileName.size()) {
    std::memcpy(fileName.data(), hostName.data(), hostName.size());
    bool createdElsewhere = false;
    for (;;) {
      DataBuffer data{};
      std::string owner{kOwner1, kOwner2, kOwner3, kOwner4};
      std::memcpy(data.data(), owner.c_str(), owner.size() + 1);
      std::uint32_t dataLength = static_cast<std::uint32_t>(owner.size() + 1);
      KeyBuffer key = fileName;
      status = Call(kOpOpen, file, data, dataLength, key, hostName.size(), kOpenNormal);
      if (status == kStatusFileLocked) {
        hostClock().Pause(kOpenRetryMs);
        continue;
      }
      if (status != kStatusFileNotFound) break;
      status = CreateRecordFile(file, base, fileName);
      // Another workstation may have created it in the meantime: open again,
      // once.  A name that exists yet cannot be opened (a dangling link)
      // would otherwise make this loop for ever.
      if (status == kStatusFileExists && !createdElsewhere) {
        createdElsewhere = true;
        continue;
      }
      if (status != 0) break;
    }
  }
  if (status != 0) {
    file = RecordFile{};
    OpenFailed(name, status);
  }
  int keyLength = 0;
  int recordLength = 0;
  KeyInfo(fileNumber, 0, keyLength, recordLength);
  file.keyValue.assign(static_cast<std::size_t>(keyLength), '\0');
  file.recordLength = recordLength;
  return 0;
}

int ResetRecordManager() {
  RecordFile none;
  DataBuffer data{};
  std::uint32_t dataLength = 0;
  KeyBuffer key{};
  int status = Call(kOpReset, none, data, dataLength, key, 0, 0);
  if (status == 0) slots.fill(RecordFile{});
  return status;
}

int SetLockMode(int fileNumber, const std::string& letters) {
  int slot = FindSlot(fileNumber);
  if (slot <= 0) return kStatusFileNotOpen;
  RecordFile& file = slots[slot];
  for (char letter : letters) {
    switch (letter) {
      case 'D': case 'd': file.lockMode = 0; break;
      case 'A': case 'a': file.lockMode = 1; break;
      case 'B': case 'b': file.lockMode = 2; break;
      case '+':
        lockModeStack += static_cast<char>(slot);
        lockModeStack += static_cast<char>(file.lockMode);
        break;
      case '-':
        for (std::size_t at = lockModeStack.size(); at >= 2; at -= 2) {
          if (lockModeStack[at - 2] == static_cast<char>(slot)) {
            file.lockMode = lockModeStack[at - 1];
            lockModeStack.erase(at - 2, 2);
            break;
          }
        }
        break;
      default: break;
    }
  }
  return 0;
}

int ReadByKey(int fileNumber, int keyNumber, std::string keyValue, int direction) {
  int slot = FindSlot(fileNumber);
  if (slot <= 0) return kStatusFileNotOpen;
  int keyLength = 0;
  int recordLength = 0;
  KeyInfo(fileNumber, keyNumber, keyLength, recordLength);
  if (keyLength == 0) return kStatusKeyNotDefined;
  RecordFile& file = slots[slot];
  file.keyNumber = keyNumber;
  keyValue.resize(static_cast<std::size_t>(keyLength), '\0');
  file.keyValue = keyValue;
  int operation = direction == 0 ? kOpGetEqual : direction > 0 ? kOpGetGreaterOrEqual : kOpGetLessOrEqual;
  int status = LockingCall(file, operation);
  return status == kStatusDataBufferTooShort ? 0 : status;
}

int StepRecords(int fileNumber, int count) {
  int slot = FindSlot(fileNumber);
  if (slot <= 0) return kStatusFileNotOpen;
  RecordFile& file = slots[slot];
  int operation = count >= 0 ? kOpGetNext : kOpGetPrevious;
  int status = 0;
  long n = std::abs(static_cast<long>(count));
  KeyBuffer key{};
  while (n > 1 && status == 0) {
    // Records skipped over are not copied to the record area.
    DataBuffer data{};
    std::uint32_t dataLength = kDataBufferLength;
    status = Call(operation, file, data, dataLength, key, strnlen(key.data(), key.size()),
                  file.keyNumber);
    if (status == kStatusDataBufferTooShort) status = 0;
    if (status == 0) TakeReturnedKey(file, key);
    --n;
  }
  if (n == 0 || status != 0) return status;
  status = LockingCall(file, operation);
  return status == kStatusDataBufferTooShort ? 0 : status;
}

std::int32_t DirectAccess(int fileNumber, std::int32_t position) {
  int slot = FindSlot(fileNumber);
  if (slot <= 0) return 0;
  RecordFile& file = slots[slot];
  DataBuffer data;
  data.fill(' ');
  auto value = static_cast<std::uint32_t>(position);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  std::uint32_t dataLength = kDataBufferLength;
  KeyBuffer key{};
  if (position == 0) {
    if (Call(kOpGetPosition, file, data, dataLength, key, 0, 0) != 0) return 0;
    std::uint32_t current = 0;
    for (int i = 3; i >= 0; --i) current = (current << 8) | static_cast<unsigned char>(data[i]);
    return static_cast<std::int32_t>(current);
  }
  int status = Call(kOpGetDirect, file, data, dataLength, key, 0, file.keyNumber);
  if (status == 0 || status == kStatusDataBufferTooShort) {
    TakeReturnedKey(file, key);
    CopyToRecordArea(file, data, dataLength);
  }
  return status == kStatusDataBufferTooShort ? 0 : status;
}

std::string CurrentKeyValue(int fileNumber) {
  int slot = FindSlot(fileNumber);
  if (slot <= 0) return {};
  return CollationForm(slots[slot].keyValue, fileNumber);
}

std::string CollationForm(const std::string& keyValue, int fileNumber) {
  int slot = FindSlot(fileNumber);
  std::string statistics;
  if (slot <= 0 || !Statistics(slots[slot], statistics)) return keyValue;
  std::vector<std::vector<Segment>> keys = KeySegments(statistics);
  std::size_t segmentCount = 0;
  for (const auto& segments : keys) segmentCount += segments.size();
  std::size_t table = kSpecHeaderLength + kSegmentSpecLength * segmentCount + 9;
  int current = slots[slot].keyNumber;
  if (current < 0 || current >= static_cast<int>(keys.size())) return keyValue;
  std::string value = keyValue;
  std::size_t p = 0;
  for (const Segment& segment : keys[current]) {
    std::size_t end = p + static_cast<std::size_t>(segment.length);
    if (segment.flags & kSegmentBinary) {
      if (value.size() < end) value.resize(end, '\0');
      std::reverse(value.begin() + static_cast<std::ptrdiff_t>(p), value.begin() + static_cast<std::ptrdiff_t>(end));
    } else if (segment.flags & kSegmentAlternate) {
      for (std::size_t i = p; i < std::min(end, value.size()); ++i) {
        std::size_t entry = table + static_cast<unsigned char>(value[i]);
        if (entry < statistics.size()) value[i] = statistics[entry];
      }
    }
    p = end;
  }
  return value;
}

void KeyInfo(int fileNumber, int keyNumber, int& keyLength, int& recordLength) {
  keyLength = 0;
  recordLength = 0;
  int slot = FindSlot(fileNumber);
  std::string statistics;
  if (slot <= 0 || !Statistics(slots[slot], statistics)) return;
  recordLength = Le16(statistics, 0);
  std::vector<std::vector<Segment>> keys = KeySegments(statistics);
  if (keyNumber < 0 || keyNumber >= static_cast<int>(keys.size())) return;
  for (const Segment& segment : keys[keyNumber]) keyLength += segment.length;
}

void ClearRecordLayer() {
  ResetRecordManager();
  slots.fill(RecordFile{});
  lockModeStack.clear();
}
