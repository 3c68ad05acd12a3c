#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <memory>

#include "platform/codepage.h"

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The entry of directory dir whose name matches name without regard to case
// (ASCII letters; names are compared as code page 850 bytes); name itself when
// there is none.
std::string FindIgnoringCase(const std::string& dir, const std::string& name) {
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.empty() ? "." : dir.c_str()),
                                        ::closedir);
  if (!d) return name;
  const std::string folded = Utf8ToCp850(name);
  while (const dirent* entry = ::readdir(d.get())) {
    const std::string candidate = entry->d_name;
    if (SameIgnoringCase(Utf8ToCp850(candidate), folded)) return candidate;
  }
  return name;
}

}  // namespace

std::string HostPath(const std::string& suitePath) {
  std::string text = suitePath;
  if (text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0])))
    text.erase(0, 2);
  for (char& ch : text) {
    if (ch == '\\') ch = '/';
  }
  text = Cp850ToUtf8(text);

  const bool absolute = !text.empty() && text[0] == '/';
  std::string result(absolute ? 1 : 0, '/');
  std::size_t start = absolute ? 1 : 0;
  while (start <= text.size()) {
    std::size_t slash = text.find('/', start);
    if (slash == std::string::npos) slash = text.size();
    std::string component = text.substr(start, slash - start);
    if (!component.empty()) {
      const std::string dir = result;
      std::string candidate = dir + component;
      if (component != "." && component != ".." && !Exists(candidate))
        candidate = dir + FindIgnoringCase(dir, component);
      result = candidate;
    }
    if (slash < text.size() && !result.empty() && result.back() != '/') result += '/';
    start = slash + 1;
  }
  return result;
}
