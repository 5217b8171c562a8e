// The script checker's stages, one file per hundred of codes, each raising only the
// codes it declares (kFlowCodes beside the flow checks, and so on): flow.cpp, where runs
// go (1xx); names.cpp, commands, labels, variables and constants (2xx); values.cpp, what
// a parameter reads as (3xx). script_checker.cpp walks the lines and hands each part of
// a line to the stage that judges it; what the stages share about the whole script is
// a TScriptCheck.
#pragma once

#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/data_flow.h"
#include "check/report.h"
#include "check/source.h"
#include "script/command_list.h"
#include "script/conditions.h"

namespace kwcheck {

// What the stages know of the whole script, and what they have told already.
struct TScriptCheck {
  explicit TScriptCheck(const TSource& source);

  const TSource& Src;
  TReport Report;
  TDataFlow Data;
  std::vector<std::string> SpecialLabels;      // upper case, without the colon
  std::vector<std::string_view> LabelNames;    // the label lines' texts without the colon
  std::map<std::string, int> BlankLabels;      // ":" + upper name of a label line with blanks after its colon
  std::size_t LabelSearches = 0;               // label names compared so far
  std::set<std::string> MenuIds;               // names MenuAdd gives, as resolved
  std::map<std::string, std::string> MenuByUpperId;  // upper-cased name -> name
  std::map<std::string, std::string> MenuByCaption;  // caption -> name
  std::set<std::string> ReportedVariables;     // variables a finding has named already
  std::set<std::string> Declared;              // variables the file declares as set from outside

 private:
  void ReadDeclarations();
};

// A command line cut as the engine cuts it.
struct TCommandLine {
  std::size_t Index = 0;
  const TSourceLine* Line = nullptr;
  int Code = -1;
  std::string_view Rest;               // after the keyword, trimmed
  std::size_t RestAt = 0;              // where Rest starts in the line's text
  std::vector<std::string> Params;     // SplitParameters of Rest (List commands)
  std::vector<std::size_t> At;         // where each parameter stands in the line's text
};

// Reading helpers the stages share.
bool IsQuoted(std::string_view p);
bool IsNumber(std::string_view p);
bool IsProgramVariable(std::string_view upper);
std::string InQuotes(std::string_view text);  // the text as a quoted script value
// Unquoted words that are neither variable, constant, number nor binary number.
bool IsPlainText(std::string_view p);
// A value taken as any text, and one read as a whole number.
bool IsTextRole(kw::TParamRole role);
bool IsNumberRole(kw::TParamRole role);

// ---- flow.cpp: 1xx ----
extern const std::span<const int> kFlowCodes;
void CheckLabelLines(TScriptCheck& c);
void CheckJump(TScriptCheck& c, const TSourceLine& line, const std::string& command, std::string_view label,
               std::size_t at);
void CheckGovernedLine(TScriptCheck& c, std::size_t index);
void CheckRuns(TScriptCheck& c);
void CheckEntries(TScriptCheck& c);

// ---- names.cpp: 2xx ----
extern const std::span<const int> kNameCodes;
void CheckUnknownCommand(TScriptCheck& c, const TSourceLine& line, const std::string& word);
// A "#" or "$" value; true when p is one (reported or not).
bool CheckNamedValue(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at,
                     kw::TParamRole role);
// A plain word that names a constant or a variable without its sign; true when reported.
bool CheckBareName(TScriptCheck& c, const TSourceLine& line, std::string_view p, const std::string& upper,
                   std::size_t at, kw::TParamRole role);
void CheckResultName(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, bool alsoRead);
bool CheckSwappedParameters(TScriptCheck& c, const TCommandLine& l);
void CheckMenuItemName(TScriptCheck& c, const TSourceLine& line, const kw::TConditionParts& parts,
                       std::size_t leftAt, std::size_t rightAt);
void CheckUnread(TScriptCheck& c);
// A quoted text that names a variable or constant; true when reported.
bool CheckQuotedName(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at);
// A menu entry's name; rest: MenuDel's whole rest. True when reported.
bool CheckMenuEntry(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, bool rest);
void CheckFlagsCompared(TScriptCheck& c, const TSourceLine& line, const kw::TConditionParts& parts);

// ---- values.cpp: 3xx ----
extern const std::span<const int> kValueCodes;
void CheckUrlCut(TScriptCheck& c, const TSourceLine& line);
void CheckLineQuotes(TScriptCheck& c, const TSourceLine& line);
// A parameter's quotes; true when reported.
bool CheckQuotes(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, bool list);
void CheckValue(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, kw::TParamRole role,
                bool list);
// Too few parameters; true when reported.
bool CheckParameterCount(TScriptCheck& c, const TCommandLine& l);
void CheckExtraParameters(TScriptCheck& c, const TCommandLine& l);
// The condition of an IF; false when it cannot be read as one comparison (reported).
bool CheckCondition(TScriptCheck& c, const TSourceLine& line, std::string_view condition, std::size_t at,
                    kw::TConditionParts& parts, std::size_t& leftAt, std::size_t& rightAt);
void CheckMenuDel(TScriptCheck& c, const TCommandLine& l);
// What follows EXIT, RET or SaveConfig.
void CheckIgnoredRest(TScriptCheck& c, const TCommandLine& l);
// What a command's parameters mean together (STRCON, STREXT, STRDEL).
void CheckParameterMeaning(TScriptCheck& c, const TCommandLine& l);
void CheckGrowth(TScriptCheck& c);

}  // namespace kwcheck
