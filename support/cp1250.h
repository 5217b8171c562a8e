// Windows-1250 texts in every build.
//
// Sources stay UTF-8 so Polish literals read naturally; the `_w` suffix turns such a
// literal into Windows-1250 bytes at compile time, whatever the compiler's execution
// character set. A character that Windows-1250 cannot hold stops the build.
#pragma once

#include <cstddef>
#include <string_view>

namespace kw {

// Unicode code point of every Windows-1250 byte from 0x80; 0 marks the five unused bytes.
inline constexpr char16_t kCp1250High[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

namespace detail {

template <std::size_t N>
struct Utf8Literal {
  char bytes[N]{};
  consteval Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
  }
};

consteval unsigned char ToCp1250(char32_t cp) {
  if (cp < 0x80) return static_cast<unsigned char>(cp);
  for (unsigned i = 0; i < 128; ++i)
    if (kCp1250High[i] != 0 && kCp1250High[i] == cp) return static_cast<unsigned char>(0x80 + i);
  throw "character has no Windows-1250 byte";  // not a constant expression: build error
}

template <std::size_t N>
struct Cp1250Text {
  char bytes[N]{};
  std::size_t size = 0;
};

template <std::size_t N>
consteval Cp1250Text<N> Convert(const Utf8Literal<N>& s) {
  Cp1250Text<N> out;
  std::size_t i = 0;
  while (i + 1 < N) {  // the last byte is the literal's terminator
    auto b = static_cast<unsigned char>(s.bytes[i]);
    char32_t cp;
    std::size_t len;
    if (b < 0x80) { cp = b; len = 1; }
    else if ((b & 0xE0) == 0xC0) { cp = b & 0x1Fu; len = 2; }
    else if ((b & 0xF0) == 0xE0) { cp = b & 0x0Fu; len = 3; }
    else throw "literal is not UTF-8";
    for (std::size_t k = 1; k < len; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s.bytes[i + k]) & 0x3Fu);
    out.bytes[out.size++] = static_cast<char>(ToCp1250(cp));
    i += len;
  }
  out.bytes[out.size] = '\0';
  return out;
}

template <Utf8Literal S>
inline constexpr auto kConverted = Convert(S);

}  // namespace detail

// "Różne"_w is the Windows-1250 text, zero-terminated, with static storage.
// clang 14 crashes while diagnosing a const local initialised through a non-constexpr
// constructor from such a text (const std::string s("ł"_w)): use the text inside an
// expression, or keep it in a namespace-scope constexpr std::string_view.
template <detail::Utf8Literal S>
consteval std::string_view operator""_w() {
  return {detail::kConverted<S>.bytes, detail::kConverted<S>.size};
}

}  // namespace kw
