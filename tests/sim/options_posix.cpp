// The options page through the module's callback. Only where the page's view is the
// in-memory one (the Windows module opens a real window).
#include <gtest/gtest.h>

#include "tests/sim/sim_fixture.h"

using kwsimtest::HasLine;

namespace {

// show loads the files into the page's editors, save writes them back, reloads the
// script and runs _init again.
TEST(Options, ShowSaveHideDestroy) {
  const kwsimtest::RunResult r = kwsimtest::RunSim(
      "file script <<END\n"
      ":_init\n"
      "MenuAdd 'x', 'Iks'\n"
      "END\n"
      "options show\n"
      "options save\n"
      "options hide\n"
      "options destroy\n"
      "options type script MOV $a, 1\n");
  ASSERT_EQ(r.Code, kwsim::kExitOk) << r.Err;
  EXPECT_TRUE(HasLine(r.Out, "> options save")) << r.Out;
  EXPECT_TRUE(HasLine(r.Out, "    page       Kwartlin: Konfiguracja pluginu Kwartlin."));
  EXPECT_TRUE(HasLine(r.Out, "    menu add   \"Iks\" (KWARTLIN_MENU_ITEM_0)"));
  EXPECT_TRUE(HasLine(r.Out, "               (typing into the page's editors is not available yet: they "
                             "live inside the module)"));
}

}  // namespace
