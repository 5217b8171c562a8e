// The spam test: rule lines of words, each word a list of alternatives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/spam_list.h"  // TSpamList

namespace kw {

void LoadSpamList();                        // from SpamListPath into SpamList
bool IsSpam(std::string_view text);
void ReleaseSpamMatcher();                 // at unload: the compiled rules' memory
std::string FoldPolishLetters(std::string_view text);
std::vector<std::string> DelimitedSplit(std::string_view text, char delimiter);

}  // namespace kw
