// A rule line is split into words at blanks and each word into alternatives at "|"; the
// rule matches when every word has an alternative, not empty, that occurs in the folded
// text. Folding the line before splitting it, as the engine does, gives the same items
// as folding each item afterwards (folding changes letters only), so the alternatives
// are shown as written.
#include "tools/sim/spam_rules.h"

#include "script/spam.h"
#include "script/text.h"
#include "tools/sim/codec.h"

namespace kwsim {

SpamEvent ExplainSpam(std::string_view listBytes, std::string_view text) {
  SpamEvent e;
  e.Text = Cp1250ToUtf8(text);
  const std::string folded = kw::FoldPolishLetters(text);
  e.Folded = Cp1250ToUtf8(folded);
  int number = 0;
  for (const std::string& line : kw::SplitFileLines(listBytes)) {
    ++number;
    const std::string rule = kw::TrimBlanks(line);
    if (rule.empty() || rule[0] == ';') continue;
    ++e.Rules;
    SpamMatch match;
    match.Line = number;
    match.Rule = Cp1250ToUtf8(rule);
    SpamMatch miss = match;
    // Every word is looked at, not only up to the first that fails: a rule that does
    // not match names all of its words that found nothing.
    for (const std::string& word : kw::DelimitedSplit(rule, ' ')) {
      SpamWordHit hit;
      hit.Word = Cp1250ToUtf8(word);
      for (const std::string& alternative : kw::DelimitedSplit(kw::TrimBlanks(word), '|')) {
        const std::string form = kw::FoldPolishLetters(alternative);
        if (form.empty() || folded.find(form) == std::string::npos) continue;
        hit.Hits.push_back(Cp1250ToUtf8(alternative));
        hit.Folded.push_back(Cp1250ToUtf8(form));
      }
      (hit.Hits.empty() ? miss : match).Words.push_back(std::move(hit));
    }
    if (miss.Words.empty()) e.Matches.push_back(std::move(match));
    else e.Misses.push_back(std::move(miss));
  }
  e.Spam = !e.Matches.empty();
  return e;
}

}  // namespace kwsim
