// Runs that read, write or grow too much, through the loaded module: each ends at a
// bound, the plugin answers the next message as usual and keeps no value beyond the
// value bound; and a 10 MB message still goes through the benchmarks' 150-line filter
// script, which the bounds must never cut. No times are asserted.
#include "tests/integration/module_fixture.h"

#include "script/interpreter.h"
#include "support/cp1250.h"

// The benchmarks' workloads (the filter script, the chat text), built into this test.
#include "bench/workloads.cpp"

using namespace kw;

namespace kwit {
namespace {

class RunBounds : public ModuleTest {};

// The sender picks the loop; any other sender asks what the loops left behind.
TEST_F(RunBounds, LoopsEndAndTheNextMessageIsAnswered) {
  WriteScript({":_start", "IF $_ID = 'copy'", "GOTO copy", "IF $_ID = 'grow'", "GOTO grow",
               "IF $_ID = 'double'", "GOTO double", "STRLEN $k, $x", "STRLEN $n, $s",
               "STRCON $_MESSAGE, ':', $c, ':', $k, ':', $g, ':', $n", "EXIT",
               ":copy", "ADD $c, 1", "MOV $x, $_MESSAGE", "GOTO copy",
               ":grow", "ADD $g, 1", "STRCON $s, x", "STRLEN $n, $s", "GOTO grow",
               ":double", "MOV $s, 'xxxxxxxxxxxxxxxx'", ":doubling", "STRCON $s, $s", "GOTO doubling"});
  Load();
  const std::string message(60'000, 'm');
  const auto ask = [&] {
    const kwtest::Delivery d = host_.Deliver("GG", "1", "?");
    EXPECT_EQ(d.Result, 0);
    return d.Text;
  };

  const kwtest::Delivery copied = host_.Deliver("TLEN", "copy", message);
  EXPECT_EQ(copied.Result, 0);
  EXPECT_TRUE(copied.Text == message);
  const std::string afterCopy = ask();
  EXPECT_EQ(afterCopy.substr(afterCopy.find(':', 2)), ":60000::0") << afterCopy;
  EXPECT_GT(std::stol(afterCopy.substr(2)), 1000) << afterCopy;  // copies made before the bound

  EXPECT_EQ(host_.Deliver("TLEN", "grow", "go").Text, "go");
  const std::string afterGrow = ask();
  const std::size_t at = afterGrow.rfind(':', afterGrow.rfind(':') - 1);
  const long rounds = std::stol(afterGrow.substr(at + 1));
  const long length = std::stol(afterGrow.substr(afterGrow.rfind(':') + 1));
  EXPECT_GT(rounds, 1000) << afterGrow;
  EXPECT_TRUE(length == rounds || length == rounds - 1) << afterGrow;

  EXPECT_EQ(host_.Deliver("TLEN", "double", "go").Text, "go");
  const std::string afterDouble = ask();
  EXPECT_EQ(afterDouble.substr(afterDouble.rfind(':') + 1), std::to_string(kMaxValueBytes)) << afterDouble;
}

TEST_F(RunBounds, TenMegabyteMessageThroughTheFilterScript) {
  std::string script;
  for (const std::string& line : kwbench::FilterScript()) script += line + "\r\n";
  WriteData("Kwartlin.dat", script);
  Load();
  // Busy: every received message is answered by the run's last CALL, so an answer shows
  // that the run went through every section.
  const std::string busy = "mov $zajeta, 1";
  host_.CallPluginService("KWARTLIN/PROC_BRIX", ToParam(busy.c_str()), 0);

  std::string text;
  while (text.size() < 10'000'000) text += kwbench::MessageText(64'000);
  text.resize(10'000'000);
  const std::size_t swear = text.size() - 100;
  text.replace(swear, 7, "cholera");
  std::string censored = text;
  censored.replace(swear, 7, "***");

  const kwtest::Delivery received = host_.Deliver("TLEN", "ala@tlen.pl", text);
  EXPECT_EQ(received.Result, 0);
  EXPECT_TRUE(received.Text == censored);  // not EXPECT_EQ: no 10 MB in a failure message
  ASSERT_EQ(host_.Sent.size(), 1u);
  EXPECT_EQ(host_.Sent[0].Text, "Jestem zajęta, odpiszę później."_w);

  const kwtest::Delivery sent = host_.Deliver("TLEN", "ala@tlen.pl", text, 5);
  EXPECT_EQ(sent.Result, 0);
  EXPECT_TRUE(sent.Text == text + " -- Kasia");
}

}  // namespace
}  // namespace kwit
