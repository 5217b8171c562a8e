// Script text becomes script lines: trimmed, comments cut, blank lines gone. Only text
// comes in: reading the file, and what a reload does besides (the menu, the variables,
// _init), is the host's (host/data_files.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/line_list.h"

namespace kw {

// Its version tells a run whether the compiled form still fits (see line_list.h).
using TScriptLines = TLineList;

// The script the plugin runs, the one instance of the engine's lines. Its compiled form
// is kept beside it (CompiledScriptFor, compiled.h).
extern TScriptLines ScriptLines;

// Where a "//" comment outside single quotes starts in a line, or npos.
std::size_t CommentStart(std::string_view line);
// One line as it is kept: without blanks at its ends and without its comment; empty
// when nothing else is left (the line is dropped).
std::string PreparedLineText(std::string_view raw);
// Trims the lines, cuts comments and drops the lines left empty.
void PrepareScriptLines(std::vector<std::string>& lines);
// The lines of a script file's text: split (SplitFileLines, text.h), then prepared. A
// zero byte ends the script.
std::vector<std::string> ScriptLinesFromText(std::string_view text);
// The text a label line for name reads, upper-cased: ":" + name.
std::string LabelKey(std::string_view name);
// Index of the first line that reads ":" + name (case ignored), else notFound.
int FindLabel(const TScriptLines& lines, std::string_view name, int notFound);

}  // namespace kw
