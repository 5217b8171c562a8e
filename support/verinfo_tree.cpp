// Walking the VS_VERSIONINFO tree. A node is never trusted beyond its parent: lengths
// are clipped to the enclosing node, a node too short for its header ends the search,
// and siblings advance by at least eight bytes, so every walk ends within the block.
#include "support/verinfo_tree.h"

#include <algorithm>
#include <cstdint>

#include "support/cp1250.h"
#include "support/verinfo_bytes.h"

namespace kw {
namespace {

constexpr std::size_t kHeaderSize = 6;  // wLength, wValueLength, wType

constexpr std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

struct Node {
  std::size_t end;            // one past its last byte, clipped to the parent
  std::size_t step;           // distance to the next sibling
  std::size_t keyStart;       // offset of the UTF-16 key
  std::size_t keyUnits;       // length of the key, terminator excluded
  std::size_t childrenStart;  // offset of the first child
  VersionValue value;         // the node's own value
};

std::optional<Node> ReadNode(std::span<const std::byte> block, std::size_t start, std::size_t limit) {
  if (start > limit || limit - start < kHeaderSize) return std::nullopt;
  const std::size_t length = LoadLe16(&block[start]);
  if (length < kHeaderSize) return std::nullopt;
  const std::size_t valueLength = LoadLe16(&block[start + 2]);
  const bool isText = LoadLe16(&block[start + 4]) != 0;

  Node n{};
  n.end = std::min(start + length, limit);
  n.step = Align4(length);
  n.keyStart = start + kHeaderSize;
  std::size_t k = n.keyStart;
  while (k + 2 <= n.end && LoadLe16(&block[k]) != 0) k += 2;
  if (k + 2 > n.end) return std::nullopt;  // key without its terminator
  n.keyUnits = (k - n.keyStart) / 2;

  const std::size_t valueStart = start + Align4(k + 2 - start);
  const std::size_t valueBytes = valueLength * (isText ? 2 : 1);
  n.childrenStart = valueStart + Align4(valueBytes);
  const std::size_t clippedStart = std::min(valueStart, n.end);
  n.value = {clippedStart, std::min(valueBytes, n.end - clippedStart), isText};
  if (isText) n.value.size &= ~std::size_t{1};
  return n;
}

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }

bool KeyIs(std::span<const std::byte> block, const Node& n, std::u16string_view key) {
  if (n.keyUnits != key.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i)
    if (FoldAscii(LoadLe16(&block[n.keyStart + 2 * i])) != FoldAscii(key[i])) return false;
  return true;
}

std::optional<Node> FindChild(std::span<const std::byte> block, const Node& parent, std::u16string_view key) {
  for (std::size_t at = parent.childrenStart; at < parent.end;) {
    auto child = ReadNode(block, at, parent.end);
    if (!child) return std::nullopt;
    if (KeyIs(block, *child, key)) return child;
    at += child->step;
  }
  return std::nullopt;
}

unsigned char AnsiByte(char16_t c) {
  if (c < 0x80) return static_cast<unsigned char>(c);
  // The five bytes that Windows-1250 leaves unused stand for the C1 controls of their value.
  if (c < 0x100 && kCp1250High[c - 0x80] == 0) return static_cast<unsigned char>(c);
  for (unsigned i = 0; i < 128; ++i)
    if (kCp1250High[i] == c) return static_cast<unsigned char>(0x80 + i);
  return '?';
}

}  // namespace

std::optional<VersionValue> FindVersionValue(std::span<const std::byte> block, std::string_view path) {
  auto node = ReadNode(block, 0, block.size());
  std::size_t i = 0;
  while (node && i < path.size()) {
    if (path[i] == '\\') { ++i; continue; }
    const std::size_t end = std::min(path.find('\\', i), path.size());
    node = FindChild(block, *node, AnsiToUtf16(path.substr(i, end - i)));
    i = end;
  }
  if (!node) return std::nullopt;
  return node->value;
}

std::string Utf16ToAnsi(std::span<const std::byte> utf16) {
  std::string out;
  out.reserve(utf16.size() / 2);
  for (std::size_t i = 0; i + 2 <= utf16.size(); i += 2) {
    const char16_t c = LoadLe16(&utf16[i]);
    // A surrogate pair is one character, and none of them is in Windows-1250.
    if (c >= 0xD800 && c < 0xDC00 && i + 4 <= utf16.size()) {
      const char16_t low = LoadLe16(&utf16[i + 2]);
      if (low >= 0xDC00 && low < 0xE000) i += 2;
    }
    out.push_back(static_cast<char>(AnsiByte(c)));
  }
  return out;
}

std::u16string AnsiToUtf16(std::string_view ansi) {
  std::u16string out;
  out.reserve(ansi.size());
  for (char ch : ansi) {
    const auto b = static_cast<unsigned char>(ch);
    out.push_back(b < 0x80 || kCp1250High[b - 0x80] == 0 ? char16_t{b} : kCp1250High[b - 0x80]);
  }
  return out;
}

}  // namespace kw
