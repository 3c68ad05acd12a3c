// The suite's INI-style configuration files ("Sessio.ini", "OrvoTerm.ini",
// "Orvo.ini"): look up one key, and set, replace or delete one key.  Files
// are named by suite paths (HostPath) and read and written as code page 850
// bytes, lines ending in CR LF (LF alone is read too).  Nothing is kept
// between calls.
#ifndef STARTUP_INI_FILE_H_
#define STARTUP_INI_FILE_H_

#include <string>

// The value of the first entry named key in the first section named section;
// the empty text when the file cannot be opened or the section or key is
// missing.  Names compare without regard to case and outer spaces.
std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key);

// Makes the file hold key=value in the section: every entry of that name in
// the section is replaced, or a new one is added; an empty value deletes the
// entries.  The file is replaced whole and at once: readers see the old file
// or the new one, never a part.  Reports nothing.
void WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);

#endif  // STARTUP_INI_FILE_H_
