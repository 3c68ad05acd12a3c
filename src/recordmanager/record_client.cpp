#include "recordmanager/record_client.h"

#include <algorithm>
#include <cstring>

namespace {
// A key buffer holding a file name, NUL-terminated.
int NameCall(int operation, char* positionBlock, const std::string& path, char* data,
             std::uint32_t& dataLength, int keyNumber) {
  if (path.size() >= kKeyBufferLength) return kStatusInvalidFileName;
  char key[kKeyBufferLength] = {};
  std::memcpy(key, path.data(), path.size());
  return BTRCALL(static_cast<std::int16_t>(operation), positionBlock, data, dataLength, key,
                 static_cast<std::uint8_t>(path.size()), static_cast<std::int8_t>(keyNumber));
}
}  // namespace

int RecordClient::Create(const std::string& path, const std::string& creation, bool replace) {
  char block[kPositionBlockLength] = {};
  std::string data = creation.substr(0, kDataBufferLength);
  std::uint32_t length = static_cast<std::uint32_t>(data.size());
  return NameCall(kOpCreate, block, path, data.data(), length, replace ? 0 : kCreateNoReplace);
}

int RecordClient::Open(const std::string& path, int mode) {
  Close();
  std::uint32_t length = 0;
  return NameCall(kOpOpen, positionBlock_, path, data_, length, mode);
}

int RecordClient::Close() {
  std::string key;
  std::uint32_t length = 0;
  return Call(kOpClose, {}, key, 0, length);
}

int RecordClient::Call(int operation, const std::string& data, std::string& keyValue,
                       int keyNumber, std::uint32_t& dataLength) {
  std::memset(data_, 0, sizeof data_);
  std::memcpy(data_, data.data(), std::min<std::size_t>(data.size(), sizeof data_));
  char key[kKeyBufferLength] = {};
  std::size_t keyLength = std::min<std::size_t>(keyValue.size(), kMaxKeyLength);
  std::memcpy(key, keyValue.data(), keyLength);
  int status = BTRCALL(static_cast<std::int16_t>(operation), positionBlock_, data_, dataLength,
                       key, static_cast<std::uint8_t>(keyLength),
                       static_cast<std::int8_t>(keyNumber));
  keyValue.assign(key, kMaxKeyLength);
  return status;
}

int RecordClient::Insert(const std::string& record, int key) {
  std::string keyValue;
  auto length = static_cast<std::uint32_t>(record.size());
  return Call(kOpInsert, record, keyValue, key, length);
}

int RecordClient::Update(const std::string& record) {
  std::string keyValue;
  auto length = static_cast<std::uint32_t>(record.size());
  return Call(kOpUpdate, record, keyValue, 0, length);
}

int RecordClient::Delete() {
  std::string keyValue;
  std::uint32_t length = 0;
  return Call(kOpDelete, {}, keyValue, 0, length);
}

int RecordClient::Get(int operation, int key, std::string& record, std::string& keyValue,
                      std::uint32_t dataLength) {
  int status = Call(operation, record, keyValue, key, dataLength);
  record.assign(data_, std::min<std::size_t>(dataLength, sizeof data_));
  return status;
}

int RecordClient::Get(int operation, int key, std::string& record) {
  std::string keyValue;
  return Get(operation, key, record, keyValue);
}

int RecordClient::GetDirect(std::uint32_t position, int key, std::string& record, bool lock) {
  record.assign(4, '\0');
  for (int i = 0; i < 4; ++i) record[i] = static_cast<char>((position >> (8 * i)) & 0xFF);
  return Get(kOpGetDirect + (lock ? kLockBias : 0), key, record);
}

int RecordClient::GetPosition(std::uint32_t& position) {
  std::string record;
  int status = Get(kOpGetPosition, 0, record);
  position = 0;
  for (int i = static_cast<int>(std::min<std::size_t>(record.size(), 4)) - 1; i >= 0; --i) {
    position = (position << 8) | static_cast<unsigned char>(record[i]);
  }
  return status;
}

int RecordClient::Stat(std::string& statistics) {
  statistics.clear();
  return Get(kOpStat, 0, statistics);
}

int RecordClient::Unlock() { return Transaction(kOpUnlock); }

int RecordClient::Transaction(int operation) {
  std::string keyValue;
  std::uint32_t length = 0;
  return Call(operation, {}, keyValue, 0, length);
}
