// The record manager through BTRCALL, on temporary files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recordmanager/record_client.h"
#include "recordmanager/record_spec.h"
#include "support/test_host.h"

namespace {

// Records of 8 bytes: a 2-byte binary number, a 4-character name ordered
// without regard to case, a 2-character tag.
//   key 0: the number (binary), unique
//   key 1: the name (alternate collating sequence), duplicates
//   key 2: tag then number, duplicates
std::string UpperTable() {
  std::string table(256, '\0');
  for (int c = 0; c < 256; ++c) table[c] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return table;
}

std::string TestSpec() {
  KeySpec number{{{1, 2, kSegmentBinary}}, 2, false};
  KeySpec name{{{3, 4, kSegmentAlternate}}, 4, true};
  KeySpec tagNumber{{{7, 2, 0}, {1, 2, kSegmentBinary}}, 4, true};
  return MakeCreationSpec(8, {number, name, tagNumber}, "UPPER", UpperTable());
}

std::string Record(int number, const std::string& name, const std::string& tag) {
  std::string record;
  record += static_cast<char>(number & 0xFF);
  record += static_cast<char>((number >> 8) & 0xFF);
  return record + name + tag;
}

class RecordManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.File("test.dat");
    ASSERT_EQ(RecordClient::Create(path, TestSpec()), 0);
    ASSERT_EQ(file.Open(path), 0);
  }
  void Load(const std::vector<std::string>& records) {
    for (const std::string& record : records) ASSERT_EQ(file.Insert(record), 0) << record;
  }
  // The names of every record in the order of key, from Get First on.
  std::string Walk(int key, bool backward = false) {
    std::string names;
    std::string record;
    int status = file.Get(backward ? kOpGetLast : kOpGetFirst, key, record);
    while (status == 0) {
      names += record.substr(2, 4) + " ";
      status = file.Get(backward ? kOpGetPrevious : kOpGetNext, key, record);
    }
    EXPECT_EQ(status, kStatusEndOfFile);
    return names;
  }

  TempDir dir;
  std::string path;
  RecordClient file;
};

TEST_F(RecordManagerTest, StatGivesBackTheCreationSpecificationWithTheRecordCount) {
  Load({Record(1, "aaaa", "x1"), Record(2, "bbbb", "x2")});
  std::string statistics;
  ASSERT_EQ(file.Stat(statistics), 0);
  std::string expected = TestSpec();
  expected[6] = 2;
  EXPECT_EQ(statistics, expected);
}

TEST_F(RecordManagerTest, KeysOrderBinaryAlternateAndSegmentedValues) {
  Load({Record(0x0102, "beta", "b1"), Record(0x0201, "Alfa", "a1"), Record(3, "gamm", "b1"),
        Record(0xFF00, "ALFA", "a1"), Record(4, "alfa", "a0")});
  // Binary numbers as unsigned little-endian: 3, 4, 0x0102, 0x0201, 0xFF00.
  EXPECT_EQ(Walk(0), "gamm alfa beta Alfa ALFA ");
  // Names without regard to case; equal names in insertion order.
  EXPECT_EQ(Walk(1), "Alfa ALFA alfa beta gamm ");
  EXPECT_EQ(Walk(1, true), "gamm beta alfa ALFA Alfa ");
  // Tag, then number.
  EXPECT_EQ(Walk(2), "alfa Alfa ALFA gamm beta ");
}

TEST_F(RecordManagerTest, KeyedGetsFindTheirRecord) {
  Load({Record(10, "aaaa", "t1"), Record(20, "bbbb", "t1"), Record(30, "cccc", "t1")});
  struct Case {
    int operation;
    int number;
    int status;
    std::string name;
  } cases[] = {
      {kOpGetEqual, 20, 0, "bbbb"},          {kOpGetEqual, 25, kStatusKeyNotFound, ""},
      {kOpGetGreaterOrEqual, 20, 0, "bbbb"}, {kOpGetGreaterOrEqual, 21, 0, "cccc"},
      {kOpGetGreater, 20, 0, "cccc"},        {kOpGetGreater, 30, kStatusEndOfFile, ""},
      {kOpGetLessOrEqual, 20, 0, "bbbb"},    {kOpGetLessOrEqual, 19, 0, "aaaa"},
      {kOpGetLess, 20, 0, "aaaa"},           {kOpGetLess, 10, kStatusEndOfFile, ""},
  };
  for (const Case& c : cases) {
    std::string record;
    std::string key = Record(c.number, "", "");
    int status = file.Get(c.operation, 0, record, key);
    EXPECT_EQ(status, c.status) << c.operation << " " << c.number;
    if (c.status == 0) {
      EXPECT_EQ(record.substr(2, 4), c.name) << c.operation << " " << c.number;
      EXPECT_EQ(key.substr(0, 2), record.substr(0, 2)) << "the key comes back as stored";
    } else {
      EXPECT_EQ(record, "") << "nothing returned on failure";
    }
  }
}

TEST_F(RecordManagerTest, UniqueKeyRefusesADuplicate) {
  Load({Record(1, "same", "t1")});
  EXPECT_EQ(file.Insert(Record(1, "othr", "t2")), kStatusDuplicateKey);
  EXPECT_EQ(file.Insert(Record(2, "same", "t1")), 0) << "key 1 allows duplicates";
}

TEST_F(RecordManagerTest, ShortDataBufferGetsTheRecordCut) {
  Load({Record(1, "abcd", "t1")});
  std::string record;
  std::string key;
  EXPECT_EQ(file.Get(kOpGetFirst, 0, record, key, 5), kStatusDataBufferTooShort);
  EXPECT_EQ(record, Record(1, "abc", ""));
  EXPECT_EQ(file.Get(kOpGetNext, 0, record), kStatusEndOfFile) << "the position was set";
}

TEST_F(RecordManagerTest, PositionsReadRecordsDirectly) {
  Load({Record(1, "aaaa", "t1"), Record(2, "bbbb", "t1")});
  std::string record;
  std::uint32_t position = 0;
  EXPECT_EQ(file.GetPosition(position), 0) << "Insert sets the position";
  ASSERT_EQ(file.Get(kOpGetFirst, 0, record), 0);
  ASSERT_EQ(file.GetPosition(position), 0);
  ASSERT_EQ(file.Get(kOpGetLast, 0, record), 0);
  ASSERT_EQ(file.GetDirect(position, 0, record), 0);
  EXPECT_EQ(record.substr(2, 4), "aaaa");
  ASSERT_EQ(file.Get(kOpGetNext, 0, record), 0) << "Get Direct sets the position";
  EXPECT_EQ(record.substr(2, 4), "bbbb");
  EXPECT_EQ(file.GetDirect(99, 0, record), kStatusInvalidRecordAddress);
  EXPECT_EQ(file.GetDirect(position, 7, record), kStatusInvalidKeyNumber);
}

TEST_F(RecordManagerTest, NextGoesOnFromADeletedRecord) {
  Load({Record(1, "aaaa", "t1"), Record(2, "bbbb", "t1"), Record(3, "cccc", "t1")});
  std::string record;
  std::string key = Record(2, "", "");
  ASSERT_EQ(file.Get(kOpGetEqual, 0, record, key), 0);
  ASSERT_EQ(file.Delete(), 0);
  std::uint32_t position;
  EXPECT_EQ(file.GetPosition(position), kStatusInvalidPositioning);
  ASSERT_EQ(file.Get(kOpGetNext, 0, record), 0);
  EXPECT_EQ(record.substr(2, 4), "cccc");
  ASSERT_EQ(file.Update(Record(3, "CCCC", "t9")), 0);
  EXPECT_EQ(Walk(2), "aaaa CCCC ");
}

TEST_F(RecordManagerTest, ScanSeesWhatAnotherHandleWroteMeanwhile) {
  Load({Record(1, "aaaa", "t1"), Record(3, "cccc", "t1"), Record(4, "dddd", "t1")});
  std::string record;
  ASSERT_EQ(file.Get(kOpGetFirst, 0, record), 0);
  ASSERT_EQ(file.Get(kOpGetNext, 0, record), 0);  // reads ahead
  RecordClient other;
  ASSERT_EQ(other.Open(path), 0);
  std::string key = Record(4, "", "");
  ASSERT_EQ(other.Get(kOpGetEqual, 0, record, key), 0);
  ASSERT_EQ(other.Delete(), 0);
  ASSERT_EQ(other.Insert(Record(2, "bbbb", "t1")), 0);
  EXPECT_EQ(Walk(0), "aaaa bbbb cccc ");
  ASSERT_EQ(file.Get(kOpGetFirst, 0, record), 0);
  ASSERT_EQ(file.Get(kOpGetNext, 0, record), 0);
  ASSERT_EQ(other.Insert(Record(5, "eeee", "t1")), 0);
  ASSERT_EQ(file.Get(kOpGetNext, 0, record), 0);
  ASSERT_EQ(file.Get(kOpGetNext, 0, record), 0);
  EXPECT_EQ(record.substr(2, 4), "eeee");
}

TEST_F(RecordManagerTest, RecordLocksAreSeenByAnotherOpen) {
  Load({Record(1, "aaaa", "t1"), Record(2, "bbbb", "t1")});
  RecordClient other;
  ASSERT_EQ(other.Open(path), 0);
  std::string record;
  std::string key = Record(1, "", "");
  ASSERT_EQ(file.Get(kOpGetEqual + kLockBias, 0, record, key), 0);
  key = Record(1, "", "");
  EXPECT_EQ(other.Get(kOpGetEqual + kLockBias, 0, record, key), kStatusRecordLocked);
  EXPECT_EQ(record, "");
  EXPECT_EQ(other.Get(kOpGetEqual, 0, record, key), 0) << "reading without a lock is free";
  EXPECT_EQ(other.Update(Record(1, "zzzz", "t1")), kStatusRecordLocked);
  EXPECT_EQ(other.Get(kOpGetLast + kLockBias, 0, record), 0) << "another record is free";
  ASSERT_EQ(file.Get(kOpGetNext, 0, record), 0);  // moving on gives the lock up
  EXPECT_EQ(other.GetDirect(1, 0, record, true), 0);
  EXPECT_EQ(file.Get(kOpGetFirst + kLockBias, 0, record), kStatusRecordLocked);
  ASSERT_EQ(other.Unlock(), 0);
  EXPECT_EQ(file.Get(kOpGetFirst + kLockBias, 0, record), 0);
}

TEST_F(RecordManagerTest, FileLockOfAnExclusiveOpenStopsOpensAndLockingReads) {
  Load({Record(1, "aaaa", "t1")});
  RecordClient exclusive;
  ASSERT_EQ(exclusive.Open(path, kOpenExclusive), 0);
  RecordClient other;
  EXPECT_EQ(other.Open(path), kStatusFileLocked);
  std::string record;
  EXPECT_EQ(file.Get(kOpGetFirst + kLockBias, 0, record), kStatusFileLocked);
  EXPECT_EQ(file.Get(kOpGetFirst, 0, record), 0);
  EXPECT_EQ(file.Insert(Record(2, "bbbb", "t1")), kStatusFileLocked);
  exclusive.Close();
  EXPECT_EQ(other.Open(path), 0);
  EXPECT_EQ(file.Get(kOpGetFirst + kLockBias, 0, record), 0);
  EXPECT_EQ(exclusive.Open(path, kOpenExclusive), kStatusFileLocked) << "a record lock is held";
}

TEST(RecordManager, CreateAndOpenReportWhatIsWrong) {
  TempDir dir;
  KeySpec key{{{1, 2, 0}}, 2, false};
  std::string good = MakeCreationSpec(4, {key});
  std::string acs = MakeCreationSpec(4, {KeySpec{{{1, 2, kSegmentAlternate}}, 2, false}});
  struct Case {
    const char* what;
    std::string spec;
    int status;
  } cases[] = {
      {"good", good, 0},
      {"short header", good.substr(0, 10), kStatusInvalidRecordLength},
      {"record too long", MakeCreationSpec(1537, {key}), kStatusInvalidRecordLength},
      {"no keys", MakeCreationSpec(4, {}), kStatusInvalidNumberOfKeys},
      {"segment missing", good.substr(0, 20), kStatusInvalidNumberOfKeys},
      {"segment past the record", MakeCreationSpec(1, {key}), kStatusInvalidKeyPosition},
      {"no collating sequence", acs, kStatusInvalidCollatingSequence},
      {"spaces (no dictionary)", std::string(1536, ' '), kStatusInvalidRecordLength},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RecordClient::Create(dir.File("f.dat"), c.spec), c.status) << c.what;
  }
  EXPECT_EQ(RecordClient::Create(dir.File("f.dat"), good, false), kStatusFileExists);

  RecordClient file;
  EXPECT_EQ(file.Open(dir.File("missing.dat")), kStatusFileNotFound);
  WriteFileBytes(dir.File("text.dat"), "this is not a record file\r\n");
  EXPECT_EQ(file.Open(dir.File("text.dat")), kStatusIoError);
  std::string database = ReadFileBytes(dir.File("f.dat"));
  WriteFileBytes(dir.File("cut.dat"), database.substr(0, database.size() / 2));
  EXPECT_EQ(file.Open(dir.File("cut.dat")), kStatusIoError);
  std::string record;
  EXPECT_EQ(file.Get(kOpGetFirst, 0, record), kStatusNotOpen);
}

}  // namespace
