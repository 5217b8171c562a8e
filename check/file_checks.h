// What a file's bytes say about how it was saved. The plugin reads every file as
// Windows-1250; Windows editors also write UTF-8 (with or without a byte order mark),
// UTF-16 (with its mark) and, now and then, ISO-8859-2, each of which the plugin reads
// as other characters. The findings of the 5xx hundred come from here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kwcheck {

enum class TFileEncoding { Windows1250, Utf8, Utf8Bom, Utf16Le, Utf16Be, Iso88592 };

// How the bytes were evidently saved. UTF-16 and a UTF-8 byte order mark are told by
// their mark; UTF-8 without one by bytes that decode as UTF-8 into characters a
// Windows-1250 text would hardly make by chance; ISO-8859-2 by the bytes of ą ś ź Ą Ś Ź
// standing as letters in words, in a file without bytes that only Windows-1250 uses.
TFileEncoding FileEncoding(std::string_view bytes);

// "UTF-8", "UTF-16 LE", ...
std::string_view EncodingName(TFileEncoding encoding);

// The Windows-1250 file that converting the bytes gives, when the conversion is exact
// (every character has its Windows-1250 byte); nullopt otherwise, and for a file that is
// Windows-1250 already. What the findings' advice does, so tests can run its result.
std::optional<std::string> ConvertedToCp1250(std::string_view bytes);

// ISO-8859-2 to Windows-1250, byte by byte (bytes 0x80-0x9F, controls in ISO-8859-2,
// are kept as they are).
std::string Iso88592ToCp1250(std::string_view bytes);

}  // namespace kwcheck
