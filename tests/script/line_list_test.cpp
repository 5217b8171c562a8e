// Script lines that know when they changed: a run must see every change, however it was
// made (above all through a writable reference kept across runs), and a list changed
// only through its members must be recognised without comparing its lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "script/KwartlinConst.h"
#include "script/compiled.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/variables.h"

using namespace kw;

namespace {

class LineList : public ::testing::Test {
 protected:
  void SetUp() override { ClearVariables(); }
  void TearDown() override {
    ClearVariables();
    ScriptLines.clear();
  }
  static std::string RunForR(const TScriptLines& lines) {
    RunScript(lines, entryStart);
    return ResolveValue("$r");
  }
};

TEST_F(LineList, AWriteThroughAReferenceKeptAcrossRunsIsSeen) {
  TScriptLines lines{"MOV $r, 1"};
  lines.reserve(2);  // the push_back below must not move the lines
  std::string& line = lines[0];
  auto first = lines.begin();
  EXPECT_EQ(RunForR(lines), "1");
  line.back() = '2';  // same size, same buffer
  EXPECT_EQ(RunForR(lines), "2");
  *first = "MOV $r, 3";
  EXPECT_EQ(RunForR(lines), "3");
  lines.push_back("STRCON $r, x");  // still lent: the reference may reach a line
  line = "MOV $r, 4";
  EXPECT_EQ(RunForR(lines), "4x");
}

TEST_F(LineList, ChangesThroughMembersAreSeenWithoutLending) {
  // Every way a list can change through its members, applied after a run over
  // "MOV $r, 1": the next run must see the new lines.
  const std::vector<std::pair<const char*, std::function<void(TScriptLines&)>>> changes = {
      {"braced assignment", [](TScriptLines& l) { l = {"MOV $r, 2"}; }},
      {"vector assignment", [](TScriptLines& l) { l = std::vector<std::string>{"MOV $r, 2"}; }},
      {"copy assignment", [](TScriptLines& l) { const TScriptLines o{"MOV $r, 2"}; l = o; }},
      {"move assignment", [](TScriptLines& l) { l = TScriptLines{"MOV $r, 2"}; }},
      {"assign", [](TScriptLines& l) { const std::vector<std::string> v{"MOV $r, 2"}; l.assign(v.begin(), v.end()); }},
      {"push_back", [](TScriptLines& l) { l.push_back("ADD $r, 1"); }},
      {"emplace_back", [](TScriptLines& l) { l.emplace_back("ADD $r, 1"); }},
      {"edit", [](TScriptLines& l) { l.Edit([](std::vector<std::string>& v) { v[0] = "MOV $r, 2"; }); }},
      {"prepare", [](TScriptLines& l) { l = {"  MOV $r, 2 // two"}; PrepareScriptLines(l); }},
  };
  for (const auto& [name, change] : changes) {
    ScriptLines = {"MOV $r, 1"};
    ASSERT_EQ(RunForR(ScriptLines), "1") << name;
    change(ScriptLines);
    EXPECT_FALSE(ScriptLines.Lent()) << name;
    EXPECT_EQ(RunForR(ScriptLines), "2") << name;
  }
}

TEST_F(LineList, LendingEndsOnlyWhenTheLentLinesAreGone) {
  TScriptLines a{"x"};
  const TScriptLines& view = a;
  (void)view[0];
  for (const auto& line : view) (void)line;
  EXPECT_FALSE(a.Lent());  // reading never lends

  (void)a.front();
  EXPECT_TRUE(a.Lent());
  a.reserve(100);
  a.push_back("y");
  EXPECT_TRUE(a.Lent());

  TScriptLines b;
  b = std::move(a);  // the lines move, and the references with them
  EXPECT_TRUE(b.Lent());
  EXPECT_FALSE(a.Lent());
  TScriptLines c(std::move(b));
  EXPECT_TRUE(c.Lent());

  const TScriptLines copy = c;  // a copy's lines are new
  EXPECT_FALSE(copy.Lent());
  c = copy;
  EXPECT_FALSE(c.Lent());
  (void)c.back();
  c.clear();
  EXPECT_FALSE(c.Lent());
}

TEST_F(LineList, AnUnchangedListReusesItsCompiledFormAndACopyMatchesOnce) {
  ScriptLines = {":_start", "MOV $r, 1"};
  const auto first = CompiledScriptFor(ScriptLines);
  EXPECT_EQ(CompiledScriptFor(ScriptLines), first);

  const TScriptLines copy = ScriptLines;  // another version, the same lines
  EXPECT_NE(copy.Version(), ScriptLines.Version());
  EXPECT_EQ(CompiledScriptFor(copy), first);
  EXPECT_EQ(CompiledScriptFor(copy), first);

  ScriptLines.Edit([](std::vector<std::string>& v) { v[1] = "MOV $r, 2"; });
  const auto second = CompiledScriptFor(ScriptLines);
  EXPECT_NE(second, first);
  EXPECT_FALSE(first->IsFor(ScriptLines));
  EXPECT_FALSE(second->IsFor(copy));
}

TEST_F(LineList, VersionsOfTwoListsNeverMeet) {
  // A version proves a state only if no other list (or state) ever had the same number.
  TScriptLines a{"x"}, b{"x"};
  std::vector<std::uint64_t> seen{a.Version(), b.Version()};
  a.push_back("y");
  seen.push_back(a.Version());
  b = a;
  seen.push_back(b.Version());
  a = std::move(b);
  seen.push_back(a.Version());
  seen.push_back(b.Version());
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
}

}  // namespace
