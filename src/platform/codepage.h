// Code page 850, the program's text encoding, and UTF-8, the host's.
//
// Bytes 128-255 map by code page 850, except 213, which the suite uses for
// the euro sign.  Bytes 1-31 and 127 are shown as the PC's glyphs, because
// the program writes them as characters (16 "►", 30 "▲", ...); byte 0 is
// shown as a blank.
#ifndef PLATFORM_CODEPAGE_H_
#define PLATFORM_CODEPAGE_H_

#include <cstdint>
#include <string>
#include <string_view>

// The Unicode code point shown for a code page 850 byte.
char32_t Cp850ToUnicode(unsigned char byte);

// The code page 850 byte for a code point; -1 when there is none.  Plain
// ASCII (32..126) and the control codes map to themselves; the PC glyphs of
// bytes 1-31 and 127 map back to those bytes.
int UnicodeToCp850(char32_t codePoint);

// Converts a whole text.  Control bytes stay control characters when
// keepControls is set (for file names and environment values); otherwise they
// become their glyphs (for the screen).
std::string Cp850ToUtf8(std::string_view text, bool keepControls = true);

// Converts UTF-8 to code page 850; characters with no byte there are
// dropped, and bytes that are not valid UTF-8 are taken as code page 850
// bytes as they stand.
std::string Utf8ToCp850(std::string_view text);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t codePoint);

#endif  // PLATFORM_CODEPAGE_H_
