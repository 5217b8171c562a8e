// Large inputs through the real module: a 10 MB message, a 100,000-line script, 100,000
// variables (through the service; 2,000 through the settings file), a spam list of
// 100,000 rules. Each must complete with the right answer and leave the plugin usable.
// No times are asserted; the sizes are chosen so that each test takes seconds.
#include "tests/integration/module_fixture.h"

#include <algorithm>
#include <string>

namespace kwit {
namespace {

class Sizes : public ModuleTest {};

TEST_F(Sizes, TenMegabyteMessage) {
  WriteData("Kwartlin.spm", "needle haystack\r\n");
  WriteScript({":_start", "STRLEN $n, $_MESSAGE", "STRPOS $p, 'needle', $_MESSAGE", "CHKSPAM $s, $_MESSAGE",
               "STRCON $_MESSAGE, '|', $n, '|', $p, '|', $s", "IF $n > 10000000", "MOV $_FILTR, 1"});
  Load();
  const std::size_t size = 10u << 20;
  std::string text(size, 'a');
  text.replace(size - 20, 6, "needle");
  text.replace(10, 8, "haystack");

  const kwtest::Delivery d = host_.Deliver("TLEN", "ala@tlen.pl", text);

  EXPECT_EQ(d.Result, -1);
  ASSERT_EQ(d.Text.size(), size + std::string("|10485760|10485741|1").size());
  EXPECT_EQ(d.Text.compare(0, size, text), 0);
  EXPECT_EQ(d.Text.substr(size), "|10485760|10485741|1");
  EXPECT_EQ(host_.Deliver("TLEN", "ala@tlen.pl", "short").Text, "short|5|0|0");
}

TEST_F(Sizes, HundredThousandLineScript) {
  constexpr int kLines = 100'000;
  std::string script = ":_start\r\nGOTO last\r\n";
  for (int i = 2; i < kLines - 3; ++i) script += "ADD $skipped, 1 // never reached\r\n";
  script += ":last\r\nADD $runs, 1\r\nMOV $_MESSAGE, $runs\r\n";
  WriteData("Kwartlin.dat", script);
  Load();
  EXPECT_EQ(host_.Deliver("GG", "1", "x").Text, "1");
  EXPECT_EQ(host_.Deliver("GG", "1", "x").Text, "2");
}

// Through the service: 100,000 distinct variables, then one of them read by the script.
TEST_F(Sizes, HundredThousandVariablesThroughTheService) {
  WriteScript({":_start", "STRCON $_MESSAGE, $v0, ':', $v99999, ':', $v50000"});
  Load();
  for (int i = 0; i < 100'000; ++i) {
    const std::string text = "mov $v" + std::to_string(i) + ", " + std::to_string(i);
    host_.CallPluginService("KWARTLIN/PROC_BRIX", kw::ToParam(text.c_str()), 0);
  }
  EXPECT_EQ(host_.Deliver("GG", "1", "").Text, "0:99999:50000");
}

// Through the settings file: a file of 2,000 saved variables loads, is visible to the
// script, and is written back whole at unload. (Through the Windows profile functions
// each key is found by a scan of its section, so the cost grows with the square of the
// count: 10,000 took some 90 seconds under Wine, too long for every run. The portable
// file has an index; its own tests save 50,000.)
TEST_F(Sizes, ThousandsOfSavedVariables) {
  constexpr int kCount = 2'000;
  std::string ini = "[Var_Save]\r\n";
  for (int i = 0; i < kCount; ++i) ini += "$S" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  WriteData("Kwartlin.ini", ini);
  WriteScript({":_start", "STRCON $_MESSAGE, $s0, ':', $s1999", "MOV $s5, changed"});
  Load();
  EXPECT_EQ(host_.Deliver("GG", "1", "").Text, "0:1999");
  Unload();
  const std::string saved = ReadData("Kwartlin.ini");
  EXPECT_NE(saved.find("$S1999=1999\r\n"), std::string::npos);
  EXPECT_NE(saved.find("$S5=changed\r\n"), std::string::npos);
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '='), kCount + 4);  // + the rectangle
}

TEST_F(Sizes, HundredThousandRuleSpamList) {
  std::string rules;
  for (int i = 0; i < 100'000; ++i) rules += "slowo" + std::to_string(i) + "|inne" + std::to_string(i) + " tanio\r\n";
  WriteData("Kwartlin.spm", rules);
  WriteScript({":_start", "CHKSPAM $_MESSAGE, $_MESSAGE"});
  Load();
  EXPECT_EQ(host_.Deliver("GG", "1", "INNE99999 bardzo TANIO").Text, "1");
  EXPECT_EQ(host_.Deliver("GG", "1", "inne99999 drogo").Text, "0");
  EXPECT_EQ(host_.Deliver("GG", "1", "slowo0 tanio").Text, "1");
}

}  // namespace
}  // namespace kwit
