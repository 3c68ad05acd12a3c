#include "startup/translation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string_view>
#include <unordered_map>

#include "platform/paths.h"
#include "startup/program.h"
#include "startup/session.h"
#include "startup/value_reader.h"

std::string dictionaryName;

namespace {

// The translations of one Catalan key, in file order: Galician, Occitan,
// Spanish.
using Translations = std::array<std::string, 3>;

// The language file as last read.  It is read again whenever the file on
// disk is another one or has changed, so that the results are those of
// reading it afresh on every call.
struct LanguageFileCache {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  timespec modified{};
  timespec changed{};
  std::unordered_map<std::string, Translations> entries;

  bool Matches(const std::string& hostPath, const struct stat& st) const {
    return path == hostPath && device == st.st_dev && inode == st.st_ino && size == st.st_size &&
           modified.tv_sec == st.st_mtim.tv_sec && modified.tv_nsec == st.st_mtim.tv_nsec &&
           changed.tv_sec == st.st_ctim.tv_sec && changed.tv_nsec == st.st_ctim.tv_nsec;
  }
};

// Entries are four texts each, counted by texts and not by lines; a key that
// ends the file has no translations and is dropped.  The first entry of a key
// wins.
std::unordered_map<std::string, Translations> ParseLanguageFile(std::string_view bytes) {
  std::unordered_map<std::string, Translations> entries;
  ValueReader reader(bytes);
  while (!reader.AtEnd()) {
    std::string key = reader.ReadText();
    if (reader.AtEnd()) break;
    Translations texts;
    for (std::string& text : texts) text = reader.ReadText();
    entries.emplace(std::move(key), std::move(texts));
  }
  return entries;
}

// The entries of the language file, creating it empty when it is missing;
// nullptr when it can be neither created nor read (no LOCALE directory, for
// example).
const std::unordered_map<std::string, Translations>* LanguageEntries() {
  static LanguageFileCache cache;
  const std::string path = HostPath(session.rootDir + "LOCALE\\" + dictionaryName + ".LNG");
  const int created = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (created >= 0) ::close(created);

  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return nullptr;
  }
  if (cache.Matches(path, st)) {
    ::close(fd);
    return &cache.entries;
  }
  std::string bytes;
  char buffer[65536];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (got < 0) return nullptr;
  cache.entries = ParseLanguageFile(bytes);
  cache.path = path;
  cache.device = st.st_dev;
  cache.inode = st.st_ino;
  cache.size = st.st_size;
  cache.modified = st.st_mtim;
  cache.changed = st.st_ctim;
  return &cache.entries;
}

}  // namespace

std::string Translate(const std::string& text) {
  const std::string language = session.language.substr(0, 3);
  if (language == "CAT") return text;
  if (dictionaryName.empty()) dictionaryName = programName;

  const auto* entries = LanguageEntries();
  if (entries == nullptr) return text;
  const auto found = entries->find(text);
  if (found == entries->end()) return text;
  const Translations& texts = found->second;
  if (language == "GLG") return texts[0];
  if (language == "OCI") return texts[1];
  if (language == "SPA") return texts[2];
  return text;
}
