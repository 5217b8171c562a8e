// Small text operations of the script engine. Blanks are the space and the tab only;
// the line break inside a value is LF CR, and "\n" (either case of n) is its escape.
// Splitting works on views of the input and copies each piece once.
#include "script/text.h"

#include <cstdint>

#include "script/KwartlinConst.h"
#include "support/ProcFunc.h"

namespace kw {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsEscapeAt(std::string_view text, std::size_t i) {
  return text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'N');
}

}  // namespace

std::string_view TrimBlanksView(std::string_view text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

std::string TrimBlanks(std::string_view text) { return std::string(TrimBlanksView(text)); }

std::size_t FindBlank(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (IsBlank(text[i])) return i + 1;
  return 0;
}

std::vector<std::string> SplitFileLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = i;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n' && text[i] != '\0') ++i;
    lines.emplace_back(text.substr(start, i - start));
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;  // after a zero byte
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
  }
  return lines;
}

// Every single quote flips the quoted state and stays in its piece; a comma outside
// quotes ends a piece. A non-empty rest after the last comma is one more piece, so a
// trailing comma adds none but a trailing comma and a blank adds an empty one.
TListaStr SplitParameters(std::string_view text) {
  TListaStr list;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\'') quoted = !quoted;
    if (!quoted && text[i] == ',') {
      list.emplace_back(TrimBlanksView(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  if (start < text.size()) list.emplace_back(TrimBlanksView(text.substr(start)));
  return list;
}

TLista SplitAtChar(std::string_view text, char c) {
  TLista list;
  if (text.empty()) return list;
  std::size_t start = 0;
  for (std::size_t pos = text.find(c); pos != std::string_view::npos; pos = text.find(c, start)) {
    list.emplace_back(text.substr(start, pos - start));
    start = pos + 1;
  }
  list.emplace_back(text.substr(start));
  return list;
}

// Copies the runs between escapes in bulk: values are message texts and mostly hold
// no escape at all.
std::string UnescapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t i = text.find('\\'); i != std::string_view::npos; i = text.find('\\', i + 1)) {
    if (!IsEscapeAt(text, i)) continue;
    out.append(text.substr(from, i - from));
    out.append(kLineBreak);
    from = i + 2;
    ++i;  // the next search starts after the escape's letter
  }
  out.append(text.substr(from));
  return out;
}

bool HasEscape(std::string_view text) {
  for (std::size_t i = text.find('\\'); i != std::string_view::npos; i = text.find('\\', i + 1))
    if (IsEscapeAt(text, i)) return true;
  return false;
}

std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == kLineBreak) {
      out += "\\n";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string_view BoolToText(bool b) { return b ? ConstantTable[0].Value : ConstantTable[1].Value; }

bool TextToBool(std::string_view text) { return ReadInt(TrimBlanksView(text), 0) != 0; }

// Digits past the 32nd are dropped (the leftmost 32 count), shorter texts are
// zero-padded on the left; the pattern is built unsigned and only then read as signed.
std::int32_t BinaryTextToInt(std::string_view text) {
  for (char c : text)
    if (c != '0' && c != '1') return 0;
  std::uint32_t bits = 0;
  const std::size_t n = text.size() < 32 ? text.size() : 32;
  for (std::size_t i = 0; i < n; ++i) bits = (bits << 1) | static_cast<std::uint32_t>(text[i] - '0');
  return static_cast<std::int32_t>(bits);
}

}  // namespace kw
