// Translation of the program's Catalan texts into the session's language
// through the language file ROOT\LOCALE\<dictionaryName>.LNG.
#ifndef STARTUP_TRANSLATION_H_
#define STARTUP_TRANSLATION_H_

#include <string>

// The language file's name, without directory or extension; programName when
// empty.
extern std::string dictionaryName;

// The text in the session's language, or the text unchanged.  Never fails.
std::string Translate(const std::string& text);

#endif  // STARTUP_TRANSLATION_H_
