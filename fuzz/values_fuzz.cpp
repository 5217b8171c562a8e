// Values and conditions on arbitrary text, with a few variables set from the input.
// Besides staying free of sanitizer reports, the text rules must agree with each other:
// - the interpreter's compiled reading of a parameter and of a condition gives what
//   ResolveValue and EvaluateCondition give;
// - ReadInt agrees with a plain reading of the integer rule written here on its own,
//   and IsInteger is true exactly when ReadInt needs no fallback;
// - UnescapeText applied twice gives what it gives once;
// - SplitParameters yields trimmed pieces.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "script/compiled.h"
#include "script/conditions.h"
#include "script/text.h"
#include "script/variables.h"
#include "support/ProcFunc.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The integer rule read straight: spaces, an optional sign, then decimal digits within
// the 32-bit range, or a hexadecimal prefix and at most eight significant digits taken
// as a bit pattern; nothing after the last digit.
std::optional<std::int32_t> ReferenceInt(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  const std::string_view rest = t.substr(i);
  std::size_t prefix = 0;
  if (rest.starts_with("0x") || rest.starts_with("0X")) prefix = 2;
  else if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) prefix = 1;
  if (prefix != 0) {
    const std::string_view digits = rest.substr(prefix);
    if (digits.empty()) return std::nullopt;
    std::uint64_t bits = 0;
    for (char c : digits) {
      if (HexDigit(c) < 0) return std::nullopt;
      bits = bits * 16 + static_cast<std::uint64_t>(HexDigit(c));
      if (bits > 0xFFFFFFFFu) return std::nullopt;  // a ninth significant digit
    }
    const auto pattern = static_cast<std::uint32_t>(bits);
    return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
  }
  if (rest.empty()) return std::nullopt;
  std::int64_t magnitude = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > 2147483648LL) return std::nullopt;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

void CheckInteger(std::string_view t) {
  const std::optional<std::int32_t> expected = ReferenceInt(t);
  Check(kw::ParseInt(t) == expected);
  Check(kw::IsInteger(t) == expected.has_value());
  Check(kw::ReadInt(t, 0) == expected.value_or(0));
  Check(kw::ReadInt(t, 1) == expected.value_or(1));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  kw::ClearVariables();
  kw::SetVariable("$A", in.ConsumeRandomLengthString(64), false);
  kw::SetVariable("$B", in.ConsumeRandomLengthString(64), false);
  const std::string name = in.ConsumeRandomLengthString(16);
  kw::SetVariable(name, in.ConsumeRandomLengthString(64), false);
  const std::string text = in.ConsumeRemainingBytesAsString();

  const std::string resolved = kw::ResolveValue(text);
  std::string scratch;
  Check(kw::ValueOf(kw::CompileValue(text), scratch) == resolved);
  const std::string trimmed = kw::TrimBlanks(text);
  Check(kw::ValueOf(kw::CompileValue(trimmed), scratch) == kw::ResolveValue(trimmed));

  const bool holds = kw::EvaluateCondition(text);
  std::string left, right;
  Check(kw::EvaluateCompiled(kw::CompileCondition(text), left, right) == holds);

  CheckInteger(text);
  CheckInteger(resolved);

  const std::string once = kw::UnescapeText(text);
  Check(kw::UnescapeText(once) == once);
  Check(!kw::HasEscape(once));

  for (const std::string& piece : kw::SplitParameters(text)) {
    Check(piece.empty() || (!IsBlank(piece.front()) && !IsBlank(piece.back())));
    (void)kw::ResolveValue(piece);
  }
  (void)kw::TextToBool(text);
  (void)kw::BinaryTextToInt(text);
  (void)kw::SplitAtChar(text, text.empty() ? ';' : text.front());
  kw::ClearVariables();
  return 0;
}
