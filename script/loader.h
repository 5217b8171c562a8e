// Script text becomes script lines: trimmed, comments cut, blank lines gone. Only text
// comes in: reading the file, and what a reload does besides (the menu, the variables,
// _init), is the host's (host/data_files.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/line_list.h"

namespace kw {

// Writable: tests and tools change lines in place; a run notices (see line_list.h).
using TScriptLines = TLineList<true>;

// The script the plugin runs, the one instance of the engine's lines. Its compiled form
// is kept beside it (CompiledScriptFor, compiled.h).
extern TScriptLines ScriptLines;

// Splits file text into lines at CR, LF or CR LF; a zero byte ends the text.
std::vector<std::string> SplitFileLines(std::string_view text);
// Trims the lines, cuts comments and drops the lines left empty.
void PrepareScriptLines(std::vector<std::string>& lines);
void PrepareScriptLines(TScriptLines& list);
// The lines of a script file's text: split, then prepared.
std::vector<std::string> ScriptLinesFromText(std::string_view text);
// Index of the first line that reads ":" + name (case ignored), else notFound.
int FindLabel(const TScriptLines& lines, std::string_view name, int notFound);

}  // namespace kw
