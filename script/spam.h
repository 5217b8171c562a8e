// The spam test: rule lines of words, each word a list of alternatives.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/spam_list.h"  // TSpamList

namespace kw {

// The rules CHKSPAM checks, the one instance of the engine's list. Its compiled matcher
// is kept beside it and follows its version.
extern TSpamList SpamList;

// The rule lines of a spam list file's text: trimmed, blank lines and ";" comments gone.
// Reading the file is the host's (host/data_files.h).
std::vector<std::string> SpamRulesFromText(std::string_view text);
bool IsSpam(std::string_view text);
// The same for an immutable text: its folded form is kept, so every check of the same
// text (a message checked by several CHKSPAM lines) folds it once.
bool IsSpam(const std::shared_ptr<const std::string>& text);
void CompileSpamMatcher();                 // now, for SpamList, rather than at the first check
void ReleaseSpamMatcher();                 // at unload: the compiled rules' memory
std::string FoldPolishLetters(std::string_view text);
std::vector<std::string> DelimitedSplit(std::string_view text, char delimiter);

}  // namespace kw
