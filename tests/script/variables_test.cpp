// Value resolution and the variable table.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "script/variables.h"
#include "support/cp1250.h"

using namespace kw;

namespace {

class Variables : public kwtest::EngineTest {
 protected:
  static const TZmienna* Entry(std::string_view name) {
    for (const auto& v : VariableTable)
      if (v.Name == name) return &v;
    return nullptr;
  }
};

}  // namespace

TEST_F(Variables, ResolveValueOfLiterals) {
  const struct { std::string in, out; } cases[] = {
      {"", ""},
      {"'a,b'", "a,b"},
      {"'x\\ny'", "x\n\ry"},
      {"''", ""},
      {"'", ""},
      {"'abc", "'abc"},
      {"abc'", "abc'"},
      {"'#TRUE'", "#TRUE"},
      {"'$x'", "$x"},
      {"'b101'", "b101"},
      {"#true", "1"},
      {"#TRUE", "1"},
      {"#True", "1"},
      {"#false", "0"},
      {"#CINFO_BLOCKED", "65536"},
      {"#proto_gg", "GG"},
      {"#nothing", "#nothing"},
      {"#", "#"},
      {"#TRUE ", "#TRUE "},
      {"B101", "5"},
      {"b101", "5"},
      {"B", "0"},
      {"b2", "0"},
      {"B" + std::string(32, '1'), "-1"},
      {"B1" + std::string(32, '0'), "-2147483648"},
      {"bardzo", "0"},
      {"hello", "hello"},
      {"Hello", "Hello"},
      {"x", "x"},
      {"12", "12"},
      {"a\\nb", "a\\nb"},
      {"$nope", ""},
      {"$", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveValue(c.in), c.out) << '"' << c.in << '"';
}

TEST_F(Variables, VariableNamesIgnoreCase) {
  SetVariable("$x", "v", false);
  EXPECT_EQ(ResolveValue("$x"), "v");
  EXPECT_EQ(ResolveValue("$X"), "v");
  EXPECT_EQ(ResolveValue("x"), "x");
  SetVariable("$łódź"_w, "1", false);
  ASSERT_NE(Entry("$ŁÓDŹ"_w), nullptr);
  EXPECT_EQ(ResolveValue("$ŁóDź"_w), "1");
}

TEST_F(Variables, SetVariableCreatesOnceAndKeepsTheFlag) {
  SetVariable("a", "1", false);
  ASSERT_EQ(VariableTable.size(), 1u);
  EXPECT_EQ(VariableTable[0].Name, "$A");
  EXPECT_EQ(VariableTable[0].Value, "1");
  EXPECT_FALSE(VariableTable[0].Save);
  SetVariable("$a", "2", true);
  ASSERT_EQ(VariableTable.size(), 1u);
  EXPECT_EQ(VariableTable[0].Value, "2");
  EXPECT_FALSE(VariableTable[0].Save);
  SetVariable("$s", "x", true);
  SetVariable("S", "y", false);
  EXPECT_TRUE(Entry("$S")->Save);
  EXPECT_EQ(Entry("$S")->Value, "y");
}

TEST_F(Variables, EmptyNameDoesNothing) {
  SetVariable("", "x", true);
  SetSaveFlag("", true);
  EXPECT_TRUE(VariableTable.empty());
}

TEST_F(Variables, StoredValuesAreUnescaped) {
  SetVariable("$m", "a\\nb\\Nc", false);
  EXPECT_EQ(Entry("$M")->Value, "a\n\rb\n\rc");
  EXPECT_EQ(ResolveValue("$m"), "a\n\rb\n\rc");
  SetVariable("$m", ResolveValue("a\\nb"), false);  // an unquoted literal keeps its escape
  EXPECT_EQ(Entry("$M")->Value, "a\n\rb");
  SetVariable("$m", "", false);
  EXPECT_EQ(Entry("$M")->Value, "");
}

TEST_F(Variables, CreationOrderIsKept) {
  for (std::string_view n : {"$b", "$a", "$c"}) SetVariable(n, "1", false);
  SetVariable("$a", "2", false);
  SetSaveFlag("$b", true);
  ASSERT_EQ(VariableTable.size(), 3u);
  EXPECT_EQ(VariableTable[0].Name, "$B");
  EXPECT_EQ(VariableTable[1].Name, "$A");
  EXPECT_EQ(VariableTable[2].Name, "$C");
  EXPECT_EQ(VariableTable.Find("$A"), 1);
  EXPECT_EQ(VariableTable.Find("$a"), -1);
}

TEST_F(Variables, SaveFlag) {
  SetSaveFlag("$k", false);  // a new variable starts empty and marked, whatever was asked
  ASSERT_NE(Entry("$K"), nullptr);
  EXPECT_EQ(Entry("$K")->Value, "");
  EXPECT_TRUE(Entry("$K")->Save);

  SetVariable("$v", "keep", false);
  SetSaveFlag("$V", true);
  EXPECT_TRUE(Entry("$V")->Save);
  SetSaveFlag("$v", false);
  EXPECT_FALSE(Entry("$V")->Save);
  EXPECT_EQ(Entry("$V")->Value, "keep");

  // Without the dollar sign the name is normalised first: the existing $V is marked and
  // keeps its value, and no second entry appears.
  SetSaveFlag("v", true);
  EXPECT_TRUE(Entry("$V")->Save);
  EXPECT_EQ(Entry("$V")->Value, "keep");
  SetSaveFlag("w", false);
  ASSERT_NE(Entry("$W"), nullptr);
  EXPECT_TRUE(Entry("$W")->Save);
  EXPECT_EQ(VariableTable.size(), 3u);
}

TEST_F(Variables, ClearDropsEverything) {
  SetVariable("$a", "1", true);
  SetVariable("$b", "2", false);
  ClearVariables();
  EXPECT_TRUE(VariableTable.empty());
  EXPECT_EQ(ResolveValue("$a"), "");
  SetVariable("$b", "3", false);
  ASSERT_EQ(VariableTable.size(), 1u);
  EXPECT_EQ(VariableTable[0].Name, "$B");
  EXPECT_EQ(ResolveValue("$B"), "3");
}

TEST_F(Variables, LongNamesAndValues) {
  const std::string name = "$" + std::string(300, 'q');
  const std::string value(5000, 'v');
  SetVariable(name, value, false);
  EXPECT_EQ(ResolveValue("$" + std::string(300, 'Q')), value);
  EXPECT_EQ(Entry("$" + std::string(300, 'Q'))->Value, value);
}

// Copying one variable into another while the table grows must not read freed memory
// (the sanitizer build checks this).
TEST_F(Variables, ValueMayViewTheTableItself) {
  const auto stored = [](std::string_view name) -> std::string_view { return Entry(name)->Value; };
  const std::string big(1000, 'z');
  SetVariable("$SRC", big, false);
  for (int i = 0; i < 100; ++i) {
    const std::string name = "$N" + std::to_string(i);
    SetVariable(name, stored("$SRC"), false);
    SetVariable("$SRC", stored("$SRC"), false);
    SetVariable(name, stored(name), false);
  }
  EXPECT_EQ(stored("$N99"), big);
  EXPECT_EQ(stored("$SRC"), big);
  SetVariable("$SRC", stored("$SRC").substr(10, 5), false);
  EXPECT_EQ(stored("$SRC"), "zzzzz");
}
