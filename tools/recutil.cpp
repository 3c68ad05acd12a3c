// recutil: manages record files from the command line.  Creates a file from
// its dictionary, loads and saves records (sequential file or CSV), shows a
// file's statistics and holds a record or file lock for a while.
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "recordmanager/record_client.h"
#include "recordmanager/record_spec.h"

namespace {

const char kUsage[] =
    "usage: recutil VERB ...\n"
    "  create FILE DICTIONARY          create FILE from a dictionary (2-byte length,\n"
    "                                  then the creation specification); replaces FILE\n"
    "  load FILE INPUT [--csv WIDTHS] [--utf8]\n"
    "                                  add the records of INPUT: a sequential file (each\n"
    "                                  record as its length, a comma, the bytes, CR LF),\n"
    "                                  or CSV whose fields are padded with spaces to\n"
    "                                  WIDTHS (for example 2,25)\n"
    "  save FILE OUTPUT [--csv [WIDTHS]] [--utf8]\n"
    "                                  write every record in key 0 order, in either form\n"
    "  stat FILE                       record length, keys, segments, number of records\n"
    "  lock FILE (--position N | --file) --hold SECONDS\n"
    "                                  hold a record lock or the file lock, then exit\n"
    "CSV is in code page 850 unless --utf8 is given.  Exit status 0 on success.\n";

struct Failure {
  std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

void Check(int status, const std::string& what) {
  if (status != 0) Fail(what + " (status " + std::to_string(status) + ")");
}

struct Options {
  std::vector<std::string> arguments;
  bool csv = false;
  std::vector<int> widths;
  bool utf8 = false;
  bool wholeFile = false;
  long position = 0;
  long hold = -1;
};

long Number(const std::string& text, const std::string& what) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) {
    Fail(what + " must be a number, not \"" + text + "\"");
  }
  return value;
}

bool LooksLikeWidths(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789,") == std::string::npos;
}

std::vector<int> Widths(const std::string& text) {
  std::vector<int> widths;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    long width = Number(item, "a CSV width");
    if (width < 1 || width > kDataBufferLength) {
      Fail("a CSV width must lie between 1 and " + std::to_string(kDataBufferLength));
    }
    widths.push_back(static_cast<int>(width));
  }
  return widths;
}

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* what) {
      if (i + 1 >= argc) Fail(arg + " needs " + what);
      return std::string(argv[++i]);
    };
    if (arg == "--csv") {
      options.csv = true;
      if (i + 1 < argc && LooksLikeWidths(argv[i + 1])) options.widths = Widths(argv[++i]);
    } else if (arg == "--utf8") {
      options.utf8 = true;
    } else if (arg == "--file") {
      options.wholeFile = true;
    } else if (arg == "--position") {
      options.position = Number(value("a record position"), "the record position");
    } else if (arg == "--hold") {
      options.hold = Number(value("a number of seconds"), "the seconds to hold");
    } else if (arg.starts_with("--")) {
      Fail("unknown option " + arg);
    } else {
      options.arguments.push_back(arg);
    }
  }
  return options;
}

void NeedArguments(const Options& options, std::size_t count, const char* verb) {
  if (options.arguments.size() != count) {
    Fail(std::string(verb) + " takes " + std::to_string(count) + " file names (see --help)");
  }
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) Fail("cannot write " + path);
}

RecordSpec SpecOf(RecordClient& file) {
  std::string statistics;
  Check(file.Stat(statistics), "cannot read the file's statistics");
  RecordSpec spec;
  Check(ParseRecordSpec(statistics, spec), "the file's statistics are damaged");
  return spec;
}

void OpenFile(RecordClient& file, const std::string& path, int mode = kOpenNormal) {
  Check(file.Open(path, mode), "cannot open " + path);
}

// ---- create ---------------------------------------------------------------

int Create(const Options& options) {
  NeedArguments(options, 2, "create");
  std::string dictionary = ReadWholeFile(options.arguments[1]);
  if (dictionary.size() < 2) Fail(options.arguments[1] + " is not a dictionary: too short");
  std::size_t length = static_cast<std::size_t>(ReadLe16(dictionary, 0));
  if (dictionary.size() < 2 + length) {
    Fail(options.arguments[1] + " is shorter than its length field says");
  }
  Check(RecordClient::Create(options.arguments[0], dictionary.substr(2, length)),
        "cannot create " + options.arguments[0]);
  std::cout << "recutil: created " << options.arguments[0] << "\n";
  return 0;
}

// ---- load -------------------------------------------------------------------

// The records of a sequential file: length, comma, bytes, CR LF.
std::vector<std::string> SequentialRecords(const std::string& bytes) {
  std::vector<std::string> records;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t comma = bytes.find(',', at);
    std::string number = bytes.substr(at, comma == std::string::npos ? 12 : comma - at);
    long length = Number(number, "record " + std::to_string(records.size() + 1) + "'s length");
    if (comma == std::string::npos || comma + 1 + length + 2 > bytes.size() ||
        bytes.compare(comma + 1 + length, 2, "\r\n") != 0) {
      Fail("record " + std::to_string(records.size() + 1) + " is cut short or lacks its CR LF");
    }
    records.push_back(bytes.substr(comma + 1, length));
    at = comma + 1 + length + 2;
  }
  return records;
}

// Splits one CSV line into fields ("" doubles a quote inside quotes).
std::vector<std::string> CsvFields(const std::string& line, int lineNumber) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char ch = line[i];
    if (quoted && ch == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (ch == '"') {
      quoted = !quoted;
    } else if (ch == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += ch;
    }
  }
  if (quoted) Fail("line " + std::to_string(lineNumber) + ": a quote is not closed");
  return fields;
}

// The CSV field widths: as given, or one field of the whole record.  They
// must cover the record exactly, so that no byte is dropped or invented.
std::vector<int> CsvWidths(const Options& options, int recordLength) {
  std::vector<int> widths = options.widths;
  if (widths.empty()) widths.push_back(recordLength);
  long total = 0;
  for (int width : widths) total += width;
  if (total != recordLength) {
    Fail("the CSV widths add up to " + std::to_string(total) + ", the record length is " +
         std::to_string(recordLength));
  }
  return widths;
}

std::vector<std::string> CsvRecords(const std::string& bytes, const Options& options,
                                    int recordLength) {
  const std::vector<int> widths = CsvWidths(options, recordLength);
  std::vector<std::string> records;
  std::stringstream in(bytes);
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (options.utf8) line = Utf8ToCp850(line);
    std::vector<std::string> fields = CsvFields(line, lineNumber);
    if (fields.size() != widths.size()) {
      Fail("line " + std::to_string(lineNumber) + " has " + std::to_string(fields.size()) +
           " fields, not " + std::to_string(widths.size()));
    }
    std::string record;
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (static_cast<int>(fields[f].size()) > widths[f]) {
        Fail("line " + std::to_string(lineNumber) + ": field " + std::to_string(f + 1) +
             " is longer than " + std::to_string(widths[f]) + " characters");
      }
      record += fields[f] + std::string(widths[f] - fields[f].size(), ' ');
    }
    records.push_back(record);
  }
  return records;
}

int Load(const Options& options) {
  NeedArguments(options, 2, "load");
  RecordClient file;
  OpenFile(file, options.arguments[0]);
  RecordSpec spec = SpecOf(file);
  std::string input = ReadWholeFile(options.arguments[1]);
  std::vector<std::string> records = options.csv ? CsvRecords(input, options, spec.recordLength)
                                                 : SequentialRecords(input);
  // One transaction: the file gets every record or, on an error, none.
  Check(file.Transaction(kOpBeginTransaction), "cannot start adding records");
  for (std::size_t r = 0; r < records.size(); ++r) {
    std::string where = "record " + std::to_string(r + 1);
    if (static_cast<int>(records[r].size()) != spec.recordLength) {
      Fail(where + " has " + std::to_string(records[r].size()) + " bytes, the record length is " +
           std::to_string(spec.recordLength));
    }
    Check(file.Insert(records[r]), "cannot add " + where);
  }
  Check(file.Transaction(kOpEndTransaction), "cannot finish adding records");
  std::cout << "recutil: added " << records.size() << " records to " << options.arguments[0]
            << "\n";
  return 0;
}

// ---- save -------------------------------------------------------------------

std::string CsvLine(const std::string& record, const std::vector<int>& widths) {
  std::string line;
  std::size_t at = 0;
  for (std::size_t f = 0; f < widths.size(); ++f) {
    std::string field = record.substr(std::min(at, record.size()), widths[f]);
    at += widths[f];
    field.erase(field.find_last_not_of(' ') + 1);
    if (field.find_first_of(",\"\r\n") != std::string::npos) {
      std::string quoted = "\"";
      for (char ch : field) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
      field = quoted + "\"";
    }
    line += (f ? "," : "") + field;
  }
  return line + "\r\n";
}

int Save(const Options& options) {
  NeedArguments(options, 2, "save");
  RecordClient file;
  OpenFile(file, options.arguments[0]);
  RecordSpec spec = SpecOf(file);
  const std::vector<int> widths = options.csv ? CsvWidths(options, spec.recordLength)
                                              : std::vector<int>{};
  std::string output;
  std::string record;
  int status = file.Get(kOpGetFirst, 0, record);
  long count = 0;
  for (; status == 0; status = file.Get(kOpGetNext, 0, record), ++count) {
    if (!options.csv) {
      output += std::to_string(record.size()) + "," + record + "\r\n";
    } else {
      std::string line = CsvLine(record, widths);
      output += options.utf8 ? Cp850ToUtf8(line) : line;
    }
  }
  if (status != kStatusEndOfFile) Check(status, "cannot read " + options.arguments[0]);
  WriteWholeFile(options.arguments[1], output);
  std::cout << "recutil: saved " << count << " records to " << options.arguments[1] << "\n";
  return 0;
}

// ---- stat -------------------------------------------------------------------

std::string FlagNames(int flags) {
  std::string names;
  if (flags & kSegmentDuplicates) names += " duplicates";
  if (flags & kSegmentBinary) names += " binary";
  if (flags & kSegmentAlternate) names += " alternate-collating";
  return names.empty() ? " string" : names;
}

int Stat(const Options& options) {
  NeedArguments(options, 1, "stat");
  RecordClient file;
  OpenFile(file, options.arguments[0]);
  std::string statistics;
  Check(file.Stat(statistics), "cannot read the file's statistics");
  RecordSpec spec;
  Check(ParseRecordSpec(statistics, spec), "the file's statistics are damaged");
  unsigned long records = 0;
  for (int i = 3; i >= 0; --i) records = (records << 8) | static_cast<unsigned char>(statistics[6 + i]);
  std::cout << "file: " << options.arguments[0] << "\n"
            << "record length: " << spec.recordLength << "\n"
            << "records: " << records << "\n"
            << "keys: " << spec.keys.size() << "\n";
  for (std::size_t k = 0; k < spec.keys.size(); ++k) {
    const KeySpec& key = spec.keys[k];
    std::cout << "  key " << k << ": length " << key.length
              << (key.duplicates ? ", duplicates allowed" : ", unique") << "\n";
    for (const KeySegment& segment : key.segments) {
      std::cout << "    segment at " << segment.position << ", length " << segment.length << ","
                << FlagNames(segment.flags & ~kSegmentContinues) << "\n";
    }
  }
  if (!spec.collatingTable.empty()) {
    std::size_t at = spec.creation.size() - kCollatingSequenceLength + 1;
    std::cout << "alternate collating sequence: " << Cp850ToUtf8(spec.creation.substr(at, 8)) << "\n";
  }
  return 0;
}

// ---- lock -------------------------------------------------------------------

int Lock(const Options& options) {
  NeedArguments(options, 1, "lock");
  if (options.wholeFile == (options.position != 0)) Fail("lock needs --position N or --file");
  if (options.hold < 0) Fail("lock needs --hold SECONDS");
  RecordClient file;
  std::string what;
  if (options.wholeFile) {
    OpenFile(file, options.arguments[0], kOpenExclusive);
    what = "the file lock";
  } else {
    OpenFile(file, options.arguments[0]);
    std::string record;
    Check(file.GetDirect(static_cast<std::uint32_t>(options.position), 0, record, true),
          "cannot lock record " + std::to_string(options.position));
    what = "the lock of record " + std::to_string(options.position);
  }
  std::cout << "recutil: holding " << what << " of " << options.arguments[0] << " for "
            << options.hold << " seconds" << std::endl;
  std::this_thread::sleep_for(std::chrono::seconds(options.hold));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "--help" || verb == "-h" || verb == "help") {
    std::cout << kUsage;
    return 0;
  }
  try {
    Options options = Parse(argc, argv);
    if (verb == "create") return Create(options);
    if (verb == "load") return Load(options);
    if (verb == "save") return Save(options);
    if (verb == "stat") return Stat(options);
    if (verb == "lock") return Lock(options);
    std::cerr << (verb.empty() ? "recutil: no verb given\n" : "recutil: unknown verb " + verb + "\n")
              << kUsage;
    return 2;
  } catch (const Failure& failure) {
    std::cerr << "recutil: " << failure.message << "\n";
    return 1;
  }
}
