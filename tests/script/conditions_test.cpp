// IF conditions: where the operator is found, and when the comparison is numeric,
// when by byte codes; the interpreter's compiled IF lines must agree with them.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "script/KwartlinConst.h"
#include "script/conditions.h"
#include "script/interpreter.h"
#include "script/variables.h"
#include "support/cp1250.h"

using namespace kw;

namespace {

using Conditions = kwtest::EngineTest;

struct Row {
  std::string condition;
  std::string a, b, t, x;  // values for $a, $b, $t, $x ("-" leaves it unset)
  bool result;
};

void SetUnlessDash(const char* name, const std::string& value) {
  if (value != "-") SetVariable(name, value, false);
}

TEST_F(Conditions, Table) {
  const Row rows[] = {
      {"10 > 9", "-", "-", "-", "-", true},
      {"'10' > '9'", "-", "-", "-", "-", true},
      {"10 > 9a", "-", "-", "-", "-", false},
      {"$x = ''", "-", "-", "-", "-", true},
      {"$x =", "-", "-", "-", "-", false},
      {"= 5", "-", "-", "-", "-", false},
      {"$x", "-", "-", "-", "1", false},
      {"$a => 5", "7", "-", "-", "-", false},
      {"$a >= 5", "7", "-", "-", "-", true},
      {"'a=b' = $t", "-", "-", "a=b", "-", true},
      {"abc = ABC", "-", "-", "-", "-", false},
      {"'$10' = 16", "-", "-", "-", "-", true},
      {"' 12' = 12", "-", "-", "-", "-", true},
      {"'12 ' = 12", "-", "-", "-", "-", false},
      {"$a != $b", "1", "01", "-", "-", false},
      {"$a <> $b", "x", "X", "-", "-", true},
      {"-5 < 3", "-", "-", "-", "-", true},
      {"4294967295 > 0", "-", "-", "-", "-", true},
      {"$a = 5 GOTO end", "5", "-", "-", "-", false},
      // Beyond the table: every operator both ways, texts by unsigned codes.
      {"1 <> 1", "-", "-", "-", "-", false},
      {"1 != 2", "-", "-", "-", "-", true},
      {"2 >= 2", "-", "-", "-", "-", true},
      {"2 <= 1", "-", "-", "-", "-", false},
      {"-1 < -2", "-", "-", "-", "-", false},
      {"B < a", "-", "-", "-", "-", true},  // B reads as 0, a stays text: "0" < "a"
      {"'B' < 'a'", "-", "-", "-", "-", true},
      {"'10' < '9a'", "-", "-", "-", "-", true},
      {"abc < abcd", "-", "-", "-", "-", true},
      {"abc >= abcd", "-", "-", "-", "-", false},
      {"$a > z", std::string("ą"_w), "-", "-", "-", true},  // 0xB9 above every ASCII letter
      {"$a = $b", "-", "-", "-", "-", true},                // two empty texts
      {"'' = ''", "-", "-", "-", "-", true},
      {"'' < a", "-", "-", "-", "-", true},
      {"#TRUE = 1", "-", "-", "-", "-", true},
      {"#true = '1'", "-", "-", "-", "-", true},
      {"B101 = 5", "-", "-", "-", "-", true},
      {"$FF = 255", "-", "-", "-", "-", false},  // $FF is a variable, unset
      {"'$FF' = 255", "-", "-", "-", "-", true},
      {"'-2147483648' < 2147483647", "-", "-", "-", "-", true},
      {"a = b = c", "-", "-", "-", "-", false},
      {"x=y=z", "-", "-", "-", "-", false},
      {"'a = b", "-", "-", "-", "-", false},  // the quote never closes: no operator
      {"\t1\t=\t1\t", "-", "-", "-", "-", true},
      {"1<2", "-", "-", "-", "-", true},
      {"2<>2", "-", "-", "-", "-", false},
      {"$a = 'x\\ny'", "x\\ny", "-", "-", "-", true},  // both sides hold LF CR
      {"", "-", "-", "-", "-", false},
      {"=", "-", "-", "-", "-", false},
  };
  for (const Row& r : rows) {
    ClearVariables();
    SetUnlessDash("$a", r.a);
    SetUnlessDash("$b", r.b);
    SetUnlessDash("$t", r.t);
    SetUnlessDash("$x", r.x);
    EXPECT_EQ(EvaluateCondition(r.condition), r.result) << r.condition;
    // The interpreter scans its IF lines ahead of time; it must decide the same way.
    RunScript({"IF " + r.condition, "MOV $ifresult, 1"}, entryStart);
    EXPECT_EQ(ResolveValue("$ifresult"), r.result ? "1" : "") << "IF " << r.condition;
  }
}

TEST_F(Conditions, ConditionsWriteNothing) {
  EXPECT_TRUE(EvaluateCondition("$nope = ''"));
  EXPECT_TRUE(VariableTable.empty());
}

TEST(ScanCondition, FirstOperatorOutsideQuotesSplits) {
  const struct {
    std::string condition, left;
    int op;
    std::string right;
  } cases[] = {
      {"a<>b", "a", 0, "b"},
      {"a != b", "a", 1, "b"},
      {"a>=b", "a", 2, "b"},
      {"a<=b", "a", 3, "b"},
      {"a<b", "a", 4, "b"},
      {"a>b", "a", 5, "b"},
      {"a=b", "a", 6, "b"},
      {"a => b", "a", 6, "> b"},
      {"a =< b", "a", 6, "< b"},
      {"'x<y' > 'p=q'", "'x<y'", 5, "'p=q'"},
      {"a = b = c", "a", 6, "b = c"},
      {"  no operator  ", "no operator", -1, ""},
      {"'a=b", "'a=b", -1, ""},
      {"= b", "", 6, "b"},
  };
  for (const auto& c : cases) {
    const TConditionParts parts = ScanCondition(c.condition);
    EXPECT_EQ(parts.Left, c.left) << c.condition;
    EXPECT_EQ(parts.Operator, c.op) << c.condition;
    EXPECT_EQ(parts.Right, c.right) << c.condition;
  }
}

}  // namespace
