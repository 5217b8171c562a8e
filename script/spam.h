// The spam test: rule lines of words, each word a list of alternatives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/spam_list.h"  // TSpamList

namespace kw {

void LoadSpamList();                        // from SpamListPath into SpamList
bool IsSpam(std::string_view text);
std::string FoldPolishLetters(std::string_view text);
std::vector<std::string> DelimitedSplit(std::string_view text, char delimiter);

}  // namespace kw
