#include "screen/window_stack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/paths.h"
#include "screen/screen.h"
#include "startup/session.h"

namespace {

constexpr int kFirstRecord = 5;    // 1-based position of the first record
constexpr int kHeaderLength = 20;  // ten two-digit fields
constexpr int kLengthDigits = 5;

// The depths at which an OpenWindow was refused and its CloseWindow is still
// to come; the CloseWindow made at such a depth is that one.
std::vector<int> refusedAt;

std::string StackPath() { return HostPath(session.workDir + "WinPush.tmp"); }

// The stack file, open for reading and writing; closed when it goes.
class StackFile {
 public:
  // Opens the file (creating it when create is set).  Symbolic links and
  // anything but a regular file are refused.
  explicit StackFile(bool create) {
    const int flags = O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | (create ? O_CREAT : 0);
    fd_ = ::open(StackPath().c_str(), flags, 0600);
    struct stat st {};
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) Close();
    if (fd_ >= 0) size_ = st.st_size;
  }
  ~StackFile() { Close(); }
  StackFile(const StackFile&) = delete;
  StackFile& operator=(const StackFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  long long size() const { return size_; }

  // Reads length bytes at the 1-based position; nothing when the file ends
  // first.
  std::optional<std::string> Read(long long position, long long length) const {
    if (position < 1 || length < 0 || position - 1 + length > size_) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done,
                                static_cast<off_t>(position - 1 + static_cast<long long>(done)));
      if (n <= 0) return std::nullopt;
      done += static_cast<std::size_t>(n);
    }
    return bytes;
  }

  bool Write(long long position, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                 static_cast<off_t>(position - 1 + static_cast<long long>(done)));
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  // The top-of-stack integer (32-bit little-endian); nothing when the file
  // is too short to hold one.
  std::optional<long long> Top() const {
    const auto bytes = Read(1, 4);
    if (!bytes) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value * 256 + static_cast<unsigned char>((*bytes)[i]);
    return static_cast<std::int32_t>(value);
  }

  bool SetTop(long long top) {
    std::string bytes(4, '\0');
    auto value = static_cast<std::uint32_t>(top);
    for (char& byte : bytes) {
      byte = static_cast<char>(value & 0xFF);
      value >>= 8;
    }
    return Write(1, bytes);
  }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
  long long size_ = 0;
};

void DeleteStackFile() { ::unlink(StackPath().c_str()); }

// The value zero-padded to width digits (the screen's coordinates have two).
std::string Digits(int value, std::size_t width) {
  const std::string text = std::to_string(value);
  return text.size() >= width ? text.substr(text.size() - width)
                              : std::string(width - text.size(), '0') + text;
}

// The number written in the digits; nothing when one is not a digit.
std::optional<int> ParseDigits(const std::string& text) {
  int value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return std::nullopt;
    value = value * 10 + (ch - '0');
  }
  return value;
}

bool OnScreen(int top, int left, int bottom, int right) {
  const int rows = ScreenRows(), columns = ScreenColumns();
  return top >= 1 && top <= rows && bottom >= 1 && bottom <= rows && left >= 1 && left <= columns &&
         right >= 1 && right <= columns;
}

// Cells of a rectangle; corners in the wrong order make an empty one.
long long CellCount(int top, int left, int bottom, int right) {
  if (bottom < top || right < left) return 0;
  return static_cast<long long>(bottom - top + 1) * (right - left + 1);
}

bool Refuse() {
  refusedAt.push_back(CurrentWindow.depth);
  return false;
}

// One record read back from the file, checked against the screen.
struct SavedWindow {
  int cursorRow = 0, cursorColumn = 0;
  CurrentWindowState previous;
  int top = 0, left = 0, bottom = 0, right = 0;
  std::string cells;
};

// Parses the record of the given length at start; nothing when any field is
// not what OpenWindow writes.
std::optional<SavedWindow> ParseRecord(const StackFile& file, long long start, long long length) {
  const auto header = file.Read(start, kHeaderLength);
  if (!header) return std::nullopt;
  int field[10];
  for (int i = 0; i < 10; ++i) {
    const auto value = ParseDigits(header->substr(static_cast<std::size_t>(2 * i), 2));
    if (!value) return std::nullopt;
    field[i] = *value;
  }
  SavedWindow saved;
  saved.cursorRow = field[0];
  saved.cursorColumn = field[1];
  saved.previous = {0, static_cast<std::int16_t>(field[2]), static_cast<std::int16_t>(field[3]),
                    static_cast<std::int16_t>(field[4]), static_cast<std::int16_t>(field[5])};
  saved.top = field[6];
  saved.left = field[7];
  saved.bottom = field[8];
  saved.right = field[9];

  const bool noPrevious = field[2] == 0 && field[3] == 0 && field[4] == 0 && field[5] == 0;
  if (!OnScreen(saved.cursorRow, saved.cursorColumn, saved.cursorRow, saved.cursorColumn) ||
      !(noPrevious || OnScreen(field[2], field[3], field[4], field[5])) ||
      !OnScreen(saved.top, saved.left, saved.bottom, saved.right))
    return std::nullopt;
  const long long cellBytes = 2 * CellCount(saved.top, saved.left, saved.bottom, saved.right);
  if (length != kHeaderLength + cellBytes + kLengthDigits) return std::nullopt;
  const auto cells = file.Read(start + kHeaderLength, cellBytes);
  if (!cells) return std::nullopt;
  saved.cells = *cells;
  return saved;
}

void Restore(const SavedWindow& saved) {
  std::size_t i = 0;
  for (int row = saved.top; row <= saved.bottom; ++row) {
    for (int column = saved.left; column <= saved.right; ++column, i += 2) {
      console().SetAttribute(static_cast<unsigned char>(saved.cells[i + 1]));
      console().MoveCursor(row, column);
      console().Write(saved.cells.substr(i, 1));
    }
  }
  console().MoveCursor(saved.cursorRow, saved.cursorColumn);
}

}  // namespace

bool OpenWindow(int top, int left, int bottom, int right) {
  if (!OnScreen(top, left, bottom, right)) return Refuse();
  StackFile file(/*create=*/true);
  if (!file.ok()) return Refuse();

  // A top of stack that points before the first record or past the end of
  // the file belongs to a damaged file: the stack starts again.
  long long start = kFirstRecord;
  if (const auto top = file.Top(); top && *top >= kFirstRecord && *top <= file.size() + 1)
    start = *top;

  const CurrentWindowState& w = CurrentWindow;
  std::string record = Digits(console().CursorRow(), 2) + Digits(console().CursorColumn(), 2) +
                       Digits(w.top, 2) + Digits(w.left, 2) + Digits(w.bottom, 2) +
                       Digits(w.right, 2) + Digits(top, 2) + Digits(left, 2) + Digits(bottom, 2) +
                       Digits(right, 2);
  for (int row = top; row <= bottom; ++row) {
    for (int column = left; column <= right; ++column) {
      const Cell cell = console().ReadCell(row, column);
      record += static_cast<char>(cell.ch);
      record += static_cast<char>(cell.attr);
    }
  }
  record += Digits(static_cast<int>(record.size()) + kLengthDigits, kLengthDigits);
  const long long next = start + static_cast<long long>(record.size());
  if (!file.Write(start, record) || !file.SetTop(next)) return Refuse();

  CurrentWindow = {static_cast<std::int16_t>(w.depth + 1), static_cast<std::int16_t>(top),
                   static_cast<std::int16_t>(left), static_cast<std::int16_t>(bottom),
                   static_cast<std::int16_t>(right)};
  return true;
}

void CloseWindow() {
  if (!refusedAt.empty() && refusedAt.back() == CurrentWindow.depth) {
    refusedAt.pop_back();
    return;
  }
  StackFile file(/*create=*/false);
  if (!file.ok()) return;
  if (file.size() <= 3) {
    file.Close();
    DeleteStackFile();
    return;
  }
  if (CurrentWindow.depth > 0) --CurrentWindow.depth;

  // The top record ends at the top of stack and names its own length; when
  // either points outside the file the stack's end cannot be found and the
  // whole stack is dropped.
  const auto top = file.Top();
  std::optional<int> length;
  if (top && *top >= kFirstRecord + kHeaderLength + kLengthDigits && *top <= file.size() + 1) {
    if (const auto digits = file.Read(*top - kLengthDigits, kLengthDigits))
      length = ParseDigits(*digits);
  }
  const long long start = length ? *top - *length : 0;
  if (!length || *length < kHeaderLength + kLengthDigits || start < kFirstRecord) {
    file.Close();
    DeleteStackFile();
    return;
  }

  if (const auto saved = ParseRecord(file, start, *length)) {
    Restore(*saved);
    CurrentWindow = {CurrentWindow.depth, saved->previous.top, saved->previous.left,
                     saved->previous.bottom, saved->previous.right};
  }
  file.SetTop(start);
  file.Close();
  if (start < kFirstRecord + 1) DeleteStackFile();
}

void ResetWindowStack() { refusedAt.clear(); }
