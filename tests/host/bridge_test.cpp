// The host's callbacks without script runs: what the message hook, the menu callback
// and the service put into the variables and hand back, and how they take null
// pointers, foreign codes, the own-message mark and a host that throws.
#include "host_fixture.h"

#include <stdexcept>

#include "support/cp1250.h"

using namespace kw;

namespace kwtest {
namespace {

using BridgeTest = HostTest;

TEST_F(BridgeTest, MessageLoadsTheProgramVariables) {
  const struct {
    std::int32_t code;
    const char* in;
  } cases[] = {{1, "1"}, {5, "0"}};
  for (const auto& c : cases) {
    const std::string text = "cześć"_w.data();
    const Delivery d = TestHost::DeliverTo(&MessageHook, "TLEN", "ala@tlen.pl", text, c.code);
    EXPECT_EQ(d.Result, 0);
    EXPECT_EQ(Var("$_ID"), "ala@tlen.pl");
    EXPECT_EQ(Var("$_PROTO"), "TLEN");
    EXPECT_EQ(Var("$_MESSAGE"), text);
    EXPECT_EQ(Var("$_FILTR"), "0");
    EXPECT_EQ(Var("$_IN"), c.in);
    EXPECT_EQ(d.Text, text);  // handed back unchanged, as the plugin's own copy
  }
}

TEST_F(BridgeTest, OnlyCodesOneAndFiveRun) {
  for (std::int32_t code : {0, 2, 3, 4, 6, -1, 1234}) {
    SetVariable("$_ID", "before", false);
    auto event = ZeroRecord<ProtocolEventDef>();
    event.Code = code;
    auto message = ZeroRecord<ProtocolMesageDef>();
    const char* text = "hello";
    message.ContactId = "bob";
    message.Text = text;
    EXPECT_EQ(MessageHook(&event, &message), 0) << code;
    EXPECT_EQ(message.Text, text) << code;
    EXPECT_EQ(Var("$_ID"), "before") << code;
  }
}

TEST_F(BridgeTest, OwnMessageMarkSkipsEverything) {
  for (std::int32_t code : {1, 5}) {
    SetVariable("$_ID", "before", false);
    auto event = ZeroRecord<ProtocolEventDef>();
    event.Code = code;
    auto message = ZeroRecord<ProtocolMesageDef>();
    const char* text = "hello";
    message.ContactId = "bob";
    message.Text = text;
    message.Mark = OwnMessageMark;
    EXPECT_EQ(MessageHook(&event, &message), 0);
    EXPECT_EQ(message.Text, text);
    EXPECT_EQ(Var("$_ID"), "before");
    EXPECT_EQ(Var("$_FILTR"), "");
  }
  // Any other mark is a message like every other.
  TestHost::DeliverTo(&MessageHook, "GG", "7", "x", 1, 1235);
  EXPECT_EQ(Var("$_ID"), "7");
}

TEST_F(BridgeTest, EscapeInAMessageComesBackAsLineBreak) {
  const Delivery d = TestHost::DeliverTo(&MessageHook, "GG", "1", "a\\nb\\Nc");
  EXPECT_EQ(d.Text, "a\n\rb\n\rc");
}

TEST_F(BridgeTest, NullPointersReadAsEmpty) {
  SetVariable("$_ID", "before", false);
  EXPECT_EQ(MessageHook(nullptr, nullptr), 0);
  auto message = ZeroRecord<ProtocolMesageDef>();
  message.ContactId = "bob";
  EXPECT_EQ(MessageHook(nullptr, &message), 0);
  EXPECT_EQ(Var("$_ID"), "before");

  auto event = ZeroRecord<ProtocolEventDef>();
  event.Code = 1;
  EXPECT_EQ(MessageHook(&event, nullptr), 0);
  EXPECT_EQ(Var("$_ID"), "");
  EXPECT_EQ(Var("$_IN"), "1");

  auto empty = ZeroRecord<ProtocolMesageDef>();  // every text null
  SetVariable("$_PROTO", "x", false);
  EXPECT_EQ(MessageHook(&event, &empty), 0);
  EXPECT_EQ(Var("$_PROTO"), "");
  EXPECT_EQ(Var("$_MESSAGE"), "");
  ASSERT_NE(empty.Text, nullptr);
  EXPECT_STREQ(empty.Text, "");
}

TEST_F(BridgeTest, HandedTextOutlivesTheCallUntilTheNextOne) {
  const Delivery first = TestHost::DeliverTo(&MessageHook, "GG", "1", std::string(300, 'a'));
  SetVariable("$_MESSAGE", "overwritten", false);  // the table changes, the text does not
  EXPECT_EQ(std::string(first.TextPointer), std::string(300, 'a'));
}

// ---- Menu callback ------------------------------------------------------------------

TEST_F(BridgeTest, PopupWithoutVisibleEntryShowsNothing) {
  EXPECT_EQ(TestHost::OpenPopupWith(&MenuCallback, "bob"), 0);
  EXPECT_EQ(Var("$_ID"), "bob");
  AddOrRenameMenuEntry("a", "A");
  SetMenuEntryVisible(0, false);
  const std::size_t calls = host.Calls.size();
  EXPECT_EQ(TestHost::OpenPopupWith(&MenuCallback, "bob"), 0);
  EXPECT_TRUE(host.Shown.empty());
  EXPECT_EQ(host.Calls.size(), calls);
}

TEST_F(BridgeTest, PopupShowsMainItemThenVisibleEntriesWithFreshCaptions) {
  AddOrRenameMenuEntry("a", "A");
  AddOrRenameMenuEntry("b", "B");
  AddOrRenameMenuEntry("c", "C");
  SetMenuEntryVisible(1, false);
  AddOrRenameMenuEntry("A", "A2");  // renamed in the table only
  host.ChangedItems.clear();
  EXPECT_EQ(TestHost::OpenPopupWith(&MenuCallback, "bob"), 1);
  EXPECT_EQ(host.ShownIds(), (std::vector<std::string>{"KWARTLIN_MAIN_MENU", "KWARTLIN_MENU_ITEM_0",
                                                       "KWARTLIN_MENU_ITEM_2"}));
  ASSERT_NE(host.Shown[0].Area, nullptr);
  for (const auto& s : host.Shown) EXPECT_EQ(s.Area, host.Shown[0].Area);
  ASSERT_EQ(host.ChangedItems.size(), 2u);
  EXPECT_EQ(host.ChangedItems[0].Handle, MenuEntries[0].HostHandle);
  EXPECT_EQ(host.ChangedItems[1].Handle, MenuEntries[2].HostHandle);
  for (const MenuItem& m : host.ChangedItems) {
    EXPECT_EQ(m.Size, static_cast<std::int32_t>(sizeof(MenuItemDef)));
    EXPECT_EQ(m.ChangeFlags, 0x10000000);
    EXPECT_EQ(m.ItemId, "");
    EXPECT_FALSE(m.ParentId.has_value());
    EXPECT_EQ(m.MenuName, "");
    EXPECT_EQ(m.Position, 0);
    EXPECT_EQ(m.Callback, nullptr);
    EXPECT_EQ(m.Instance, nullptr);
    EXPECT_TRUE(m.ZeroElsewhere);
  }
  EXPECT_EQ(host.ChangedItems[0].Caption, "A2");
  EXPECT_EQ(host.MenuItems.at(MenuEntries[0].HostHandle).Caption, "A2");
}

TEST_F(BridgeTest, PopupWithoutShowFunctionOrLink) {
  AddOrRenameMenuEntry("a", "A");
  host.ChangedItems.clear();
  ShowItemProc = nullptr;
  EXPECT_EQ(TestHost::OpenPopupWith(&MenuCallback, "bob"), 1);
  EXPECT_TRUE(host.Shown.empty());
  EXPECT_EQ(host.ChangedItems.size(), 1u);

  ShowItemProc = reinterpret_cast<void*>(TestHost::ShowItemProcAddress());
  Unlink();
  EXPECT_EQ(TestHost::OpenPopupWith(&MenuCallback, "bob"), 1);
  EXPECT_EQ(host.ShownIds().size(), 2u);
  EXPECT_EQ(host.ChangedItems.size(), 1u);
}

TEST_F(BridgeTest, UnregisteredEntryIsShownButNotChanged) {
  host.RefuseMenuItems = true;
  AddOrRenameMenuEntry("a", "A");
  EXPECT_EQ(TestHost::OpenPopupWith(&MenuCallback, "bob"), 1);
  EXPECT_EQ(host.ShownIds().size(), 2u);
  EXPECT_TRUE(host.ChangedItems.empty());
}

TEST_F(BridgeTest, PopupWithNullRecordShowsNothingButAnswers) {
  AddOrRenameMenuEntry("a", "A");
  SetVariable("$_ID", "before", false);
  EXPECT_EQ(MenuCallback(1, nullptr), 1);
  EXPECT_EQ(Var("$_ID"), "");
  EXPECT_TRUE(host.Shown.empty());
  auto popup = ZeroRecord<MenuPopupDef>();  // no element
  EXPECT_EQ(MenuCallback(1, &popup), 1);
  EXPECT_EQ(host.ShownIds().size(), 2u);
}

TEST_F(BridgeTest, ClickSetsContactAndEntryName) {
  AddOrRenameMenuEntry("Zapytaj", "Q");
  EXPECT_EQ(TestHost::ClickItemWith(&MenuCallback, "kwartlin_menu_item_0", "bob@tlen.pl"), 0);
  EXPECT_EQ(Var("$_ID"), "bob@tlen.pl");
  EXPECT_EQ(Var("$_MENU_ITEM"), "Zapytaj");
}

TEST_F(BridgeTest, ClickOnMainOrUnknownItemDoesNothing) {
  AddOrRenameMenuEntry("a", "A");
  for (const char* id : {"KWARTLIN_MAIN_MENU", "KWARTLIN_MENU_ITEM_1", ""}) {
    SetVariable("$_ID", "before", false);
    EXPECT_EQ(TestHost::ClickItemWith(&MenuCallback, id, "bob"), 0) << id;
    EXPECT_EQ(Var("$_ID"), "before") << id;
    EXPECT_EQ(Var("$_MENU_ITEM"), "") << id;
  }
}

TEST_F(BridgeTest, ClickWithNullPointers) {
  AddOrRenameMenuEntry("a", "A");
  auto item = ZeroRecord<MenuItemDef>();
  auto click = ZeroRecord<MenuClickDef>();
  EXPECT_EQ(MenuCallback(2, nullptr), 0);
  EXPECT_EQ(MenuCallback(2, &click), 0);  // no item
  click.Item = &item;
  EXPECT_EQ(MenuCallback(2, &click), 0);  // item without id
  EXPECT_EQ(Var("$_MENU_ITEM"), "");
  item.ItemId = "KWARTLIN_MENU_ITEM_0";
  SetVariable("$_ID", "before", false);
  EXPECT_EQ(MenuCallback(2, &click), 0);  // no popup: the contact reads as empty
  EXPECT_EQ(Var("$_MENU_ITEM"), "a");
  EXPECT_EQ(Var("$_ID"), "");
  auto popup = ZeroRecord<MenuPopupDef>();
  click.Popup = &popup;  // popup without element
  EXPECT_EQ(MenuCallback(2, &click), 0);
}

TEST_F(BridgeTest, OtherMenuCodesDoNothing) {
  AddOrRenameMenuEntry("a", "A");
  for (std::int32_t code : {0, 3, -1, 1000}) {
    EXPECT_EQ(MenuCallback(code, nullptr), 0);
    EXPECT_TRUE(host.Shown.empty());
    EXPECT_EQ(Var("$_ID"), "");
  }
}

TEST_F(BridgeTest, HostThatThrowsDoesNotReachBack) {
  AddOrRenameMenuEntry("a", "A");
  host.OnShow = [](const ShownItem&) { throw std::runtime_error("host failure"); };
  EXPECT_EQ(TestHost::OpenPopupWith(&MenuCallback, "bob"), 0);
}

// ---- Service ------------------------------------------------------------------------

TEST_F(BridgeTest, ServiceSetsOneVariable) {
  const struct {
    const char* text;
    const char* variable;
    const char* value;  // null: must stay unset
  } cases[] = {
      {"mov $a, 5", "$A", "5"},
      {"MOV $a, 6", "$A", "6"},
      {"Mov $b, 'x y'", "$B", "x y"},
      {"  \tmov   $c , 7 \r\n", "$C", "7"},
      {"mov d, 8", "$D", "8"},
      {"mov $e, #TRUE", "$E", "1"},
      {"mov $f", "$F", nullptr},
      {"ADD $g, 5", "$G", nullptr},
      {"mov$h,5", "$H", nullptr},
      {" mov\t$i,5 ", "$I", nullptr},
      {"mov\t$j, 5", "$J", nullptr},
      {"movx $k, 5", "$K", nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ServiceCallback(ToParam(c.text), 12345), 0) << c.text;
    EXPECT_EQ(Var(c.variable), c.value ? c.value : "") << c.text;
  }
  EXPECT_EQ(ServiceCallback(0, 0), 0);
  SetVariable("$src", "from src", false);
  ServiceCallback(ToParam("mov $copy, $src"), 0);
  EXPECT_EQ(Var("$COPY"), "from src");
}

}  // namespace
}  // namespace kwtest
