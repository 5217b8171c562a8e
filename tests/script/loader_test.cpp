// Script text to lines: line ends, comments outside quotes, blank lines, labels. What a
// reload does besides is the host's (tests/host/data_files_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/loader.h"
#include "script/text.h"
#include "support/cp1250.h"

using namespace kw;

namespace {

using Lines = std::vector<std::string>;

// A zero byte ends only its own line here; the script reader cuts the text there first
// (ScriptLinesFromText below), the spam list's does not (spam_test.cpp).
TEST(SplitFileLines, LineEndsAndTheZeroByte) {
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"\n", {""}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR is two line ends in a file
      {std::string("a\nb\0c\nd", 7), {"a", "b", "d"}},
      {std::string("a\0\rb\0\r\n\0", 9), {"a", "b", ""}},
      {std::string("\0a", 2), {""}},
      {" x \t\r\n", {" x \t"}},  // lines come as they stand; preparation trims
  };
  for (const auto& c : cases) EXPECT_EQ(SplitFileLines(c.text), c.lines) << c.text;
}

TEST(PrepareScriptLines, TrimsCutsCommentsAndDropsEmptyLines) {
  const struct {
    Lines in;
    Lines out;
  } cases[] = {
      {{"MOV $a, 1 // set a", "", "// only a comment", ":end"}, {"MOV $a, 1", ":end"}},
      {{"MOV $a, 'x // y'"}, {"MOV $a, 'x // y'"}},
      {{"MOV $a, 'x' // y"}, {"MOV $a, 'x'"}},
      {{":loop // main loop"}, {":loop"}},
      {{" \t \t", "\t:a\t"}, {":a"}},
      {{"MOV $a, 'it''s' // c"}, {"MOV $a, 'it''s'"}},
      {{"MOV $a, 'x // odd quote"}, {"MOV $a, 'x // odd quote"}},
      {{"MOV $a, x//y"}, {"MOV $a, x"}},
      {{"MOV $a, x/ /y", "/", "a /"}, {"MOV $a, x/ /y", "/", "a /"}},
      {{"   // indented comment", "x"}, {"x"}},
      {{"MOV $a, 1\r"}, {"MOV $a, 1\r"}},  // only spaces and tabs are blanks
      {{}, {}},
  };
  for (const auto& c : cases) {
    Lines lines = c.in;
    PrepareScriptLines(lines);
    EXPECT_EQ(lines, c.out) << (c.in.empty() ? "" : c.in.front());
  }
}

TEST(PrepareScriptLines, EveryLineEndGivesTheSameScript) {
  const std::string crlf = "MOV $a, 1\r\n\r\n:l // x\r\nGOTO l\r\n";
  std::string lf = crlf, cr = crlf;
  std::erase(lf, '\r');
  std::erase(cr, '\n');
  Lines a = SplitFileLines(crlf), b = SplitFileLines(lf), c = SplitFileLines(cr);
  PrepareScriptLines(a);
  PrepareScriptLines(b);
  PrepareScriptLines(c);
  EXPECT_EQ(a, (Lines{"MOV $a, 1", ":l", "GOTO l"}));
  EXPECT_EQ(b, a);
  EXPECT_EQ(c, a);
}

TEST(FindLabel, WholeLineIgnoringCaseFirstWins) {
  // (Not const: clang 14 crashes trying to constant-evaluate the initializer.)
  Lines lines = {"MOV $a, 1", ": loop", ":loop2", ":LOOP", ":loop", "::x", ":my label"};
  lines.emplace_back(":źródło"_w);
  lines.emplace_back(":");
  const struct {
    std::string name;
    int notFound;
    int want;
  } cases[] = {
      {"loop", -1, 3},
      {"Loop", -1, 3},
      {"loop2", -1, 2},
      {"oop", -1, -1},
      {" loop", -1, 1},
      {":x", -1, 5},
      {"my label", -1, 6},
      {"MY LABEL", -1, 6},
      {std::string("ŹRÓDŁO"_w), -1, 7},
      {"", -1, 8},
      {"nowhere", 0, 0},
      {"nowhere", 42, 42},
      {"MOV $a, 1", -1, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(FindLabel(lines, c.name, c.notFound), c.want) << c.name;
}

// A script file's whole text comes out as the lines that run, in file order.
TEST(ScriptLinesFromText, SplitsAndPrepares) {
  using namespace std::string_literals;
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"// hello\r\n:_init\r\n  MOV $a, 1 // one\r\n\r\nMOV $b, 'x // y'\r\n",
       {":_init", "MOV $a, 1", "MOV $b, 'x // y'"}},
      {":_init\nMOV $a, 1\n\0MOV $a, 2\n"s, {":_init", "MOV $a, 1"}},  // a zero byte ends the script
      {" \t\r\n// only a comment\n\n", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ScriptLinesFromText(c.text), c.lines) << c.text;
}

}  // namespace
