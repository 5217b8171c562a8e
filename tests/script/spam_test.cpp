// The spam test: splitting with quotes and bars, folding of Polish letters, rule
// matching, and the list file's text to rules (line ends, comments, zero bytes).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/spam.h"
#include "support/cp1250.h"

using namespace kw;
using Items = std::vector<std::string>;

TEST(DelimitedSplit, QuotesBarsAndBlanks) {
  struct Case { std::string text; char d; Items want; };
  const Case cases[] = {
      {"", ' ', {}},
      {" \t\x01 ", ' ', {}},
      {"  a \t\x01 b  ", ' ', {"a", "b"}},
      {"a|b", '|', {"a", "b"}},
      {"a | b", '|', {"a", "b"}},
      {"a b", '|', {"a", "b"}},           // blanks separate alternatives too
      {"|a", '|', {"", "a"}},             // leading bar: empty first
      {"a|", '|', {"a", ""}},             // trailing bar: empty last
      {"a |", '|', {"a", ""}},
      {"a| ", '|', {"a"}},                // the bar is not the last character
      {"|", '|', {"", ""}},
      {"a||b", '|', {"a", "", "b"}},
      {"\"\"", '|', {""}},
      {"\"a b\" c", ' ', {"a b", "c"}},
      {"a|\"b c\"|d", '|', {"a", "b c", "d"}},
      {"\"a\"\"b\"", ' ', {"a\"b"}},      // a doubled quote is one quote
      {"\"a\"b", ' ', {"a", "b"}},
      {"x\"y", ' ', {"x\"y"}},            // a quote inside a word is plain text
      {"\"ab", ' ', {"ab"}},              // no partner: the whole rest
      {"\"a\"\"b", ' ', {"a\"b"}},
      {"\"", ' ', {""}},
      {std::string("a\0b c", 5), ' ', {"a"}},  // a zero byte ends the text
      {std::string("\xA5\xB9 \xD3"), ' ', {"\xA5\xB9", "\xD3"}},
  };
  for (const Case& c : cases) EXPECT_EQ(DelimitedSplit(c.text, c.d), c.want) << '[' << c.text << "] " << c.d;
}

TEST(FoldPolishLetters, BothCasesOfTheNineLettersBecomePlainCapitals) {
  EXPECT_EQ(FoldPolishLetters("zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ"_w), "ZAZOLC GESLA JAZN ZAZOLC GESLA JAZN");
  // Other accented letters are only upper-cased; ß has no capital.
  EXPECT_EQ(FoldPolishLetters("šČüß"_w), "ŠČÜß"_w);
  EXPECT_EQ(FoldPolishLetters(""), "");
}

TEST(IsSpam, RulesWordsAndAlternatives) {
  struct Case { Items list; std::string text; bool want; };
  const std::string rule = "kup|sprzedam tanio|okazja";
  const Case cases[] = {
      {{rule}, "Sprzedam rower TANIO!", true},
      {{rule}, "Tanio kupię"_w.data(), true},
      {{rule}, "Sprzedam rower", false},
      {{"zażółć"_w.data()}, "ZAZOLC", true},
      {{"zażółć"_w.data()}, "zażółć"_w.data(), true},
      {{"ZAZOLC"}, "Zażółć"_w.data(), true},
      {{"tanio"}, "nietanio", true},      // no word boundaries
      {{"a b"}, "a", false},
      {{"a b"}, "ba", true},
      {{"zzz", "kup"}, "kupa", true},     // any rule will do
      {{"kup ;tanio"}, "kup tanio", false},
      {{"kup ;tanio"}, "kup ;tanio", true},
      {{"\"sprzedam tanio\""}, "tanio", true},  // a quoted group: alternatives
      {{"\" kup \""}, "kupa", true},
      {{"|kup"}, "kup", true},
      {{"|"}, "kup", false},              // no usable alternative
      {{"\"\""}, "kup", false},
      {{"kup |"}, "kup", false},
      {{"kup \"\"|\"\""}, "kup", false},
      {{}, "", false},
      {{}, "kup", false},
      {{"kup"}, "", false},
      {{"\x01"}, "", true},               // a rule with no words matches everything
      {{"\x01"}, "kup", true},
  };
  for (const Case& c : cases) {
    SpamList = c.list;
    EXPECT_EQ(IsSpam(c.text), c.want) << (c.list.empty() ? "" : c.list[0]) << " / " << c.text;
  }
  SpamList.clear();
}

TEST(SpamRulesFromText, KeepsTrimmedRulesInFileOrder) {
  using namespace std::string_literals;
  struct Case { std::string file; Items want; };
  const Case cases[] = {
      {"kup|sprzedam\r\n;kup\n   ; kup\r   \r\n\t\n\n\rkup ;tanio\r  " + std::string("Zażółć"_w) + "  \n\xB3",
       {"kup|sprzedam", "kup ;tanio", std::string("Zażółć"_w), "\xB3"}},
      // A zero byte ends its own line's rule; the lines after it stay.
      {"kup\nta\0nio\nokazja\n"s, {"kup", "ta", "okazja"}},
      {"ta \0nio \r\nokazja"s, {"ta", "okazja"}},
      {"\0kup\r\0\n;x\0\rtanio\0"s, {"tanio"}},
      {"kup\0\rokazja\0\r\n\0\n"s, {"kup", "okazja"}},
      {";only\n  ;comments\n\n", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SpamRulesFromText(c.file), c.want) << c.file;
}
