// ReadInt is the one rule by which text becomes a number anywhere in the plugin.
#include "support/ProcFunc.h"

namespace kw {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Most numbers a script meets are an optional minus and one to nine decimal digits,
// which cannot overflow: read at once; nothing for any other text.
std::optional<std::int32_t> ShortDecimal(std::string_view s) {
  const bool negative = !s.empty() && s.front() == '-';
  const std::size_t digits = s.size() - (negative ? 1 : 0);
  if (digits == 0 || digits > 9) return std::nullopt;
  std::int32_t value = 0;
  for (std::size_t i = negative ? 1 : 0; i < s.size(); ++i) {
    const auto d = static_cast<unsigned char>(s[i] - '0');
    if (d > 9) return std::nullopt;
    value = value * 10 + d;
  }
  return negative ? -value : value;
}

}  // namespace

std::optional<std::int32_t> ParseInt(std::string_view s) {
  if (const std::optional<std::int32_t> quick = ShortDecimal(s)) return quick;
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i >= s.size()) return std::nullopt;

  std::size_t hexStart = 0;
  if (s[i] == '$' || s[i] == 'x' || s[i] == 'X') hexStart = i + 1;
  else if (s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) hexStart = i + 2;

  if (hexStart != 0) {
    if (hexStart >= s.size()) return std::nullopt;
    std::uint32_t v = 0;
    int significant = 0;
    for (std::size_t k = hexStart; k < s.size(); ++k) {
      int d = HexDigit(s[k]);
      if (d < 0) return std::nullopt;
      if (significant > 0 || d != 0) ++significant;
      if (significant > 8) return std::nullopt;
      v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    if (negative) v = 0u - v;
    return static_cast<std::int32_t>(v);
  }

  // Decimal: accumulate the magnitude in 64 bits, stop as soon as it leaves the range.
  std::int64_t magnitude = 0;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::size_t digits = 0;
  for (std::size_t k = i; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return std::nullopt;
    magnitude = magnitude * 10 + (s[k] - '0');
    if (magnitude > limit) return std::nullopt;
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t ReadInt(std::string_view text, std::int32_t fallback) {
  auto v = ParseInt(text);
  return v ? *v : fallback;
}

bool IsInteger(std::string_view text) { return ParseInt(text).has_value(); }

std::string IntToText(std::int32_t value) { return std::to_string(value); }

}  // namespace kw
