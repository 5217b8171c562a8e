// The interpreter through RunScript, with the null host or a fake one: entry points,
// control flow, the parameter rules, every command, the bounds, and the compiled-script
// cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine_fixture.h"
#include "fake_script_host.h"
#include "recording_trace_sink.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/spam.h"
#include "script/variables.h"
#include "support/ProcFunc.h"
#include "support/casing.h"
#include "support/cp1250.h"

using namespace kw;

namespace {

using Vars = std::vector<std::pair<std::string, std::string>>;
const std::string kUnset = "<unset>";  // in expectations: the variable does not exist

using kwtest::Lines;
using kwtest::RunText;

bool Exists(std::string_view name) { return VariableTable.Find(name) >= 0; }

const TZmienna* Entry(std::string_view upperName) {
  const long i = VariableTable.Find(upperName);
  return i < 0 ? nullptr : &VariableTable[static_cast<std::size_t>(i)];
}

using Interpreter = kwtest::EngineTest;

struct Case {
  std::string script;  // lines separated by "\n"
  Vars before;         // variables set before the run
  Vars after;          // expected values afterwards (kUnset: absent)
};

// The whole table: names, values and save flags, in order.
std::vector<std::string> TableText() {
  std::vector<std::string> rows;
  for (const TZmienna& v : VariableTable) rows.push_back(v.Name + "=" + v.Value + (v.Save ? " saved" : ""));
  return rows;
}

// Runs the case on a fresh table, from _start (or the first line). Then once more with
// every line traced: the trace only watches, so the table must come out the same.
void RunCase(const Case& c, const TRunBounds& bounds = {}) {
  const auto run = [&] {
    ClearVariables();
    for (const auto& [name, value] : c.before) SetVariable(name, value, false);
    RunScriptBounded(Lines(c.script), entryStart, bounds);
  };
  run();
  for (const auto& [name, value] : c.after) {
    if (value == kUnset) {
      EXPECT_FALSE(Exists(UpperCase(name))) << c.script << " / " << name;
    } else {
      EXPECT_TRUE(Exists(UpperCase(name))) << c.script << " / " << name;
      EXPECT_EQ(ResolveValue(name), value) << c.script << " / " << name;
    }
  }
  const std::vector<std::string> untraced = TableText();
  kwtest::RecordingTraceSink sink;
  run();
  EXPECT_EQ(TableText(), untraced) << c.script << " (traced)";
}

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) RunCase(c);
}

// ---- entry points --------------------------------------------------------------------

TEST_F(Interpreter, EntryCodes) {
  const std::string script =
      "STRCON $t, 'top'\n:_init\nSTRCON $t, 'i'\nEXIT\n:_START\nSTRCON $t, 's'\nEXIT\n"
      ":_menu_show\nSTRCON $t, 'm'\nEXIT\n:_Menu_Click\nSTRCON $t, 'c'\n";
  const struct {
    int code;
    std::string t;
  } cases[] = {{0, "i"}, {1, "s"}, {2, "m"}, {3, "c"}, {4, "s"}, {-1, "s"}, {100, "s"}};
  for (const auto& c : cases) {
    ClearVariables();
    RunText(script, c.code);
    EXPECT_EQ(ResolveValue("$t"), c.t) << c.code;
  }
}

TEST_F(Interpreter, MissingEntryLabels) {
  const std::string script = "STRCON $t, 'a'\n:_init\nSTRCON $t, 'i'\nEXIT\n:other\nSTRCON $t, 'o'";
  RunText(script, entryStart);  // no _start: from the top, through _init
  EXPECT_EQ(ResolveValue("$t"), "ai");
  for (int code : {entryMenuShow, entryMenuClick}) {
    ClearVariables();
    RunText(script, code);
    EXPECT_TRUE(VariableTable.empty()) << code;
  }
  ClearVariables();
  RunText("STRCON $t, 'a'", entryInit);  // no _init: nothing at load
  EXPECT_TRUE(VariableTable.empty());
}

TEST_F(Interpreter, EmptyScriptEndsAtOnce) {
  for (int code : {0, 1, 2, 3}) RunScript({}, code);
  RunText("// only a comment\n\n", entryStart);
  EXPECT_TRUE(VariableTable.empty());
}

TEST_F(Interpreter, InitLabelOnTheLastLine) {
  RunText("MOV $a, 1\n:_init", entryInit);
  EXPECT_TRUE(VariableTable.empty());
}

// ---- control flow --------------------------------------------------------------------

TEST_F(Interpreter, ControlFlow) {
  RunCases({
      {"IF 1 = 2\nEXIT\nMOV $a, 1", {}, {{"$a", "1"}}},
      {"GOTO nowhere\nMOV $a, 1", {}, {{"$a", "1"}}},
      {"CALL nowhere\nADD $n, 1\nRET\nSTRCON $t, 'x'", {}, {{"$n", "2"}, {"$t", "x"}}},
      {"RET\nMOV $a, 1", {}, {{"$a", "1"}}},
      {"CALL sub\nMOV $a, 1\nEXIT\n:sub\nMOV $b, 1\nEXIT", {}, {{"$a", kUnset}, {"$b", "1"}}},
      {"CALL sub\nSTRCON $t, 'c'\nEXIT\n:sub\nSTRCON $t, 's'\nRET", {}, {{"$t", "sc"}}},
      {"CALL a\nSTRCON $t, '3'\nEXIT\n:a\nCALL b\nSTRCON $t, '2'\nRET\n:b\nSTRCON $t, '1'\nRET",
       {},
       {{"$t", "123"}}},
      {"CALL s\nEXIT\n:s\nRET", {}, {}},
      {"IF 1 = 2\n:lab\nMOV $a, 1", {}, {{"$a", "1"}}},
      {"IF 1 = 1\nMOV $a, 1\nMOV $b, 1", {}, {{"$a", "1"}, {"$b", "1"}}},
      {"IF 1 = 2\nMOV $a, 1\nMOV $b, 1", {}, {{"$a", kUnset}, {"$b", "1"}}},
      {"IF 1 = 2\nGOTO x\nMOV $a, 1\n:x\nMOV $b, 1", {}, {{"$a", "1"}, {"$b", "1"}}},
      {"IF 1 = 2\nMOV $a, 1", {}, {{"$a", kUnset}}},
      {"MOV $a, 1\nIF 1 = 2", {}, {{"$a", "1"}}},
      {"IF $x\nMOV $a, 1\nMOV $b, 1", {{"$x", "1"}}, {{"$a", kUnset}}},  // no operator: false
      {"IF\nMOV $a, 1\nMOV $b, 1", {}, {{"$a", kUnset}, {"$b", "1"}}},
      {"GOTO END\nMOV $a, 1\n:end\nMOV $b, 1", {}, {{"$a", kUnset}, {"$b", "1"}}},
      {"GOTO x\n:X\nSTRCON $t, '1'\nEXIT\n:x\nSTRCON $t, '2'", {}, {{"$t", "1"}}},
      {"GOTO $x\nMOV $a, 1\n:$x\nMOV $b, 1", {{"$x", "zz"}}, {{"$a", kUnset}, {"$b", "1"}}},
      {"GOTO my label\nMOV $a, 1\n:my label\nMOV $b, 1", {}, {{"$a", kUnset}, {"$b", "1"}}},
      {"GOTO loop\nMOV $a, 1\n: loop\nMOV $b, 1", {}, {{"$a", "1"}, {"$b", "1"}}},
      {"GOTO end\nMOV $a, 1\n:end", {}, {{"$a", kUnset}}},
      {"GOTO\nMOV $a, 1\n:\nMOV $b, 1", {}, {{"$a", kUnset}, {"$b", "1"}}},
      {"EXIT\nMOV $a, 1", {}, {{"$a", kUnset}}},
      {"EXIT now please\nMOV $a, 1", {}, {{"$a", kUnset}}},
      {"RET 5\nMOV $a, 1", {}, {{"$a", "1"}}},
      {"MOV $i, 0\n:l\nADD $i, 1\nIF $i < 5\nGOTO l", {}, {{"$i", "5"}}},
      {"Goto End\nMOV $a, 1\n:END", {}, {{"$a", kUnset}}},
      {"CALL s\nCALL s\nEXIT\n:s\nADD $n, 1\nRET", {}, {{"$n", "2"}}},
      {"CALL s\nMOV $a, 1\n:s\nADD $n, 1", {}, {{"$n", "1"}, {"$a", kUnset}}},  // fell off the end
  });
}

// ---- parameters ----------------------------------------------------------------------

TEST_F(Interpreter, ParameterRules) {
  RunCases({
      {"MOV $a", {{"$a", "7"}}, {{"$a", "7"}}},
      {"FOO 1, 2\nMOV$a, 5\nM0V $a, 5", {}, {{"$a", kUnset}}},
      {"mov $a, 5", {}, {{"$a", "5"}}},
      {"MOV\t$a, 5", {}, {{"$a", "5"}}},
      {"MoV  $a ,  5 ", {}, {{"$a", "5"}}},
      {"MOV $a, 1, 2", {}, {{"$a", "1"}}},
      {"MOV a, 5", {}, {{"$a", "5"}}},
      {"MOV $a, 'x, y'", {}, {{"$a", "x, y"}}},
      {"MOV $a, x\\ny", {}, {{"$a", "x\n\ry"}}},
      {"MOV $a, 'x\\Ny'", {}, {{"$a", "x\n\ry"}}},
      {"MOV $a, #PROTO_gg", {}, {{"$a", "GG"}}},
      {"MOV $a, #nope", {}, {{"$a", "#nope"}}},
      {"MOV $a, #CINFO_BLOCKED", {}, {{"$a", "65536"}}},
      {"MOV $a, b11", {}, {{"$a", "3"}}},
      {"MOV $a, bardzo", {}, {{"$a", "0"}}},
      {"MOV $a, 'bardzo'", {}, {{"$a", "bardzo"}}},
      {"MOV $a, hello", {}, {{"$a", "hello"}}},
      {"MOV $a, $b", {{"$b", "Q"}}, {{"$a", "Q"}}},
      {"MOV $a, $B", {{"$b", "Q"}}, {{"$a", "Q"}}},
      {"MOV $a, $nope", {}, {{"$a", ""}, {"$nope", kUnset}}},
      {"MOV $a, ''", {}, {{"$a", ""}}},
      {"MOV $a, '", {}, {{"$a", ""}}},
      {"MOV $a, 'abc", {}, {{"$a", "'abc"}}},
      {"MOV $a, ", {{"$a", "7"}}, {{"$a", "7"}}},  // the trailing comma adds no piece
      {"MOV $a, ,", {}, {{"$a", ""}}},
      {std::string("MOV $ą, 1"_w), {}, {{std::string("$Ą"_w), "1"}}},
      {"MOV $a, 1\nMOV $a, $a", {}, {{"$a", "1"}}},
  });
}

TEST_F(Interpreter, ResultWithoutNameWritesNothing) {
  RunText("MOV , 5\nSTRCON , 'a'");
  EXPECT_TRUE(VariableTable.empty());
}

TEST_F(Interpreter, LinesGivenUnpreparedAreTrimmedWhenRun) {
  RunScript({"  MOV $a, 1 \t", "", "\t:l", "GOTO x", ":x", "  STRCON $b, 'y' // z"}, entryStart);
  EXPECT_EQ(ResolveValue("$a"), "1");
  EXPECT_EQ(ResolveValue("$b"), "'y' // z");  // comments are the loader's business
}

TEST_F(Interpreter, IndentedLabelIsPassedOverButNotFound) {
  RunScript({"GOTO l", "MOV $a, 1", " :l", "MOV $b, 1"}, entryStart);
  EXPECT_EQ(ResolveValue("$a"), "1");
  EXPECT_EQ(ResolveValue("$b"), "1");
}

// ---- numbers -------------------------------------------------------------------------

TEST_F(Interpreter, Arithmetic) {
  RunCases({
      {"ADD $a, 1", {{"$a", "2147483647"}}, {{"$a", "-2147483648"}}},
      {"ADD $a, 1", {}, {{"$a", "1"}}},
      {"ADD $a, x", {{"$a", "5"}}, {{"$a", "5"}}},
      {"ADD $a, '$10'", {{"$a", "5"}}, {{"$a", "21"}}},
      {"ADD $a, $10", {{"$a", "5"}}, {{"$a", "5"}}},
      {"ADD a, 1", {{"$a", "5"}}, {{"$a", "1"}}},
      {"ADD $a, 0x10", {{"$a", "5"}}, {{"$a", "21"}}},
      {"ADD $a, B101", {{"$a", "5"}}, {{"$a", "10"}}},
      {"ADD $a, #STS_XA", {{"$a", "5"}}, {{"$a", "11"}}},
      {"ADD $a, '$FFFFFFFF'", {{"$a", "5"}}, {{"$a", "4"}}},
      {"ADD $a, 1", {{"$a", "abc"}}, {{"$a", "1"}}},
      {"ADD $a, 1", {{"$a", " 007"}}, {{"$a", "8"}}},
      {"ADD $a, -2147483648", {{"$a", "-1"}}, {{"$a", "2147483647"}}},
      {"SUBB $a, 3", {{"$a", "5"}}, {{"$a", "2"}}},
      {"SUBB $a, 1", {{"$a", "-2147483648"}}, {{"$a", "2147483647"}}},
      {"SUBB $a, -2147483648", {{"$a", "0"}}, {{"$a", "-2147483648"}}},
      {"MUL $a, 2", {{"$a", "2147483647"}}, {{"$a", "-2"}}},
      {"MUL $a, 65536", {{"$a", "65536"}}, {{"$a", "0"}}},
      {"MUL $a, -1", {{"$a", "-2147483648"}}, {{"$a", "-2147483648"}}},
      {"MUL $a, -3", {{"$a", "7"}}, {{"$a", "-21"}}},
      {"DIV $a, 0", {{"$a", "9"}}, {{"$a", "0"}}},
      {"DIV $a, x", {{"$a", "9"}}, {{"$a", "0"}}},
      {"DIV $a, 2", {{"$a", "-7"}}, {{"$a", "-3"}}},
      {"DIV $a, -2", {{"$a", "7"}}, {{"$a", "-3"}}},
      {"DIV $a, 3", {{"$a", "7"}}, {{"$a", "2"}}},
      {"DIV $a, -1", {{"$a", "5"}}, {{"$a", "-5"}}},
      {"DIV $a, -1", {{"$a", "-2147483648"}}, {{"$a", "-2147483648"}}},
      {"DIV $a, 2", {{"$a", "-2147483648"}}, {{"$a", "-1073741824"}}},
      {"BITAND $a, 12", {{"$a", "10"}}, {{"$a", "8"}}},
      {"BITOR $a, 12", {{"$a", "10"}}, {{"$a", "14"}}},
      {"BITXOR $a, 12", {{"$a", "10"}}, {{"$a", "6"}}},
      {"BITAND $a, '$FFFF'", {{"$a", "-1"}}, {{"$a", "65535"}}},
      {"BITNOT $a", {{"$a", "0"}}, {{"$a", "-1"}}},
      {"BITNOT $a", {{"$a", "2147483647"}}, {{"$a", "-2147483648"}}},
      {"BITNOT $a", {}, {{"$a", "-1"}}},
      {"BITSHR $a, 1", {{"$a", "-1"}}, {{"$a", "2147483647"}}},
      {"BITSHR $a, 1", {{"$a", "-2"}}, {{"$a", "2147483647"}}},
      {"BITSHR $a, 33", {{"$a", "8"}}, {{"$a", "4"}}},
      {"BITSHR $a, 31", {{"$a", "-2147483648"}}, {{"$a", "1"}}},
      {"BITSHL $a, 31", {{"$a", "1"}}, {{"$a", "-2147483648"}}},
      {"BITSHL $a, 32", {{"$a", "1"}}, {{"$a", "1"}}},
      {"BITSHL $a, -1", {{"$a", "1"}}, {{"$a", "-2147483648"}}},
      {"BITSHL $a, x", {{"$a", "3"}}, {{"$a", "3"}}},
      {"BITSHL $a, 4", {{"$a", "-1"}}, {{"$a", "-16"}}},
      {"ADD $a", {{"$a", "5"}}, {{"$a", "5"}}},
      {"BITNOT", {}, {}},
  });
}

TEST_F(Interpreter, ChkInt) {
  const struct {
    std::string value;
    std::string result;
  } cases[] = {
      {"'12'", "1"},       {"' 12'", "1"}, {"'12 '", "0"},         {"x", "0"},
      {"'$FF'", "1"},      {"''", "0"},    {"'-2147483648'", "1"}, {"'2147483648'", "0"},
      {"'+5'", "1"},       {"'0x'", "0"},  {"#TRUE", "1"},         {"B", "1"},
      {"'\t1'", "0"},      {"$n", "1"},    {"$nope", "0"},
  };
  for (const auto& c : cases) {
    ClearVariables();
    SetVariable("$n", "42", false);
    RunText("CHKINT " + c.value + ", $ok");
    EXPECT_EQ(ResolveValue("$ok"), c.result) << c.value;
  }
  ClearVariables();
  RunText("CHKINT '1'");
  EXPECT_TRUE(VariableTable.empty());
}

// ---- texts ---------------------------------------------------------------------------

TEST_F(Interpreter, TextCommands) {
  RunCases({
      {"STRCOPY $r, 'abcdef', 0, 2", {}, {{"$r", "ab"}}},
      {"STRCOPY $r, 'abcdef', 5, 10", {}, {{"$r", "ef"}}},
      {"STRCOPY $r, 'abc', 2, x", {}, {{"$r", ""}}},
      {"STRCOPY $r, 'abc', x, 2", {}, {{"$r", "ab"}}},
      {"STRCOPY $r, 'abc', 3, 1", {}, {{"$r", "c"}}},
      {"STRCOPY $r, 'abc', 4, 1", {{"$r", "z"}}, {{"$r", ""}}},
      {"STRCOPY $r, 'abc', 1, -1", {}, {{"$r", ""}}},
      {"STRCOPY $r, 'abc', -5, 2147483647", {}, {{"$r", "abc"}}},
      {"STRCOPY $r, 'abc', 2147483647, 2147483647", {}, {{"$r", ""}}},
      {"STRCOPY $r, 'abc', -2147483648, 1", {}, {{"$r", "a"}}},
      {"STRCOPY $a, $a, 2, 3", {{"$a", "abcdef"}}, {{"$a", "bcd"}}},
      {"STRCOPY $r, 'abc', 1", {{"$r", "z"}}, {{"$r", "z"}}},
      {"STRDEL $s, 10, 1", {{"$s", "abc"}}, {{"$s", "abc"}}},
      {"STRDEL $s, 2, 1", {{"$s", "abc"}}, {{"$s", "ac"}}},
      {"STRDEL $s, 0, 1", {{"$s", "abc"}}, {{"$s", "abc"}}},
      {"STRDEL $s, 3, 1", {{"$s", "abc"}}, {{"$s", "ab"}}},
      {"STRDEL $s, 4, 1", {{"$s", "abc"}}, {{"$s", "abc"}}},
      {"STRDEL $s, 2, 0", {{"$s", "abc"}}, {{"$s", "abc"}}},
      {"STRDEL $s, 2, -1", {{"$s", "abc"}}, {{"$s", "abc"}}},
      {"STRDEL $s, 2, 100", {{"$s", "abc"}}, {{"$s", "a"}}},
      {"STRDEL $s, 3, 2147483647", {{"$s", "abc"}}, {{"$s", "ab"}}},
      {"STRDEL $s, x, 1", {{"$s", "abc"}}, {{"$s", "bc"}}},
      {"STRDEL $s, 1, x", {{"$s", "abc"}}, {{"$s", "abc"}}},
      {"STRDEL $s, 1, 1", {}, {{"$s", ""}}},
      {"STRDEL $s, 1", {{"$s", "abc"}}, {{"$s", "abc"}}},
      {"STRPOS $p, 'c', 'abcabc'", {}, {{"$p", "3"}}},
      {"STRPOS $p, 'bc', 'abcabc'", {}, {{"$p", "2"}}},
      {"STRPOS $p, 'C', 'abc'", {}, {{"$p", "0"}}},
      {"STRPOS $p, '', 'abc'", {}, {{"$p", "0"}}},
      {"STRPOS $p, 'a', ''", {}, {{"$p", "0"}}},
      {"STRPOS $p, 'abcd', 'abc'", {}, {{"$p", "0"}}},
      {"STRPOS $p, 'abc', 'abc'", {}, {{"$p", "1"}}},
      {"STRPOS $p, 'c'", {{"$p", "z"}}, {{"$p", "z"}}},
      {"STREXT 'a;b;;c', ';', 2, $r", {}, {{"$r", ""}}},
      {"STREXT 'a;b;;c', ';', 3, $r", {}, {{"$r", "c"}}},
      {"STREXT 'a;b;;c', ';', 4, $r", {{"$r", "z"}}, {{"$r", ""}}},
      {"STREXT 'a;b', '', 0, $r", {{"$r", "z"}}, {{"$r", ""}}},
      {"STREXT 'a;b;;c', ';', 0, $r", {}, {{"$r", "a"}}},
      {"STREXT 'a;b;;c', ';', x, $r", {{"$r", "z"}}, {{"$r", ""}}},
      {"STREXT 'a;b;;c', ';', -1, $r", {{"$r", "z"}}, {{"$r", ""}}},
      {"STREXT 'a;b', ';x', 1, $r", {}, {{"$r", "b"}}},
      {"STREXT 'a;b;', ';', 2, $r", {{"$r", "z"}}, {{"$r", ""}}},
      {"STREXT '', ';', 0, $r", {{"$r", "z"}}, {{"$r", ""}}},
      {"STREXT 'a,b', ',', 1, $r", {}, {{"$r", "b"}}},
      {"STREXT $s, ' ', 1, $s", {{"$s", "ala ma kota"}}, {{"$s", "ma"}}},
      {"STREXT 'a;b', ';', 1", {}, {}},
      {"STRCON $s, 'a'\nSTRCON $s, 'a'", {}, {{"$s", "aa"}}},
      {"STRCON $s, 'a', 'b'", {{"$s", "x"}}, {{"$s", "xab"}}},
      {"STRCON $s, $s", {{"$s", "ab"}}, {{"$s", "abab"}}},
      {"STRCON $s, 1, #TRUE, b10, ''", {}, {{"$s", "112"}}},
      {"STRCON $s", {{"$s", "x"}}, {{"$s", "x"}}},
      {"STRLEN $n, 'abc'", {}, {{"$n", "3"}}},
      {"STRLEN $n, ''", {}, {{"$n", "0"}}},
      {"STRLEN $n, 'a\\nb'", {}, {{"$n", "4"}}},
      {"STRLEN $n, $n", {{"$n", "12345"}}, {{"$n", "5"}}},
      {"STRLEN $n", {{"$n", "x"}}, {{"$n", "x"}}},
      {"STRTRIM $s", {{"$s", " \t x y \n\r\x01"}}, {{"$s", "x y"}}},
      {"STRTRIM $s", {{"$s", std::string("\u00A0ą "_w)}}, {{"$s", std::string("\u00A0ą"_w)}}},  // 160 stays
      {"STRTRIM $s", {}, {{"$s", ""}}},
      {"STRUP $s", {{"$s", std::string("zażółć gęślą jaźń x1"_w)}}, {{"$s", std::string("ZAŻÓŁĆ GĘŚLĄ JAŹŃ X1"_w)}}},
      {"STRLOW $s", {{"$s", std::string("ZAŻÓŁĆ Gęślą X1"_w)}}, {{"$s", std::string("zażółć gęślą x1"_w)}}},
      {"STRUP abc", {}, {{"$abc", "ABC"}}},
      {"STRLOW", {}, {}},
  });
}

TEST_F(Interpreter, ChkSpamWritesATruthValue) {
  SpamList.clear();
  RunText("CHKSPAM $r, 'hello'\nCHKSPAM $q");
  EXPECT_EQ(ResolveValue("$r"), "0");
  EXPECT_FALSE(Exists("$Q"));
}

TEST_F(Interpreter, SaveSetsTheFlag) {
  SetVariable("$v", "keep", false);
  RunText("SAVE $k, 1\nSAVE $v, ' 2 '\nSAVE $w, 0\nSAVE $x");
  ASSERT_NE(Entry("$K"), nullptr);
  EXPECT_TRUE(Entry("$K")->Save);
  EXPECT_EQ(Entry("$K")->Value, "");
  EXPECT_TRUE(Entry("$V")->Save);
  EXPECT_EQ(Entry("$V")->Value, "keep");
  ASSERT_NE(Entry("$W"), nullptr);
  EXPECT_TRUE(Entry("$W")->Save);  // created with the flag on, whatever was asked
  EXPECT_EQ(Entry("$X"), nullptr);
  RunText("SAVE $v, abc");
  EXPECT_FALSE(Entry("$V")->Save);
}

TEST_F(Interpreter, ResultsKeepTheirSaveFlag) {
  SetVariable("$s", "1", true);
  RunText("ADD $s, 1\nMOV $new, 1");
  EXPECT_TRUE(Entry("$S")->Save);
  EXPECT_EQ(Entry("$S")->Value, "2");
  EXPECT_FALSE(Entry("$NEW")->Save);
}

// ---- date and time -------------------------------------------------------------------

void ExpectPlainNumberIn(const char* name, int low, int high) {
  const std::string text = ResolveValue(name);
  ASSERT_TRUE(IsInteger(text)) << name << "=" << text;
  const int value = ReadInt(text, -1);
  EXPECT_EQ(text, IntToText(value)) << name;  // no leading zeros, no sign
  EXPECT_GE(value, low) << name;
  EXPECT_LE(value, high) << name;
}

TEST_F(Interpreter, DateAndTimeFromTheHostsClock) {
  kwtest::FakeScriptHost host;
  host.Clock = {2031, 1, 2, 0, 9, 59};
  RunText("GETDATE $y, $m, $d\nGETTIME $h, $n, $s");
  EXPECT_EQ(ResolveValue("$y") + ResolveValue("$m") + ResolveValue("$d"), "203112");
  EXPECT_EQ(ResolveValue("$h") + "|" + ResolveValue("$n") + "|" + ResolveValue("$s"), "0|9|59");
}

// The null host reads the system clock.
TEST_F(Interpreter, DateAndTimeWithoutAHost) {
  RunText("GETDATE $y, $m, $d\nGETTIME $h, $n, $s");
  ExpectPlainNumberIn("$y", 2000, 9999);
  ExpectPlainNumberIn("$m", 1, 12);
  ExpectPlainNumberIn("$d", 1, 31);
  ExpectPlainNumberIn("$h", 0, 23);
  ExpectPlainNumberIn("$n", 0, 59);
  ExpectPlainNumberIn("$s", 0, 60);
}

TEST_F(Interpreter, DateAndTimeNeedThreeResults) {
  RunText("GETDATE $y, $m\nGETTIME $h, $n");
  EXPECT_TRUE(VariableTable.empty());
}

// ---- host commands -------------------------------------------------------------------

// Each host command hands its values over as they read when it runs, in order; results
// land in order too, and SETSTS's missing or unreadable state counts as 2.
TEST_F(Interpreter, HostCommandsReachTheHost) {
  kwtest::FakeScriptHost host;
  host.State = {4, "away\nnow"};
  host.Contacts.push_back({"ALA@TLEN.PL", "", -1, 9, "Ala", "Friends", "busy"});
  SetVariable("$to", "ala@tlen.pl", false);
  RunText("SEND $to, 'hi\\nthere'\nSETSTS GG, x, $to\nSETSTS #PROTO_TLEN, #STS_AWAY, ''\n"
          "READSTS $to, $s, $d\nCONINFO 'Ala@Tlen.pl', $n, $g, $o, $f\nCONINFO 'bob', $n2, $g2, $o2, $f2");
  EXPECT_EQ(host.Sent, (std::vector<kwtest::FakeScriptHost::Message>{{"ala@tlen.pl", "hi\n\rthere"}}));
  EXPECT_EQ(host.StatusChanges, (std::vector<kwtest::FakeScriptHost::StatusChange>{
                                    {"GG", 2, "ala@tlen.pl"}, {"TLEN", 5, ""}}));
  EXPECT_EQ(host.StatusReads, std::vector<std::string>{"ala@tlen.pl"});
  EXPECT_EQ(ResolveValue("$s") + "|" + ResolveValue("$d"), "4|away\nnow");
  EXPECT_EQ(ResolveValue("$n") + "|" + ResolveValue("$g") + "|" + ResolveValue("$o") + "|" + ResolveValue("$f"),
            "Ala|Friends|busy|9");
  EXPECT_EQ(ResolveValue("$n2") + "|" + ResolveValue("$f2"), "|0");
}

TEST_F(Interpreter, HostCommandsWithoutAHost) {
  RunText("SEND 'x@y', 'hi'\nSETSTS #PROTO_TLEN, #STS_AWAY, 'away'\n"
      "READSTS #PROTO_GG, $s, $d\nCONINFO 'x@y', $n, $g, $o, $f\n"
      "MenuAdd 'a', 'A'\nMenuShow 'a', 0\nMenuDel a\nSaveConfig\nMOV $done, 1");
  EXPECT_EQ(ResolveValue("$s"), "0");
  EXPECT_TRUE(Exists("$D"));
  EXPECT_EQ(ResolveValue("$d"), "");
  for (const char* name : {"$N", "$G", "$O"}) {
    EXPECT_TRUE(Exists(name)) << name;
    EXPECT_EQ(ResolveValue(name), "") << name;
  }
  EXPECT_EQ(ResolveValue("$f"), "0");
  EXPECT_EQ(ResolveValue("$done"), "1");
}

TEST_F(Interpreter, HostCommandsWithTooFewParameters) {
  kwtest::FakeScriptHost host;
  RunText("SEND 'x'\nSETSTS a, 1\nREADSTS a, $s\nCONINFO 'x', $n, $g, $o\nMenuAdd 'a'\nMOV $done, 1");
  EXPECT_TRUE(host.Sent.empty() && host.StatusChanges.empty() && host.StatusReads.empty() && host.Menu.empty());
  EXPECT_EQ(VariableTable.size(), 1u);
  EXPECT_EQ(ResolveValue("$done"), "1");
}

TEST_F(Interpreter, ReadStsAndConInfoWriteInOrder) {
  kwtest::FakeScriptHost host;
  host.State = {5, "text"};
  host.Contacts.push_back({"ID", "", -1, 7, "n", "g", "d"});
  RunText("READSTS GG, $x, $x\nCONINFO 'id', $y, $y, $y, $y");
  EXPECT_EQ(ResolveValue("$x"), "text");  // the description is written last
  EXPECT_EQ(ResolveValue("$y"), "7");     // the flags are written last
}

// ---- menu and settings ---------------------------------------------------------------

TEST_F(Interpreter, MenuCommands) {
  kwtest::FakeScriptHost host;
  RunText("MenuAdd 'one', 'First'\nMENUADD 'two', 'Second'\nMenuAdd 'one', 'Renamed'\nMenuAdd 'three'");
  ASSERT_EQ(host.Menu.size(), 2u);
  ASSERT_NE(host.Entry("ONE"), nullptr);
  EXPECT_EQ(host.Entry("one")->Caption, "Renamed");
  EXPECT_TRUE(host.Entry("one")->Visible);

  RunText("MenuShow 'one', #FALSE\nMenuShow 'nothing', 0\nMenuShow 'one'");
  EXPECT_FALSE(host.Entry("one")->Visible);
  RunText("MenuShow 'One', ' 7 '");
  EXPECT_TRUE(host.Entry("one")->Visible);

  RunText("MenuDel 'x'\nMenuDel");
  EXPECT_EQ(host.Menu.size(), 2u);
  SetVariable("$which", "one", false);
  RunText("MenuDel $which");
  EXPECT_EQ(host.Menu.size(), 1u);
  EXPECT_EQ(host.Entry("one"), nullptr);
  RunText("MenuDel '', 'two'");  // the whole rest is one value: no such entry
  EXPECT_EQ(host.Menu.size(), 1u);
}

TEST_F(Interpreter, SaveConfigAsksTheHostToSaveAndGoesOn) {
  kwtest::FakeScriptHost host;
  RunText("SaveConfig now\nMOV $after, 1\nSAVECONFIG");
  EXPECT_EQ(host.Saves, 2);
  EXPECT_EQ(ResolveValue("$after"), "1");
}

// ---- bounds --------------------------------------------------------------------------

TEST_F(Interpreter, EndlessLoopEndsAtTheLineBound) {
  const TScriptLines lines = Lines(":l\nADD $n, 1\nGOTO l");
  RunScriptBounded(lines, entryStart, TRunBounds{.Lines = 1000});
  EXPECT_EQ(ResolveValue("$n"), "333");  // label, ADD, GOTO: every line reached counts
  ClearVariables();
  RunScriptBounded(lines, entryStart, TRunBounds{.Lines = 0});
  EXPECT_TRUE(VariableTable.empty());
  // With the default bound a plain endless loop returns too.
  RunText(":l\nGOTO l");
}

TEST_F(Interpreter, EndlessRecursionEndsAtTheDepthBound) {
  RunText(":f\nADD $d, 1\nCALL f\nMOV $never, 1");
  EXPECT_EQ(ResolveValue("$d"), IntToText(static_cast<std::int32_t>(kMaxReturnDepth + 1)));
  EXPECT_FALSE(Exists("$NEVER"));
}

// Small byte and value bounds, so that each case shows the line where its run ends. A
// text read or written counts its length; numbers taken or written as numbers do not;
// the line that takes the budget below 0 completes and the run ends after it.
TEST_F(Interpreter, ByteAndValueBounds) {
  const auto bytes = [](std::int64_t n) { return TRunBounds{.Bytes = n}; };
  const TRunBounds value4{.ValueBytes = 4};
  const Vars five = {{"$m", "abcde"}};  // longer than the value bound, as a host's message may be
  const std::string twenty = std::string(19, 'a') + "b";  // matches 19 bytes at every 'a'
  const Vars search = {{"$p", "z"}, {"$q", twenty}, {"$t", std::string(40, 'a')}};
  const std::pair<Case, TRunBounds> cases[] = {
      // MOV 'abcd' counts 8 (read and written), MOV 'xyz' 6 more.
      {{"MOV $a, 'abcd'\nMOV $b, 'xyz'\nMOV $c, 1", {}, {{"$b", "xyz"}, {"$c", kUnset}}}, bytes(13)},
      {{"MOV $a, 'abcd'\nMOV $b, 'xyz'\nMOV $c, 1", {}, {{"$c", "1"}}}, bytes(14)},
      // Each ADD reads 6 digits and writes for free; MOV $c counts 2 and ends the run.
      {{"ADD $n, 1\nADD $n, 1\nMOV $c, 1\nMOV $d, 1", {{"$n", "123456"}},
        {{"$n", "123458"}, {"$c", "1"}, {"$d", kUnset}}}, bytes(13)},
      // A zero a command wrote is read as its one digit: 1, then 2, then MOV $c's 2.
      {{"SUBB $n, 1\nADD $n, $n\nMOV $c, 1\nMOV $d, 1", {{"$n", "1"}},
        {{"$n", "0"}, {"$c", "1"}, {"$d", kUnset}}}, bytes(4)},
      {{"IF $m = $m\nMOV $a, 1", five, {{"$a", kUnset}}}, bytes(9)},
      {{"IF $m = $m\nMOV $a, 1", five, {{"$a", "1"}}}, bytes(10)},
      // A write beyond the value bound is not made and ends the run.
      {{"MOV $s, 'ab'\nSTRCON $s, 'cd'\nSTRCON $s, 'e'\nMOV $after, 1", {},
        {{"$s", "abcd"}, {"$after", kUnset}}}, value4},
      {{"STRCON $m, ''\nMOV $after, 1", five, {{"$m", "abcde"}, {"$after", kUnset}}}, value4},
      {{"MOV $x, 'old'\nMOV $x, $m\nMOV $after, 1", five, {{"$x", "old"}, {"$after", kUnset}}}, value4},
      {{"STRUP $m", five, {{"$m", "abcde"}}}, value4},
      {{"STRTRIM $m", five, {{"$m", "abcde"}}}, value4},
      {{"STRDEL $m, 9, 1", five, {{"$m", "abcde"}}}, value4},
      // Results within the bound are written, however long their source.
      {{"STRDEL $m, 1, 1\nSTRCOPY $x, $m, 2, 3\nSTRLEN $n, $m\nSTRPOS $p, 'e', $m\nMOV $after, 1", five,
        {{"$m", "bcde"}, {"$x", "cde"}, {"$n", "4"}, {"$p", "4"}, {"$after", "1"}}}, value4},
      // STRPOS counts 60 read, then 20 at each 'a' (16, then the 4 past them): its third
      // position takes 100 below 0 and the run ends without an answer.
      {{"STRPOS $p, $q, $t\nMOV $after, 1", search, {{"$p", "z"}, {"$after", kUnset}}}, bytes(100)},
      {{"STRPOS $p, $q, $t\nMOV $after, 1", search, {{"$p", "0"}, {"$after", "1"}}}, {}},
  };
  for (const auto& [c, bounds] : cases) RunCase(c, bounds);
}

TEST_F(Interpreter, ConInfoStopsAtARefusedField) {
  kwtest::FakeScriptHost host;
  host.Contacts.push_back({"id", "", -1, 3, "ala", "abcde", "x"});
  RunScriptBounded(Lines("CONINFO 'id', $n, $g, $d, $f\nMOV $after, 1"), entryStart,
                   TRunBounds{.ValueBytes = 4});
  EXPECT_EQ(ResolveValue("$n"), "ala");
  for (const char* name : {"$G", "$D", "$F", "$AFTER"}) EXPECT_FALSE(Exists(name)) << name;
}

// Where a loop ends by the counting rule: round r (from 1) charges lineCharges(r)[i]
// for its i-th line that reads or writes text; the run ends after the line that takes
// the budget below 0. Returns that round and that line's index.
std::pair<std::int64_t, std::size_t> LoopEnd(
    const std::function<std::vector<std::int64_t>(std::int64_t)>& lineCharges) {
  std::int64_t left = kMaxRunBytes;
  for (std::int64_t round = 1;; ++round) {
    const std::vector<std::int64_t> charges = lineCharges(round);
    for (std::size_t i = 0; i < charges.size(); ++i)
      if ((left -= charges[i]) < 0) return {round, i};
  }
}

// Bytes of a counter's value: 0 while it is unset.
std::int64_t Digits(std::int64_t n) { return n == 0 ? 0 : static_cast<std::int64_t>(std::to_string(n).size()); }

std::size_t LongestValue() {
  std::size_t longest = 0;
  for (const TZmienna& v : VariableTable) longest = std::max(longest, v.Value.size());
  return longest;
}

// Loops that held the host for seconds or minutes, or grew one value until memory ran
// out, end at the default bounds where the rule says, and leave no value beyond the
// value bound behind.
TEST_F(Interpreter, ExpensiveLoopsEndAtTheByteAndValueBounds) {
  const std::string message(60'000, 'm');
  SetVariable("$_MESSAGE", message, false);
  RunText(":l\nADD $n, 1\nMOV $x, $_MESSAGE\nGOTO l");
  const auto copied = LoopEnd([](std::int64_t r) { return std::vector<std::int64_t>{Digits(r - 1), 120'000}; });
  EXPECT_EQ(ResolveValue("$n"), std::to_string(copied.first));
  EXPECT_EQ(ResolveValue("$x"), message);

  ClearVariables();
  RunText(":l\nADD $i, 1\nSTRCON $s, x\nSTRLEN $n, $s\nGOTO l");
  // STRCON reads r - 1 and 1 and writes r; STRLEN reads r.
  const auto [round, line] = LoopEnd([](std::int64_t r) { return std::vector<std::int64_t>{Digits(r - 1), 2 * r, r}; });
  EXPECT_EQ(ResolveValue("$i"), std::to_string(round));
  EXPECT_EQ(Entry("$S")->Value.size(), static_cast<std::size_t>(line >= 1 ? round : round - 1));
  EXPECT_EQ(ResolveValue("$n"), std::to_string(line == 2 ? round : round - 1));

  ClearVariables();
  RunText("MOV $s, 'xxxxxxxxxxxxxxxx'\n:l\nADD $r, 1\nSTRCON $s, $s\nGOTO l");
  EXPECT_EQ(ResolveValue("$r"), "21");  // 16 bytes doubled 20 times are 16 MiB; the 21st is refused
  EXPECT_EQ(Entry("$S")->Value.size(), kMaxValueBytes);
  EXPECT_EQ(LongestValue(), kMaxValueBytes);

  // One STRPOS whose part matches 64 KB at every position of a 1 MB text.
  ClearVariables();
  SetVariable("$t", std::string(1 << 20, 'a'), false);
  SetVariable("$q", std::string(1 << 16, 'a') + "b", false);
  RunText("STRPOS $p, $q, $t\nMOV $after, 1");
  EXPECT_FALSE(Exists("$P"));
  EXPECT_FALSE(Exists("$AFTER"));

  RunText("MOV $after, 1");  // the next run starts with a fresh budget
  EXPECT_EQ(ResolveValue("$after"), "1");
}

// ---- the compiled-script cache -------------------------------------------------------

TEST_F(Interpreter, EachListRunsItsOwnContent) {
  const TScriptLines a = Lines("MOV $r, first");
  const TScriptLines b = Lines("MOV $r, second");
  for (int round = 0; round < 3; ++round) {
    RunScript(a, entryStart);
    EXPECT_EQ(ResolveValue("$r"), "first");
    RunScript(b, entryStart);
    EXPECT_EQ(ResolveValue("$r"), "second");
  }
}

TEST_F(Interpreter, ChangedLinesInTheSameListAreSeen) {
  ScriptLines = Lines("MOV $r, 1\nGOTO x\nMOV $r, 2\n:x");
  RunScript(ScriptLines, entryStart);
  EXPECT_EQ(ResolveValue("$r"), "1");
  ScriptLines = Lines("MOV $r, 1\nGOTO y\nMOV $r, 2\n:x");  // same size, the label is gone
  RunScript(ScriptLines, entryStart);
  EXPECT_EQ(ResolveValue("$r"), "2");
  ScriptLines = Lines("MOV $r, 1\nGOTO y\nMOV $r, 2\n:x\n:y\nMOV $r, 3");
  RunScript(ScriptLines, entryStart);
  EXPECT_EQ(ResolveValue("$r"), "3");
}

TEST_F(Interpreter, VariablesAreReadWhenTheLineRuns) {
  RunText("MOV $a, 1\nMOV $b, $a\nMOV $a, 2\nSTRCON $c, $a, $b");
  EXPECT_EQ(ResolveValue("$c"), "21");
}

}  // namespace
