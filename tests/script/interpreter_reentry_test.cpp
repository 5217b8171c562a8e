// Runs that the host starts while a command waits for it: a stand-in host link calls
// back into the plugin from inside a host service, as the messenger may. The waiting
// run must keep its own position and return stack, see a reloaded script, and survive
// a variable table that grew under it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "host/globals.h"
#include "host/menu.h"
#include "host/records.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/variables.h"

using namespace kw;

namespace {

std::function<void()> gDuringHostCall;  // what the stand-in host does inside a call
int gCallDepth = 0;                     // host calls under way (callbacks nest only once)
const char* gStatusText = "busy";       // description the stand-in host reports

std::intptr_t KW_CDECL FakeCallService(void*, const char* name, std::intptr_t wParam, std::intptr_t) {
  if (std::strcmp(name, "Tlen/ProtocolCallFunction") == 0) {
    auto* call = FromParam<ProtocolCallDef>(wParam);
    if (std::strcmp(call->FunctionName, "PFGetUserState") == 0) {
      auto* state = FromParam<UserStateDef>(call->Param1);
      state->Status = 5;
      state->Description = gStatusText;
    }
  }
  if (gDuringHostCall && gCallDepth == 0) {
    ++gCallDepth;
    gDuringHostCall();
    --gCallDepth;
  }
  return 0;
}
std::intptr_t KW_CDECL FakeCreateService(void*, const char*, ServiceCallbackFn) { return 1; }
std::intptr_t KW_CDECL FakeDestroyService(void*, std::intptr_t) { return 0; }

TPluginLink gLink{FakeCreateService, FakeDestroyService, FakeCallService};

TScriptLines Lines(std::string_view text) {
  TScriptLines lines = SplitFileLines(text);
  PrepareScriptLines(lines);
  return lines;
}

class Reentry : public ::testing::Test {
 protected:
  void SetUp() override {
    Reset();
    PluginLink = &gLink;
  }
  void TearDown() override {
    Reset();
    PluginLink = nullptr;
  }
  static void Reset() {
    gDuringHostCall = nullptr;
    ClearMenuEntries();
    ClearVariables();
    ScriptLines.clear();
  }
};

TEST_F(Reentry, NestedRunHasItsOwnPositionAndReturnStack) {
  ScriptLines = Lines(
      ":_start\nCALL sub\nSTRCON $t, 'o'\nEXIT\n"
      ":sub\nSEND 'x@y', 'hi'\nSTRCON $t, 'r'\nRET\n"
      ":_menu_click\nRET\nSTRCON $t, 'n'\nGOTO sub2\n:sub2\nEXIT");
  gDuringHostCall = [] { RunScript(ScriptLines, entryMenuClick); };
  RunScript(ScriptLines, entryStart);
  // The nested RET found its own empty stack; the outer RET still had its return.
  EXPECT_EQ(ResolveValue("$t"), "nro");
}

TEST_F(Reentry, ReloadDuringACommandContinuesInTheNewScript) {
  ScriptLines = Lines("SEND 'x', 'y'\nMOV $r, old\nMOV $s, old");
  gDuringHostCall = [] { ScriptLines = Lines("MOV $r, unused\nMOV $r, new"); };
  RunScript(ScriptLines, entryStart);
  EXPECT_EQ(ResolveValue("$r"), "new");
  EXPECT_EQ(VariableTable.Find("$S"), -1);
}

TEST_F(Reentry, ScriptEmptiedDuringACommandEndsTheRun) {
  ScriptLines = Lines("SETSTS GG, 2, 'x'\nMOV $r, 1");
  gDuringHostCall = [] { ScriptLines.clear(); };
  RunScript(ScriptLines, entryStart);
  EXPECT_TRUE(VariableTable.empty());
}

TEST_F(Reentry, ResultsLandAfterTheTableGrewDuringTheCall) {
  ScriptLines = Lines(
      "MOV $a, 'keep this value, it is longer than any small buffer'\n"
      "READSTS GG, $s, $d\nCONINFO $a, $n, $g, $o, $f\nMOV $r, $a");
  gDuringHostCall = [] {
    for (int i = 0; i < 2000; ++i) SetVariable("$v" + std::to_string(i), std::string(40, 'x'), false);
  };
  RunScript(ScriptLines, entryStart);
  EXPECT_EQ(ResolveValue("$s"), "5");
  EXPECT_EQ(ResolveValue("$d"), "busy");
  EXPECT_EQ(ResolveValue("$f"), "0");
  EXPECT_EQ(ResolveValue("$r"), "keep this value, it is longer than any small buffer");
  EXPECT_EQ(ResolveValue("$v1999"), std::string(40, 'x'));
}

TEST_F(Reentry, MenuGrowsDuringMenuAdd) {
  ScriptLines = Lines(":_start\nMenuAdd 'a', 'A'\nMenuAdd 'c', 'C'\nEXIT\n:_menu_show\nMenuAdd 'b', 'B'");
  gDuringHostCall = [] { RunScript(ScriptLines, entryMenuShow); };
  RunScript(ScriptLines, entryStart);
  EXPECT_GE(FindMenuEntryByName("a"), 0);
  EXPECT_GE(FindMenuEntryByName("b"), 0);
  EXPECT_GE(FindMenuEntryByName("c"), 0);
  EXPECT_EQ(MenuEntries.size(), 3u);
}

}  // namespace
