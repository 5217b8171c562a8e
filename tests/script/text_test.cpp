// Blanks, splitting, the "\n" escape, truth values and binary numbers.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "script/text.h"

using namespace kw;

namespace {

std::string Ones(std::size_t n) { return std::string(n, '1'); }

}  // namespace

TEST(TrimBlanks, SpacesAndTabsOnly) {
  const struct { std::string_view in, out; } cases[] = {
      {"  a  ", "a"},       {"\t a b \t", "a b"}, {"a\n\r", "a\n\r"}, {"\r a", "\r a"},
      {"", ""},             {" \t ", ""},         {"a", "a"},         {"\x0B" "a", "\x0B" "a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrimBlanks(c.in), c.out) << '"' << c.in << '"';
    EXPECT_EQ(TrimBlanksView(c.in), c.out) << '"' << c.in << '"';
  }
}

TEST(FindBlank, OneBasedFirstSpaceOrTab) {
  const struct { std::string_view in; std::size_t pos; } cases[] = {
      {"abc", 0}, {"", 0}, {"a b", 2}, {"\tb", 1}, {"ab\t c", 3}, {"ab c\td", 3}, {"a\n\rb", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(FindBlank(c.in), c.pos) << '"' << c.in << '"';
}

TEST(SplitParameters, CommasOutsideQuotes) {
  const struct { std::string_view in; TListaStr out; } cases[] = {
      {"$a, 'x, y', 3", {"$a", "'x, y'", "3"}},
      {"a,", {"a"}},
      {"a, ", {"a", ""}},
      {",a", {"", "a"}},
      {"", {}},
      {"a,,b", {"a", "", "b"}},
      {" a ,\tb\t", {"a", "b"}},
      {"  ", {""}},
      {",", {""}},
      {"'a''b', c", {"'a''b'", "c"}},
      {"'it''s, fine'", {"'it''s, fine'"}},
      {"'open, x", {"'open, x"}},
      {"a', b", {"a', b"}},
      {"$res, 'a\\nb'", {"$res", "'a\\nb'"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitParameters(c.in), c.out) << '"' << c.in << '"';
}

TEST(SplitAtChar, ExactPiecesUntrimmed) {
  const struct { std::string_view in; char c; TLista out; } cases[] = {
      {"a;b;", ';', {"a", "b", ""}},
      {";", ';', {"", ""}},
      {"", ';', {}},
      {"abc", ';', {"abc"}},
      {" a ; b", ';', {" a ", " b"}},
      {";;", ';', {"", "", ""}},
      {"1.2.3.4", '.', {"1", "2", "3", "4"}},
      {"aXbxc", 'x', {"aXb", "c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitAtChar(c.in, c.c), c.out) << '"' << c.in << '"';
}

TEST(Escapes, UnescapeTurnsEitherCaseIntoLfCr) {
  const struct { std::string_view in, out; } cases[] = {
      {"x\\ny", "x\n\ry"},
      {"x\\Ny", "x\n\ry"},
      {"\\n\\n", "\n\r\n\r"},
      {"\\\\n", "\\\n\r"},
      {"\\", "\\"},
      {"a\\", "a\\"},
      {"\\t\\r", "\\t\\r"},
      {"", ""},
      {"plain", "plain"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnescapeText(c.in), c.out) << '"' << c.in << '"';
    EXPECT_EQ(UnescapeText(UnescapeText(c.in)), c.out) << '"' << c.in << '"';
    EXPECT_EQ(HasEscape(c.in), c.in != c.out) << '"' << c.in << '"';
  }
}

TEST(Escapes, EscapeOnlyLfCr) {
  const struct { std::string_view in, out; } cases[] = {
      {"a\n\rb", "a\\nb"},
      {"\r\n", "\r\n"},
      {"\n\n\r", "\n\\n"},
      {"\n\r\r", "\\n\r"},
      {"\n", "\n"},
      {"a\n\rb\n\r", "a\\nb\\n"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeText(c.in), c.out) << '"' << c.in << '"';
  for (std::string_view v : {"line1\n\rline2", "\n\r\n\r", "x\n\r"}) EXPECT_EQ(UnescapeText(EscapeText(v)), v);
}

TEST(TruthValues, BoolToTextGivesTheConstants) {
  EXPECT_EQ(BoolToText(true), "1");
  EXPECT_EQ(BoolToText(false), "0");
}

TEST(TruthValues, TextToBoolReadsANumber) {
  const struct { std::string_view in; bool b; } cases[] = {
      {" 1 ", true},   {"2", true},     {" -1 ", true},  {"\t7\t", true},  {"$1", true},  {"0x10", true},
      {"0", false},    {" 0 ", false},  {"abc", false},  {"TRUE", false},  {"", false},   {"-0", false},
      {"1a", false},   {"$0", false},   {"1\n\r", false},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToBool(c.in), c.b) << '"' << c.in << '"';
}

TEST(BinaryTextToInt, ThirtyTwoBitPattern) {
  const struct { std::string in; std::int32_t v; } cases[] = {
      {"", 0},
      {"101", 5},
      {"0", 0},
      {"2", 0},
      {"10x", 0},
      {" 1", 0},
      {Ones(32), -1},
      {"1" + std::string(32, '0'), INT_MIN},
      {"1" + std::string(31, '0'), INT_MIN},
      {"0" + Ones(31), INT_MAX},
      {Ones(33), -1},
      {std::string(32, '0') + "1", 0},
      {Ones(31), INT_MAX},
      {Ones(40) + "2", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(BinaryTextToInt(c.in), c.v) << '"' << c.in << '"';
}
