// The options page of the Windows module, a real window, as the simulator drives it with
// window messages: what can go wrong there is where a click lands in a scrolled editor,
// which key a character is typed with, and choosing in a modal menu.
#include <gtest/gtest.h>

#include <string>

#include "tests/sim/sim_fixture.h"

using kwsimtest::ExpectLines;
using kwsimtest::HasLine;
using kwsimtest::RunOk;

namespace {

std::string Caret(int line, int column) {
  return "    caret      line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Lines far wider and a text far longer than the editor shows: each click lands where
// it was aimed, the end of the text included, and past the ends it stops at them.
TEST(WindowPage, ClicksLandAnywhereInAScrolledEditor) {
  std::string wide;
  for (int i = 0; i < 12; ++i) wide += "0123456789";
  std::string script = "options show\noptions type script \"x\\n" + wide + "\\n" + wide;
  for (int i = 0; i < 30; ++i) script += "\\nmov $a" + std::to_string(i) + ", 1";
  script += "\\n" + wide + "\"\n";
  struct Click {
    const char* at;  // line and column asked for
    int line, column;  // where the caret ends up
  };
  const Click clicks[] = {
      {"2 100", 2, 100}, {"1 1", 1, 1}, {"3 120", 3, 120}, {"3 999", 3, 121},
      {"30 5", 30, 5},   {"34 117", 34, 117}, {"34 999", 34, 121}, {"2 3", 2, 3},
      {"999 1", 34, 1},  {"33 99", 33, 12},
  };
  for (const Click& c : clicks) script += std::string("options caret script ") + c.at + "\n";
  script += "options help\n";
  // An empty last line, which has no character to click on.
  script += "options caret script 999 999\noptions type script \"\\n\"\n"
            "options caret script 1 1\noptions caret script 99 9\n";
  const std::string out = RunOk(script);
  std::size_t from = out.find("> options caret");
  for (const Click& c : clicks) {
    SCOPED_TRACE(c.at);
    const std::size_t at = out.find(Caret(c.line, c.column), from);
    ASSERT_NE(at, std::string::npos) << out;
    from = at + 1;
  }
  EXPECT_NE(out.find(Caret(35, 1), from), std::string::npos) << out;
  EXPECT_TRUE(HasLine(out, "    syntax     MOV $res, $zm/const"));  // clicks tell the form
}

// Every character is one key press: Polish letters (no key of their own on the test
// keyboard) come as typed, each way of writing a line break is one Enter, a tab one Tab.
TEST(WindowPage, TypedTextComesOutAsWritten) {
  const std::string out = RunOk(
      "options show\n"
      "options type spam \"zażółć\\tgęślą\\r\\njaźń\\rŁódź\\nĄĘ!\"\n"
      "options text spam\n"
      "options caret spam 2 1\n"
      "options key spam tab\n"
      "options key spam enter\n"
      "options text spam\n"
      "options type script \"GOTO x\"\n"
      "options help\n");
  ExpectLines(out, {
      "    | zażółć\tgęślą",
      "    | jaźń",
      "    | Łódź",
      "    | ĄĘ!",
      Caret(4, 4),
      "    | \t",
      "    | jaźń",
      Caret(3, 1),
      "    syntax     GOTO nazwa_etykiety",
  });
}

// Entries at the top and inside submenus, by caption or ignoring case, opened from
// either tab; a caption the menu lacks closes it unchosen and the page goes on working.
TEST(WindowPage, MenuEntriesAreChosenInTheOpenMenu) {
  const std::string out = RunOk(
      "options show\n"
      "options menu GOTO\n"
      "options type script \" \"\n"
      "options menu #true\n"
      "options type spam x\n"
      "options menu <>\n"
      "options menu Nie ma takiej pozycji\n"
      "options type script \"!\"\n"
      "options text script\n"
      "options text spam\n");
  ExpectLines(out, {
      "    | goto #TRUE<>!",
      "    | x",
      "               (no such entry in the menu)",
      Caret(1, 14),
  });
}

}  // namespace
