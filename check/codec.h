// Script files are Windows-1250; the tools' own input and output, and the texts of
// findings, are UTF-8. These two conversions sit at that boundary. A character that
// Windows-1250 cannot hold is an error, never silently replaced: what the plugin sees
// must be what the user wrote.
#pragma once

#include <string>
#include <string_view>

namespace kwcheck {

// UTF-8 to Windows-1250. False, with a reason in error, for bytes that are not UTF-8
// or a character without a Windows-1250 byte; out is then unspecified.
bool Utf8ToCp1250(std::string_view utf8, std::string& out, std::string& error);

// Windows-1250 to UTF-8. The five bytes the code page leaves unused become U+FFFD.
std::string Cp1250ToUtf8(std::string_view text);

// Appends the UTF-8 bytes of one code point (up to U+10FFFF).
void AppendUtf8(std::string& out, char32_t cp);

// Decodes the UTF-8 sequence at text[i] and advances i past it. False for a malformed
// one (cut short, overlong, a surrogate, beyond U+10FFFF); i is then unchanged.
bool DecodeUtf8(std::string_view text, std::size_t& i, char32_t& cp);

// The Windows-1250 byte of a code point; -1 when the code page has none.
int Cp1250Byte(char32_t cp);

// True when every byte is below 0x80.
bool IsAscii(std::string_view text);

}  // namespace kwcheck
