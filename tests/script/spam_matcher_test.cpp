// The compiled spam matcher against the plain rule (fold and split every line, look for
// every alternative) on generated rule lists and texts: small alphabets so that rules
// match often, quotes, bars, blanks, control bytes and Polish letters so that the
// splitting's corners come up, and patterns that are suffixes of one another so that
// patterns that end inside others are found. Also: the list notices every kind of change.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "script/spam.h"
#include "script/spam_matcher.h"

using namespace kw;

namespace {

// The plain definition, one rule line after the other, every line parsed afresh: what
// the matcher must answer, and what checks fall back to when it cannot be built.
bool PlainIsSpam(const std::vector<std::string>& lines, std::string_view text) {
  const std::string folded = FoldPolishLetters(text);
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return SpamRuleMatches(ParseSpamRule(line), folded);
  });
}

// The matcher's answers checked against the plain definition, and how many of each.
struct Tally {
  int spam = 0, clean = 0;
  testing::AssertionResult Agree(const TSpamMatcher& matcher, const std::vector<std::string>& list,
                                 const std::string& text) {
    const bool want = PlainIsSpam(list, text);
    (want ? spam : clean)++;
    if (matcher.Matches(text) == want) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "text [" << text << "] should " << (want ? "" : "not ") << "match";
  }
};

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  // Letters in both cases (ą Ą ó Ó ł Ł and plain a, o, l, b) and the rule syntax.
  std::string Rule() {
    static const std::vector<std::string> pieces = {
        "a", "b", "A", "B", "o", "l", "\xB9", "\xA5", "\xF3", "\xD3", "\xB3", "\xA3", "ab", "ba", "aab",
        " ", " ", "|", "|", "\"", "\"\"", "\t", ";", "\x01", std::string(1, '\0'), "\xDF", "c"};
    std::string rule;
    const int n = Below(9);
    for (int i = 0; i < n; ++i) rule += pieces[static_cast<std::size_t>(Below(static_cast<int>(pieces.size())))];
    return rule;
  }

  std::string Text() {
    static const std::vector<std::string> pieces = {"a", "b", "A", "o", "l", "\xB9", "\xA5", "\xF3", "\xB3",
                                                    "L", "O", " ", "c", "|", "\"", std::string(1, '\0')};
    std::string text;
    const int n = Below(24);
    for (int i = 0; i < n; ++i) text += pieces[static_cast<std::size_t>(Below(static_cast<int>(pieces.size())))];
    return text;
  }

  std::vector<std::string> List() {
    std::vector<std::string> list;
    const int n = Below(7);
    for (int i = 0; i < n; ++i) list.push_back(Rule());
    return list;
  }

 private:
  std::mt19937 random_;
};

TEST(SpamMatcher, AgreesWithThePlainRuleOnGeneratedListsAndTexts) {
  Generator gen(20240611);
  Tally tally;
  for (int round = 0; round < 6000; ++round) {
    const std::vector<std::string> list = gen.List();
    TSpamMatcher matcher;
    matcher.Compile(list);
    for (int k = 0; k < 8; ++k) ASSERT_TRUE(tally.Agree(matcher, list, gen.Text())) << "round " << round;
  }
  // Both answers come up often enough for the comparison to mean something.
  EXPECT_GT(tally.spam, 4000);
  EXPECT_GT(tally.clean, 4000);
}

TEST(SpamMatcher, IsSpamFollowsTheListWhateverWayItIsSet) {
  Generator gen(77);
  for (int round = 0; round < 2000; ++round) {
    const std::vector<std::string> list = gen.List();
    switch (round % 4) {
      case 0: SpamList = list; break;
      case 1: SpamList = TSpamList(list); break;
      case 2: {
        const TSpamList copy(list);
        SpamList = copy;
        break;
      }
      default:
        SpamList.clear();
        SpamList = {list.begin(), list.end()};
        break;
    }
    for (int k = 0; k < 4; ++k) {
      const std::string text = gen.Text();
      ASSERT_EQ(IsSpam(text), PlainIsSpam(list, text)) << "round " << round;
      // Releasing the compiled rules (as unloading does) never changes an answer.
      if (k == 1) ReleaseSpamMatcher();
    }
  }
  SpamList.clear();
}

TEST(SpamMatcher, OverlappingAndSharedAlternatives) {
  struct Case { std::vector<std::string> list; std::string text; bool want; };
  const Case cases[] = {
      {{"abc", "bc", "c"}, "xbx", false},
      {{"abcd bce"}, "abcdbc", false},         // BCE is not there, though BC is
      {{"abcd bce"}, "abcbce", false},         // ABCD is not there
      {{"abcd bce"}, "zabcdzbcez", true},
      {{"bc abcd"}, "abcd", true},             // BC found only inside ABCD
      {{"aaa aa a"}, "aaa", true},
      {{"aaa aa a"}, "aa", false},
      {{"a a a"}, "a", true},                  // one alternative satisfies three words
      {{"a|b c|a"}, "a", true},
      {{"x|y b|c", "q z"}, "yc", true},
      {{"x|y b|c", "q z"}, "y", false},
      {{"kup|", "|"}, "zzz", false},
      {{"kup |", "tanio"}, "kup tanio", true},  // the first rule never matches, the second does
      {{"sprzedam|okazja tanio"}, "OKAZJA! tanio", true},
  };
  for (const Case& c : cases) {
    TSpamMatcher matcher;
    matcher.Compile(c.list);
    EXPECT_EQ(matcher.Matches(c.text), c.want) << c.list[0] << " / " << c.text;
    EXPECT_EQ(PlainIsSpam(c.list, c.text), c.want) << c.list[0] << " / " << c.text;
  }
}

TEST(SpamMatcher, ManyRulesAndTheMarksOfEarlierScansDoNotLeak) {
  std::vector<std::string> list;
  for (int i = 0; i < 3000; ++i) {
    std::string rule = "w";
    rule += std::to_string(i);
    rule += " t";
    rule += std::to_string(i % 7);
    list.push_back(rule);
  }
  TSpamMatcher matcher;
  matcher.Compile(list);
  // w12 alone in one scan, t5 alone in the next: never both in one text.
  for (int i = 0; i < 50; ++i) {
    EXPECT_FALSE(matcher.Matches("w12"));
    EXPECT_FALSE(matcher.Matches("t5"));
  }
  EXPECT_TRUE(matcher.Matches("t5 w12"));
  EXPECT_FALSE(matcher.Matches("t4 w12"));  // w12 pairs with t5 (12 % 7); W12 holds W1
  EXPECT_TRUE(matcher.Matches("t1 w12"));   // ... and W1 pairs with T1
  EXPECT_TRUE(matcher.Matches("W2999 T3"));
}

TEST(SpamList, EveryChangeMovesTheVersion) {
  TSpamList list{"a", "b"};
  const TSpamList& view = list;
  std::uint64_t seen = view.Version();
  auto moved = [&] {
    const bool m = view.Version() != seen;
    seen = view.Version();
    return m;
  };
  list = {"a", "x"};  // same size, the storage reused
  EXPECT_TRUE(moved());
  list = std::vector<std::string>{"a", "y"};
  EXPECT_TRUE(moved());
  TSpamList other{"a", "z"};
  list = other;
  EXPECT_TRUE(moved());
  EXPECT_NE(other.Version(), list.Version());
  list = TSpamList{"a", "z", "c"};
  EXPECT_TRUE(moved());
  list.clear();
  EXPECT_TRUE(moved());
  EXPECT_EQ(view.size(), 0u);
  TSpamList taken(std::move(other));
  EXPECT_EQ(taken, (std::vector<std::string>{"a", "z"}));
}

// Equal alternatives (also equal once folded) make one pattern and no prefix is stored
// twice: the trie has exactly one node per distinct prefix.
TEST(SpamMatcher, EqualAlternativesAndSharedPrefixesAreStoredOnce) {
  struct Case { std::vector<std::string> list; std::size_t patterns, nodes; };
  const Case cases[] = {
      {{}, 0, 1},
      {{"ab|ab cd", "AB", "\xB9" "b"}, 2, 5},    // AB three ways (ą folds to A), CD
      {{"abc", "ab", "a", "abd", "b"}, 5, 6},    // A, B, AB, ABC, ABD
      {{"ba ab", "ab ba"}, 2, 5},
      {{"kup |", "|x|"}, 1, 2},                  // the first rule can never match: left out
      {{"x", "xyzzy", "xyzzy|xy"}, 3, 6},
  };
  for (const Case& c : cases) {
    TSpamMatcher matcher;
    matcher.Compile(c.list);
    EXPECT_EQ(matcher.PatternCount(), c.patterns) << ::testing::PrintToString(c.list);
    EXPECT_EQ(matcher.NodeCount(), c.nodes) << ::testing::PrintToString(c.list);
  }
}

// Hundreds of rules over most of the byte range, many sharing prefixes or equal: nodes
// with more children than a short scan covers, groups large enough to be counted
// rather than ordered by insertion, alternatives of very different lengths.
TEST(SpamMatcher, AgreesWithThePlainRuleOnLargeListsWithWideNodes) {
  std::mt19937 random(1250);
  auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  std::string alphabet;
  for (int b = 0x21; b < 0x100; ++b)
    if (b != '|' && b != '"' && b != ';') alphabet += static_cast<char>(b);
  Tally tally;
  for (int round = 0; round < 4; ++round) {
    std::vector<std::string> alternatives;
    auto alternative = [&] {
      std::string a;
      if (!alternatives.empty() && below(3) == 0) a = alternatives[below(alternatives.size())];
      a.resize(std::min(a.size(), below(a.size() + 1)));  // a prefix of an earlier one, or nothing
      const std::size_t tail = below(8) == 0 ? 20 + below(60) : 2 + below(4);
      for (std::size_t i = 0; i < tail; ++i) a += alphabet[below(alphabet.size())];
      alternatives.push_back(a);
      return a;
    };
    std::vector<std::string> list;
    for (int r = 0; r < 400; ++r) {
      std::string rule;
      for (std::size_t w = 1 + below(2); w > 0; --w) {
        for (std::size_t k = 1 + below(3); k > 0; --k) rule += alternative() + (k > 1 ? "|" : "");
        if (w > 1) rule += ' ';
      }
      list.push_back(rule);
    }
    TSpamMatcher matcher;
    matcher.Compile(list);
    for (int t = 0; t < 400; ++t) {
      std::string text;
      for (std::size_t n = below(6); n > 0; --n) {
        std::string piece = alternatives[below(alternatives.size())];
        if (below(3) == 0) piece.pop_back();
        text += piece;
        text += alphabet[below(alphabet.size())];
      }
      ASSERT_TRUE(tally.Agree(matcher, list, text)) << "round " << round;
    }
  }
  EXPECT_GT(tally.spam, 400);
  EXPECT_GT(tally.clean, 400);
}

// An alternative thousands of bytes long, another that differs only in its last byte,
// and texts that stop one byte short.
TEST(SpamMatcher, LongAlternatives) {
  std::mt19937 random(7);
  std::string a;
  for (int i = 0; i < 3000; ++i) a += static_cast<char>('A' + std::uniform_int_distribution<int>(0, 24)(random));
  std::string b = a;
  b.back() = b.back() == 'A' ? 'B' : 'A';
  const std::vector<std::string> list = {a + " Z", b};
  TSpamMatcher matcher;
  matcher.Compile(list);
  EXPECT_EQ(matcher.PatternCount(), 3u);
  EXPECT_EQ(matcher.NodeCount(), 3003u);  // the root, A's path, B's last byte, Z
  const std::string shortA = a.substr(0, a.size() - 1);
  const struct { std::string text; bool want; } cases[] = {
      {a + "Z", true}, {"Z" + a, true}, {a, false}, {shortA + "Z", false},
      {"x" + b + "x", true}, {shortA, false}, {shortA + b.back(), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(matcher.Matches(c.text), c.want) << c.text.size();
    EXPECT_EQ(PlainIsSpam(list, c.text), c.want) << c.text.size();
  }
}

}  // namespace
