// A record file seen through BTRCALL by the tools and tests: one open file
// with its position block and full-size buffers.
#ifndef RECORDMANAGER_RECORD_CLIENT_H_
#define RECORDMANAGER_RECORD_CLIENT_H_

#include <cstdint>
#include <string>

#include "storage/btrcall.h"

class RecordClient {
 public:
  RecordClient() = default;
  ~RecordClient() { Close(); }
  RecordClient(const RecordClient&) = delete;
  RecordClient& operator=(const RecordClient&) = delete;

  // Creates path from a creation specification (replacing it unless told not to).
  static int Create(const std::string& path, const std::string& creation, bool replace = true);

  int Open(const std::string& path, int mode = kOpenNormal);
  int Close();
  int Insert(const std::string& record, int key = 0);
  int Update(const std::string& record);
  int Delete();
  // One Get operation (lock bias included) with key; keyValue is sent and
  // comes back as the key returned.  record holds the bytes returned.
  int Get(int operation, int key, std::string& record, std::string& keyValue,
          std::uint32_t dataLength = kDataBufferLength);
  int Get(int operation, int key, std::string& record);
  int GetDirect(std::uint32_t position, int key, std::string& record, bool lock = false);
  int GetPosition(std::uint32_t& position);
  int Stat(std::string& statistics);
  int Unlock();
  // kOpBeginTransaction, kOpEndTransaction or kOpAbortTransaction.
  int Transaction(int operation);

 private:
  int Call(int operation, const std::string& data, std::string& keyValue, int keyNumber,
           std::uint32_t& dataLength);

  char positionBlock_[kPositionBlockLength] = {};
  char data_[kDataBufferLength] = {};
};

#endif  // RECORDMANAGER_RECORD_CLIENT_H_
