// The script file becomes ScriptLines: trimmed lines, comments cut, blank lines gone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/line_list.h"

namespace kw {

// Writable: tests and tools change lines in place; a run notices (see line_list.h).
using TScriptLines = TLineList<true>;

// Splits file text into lines at CR, LF or CR LF; a zero byte ends the text.
std::vector<std::string> SplitFileLines(std::string_view text);
// Trims the lines, cuts comments and drops the lines left empty.
void PrepareScriptLines(std::vector<std::string>& lines);
void PrepareScriptLines(TScriptLines& list);
// Replaces ScriptLines from the file at ScriptPath; runs _init when run is set.
void ReloadScript(bool run);
// Index of the first line that reads ":" + name (case ignored), else notFound.
int FindLabel(const TScriptLines& lines, std::string_view name, int notFound);

}  // namespace kw
