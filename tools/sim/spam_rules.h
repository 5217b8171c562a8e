// The plugin's spam list rules, restated for the simulator (which links none of the
// plugin): how the file is cut into rule lines, how a rule splits into words and a word
// into alternatives, and the folding both sides get before an alternative is looked
// for. The checker (spam_checker.cpp) finds what is wrong with rules; the spam command
// (ExplainSpam) says what the rules make of a text. A test holds the answers to the
// module's own CHKSPAM.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/sim/events.h"

namespace kwsim {

// One word of a rule, or one alternative of a word.
struct SpamItem {
  std::string Text;
  bool Unclosed = false;  // a double quote opened it and none closed it
};

// The plugin's split into words (delimiter blank) or alternatives (delimiter "|"):
// blanks and control characters separate items, a double-quoted item runs to the quote
// that no second quote follows ("" inside stands for one quote) or else to the end of
// the text, and a delimiter at the very end adds an empty item.
std::vector<SpamItem> SplitSpamItems(std::string_view text, char delimiter);

// The file's lines with their 1-based numbers: CR, LF and CR LF end a line, and a zero
// byte ends only its own line.
std::vector<std::pair<int, std::string>> SpamFileLines(std::string_view bytes);

// Upper case by the Windows-1250 letter pairs, then the nine Polish letters without
// their marks (Ą as A, Ł as L, ...): the form both the rules and the text are matched in.
std::string FoldPolishLetters(std::string_view text);

// What the list (the file's bytes) makes of text (Windows-1250): whether it is spam,
// and each rule that matches with the alternatives of each word that occur. Texts in
// the result are UTF-8.
SpamEvent ExplainSpam(std::string_view listBytes, std::string_view text);

}  // namespace kwsim
