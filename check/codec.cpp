// Table-driven: the upper half of Windows-1250 comes from kCp1250High; the lower half is
// ASCII on both sides.
#include "check/codec.h"

#include <cstdio>

#include "support/cp1250.h"

namespace kwcheck {

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

bool DecodeUtf8(std::string_view text, std::size_t& i, char32_t& cp) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t len = 0;
  char32_t min = 0;
  if (b < 0x80) {
    cp = b;
    ++i;
    return true;
  }
  if ((b & 0xE0) == 0xC0) { cp = b & 0x1Fu; len = 2; min = 0x80; }
  else if ((b & 0xF0) == 0xE0) { cp = b & 0x0Fu; len = 3; min = 0x800; }
  else if ((b & 0xF8) == 0xF0) { cp = b & 0x07u; len = 4; min = 0x10000; }
  else return false;
  if (i + len > text.size()) return false;
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (c & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += len;
  return true;
}

int Cp1250Byte(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  for (unsigned k = 0; k < 128; ++k)
    if (kw::kCp1250High[k] != 0 && kw::kCp1250High[k] == cp) return static_cast<int>(0x80 + k);
  return -1;
}

bool Utf8ToCp1250(std::string_view utf8, std::string& out, std::string& error) {
  out.clear();
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t at = i;
    char32_t cp = 0;
    if (!DecodeUtf8(utf8, i, cp)) {
      error = "not UTF-8 (byte " + std::to_string(at + 1) + ")";
      return false;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    const int byte = Cp1250Byte(cp);
    if (byte >= 0) {
      out += static_cast<char>(byte);
    } else {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
      error = "the character " + std::string(utf8.substr(at, i - at)) + " (" + code +
              ") has no Windows-1250 byte";
      return false;
    }
  }
  return true;
}

std::string Cp1250ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else {
      const char16_t cp = kw::kCp1250High[b - 0x80];
      AppendUtf8(out, cp != 0 ? cp : 0xFFFD);
    }
  }
  return out;
}

bool IsAscii(std::string_view text) {
  for (char ch : text)
    if (static_cast<unsigned char>(ch) >= 0x80) return false;
  return true;
}

}  // namespace kwcheck
