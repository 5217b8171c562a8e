// The compiled spam matcher. Construction: parse every rule line once, keep the rules
// whose every word has a non-empty alternative, then build the trie one depth at a
// time: at each depth the alternatives still going are grouped by the node they have
// reached, and each group, ordered by its next byte (counting, or insertion when small),
// gives that node's children. So equal alternatives meet in one node (one pattern, many
// words) and the trie comes out breadth first with each node's children contiguous and
// in byte order, in time linear in the alternatives' total length; no comparison sort.
// The bytes are first laid out by column (byte d of every alternative longer than d,
// longest alternatives first), so a depth reads one small dense column rather than
// jumping about the whole pool; on large lists that is most of the time.
// A scan does not walk the trie at every byte: most positions of a chat text begin
// no pattern, and a bit set of the patterns' first three bytes (hashed; the few shorter
// patterns in an exact set of first two) tells that from the folded bytes in a few
// instructions without a dependent chain of node loads. Only at the positions it lets
// through does the scan walk the trie from the root, marking every pattern that begins
// there; every occurrence of every pattern begins at some position, so every pattern
// that occurs is marked. It then checks the rules its found patterns
// trigger, so one scan costs the text's length plus those rules. Marks are per-scan
// stamps, so no scan clears anything; Matches allocates nothing.
#include "script/spam_matcher.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "script/byte_kernels.h"
#include "script/spam.h"
#include "script/text.h"
#include "support/casing.h"

namespace kw {
namespace {

bool foldByVector = false;  // the fold map has the shape the byte kernels map

// Upper case by the code page, then the nine Polish capitals to their plain letters.
TByteMap MakeFoldMap() {
  unsigned char t[256];
  for (unsigned i = 0; i < 256; ++i)
    t[i] = static_cast<unsigned char>(UpperChar(static_cast<char>(i)));
  constexpr unsigned char kPlain[][2] = {
      {0x8C, 'S'}, {0x8F, 'Z'}, {0xA3, 'L'}, {0xA5, 'A'}, {0xAF, 'Z'},  // Ś Ź Ł Ą Ż
      {0xC6, 'C'}, {0xCA, 'E'}, {0xD1, 'N'}, {0xD3, 'O'},               // Ć Ę Ń Ó
  };
  for (unsigned i = 0; i < 256; ++i)
    for (const auto& p : kPlain)
      if (t[i] == p[0]) t[i] = p[1];
  TByteMap map;
  foldByVector = MakeByteMap(t, 'a', 'z', map);
  return map;
}

const TByteMap& FoldMap() {
  static const TByteMap map = MakeFoldMap();
  return map;
}

// The start filter's hash of three folded bytes (key = b0 | b1 << 8 | b2 << 16).
inline std::uint32_t StartHash(std::uint32_t key) { return key * 0x9E3779B1u; }

// Three folded bytes as the start filter's key: the first lowest.
inline std::uint32_t Key3(const unsigned char* p) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t word;
    std::memcpy(&word, p, 4);  // the caller has a fourth byte
    return word & 0xFFFFFFu;
  }
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
}

std::uint32_t ToIndex(std::size_t n) {
  if (n > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("spam list too large");
  return static_cast<std::uint32_t>(n);
}

// An alternative on its way down the trie being built.
struct TrieItem {
  std::uint32_t Alt;   // which alternative
  std::uint32_t Node;  // the node its bytes so far lead to
  unsigned char Byte;  // its next byte
};

// Up to this many items are ordered by insertion: the common small group costs no pass
// over 256 counts, and a large one no more than a few moves per item.
constexpr std::ptrdiff_t kFewItems = 32;

// Orders the items by byte, keeping the order of equal ones; `spare` has room for them.
void SortByByte(TrieItem* first, TrieItem* last, TrieItem* spare) {
  if (last - first <= kFewItems) {
    for (TrieItem* i = first + 1; i < last; ++i) {
      const TrieItem item = *i;
      TrieItem* j = i;
      for (; j > first && (j - 1)->Byte > item.Byte; --j) *j = *(j - 1);
      *j = item;
    }
    return;
  }
  std::array<std::size_t, 257> start{};
  for (const TrieItem* i = first; i < last; ++i) ++start[std::size_t{i->Byte} + 1];
  for (std::size_t b = 0; b < 256; ++b) start[b + 1] += start[b];
  for (const TrieItem* i = first; i < last; ++i) spare[start[i->Byte]++] = *i;
  std::copy(spare, spare + (last - first), first);
}

// Lists for entries 0..count-1 in one array: entry e's items are items[begin[e] ..
// begin[e + 1]). each(put) calls put(entry, item) for every item, in the order wanted
// within each list; it runs twice, to count and then to fill.
template <class Each>
void BuildLists(std::size_t count, Each each, std::vector<std::uint32_t>& begin,
                std::vector<std::uint32_t>& items) {
  begin.assign(count + 1, 0);
  each([&](std::uint32_t entry, std::uint32_t) { ++begin[entry + 1]; });
  for (std::size_t e = 0; e < count; ++e) begin[e + 1] += begin[e];
  items.resize(begin.back());
  std::vector<std::uint32_t> fill(begin.begin(), begin.end() - 1);
  each([&](std::uint32_t entry, std::uint32_t item) { items[fill[entry]++] = item; });
}

}  // namespace

// One non-empty alternative: where its text lies in the pool, and the word it serves.
struct TSpamMatcher::Alternative {
  std::uint32_t Offset;  // into the pool of alternative texts
  std::uint32_t Length;  // its length, never 0
  std::uint32_t Word;    // the word it satisfies
};

unsigned char FoldByte(unsigned char c) { return FoldMap().Bytes[c]; }

void FoldText(std::string_view text, std::string& folded) {
  folded.resize(text.size());
  const TByteMap& map = FoldMap();
  if (foldByVector) {
    ByteKernels().Map(map, text.data(), folded.data(), text.size());
    return;
  }
  for (std::size_t i = 0; i < text.size(); ++i)
    folded[i] = static_cast<char>(map.Bytes[static_cast<unsigned char>(text[i])]);
}

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
  startFilter_.clear();
  startShift_ = 32;
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

void TSpamMatcher::BuildTrie(std::string pool, std::vector<Alternative>& alternatives,
                             std::vector<std::uint32_t>& patternOf, std::vector<std::uint32_t>& users,
                             std::vector<std::uint32_t>& lengths) {
  // Longest first (a stable counting sort), so that the alternatives longer than any
  // depth are the first longer[depth] of them.
  std::uint32_t longest = 0;
  for (const Alternative& a : alternatives) longest = std::max(longest, a.Length);
  std::vector<std::uint32_t> longer(std::size_t{longest} + 1, 0);
  for (const Alternative& a : alternatives) ++longer[a.Length - 1];
  for (std::size_t d = longest; d-- > 0;) longer[d] += longer[d + 1];
  {
    std::vector<Alternative> sorted(alternatives.size());
    std::vector<std::uint32_t> next(longer);  // where the next one of each length goes
    for (const Alternative& a : alternatives) sorted[next[a.Length]++] = a;
    alternatives.swap(sorted);
  }

  // The texts by column: column d holds byte d of each alternative longer than d, in
  // list order. A depth then reads one column, small and dense, not the whole pool.
  std::vector<std::size_t> columnBegin(std::size_t{longest} + 1, 0);
  for (std::size_t d = 0; d < longest; ++d) columnBegin[d + 1] = columnBegin[d] + longer[d];
  std::string columns(pool.size(), '\0');
  for (std::size_t r = 0; r < alternatives.size(); ++r) {
    const char* text = pool.data() + alternatives[r].Offset;
    for (std::size_t d = 0; d < alternatives[r].Length; ++d) columns[columnBegin[d] + r] = text[d];
  }
  pool = {};

  // The alternatives on their way down, grouped by node in node order; each group,
  // once ordered by byte, makes its node's children.
  std::vector<TrieItem> items(alternatives.size());
  std::vector<TrieItem> spare(alternatives.size());
  for (std::size_t r = 0; r < items.size(); ++r) items[r] = {static_cast<std::uint32_t>(r), 0, 0};
  nodes_.emplace_back();
  labels_.push_back(0);
  std::size_t live = items.size();
  for (std::uint32_t depth = 0; live > 0; ++depth) {
    // Those that end here give their node a pattern (the first to end there names it;
    // equal alternatives share it); the rest read their next byte.
    const std::uint32_t ending = longer[depth];
    const char* column = columns.data() + columnBegin[depth];
    std::size_t kept = 0;
    for (std::size_t i = 0; i < live; ++i) {
      TrieItem item = items[i];
      if (item.Alt >= ending) {
        Node& node = nodes_[item.Node];
        if (node.Pattern < 0) {
          node.Pattern = static_cast<std::int32_t>(users.size());
          users.push_back(0);
          lengths.push_back(depth);
        }
        const auto pattern = static_cast<std::uint32_t>(node.Pattern);
        patternOf[item.Alt] = pattern;
        ++users[pattern];
        continue;
      }
      item.Byte = static_cast<unsigned char>(column[item.Alt]);
      items[kept++] = item;
    }
    live = kept;

    // One child per distinct byte of a group, appended group after group: breadth
    // first, each node's children together and in byte order.
    for (std::size_t first = 0, last = 0; first < live; first = last) {
      const std::uint32_t parent = items[first].Node;
      while (last < live && items[last].Node == parent) ++last;
      SortByByte(items.data() + first, items.data() + last, spare.data());
      std::uint32_t child = 0;
      for (std::size_t i = first; i < last; ++i) {
        if (i == first || items[i].Byte != items[i - 1].Byte) {
          child = ToIndex(nodes_.size());
          nodes_.emplace_back();
          labels_.push_back(items[i].Byte);
          Node& p = nodes_[parent];
          if (p.ChildCount == 0) p.ChildBegin = child;
          ++p.ChildCount;
        }
        items[i].Node = child;
      }
    }
  }
  if (nodes_.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw std::length_error("spam list too large");
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

    std::vector<std::uint32_t> patternOf(alternatives.size());
    std::vector<std::uint32_t> users;    // pattern -> how many alternatives it stands for
    std::vector<std::uint32_t> lengths;  // pattern -> its length
    BuildTrie(std::move(pool), alternatives, patternOf, users, lengths);
    const std::size_t patterns = users.size();

    // Word -> its alternatives' patterns.
    BuildLists(words, [&](auto put) {
      for (std::size_t i = 0; i < alternatives.size(); ++i) put(alternatives[i].Word, patternOf[i]);
    }, wordPatternBegin_, wordPatterns_);
    alternatives = {};
    patternOf = {};

    // Each rule's trigger: the word whose patterns are the least likely to turn up, by
    // an estimate that grows with how many alternatives share a pattern and how short
    // it is. Any choice gives the same answers; a good one checks fewer rules.
    auto likelihood = [&](std::uint32_t p) {
      return static_cast<double>(users[p]) * (1.0 + 8.0 / static_cast<double>(lengths[p]));
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
    // Pattern -> the rules whose trigger word it satisfies.
    BuildLists(patterns, [&](auto put) {
      for (std::uint32_t r = 0; r < rules; ++r)
        for (std::uint32_t k = wordPatternBegin_[trigger[r]]; k < wordPatternBegin_[trigger[r] + 1]; ++k)
          put(wordPatterns_[k], r);
    }, patternRuleBegin_, patternRules_);
    trigger = {};
    users = {};
    lengths = {};

    const Node& root = nodes_[0];
    for (std::uint32_t k = 0; k < root.ChildCount; ++k)
      root_[labels_[root.ChildBegin + k]] = root.ChildBegin + k;

    BuildStartFilter();
    patternSeen_.assign(patterns, 0);
    ruleSeen_.assign(rules, 0);
    found_.assign(patterns, 0);
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

bool TSpamMatcher::RuleSatisfied(std::uint32_t rule) const {
  for (std::uint32_t w = ruleWordBegin_[rule]; w < ruleWordBegin_[rule + 1]; ++w) {
    bool satisfied = false;
    for (std::uint32_t k = wordPatternBegin_[w]; k < wordPatternBegin_[w + 1] && !satisfied; ++k)
      satisfied = patternSeen_[wordPatterns_[k]] == scan_;
    if (!satisfied) return false;
  }
  return true;
}

void TSpamMatcher::BuildStartFilter() {
  // About 16 bits per three-byte start keeps false hits near 1 in 16 (at least 4 KiB).
  unsigned bits = 15;
  while (bits < 26 && (std::size_t{1} << bits) < nodes_.size() * 16) ++bits;
  startFilter_.assign((std::size_t{1} << bits) / 64, 0);
  startShift_ = 32 - bits;
  auto set = [this](std::uint32_t key) {
    const std::uint32_t h = StartHash(key) >> startShift_;
    startFilter_[h / 64] |= std::uint64_t{1} << (h % 64);
  };
  // Breadth first, a node's parent comes before it: its first bytes and depth follow.
  std::vector<std::uint32_t> key(nodes_.size(), 0);
  std::vector<std::uint8_t> depth(nodes_.size(), 255);  // 255: deeper than 3
  depth[0] = 0;
  for (std::uint32_t n = 0; n < nodes_.size(); ++n) {
    if (depth[n] >= 3) continue;  // deeper nodes add nothing
    for (std::uint32_t child = nodes_[n].ChildBegin; child < nodes_[n].ChildBegin + nodes_[n].ChildCount; ++child) {
      key[child] = key[n] | std::uint32_t{labels_[child]} << (8 * depth[n]);
      depth[child] = static_cast<std::uint8_t>(depth[n] + 1);
      if (depth[child] == 3) {
        set(key[child]);
      } else if (nodes_[child].Pattern >= 0 && depth[child] == 2) {
        for (std::uint32_t third = 0; third < 256; ++third) set(key[child] | third << 16);
      } else if (nodes_[child].Pattern >= 0) {
        for (std::uint32_t rest = 0; rest < 65536; ++rest) set(key[child] | rest << 8);
      }
    }
  }
}

void TSpamMatcher::MarkPatternsAt(const unsigned char* folded, std::size_t at, std::size_t size,
                                  std::size_t& found) const {
  std::uint32_t node = root_[folded[at]];
  for (std::size_t next = at + 1; node != 0; ++next) {
    const std::int32_t pattern = nodes_[node].Pattern;
    if (pattern >= 0 && patternSeen_[static_cast<std::uint32_t>(pattern)] != scan_) {
      patternSeen_[static_cast<std::uint32_t>(pattern)] = scan_;
      found_[found++] = static_cast<std::uint32_t>(pattern);
    }
    if (next == size || nodes_[node].ChildCount == 0) break;
    node = Child(node, folded[next]);
  }
}

bool TSpamMatcher::Matches(std::string_view text) const {
  std::string folded;
  FoldText(text, folded);
  return MatchesFolded(folded);
}

bool TSpamMatcher::MatchesFolded(std::string_view text) const {
  if (matchesEverything_) return true;
  if (nodes_.size() <= 1) return false;
  if (++scan_ == 0) {  // the stamps wrapped: forget every old mark once
    std::fill(patternSeen_.begin(), patternSeen_.end(), 0u);
    std::fill(ruleSeen_.begin(), ruleSeen_.end(), 0u);
    scan_ = 1;
  }
  // Which patterns occur: the trie is walked only where the start filter lets a pattern
  // begin. Four positions a step, their bits gathered, so a stretch where none may
  // begin costs one branch per four bytes. The last two positions have no three bytes
  // to test and are walked always.
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  const std::uint64_t* filter = startFilter_.data();
  const unsigned shift = startShift_;
  auto may = [filter, shift](std::uint32_t key) -> std::uint32_t {
    const std::uint32_t h = StartHash(key) >> shift;
    return static_cast<std::uint32_t>(filter[h / 64] >> (h % 64)) & 1u;
  };
  std::size_t found = 0;
  std::size_t at = 0;
  for (; at + 7 <= size; at += 4) {  // the four keys read bytes at .. at + 6
    const std::uint32_t hits = may(Key3(bytes + at)) | may(Key3(bytes + at + 1)) << 1 |
                               may(Key3(bytes + at + 2)) << 2 | may(Key3(bytes + at + 3)) << 3;
    for (std::uint32_t rest = hits; rest != 0; rest &= rest - 1)
      MarkPatternsAt(bytes, at + static_cast<std::size_t>(std::countr_zero(rest)), size, found);
  }
  for (; at + 2 < size; ++at) {
    const std::uint32_t key = std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16;
    if (may(key) != 0) MarkPatternsAt(bytes, at, size, found);
  }
  for (; at < size; ++at) MarkPatternsAt(bytes, at, size, found);
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
