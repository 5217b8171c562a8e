// Script loading: the file's text becomes ScriptLines, one trimmed, comment-free,
// non-empty line per entry. A file that exists but cannot be read counts as absent:
// the script is then empty and the variables stay, as with a missing file.
#include "script/loader.h"

#include "host/globals.h"
#include "host/menu.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/text.h"
#include "script/variables.h"
#include "support/casing.h"
#include "support/platform.h"

namespace kw {
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

void ReloadScript(bool run) {
  try {
    ClearMenuEntries();
    ScriptLines.clear();
    std::string text;
    if (!FileExists(ScriptPath) || !ReadWholeFile(ScriptPath, text)) return;
    std::vector<std::string> lines = SplitFileLines(text);
    PrepareScriptLines(lines);
    ScriptLines = std::move(lines);
    ClearVariables();
    if (run) RunScript(ScriptLines, entryInit);
  } catch (...) {
    // Out of memory is the only way here; the script stays as far as it got.
  }
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
