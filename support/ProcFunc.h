// General text functions shared by every subsystem, and the version details record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kw {

// Reads a whole text as a signed 32-bit integer: spaces (only) before an optional sign,
// then decimal digits within the 32-bit range, or a hexadecimal prefix ($, x, X, 0x, 0X)
// and at most eight significant hex digits taken as a bit pattern; nothing after the
// last digit. Anything else is no integer.
std::optional<std::int32_t> ParseInt(std::string_view text);
std::int32_t ReadInt(std::string_view text, std::int32_t fallback);
bool IsInteger(std::string_view text);

// Decimal text of a number: a minus sign when negative, no leading zeros.
std::string IntToText(std::int32_t value);

// What the version reader gathers about one file.
struct TWersjaPliku {
  std::string FlagsText;         // flag texts joined by ", "
  std::string FileVersion;       // fixed file version, "a.b.c.d"
  std::string FileOS;            // text of the target system
  std::string CompanyName;
  std::string FileDescription;
  std::string InternalName;
  std::string LegalCopyright;
  std::string LegalTrademarks;
  std::string OriginalFilename;
  std::string ProductName;
  std::string ProductVersion;    // fixed product version, "a.b.c.d"
  std::string Comments;
};

}  // namespace kw
