// The spam rules compiled into one matcher whose cost grows with the text, not with the
// number of rules. All non-empty alternatives (folded) go into one Aho-Corasick
// automaton; a scan of the text marks the alternatives that occur, each word that one of
// its alternatives satisfies, and counts the satisfied words of that word's rule; the
// first rule whose count reaches its number of words makes the text spam. A rule
// without words matches everything; a word without a non-empty alternative can never be
// satisfied, so its rule is left out. The answer equals matching every rule line in
// turn, as ParseSpamRule and SpamRuleMatches do (kept as the plain definition).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// A rule line, parsed: each word is the list of its alternatives (folded), in written
// order. Alternatives may be empty; an empty one never matches.
using TSpamRule = std::vector<std::vector<std::string>>;

// Folds the line and splits it into words (at blanks) and alternatives (at bars).
TSpamRule ParseSpamRule(std::string_view line);
// The plain rule: every word has a non-empty alternative that occurs in the folded text.
bool SpamRuleMatches(const TSpamRule& rule, std::string_view foldedText);
// FoldPolishLetters of one byte.
unsigned char FoldByte(unsigned char c);

class TSpamMatcher {
 public:
  // Builds the matcher for these rule lines (as stored: unfolded, trimmed). May throw
  // std::bad_alloc; the matcher is then left empty (matches nothing).
  void Compile(const std::vector<std::string>& lines);
  // True when some rule matches the text; the text is folded on the fly.
  bool Matches(std::string_view text) const;

  std::size_t PatternCount() const { return patternWordBegin_.empty() ? 0 : patternWordBegin_.size() - 1; }
  std::size_t NodeCount() const { return nodes_.size(); }

 private:
  struct Node {
    std::uint32_t ChildBegin = 0;   // index of the first child; children are contiguous
    std::uint32_t Fail = 0;         // longest proper suffix that is also a trie node
    std::uint32_t Report = 0;       // first node of the suffix chain with a pattern; 0 = none
    std::uint32_t NextReport = 0;   // the next such node after this one on the chain
    std::int32_t Pattern = -1;      // the pattern that ends here, or -1
    std::uint16_t ChildCount = 0;   // number of children (up to 256)
  };

  std::uint32_t Child(std::uint32_t node, unsigned char c) const;  // 0 = none
  std::uint32_t Step(std::uint32_t node, unsigned char c) const;   // goto/fail transition
  bool Report(std::uint32_t pattern) const;                        // true: a rule matched
  void Clear();

  bool matchesEverything_ = false;       // a rule without words was seen
  std::vector<Node> nodes_;              // the trie in breadth-first order; 0 is the root
  std::vector<unsigned char> labels_;    // byte on the edge into each node
  std::uint32_t root_[256] = {};         // the root's transitions (0 = stay at the root)
  // Pattern -> the words it satisfies: patternWords_[patternWordBegin_[p] ..
  // patternWordBegin_[p + 1]).
  std::vector<std::uint32_t> patternWordBegin_;
  std::vector<std::uint32_t> patternWords_;
  std::vector<std::uint32_t> wordRule_;       // word -> its rule
  std::vector<std::uint32_t> ruleWordCount_;  // rule -> its number of words

  // Per-scan marks, valid where the stamp equals scan_: what one scan has seen so far.
  mutable std::uint32_t scan_ = 0;
  mutable std::vector<std::uint32_t> nodeSeen_;   // node -> scan that reported its chain
  mutable std::vector<std::uint32_t> wordSeen_;   // word -> scan that satisfied it
  mutable std::vector<std::uint32_t> ruleSeen_;   // rule -> scan that counted it
  mutable std::vector<std::uint32_t> ruleCount_;  // rule -> satisfied words in that scan
};

}  // namespace kw
