// The spam test. SpamList keeps the rule lines as the user wrote them; every check folds
// case and the Polish letters' marks on both sides and matches plain substrings, so
// "zażółć" in the list catches "ZAZOLC" in a message. A rule is parsed into words and
// their alternatives by ParseRule and matched by RuleMatches: the one place to swap in
// a precompiled matcher later without touching the observable result.
#include "script/spam.h"

#include <array>
#include <utility>

#include "host/globals.h"
#include "script/text.h"
#include "support/casing.h"
#include "support/platform.h"

namespace kw {
namespace {

// A rule line, parsed: each word is the list of its alternatives, in written order.
using TSpamRule = std::vector<std::vector<std::string>>;

constexpr char kQuote = '"';

constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> t{};
  for (unsigned i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  t[0x8C] = 'S';  // Ś
  t[0x8F] = 'Z';  // Ź
  t[0xA3] = 'L';  // Ł
  t[0xA5] = 'A';  // Ą
  t[0xAF] = 'Z';  // Ż
  t[0xC6] = 'C';  // Ć
  t[0xCA] = 'E';  // Ę
  t[0xD1] = 'N';  // Ń
  t[0xD3] = 'O';  // Ó
  return t;
}
constexpr std::array<unsigned char, 256> kFoldTable = MakeFoldTable();

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

// Lines end at CR, LF or CR LF; a zero byte ends the text, as in the options page's
// editor, so the list checked is the list the user sees.
std::vector<std::string> SplitSpamFileLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

// A folded rule line into words, each word into its alternatives.
TSpamRule ParseRule(std::string_view foldedLine) {
  TSpamRule rule;
  for (const std::string& word : DelimitedSplit(foldedLine, ' '))
    rule.push_back(DelimitedSplit(TrimBlanks(word), '|'));
  return rule;
}

// Every word needs one non-empty alternative that occurs in the folded text.
bool RuleMatches(const TSpamRule& rule, std::string_view foldedText) {
  for (const auto& alternatives : rule) {
    bool found = false;
    for (const std::string& alternative : alternatives) {
      if (!alternative.empty() && foldedText.find(alternative) != std::string_view::npos) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

}  // namespace

void LoadSpamList() {
  try {
    SpamList.clear();
    if (!FileExists(SpamListPath)) return;
    std::string contents;
    // A file that is there but cannot be read counts as absent: the list stays empty.
    if (!ReadWholeFile(SpamListPath, contents)) return;
    TSpamList lines;
    for (const std::string& line : SplitSpamFileLines(contents)) {
      std::string trimmed = TrimBlanks(line);
      if (trimmed.empty() || trimmed[0] == ';') continue;
      lines.push_back(std::move(trimmed));
    }
    SpamList = std::move(lines);
  } catch (...) {
    SpamList.clear();  // out of memory: no rules rather than half of them
  }
}

bool IsSpam(std::string_view text) {
  try {
    const std::string folded = FoldPolishLetters(text);
    for (const std::string& line : SpamList)
      if (RuleMatches(ParseRule(FoldPolishLetters(line)), folded)) return true;
    return false;
  } catch (...) {
    return false;
  }
}

std::string FoldPolishLetters(std::string_view text) {
  std::string s = UpperCase(text);
  for (char& c : s) c = static_cast<char>(kFoldTable[static_cast<unsigned char>(c)]);
  return s;
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

}  // namespace kw
