#include "platform/codepage.h"

#include <array>
#include <unordered_map>

namespace {

// Glyphs of the control bytes 0-31 (0 shows as a blank) and of 127.
constexpr std::array<char32_t, 32> kControlGlyphs = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};
constexpr char32_t kDeleteGlyph = 0x2302;

// Bytes 128-255; 213 is the euro sign in this suite.
constexpr std::array<char32_t, 128> kHighHalf = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x20AC, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

const std::unordered_map<char32_t, int>& ReverseTable() {
  static const std::unordered_map<char32_t, int> table = [] {
    std::unordered_map<char32_t, int> t;
    // Code page 850's own characters first: the glyphs of bytes 20 and 21
    // are its 244 and 245 too, and a typed "¶" means 244.
    for (int b = 128; b < 256; ++b) t.emplace(kHighHalf[b - 128], b);
    for (int b = 1; b < 32; ++b) t.emplace(kControlGlyphs[b], b);
    t.emplace(kDeleteGlyph, 127);
    t.emplace(0x0131, 213);  // dotless i, code page 850's own 213
    return t;
  }();
  return table;
}

}  // namespace

char32_t Cp850ToUnicode(unsigned char byte) {
  if (byte < 32) return kControlGlyphs[byte];
  if (byte == 127) return kDeleteGlyph;
  if (byte < 128) return byte;
  return kHighHalf[byte - 128];
}

int UnicodeToCp850(char32_t codePoint) {
  if (codePoint < 128) return static_cast<int>(codePoint);
  const auto& table = ReverseTable();
  auto it = table.find(codePoint);
  return it == table.end() ? -1 : it->second;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Cp850ToUtf8(std::string_view text, bool keepControls) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char byte : text) {
    if (byte < 128 && (keepControls || (byte >= 32 && byte != 127)))
      out += static_cast<char>(byte);
    else
      AppendUtf8(out, Cp850ToUnicode(byte));
  }
  return out;
}

namespace {

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 when invalid.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  std::size_t length;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
    return 0;
  return length;
}

}  // namespace

std::string Utf8ToCp850(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text, i, cp);
    if (length == 0) {  // not UTF-8: a code page 850 byte as it stands
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    const int mapped = UnicodeToCp850(cp);
    if (mapped >= 0) out += static_cast<char>(mapped);
    i += length;
  }
  return out;
}
