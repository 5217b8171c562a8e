// The spam list checks, on each rule line as the engine reads it: its own split into
// words and alternatives (DelimitedSplit, ParseSpamRule), folded as a check folds them.
// Whether a double quote was left open is asked of the same reader: a word added after
// the line is swallowed by an open quote and stands alone after a closed one.
#include <algorithm>

#include "check/checker.h"
#include "check/report.h"
#include "check/source.h"
#include "script/spam.h"
#include "script/spam_matcher.h"
#include "script/text.h"
#include "support/casing.h"

namespace kwcheck {
namespace {

constexpr std::string_view kProbe = "KWCHECKPROBE";

// Whether the reader leaves a double quote open to the end of the text.
bool OpenQuote(std::string_view text, char delimiter) {
  std::string probed(text);
  probed += delimiter == ' ' ? " " : "|";
  probed += kProbe;
  const std::vector<std::string> items = kw::DelimitedSplit(probed, delimiter);
  return items.empty() || items.back() != kProbe;
}

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

class TSpamChecker {
 public:
  explicit TSpamChecker(TReport& report) : report_(report) {}

  void Rule(const TSourceLine& line) {
    const std::string_view rule = line.Text;
    const kw::TSpamRule parsed = kw::ParseSpamRule(rule);
    if (parsed.empty()) {
      report_.Add(line, 404, TMessage::MatchesEverything);
      return;
    }
    if (OpenQuote(rule, ' ')) {
      report_.Add(line, 401, TMessage::SpamOpenQuote);
      return;
    }
    const std::vector<std::string> words = kw::DelimitedSplit(rule, ' ');
    for (std::size_t w = 0; w < words.size() && w < parsed.size(); ++w)
      if (Word(line, words[w], parsed[w], words.size())) return;
  }

 private:
  // One word as written and as parsed; true when it was reported.
  bool Word(const TSourceLine& line, const std::string& word, const std::vector<std::string>& alternatives,
            std::size_t wordCount) {
    const std::string_view rule = line.Text;
    const std::size_t at = std::min(rule.find(word), rule.size());
    const std::size_t filled = static_cast<std::size_t>(
        std::count_if(alternatives.begin(), alternatives.end(), [](const std::string& a) { return !a.empty(); }));
    if (filled == 0) {
      TFinding& f = report_.Add(line, 403, TMessage::NeverMatches, {{"word", Utf8(word)}}, at, word.size());
      if (!word.empty() && word.find_first_not_of('|') == std::string::npos) {
        const std::string meant = WithoutBlanksAroundBars(rule);
        f.Message = TMessage::NeverMatchesBlankBars;
        f.Fields.push_back({"meant", Utf8(meant)});
        f.Column = static_cast<int>(line.Offset) + 1;
        f.EndColumn = f.Column + static_cast<int>(rule.size());
        TReport::Fix(f, meant, TMessage::FixJoinAlternatives);
      }
      return true;
    }
    // A quoted word with blanks: the blanks part alternatives as bars do.
    const auto bars = static_cast<std::size_t>(std::count(word.begin(), word.end(), '|'));
    if (word.find_first_of(" \t") != std::string::npos && alternatives.size() > bars + 1) {
      const std::size_t quote = rule.rfind('"', at);
      const std::size_t from = quote == std::string_view::npos ? at : quote;
      const std::size_t end = rule.find('"', at + word.size());
      const std::size_t count = (end == std::string_view::npos ? rule.size() : end + 1) - from;
      TFinding& f = report_.Add(line, 405, TMessage::QuotedPhrase, {{"word", Utf8(word)}}, from, count);
      if (word.find_first_of("\"|") == std::string::npos)
        TReport::Fix(f, "\"\"\"" + word + "\"\"\"", TMessage::FixMatchPhrase);
      return true;
    }
    if (filled < alternatives.size()) {
      report_.Add(line, 402, TMessage::EmptyAlternative, {{"word", Utf8(word)}}, at, word.size());
      return true;
    }
    if (word.find(',') != std::string::npos) {
      std::string meant = word;
      std::replace(meant.begin(), meant.end(), ',', '|');
      TFinding& f = report_.Add(line, 406, TMessage::CommaInRule, {{"word", Utf8(word)}}, at, word.size());
      TReport::Fix(f, meant, TMessage::FixBarsForCommas);
      return true;
    }
    if (word.find_first_of("*?") != std::string::npos) {
      std::string meant;
      for (char c : word)
        if (c != '*' && c != '?') meant += c;
      TFinding& f = report_.Add(line, 407, TMessage::Wildcard, {{"word", Utf8(word)}}, at, word.size());
      if (!meant.empty()) TReport::Fix(f, meant, TMessage::FixDropWildcard);
      return true;
    }
    const std::string upper = kw::UpperCase(word);
    if ((upper == "OR" || upper == "AND") && wordCount > 1) {
      TFinding& f = report_.Add(line, 408, TMessage::OrWord, {{"word", Utf8(word)}}, at, word.size());
      if (upper == "OR") OrFix(f, line);
      return true;
    }
    return false;
  }

  // "a OR b" as "a|b", when the OR stands between two single words.
  static void OrFix(TFinding& f, const TSourceLine& line) {
    const std::vector<std::string> words = kw::DelimitedSplit(line.Text, ' ');
    if (words.size() != 3 || kw::UpperCase(words[1]) != "OR") return;
    f.Column = static_cast<int>(line.Offset) + 1;
    f.EndColumn = f.Column + static_cast<int>(line.Text.size());
    TReport::Fix(f, words[0] + "|" + words[2], TMessage::FixJoinWithBar);
  }

  TReport& report_;
};

}  // namespace

std::vector<TFinding> CheckSpamList(std::string_view bytes) {
  TSource source;
  source.SpamList = true;
  source.FileLines = SplitLines(bytes, source.ZeroByteLine);
  source.Utf8Line = Utf8FirstLine(bytes);
  TReport report(source);
  ReportFileFindings(source, report);
  TSpamChecker checker(report);
  for (std::size_t i = 0; i < source.FileLines.size(); ++i) {
    const std::string& raw = source.FileLines[i];
    const std::string rule = kw::TrimBlanks(raw);
    if (rule.empty() || rule[0] == ';') continue;
    TSourceLine line;
    line.FileLine = static_cast<int>(i + 1);
    line.Text = rule;
    line.Offset = raw.find(rule);
    checker.Rule(line);
  }
  return report.Take();
}

}  // namespace kwcheck
