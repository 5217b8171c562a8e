// The benchmarks' inputs, made deterministically: the scripts (a counting loop, a text
// loop, ten thousand variables, a realistic message filter), spam lists of realistic
// rules, and message texts that no rule of those lists matches.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "script/loader.h"

namespace kwbench {

// Prepared lines (trimmed, comments gone) from script text.
kw::TScriptLines Lines(const std::string& text);

constexpr long kLoopCount = 1'000'000;           // the loop's upper bound
constexpr long kLoopLines = 4 * kLoopCount + 1;  // lines a loop run executes
constexpr int kTextRounds = 10'000;              // rounds of the text loop
constexpr int kVariableCount = 10'000;

kw::TScriptLines LoopScript(long count = kLoopCount);   // ADD, IF, GOTO up to count
// STRCOPY, STRUP, STRPOS, STREXT, STRCON on a 200-character text, `rounds` times.
kw::TScriptLines TextScript(int rounds = kTextRounds);
// Writes `count` distinct variables, then reads each into a sum.
kw::TScriptLines VarsScript(int count = kVariableCount);
kw::TScriptLines FilterScript();  // about 150 lines, about 40 variables, CHKSPAM
// Script file text of about `lines` lines (the filter's body repeated, labels renamed).
std::string ScriptFileText(std::size_t lines);

// `count` rule lines of one to three words with one to three alternatives each: spam
// words (Polish letters, quoted phrases) and made-up words; none matches MessageText.
std::vector<std::string> SpamRules(std::size_t count);
// Spam list file text of `count` rules.
std::string SpamFileText(std::size_t count);
// A chatty Polish message of exactly `bytes` bytes (Windows-1250).
std::string MessageText(std::size_t bytes);

}  // namespace kwbench
