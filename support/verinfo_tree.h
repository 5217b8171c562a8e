// The VS_VERSIONINFO tree: nodes of wLength, wValueLength, wType, a UTF-16 key and a
// value, each part aligned to 32 bits from the node's start, children after the value.
// FindVersionValue answers a path the way VerQueryValue does; the Windows-1250
// conversions serve the texts of the tree.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kw {

struct VersionValue {
  std::size_t offset;  // where the value starts in the block
  std::size_t size;    // its bytes (a text's UTF-16 units times two), within its node
  bool isText;         // wType 1: UTF-16 text
};

// Finds path ("\" is the root; components between backslashes name children, matched
// ignoring ASCII case; empty components are skipped). No value when a node is missing
// or the block is damaged on the way there.
std::optional<VersionValue> FindVersionValue(std::span<const std::byte> block, std::string_view path);

// UTF-16LE bytes to Windows-1250; a character without a Windows-1250 byte becomes '?'.
std::string Utf16ToAnsi(std::span<const std::byte> utf16);

// Windows-1250 to UTF-16 code units.
std::u16string AnsiToUtf16(std::string_view ansi);

}  // namespace kw
