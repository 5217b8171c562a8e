// Runs that the host starts while a command waits for it: a fake host calls back into
// the engine from inside a host command, as the messenger may. The waiting run must
// keep its own position and return stack, see a reloaded script, and survive a variable
// table that grew under it.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "fake_script_host.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/variables.h"

using namespace kw;

namespace {

using kwtest::Lines;

class Reentry : public kwtest::EngineTest {
 protected:
  kwtest::FakeScriptHost host;
};

TEST_F(Reentry, NestedRunHasItsOwnPositionAndReturnStack) {
  ScriptLines = Lines(
      ":_start\nCALL sub\nSTRCON $t, 'o'\nEXIT\n"
      ":sub\nSEND 'x@y', 'hi'\nSTRCON $t, 'r'\nRET\n"
      ":_menu_click\nRET\nSTRCON $t, 'n'\nGOTO sub2\n:sub2\nEXIT");
  host.DuringCall = [] { RunScript(ScriptLines, entryMenuClick); };
  RunScript(ScriptLines, entryStart);
  // The nested RET found its own empty stack; the outer RET still had its return.
  EXPECT_EQ(ResolveValue("$t"), "nro");
}

TEST_F(Reentry, ReloadDuringACommandContinuesInTheNewScript) {
  ScriptLines = Lines("SEND 'x', 'y'\nMOV $r, old\nMOV $s, old");
  host.DuringCall = [] { ScriptLines = Lines("MOV $r, unused\nMOV $r, new"); };
  RunScript(ScriptLines, entryStart);
  EXPECT_EQ(ResolveValue("$r"), "new");
  EXPECT_EQ(VariableTable.Find("$S"), -1);
}

TEST_F(Reentry, ScriptEmptiedDuringACommandEndsTheRun) {
  ScriptLines = Lines("SETSTS GG, 2, 'x'\nMOV $r, 1");
  host.DuringCall = [] { ScriptLines.clear(); };
  RunScript(ScriptLines, entryStart);
  EXPECT_TRUE(VariableTable.empty());
}

TEST_F(Reentry, ResultsLandAfterTheTableGrewDuringTheCall) {
  ScriptLines = Lines(
      "MOV $a, 'keep this value, it is longer than any small buffer'\n"
      "READSTS GG, $s, $d\nCONINFO $a, $n, $g, $o, $f\nMOV $r, $a");
  host.DuringCall = [] {
    for (int i = 0; i < 2000; ++i) SetVariable("$v" + std::to_string(i), std::string(40, 'x'), false);
  };
  host.State = {5, "busy"};
  RunScript(ScriptLines, entryStart);
  EXPECT_EQ(ResolveValue("$s"), "5");
  EXPECT_EQ(ResolveValue("$d"), "busy");
  EXPECT_EQ(ResolveValue("$f"), "0");
  EXPECT_EQ(ResolveValue("$r"), "keep this value, it is longer than any small buffer");
  EXPECT_EQ(ResolveValue("$v1999"), std::string(40, 'x'));
}

TEST_F(Reentry, MenuGrowsDuringMenuAdd) {
  ScriptLines = Lines(":_start\nMenuAdd 'a', 'A'\nMenuAdd 'c', 'C'\nEXIT\n:_menu_show\nMenuAdd 'b', 'B'");
  host.DuringCall = [] { RunScript(ScriptLines, entryMenuShow); };
  RunScript(ScriptLines, entryStart);
  EXPECT_NE(host.Entry("a"), nullptr);
  EXPECT_NE(host.Entry("b"), nullptr);
  EXPECT_NE(host.Entry("c"), nullptr);
  EXPECT_EQ(host.Menu.size(), 3u);
}

}  // namespace
