// Script text to script lines: one trimmed, comment-free, non-empty line per entry.
#include "script/loader.h"

#include "script/text.h"
#include "support/casing.h"

namespace kw {

TScriptLines ScriptLines;

std::size_t CommentStart(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\'') quoted = !quoted;
    if (!quoted && line[i] == '/' && i + 1 < line.size() && line[i + 1] == '/') return i;
  }
  return std::string_view::npos;
}

std::string PreparedLineText(std::string_view raw) {
  const std::string_view line = TrimBlanksView(raw);
  const std::size_t comment = CommentStart(line);
  if (comment == std::string_view::npos) return std::string(line);
  return TrimBlanks(line.substr(0, comment));
}

void PrepareScriptLines(std::vector<std::string>& lines) {
  // One forward pass that compacts in place; the kept lines keep their order.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string line = PreparedLineText(lines[i]);
    if (!line.empty()) lines[kept++] = std::move(line);
  }
  lines.resize(kept);
}

std::vector<std::string> ScriptLinesFromText(std::string_view text) {
  // The script ends at a zero byte, where a C string of its text would end; a spam
  // list only drops the rest of that line (spam.cpp).
  std::vector<std::string> lines = SplitFileLines(text.substr(0, text.find('\0')));
  PrepareScriptLines(lines);
  return lines;
}

std::string LabelKey(std::string_view name) {
  std::string key;
  key.reserve(name.size() + 1);
  key += ':';
  key += name;
  UpperCaseInPlace(key);
  return key;
}

int FindLabel(const TScriptLines& lines, std::string_view name, int notFound) {
  const std::string target = LabelKey(name);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.size() != target.size()) continue;
    std::size_t k = 0;
    while (k < line.size() && UpperChar(line[k]) == target[k]) ++k;
    if (k == line.size()) return static_cast<int>(i);
  }
  return notFound;
}

}  // namespace kw
