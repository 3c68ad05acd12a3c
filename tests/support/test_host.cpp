#include "support/test_host.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

ScopedHost::ScopedHost() : saved_(host()) {
  host() = Host{&console, &clipboard, &processes, &clock, &environment};
}

ScopedHost::~ScopedHost() { host() = saved_; }

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "expcodes-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::suiteDir() const {
  std::string dir = path_ + "/";
  for (char& ch : dir) {
    if (ch == '/') ch = '\\';
  }
  return dir;
}

std::string ReadFileBytes(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& hostPath, const std::string& bytes) {
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& hostPath) {
  struct stat st;
  return ::stat(hostPath.c_str(), &st) == 0;
}
