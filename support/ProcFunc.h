// General text functions shared by every subsystem, and the version details record.
#pragma once

#include <bit>
#include <cstddef>
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

// Decimal text of a number in a local buffer, so writing a number never allocates. Two
// digits at a time from a table of the hundred pairs.
class NumberText {
 public:
  explicit NumberText(std::int32_t value) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "4041424344454647484950515253545556575859606162636465666768697071727374757677787980"
        "81828384858687888990919293949596979899";
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                        : static_cast<std::uint32_t>(value);
    std::size_t at = sizeof buffer_;
    while (magnitude >= 100) {
      const std::uint32_t pair = (magnitude % 100) * 2;
      magnitude /= 100;
      buffer_[--at] = kPairs[pair + 1];
      buffer_[--at] = kPairs[pair];
    }
    if (magnitude >= 10) {
      buffer_[--at] = kPairs[magnitude * 2 + 1];
      buffer_[--at] = kPairs[magnitude * 2];
    } else {
      buffer_[--at] = static_cast<char>('0' + magnitude);
    }
    if (value < 0) buffer_[--at] = '-';
    text_ = std::string_view(buffer_ + at, sizeof buffer_ - at);
  }
  std::string_view View() const { return text_; }

 private:
  char buffer_[12];         // "-2147483648" fits, written from the end
  std::string_view text_;   // the used tail of buffer_
};

// The length of IntToText(value), found without writing it.
inline std::size_t DecimalLength(std::int32_t value) {
  static constexpr std::uint32_t kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000,
                                              10000000, 100000000, 1000000000};
  // Zero has one digit, as one has; setting the low bit moves no other number across a
  // power of ten (those are even, the numbers just below them odd).
  const std::uint32_t magnitude = (value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                             : static_cast<std::uint32_t>(value)) | 1u;
  // bit_width * 1233 / 4096 is log10 rounded down or one too high; the table corrects it.
  const unsigned guess = static_cast<unsigned>(std::bit_width(magnitude)) * 1233u >> 12;
  return guess + 1 - (magnitude < kPowers[guess] ? 1 : 0) + (value < 0 ? 1 : 0);
}

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
