// The options page through the module's callback and, once shown, through the window
// record it hands the host. Only where the page's view is the in-memory one (the Windows
// module opens a real window).
#include <gtest/gtest.h>

#include "tests/sim/sim_fixture.h"

using kwsimtest::ExpectLines;
using kwsimtest::HasLine;
using kwsimtest::RunOk;

namespace {

// A script typed into a fresh page becomes the script file on save, and runs: its
// _init adds a menu item and its _start answers a message.
TEST(Options, TypedScriptIsSavedAndRuns) {
  const std::string out = RunOk(
      "options show\n"
      "options type script \":_init\\nMenuAdd 'x', 'Iks'\\nEXIT\\n:_start\\nSEND $_ID, 'Zażółć'\\n\"\n"
      "options type spam \"łańcuszek\\n\"\n"
      "recv TLEN a@b before\n"
      "options save\n"
      "show-file script\n"
      "show-file spam\n"
      "recv TLEN a@b after\n");
  ExpectLines(out, {
      "    menu add   \"Iks\" (KWARTLIN_MENU_ITEM_0)",
      "    | MenuAdd 'x', 'Iks'",
      "    | SEND $_ID, 'Zażółć'",
      "    | łańcuszek",
  });
  // Typing alone changes nothing that runs: only the save does.
  const auto before = out.find("> recv TLEN a@b: \"before\"");
  const auto after = out.find("> recv TLEN a@b: \"after\"");
  ASSERT_NE(before, std::string::npos);
  ASSERT_NE(after, std::string::npos);
  EXPECT_EQ(out.find("sent       TLEN -> a@b", before), out.find("sent       TLEN -> a@b", after));
  EXPECT_NE(out.find("sent       TLEN -> a@b: \"Zażółć\"", after), std::string::npos);
}

// While docked, Tab and Enter go through the form's key handling: one tab or one line
// break per press, at the caret, in either editor; a click puts the caret anywhere.
TEST(Options, KeysAndCaretWhileDocked) {
  const std::string out = RunOk(
      "file script <<END\n"
      "goto koniec\n"
      "END\n"
      "options show\n"
      "options caret script 1 5\n"
      "options key script tab\n"
      "options key script enter\n"
      "options text script\n"
      "options type spam ab\n"
      "options caret spam 1 2\n"
      "options key spam enter\n"
      "options type spam \"x\\r\\ny\\rz\"\n"
      "options text spam\n"
      "options caret script 99 99\n");
  ExpectLines(out, {
      "    caret      line 1, column 6",   // after the tab
      "    caret      line 2, column 1",
      "    | goto\t",
      "    |  koniec",
      "    | a",
      "    | x",
      "    | y",
      "    | zb",
  });
  // Beyond the text: the end of the last line, which is the empty one after "koniec".
  EXPECT_TRUE(HasLine(out, "    caret      line 3, column 1"));
}

// The help lines follow the caret's line; the menu's entries go into the script editor.
TEST(Options, HelpLinesAndReferenceMenu) {
  const std::string out = RunOk(
      "file script <<END\n"
      "goto koniec\n"
      "  goto koniec\n"
      "END\n"
      "options show\n"
      "options help\n"
      "options caret script 1 3\n"
      "options help\n"
      "options caret script 2 1\n"
      "options help\n"
      "options caret script 3 1\n"
      "options menu #true\n"
      "options menu Nie ma takiej pozycji\n"
      "options text script\n");
  ExpectLines(out, {
      "    syntax     GOTO nazwa_etykiety",
      "    help       Skacze do etykiety.",
      "    help       (empty)",
      "               (no such entry in the menu)",
      "    | #TRUE",
  });
}

// Hiding keeps the editors' text; showing again brings the same page back (the user's
// commands on a page that is not open fail: session_test.cpp).
TEST(Options, HidingKeepsThePage) {
  const std::string out = RunOk(
      "options show\n"
      "options type script abc\n"
      "options hide\n"
      "options show\n"
      "options text script\n");
  EXPECT_TRUE(HasLine(out, "    | abc")) << out;
}

TEST(Options, JsonCarriesWhatThePageShows) {
  const kwsimtest::RunResult r = kwsimtest::RunSim(
      "options show\n"
      "options type script \"goto x\"\n"
      "options help\n"
      "options text script\n",
      true);
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  EXPECT_NE(r.Out.find("\"editor\":\"script\",\"input\":\"goto x\",\"caret_line\":1,\"caret_column\":7"),
            std::string::npos)
      << r.Out;
  EXPECT_NE(r.Out.find("\"syntax\":\"GOTO nazwa_etykiety\",\"description\":\"Skacze do etykiety.\""),
            std::string::npos);
  EXPECT_NE(r.Out.find("\"lines\":[\"goto x\"]"), std::string::npos);
}

}  // namespace
