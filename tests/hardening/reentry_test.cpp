// A host that calls the plugin back from inside the services the plugin calls: messages
// delivered, the options page saved, the plugin's service called, the plugin unloaded or
// loaded again, all while a SEND is under way. The real module is loaded by path. The
// waiting run goes on with its next line in whatever script is current when the call
// returns, and a host that re-enters on every SEND cannot nest runs without end.
#include "tests/integration/module_fixture.h"

#include <string>
#include <vector>

#include "script/interpreter.h"

namespace kwit {
namespace {

class Reentry : public ModuleTest {
 protected:
  std::int32_t Page(std::int32_t action) {
    auto event = kw::ZeroRecord<kw::OptionsPageEventDef>();
    event.Action = action;
    event.Width = 500;
    event.Height = 400;
    return host_.CallOptionsPage(event);
  }
};

// An unmarked incoming message while SEND waits runs _start nested; both runs finish,
// and the text handed back for the inner message outlives the outer hook call.
TEST_F(Reentry, IncomingMessageDuringSend) {
  WriteScript({":_start", "IF $_MESSAGE = 'outer'", "GOTO outer", "STRCON $log, 'i'", "EXIT", ":outer",
               "SEND 'ola@tlen.pl', 'x'", "STRCON $log, 'o'", "MOV $_MESSAGE, $log", "MOV $_FILTR, 1"});
  Load();
  std::vector<kwtest::Delivery> inner;
  host_.OnSend = [&](const kwtest::SentMessage&) { inner.push_back(host_.Deliver("TLEN", "ola@tlen.pl", "inner")); };

  const kwtest::Delivery outer = host_.Deliver("TLEN", "ala@tlen.pl", "outer");

  ASSERT_EQ(inner.size(), 1u);
  EXPECT_EQ(inner[0].Result, 0);
  EXPECT_EQ(std::string(inner[0].TextPointer), "inner");  // still alive after the outer call
  EXPECT_EQ(outer.Result, -1);
  EXPECT_EQ(outer.Text, "io");
}

// Every SEND makes the host deliver a fresh, unmarked message: runs nest until the bound,
// where the next run ends before its first line; each level then finishes its own run.
TEST_F(Reentry, HostThatReentersOnEverySendIsBounded) {
  WriteScript({":_start", "SEND $_ID, $_MESSAGE", "STRCON $depth, 'x'", "MOV $_MESSAGE, $depth"});
  Load();
  host_.OnSend = [&](const kwtest::SentMessage& m) { host_.Deliver("GG", m.ContactId, m.Text); };

  const kwtest::Delivery d = host_.Deliver("GG", "4321", "x");

  EXPECT_EQ(host_.Sent.size(), static_cast<std::size_t>(kw::kMaxNestedRuns));
  EXPECT_EQ(d.Text, std::string(kw::kMaxNestedRuns, 'x'));
  // Still usable: the next message runs normally.
  host_.OnSend = nullptr;
  EXPECT_EQ(host_.Deliver("GG", "4321", "y").Text, std::string(kw::kMaxNestedRuns + 1, 'x'));
  EXPECT_EQ(host_.Sent.size(), static_cast<std::size_t>(kw::kMaxNestedRuns) + 1);
}

// The plugin's service called from inside PFSendMessage sets its variable at once.
TEST_F(Reentry, ServiceCalledFromInsideAProtocolFunction) {
  WriteScript({":_start", "SEND $_ID, 'x'", "ADD $from_host, 1", "MOV $_MESSAGE, $from_host"});
  Load();
  host_.OnSend = [&](const kwtest::SentMessage&) {
    host_.CallPluginService("KWARTLIN/PROC_BRIX", kw::ToParam("MoV $from_host, 41"), 0);
  };
  EXPECT_EQ(host_.Deliver("TLEN", "ala@tlen.pl", "hej").Text, "42");
}

// The options dialog saves while the script waits in SEND: the editor's script is written,
// reloaded and run from _init, and the waiting run goes on with its next line index in
// the new script (line 2 of the new script, after SEND's line 1 in the old one).
TEST_F(Reentry, OptionsSaveDuringARun) {
  WriteScript({":_start", "SEND 'ala@tlen.pl', 'x'", "MOV $after, 'A2'", "MOV $_MESSAGE, $after"});
  Load();
  WriteScript({":_init", "MOV $init, 'B'", "STRCON $after, 'B2'", "STRCON $_MESSAGE, $init, ':', $after", "EXIT"});
  Page(1);  // the form reads the editors' files now
  host_.OnSend = [&](const kwtest::SentMessage&) { Page(3); };

  const kwtest::Delivery d = host_.Deliver("TLEN", "jan@tlen.pl", "hej");

  EXPECT_EQ(d.Text, "B:B2B:B2B2");
  EXPECT_EQ(d.Result, 0);
  host_.OnSend = nullptr;
  Page(5);
}

// The host unloads the plugin from inside SEND, or loads it again: the waiting run ends
// or goes on in the reloaded script, and the plugin can be used (or loaded) afterwards.
TEST_F(Reentry, UnloadOrLoadFromInsideSend) {
  WriteScript({":_init", "MOV $loads, $loads", "STRCON $loads, 'L'", "EXIT", ":_start", "SEND $_ID, 'x'",
               "STRCON $_MESSAGE, '+', $loads"});
  Load();
  host_.OnSend = [&](const kwtest::SentMessage&) { module_.UnloadPlugin(); };
  const kwtest::Delivery unloaded = host_.Deliver("GG", "1", "a");
  EXPECT_EQ(unloaded.Result, 0);
  EXPECT_TRUE(host_.Hooks.empty());
  loaded_ = false;

  host_.OnSend = nullptr;
  Load();
  bool again = false;  // load once only: the reloaded _start sends too
  host_.OnSend = [&](const kwtest::SentMessage&) {
    if (again) return;
    again = true;
    module_.LoadPlugin(host_.Link());
  };
  const kwtest::Delivery reloaded = host_.Deliver("GG", "1", "a");
  EXPECT_EQ(reloaded.Result, 0);
  EXPECT_EQ(host_.Hooks.size(), 2u);
  EXPECT_EQ(host_.Services.size(), 1u);
  EXPECT_EQ(reloaded.Text, "+L");  // variables were emptied by the load, $_MESSAGE too
  EXPECT_EQ(host_.Deliver("GG", "1", "b").Text, "b+L");
}

// A host that opens the popup again from inside ShowItemProc, or from inside the caption
// change, every time: the nesting stops at the bound instead of overflowing the stack.
// (The bound limits depth only: a host that re-enters on every one of several calls
// per level multiplies the work, and that is the host's loop.)
TEST_F(Reentry, PopupOpenedFromInsideAPopup) {
  WriteScript({":_init", "MenuAdd 'm', 'Menu'", "EXIT", ":_menu_show", "STRCON $shows, 's'"});
  Load();
  int opened = 0;
  host_.OnShow = [&](const kwtest::ShownItem& item) {
    if (item.ItemId != "KWARTLIN_MAIN_MENU") return;
    ++opened;
    host_.OpenPopup("ala@tlen.pl");
  };
  host_.OpenPopup("ala@tlen.pl");
  EXPECT_EQ(opened, kw::kMaxNestedRuns);
  host_.OnShow = nullptr;

  int renewed = 0;
  host_.OnService = [&](const kwtest::HostCall& call) {
    if (call.Service != "Tlen/ChangeMenuItem") return;
    ++renewed;
    host_.OpenPopup("ala@tlen.pl");
  };
  host_.OpenPopup("ala@tlen.pl");
  EXPECT_EQ(renewed, kw::kMaxNestedRuns);
  host_.OnService = nullptr;
  EXPECT_EQ(host_.OpenPopup("ala@tlen.pl"), 1);
  EXPECT_EQ(host_.ShownIds(), (std::vector<std::string>{"KWARTLIN_MAIN_MENU", "KWARTLIN_MENU_ITEM_0"}));
}

}  // namespace
}  // namespace kwit
