// The compiled spam matcher. Construction: parse every rule line once, keep the rules
// whose every word has a non-empty alternative, sort all alternatives so that equal ones
// meet (one pattern, many words) and so that the trie can be laid out breadth first
// with each node's children contiguous and in byte order; then the failure links and,
// per node, the chain of patterns that end there. A scan marks each node's chain once
// (a chain marked before was marked whole), then checks the rules its found patterns
// trigger, so one scan costs the text's length plus those rules. Marks are per-scan
// stamps, so no scan clears anything; Matches allocates nothing.
#include "script/spam_matcher.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>
#include <utility>

#include "script/spam.h"
#include "script/text.h"
#include "support/casing.h"

namespace kw {
namespace {

// Upper case by the code page, then the nine Polish capitals to their plain letters.
std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> t{};
  for (unsigned i = 0; i < 256; ++i)
    t[i] = static_cast<unsigned char>(UpperChar(static_cast<char>(i)));
  constexpr unsigned char kPlain[][2] = {
      {0x8C, 'S'}, {0x8F, 'Z'}, {0xA3, 'L'}, {0xA5, 'A'}, {0xAF, 'Z'},  // Ś Ź Ł Ą Ż
      {0xC6, 'C'}, {0xCA, 'E'}, {0xD1, 'N'}, {0xD3, 'O'},               // Ć Ę Ń Ó
  };
  for (unsigned i = 0; i < 256; ++i)
    for (const auto& p : kPlain)
      if (t[i] == p[0]) t[i] = p[1];
  return t;
}

const std::array<unsigned char, 256>& FoldTable() {
  static const std::array<unsigned char, 256> table = MakeFoldTable();
  return table;
}

std::uint32_t ToIndex(std::size_t n) {
  if (n > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("spam list too large");
  return static_cast<std::uint32_t>(n);
}

// One non-empty alternative: where its text lies in the pool, and the word it serves.
struct Alternative {
  std::uint32_t Offset;  // into the pool of alternative texts
  std::uint32_t Length;  // its length, never 0
  std::uint32_t Word;    // the word it satisfies
};

}  // namespace

unsigned char FoldByte(unsigned char c) { return FoldTable()[c]; }

TSpamRule ParseSpamRule(std::string_view line) {
  TSpamRule rule;
  for (const std::string& word : DelimitedSplit(FoldPolishLetters(line), ' '))
    rule.push_back(DelimitedSplit(TrimBlanks(word), '|'));
  return rule;
}

bool SpamRuleMatches(const TSpamRule& rule, std::string_view foldedText) {
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

void TSpamMatcher::Clear() {
  matchesEverything_ = false;
  nodes_.clear();
  labels_.clear();
  std::fill(std::begin(root_), std::end(root_), 0u);
  patternRuleBegin_.clear();
  patternRules_.clear();
  ruleWordBegin_.clear();
  wordPatternBegin_.clear();
  wordPatterns_.clear();
  scan_ = 0;
  patternSeen_.clear();
  ruleSeen_.clear();
  found_.clear();
}

void TSpamMatcher::Compile(const std::vector<std::string>& lines) {
  Clear();
  try {
    std::string pool;
    std::vector<Alternative> alternatives;
    std::uint32_t words = 0;
    for (const std::string& line : lines) {
      const TSpamRule rule = ParseSpamRule(line);
      if (rule.empty()) {
        // This rule matches every text, so nothing else needs building.
        Clear();
        matchesEverything_ = true;
        return;
      }
      const bool usable = std::all_of(rule.begin(), rule.end(), [](const auto& word) {
        return std::any_of(word.begin(), word.end(), [](const std::string& a) { return !a.empty(); });
      });
      if (!usable) continue;  // a word that nothing can satisfy: the rule never matches
      ruleWordBegin_.push_back(words);
      for (const auto& word : rule) {
        for (const std::string& a : word) {
          if (a.empty()) continue;
          alternatives.push_back({ToIndex(pool.size()), ToIndex(a.size()), words});
          pool += a;
          ToIndex(pool.size());
        }
        words = ToIndex(std::size_t{words} + 1);
      }
    }
    const std::uint32_t rules = ToIndex(ruleWordBegin_.size());
    ruleWordBegin_.push_back(words);

    auto text = [&](const Alternative& a) { return std::string_view(pool).substr(a.Offset, a.Length); };
    std::sort(alternatives.begin(), alternatives.end(),
              [&](const Alternative& x, const Alternative& y) { return text(x) < text(y); });

    // Equal alternatives become one pattern; patterns are numbered in sorted order.
    std::vector<std::string_view> patterns;
    std::vector<std::uint32_t> patternOf(alternatives.size());
    std::vector<std::uint32_t> users;  // pattern -> how many alternatives it stands for
    for (std::size_t i = 0; i < alternatives.size(); ++i) {
      const std::string_view t = text(alternatives[i]);
      if (patterns.empty() || patterns.back() != t) {
        patterns.push_back(t);
        users.push_back(0);
      }
      patternOf[i] = ToIndex(patterns.size() - 1);
      ++users.back();
    }

    // Word -> its patterns.
    wordPatternBegin_.assign(std::size_t{words} + 1, 0);
    for (const Alternative& a : alternatives) ++wordPatternBegin_[a.Word + 1];
    for (std::size_t w = 0; w < words; ++w) wordPatternBegin_[w + 1] += wordPatternBegin_[w];
    wordPatterns_.resize(alternatives.size());
    {
      std::vector<std::uint32_t> fill(wordPatternBegin_.begin(), wordPatternBegin_.end() - 1);
      for (std::size_t i = 0; i < alternatives.size(); ++i) wordPatterns_[fill[alternatives[i].Word]++] = patternOf[i];
    }
    alternatives = {};
    patternOf = {};

    // Each rule's trigger: the word whose patterns are the least likely to turn up, by
    // an estimate that grows with how many alternatives share a pattern and how short
    // it is. Any choice gives the same answers; a good one checks fewer rules.
    auto likelihood = [&](std::uint32_t p) {
      return static_cast<double>(users[p]) * (1.0 + 8.0 / static_cast<double>(patterns[p].size()));
    };
    std::vector<std::uint32_t> trigger(rules);
    for (std::uint32_t r = 0; r < rules; ++r) {
      double best = 0;
      for (std::uint32_t w = ruleWordBegin_[r]; w < ruleWordBegin_[r + 1]; ++w) {
        double score = 0;
        for (std::uint32_t k = wordPatternBegin_[w]; k < wordPatternBegin_[w + 1]; ++k) score += likelihood(wordPatterns_[k]);
        if (w == ruleWordBegin_[r] || score < best) {
          best = score;
          trigger[r] = w;
        }
      }
    }
    patternRuleBegin_.assign(patterns.size() + 1, 0);
    for (std::uint32_t r = 0; r < rules; ++r)
      for (std::uint32_t k = wordPatternBegin_[trigger[r]]; k < wordPatternBegin_[trigger[r] + 1]; ++k)
        ++patternRuleBegin_[wordPatterns_[k] + 1];
    for (std::size_t p = 0; p < patterns.size(); ++p) patternRuleBegin_[p + 1] += patternRuleBegin_[p];
    patternRules_.resize(patternRuleBegin_.back());
    {
      std::vector<std::uint32_t> fill(patternRuleBegin_.begin(), patternRuleBegin_.end() - 1);
      for (std::uint32_t r = 0; r < rules; ++r)
        for (std::uint32_t k = wordPatternBegin_[trigger[r]]; k < wordPatternBegin_[trigger[r] + 1]; ++k)
          patternRules_[fill[wordPatterns_[k]]++] = r;
    }
    trigger = {};
    users = {};

    // The trie, breadth first. A node stands for the patterns [lo, hi) that share its
    // first `depth` bytes; the one pattern of exactly that length sorts first.
    struct Range {
      std::uint32_t Lo, Hi, Depth;  // patterns under the node, and its depth
    };
    std::vector<Range> ranges;
    nodes_.emplace_back();
    labels_.push_back(0);
    ranges.push_back({0, ToIndex(patterns.size()), 0});
    for (std::size_t n = 0; n < nodes_.size(); ++n) {
      std::uint32_t lo = ranges[n].Lo;
      const std::uint32_t hi = ranges[n].Hi;
      const std::uint32_t depth = ranges[n].Depth;
      if (lo < hi && patterns[lo].size() == depth) nodes_[n].Pattern = static_cast<std::int32_t>(lo++);
      const std::uint32_t first = ToIndex(nodes_.size());
      while (lo < hi) {
        const char c = patterns[lo][depth];
        std::uint32_t end = lo + 1;
        while (end < hi && patterns[end][depth] == c) ++end;
        nodes_.emplace_back();
        labels_.push_back(static_cast<unsigned char>(c));
        ranges.push_back({lo, end, depth + 1});
        lo = end;
      }
      nodes_[n].ChildBegin = first;
      nodes_[n].ChildCount = static_cast<std::uint16_t>(nodes_.size() - first);
    }
    if (nodes_.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
      throw std::length_error("spam list too large");
    ranges = {};

    const Node& root = nodes_[0];
    for (std::uint32_t k = 0; k < root.ChildCount; ++k)
      root_[labels_[root.ChildBegin + k]] = root.ChildBegin + k;

    // Failure links and report chains; a node's failure target is shallower, so it is
    // complete before the node's parent is visited.
    for (std::uint32_t n = 0; n < nodes_.size(); ++n) {
      const std::uint32_t begin = nodes_[n].ChildBegin;
      const std::uint32_t end = begin + nodes_[n].ChildCount;
      for (std::uint32_t child = begin; child < end; ++child) {
        std::uint32_t fail = 0;
        if (n != 0) fail = Step(nodes_[n].Fail, labels_[child]);
        Node& node = nodes_[child];
        node.Fail = fail;
        node.NextReport = nodes_[fail].Report;
        node.Report = node.Pattern >= 0 ? child : node.NextReport;
      }
    }

    patternSeen_.assign(patterns.size(), 0);
    ruleSeen_.assign(rules, 0);
    found_.assign(patterns.size(), 0);
  } catch (...) {
    Clear();
    throw;
  }
}

inline std::uint32_t TSpamMatcher::Child(std::uint32_t node, unsigned char c) const {
  const Node& n = nodes_[node];
  const unsigned char* first = labels_.data() + n.ChildBegin;
  const unsigned char* last = first + n.ChildCount;
  if (n.ChildCount <= 8) {
    for (const unsigned char* p = first; p != last; ++p)
      if (*p == c) return n.ChildBegin + static_cast<std::uint32_t>(p - first);
    return 0;
  }
  const unsigned char* p = std::lower_bound(first, last, c);
  return p != last && *p == c ? n.ChildBegin + static_cast<std::uint32_t>(p - first) : 0;
}

inline std::uint32_t TSpamMatcher::Step(std::uint32_t node, unsigned char c) const {
  for (;;) {
    if (node == 0) return root_[c];
    if (const std::uint32_t next = Child(node, c)) return next;
    node = nodes_[node].Fail;
  }
}

bool TSpamMatcher::RuleSatisfied(std::uint32_t rule) const {
  for (std::uint32_t w = ruleWordBegin_[rule]; w < ruleWordBegin_[rule + 1]; ++w) {
    bool satisfied = false;
    for (std::uint32_t k = wordPatternBegin_[w]; k < wordPatternBegin_[w + 1] && !satisfied; ++k)
      satisfied = patternSeen_[wordPatterns_[k]] == scan_;
    if (!satisfied) return false;
  }
  return true;
}

bool TSpamMatcher::Matches(std::string_view text) const {
  if (matchesEverything_) return true;
  if (nodes_.size() <= 1) return false;
  if (++scan_ == 0) {  // the stamps wrapped: forget every old mark once
    std::fill(patternSeen_.begin(), patternSeen_.end(), 0u);
    std::fill(ruleSeen_.begin(), ruleSeen_.end(), 0u);
    scan_ = 1;
  }
  // Which patterns occur. A node's chain that was marked once was marked whole.
  const unsigned char* fold = FoldTable().data();
  std::size_t found = 0;
  std::uint32_t state = 0;
  for (const char ch : text) {
    state = Step(state, fold[static_cast<unsigned char>(ch)]);
    for (std::uint32_t t = nodes_[state].Report; t != 0; t = nodes_[t].NextReport) {
      const auto pattern = static_cast<std::uint32_t>(nodes_[t].Pattern);
      if (patternSeen_[pattern] == scan_) break;
      patternSeen_[pattern] = scan_;
      found_[found++] = pattern;
    }
  }
  // The rules whose trigger word is satisfied, each checked once.
  for (std::size_t i = 0; i < found; ++i) {
    const std::uint32_t pattern = found_[i];
    for (std::uint32_t k = patternRuleBegin_[pattern]; k < patternRuleBegin_[pattern + 1]; ++k) {
      const std::uint32_t rule = patternRules_[k];
      if (ruleSeen_[rule] == scan_) continue;
      ruleSeen_[rule] = scan_;
      if (RuleSatisfied(rule)) return true;
    }
  }
  return false;
}

}  // namespace kw
