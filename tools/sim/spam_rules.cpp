// The spam rules as the plugin applies them. A rule line is split into words at blanks
// and each word into alternatives at "|"; the rule matches when every word has an
// alternative, not empty, that occurs in the folded text, and a line that yields no
// words matches everything. Folding the line before splitting it, as the plugin does,
// gives the same items as folding each item afterwards: folding changes letters only,
// never a blank, a bar or a quote.
#include "tools/sim/spam_rules.h"

#include <algorithm>

#include "tools/sim/codec.h"
#include "tools/sim/script_lines.h"

namespace kwsim {
namespace {

constexpr char kQuote = '"';

bool IsBlankOrControl(char c) {  // codes 1 to 32
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

// The capitals that lose their marks, and what they become.
constexpr std::pair<unsigned char, char> kFolds[] = {
    {0x8C, 'S'}, {0x8F, 'Z'}, {0xA3, 'L'}, {0xA5, 'A'}, {0xAF, 'Z'},
    {0xC6, 'C'}, {0xCA, 'E'}, {0xD1, 'N'}, {0xD3, 'O'},
};

}  // namespace

std::vector<SpamItem> SplitSpamItems(std::string_view text, char delimiter) {
  std::vector<SpamItem> items;
  std::size_t pos = 0;
  auto skipBlanks = [&] {
    while (pos < text.size() && IsBlankOrControl(text[pos])) ++pos;
  };
  skipBlanks();
  while (pos < text.size()) {
    SpamItem item;
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

std::string FoldPolishLetters(std::string_view text) {
  std::string folded = UpperCp1250(text);
  for (char& c : folded)
    for (const auto& [from, to] : kFolds)
      if (static_cast<unsigned char>(c) == from) c = to;
  return folded;
}

SpamEvent ExplainSpam(std::string_view listBytes, std::string_view text) {
  SpamEvent e;
  e.Text = Cp1250ToUtf8(text);
  const std::string folded = FoldPolishLetters(text);
  e.Folded = Cp1250ToUtf8(folded);
  for (const auto& [number, line] : SpamFileLines(listBytes)) {
    const std::string_view rule = TrimBlanks(line);
    if (rule.empty() || rule[0] == ';') continue;
    ++e.Rules;
    SpamMatch match;
    match.Line = number;
    match.Rule = Cp1250ToUtf8(rule);
    bool matches = true;
    for (const SpamItem& word : SplitSpamItems(rule, ' ')) {
      SpamWordHit hit;
      hit.Word = Cp1250ToUtf8(word.Text);
      for (const SpamItem& alternative : SplitSpamItems(TrimBlanks(word.Text), '|')) {
        const std::string form = FoldPolishLetters(alternative.Text);
        if (form.empty() || folded.find(form) == std::string::npos) continue;
        hit.Hits.push_back(Cp1250ToUtf8(alternative.Text));
        hit.Folded.push_back(Cp1250ToUtf8(form));
      }
      if (hit.Hits.empty()) {
        matches = false;
        break;
      }
      match.Words.push_back(std::move(hit));
    }
    if (matches) e.Matches.push_back(std::move(match));
  }
  e.Spam = !e.Matches.empty();
  return e;
}

}  // namespace kwsim
