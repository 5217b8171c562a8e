// The plugin's line-preparation rules, restated for the script checker: how the script
// file is cut into lines, how comments and blanks are removed, how a line splits into
// keyword and parameters, and the Windows-1250 upper-casing that labels and keywords
// are compared by. The checker must see exactly the lines the plugin will run, but may
// not link the plugin's code, so these few rules live here a second time; the examples'
// golden tests keep the two in step.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kwsim {

// A prepared script line and the file line (1-based) it came from.
struct ScriptLine {
  int FileLine = 0;
  std::string Text;  // trimmed, without comment, never empty; Windows-1250
};

// The file's lines as the plugin reads them: CR, LF and CR LF each end a line (so LF CR
// is two breaks), a zero byte ends the text.
std::vector<std::string> SplitFileLines(std::string_view bytes);

// The lines the plugin keeps: blanks trimmed, "//" comments outside single quotes cut,
// empty lines dropped.
std::vector<ScriptLine> PrepareScript(std::string_view bytes);

// Spaces and tabs off both ends.
std::string_view TrimBlanks(std::string_view text);

// Upper case by the Windows-1250 letter pairs, Polish letters included.
std::string UpperCp1250(std::string_view text);

// A command line cut at its first space or tab: the upper-cased keyword and the rest,
// both trimmed.
struct KeywordSplit {
  std::string Keyword;
  std::string Rest;
};
KeywordSplit SplitKeyword(std::string_view line);

// Parameters split at commas outside single quotes, each trimmed; a trailing comma adds
// no parameter.
std::vector<std::string> SplitParameters(std::string_view text);

// An IF condition cut at its first operator outside single quotes; Operator is empty
// when there is none.
struct ConditionSplit {
  std::string Left;
  std::string Operator;
  std::string Right;
};
ConditionSplit SplitCondition(std::string_view text);

}  // namespace kwsim
