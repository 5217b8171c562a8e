// Script text to script lines: one trimmed, comment-free, non-empty line per entry.
#include "script/loader.h"

#include "script/text.h"
#include "support/casing.h"

namespace kw {

TScriptLines ScriptLines;

namespace {

// The line without blanks at its ends and without a "//" comment outside single quotes;
// empty when nothing else is left.
std::string PreparedLineText(std::string_view raw) {
  const std::string_view line = TrimBlanksView(raw);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\'') quoted = !quoted;
    if (!quoted && line[i] == '/' && i + 1 < line.size() && line[i + 1] == '/')
      return TrimBlanks(line.substr(0, i));
  }
  return std::string(line);
}

}  // namespace

std::vector<std::string> SplitFileLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = i;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(text.substr(start, i - start));
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
  }
  return lines;
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

void PrepareScriptLines(TScriptLines& list) {
  list.Edit([](std::vector<std::string>& lines) { PrepareScriptLines(lines); });
}

std::vector<std::string> ScriptLinesFromText(std::string_view text) {
  std::vector<std::string> lines = SplitFileLines(text);
  PrepareScriptLines(lines);
  return lines;
}

int FindLabel(const TScriptLines& lines, std::string_view name, int notFound) {
  std::string target;
  target.reserve(name.size() + 1);
  target += ':';
  target += name;
  UpperCaseInPlace(target);
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
