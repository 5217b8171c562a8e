// The spam test. SpamList keeps the rule lines as the user wrote them; a check folds
// case and the Polish letters' marks on both sides and matches plain substrings, so
// "zażółć" in the list catches "ZAZOLC" in a message. The rules are compiled once per
// change of the list (spam_matcher.h), so a check costs the text, not the list; the
// answer is the one of folding, splitting and matching every line at every check.
#include "script/spam.h"

#include <cstdint>
#include <utility>

#include "script/spam_matcher.h"
#include "script/text.h"

namespace kw {

TSpamList SpamList;

namespace {

constexpr char kQuote = '"';

bool IsBlankOrControl(char c) {  // codes 1 to 32
  auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

// Codes 0 to 32 end an unquoted item; a zero byte never occurs here (cut off before).
bool EndsItem(char c, char delimiter) {
  return static_cast<unsigned char>(c) <= 32 || c == delimiter;
}

// Reads a double-quoted item starting at text[pos] (the opening quote) and leaves pos
// after the closing quote. A doubled quote inside stands for one quote. Without a
// closing quote the item is the whole rest of the text: nothing the user wrote is
// dropped (cutting its last character off would lose a letter of the phrase).
std::string ReadQuotedItem(std::string_view text, std::size_t& pos) {
  std::string item;
  ++pos;
  while (pos < text.size()) {
    char c = text[pos++];
    if (c != kQuote) {
      item += c;
    } else if (pos < text.size() && text[pos] == kQuote) {
      item += kQuote;
      ++pos;
    } else {
      return item;
    }
  }
  return item;
}

// The matcher compiled from SpamList, rebuilt when the list's version moves on. A list
// that could not be compiled (memory) is checked rule by rule instead, without another
// attempt until the list changes.
struct TCompiledList {
  TSpamMatcher Matcher;          // built from the lines of SpamList at Version
  std::uint64_t Version = 0;     // SpamList.Version() the matcher (or the failure) is for
  bool Failed = false;           // building failed for that version
};

TCompiledList& Compiled() {
  static TCompiledList compiled;
  return compiled;
}

// The matcher for the current SpamList, or null when it cannot be built.
const TSpamMatcher* CurrentMatcher() {
  TCompiledList& c = Compiled();
  if (c.Version != SpamList.Version()) {
    c.Version = SpamList.Version();
    c.Failed = false;
    try {
      c.Matcher.Compile(SpamList.Lines());
    } catch (...) {
      c.Failed = true;
    }
  }
  return c.Failed ? nullptr : &c.Matcher;
}

bool CheckEveryRule(std::string_view text) {
  const std::string folded = FoldPolishLetters(text);
  for (const std::string& line : SpamList)
    if (SpamRuleMatches(ParseSpamRule(line), folded)) return true;
  return false;
}

}  // namespace

// A zero byte ends only its own line's rule (SplitFileLines drops the rest of that
// line): one stray byte must not silently disarm every rule after it, and the options
// page's spam editor shows the list the same way.
std::vector<std::string> SpamRulesFromText(std::string_view text) {
  std::vector<std::string> rules;
  for (const std::string& line : SplitFileLines(text)) {
    std::string trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed[0] == ';') continue;
    rules.push_back(std::move(trimmed));
  }
  return rules;
}

// A list that cannot be compiled is checked rule by rule.
void CompileSpamMatcher() { CurrentMatcher(); }

namespace {

// The last text folded: an immutable text, kept so that it cannot change or be freed
// (and its address reused) while its folded form is kept; or, for a text that is not
// such, nothing.
struct TFolded {
  std::shared_ptr<const std::string> From;
  std::string Text;  // reused from check to check
};

TFolded& LastFolded() {
  static TFolded folded;
  return folded;
}

bool MatchesFolded(const TSpamMatcher& matcher, std::string_view text, const std::shared_ptr<const std::string>& from) {
  TFolded& last = LastFolded();
  if (!from || from != last.From) {
    last.From.reset();
    FoldText(text, last.Text);
    last.From = from;
  }
  return matcher.MatchesFolded(last.Text);
}

}  // namespace

bool IsSpam(std::string_view text) {
  try {
    if (const TSpamMatcher* matcher = CurrentMatcher()) return MatchesFolded(*matcher, text, nullptr);
    return CheckEveryRule(text);
  } catch (...) {
    return false;
  }
}

bool IsSpam(const std::shared_ptr<const std::string>& text) {
  try {
    if (const TSpamMatcher* matcher = CurrentMatcher()) return MatchesFolded(*matcher, *text, text);
    return CheckEveryRule(*text);
  } catch (...) {
    return false;
  }
}

std::string FoldPolishLetters(std::string_view text) {
  std::string folded;
  FoldText(text, folded);
  return folded;
}

std::vector<std::string> DelimitedSplit(std::string_view text, char delimiter) {
  // A zero byte ends the text, as it ends a host's C string; it would otherwise be an
  // item boundary that no step skips.
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> items;
  std::size_t pos = 0;
  auto skipBlanks = [&] {
    while (pos < text.size() && IsBlankOrControl(text[pos])) ++pos;
  };
  skipBlanks();
  while (pos < text.size()) {
    if (text[pos] == kQuote) {
      items.push_back(ReadQuotedItem(text, pos));
    } else {
      std::size_t start = pos;
      while (pos < text.size() && !EndsItem(text[pos], delimiter)) ++pos;
      items.emplace_back(text.substr(start, pos - start));
    }
    skipBlanks();
    if (pos < text.size() && text[pos] == delimiter) {
      if (pos + 1 == text.size()) items.emplace_back();
      ++pos;
      skipBlanks();
    }
  }
  return items;
}

// Gives the compiled matcher's memory back; the next check compiles the list anew.
void ReleaseSpamMatcher() {
  TCompiledList& c = Compiled();
  c.Matcher = TSpamMatcher{};
  c.Failed = false;
  c.Version = ~SpamList.Version();  // differs from the list's, so it is never taken as current
  LastFolded() = TFolded{};
}

}  // namespace kw
