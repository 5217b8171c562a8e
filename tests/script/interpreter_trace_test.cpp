// What a traced run tells: its lines, IF outcomes with the values compared, jumps and
// where they land, writes with old and new values, host calls, and how it ended, each
// bound included. That tracing changes no result is checked by every table of
// interpreter_test.cpp, which runs each case a second time traced.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_script_host.h"
#include "recording_trace_sink.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/script_host.h"
#include "script/variables.h"

using namespace kw;

namespace {

using Events = std::vector<std::string>;

class InterpreterTrace : public ::testing::Test {
 protected:
  void SetUp() override { ClearVariables(); }
  void TearDown() override { ClearVariables(); }
};

struct Case {
  std::string script;
  int entry;
  Events events;
  TRunBounds bounds = {};
};

void Expect(const Case& c) {
  ClearVariables();
  kwtest::RecordingTraceSink sink;
  RunScriptBounded(ScriptLinesFromText(c.script), c.entry, c.bounds);
  EXPECT_EQ(sink.Events, c.events) << c.script;
}

// The script of a spam filter with three mistakes: _init runs on into _start, TRUE
// without # is a text, and the variable it means to set is $_FILTR.
const char* const kThreeMistakes =
    ":_init\nSAVE $blocked, 1\n:_start\nIF $_IN = 0\nEXIT\nCHKSPAM $spam, $_MESSAGE\n"
    "IF $spam = TRUE\nGOTO block\nEXIT\n:block\nMOV $_FILTER, 1";

TEST_F(InterpreterTrace, LinesConditionsJumpsAndWrites) {
  const Case cases[] = {
      {kThreeMistakes, entryInit,
       {"run 0 depth 1", "1: SAVE $blocked, 1", "save $BLOCKED new off -> on", "2: :_start", "3: IF $_IN = 0",
        "if '' = '0' texts false, skips 4", "5: CHKSPAM $spam, $_MESSAGE", "write $SPAM unset -> '0'",
        "6: IF $spam = TRUE", "if '0' = 'TRUE' texts false, skips 7", "8: EXIT",
        "end exit at 8 lines 6 (run 0 depth 1)"}},
      // Numbers compare as numbers; a write of the value a variable has is still told.
      {"MOV $a, 5\nIF $a > 3\nGOTO big\nMOV $a, 0\n:BIG\nMOV $a, 5", entryStart,
       {"run 1 depth 1", "0: MOV $a, 5", "write $A unset -> '5'", "1: IF $a > 3", "if '5' > '3' numbers true",
        "2: GOTO big", "goto big -> 4", "4: :BIG", "5: MOV $a, 5", "write $A '5' -> '5'",
        "end end at -1 lines 5 (run 1 depth 1)"}},
      {"GOTO nowhere\nIF $x\nMOV $a, 1", entryStart,
       {"run 1 depth 1", "0: GOTO nowhere", "goto nowhere missing -> 1", "1: IF $x", "if incomplete false, skips 2",
        "end end at -1 lines 2 (run 1 depth 1)"}},
      {"CALL sub\nRET\nEXIT\n:sub\nRET", entryStart,
       {"run 1 depth 1", "0: CALL sub", "call sub -> 3", "3: :sub", "4: RET", "ret -> 1", "1: RET",
        "ret missing -> 2", "2: EXIT", "end exit at 2 lines 5 (run 1 depth 1)"}},
      // Every result a line writes, in order; a line writing one variable twice tells it once.
      {"STREXT 'a;b', ';', 1, $r\nCHKINT 'x', $ok\nADD $r, 1\nGETDATE $d, $d, $d", entryStart,
       {"run 1 depth 1", "0: STREXT 'a;b', ';', 1, $r", "write $R unset -> 'b'", "1: CHKINT 'x', $ok",
        "write $OK unset -> '0'", "2: ADD $r, 1", "write $R 'b' -> '1'", "3: GETDATE $d, $d, $d",
        "host Now() -> 2024-02-29 07:05:09", "write $D unset -> '29'", "end end at -1 lines 4 (run 1 depth 1)"}},
  };
  kwtest::FakeScriptHost host;  // its clock: 2024-02-29 07:05:09
  for (const Case& c : cases) Expect(c);
}

TEST_F(InterpreterTrace, HostCallsWithTheirAnswers) {
  kwtest::FakeScriptHost host;
  host.State = {5, "obiad"};
  Expect({"READSTS 'TLEN', $s, $d\nSEND 'ala', $s\nMenuDel 'x'\nSaveConfig", entryStart,
          {"run 1 depth 1", "0: READSTS 'TLEN', $s, $d", "host GetUserState(TLEN) -> 5 obiad",
           "write $S unset -> '5'", "write $D unset -> 'obiad'", "1: SEND 'ala', $s",
           "host SendProtocolMessage(ala, 5)", "2: MenuDel 'x'", "host FindMenuEntryByName(x) -> -1",
           "3: SaveConfig", "host SaveConfig()", "end end at -1 lines 4 (run 1 depth 1)"}});
  // The recorder is gone after the run: the host is the one installed before it.
  EXPECT_EQ(&ScriptHost(), &host);
  EXPECT_EQ(host.Sent.size(), 1u);
  EXPECT_EQ(host.Saves, 1);
}

// A run that a host call starts is told inside the call, one level deeper, and its host
// calls are recorded once.
TEST_F(InterpreterTrace, NestedRunsInsideAHostCall) {
  kwtest::FakeScriptHost host;
  const TScriptLines inner = ScriptLinesFromText("MOV $n, 1\nSEND 'b', 'y'");
  host.DuringCall = [&] { RunScript(inner, entryStart); };
  Expect({"SEND 'a', 'x'\nMOV $x, 1", entryStart,
          {"run 1 depth 1", "0: SEND 'a', 'x'", "host SendProtocolMessage(a, x)", "run 1 depth 2", "0: MOV $n, 1",
           "write $N unset -> '1'", "1: SEND 'b', 'y'", "host SendProtocolMessage(b, y)",
           "end end at -1 lines 2 (run 1 depth 2)", "1: MOV $x, 1", "write $X unset -> '1'",
           "end end at -1 lines 2 (run 1 depth 1)"}});
}

// Each way a run ends, told with the line that ended it (or, when the lines before spent
// the line or byte bound, the line it was to run next) and the bound's figure.
TEST_F(InterpreterTrace, EveryEnd) {
  const Case cases[] = {
      {":l\nGOTO l", entryStart, {"run 1 depth 1", "end lines before 1 lines 5 bound 5 (run 1 depth 1)"}, {.Lines = 5}},
      // 8 bytes, then 6: past 13 after line 1.
      {"MOV $a, 'abcd'\nMOV $b, 'xyz'\nMOV $c, 1", entryStart,
       {"run 1 depth 1", "end bytes before 2 lines 2 bound 13 (run 1 depth 1)"}, {.Bytes = 13}},
      // STRPOS spends the budget while it searches, and ends the run at its own line.
      {"MOV $q, 'aaaaaaaaaaaaaaaaaaab'\nMOV $t, 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'\nSTRPOS $p, $q, $t",
       entryStart, {"run 1 depth 1", "end bytes at 2 lines 3 bound 200 (run 1 depth 1)"}, {.Bytes = 200}},
      {"MOV $s, 'ab'\nSTRCON $s, 'cd'\nSTRCON $s, 'e'\nMOV $after, 1", entryStart,
       {"run 1 depth 1", "end value at 2 lines 3 bound 4 refused 5 (run 1 depth 1)"}, {.ValueBytes = 4}},
      // 100,000 CALLs open; the next one ends the run: two lines a round.
      {":f\nCALL f", entryStart, {"run 1 depth 1", "end calls at 1 lines 200002 bound 100000 (run 1 depth 1)"}},
      {"MOV $a, 1", entryMenuShow, {"run 2 depth 1", "end no-entry at -1 lines 0 (run 2 depth 1)"}},
      {"// nothing", entryInit, {"run 0 depth 1", "end empty at -1 lines 0 (run 0 depth 1)"}},
  };
  for (const Case& c : cases) {
    ClearVariables();
    kwtest::RecordingTraceSink sink;
    sink.Lines = false;  // only the start and the end
    RunScriptBounded(ScriptLinesFromText(c.script), c.entry, c.bounds);
    EXPECT_EQ(sink.Events, c.events) << c.script;
  }
}

// A host that delivers a message inside every SEND nests runs until the nesting bound
// stops the next one before its first line.
class EchoingHost final : public IScriptHost {
 public:
  explicit EchoingHost(const TScriptLines& lines) : lines_(lines), before_(InstallScriptHost(this)) {}
  ~EchoingHost() override { InstallScriptHost(before_); }
  void SendProtocolMessage(const std::string&, const std::string&) override { RunScript(lines_, entryStart); }
  void ChangeUserState(const std::string&, std::int32_t, const std::string&) override {}
  TUserState GetUserState(const std::string&) override { return {}; }
  TKontaktInfo GetContactInfo(const std::string&) override { return {}; }
  void AddOrRenameMenuEntry(std::string_view, std::string_view) override {}
  int FindMenuEntryByName(std::string_view) override { return -1; }
  void DeleteMenuEntry(int) override {}
  void SetMenuEntryVisible(int, bool) override {}
  void SaveConfig() override {}
  LocalDateTime Now() override { return {}; }

 private:
  const TScriptLines& lines_;
  IScriptHost* before_;
};

TEST_F(InterpreterTrace, NestingBound) {
  const TScriptLines lines = ScriptLinesFromText("SEND 'a', 'b'");
  EchoingHost host(lines);
  kwtest::RecordingTraceSink sink;
  sink.Lines = false;
  RunScript(lines, entryStart);
  const std::string deepest = "end nesting at -1 lines 0 bound " + std::to_string(kMaxNestedRuns) +
                              " (run 1 depth " + std::to_string(kMaxNestedRuns + 1) + ")";
  ASSERT_EQ(sink.Events.size(), 2u * (kMaxNestedRuns + 1));
  EXPECT_EQ(sink.Events[kMaxNestedRuns], "run 1 depth " + std::to_string(kMaxNestedRuns + 1));
  EXPECT_EQ(sink.Events[kMaxNestedRuns + 1], deepest);
  EXPECT_EQ(sink.Events.back(), "end end at -1 lines 1 (run 1 depth 1)");
}

// A sink that wants no more lines stops the line events; the run goes on untraced to the
// same end.
TEST_F(InterpreterTrace, SinkStopsTheLinesHalfway) {
  kwtest::RecordingTraceSink sink;
  sink.LinesBeforeStop = 4;
  RunScriptBounded(ScriptLinesFromText(":l\nADD $n, 1\nGOTO l"), entryStart, TRunBounds{.Lines = 30});
  const Events expected = {"run 1 depth 1", "0: :l", "1: ADD $n, 1", "write $N unset -> '1'", "2: GOTO l",
                           "goto l -> 0", "0: :l", "end lines before 0 lines 30 bound 30 (run 1 depth 1)"};
  EXPECT_EQ(sink.Events, expected);
  EXPECT_EQ(ResolveValue("$n"), "10");
}

}  // namespace
