// Writing a VS_VERSIONINFO block. Each node is built whole, children included, so its
// length is known when its header is written; values and children start on 32-bit
// boundaries counted from the node's start, as the tree's readers expect. The last
// child's trailing padding is left out of its parent's length, as resource compilers do.
#include "support/verinfo_block.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>

#include "support/verinfo_tree.h"

namespace kw {
namespace {

void PutLe16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutLe32(std::string& out, std::uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

void PadTo4(std::string& out) {
  while (out.size() % 4 != 0) out.push_back('\0');
}

std::string Utf16Z(std::string_view ansi) {
  std::string out;
  for (char16_t c : AnsiToUtf16(ansi)) PutLe16(out, c);
  PutLe16(out, 0);
  return out;
}

// wValueLength counts UTF-16 units for a text value (type 1), bytes otherwise.
std::string MakeNode(std::string_view key, std::uint16_t type, const std::string& value, std::size_t valueLength,
                     const std::vector<std::string>& children) {
  std::string out(6, '\0');
  out += Utf16Z(key);
  PadTo4(out);
  out += value;
  for (const std::string& child : children) {
    PadTo4(out);
    out += child;
  }
  if (out.size() > 0xFFFF || valueLength > 0xFFFF) throw std::length_error("version block node too long");
  std::string header;
  PutLe16(header, static_cast<std::uint32_t>(out.size()));
  PutLe16(header, static_cast<std::uint32_t>(valueLength));
  PutLe16(header, type);
  out.replace(0, 6, header);
  return out;
}

std::string FixedInfoBytes(const FixedFileInfoInput& f, std::size_t length) {
  std::string out;
  for (std::uint32_t v : {0xFEEF04BDu, 0x00010000u, f.fileVersionMS, f.fileVersionLS, f.productVersionMS,
                          f.productVersionLS, f.fileFlagsMask, f.fileFlags, f.fileOS, f.fileType, f.fileSubtype,
                          f.fileDateMS, f.fileDateLS})
    PutLe32(out, v);
  out.resize(std::min(length, out.size()));
  return out;
}

std::string StringTable(const VersionStringTableInput& table) {
  std::vector<std::string> strings;
  for (const VersionStringInput& s : table.strings) {
    const std::string text = Utf16Z(s.value);
    strings.push_back(MakeNode(s.name, 1, text, text.size() / 2, {}));
  }
  char key[9];
  std::snprintf(key, sizeof key, "%04X%04X", static_cast<unsigned>(table.language),
                static_cast<unsigned>(table.codePage));
  return MakeNode(key, 1, {}, 0, strings);
}

}  // namespace

std::string BuildVersionBlock(const VersionBlockInput& input) {
  std::vector<std::string> children;
  if (!input.stringTables.empty()) {
    std::vector<std::string> tables;
    for (const VersionStringTableInput& t : input.stringTables) tables.push_back(StringTable(t));
    children.push_back(MakeNode("StringFileInfo", 1, {}, 0, tables));
  }
  if (input.hasVarFileInfo) {
    std::string entries;
    for (const VersionTranslationInput& t : input.translations) {
      PutLe16(entries, t.language);
      PutLe16(entries, t.codePage);
    }
    children.push_back(MakeNode("VarFileInfo", 1, {}, 0, {MakeNode("Translation", 0, entries, entries.size(), {})}));
  }
  const std::string fixed = FixedInfoBytes(input.fixed, input.fixedInfoLength);
  return MakeNode("VS_VERSION_INFO", 0, fixed, fixed.size(), children);
}

}  // namespace kw
