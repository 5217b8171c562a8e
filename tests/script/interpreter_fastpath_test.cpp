// The interpreter's shortcuts against the plain rules they stand for: numbers read from
// variables without ParseInt, conditions on variables, STREXT without splitting, the
// recasing tables, the cached variable slots (which must never name the wrong variable
// once the table was cleared or rebuilt), values read as views into the table while
// the command writes, and the per-run check that the compiled script still fits.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "script/KwartlinConst.h"
#include "script/conditions.h"
#include "tests/common/casing.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/text.h"
#include "script/variables.h"
#include "support/ProcFunc.h"
#include "support/casing.h"

using namespace kw;

namespace {

using kwtest::Lines;
using kwtest::RunText;

// prefix followed by the number (appended, not prepended: g++ 12 warns wrongly on the latter).
std::string Numbered(std::string_view prefix, int i) {
  std::string s(prefix);
  s += std::to_string(i);
  return s;
}

using FastPath = kwtest::EngineTest;

// Texts around the edges of the inline number reading: lengths 8 to 10, signs, leading
// zeros, blanks and hexadecimal forms that only the full rule reads.
const std::vector<std::string> kNumberTexts = {
    "0", "7", "-7", "-0", "00000001", "-000000000", "123456789", "-123456789", "999999999",
    "1234567890", "2147483647", "2147483648", "-2147483648", "-2147483649", "-", "", "+5",
    " 5", "5 ", "$10", "x1F", "0x1f", "-$FFFFFFFF", "12a", "1-", "--1", "9999999999",
};

TEST_F(FastPath, NumbersFromVariablesReadAsReadInt) {
  for (const std::string& text : kNumberTexts) {
    SetVariable("$v", text, false);
    RunText("MOV $r, 0\nADD $r, $v\nMOV $d, 5\nSUBB $d, $v");
    EXPECT_EQ(ResolveValue("$r"), IntToText(ReadInt(text, 0))) << "[" << text << "]";
    EXPECT_EQ(ResolveValue("$d"), IntToText(static_cast<std::int32_t>(5u - static_cast<std::uint32_t>(ReadInt(text, 0)))))
        << "[" << text << "]";
  }
}

TEST_F(FastPath, ConditionsOnVariablesAgreeWithThePlainRule) {
  const std::vector<std::string> ops = {"<>", "!=", ">=", "<=", "<", ">", "="};
  for (const std::string& a : kNumberTexts) {
    for (const std::string& b : {std::string("5"), std::string("-0"), std::string("2147483648"), std::string("abc"), a}) {
      SetVariable("$a", a, false);
      SetVariable("$b", b, false);
      for (const std::string& op : ops) {
        const std::string condition = "$a " + op + " $b";
        RunText("MOV $r, 0\nIF " + condition + "\nMOV $r, 1");
        EXPECT_EQ(ResolveValue("$r"), EvaluateCondition(condition) ? "1" : "0") << "[" << a << "] " << op << " [" << b << "]";
      }
    }
  }
}

TEST_F(FastPath, StrExtPicksThePieceSplitAtCharWouldGive) {
  for (const std::string text : {"", ";", ";;", "a", "a;b", "a;b;", ";a", "a;;b;c"}) {
    const TLista pieces = SplitAtChar(text, ';');
    for (int n = -1; n <= 5; ++n) {
      SetVariable("$t", text, false);
      SetVariable("$r", "stale", false);
      RunText(Numbered("STREXT $t, ';', ", n) + ", $r");
      const std::string want = n >= 0 && static_cast<std::size_t>(n) < pieces.size() ? pieces[static_cast<std::size_t>(n)] : "";
      EXPECT_EQ(ResolveValue("$r"), want) << "[" << text << "] " << n;
    }
  }
}

// STRPOS compares in blocks (16 bytes, then 32, 64, ...) to count its work: parts
// around those lengths, matching a long prefix or the whole, at every kind of place.
TEST_F(FastPath, StrPosFindsWhatFindFinds) {
  const TScriptLines lines = Lines("STRPOS $p, $q, $t");
  std::mt19937 random(2024);
  for (std::size_t m : {1, 2, 15, 16, 17, 18, 47, 48, 49, 50, 111, 112, 113, 200}) {
    for (int round = 0; round < 40; ++round) {
      std::string text(m + static_cast<std::size_t>(random() % 300), 'a');
      for (char& c : text) c = random() % 8 == 0 ? 'b' : 'a';
      const std::size_t at = random() % (text.size() - m + 1);
      std::string part = text.substr(at, m);
      if (round % 2 == 1) part[random() % m] ^= 3;  // often not there at all
      SetVariable("$t", text, false);
      SetVariable("$q", part, false);
      RunScript(lines, entryStart);
      const std::size_t want = text.find(part);
      ASSERT_EQ(ResolveValue("$p"), std::to_string(want == std::string::npos ? 0 : want + 1))
          << m << " " << round;
    }
  }
}

// STRPOS tests blocks of positions at once; the charges must be those of trying every
// position that holds the part's first byte in turn (16 bytes of the head, then the rest
// in blocks of 32, 64, ...), so the run ends at the same line for every budget.
TEST_F(FastPath, StrPosChargesAsThePlainSearch) {
  const TScriptLines lines = Lines("STRPOS $p, $q, $t\nMOV $after, 1");
  std::mt19937 random(7);
  for (std::size_t m : {1, 2, 16, 17, 40}) {
    for (int round = 0; round < 6; ++round) {
      std::string text(m + 60 + static_cast<std::size_t>(random() % 60), 'a');
      for (char& c : text) c = random() % 6 == 0 ? 'b' : 'a';
      std::string part = text.substr(random() % (text.size() - m + 1), m);
      if (round % 2 == 1) part.back() = 'c';
      // The plain search: each try's charge, and whether it found the part.
      const std::size_t head = std::min<std::size_t>(m, 16);
      std::vector<std::pair<std::int64_t, bool>> tries;
      for (std::size_t at = 0; at + m <= text.size(); ++at) {
        if (text[at] != part[0]) continue;
        std::int64_t charge = static_cast<std::int64_t>(head);
        bool same = text.compare(at, head, part, 0, head) == 0;
        for (std::size_t done = head, block = 32; same && done < m; done += block, block *= 2) {
          const std::size_t n = std::min(block, m - done);
          charge += static_cast<std::int64_t>(n);
          same = text.compare(at + done, n, part, done, n) == 0;
        }
        tries.emplace_back(charge, same);
        if (same) break;
      }
      for (std::int64_t budget = 0; budget < 400; budget += 3) {
        std::int64_t left = budget - static_cast<std::int64_t>(m + text.size());  // both values read
        bool answered = true, found = false;
        for (const auto& [charge, same] : tries) {
          left -= charge;
          if (same) found = true;
          if (same || left < 0) {
            answered = same;
            break;
          }
        }
        const std::string p = !answered ? "unset" : found ? std::to_string(text.find(part) + 1) : "0";
        const std::string after = answered && left >= 0 ? "1" : "";
        ClearVariables();
        SetVariable("$t", text, false);
        SetVariable("$q", part, false);
        SetVariable("$p", "unset", false);
        RunScriptBounded(lines, entryStart, TRunBounds{.Bytes = budget});
        ASSERT_EQ(ResolveValue("$p"), p) << m << " " << round << " " << budget;
        ASSERT_EQ(ResolveValue("$after"), after) << m << " " << round << " " << budget;
      }
    }
  }
}

// Every byte at every place in a word of eight, through both ways a value is recased:
// in the variable itself, and through a copy (a value stored with an escape).
TEST_F(FastPath, RecasingCoversEveryByte) {
  std::string all;
  for (int c = 1; c < 256; ++c)
    if (c != '\\') all += static_cast<char>(c);  // keep "\n" escapes out of the value
  for (std::size_t shift = 0; shift < 9; ++shift) {
    const std::string text = all.substr(shift) + all.substr(0, shift);
    SetVariable("$u", text, false);
    SetVariable("$l", text, false);
    SetVariable("$e", "", false);
    VariableTable[static_cast<std::size_t>(VariableTable.Find("$E"))].Value = text + "\\n";  // around SetVariable
    RunText("STRUP $u\nSTRLOW $l\nSTRUP $e");
    ASSERT_EQ(ResolveValue("$u"), UpperCase(text)) << shift;
    ASSERT_EQ(ResolveValue("$l"), kwtest::LowerCase(text)) << shift;
    ASSERT_EQ(ResolveValue("$e"), UpperCase(text) + "\n\r") << shift;
  }
}

// A number written by the engine is kept as a number; every way of reading the table
// sees its decimal text, and a write around the engine is not hidden by it.
TEST_F(FastPath, NumbersWrittenReadAsTheirText) {
  const std::pair<const char*, const char*> cases[] = {
      {"MOV $n, 0\nADD $n, 1", "1"},
      {"MOV $n, 5\nSUBB $n, 7", "-2"},
      {"MOV $n, 2147483647\nADD $n, 1", "-2147483648"},
      {"MOV $n, 100\nMUL $n, 10000000", "1000000000"},
      {"MOV $n, 9\nDIV $n, 10", "0"},
      {"MOV $n, 1\nBITSHL $n, 31\nBITSHR $n, 28", "8"},
  };
  for (const auto& [script, text] : cases) {
    ClearVariables();
    RunText(std::string(script) + "\nSTRLEN $len, $n\nSTRCON $s, $n, ':'");
    const std::size_t at = static_cast<std::size_t>(VariableTable.Find("$N"));
    const TZmienne& table = VariableTable;
    EXPECT_EQ(table[at].Value, text) << script;
    EXPECT_EQ(ResolveValue("$len"), std::to_string(std::string_view(text).size())) << script;
    EXPECT_EQ(ResolveValue("$s"), std::string(text) + ":") << script;
    RunText("ADD $n, 0");
    for (const TZmienna& v : VariableTable) {
      if (v.Name == "$N") {
        EXPECT_EQ(v.Value, text) << script;
      }
    }
    VariableTable[at].Value = "x";  // written around the engine: no longer a number
    RunText("ADD $n, 1");
    EXPECT_EQ(ResolveValue("$n"), "1") << script;
  }
}

TEST_F(FastPath, CachedSlotsNeverNameAnotherVariable) {
  const TScriptLines lines = Lines("MOV $r, $a\nSTRCON $log, $b");
  SetVariable("$a", "1", false);
  SetVariable("$b", "x", false);
  RunScript(lines, entryStart);
  EXPECT_EQ(ResolveValue("$r"), "1");
  // The same names in other places: the remembered positions now hold other variables.
  ClearVariables();
  SetVariable("$log", "L", false);
  SetVariable("$b", "y", false);
  SetVariable("$r", "old", false);
  SetVariable("$a", "2", false);
  RunScript(lines, entryStart);
  EXPECT_EQ(ResolveValue("$r"), "2");
  EXPECT_EQ(ResolveValue("$log"), "Ly");
  EXPECT_EQ(ResolveValue("$a"), "2");
  EXPECT_EQ(ResolveValue("$b"), "y");
  // An emptied table: the positions lie beyond its end.
  ClearVariables();
  RunScript(lines, entryStart);
  EXPECT_EQ(ResolveValue("$r"), "");
  EXPECT_EQ(ResolveValue("$log"), "");
  EXPECT_EQ(VariableTable.size(), 2u);
}

// Dropping the unsaved variables moves the saved ones up: their numbers go with them,
// and the positions the compiled lines remember are looked up again.
TEST_F(FastPath, NumbersFollowTheirVariablesWhenUnsavedOnesGo) {
  const TScriptLines lines = Lines("ADD $a, 1\nADD $b, 10\nADD $c, 100\nMOV $s, $b");
  RunScript(lines, entryStart);
  SetSaveFlag("$b", true);
  SetSaveFlag("$s", true);
  RunScript(lines, entryStart);  // $a 2, $b 20 (its text not made yet), $c 200
  DropUnsavedVariables();
  ASSERT_EQ(VariableTable.size(), 2u);
  EXPECT_EQ(VariableTable[0].Name + "=" + VariableTable[0].Value, "$B=20");
  RunScript(lines, entryStart);
  EXPECT_EQ(ResolveValue("$a"), "1");
  EXPECT_EQ(ResolveValue("$b"), "30");
  EXPECT_EQ(ResolveValue("$c"), "100");
  EXPECT_EQ(ResolveValue("$s"), "30");
}

TEST_F(FastPath, ValuesReadFromTheTableSurviveTheWrite) {
  RunText("MOV $a, 'abcdefghijklmnopqrstuvwxyz0123456789'\n"
          "STRCOPY $a, $a, 3, 5\n"
          "MOV $t, 'x;yy;zzz'\n"
          "STREXT $t, ';', 1, $t\n"
          "MOV $s, 'short'\n"
          "STRCON $s, $s, $s\n"
          "MOV $m, '  padded  '\n"
          "STRTRIM $m\n"
          "MOV $m, $m");
  EXPECT_EQ(ResolveValue("$a"), "cdefg");
  EXPECT_EQ(ResolveValue("$t"), "yy");
  EXPECT_EQ(ResolveValue("$s"), "shortshortshort");
  EXPECT_EQ(ResolveValue("$m"), "padded");
  // New variables made from views of old ones while the table grows (and moves).
  std::string script;
  for (int i = 0; i < 300; ++i) SetVariable(Numbered("$old", i), Numbered("v", i), false);
  for (int i = 0; i < 300; ++i) script += Numbered("MOV $new", i) + Numbered(", $old", i) + "\n";
  RunText(script);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(ResolveValue(Numbered("$new", i)), Numbered("v", i));
}

TEST_F(FastPath, AValueStoredWithAnEscapeReadsUnescaped) {
  SetVariable("$x", "", false);
  VariableTable[static_cast<std::size_t>(VariableTable.Find("$X"))].Value = "a\\nb";  // written around SetVariable
  RunText("MOV $r, $x\nSTRLEN $n, $x");
  EXPECT_EQ(ResolveValue("$r"), "a\n\rb");
  EXPECT_EQ(ResolveValue("$n"), "4");
}

TEST_F(FastPath, AChangeOfOneByteAnywhereInALineIsNoticed) {
  for (std::size_t length = 1; length <= 20; ++length) {
    for (std::size_t at = 0; at < length; ++at) {
      // MOV $r, <digits>, then the same line with one digit changed: same size.
      std::string number(length, '1');
      ScriptLines = {"MOV $r, " + number};
      RunScript(ScriptLines, entryStart);
      number[at] = '2';
      ScriptLines = {"MOV $r, " + number};
      RunScript(ScriptLines, entryStart);
      ASSERT_EQ(ResolveValue("$r"), number) << length << " " << at;
    }
  }
}

}  // namespace

namespace {

// Long texts copied by MOV share their bytes until one side is written: each write
// leaves every other variable as it was, every way of reading the table sees the same
// values, and the byte budget charges the copies as copies.
TEST_F(FastPath, SharedTextsPartAtTheFirstWrite) {
  const std::string text = std::string(300, 'a') + "\xB9z";  // long enough to be shared
  const std::string upper = UpperCase(text);
  struct Case {
    std::string script;
    std::vector<std::pair<std::string, std::string>> want;  // variable, value
  } cases[] = {
      {"MOV $a, $t\nSTRUP $a", {{"$t", text}, {"$a", upper}}},
      {"MOV $a, $t\nMOV $b, $a\nSTRUP $b\nADD $a, 1", {{"$t", text}, {"$b", upper}, {"$a", "1"}}},
      {"MOV $a, $t\nSTRCON $t, 'x'\nSTRLOW $a", {{"$t", text + "x"}, {"$a", kwtest::LowerCase(text)}}},
      {"MOV $a, $t\nMOV $t, 'k'\nMOV $a, $a", {{"$t", "k"}, {"$a", text}}},
      {"MOV $a, $t\nSTRDEL $a, 1, 300\nMOV $b, $t", {{"$t", text}, {"$a", "\xB9z"}, {"$b", text}}},
      {"MOV $a, $t\nCHKSPAM $s, $a\nSTRUP $a\nCHKSPAM $s2, $a\nIF $a = $t\nMOV $same, 1",
       {{"$t", text}, {"$a", upper}, {"$same", ""}}},
  };
  for (const Case& c : cases) {
    ClearVariables();
    SetVariable("$t", text, false);
    RunText(c.script);
    for (const auto& [name, value] : c.want) EXPECT_EQ(ResolveValue(name), value) << c.script << " " << name;
    // Iteration (as the settings writer reads the table) sees the same.
    for (const TZmienna& v : VariableTable)
      EXPECT_EQ(v.Value, ResolveValue(v.Name)) << c.script << " " << v.Name;
  }
  // The outside writes too: SetVariable on one of two sharing variables.
  ClearVariables();
  SetVariable("$t", text, false);
  RunText("MOV $a, $t");
  SetVariable("$t", "new", false);
  EXPECT_EQ(ResolveValue("$a"), text);
  const auto handed = ResolveShared("$a");
  SetVariable("$a", "later", false);
  EXPECT_EQ(*handed, text);  // a text handed out keeps its bytes
}

TEST_F(FastPath, SharedCopiesAreChargedAsCopies) {
  const std::string text(400, 'q');
  const auto length = static_cast<std::int64_t>(text.size());
  const TScriptLines lines = Lines("MOV $a, $t\nMOV $b, $a\nMOV $c, $b\nMOV $after, 1");
  for (std::int64_t budget = 0; budget < 7 * length; budget += length / 4) {
    ClearVariables();
    SetVariable("$t", text, false);
    RunScriptBounded(lines, entryStart, TRunBounds{.Bytes = budget});
    // Each MOV reads and writes the text; the line that takes the budget below 0 is the
    // last to run.
    const char* names[] = {"$a", "$b", "$c"};
    for (std::int64_t j = 0; j < 3; ++j)
      ASSERT_EQ(ResolveValue(names[j]), budget - 2 * length * j >= 0 ? text : "") << budget << " " << j;
    ASSERT_EQ(ResolveValue("$after"), budget - 6 * length >= 0 ? "1" : "") << budget;
  }
}

}  // namespace
