// The script file becomes ScriptLines: trimmed lines, comments cut, blank lines gone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kw {

using TScriptLines = std::vector<std::string>;

// Splits file text into lines at CR, LF or CR LF; a zero byte ends the text.
std::vector<std::string> SplitFileLines(std::string_view text);
void PrepareScriptLines(TScriptLines& list);
// Replaces ScriptLines from the file at ScriptPath; runs _init when run is set.
void ReloadScript(bool run);
// Index of the first line that reads ":" + name (case ignored), else notFound.
int FindLabel(const TScriptLines& lines, std::string_view name, int notFound);

}  // namespace kw
