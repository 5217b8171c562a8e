// UTF-8 and UTF-16 text for the wide Windows functions. The tools keep every text in
// UTF-8 and turn it into UTF-16 only where they call Windows, so a path or a typed line
// keeps every character whatever the ANSI and console code pages are. Invalid input
// becomes U+FFFD rather than an error: a name that cannot be converted is then reported
// as missing, never cut short.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kwtest {

inline std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return wide;
}

inline std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

}  // namespace kwtest
