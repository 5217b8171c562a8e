// The language's whole vocabulary: seven constant tables, fixed at build time.
// Texts are Windows-1250. The index of a CommandTable entry is its command code; the
// commands themselves are declared in script/command_list.h.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

#include "script/command_list.h"

namespace kw {

struct TRozkaz {
  std::string_view Keyword;      // command word, lower case
  std::string_view Syntax;       // one-line syntax shown to the user
  std::string_view Description;  // one-sentence help shown to the user
  std::uint8_t Group;            // index into GroupNames
};

struct TStala {
  std::string_view Name;   // without the leading '#', upper case
  std::string_view Value;  // the text a script gets for "#Name"
};

struct TEtykietaSpec {
  std::string_view Name;    // without the leading ':'
  std::string_view Params;  // program variables set when the label runs
};

inline constexpr int kCommandCount = static_cast<int>(std::size(kCommandList));
inline constexpr int kGroupCount = 6;
inline constexpr int kOperatorCount = 7;
inline constexpr int kConstantCount = 18;
inline constexpr int kSpecialLabelCount = 4;
inline constexpr int kProgramVariableCount = 6;
inline constexpr int kServiceCommandCount = 1;

extern const TRozkaz CommandTable[kCommandCount];
extern const std::string_view GroupNames[kGroupCount];
extern const std::string_view OperatorTable[kOperatorCount];
extern const TStala ConstantTable[kConstantCount];
extern const TEtykietaSpec SpecialLabelTable[kSpecialLabelCount];
extern const std::string_view ProgramVariableNames[kProgramVariableCount];
extern const std::string_view ServiceCommandTable[kServiceCommandCount];

// Command codes, the positions in CommandTable: cmdGoto, cmdIf, ... cmdSaveConfig.
#define KW_COMMAND_CODE(Name, ...) cmd##Name,
enum Command : int { KW_COMMANDS(KW_COMMAND_CODE) };
#undef KW_COMMAND_CODE

// Entry codes of a run, the positions in SpecialLabelTable.
enum EntryCode : int { entryInit = 0, entryStart = 1, entryMenuShow = 2, entryMenuClick = 3 };

// Code of the command whose keyword is the already trimmed word (case ignored), or -1.
int FindKeyword(std::string_view word);

// Index in ConstantTable of the constant whose name (without '#') equals the word,
// case ignored, or -1.
int FindConstant(std::string_view name);

// Code of the command that a script line begins with, or -1 (options page help). Only
// the first word counts, cut at the first space or tab; a leading blank gives -1.
int FindCommandIndex(std::string_view line);

}  // namespace kw
