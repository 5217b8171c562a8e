// Script lines that know when they changed: a run must see every change, and a list
// that did not change, or a copy with the same lines, must be recognised without
// compiling it again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine_fixture.h"
#include "script/KwartlinConst.h"
#include "script/compiled.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/variables.h"

using namespace kw;

namespace {

class LineList : public kwtest::EngineTest {
 protected:
  static std::string RunForR(const TScriptLines& lines) {
    RunScript(lines, entryStart);
    return ResolveValue("$r");
  }
};

TEST_F(LineList, EveryChangeIsSeenByTheNextRun) {
  // Every way a list can change, applied after a run over "MOV $r, 1": the next run must
  // see the new lines.
  const std::vector<std::pair<const char*, std::function<void(TScriptLines&)>>> changes = {
      {"braced assignment", [](TScriptLines& l) { l = {"MOV $r, 2"}; }},
      {"vector assignment", [](TScriptLines& l) { l = std::vector<std::string>{"MOV $r, 2"}; }},
      {"copy assignment", [](TScriptLines& l) { const TScriptLines o{"MOV $r, 2"}; l = o; }},
      {"move assignment", [](TScriptLines& l) { l = TScriptLines{"MOV $r, 2"}; }},
      {"clear", [](TScriptLines& l) { l.clear(); }},
  };
  for (const auto& [name, change] : changes) {
    ScriptLines = {"MOV $r, 1"};
    ASSERT_EQ(RunForR(ScriptLines), "1") << name;
    ClearVariables();
    change(ScriptLines);
    EXPECT_EQ(RunForR(ScriptLines), ScriptLines.empty() ? "" : "2") << name;
  }
}

TEST_F(LineList, AnUnchangedListReusesItsCompiledFormAndACopyMatchesOnce) {
  ScriptLines = {":_start", "MOV $r, 1"};
  const auto first = CompiledScriptFor(ScriptLines);
  EXPECT_EQ(CompiledScriptFor(ScriptLines), first);

  const TScriptLines copy = ScriptLines;  // another version, the same lines
  EXPECT_NE(copy.Version(), ScriptLines.Version());
  EXPECT_EQ(CompiledScriptFor(copy), first);
  EXPECT_EQ(CompiledScriptFor(copy), first);

  ScriptLines = {":_start", "MOV $r, 2"};
  const auto second = CompiledScriptFor(ScriptLines);
  EXPECT_NE(second, first);
  EXPECT_FALSE(first->IsFor(ScriptLines));
  EXPECT_FALSE(second->IsFor(copy));
}

TEST_F(LineList, VersionsOfTwoListsNeverMeet) {
  // A version proves a state only if no other list (or state) ever had the same number.
  TScriptLines a{"x"}, b{"x"};
  std::vector<std::uint64_t> seen{a.Version(), b.Version()};
  a = {"x", "y"};
  seen.push_back(a.Version());
  b = a;
  seen.push_back(b.Version());
  a = std::move(b);
  seen.push_back(a.Version());
  seen.push_back(b.Version());
  a.clear();
  seen.push_back(a.Version());
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
}

}  // namespace
