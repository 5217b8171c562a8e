// The spam list stage (4xx), on each rule line as the engine reads it: its own split into
// words and alternatives (DelimitedSplit, ParseSpamRule), folded as a check folds them.
// Whether a double quote was left open is asked of the same reader: a word added after
// the line is swallowed by an open quote and stands alone after a closed one.
//   401 spam-open-quote     402 empty-alternative    403 never-matches
//   404 matches-everything  405 quoted-phrase        406 comma-in-rule
//   407 wildcard            408 or-word              409 slash-or-semicolon
//   410 parentheses         411 single-quotes        412 slash-comment
//   413 smiley-comment
// Lists written for other tools: their separators, groups, quotes and comments are all
// plain characters here. A comma, a slash, a star inside a word can be meant (a price,
// "sprzedam/zamienię"), so those are notes and never get a fix, which would widen the
// rule; a fix is offered only where the written rule cannot be what was meant.
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

// ---- The messages, each whole in one place.



// ---- Reading a rule line.

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

bool IsLetter(char c) { return kw::UpperChar(c) != kw::LowerChar(c); }
bool IsBlank(char c) { return c >= 1 && c <= 32; }

// A word of the line as written: where it stands and its text (no double quotes in it:
// the line's quoted words are the reader's, told apart by 401 and 405).
struct TWordSpan {
  std::size_t At = 0;
  std::string_view Text;
};

std::vector<TWordSpan> WordSpans(std::string_view rule) {
  std::vector<TWordSpan> words;
  for (std::size_t i = 0; i < rule.size();) {
    if (IsBlank(rule[i]) || rule[i] == '\0') {
      ++i;
      continue;
    }
    const std::size_t at = i;
    while (i < rule.size() && !IsBlank(rule[i]) && rule[i] != '\0') ++i;
    words.push_back({at, rule.substr(at, i - at)});
  }
  return words;
}

// A group a list of another tool wraps in open and close ('(' and ')', or quotes): a
// word that starts with open and a letter, up to the first word (the same or a later
// one) that ends with a letter and close. {first, last} word indexes; first == npos when
// there is none. Smileys (":(", ";)") and apostrophes inside words are no such group.
std::pair<std::size_t, std::size_t> Group(const std::vector<TWordSpan>& words, char open, char close) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string_view w = words[i].Text;
    if (w.size() < 2 || w[0] != open || !IsLetter(w[1])) continue;
    for (std::size_t j = i; j < words.size(); ++j) {
      const std::string_view e = words[j].Text;
      const std::size_t min = j == i ? 3 : 2;
      if (e.size() >= min && e.back() == close && IsLetter(e[e.size() - 2])) return {i, j};
    }
    return {std::string_view::npos, 0};
  }
  return {std::string_view::npos, 0};
}

// ";)", ";-)", ";P", ";D", ";*", ";]" at the start of a line, alone or before a blank.
std::size_t SmileyLength(std::string_view line) {
  if (line.empty() || line[0] != ';') return 0;
  std::size_t i = 1;
  if (i < line.size() && (line[i] == '-' || line[i] == '\'')) ++i;
  if (i >= line.size() || std::string_view(")(PpDd*][><").find(line[i]) == std::string_view::npos) return 0;
  ++i;
  return i == line.size() || IsBlank(line[i]) ? i : 0;
}

class TSpamChecker {
 public:
  explicit TSpamChecker(TReport& report) : report_(report) {}

  // A ";" line that is a rule silenced by its own smiley.
  void Comment(const TSourceLine& line) {
    const std::size_t smiley = SmileyLength(line.Text);
    if (smiley == 0) return;
    const std::string face = line.Text.substr(0, smiley);
    const std::string meant = "\"" + face + "\"";
    TFinding& f = report_.Add(line, 413,
                              TMessage::SmileyComment, {{"rule", Quoted(line.Text)}, {"smiley", Quoted(face)},
                                                      {"meant", Quoted(meant + line.Text.substr(smiley))}},
                              0, smiley);
    TReport::Fix(f, meant, TMessage::FixSmiley);
  }

  void Rule(const TSourceLine& line) {
    const std::string_view rule = line.Text;
    const kw::TSpamRule parsed = kw::ParseSpamRule(rule);
    if (parsed.empty()) {
      report_.Add(line, 404, TMessage::MatchesEverything);
      return;
    }
    if (OpenQuote(rule, ' ')) {
      report_.Add(line, 401, TMessage::OpenQuote);
      return;
    }
    std::vector<TWordSpan> spans = WordSpans(rule);
    std::vector<bool> done(spans.size(), false);
    SlashComment(line, spans, done);
    Wrapped(line, spans, done, '\'', '\'');
    Wrapped(line, spans, done, '(', ')');
    const std::vector<std::string> words = kw::DelimitedSplit(rule, ' ');
    for (std::size_t w = 0; w < words.size() && w < parsed.size(); ++w) {
      // The reader's word w is the written word w unless a double quote joined words.
      const std::size_t at = std::min(rule.find(words[w]), rule.size());
      const auto span = std::find_if(spans.begin(), spans.end(), [&](const TWordSpan& s) { return s.At == at; });
      if (span != spans.end() && done[static_cast<std::size_t>(span - spans.begin())]) continue;
      if (Word(line, words[w], at, parsed[w], words.size())) return;
    }
  }

 private:
  // 412: a "//" word with words after it.
  void SlashComment(const TSourceLine& line, const std::vector<TWordSpan>& spans, std::vector<bool>& done) {
    for (std::size_t i = 0; i + 1 < spans.size(); ++i) {
      if (spans[i].Text != "//") continue;
      const std::string_view rule = line.Text;
      const std::string_view comment = rule.substr(spans[i + 1].At);
      TFinding& f = report_.Add(line, 412, TMessage::SlashComment, {{"comment", Quoted(comment)}}, spans[i].At);
      if (i == 0) {
        f.EndColumn = f.Column + 2;
        TReport::Fix(f, ";", TMessage::FixCommentLine);
      } else {
        // The span runs from the blank after the rule's last word to the line's end.
        const std::size_t from = spans[i - 1].At + spans[i - 1].Text.size();
        f.Column = static_cast<int>(line.Offset + from) + 1;
        f.EndColumn = static_cast<int>(line.Offset + rule.size()) + 1;
        TReport::Fix(f, "", TMessage::FixComment);
      }
      std::fill(done.begin() + static_cast<long>(i), done.end(), true);
      return;
    }
  }

  // 410 and 411: a group in parentheses or single quotes.
  void Wrapped(const TSourceLine& line, const std::vector<TWordSpan>& spans, std::vector<bool>& done, char open,
               char close) {
    const auto [first, last] = Group(spans, open, close);
    if (first == std::string_view::npos || done[first]) return;
    const std::string_view rule = line.Text;
    const std::size_t end = spans[last].At + spans[last].Text.size();
    const std::string_view group = rule.substr(spans[first].At, end - spans[first].At);
    const std::string_view inner = group.substr(1, group.size() - 2);
    const bool oneWord = first == last;
    std::string meant(inner);
    if (!oneWord) meant = "\"\"\"" + meant + "\"\"\"";
    const bool exact = inner.find('"') == std::string_view::npos && (oneWord || inner.find('|') == std::string_view::npos);
    TFinding* f = nullptr;
    if (open == '(')
      f = &report_.Add(line, 410,
                       oneWord ? TMessage::Parentheses : TMessage::ParenthesesWords,
                       {{"group", Quoted(group)}, {"meant", Quoted(meant)}},
                       spans[first].At, group.size());
    else
      f = &report_.Add(line, 411, TMessage::SingleQuotes, {{"group", Quoted(group)}, {"meant", Quoted(meant)}},
                       spans[first].At, group.size());
    // Parentheses around words leave open whether a phrase or the words were meant.
    if (exact && (open == '\'' || oneWord)) TReport::Fix(*f, meant, open == '(' ? TMessage::FixGroup : TMessage::FixQuotes);
    for (std::size_t i = first; i <= last; ++i) done[i] = true;
  }

  // One word as written and as parsed; true when the line needs no further look (its fix
  // rewrites the whole line).
  bool Word(const TSourceLine& line, const std::string& word, std::size_t at,
            const std::vector<std::string>& alternatives, std::size_t wordCount) {
    const std::string_view rule = line.Text;
    const std::size_t filled = static_cast<std::size_t>(
        std::count_if(alternatives.begin(), alternatives.end(), [](const std::string& a) { return !a.empty(); }));
    if (filled == 0) {
      if (word.empty() || word.find_first_not_of('|') != std::string::npos) {
        report_.Add(line, 403, TMessage::NeverMatches, {{"word", Quoted(word)}}, at, word.size());
        return false;
      }
      const std::string meant = WithoutBlanksAroundBars(rule);
      TFinding& f = report_.Add(line, 403, TMessage::BlanksAroundBars, {{"word", Quoted(word)}, {"meant", Quoted(meant)}});
      TReport::Fix(f, meant, TMessage::FixJoin);
      return true;
    }
    // A quoted word with blanks: the blanks part alternatives as bars do.
    const auto bars = static_cast<std::size_t>(std::count(word.begin(), word.end(), '|'));
    if (word.find_first_of(" \t") != std::string::npos && alternatives.size() > bars + 1) {
      const std::size_t quote = rule.rfind('"', at);
      const std::size_t from = quote == std::string_view::npos ? at : quote;
      const std::size_t end = rule.find('"', at + word.size());
      const std::size_t count = (end == std::string_view::npos ? rule.size() : end + 1) - from;
      const std::string meant = "\"\"\"" + word + "\"\"\"";
      TFinding& f =
          report_.Add(line, 405, TMessage::QuotedPhrase, {{"word", Quoted(word)}, {"meant", Quoted(meant)}}, from, count);
      if (word.find_first_of("\"|") == std::string::npos) TReport::Fix(f, meant, TMessage::FixPhrase);
      return false;
    }
    if (filled < alternatives.size()) {
      report_.Add(line, 402, TMessage::EmptyAlternative, {{"word", Quoted(word)}}, at, word.size());
      return false;
    }
    if (word.find(',') != std::string::npos) {
      report_.Add(line, 406, TMessage::Comma, {{"word", Quoted(word)}, {"meant", Quoted(Replaced(word, ','))}}, at,
                  word.size());
      return false;
    }
    for (const char separator : {'/', ';'}) {
      if (!SeparatesLetters(word, separator)) continue;
      report_.Add(line, 409,
                  TMessage::SlashOrSemicolon, {{"word", Quoted(word)},
                                             {"separator", separator == '/' ? "'/'" : "';'"},
                                             {"meant", Quoted(Replaced(word, separator))}},
                  at, word.size());
      return false;
    }
    if (word.find_first_of("*?") != std::string::npos) {
      report_.Add(line, 407, TMessage::Wildcard, {{"word", Quoted(word)}}, at, word.size());
      return false;
    }
    const std::string upper = kw::UpperCase(word);
    if (IsJoiningWord(upper) && wordCount > 1) {
      TFinding& f = report_.Add(line, 408, TMessage::OrWord, {{"word", Quoted(word)}}, at, word.size());
      if (upper != "AND" && upper != "ORAZ") OrFix(f, line);
      return false;
    }
    return false;
  }

  static bool IsJoiningWord(std::string_view upper) {
    return upper == "OR" || upper == "AND" || upper == "LUB" || upper == "ALBO" || upper == "ORAZ";
  }

  // Whether the separator stands between two words of two letters or more somewhere in
  // the word ("kup/sprzedam"; not "km/h", "24/7", "http://").
  static bool SeparatesLetters(std::string_view word, char separator) {
    const auto letters = [&](std::size_t from, int step) {
      int n = 0;
      for (auto i = static_cast<long>(from); i >= 0 && i < static_cast<long>(word.size()) &&
                                             IsLetter(word[static_cast<std::size_t>(i)]);
           i += step)
        ++n;
      return n;
    };
    for (std::size_t i = 1; i + 1 < word.size(); ++i)
      if (word[i] == separator && letters(i - 1, -1) >= 2 && letters(i + 1, 1) >= 2) return true;
    return false;
  }

  static std::string Replaced(std::string_view word, char separator) {
    std::string meant(word);
    std::replace(meant.begin(), meant.end(), separator, '|');
    return meant;
  }

  // "a OR b" as "a|b", when the joining word stands between two single words.
  static void OrFix(TFinding& f, const TSourceLine& line) {
    const std::vector<std::string> words = kw::DelimitedSplit(line.Text, ' ');
    if (words.size() != 3 || words[0].find('"') != std::string::npos || words[2].find('"') != std::string::npos) return;
    const std::string joining = kw::UpperCase(words[1]);
    if (joining != "OR" && joining != "LUB" && joining != "ALBO") return;
    f.Column = static_cast<int>(line.Offset) + 1;
    f.EndColumn = f.Column + static_cast<int>(line.Text.size());
    TReport::Fix(f, words[0] + "|" + words[2], TMessage::FixOr);
  }

  TReport& report_;
};

}  // namespace

std::vector<TFinding> CheckSpamList(std::string_view bytes) {
  const TSource source = ReadSpamList(bytes);
  TReport report(source);
  ReportFileFindings(source, report);
  TSpamChecker checker(report);
  for (std::size_t i = 0; i < source.FileLines.size(); ++i) {
    const std::string& raw = source.FileLines[i];
    const std::string rule = kw::TrimBlanks(raw);
    if (rule.empty()) continue;
    TSourceLine line;
    line.FileLine = static_cast<int>(i + 1);
    line.Text = rule;
    line.Offset = raw.find(rule);
    if (rule[0] == ';') checker.Comment(line);
    else checker.Rule(line);
  }
  return report.Take();
}

}  // namespace kwcheck
