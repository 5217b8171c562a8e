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
// The plugin's splitting rule is written out again below (the simulator links none of
// the plugin), with what the checks need on top: whether a quoted item was closed.
#include "tools/sim/checker.h"

#include <algorithm>

#include "tools/sim/checker_names.h"
#include "tools/sim/script_lines.h"

namespace kwsim {
namespace {

constexpr char kQuote = '"';

struct Item {
  std::string Text;
  bool Unclosed = false;  // a double quote opened it and none closed it
};

bool IsBlankOrControl(char c) {  // codes 1 to 32
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

// The plugin's split into words (delimiter blank) or alternatives (delimiter "|"):
// blanks and control characters separate items, a double-quoted item runs to the
// quote that no second quote follows ("" inside stands for one quote) or else to the
// end of the text, and a delimiter at the very end adds an empty item.
std::vector<Item> Split(std::string_view text, char delimiter) {
  std::vector<Item> items;
  std::size_t pos = 0;
  auto skipBlanks = [&] {
    while (pos < text.size() && IsBlankOrControl(text[pos])) ++pos;
  };
  skipBlanks();
  while (pos < text.size()) {
    Item item;
    if (text[pos] == kQuote) {
      item.Unclosed = true;
      for (++pos; pos < text.size();) {
        const char c = text[pos++];
        if (c != kQuote) {
          item.Text += c;
        } else if (pos < text.size() && text[pos] == kQuote) {
          item.Text += kQuote;
          ++pos;
        } else {
          item.Unclosed = false;
          break;
        }
      }
    } else {
      const std::size_t start = pos;
      while (pos < text.size() && static_cast<unsigned char>(text[pos]) > 32 && text[pos] != delimiter) ++pos;
      item.Text = std::string(text.substr(start, pos - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (pos < text.size() && text[pos] == delimiter) {
      if (pos + 1 == text.size()) items.emplace_back();
      ++pos;
      skipBlanks();
    }
  }
  return items;
}

// The file's lines with their 1-based numbers: CR, LF and CR LF end a line, and a zero
// byte ends only its own line.
std::vector<std::pair<int, std::string>> SpamFileLines(std::string_view bytes) {
  std::vector<std::pair<int, std::string>> lines;
  std::size_t start = 0;
  int number = 1;
  while (start < bytes.size()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
    const std::string_view line = bytes.substr(start, end - start);
    lines.emplace_back(number++, std::string(line.substr(0, line.find('\0'))));
    if (end == bytes.size()) break;
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
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

void CheckRule(int line, std::string_view rule, std::vector<Finding>& found) {
  const std::vector<Item> words = Split(rule, ' ');
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
  for (const Item& word : words) {
    unclosed = unclosed || word.Unclosed;
    const std::vector<Item> alternatives = Split(TrimBlanks(word.Text), '|');
    std::size_t filled = 0;
    for (const Item& a : alternatives) {
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
