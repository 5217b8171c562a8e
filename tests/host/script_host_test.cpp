// Whole script runs against the test host: messages steered by _start, the host
// commands (SEND, READSTS, SETSTS, CONINFO, MenuAdd, MenuDel, MenuShow) arriving as
// records, the popup and click labels, and nested deliveries while a run waits.
#include "host_fixture.h"

#include <stdexcept>

#include "support/cp1250.h"

using namespace kw;

namespace kwtest {
namespace {

using ScriptHostTest = HostTest;

Delivery Receive(const std::string& from, const std::string& text, std::int32_t code = 1) {
  return TestHost::DeliverTo(&MessageHook, from.find('@') != std::string::npos ? "TLEN" : "GG",
                             from, text, code);
}

TEST_F(ScriptHostTest, PingIsAnsweredAndBlocked) {
  KWTEST_NEEDS_SCRIPTS();
  Script({":_start", "IF $_MESSAGE = 'ping'", "SEND $_ID, 'pong'", "MOV $_FILTR, 1"});
  // The host hands the outgoing answer to the hook before SEND returns.
  int nested = 0;
  host.OnSend = [&](const SentMessage& m) {
    ++nested;
    const Delivery d = TestHost::DeliverTo(&MessageHook, m.ProtocolId, m.ContactId, m.Text, 5, m.Mark);
    EXPECT_EQ(d.Result, 0);
  };
  const Delivery d = Receive("ala@tlen.pl", "ping");
  EXPECT_EQ(d.Result, -1);
  EXPECT_EQ(d.Text, "ping");
  ASSERT_EQ(host.Sent.size(), 1u);  // the marked answer did not run _start again
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(host.Sent[0].Call.Protocol, "TLEN");
  EXPECT_EQ(host.Sent[0].ContactId, "ala@tlen.pl");
  EXPECT_EQ(host.Sent[0].Text, "pong");
  EXPECT_EQ(host.Sent[0].Mark, 1234);
  EXPECT_EQ(host.Sent[0].Kind, 4);
}

TEST_F(ScriptHostTest, FilterValueDecidesBlocking) {
  KWTEST_NEEDS_SCRIPTS();
  const struct {
    const char* value;
    std::int32_t result;
  } cases[] = {{"1", -1}, {"-1", -1}, {"#TRUE", -1}, {"'$10'", -1}, {"0", 0},
               {"''", 0},  {"'abc'", 0}, {"'1 '", 0}, {"#FALSE", 0}};
  for (const auto& c : cases) {
    const std::string line = std::string("MOV $_FILTR, ") + c.value;
    kw::ScriptLines = {":_start", line};
    EXPECT_EQ(Receive("1", "x").Result, c.result) << c.value;
  }
}

TEST_F(ScriptHostTest, RewrittenMessageIsHandedBack) {
  KWTEST_NEEDS_SCRIPTS();
  Script({":_start", "IF $_IN = 1", "STRCON $_MESSAGE, ' [in]'", "STRUP $_MESSAGE"});
  EXPECT_EQ(Receive("1", "żółw"_w.data()).Text, "ŻÓŁW [IN]"_w);
  EXPECT_EQ(Receive("1", "out", 5).Text, "OUT");
  EXPECT_EQ(Receive("1", "x", 2).Text, "x");  // not a message event: untouched
}

TEST_F(ScriptHostTest, NestedDeliveryKeepsBothTextsValid) {
  KWTEST_NEEDS_SCRIPTS();
  Script({":_start", "IF $_MESSAGE = 'first'", "SEND 'x@y', 'out'", "STRCON $_MESSAGE, '!'"});
  const char* innerText = nullptr;
  host.OnSend = [&](const SentMessage&) {
    // A message from someone else arrives while the outer run waits in SEND.
    innerText = TestHost::DeliverTo(&MessageHook, "GG", "2", "second").TextPointer;
  };
  const Delivery outer = Receive("1", "first");
  ASSERT_NE(innerText, nullptr);
  // The runs share $_MESSAGE; each text handed back stays readable after the outer call.
  EXPECT_STREQ(innerText, "second!");
  EXPECT_STREQ(outer.TextPointer, "second!!");
  const Delivery next = Receive("1", "third");
  EXPECT_EQ(next.Text, "third!");
}

TEST_F(ScriptHostTest, HostFailureInsideARunIsContained) {
  KWTEST_NEEDS_SCRIPTS();
  Script({":_start", "SEND $_ID, 'x'", "MOV $_FILTR, 1"});
  host.OnSend = [](const SentMessage&) { throw std::runtime_error("host failure"); };
  EXPECT_EQ(Receive("1", "a").Result, 0);
  host.OnSend = nullptr;
  const Delivery d = Receive("1", "b");  // the hook is whole again
  EXPECT_EQ(d.Result, -1);
  EXPECT_EQ(d.Text, "b");
}

TEST_F(ScriptHostTest, StatusCommands) {
  KWTEST_NEEDS_SCRIPTS();
  host.Statuses["TLEN"] = {3, "zajęty"_w.data()};
  Script({":_init", "READSTS #PROTO_TLEN, $s, $d", "READSTS 'tlen', $s2, $d2",
          "SETSTS 'gg', 6, 'na spacerze'", "SETSTS #PROTO_GG, x, ''"});
  RunScript(ScriptLines, 0);
  EXPECT_EQ(Var("$S"), "3");
  EXPECT_EQ(Var("$D"), "zajęty"_w);
  EXPECT_EQ(Var("$S2"), "0");
  EXPECT_EQ(Var("$D2"), "");
  EXPECT_EQ(host.StateQueries[1].Call.Protocol, "tlen");
  ASSERT_EQ(host.StateChanges.size(), 2u);
  EXPECT_EQ(host.StateChanges[0].Call.Protocol, "GG");
  EXPECT_EQ(host.StateChanges[0].Status, 6);
  EXPECT_EQ(host.StateChanges[0].Description, "na spacerze");
  EXPECT_EQ(host.StateChanges[1].Status, 2);  // no number: fallback 2
}

TEST_F(ScriptHostTest, ContactInfoCommand) {
  KWTEST_NEEDS_SCRIPTS();
  host.Contacts.push_back({"ola@tlen.pl", "Ola", "Znajomi", "w pracy", "", 1 | 65536, 0, 3});
  Script({":_init", "CONINFO 'OLA@TLEN.PL', $n, $g, $d, $f", "CONINFO 'nobody', $n2, $g2, $d2, $f2"});
  RunScript(ScriptLines, 0);
  EXPECT_EQ(Var("$N"), "Ola");
  EXPECT_EQ(Var("$G"), "Znajomi");
  EXPECT_EQ(Var("$D"), "w pracy");
  EXPECT_EQ(Var("$F"), "65537");
  EXPECT_EQ(Var("$N2"), "");
  EXPECT_EQ(Var("$F2"), "0");
}

TEST_F(ScriptHostTest, MenuCommandsReachTheHost) {
  KWTEST_NEEDS_SCRIPTS();
  Script({":_init", "MenuAdd 'a', 'Alfa'", "MenuAdd 'b', 'Beta'", "MenuShow 'b', 0",
          "MenuDel 'nothing'", ":_menu_show", "MenuAdd 'A', $_ID", ":_menu_click",
          "MOV $clicked, $_MENU_ITEM", "MenuDel $_MENU_ITEM"});
  RunScript(ScriptLines, 0);
  ASSERT_EQ(host.MenuItems.size(), 2u);
  // The popup runs _menu_show first: it renames a (falling through to _menu_click,
  // which deletes nothing because $_MENU_ITEM is empty).
  EXPECT_EQ(TestHost::OpenPopupWith(&MenuCallback, "ola"), 1);
  EXPECT_EQ(host.ShownIds(), (std::vector<std::string>{"KWARTLIN_MAIN_MENU", "KWARTLIN_MENU_ITEM_0"}));
  EXPECT_EQ(host.FindItem("KWARTLIN_MENU_ITEM_0")->Caption, "ola");
  // A click on a runs _menu_click, which deletes it from the table and the host.
  EXPECT_EQ(TestHost::ClickItemWith(&MenuCallback, "KWARTLIN_MENU_ITEM_0", "ola"), 0);
  EXPECT_EQ(Var("$CLICKED"), "A");
  EXPECT_EQ(FindMenuEntryByName("a"), -1);
  EXPECT_EQ(host.FindItem("KWARTLIN_MENU_ITEM_0"), nullptr);
  // Only b is left, hidden: the popup shows nothing, not even the main item.
  Script({":_menu_show"});
  host.Shown.clear();
  EXPECT_EQ(TestHost::OpenPopupWith(&MenuCallback, "ola"), 0);
  EXPECT_TRUE(host.Shown.empty());
}

}  // namespace
}  // namespace kwtest
