// A clumsy or hostile host, against the real module loaded by path: null pointers in
// every text and record it hands over, event and action codes the plugin does not know,
// exports called out of order, a link without functions. Nothing may crash, and the
// plugin must stay usable afterwards.
#include <algorithm>
#include "tests/integration/module_fixture.h"

#include <climits>
#include <string>

namespace kwit {
namespace {

class HostileHost : public ModuleTest {
 protected:
  kw::MessageHookFn Hook(const std::string& protocol) { return host_.Hooks.at(protocol).Hook; }
  kw::MenuCallbackFn Menu() { return host_.MenuCallbacks.at(0).Callback; }
  kw::ServiceCallbackFn Service() { return host_.Services.at(0).Callback; }
  kw::OptionsPageCallbackFn Page() { return host_.OptionsPages.at(0).Callback; }

  // The script used throughout: it echoes what it was given, so a run is visible in
  // the text handed back.
  void LoadEcho() {
    WriteScript({":_init", "MenuAdd 'm', 'Menu'", "EXIT", ":_start",
                 "STRCON $_MESSAGE, '[', $_ID, '|', $_PROTO, '|', $_IN, ']'", "CONINFO $_ID, $n, $g, $o, $f",
                 "READSTS $_PROTO, $s, $d", "STRCON $_MESSAGE, $n, $g, $o, $f, $s, $d", "EXIT", ":_menu_show",
                 "STRCON $shown, $_ID, ';'", "EXIT", ":_menu_click", "STRCON $clicked, $_MENU_ITEM, $_ID"});
    Load();
  }

  // The plugin still answers a plain message the plain way.
  void ExpectUsable() {
    const kwtest::Delivery d = host_.Deliver("TLEN", "ala@tlen.pl", "ok");
    EXPECT_TRUE(d.Hooked);
    EXPECT_EQ(d.Text.substr(0, 22), "ok[ala@tlen.pl|TLEN|1]");
  }
};

TEST_F(HostileHost, NullMessageRecordsAndTexts) {
  LoadEcho();
  const kw::MessageHookFn hook = Hook("TLEN");
  auto event = kw::ZeroRecord<kw::ProtocolEventDef>();
  event.Code = 1;
  EXPECT_EQ(hook(nullptr, nullptr), 0);
  EXPECT_EQ(hook(&event, nullptr), 0);
  auto message = kw::ZeroRecord<kw::ProtocolMesageDef>();  // every text null
  EXPECT_EQ(hook(&event, &message), 0);
  ASSERT_NE(message.Text, nullptr);
  EXPECT_EQ(std::string(message.Text).substr(0, 5), "[||1]");
  EXPECT_EQ(hook(nullptr, &message), 0);  // no event record: no code, nothing runs
  ExpectUsable();
}

TEST_F(HostileHost, NullMenuRecords) {
  LoadEcho();
  const kw::MenuCallbackFn menu = Menu();
  EXPECT_EQ(menu(1, nullptr), 1);  // the script's entry is visible: shown, with no area
  EXPECT_EQ(menu(2, nullptr), 0);
  auto popup = kw::ZeroRecord<kw::MenuPopupDef>();  // no element
  EXPECT_EQ(menu(1, &popup), 1);
  auto element = kw::ZeroRecord<kw::PopupElementDef>();  // element without an id
  popup.Element = &element;
  EXPECT_EQ(menu(1, &popup), 1);

  auto click = kw::ZeroRecord<kw::MenuClickDef>();  // no item, no popup
  EXPECT_EQ(menu(2, &click), 0);
  auto item = kw::ZeroRecord<kw::MenuItemDef>();  // item without an id
  click.Item = &item;
  EXPECT_EQ(menu(2, &click), 0);
  item.ItemId = "KWARTLIN_MENU_ITEM_0";  // a real entry, clicked in no popup
  EXPECT_EQ(menu(2, &click), 0);
  auto emptyPopup = kw::ZeroRecord<kw::MenuPopupDef>();
  click.Popup = &emptyPopup;
  EXPECT_EQ(menu(2, &click), 0);
  ExpectUsable();
}

TEST_F(HostileHost, NullServiceAndPageRecords) {
  LoadEcho();
  EXPECT_EQ(Service()(0, 0), 0);
  EXPECT_EQ(Service()(kw::ToParam("mov"), 0), 0);
  EXPECT_EQ(Service()(kw::ToParam(" \t mov  "), 0), 0);
  EXPECT_EQ(Service()(kw::ToParam("mov ,"), 0), 0);
  EXPECT_EQ(Page()(nullptr), 0);
  ExpectUsable();
}

// Contacts whose texts are null, and a status whose description comes back null.
TEST_F(HostileHost, NullTextsFromHostServices) {
  host_.Contacts.push_back({"ala@tlen.pl", std::nullopt, std::nullopt, std::nullopt, std::nullopt, 5, 1, 3});
  host_.Contacts.push_back({std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, 1, 1, 3});
  host_.Statuses["TLEN"] = {4, "busy"};
  host_.OnService = [](const kwtest::HostCall& call) {
    if (call.Service != "Tlen/ProtocolCallFunction") return;
    auto* record = kw::FromParam<kw::ProtocolCallDef>(call.WParam);
    if (kwtest::Text(record->FunctionName) == "PFGetUserState")
      kw::FromParam<kw::UserStateDef>(record->Param1)->Description = nullptr;
  };
  LoadEcho();
  EXPECT_EQ(host_.Deliver("TLEN", "ala@tlen.pl", "x").Text, "x[ala@tlen.pl|TLEN|1]54");
}

TEST_F(HostileHost, UnknownCodesRunNothing) {
  LoadEcho();
  for (std::int32_t code : {0, 2, 3, 4, 6, -1, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(code);
    const std::string text = "untouched";
    const kwtest::Delivery d = kwtest::TestHost::DeliverTo(Hook("GG"), "GG", "1", text, code);
    EXPECT_EQ(d.Result, 0);
    EXPECT_EQ(d.Text, "untouched");
    auto popup = kw::ZeroRecord<kw::MenuPopupDef>();
    EXPECT_EQ(Menu()(code == 2 ? 7 : code, &popup), 0);
    EXPECT_EQ(Menu()(code == 2 ? 7 : code, nullptr), 0);
    auto page = kw::ZeroRecord<kw::OptionsPageEventDef>();
    page.Action = code == 2 || code == 3 || code == 4 ? 99 : code;
    EXPECT_EQ(Page()(&page), 0);
  }
  EXPECT_TRUE(host_.Shown.empty());
  ExpectUsable();
}

TEST_F(HostileHost, ExportsOutOfOrder) {
  ASSERT_TRUE(module_.Open(ModulePath())) << kwtest::LastModuleError();
  // Information before anything else, twice: the same record, filled.
  kw::PluginInfoDef* info = module_.GetPluginInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Size, static_cast<std::int32_t>(sizeof(kw::PluginInfoDef)));
  EXPECT_EQ(kwtest::Text(info->Name), "Kwartlin");
  EXPECT_EQ(module_.GetPluginInfo(), info);
  // Unload before any load: nothing happens, no settings are written over the user's.
  WriteData("Kwartlin.ini", "[Var_Save]\r\n$KEEP=1\r\n");
  EXPECT_EQ(module_.UnloadPlugin(), 0);
  EXPECT_EQ(module_.UnloadPlugin(), 0);
  EXPECT_EQ(ReadData("Kwartlin.ini"), "[Var_Save]\r\n$KEEP=1\r\n");
  EXPECT_TRUE(host_.Calls.empty());

  // A second load while loaded: everything of the first is withdrawn before it is
  // registered again, so the host never holds two of anything.
  WriteScript({":_init", "ADD $loads, 1", "SAVE $loads, 1", "MenuAdd 'm', 'M'"});
  Load();
  Load();
  EXPECT_EQ(host_.Unhooked.size(), 2u);
  EXPECT_EQ(host_.DestroyedServices.size(), 1u);
  EXPECT_EQ(host_.Hooks.size(), 2u);
  EXPECT_EQ(host_.Services.size(), 1u);
  EXPECT_EQ(host_.MenuCallbacks.size(), 1u);
  EXPECT_EQ(host_.CountCalls("Tlen/DeleteMenuItem"), 1u);
  Unload();
  EXPECT_TRUE(host_.Hooks.empty());
  // The second load read what the implied unload had saved: 1, then 2.
  const std::string ini = ReadData("Kwartlin.ini");
  EXPECT_NE(ini.find("$LOADS=2"), std::string::npos) << ini;
  EXPECT_NE(ini.find("$KEEP=1"), std::string::npos) << ini;
}

// A link whose three functions are null: the plugin makes no host call and still runs.
TEST_F(HostileHost, LinkWithoutFunctions) {
  WriteScript({":_init", "SEND 'ala@tlen.pl', 'x'", "READSTS GG, $s, $d", "CONINFO 1, $n, $g, $o, $f",
               "MenuAdd 'm', 'M'", "SETSTS GG, 2, 'x'", "MOV $r, 'ran'", "SAVE $r, 1"});
  kw::TPluginLink empty{};
  Load(&empty);
  Unload();
  EXPECT_NE(ReadData("Kwartlin.ini").find("$R=ran"), std::string::npos);
}

// A host that answers a service called during loading by loading the plugin again, or
// by unloading it, must not make the plugin recurse: the nested call does nothing and
// the outer load completes.
TEST_F(HostileHost, LifecycleCallsFromInsideLoadingAreIgnored) {
  WriteScript({":_init", "ADD $loads, 1", "MenuAdd 'm', 'M'"});
  for (const char* service : {"Tlen/GetProcAddress", "Tlen/AddMenuItem"}) {
    SCOPED_TRACE(service);
    int nested = 0;
    host_.OnService = [&](const kwtest::HostCall& call) {
      if (call.Service != service || nested >= 3) return;
      ++nested;
      module_.LoadPlugin(host_.Link());
      module_.UnloadPlugin();
    };
    auto pages = [&] {
      return std::count_if(host_.Calls.begin(), host_.Calls.end(),
                           [](const kwtest::HostCall& c) { return c.Service == "Tlen/AddOptionsPage"; });
    };
    const auto before = pages();
    Load();
    host_.OnService = nullptr;
    EXPECT_GE(nested, 1);
    EXPECT_EQ(pages() - before, 1);  // one load, not one per nested call
    EXPECT_EQ(module_.UnloadPlugin(), 0);
  }
}

}  // namespace
}  // namespace kwit
