// The trace channel from end to end, against the built module: the three mistakes of a
// short spam filter as --trace shows them, a bound's one line without it, the variables
// after the last event, the spam command against the module's own CHKSPAM, and the
// channel's promise that a traced plugin makes the same host calls as an untraced one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/sim/sim_fixture.h"
#include "tools/sim/codec.h"
#include "tools/sim/console.h"
#include "tools/sim/environment.h"
#include "tools/sim/plugins_folder.h"
#include "tools/sim/spam_rules.h"
#include "tools/sim/trace_reader.h"
#include "tools/sim/transcript.h"
#include "tools/testhost/module_loader.h"
#include "tools/testhost/test_host.h"

using kwsimtest::ExpectLines;
using kwsimtest::HasLine;
using kwsimtest::Lines;
using kwsimtest::RunSim;

namespace {

namespace fs = std::filesystem;

// True when the output holds these lines one after another.
bool HasBlock(const std::string& out, const std::vector<std::string>& block) {
  const std::vector<std::string> lines = Lines(out);
  for (std::size_t i = 0; i + block.size() <= lines.size(); ++i)
    if (std::equal(block.begin(), block.end(), lines.begin() + static_cast<std::ptrdiff_t>(i))) return true;
  return false;
}

std::size_t CountPrefix(const std::string& out, const std::string& prefix) {
  std::size_t n = 0;
  for (const std::string& line : Lines(out)) n += line.rfind(prefix, 0) == 0;
  return n;
}

const std::string kFilter =
    "file script <<END\n"
    ":_init\nSAVE $blocked, 1\n:_start\nIF $_IN = 0\nEXIT\nCHKSPAM $spam, $_MESSAGE\n"
    "IF $spam = TRUE\nGOTO block\nEXIT\n:block\nMOV $_FILTER, 1\n"
    "END\n"
    "file spam <<END\nkup\nEND\n"
    "restart\n"
    "recv TLEN ania@tlen.pl kup teraz\n";

TEST(Trace, ShowsTheThreeMistakesOfTheSpamFilter) {
  const kwsimtest::RunResult r = RunSim(kFilter, false, true);
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  // _init runs on into _start.
  EXPECT_TRUE(HasBlock(r.Out, {"    run        _init", "    line 2     SAVE $blocked, 1",
                               "    save       $BLOCKED save flag on (new, empty)", "    line 3     :_start",
                               "    line 4     IF $_IN = 0"}))
      << r.Out;
  // TRUE without # is a text.
  EXPECT_TRUE(HasBlock(r.Out, {"    line 7     IF $spam = TRUE",
                               "    if         \"1\" = \"TRUE\": false, compared as texts (\"TRUE\" is no number); "
                               "skips line 8",
                               "    line 9     EXIT", "    end        EXIT at line 9 (5 lines run)", "    passed"}))
      << r.Out;
  // With #TRUE the block runs, and writes a variable nobody reads.
  std::string fixed = kFilter;
  fixed.replace(fixed.find("= TRUE"), 6, "= #TRUE");
  const kwsimtest::RunResult f = RunSim(fixed, false, true);
  EXPECT_TRUE(HasBlock(f.Out, {"    if         1 = 1: true, compared as numbers", "    line 8     GOTO block",
                               "    goto       :block, on at line 10", "    line 10    :block",
                               "    line 11    MOV $_FILTER, 1", "    write      $_FILTER (new) \"1\"",
                               "    end        past the last line (7 lines run)", "    passed"}))
      << f.Out;
}

// Without the trace a run that a bound stopped says so in one line; nothing else of the
// trace shows.
TEST(Trace, OffShowsOnlyTheRunsABoundStopped) {
  const struct {
    std::string script;
    std::string message;
    std::string line;
  } cases[] = {
      {":_start\n:l\nGOTO l", "x",
       "    bound      _start run stopped before line 3: it ran its bound of 10,000,000 lines"},
      {":_start\nMOV $s, 'xxxxxxxxxxxxxxxx'\n:l\nSTRCON $s, $s\nGOTO l", "x",
       "    bound      _start run stopped at line 4: a write of 33,554,432 bytes, past the bound of "
       "16,777,216 bytes for one value, was not made"},
      {":_start\n:f\nCALL f", "x", "    bound      _start run stopped at line 3: a CALL past 100,000 open calls"},
      // 2,000 bytes a round: the 536,871st copy takes 1 GiB.
      {":_start\n:l\nMOV $x, $_MESSAGE\nGOTO l", std::string(1000, 'm'),
       "    bound      _start run stopped before line 4: its lines read and wrote its bound of "
       "1,073,741,824 bytes"},
  };
  for (const auto& c : cases) {
    const kwsimtest::RunResult r =
        RunSim("file script <<END\n" + c.script + "\nEND\nrestart\nrecv GG 1 " + c.message + "\n");
    ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
    EXPECT_TRUE(HasBlock(r.Out, {c.line, "    passed"})) << r.Out;
    EXPECT_EQ(CountPrefix(r.Out, "    bound"), 1u) << r.Out;
    EXPECT_EQ(CountPrefix(r.Out, "    line"), 0u) << r.Out;
  }
}

TEST(Trace, LongRunsAreCutAndShortValuesShown) {
  const kwsimtest::RunResult r = RunSim(
      "file script <<END\n:_start\nSTRCON $m, $_MESSAGE, $_MESSAGE\n:l\nGOTO l\nEND\nrestart\ntrace on\nrecv GG 1 " +
      std::string(40, 'a') + "\n");
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  ExpectLines(r.Out, {"    write      $M (new) \"" + std::string(60, 'a') + "\"... (80 bytes)",
                      "    trace      cut after 10,000 lines: the run goes on untraced",
                      "    bound      _start run stopped before line 3: it ran its bound of 10,000,000 lines"});
  EXPECT_EQ(CountPrefix(r.Out, "    line"), 10'000u);
}

// Values past what the trace shows: their lengths, and where two long texts differ.
TEST(Trace, LongValuesShowTheirLengthAndWhereTheyDiffer) {
  const std::string a(300, 'a');
  const kwsimtest::RunResult r = RunSim(
      "file script <<END\n:_start\nSTRCON $l, '" + a + "x'\nSTRCON $r, '" + a + "y'\nIF $l = $r\nEXIT\n"
      "SEND $_ID, $l\nEND\nrestart\ntrace on\nrecv GG 1 x\n");
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  const std::string shown = "\"" + std::string(60, 'a') + "\"... (301 bytes)";
  const std::string line = "    line 2     STRCON $l, '" + a.substr(0, 256 - 12) + "... (314 bytes)";
  ExpectLines(r.Out, {line,
                      "    if         " + shown + " = " + shown + ": false, compared as texts; they differ from "
                      "byte 301: ...\"" + std::string(16, 'a') + "x\" / ...\"" + std::string(16, 'a') + "y\"; skips line 5",
                      "    host       SendProtocolMessage(\"1\", " + shown + ")"});
  // The channel itself: every length a reader needs.
  const kwsimtest::RunResult j = RunSim(
      "file script <<END\n:_start\nSTRCON $l, '" + a + "x'\nSEND $_ID, $l\nIF $l = '" + a + "y'\nEND\n"
      "restart\ntrace on\nrecv GG 1 x\n", true);
  for (const char* key : {"\"text_bytes\":314", "\"left_bytes\":301,", "\"right_bytes\":301,", "\"differs_at\":300,",
                          "\"near_from\":284,", "\"args_bytes\":[1,301]"})
    EXPECT_NE(j.Out.find(key), std::string::npos) << key;
}

// The trace numbers the lines as the script file does now: after the file changes
// without a restart, the old lines keep numbers only while the new file prepares to
// them.
TEST(Trace, LineNumbersFollowTheScriptFile) {
  const struct {
    std::string after;  // what the script file becomes before the second message
    std::string line;   // the second message's line of SEND
  } cases[] = {
      {":_start\nSEND $_ID, 'a'", "    line 2     SEND $_ID, 'a'"},
      {"// note\n\n:_start\nSEND $_ID, 'a'", "    line 4     SEND $_ID, 'a'"},
      {":_start\nSEND $_ID, 'b'", "    index 1    SEND $_ID, 'a'"},
      {":_start\nSEND $_ID, 'a'\n:_menu_show", "    index 1    SEND $_ID, 'a'"},
  };
  for (const auto& c : cases) {
    const kwsimtest::RunResult r =
        RunSim("file script <<END\n:_start\nSEND $_ID, 'a'\nEND\nrestart\ntrace on\nrecv GG 1 x\nfile script <<END\n" +
               c.after + "\nEND\nrecv GG 1 y\n");
    ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
    const std::vector<std::string> lines = Lines(r.Out);
    std::vector<std::string> sends;
    for (const std::string& l : lines)
      if (l.find("SEND $_ID") != std::string::npos) sends.push_back(l);
    ASSERT_EQ(sends.size(), 2u) << r.Out;
    EXPECT_EQ(sends[0], "    line 2     SEND $_ID, 'a'");
    EXPECT_EQ(sends[1], c.line) << c.after;
  }
}

TEST(Trace, JsonCarriesTheRecordsInUtf8) {
  const kwsimtest::RunResult r =
      RunSim("file script <<END\n// powitanie\n:_start\nMOV $a, 'zażółć'\nEND\nrestart\nrecv GG 1 x\n", true, true);
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  const std::vector<std::string> lines = Lines(r.Out);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_NE(lines[3].find("\"effects\":[],\"trace\":[{\"event\":\"run\",\"depth\":1,\"entry\":\"_start\"},"
                          "{\"event\":\"line\",\"depth\":1,\"index\":0,\"line\":2,\"text\":\":_start\"},"
                          "{\"event\":\"line\",\"depth\":1,\"index\":1,\"line\":3,\"text\":\"MOV $a, 'zażółć'\"},"
                          "{\"event\":\"write\",\"depth\":1,\"name\":\"$A\",\"old\":null,\"new\":\"zażółć\","
                          "\"new_bytes\":6},"
                          "{\"event\":\"end\",\"depth\":1,\"entry\":\"_start\",\"how\":\"end\",\"index\":-1,"
                          "\"line\":null,\"before\":false,\"bound\":0,\"lines_run\":2,\"bytes\":12}]}"),
            std::string::npos)
      << lines[3];
  // Without the trace, JSON lines are what they always were.
  const kwsimtest::RunResult plain = RunSim("recv GG 1 x\n", true);
  EXPECT_EQ(plain.Out.find("\"trace\""), std::string::npos);
}

TEST(Vars, TheTableAfterTheLastEvent) {
  const kwsimtest::RunResult r = RunSim(
      "vars\n"
      "file script <<END\n:_init\nSAVE $licznik, 1\nEXIT\n:_start\nADD $licznik, 1\nEND\n"
      "restart\n"
      "recv GG 1 ping\n"
      "service mov $Zielony, 'łąka'\n"
      "vars\n"
      "vars _*\n"
      "vars *L*\n"
      "vars $nic\n"
      "stop\n"
      "vars\n");
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  EXPECT_TRUE(HasBlock(r.Out, {"> vars", "    $LICZNIK   \"1\" (saved)", "    $_ID       \"1\"",
                               "    $_PROTO    \"GG\"", "    $_MESSAGE  \"ping\"", "    $_FILTR    \"0\"",
                               "    $_IN       \"1\"", "    $ZIELONY   \"łąka\"", "               (7 of 7 variables)"}))
      << r.Out;
  EXPECT_TRUE(HasBlock(r.Out, {"> vars _*", "    $_ID       \"1\""}));
  EXPECT_TRUE(HasBlock(r.Out, {"> vars *L*", "    $LICZNIK   \"1\" (saved)", "    $_FILTR    \"0\"",
                               "    $ZIELONY   \"łąka\"", "               (3 of 7 variables)"}))
      << r.Out;
  EXPECT_TRUE(HasBlock(r.Out, {"> vars $nic", "               (0 of 7 variables)"}));
  EXPECT_TRUE(HasBlock(r.Out, {"> vars", "               (the messenger is closed)", "> unload"}) ||
              HasBlock(r.Out, {"> vars", "               (the messenger is closed)"}))
      << r.Out;
  // Before the script's first run the table is the one the plugin loaded with.
  EXPECT_TRUE(HasBlock(r.Out, {"> vars", "               (0 of 0 variables)"})) << r.Out;
}

// The spam command's verdict is the module's: each text goes through CHKSPAM in a
// message and through the command, and both must agree on every one.
TEST(Spam, AgreesWithTheModulesChkSpam) {
  const std::string rules =
      "kup|sprzedam tanio|okazja\n"
      "zażółć\n"
      "; kasyno\n"
      "\"dwa słowa\" x\n"
      "kredyt |\n"
      "a||b chwilówka\n";
  const struct {
    std::string text;
    bool spam;
  } cases[] = {
      {"Sprzedam rower TANIO!", true}, {"Tanio kupię", true},    {"Sprzedam rower", false},
      {"ZAZOLC", true},                {"zażółć gęślą", true},   {"nietanio kup", true},
      {"kasyno", false},               {"DWA x", true},          {"słowa x", true},
      {"dwa", false},                  {"kredyt", false},        {"A chwilowka", true},
      {"b CHWILÓWKA", true},           {"", false},              {"okazja", false},
  };
  std::string transcript = "file spam <<END\n" + rules +
                           "END\nfile script <<END\n:_start\nCHKSPAM $r, $_MESSAGE\nSTRCON $_MESSAGE, '#', $r\n"
                           "END\nrestart\n";
  for (const auto& c : cases) transcript += "recv GG 1 \"" + c.text + "\"\nspam \"" + c.text + "\"\n";
  const kwsimtest::RunResult r = RunSim(transcript);
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  std::vector<bool> module, command;
  for (const std::string& line : Lines(r.Out)) {
    if (line.rfind("    rewritten  ", 0) == 0) module.push_back(line.back() == '1' || line.find("#1\"") != std::string::npos);
    if (line.rfind("    spam       ", 0) == 0) command.push_back(line.find("yes:") != std::string::npos);
  }
  ASSERT_EQ(module.size(), std::size(cases)) << r.Out;
  ASSERT_EQ(command.size(), std::size(cases)) << r.Out;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(module[i], cases[i].spam) << cases[i].text;
    EXPECT_EQ(command[i], module[i]) << cases[i].text;
  }
  EXPECT_TRUE(HasBlock(r.Out, {"> spam: \"Sprzedam rower TANIO!\"", "    folded     \"SPRZEDAM ROWER TANIO!\"",
                               "    match      line 1: kup|sprzedam tanio|okazja",
                               "                 kup|sprzedam: sprzedam as SPRZEDAM",
                               "                 tanio|okazja: tanio as TANIO",
                               "    spam       yes: 1 of 5 rules match; CHKSPAM gives 1"}))
      << r.Out;
  EXPECT_TRUE(HasBlock(r.Out, {"    match      line 2: zażółć", "                 zażółć: zażółć as ZAZOLC"}));
}

TEST(Spam, UsesTheListThePluginLoaded) {
  const kwsimtest::RunResult r = RunSim(
      "file spam <<END\nkup\nEND\nrestart\nfile spam <<END\nsprzedam\nEND\nspam kup\nstop\nspam kup\n");
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  EXPECT_TRUE(HasBlock(r.Out, {"    spam       yes: 1 of 1 rule match; CHKSPAM gives 1",
                               "    note       Kwartlin.spm changed since the plugin loaded it: this is the list it "
                               "runs (a restart loads the new one)"}))
      << r.Out;
  EXPECT_TRUE(HasBlock(r.Out, {"    spam       no: none of 1 rule matches; CHKSPAM gives 0",
                               "    note       the plugin is not running: the list it would load from Kwartlin.spm"}))
      << r.Out;
}

TEST(TraceCommands, Parse) {
  EXPECT_TRUE(kwsim::ParseTranscript("trace on\ntrace OFF\nvars\nvars $a*\nspam \"\"\n").size() == 5);
  const char* bad[] = {"trace\n", "trace maybe\n", "trace on now\n", "spam\n"};
  for (const char* text : bad) EXPECT_THROW(kwsim::ParseTranscript(text), kwsim::TranscriptError) << text;
}

// The channel's records: the plugin's texts come as \u escapes of their Unicode
// characters, the code page's unused bytes as their own values (shown as U+FFFD).
TEST(TraceReader, ParsesTheChannelsLines) {
  kwsim::TraceItem item;
  ASSERT_TRUE(kwsim::ParseTraceLine(
      "{\"event\":\"host\",\"call\":\"Send\",\"args\":[\"a\\\"b\",\"\\u0105\\u0081\"],\"n\":-12,\"f\":true,\"z\":null,"
      "\"l\":[3,-4]}",
      item));
  EXPECT_EQ(item.Kind, "host");
  EXPECT_EQ(item.Text("call"), "Send");
  EXPECT_EQ(std::get<std::vector<std::string>>(*item.Find("args")),
            (std::vector<std::string>{"a\"b", "\xC4\x85\xEF\xBF\xBD"}));
  EXPECT_EQ(item.Number("n"), -12);
  EXPECT_TRUE(item.Flag("f"));
  EXPECT_FALSE(item.Has("z"));
  EXPECT_EQ(item.List<std::int64_t>("l"), (std::vector<std::int64_t>{3, -4}));
  for (const char* bad : {"", "{}", "{\"event\":1}", "{\"event\":\"x\"", "{\"event\":\"x\",}", "{\"event\":\"x\"} y",
                          "{\"event\":\"x\",\"a\":\"\\q\"}", "{\"event\":\"x\",\"a\":[1,\"b\"]}",
                          "{\"event\":\"x\",\"a\":[1,]}"})
    EXPECT_FALSE(kwsim::ParseTraceLine(bad, item)) << bad;
}

TEST(TraceReader, GlobMatches) {
  const struct {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {{"*", "", true},       {"$A*", "$A", true},     {"$A*", "$BA", false}, {"*L*", "$_FILTR", true},
               {"$?", "$A", true},    {"$?", "$AB", false},    {"*R", "$_FILTR", true}, {"$_*_*", "$_MENU_ITEM", true},
               {"**a", "bba", true},  {"$X", "$x", false}};
  for (const auto& c : cases) EXPECT_EQ(kwsim::GlobMatches(c.pattern, c.text), c.match) << c.pattern << " " << c.text;
}

// The module with and without the channel makes the same host calls, and the channel
// numbers lines as the script file does, up to the zero byte that ends it.
TEST(TraceChannel, SameHostCallsWithOrWithoutIt) {
  const fs::path dir = fs::temp_directory_path() / ("kw_trace_channel_" + std::to_string(kwsim::ProcessId()));
  fs::remove_all(dir);
  fs::create_directories(dir / "Kwartlin");
  const fs::path module = dir / "kwartlin.tpl";
  fs::copy_file(kwsim::PathFromUtf8(kwsimtest::ModulePath()), module);
  std::ofstream(dir / "Kwartlin" / "Kwartlin.dat", std::ios::binary)
      << "// every host command\r\n:_init\r\nMenuAdd 'a', 'A'\r\nMenuShow 'a', 0\r\nEXIT\r\n\r\n:_start\r\n"
         "SEND $_ID, 'pong'\r\nSETSTS 'GG', 5, 'x'\r\nREADSTS 'GG', $s, $d\r\nCONINFO $_ID, $n, $g, $o, $f\r\n"
         "MenuDel 'a'\r\nSaveConfig\r\nGETTIME $h, $m, $s2\r\nEXIT"
      << '\0' << " the script ends at a zero byte\r\nSEND $_ID, 'never'\r\n";
  const fs::path file = dir / "trace.jsonl";
  const auto session = [&](bool traced) {
    kwsim::SetEnvironment("KWARTLIN_TRACE", traced ? kwsim::PathToUtf8(file) : "");
    kwtest::TestHost host;
    host.Statuses["GG"] = {2, ""};
    kwtest::PluginModule plugin;
    EXPECT_TRUE(plugin.Open(module.string())) << kwtest::LastModuleError();
    plugin.LoadPlugin(host.Link());
    host.Deliver("GG", "7", "ping");
    plugin.UnloadPlugin();
    plugin.Close();
    std::vector<std::string> calls = host.CallNames();
    for (const auto& m : host.Sent) calls.push_back("sent " + m.ContactId + " " + m.Text);
    for (const auto& s : host.StateChanges) calls.push_back("status " + std::to_string(s.Status));
    return calls;
  };
  const std::vector<std::string> untraced = session(false);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(session(true), untraced);
  kwsim::SetEnvironment("KWARTLIN_TRACE", "");

  std::vector<std::string> lines;
  for (const std::string& line : Lines(kwsim::ReadBytes(file).value_or(""))) {
    kwsim::TraceItem item;
    ASSERT_TRUE(kwsim::ParseTraceLine(line, item)) << line;
    if (item.Kind == "line") lines.push_back(std::to_string(item.Number("line")) + " " + item.Text("text"));
    if (item.Kind == "host" && item.Text("call") == "SendProtocolMessage") {
      EXPECT_EQ(std::get<std::vector<std::string>>(*item.Find("args")), (std::vector<std::string>{"7", "pong"}));
    }
  }
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "3 MenuAdd 'a', 'A'");
  EXPECT_EQ(lines[3], "7 :_start");
  EXPECT_EQ(lines.back(), "15 EXIT");
  std::error_code ec;
  fs::remove_all(dir, ec);
}

}  // namespace
