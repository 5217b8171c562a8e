// The reference engine: the script language run the plain way, from the same tables and
// text helpers as the plugin, as the baseline of every benchmark ratio. Every executed
// line is split from its text again, its keyword compared with CommandTable in order;
// variables live in their own table and are found by a linear search from the top;
// labels are searched from the first line at every GOTO and CALL; every spam check
// folds and splits every rule line again. Names and keywords are compared without
// building upper-cased copies (a plain implementation need not allocate for that), so
// the baseline is not slower than the model requires.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/records.h"
#include "script/loader.h"
#include "script/variables.h"

namespace kwref {

// The reference engine's variable table, in creation order.
extern std::vector<kw::TZmienna> Variables;

std::string ResolveValue(std::string_view param);
void SetVariable(std::string_view name, std::string_view value, bool save);
void ClearVariables();
bool EvaluateCondition(std::string_view condition);
int FindLabel(const kw::TScriptLines& lines, std::string_view name, int notFound);
bool IsSpam(std::string_view text);
void RunScript(const kw::TScriptLines& lines, int entryCode);
// The message hook's work on the reference engine: the five program variables, a run
// of kw::ScriptLines from _start, $_FILTR and $_MESSAGE read back.
std::int32_t KW_CDECL MessageHook(kw::ProtocolEventDef* event, kw::ProtocolMesageDef* message);
// Reads the spam list file plainly (lines, trimmed, comments dropped) into kw::SpamList.
void LoadSpamList();

}  // namespace kwref
