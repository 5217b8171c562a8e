// The simulator against the real module: what the host sees is reported, the user's
// state outlives a restart, and failures of the simulation end the run with exit 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/sim/sim_fixture.h"
#include "tools/sim/driver.h"
#include "tools/sim/report.h"
#include "tools/sim/session.h"
#include "tools/sim/transcript.h"

using kwsimtest::HasLine;
using kwsimtest::Lines;
using kwsimtest::RunSim;

namespace {

constexpr const char* kPingPong =
    "file script <<END\n"
    ":_start\n"
    "IF $_MESSAGE <> 'ping'\n"
    "EXIT\n"
    "SEND $_ID, 'pong'\n"
    "MOV $_FILTR, 1\n"
    "END\n"
    "restart\n";

// Feeds transcript lines to a session that a test drives step by step.
void Play(kwsim::Session& session, std::string_view transcript) {
  for (const kwsim::Step& step : kwsim::ParseTranscript(transcript)) session.Execute(step);
}

TEST(Session, JsonLinesOfARun) {
  const kwsimtest::RunResult r = RunSim(std::string(kPingPong) + "recv TLEN ania@tlen.pl ping\n", true);
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  const std::vector<std::string> lines = Lines(r.Out);
  ASSERT_EQ(lines.size(), 5u) << r.Out;
  EXPECT_EQ(lines[0].rfind("{\"line\":0,\"event\":\"load\",\"plugin\":\"Kwartlin\",\"version\":\"", 0), 0u);
  EXPECT_NE(lines[0].find("\"data_files\":[],\"effects\":[]}"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].rfind("{\"line\":1,\"event\":\"file\",\"file\":\"script\",\"name\":\"Kwartlin.dat\"", 0), 0u);
  EXPECT_EQ(lines[2].rfind("{\"line\":8,\"event\":\"restart\",\"data_files\":[\"Kwartlin.dat\",\"Kwartlin.ini\"]", 0), 0u)
      << lines[2];
  // The plugin's own answer passes its hook on the way out (the mark), so nothing
  // blocks it.
  EXPECT_EQ(lines[3],
            "{\"line\":9,\"event\":\"recv\",\"protocol\":\"TLEN\",\"contact\":\"ania@tlen.pl\",\"text\":\"ping\","
            "\"hooked\":true,\"hook_result\":-1,\"outcome\":\"blocked\",\"text_back\":\"ping\",\"effects\":["
            "{\"effect\":\"sent\",\"protocol\":\"TLEN\",\"to\":\"ania@tlen.pl\",\"text\":\"pong\",\"mark\":1234,"
            "\"blocked_by_hook\":false}]}");
  EXPECT_EQ(lines[4], "{\"line\":0,\"event\":\"unload\",\"effects\":[]}");
}

// Statuses and contacts belong to the user, not to the plugin: a restart keeps them,
// and the script reads them through the host.
TEST(Session, TheUsersStateOutlivesARestart) {
  const kwsimtest::RunResult r = RunSim(
      "status TLEN away \"Na obiedzie\"\n"
      "contact ania@tlen.pl name=Ania group=Znajomi flags=online\n"
      "file script <<END\n"
      ":_start\n"
      "READSTS $_PROTO, $s, $d\n"
      "CONINFO $_ID, $n, $g, $o, $f\n"
      "MOV $r, $s\n"
      "STRCON $r, '/', $d, '/', $n, '/', $g, '/', $f\n"
      "SEND $_ID, $r\n"
      "SETSTS 'gg', 7, 'niewidoczny'\n"
      "END\n"
      "restart\n"
      "recv TLEN ANIA@TLEN.PL x\n"
      "restart\n"
      "recv GG 5 x\n"
      "recv TLEN nobody@tlen.pl x\n");
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  EXPECT_TRUE(HasLine(r.Out, "    sent       TLEN -> ANIA@TLEN.PL: \"5/Na obiedzie/Ania/Znajomi/1\""))
      << r.Out;
  EXPECT_TRUE(HasLine(r.Out, "    status     GG: 7 (invisible) \"niewidoczny\"")) << r.Out;
  EXPECT_TRUE(HasLine(r.Out, "    sent       GG -> 5: \"7/niewidoczny///0\"")) << r.Out;
  EXPECT_TRUE(HasLine(r.Out, "    sent       TLEN -> nobody@tlen.pl: \"5/Na obiedzie///0\"")) << r.Out;
}

TEST(Session, MenuItemsByCaptionOrIdAndUnknownOnes) {
  const kwsimtest::RunResult r = RunSim(
      "file script <<END\n"
      ":_init\n"
      "MenuAdd 'a', 'Pierwsza'\n"
      "EXIT\n"
      ":_menu_click\n"
      "SEND $_ID, $_MENU_ITEM\n"
      "END\n"
      "restart\n"
      "popup 1\n"
      "click 1 pierwsza\n"
      "click 2 kwartlin_menu_item_0\n"
      "click 3 Kwartlin\n"
      "click 4 KWARTLIN_MENU_ITEM_9\n");
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  EXPECT_TRUE(HasLine(r.Out, "    menu       Kwartlin")) << r.Out;
  EXPECT_TRUE(HasLine(r.Out, "                 Pierwsza"));
  EXPECT_TRUE(HasLine(r.Out, "> click 1: Pierwsza (KWARTLIN_MENU_ITEM_0)"));
  EXPECT_TRUE(HasLine(r.Out, "    sent       GG -> 1: \"a\""));
  EXPECT_TRUE(HasLine(r.Out, "    sent       GG -> 2: \"a\""));
  // The main item and an id nobody has run nothing.
  EXPECT_TRUE(HasLine(r.Out, "> click 3: Kwartlin (KWARTLIN_MAIN_MENU)"));
  EXPECT_TRUE(HasLine(r.Out, "> click 4: KWARTLIN_MENU_ITEM_9 (no such item)"));
  EXPECT_EQ(r.Out.find("GG -> 3"), std::string::npos);
  EXPECT_EQ(r.Out.find("GG -> 4"), std::string::npos);
  // The restart took the items out of the host and put them back.
  EXPECT_TRUE(HasLine(r.Out, "    menu add   \"Pierwsza\" (KWARTLIN_MENU_ITEM_0)"));
  EXPECT_TRUE(HasLine(r.Out, "    menu del   \"Pierwsza\" (KWARTLIN_MENU_ITEM_0)"));
}

// The settings file is the plugin's while it runs (it writes it when it closes), so it
// is edited between stop and start.
TEST(Session, ServiceAndDataFiles) {
  const kwsimtest::RunResult r = RunSim(
      "stop\n"
      "recv GG 1 nobody there\n");
  EXPECT_EQ(r.Code, kwsim::kExitFailure);
  EXPECT_EQ(r.Err, "t.txt:2: the messenger is closed: start it first\n");

  const kwsimtest::RunResult r2 = RunSim(
      "file settings <<END\n"
      "[Var_Save]\n"
      "$GREETING=lost\n"
      "END\n"
      "restart\n"
      "stop\n"
      "status GG dnd\n"
      "file settings <<END\n"
      "[Var_Save]\n"
      "$GREETING=hej\n"
      "END\n"
      "file script <<END\n"
      ":_start\n"
      "STRCON $GREETING, '!'\n"
      "READSTS 'GG', $s, $d\n"
      "MOV $_MESSAGE, $GREETING\n"
      "STRCON $_MESSAGE, $s\n"
      "END\n"
      "start\n"
      "recv GG 1 x\n"
      "service mov $greeting, 'czesc'\n"
      "recv GG 1 x\n"
      "file spam delete\n"
      "show-file spam\n");
  ASSERT_EQ(r2.Code, kwsim::kExitOk) << r2.Err;
  const std::string& out = r2.Out;
  EXPECT_TRUE(HasLine(out, "    note       the plugin writes its own settings over it when it closes: stop it first"));
  EXPECT_TRUE(HasLine(out, "    note       the plugin reads it when it starts")) << out;
  EXPECT_TRUE(HasLine(out, "    rewritten  \"hej!4\"")) << out;
  EXPECT_TRUE(HasLine(out, "> service KWARTLIN/PROC_BRIX: mov $greeting, 'czesc'"));
  EXPECT_TRUE(HasLine(out, "    returned   0"));
  EXPECT_TRUE(HasLine(out, "    rewritten  \"czesc!4\""));
  EXPECT_TRUE(HasLine(out, "> file spam: Kwartlin.spm deleted"));
  EXPECT_TRUE(HasLine(out, "               (no such file)"));
  EXPECT_EQ(out.find("lost"), std::string::npos);
}

// What became of the settings file shows even when it went wrong: a save that wrote
// nothing says why (here a folder stands where the file should be), and a long value
// whose pieces do not check (here a hand edit of its first piece) says what loaded.
TEST(Session, SettingsNotWrittenOrNotLoadedWholeAreReported) {
  kwtest::TempFolder folder;
  std::filesystem::create_directories(folder.Path() / "Kwartlin");
  kwtest::WriteBytes(folder.Path() / "Kwartlin" / "Kwartlin.ini",
                     "[Var_Save]\r\n$BIG=" + std::string(16000, 'y') + "\r\n[Var_Save_Rest]\r\n$BIG#0=40000 0000ABCD\r\n"
                     "$BIG#1=" + std::string(16000, 'x') + "\r\n$BIG#2=" + std::string(8000, 'x') + "\r\n");
  std::ostringstream out;
  kwsim::TextReporter reporter(out, false);
  kwsim::SessionOptions options;
  options.ModulePath = kwsimtest::ModulePath();
  options.PluginsFrom = folder.Path().string();
  options.BaseDir = ".";
  kwsim::Session session(options, reporter);
  session.Start();
  Play(session, "file script <<END\n:_start\nSaveConfig\nEND\nrestart\n");
  const std::filesystem::path ini = std::filesystem::path(session.FolderPath()) / "Kwartlin" / "Kwartlin.ini";
  std::filesystem::remove(ini);
  std::filesystem::create_directory(ini);
  Play(session, "recv GG 1 x\n");
  session.Finish();
  const std::string text = out.str();
  EXPECT_TRUE(HasLine(text, "    settings   $BIG: its long value does not check (its pieces do not match their length "
                            "and check); loaded its first 16,000 bytes, the rest stays in Kwartlin.ini"))
      << text;
  const std::string failed = "    settings   Kwartlin.ini not written: the old file cannot be replaced";
  const std::vector<std::string> lines = Lines(text);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), failed), 2) << text;  // SaveConfig, then the unload
}

// A settings file that Notepad saved as "Unicode" is named when it comes in, and a
// variable whose name leaves no room for its long value's pieces is told at each save.
TEST(Session, SettingsEncodingAndLeftOutVariablesAreTold) {
  kwtest::TempFolder folder;
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string("[Var_Save]\r\n$A=1\r\n")) utf16 += std::string{c, '\0'};
  kwtest::WriteBytes(folder.Path() / "Kwartlin.ini", utf16);
  const std::string name = "$" + std::string(32764, 'N');
  kwsim::RunOptions options;
  options.Module = kwsimtest::ModulePath();
  options.PluginsFrom = folder.Path().string();
  std::ostringstream out, err;
  EXPECT_EQ(kwsim::RunTranscript("file script <<END\n:_start\nMOV " + name + ", '" + std::string(40000, 'v') +
                                     "'\nSAVE " + name + ", 1\nSaveConfig\nEND\nrestart\nrecv GG 1 x\n",
                                 "t.txt", ".", options, out, err),
            kwsim::kExitOk)
      << err.str();
  EXPECT_NE(err.str().find("Kwartlin.ini: note: a settings file written in UTF-16 LE (as Notepad saves it): the plugin "
                           "reads it and saves it in the same encoding"),
            std::string::npos)
      << err.str();
  const std::string told = "    settings   " + name.substr(0, 256) +
                           " not saved: its name leaves no room for the keys of its long value's pieces";
  EXPECT_TRUE(HasLine(out.str(), told)) << out.str().substr(0, 2000);
}

// A page save that cannot write the script shows the page's error box as its output.
TEST(Session, PageSaveThatFailsShowsTheErrorBox) {
  std::ostringstream out;
  kwsim::TextReporter reporter(out, false);
  kwsim::SessionOptions options;
  options.ModulePath = kwsimtest::ModulePath();
  options.BaseDir = ".";
  kwsim::Session session(options, reporter);
  session.Start();
  Play(session, "options show\noptions type script \":_init\"\n");
  std::filesystem::create_directories(std::filesystem::path(session.FolderPath()) / "Kwartlin" / "Kwartlin.dat");
  Play(session, "options save\n");
  session.Finish();
  const std::vector<std::string> lines = Lines(out.str());
  const auto box = std::find(lines.begin(), lines.end(), "    error box  Nie udało się zapisać pliku:");
  ASSERT_NE(box, lines.end()) << out.str();
  EXPECT_NE(box[1].find("Kwartlin.dat"), std::string::npos) << out.str();
  EXPECT_EQ(box[2], "               Tekst pozostał w edytorze, a plik na dysku się nie zmienił.");
}

// A failure of the simulation itself ends the run with exit 1 and names the line; the
// plugin is still unloaded.
TEST(Session, FailuresEndTheRunWithExitCodeOne) {
  const kwsimtest::RunResult r = RunSim("recv GG 1 x\nfile script from no/such/file.dat\nrecv GG 1 y\n");
  EXPECT_EQ(r.Code, kwsim::kExitFailure);
  EXPECT_NE(r.Err.find("t.txt:2: cannot read "), std::string::npos) << r.Err;
  EXPECT_TRUE(HasLine(r.Out, "> recv GG 1: \"x\""));
  EXPECT_EQ(r.Out.find("\"y\""), std::string::npos);

  kwsim::RunOptions options;
  options.Module = "no/such/kwartlin.tpl";
  std::ostringstream out, err;
  EXPECT_EQ(kwsim::RunTranscript("recv GG 1 x\n", "t.txt", ".", options, out, err), kwsim::kExitFailure);
  EXPECT_NE(err.str().find("t.txt: no plugin module at "), std::string::npos) << err.str();
}

// The user's commands need a page that the host has shown and not destroyed; without
// one the command fails, and the run ends there as at any failure.
TEST(Session, UserCommandsOnAPageThatIsNotOpenFail) {
  struct Case {
    std::string transcript;
    std::string error;
  } cases[] = {
      {"options text script\n", "t.txt:1: the page is not open: options show first\n"},
      {"options show\noptions destroy\noptions help\n", "t.txt:3: the page is not open: options show first\n"},
      {"options show\nrestart\noptions menu GOTO\n", "t.txt:3: the page is not open: options show first\n"},
      {"options type script x\nrecv GG 1 after\n", "t.txt:1: the page is not open: options show first\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.transcript);
    const kwsimtest::RunResult r = RunSim(c.transcript);
    EXPECT_EQ(r.Code, kwsim::kExitFailure);
    EXPECT_EQ(r.Err, c.error);
    EXPECT_EQ(r.Out.find("after"), std::string::npos);
  }
}

// A script or spam list saved as UTF-8, UTF-8 with its mark or UTF-16 is copied as it
// is, as the messenger would read it, with the checker's finding about the file (and its
// advice) on the error stream, naming the file it came from.
TEST(Session, DataFilesInOtherEncodingsGetTheCheckersWarning) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kw_sim_utf8";
  std::filesystem::create_directories(dir);
  const auto write = [&](const char* name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  };
  write("Kwartlin.dat", ":_start\r\nSEND $_ID, 'Cze\xC5\x9B\xC4\x87'\r\n");
  write("Kwartlin.spm", "tanio\r\nkup te\xC5\xBC\r\n");
  write("cp1250.dat", ":_start\r\nSEND $_ID, 'Cze\x9C\xE6'\r\n");
  write("bom.dat", "\xEF\xBB\xBF:_init\r\nEXIT\r\n");
  write("utf16.spm", std::string("\xFF\xFEk\0u\0p\0", 8));
  const std::string d = dir.string();
  const std::string utf8 = ": warning: the file is UTF-8, but the plugin reads Windows-1250";
  struct Case {
    std::string transcript;
    bool pluginsFrom;
    std::vector<std::string> warned;  // the start of each warning
  } cases[] = {
      {"file script from " + d + "/Kwartlin.dat\nfile spam from " + d + "/Kwartlin.spm\n", false,
       {d + "/Kwartlin.dat:2" + utf8, d + "/Kwartlin.spm:2" + utf8}},
      {"file script from " + d + "/cp1250.dat\nfile script <<END\nSEND $_ID, 'Cześć'\nEND\n", false, {}},
      {"recv GG 1 x\n", true, {(dir / "Kwartlin.dat").string() + ":2" + utf8, (dir / "Kwartlin.spm").string() + ":2" + utf8}},
      {"file script from " + d + "/bom.dat\nfile spam from " + d + "/utf16.spm\n", false,
       {d + "/bom.dat:1: warning: the file begins with a UTF-8 byte order mark",
        d + "/utf16.spm:1: warning: the file is UTF-16 LE"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.transcript);
    kwsim::RunOptions options;
    options.Module = kwsimtest::ModulePath();
    if (c.pluginsFrom) options.PluginsFrom = d;
    std::ostringstream out, err;
    EXPECT_EQ(kwsim::RunTranscript(c.transcript, "t.txt", ".", options, out, err), kwsim::kExitOk) << err.str();
    const std::vector<std::string> lines = Lines(err.str());
    ASSERT_EQ(lines.size(), c.warned.size()) << err.str();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].rfind(c.warned[i], 0), 0u) << lines[i];
      EXPECT_NE(lines[i].find("Notepad"), std::string::npos) << lines[i];
    }
  }
  // The bytes went in unchanged: the plugin sends the UTF-8 bytes as they are.
  EXPECT_TRUE(HasLine(RunSim("file script from " + d + "/Kwartlin.dat\nrestart\nrecv GG 1 x\n").Out,
                      "    sent       GG -> 1: \"CzeĹ›Ä‡\""));
  std::filesystem::remove_all(dir);
}

TEST(Session, ExpectedOutputComparison) {
  const std::string path = (std::filesystem::temp_directory_path() / "kw_sim_expected.txt").string();
  std::ofstream(path, std::ios::binary) << "> load Kwartlin\r\n    passed\r\n";
  std::ostringstream err;
  EXPECT_EQ(kwsim::CompareWithExpected("> load Kwartlin\n    passed\n", path, err), kwsim::kExitOk);
  EXPECT_EQ(kwsim::CompareWithExpected("> load Kwartlin\n    blocked\n", path, err), kwsim::kExitFailure);
  EXPECT_NE(err.str().find(":2: the output differs"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("  actual:   " "    blocked"), std::string::npos);
  err.str("");
  EXPECT_EQ(kwsim::CompareWithExpected("> load Kwartlin\n", path, err), kwsim::kExitFailure);
  EXPECT_NE(err.str().find("(end of output)"), std::string::npos);
  std::filesystem::remove(path);
}

}  // namespace
