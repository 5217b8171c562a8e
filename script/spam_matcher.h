// The spam rules compiled into one matcher whose cost grows with the text, not with the
// number of rules. All non-empty alternatives (folded) go into one trie; a scan of the
// text marks the alternatives that occur. Each rule has one
// trigger word, the one whose alternatives look least likely to occur (used by few
// words, long); after the scan only the rules whose trigger word has an alternative
// that occurred are checked word by word against the marks. So a common alternative
// shared by thousands of rules (TANIO) costs nothing unless it is some rule's rarest
// word. A rule without words matches everything; a word without a non-empty alternative
// can never be satisfied, so its rule is left out. The answer equals matching every
// rule line in turn, as ParseSpamRule and SpamRuleMatches do (kept as the plain
// definition): a rule that matches has its trigger word satisfied, so it is checked.
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
// FoldPolishLetters of one byte, and of a whole text into `folded` (by the vector).
unsigned char FoldByte(unsigned char c);
void FoldText(std::string_view text, std::string& folded);

class TSpamMatcher {
 public:
  // Builds the matcher for these rule lines (as stored: unfolded, trimmed). May throw
  // (out of memory, or more than 4 GiB of alternatives); the matcher is then left empty.
  void Compile(const std::vector<std::string>& lines);
  // True when some rule matches the text.
  bool Matches(std::string_view text) const;
  // The same for a text folded already (FoldText).
  bool MatchesFolded(std::string_view folded) const;

  std::size_t PatternCount() const { return patternSeen_.size(); }
  std::size_t NodeCount() const { return nodes_.size(); }

 private:
  struct Node {
    std::uint32_t ChildBegin = 0;   // index of the first child; children are contiguous
    std::int32_t Pattern = -1;      // the pattern that ends here (one node per pattern), or -1
    std::uint16_t ChildCount = 0;   // number of children (up to 256)
  };

  struct Alternative;  // one non-empty alternative of a kept rule, while compiling

  // The trie over the alternatives' texts (in the pool), breadth first. Reorders the
  // alternatives (longest first) and gives each its pattern; gives each pattern the
  // number of alternatives that share it and its length.
  void BuildTrie(std::string pool, std::vector<Alternative>& alternatives,
                 std::vector<std::uint32_t>& patternOf, std::vector<std::uint32_t>& users,
                 std::vector<std::uint32_t>& lengths);
  void BuildStartFilter();  // from the trie: which starts may begin a pattern
  std::uint32_t Child(std::uint32_t node, unsigned char c) const;  // 0 = none
  // Marks the patterns that begin at folded[at], following the trie from the root.
  void MarkPatternsAt(const unsigned char* folded, std::size_t at, std::size_t size, std::size_t& found) const;
  bool RuleSatisfied(std::uint32_t rule) const;  // every word has a marked pattern
  void Clear();

  bool matchesEverything_ = false;       // a rule without words was seen
  std::vector<Node> nodes_;              // the trie in breadth-first order; 0 is the root
  std::vector<unsigned char> labels_;    // byte on the edge into each node
  std::uint32_t root_[256] = {};         // the root's child for each byte (0 = none)
  // Where a pattern may begin, by the text's next three folded bytes: a hashed bit set
  // of the first three bytes of every pattern (a shorter pattern sets every three bytes
  // it begins).
  std::vector<std::uint64_t> startFilter_;
  unsigned startShift_ = 32;                     // hash >> startShift_ indexes startFilter_
  // Lists in one array each, the part of entry i from Begin[i] to Begin[i + 1]:
  std::vector<std::uint32_t> patternRuleBegin_;  // pattern -> rules it triggers
  std::vector<std::uint32_t> patternRules_;
  std::vector<std::uint32_t> ruleWordBegin_;     // rule -> its words (numbered in order)
  std::vector<std::uint32_t> wordPatternBegin_;  // word -> its alternatives' patterns
  std::vector<std::uint32_t> wordPatterns_;

  // Per-scan state, valid where the stamp equals scan_.
  mutable std::uint32_t scan_ = 0;
  mutable std::vector<std::uint32_t> patternSeen_;  // pattern -> scan that found it
  mutable std::vector<std::uint32_t> ruleSeen_;     // rule -> scan that checked it
  mutable std::vector<std::uint32_t> found_;        // patterns found by this scan, in order
};

}  // namespace kw
