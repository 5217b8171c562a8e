// The spam list checks, on the rule lines as the plugin keeps them:
//   unbalanced-quotes   a double quote that no quote closes: it takes the rest of the
//                       line into its word
//   empty-alternative   a "|" at a word's start or end, two in a row, or "" between
//                       bars: that alternative never matches (the others still do)
//   never-matches       a word without an alternative that is not empty ("|", "", the
//                       bar of "kup | sprzedaj"): its rule can never match
//   matches-everything  a rule line that yields no words (only control characters): it
//                       matches every text, the empty one included
//   encoding            the file is UTF-8, while the plugin reads Windows-1250
// The plugin's splitting rule is restated in spam_rules.cpp (the simulator links none
// of the plugin), with what the checks need on top: whether a quoted item was closed.
#include "tools/sim/checker.h"

#include <algorithm>

#include "tools/sim/checker_names.h"
#include "tools/sim/script_lines.h"
#include "tools/sim/spam_rules.h"

namespace kwsim {
namespace {

// The rule as it was probably meant: "kup | sprzedaj" as "kup|sprzedaj".
std::string WithoutBlanksAroundBars(std::string_view rule) {
  std::string out;
  for (std::size_t i = 0; i < rule.size(); ++i) {
    if (rule[i] == ' ' || rule[i] == '\t') {
      const std::size_t next = rule.find_first_not_of(" \t", i);
      if ((next != std::string_view::npos && rule[next] == '|') || (!out.empty() && out.back() == '|')) {
        i = (next == std::string_view::npos ? rule.size() : next) - 1;
        continue;
      }
    }
    out += rule[i];
  }
  return out;
}

void CheckRule(int line, std::string_view rule, std::vector<Finding>& found) {
  const std::vector<SpamItem> words = SplitSpamItems(rule, ' ');
  if (words.empty()) {
    found.push_back({line, "matches-everything",
                     "the line holds only control characters, so it is a rule without words, and "
                     "such a rule matches every text, the empty one included; delete the line",
                     {}});
    return;
  }
  bool unclosed = false;
  bool neverReported = false;
  bool emptyReported = false;
  for (const SpamItem& word : words) {
    unclosed = unclosed || word.Unclosed;
    const std::vector<SpamItem> alternatives = SplitSpamItems(TrimBlanks(word.Text), '|');
    std::size_t filled = 0;
    for (const SpamItem& a : alternatives) {
      unclosed = unclosed || a.Unclosed;
      if (!a.Text.empty()) ++filled;
    }
    if (filled == 0 && !neverReported) {
      neverReported = true;
      std::string message = "the word " + Quoted(word.Text) +
                            " has no alternative that is not empty, so this rule never matches";
      if (!word.Text.empty() && word.Text.find_first_not_of('|') == std::string::npos)
        message += "; blanks around | make it a word of its own: write " + Quoted(WithoutBlanksAroundBars(rule));
      found.push_back({line, "never-matches", message, {}});
    } else if (filled > 0 && filled < alternatives.size() && !emptyReported) {
      emptyReported = true;
      found.push_back({line, "empty-alternative",
                       "the word " + Quoted(word.Text) +
                           " has an empty alternative (a | at its start or end, or two in a row), "
                           "which never matches; the other alternatives still do",
                       {}});
    }
  }
  if (unclosed)
    found.push_back({line, "unbalanced-quotes",
                     "a double quote that no double quote closes takes the rest of the line into "
                     "one word",
                     {}});
}

}  // namespace

std::vector<Finding> CheckSpamList(std::string_view bytes) {
  std::vector<Finding> found;
  if (const int line = Utf8FirstLine(bytes))
    found.push_back({line, "encoding",
                     "the file is UTF-8, but the plugin reads Windows-1250: rules with Polish "
                     "letters will not match (convert it with: iconv -f UTF-8 -t CP1250)",
                     {}});
  for (const auto& [number, text] : SpamFileLines(bytes)) {
    const std::string_view rule = TrimBlanks(text);
    if (rule.empty() || rule[0] == ';') continue;
    CheckRule(number, rule, found);
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Finding& a, const Finding& b) { return a.Line < b.Line; });
  return found;
}

}  // namespace kwsim
