// Windows-1250 letter pairs, built once at compile time from the code page's upper-case
// letters. Bytes without a partner in the code page (ß, µ, signs) keep their case.
// casing_win32 holds all 256 bytes against CharUpperBuffA/CharLowerBuffA under 1250.
#include "support/casing.h"

#include <array>

namespace kw {
namespace {

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
};

// Upper-case byte -> its lower-case partner, for every pair outside ASCII.
constexpr unsigned char kPairs[][2] = {
    {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F},  // Š Ś Ť Ž Ź
    {0xA3, 0xB3}, {0xA5, 0xB9}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xBC, 0xBE},  // Ł Ą Ş Ż Ľ
};

constexpr CaseTables MakeTables() {
  CaseTables t;
  for (unsigned i = 0; i < 256; ++i) t.upper[i] = t.lower[i] = static_cast<unsigned char>(i);
  for (unsigned c = 'a'; c <= 'z'; ++c) {
    t.upper[c] = static_cast<unsigned char>(c - 32);
    t.lower[c - 32] = static_cast<unsigned char>(c);
  }
  for (const auto& p : kPairs) {
    t.upper[p[1]] = p[0];
    t.lower[p[0]] = p[1];
  }
  // 0xC0..0xDE pair with 0xE0..0xFE, except the multiplication sign 0xD7 (÷ is 0xF7).
  for (unsigned c = 0xC0; c <= 0xDE; ++c) {
    if (c == 0xD7) continue;
    t.upper[c + 0x20] = static_cast<unsigned char>(c);
    t.lower[c] = static_cast<unsigned char>(c + 0x20);
  }
  return t;
}

constexpr CaseTables kTables = MakeTables();

}  // namespace

char UpperChar(char c) {
  return static_cast<char>(kTables.upper[static_cast<unsigned char>(c)]);
}
char LowerChar(char c) {
  return static_cast<char>(kTables.lower[static_cast<unsigned char>(c)]);
}
void UpperCaseInPlace(std::string& text) {
  for (char& c : text) c = UpperChar(c);
}
void LowerCaseInPlace(std::string& text) {
  for (char& c : text) c = LowerChar(c);
}
std::string UpperCase(std::string_view text) {
  std::string s(text);
  UpperCaseInPlace(s);
  return s;
}
bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

}  // namespace kw
