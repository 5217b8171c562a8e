// The script's popup menu through the loaded module: entries made by _init, renewed
// and shown by _menu_show, clicks run _menu_click, and the entries leave at unload.
#include "tests/integration/module_fixture.h"

using namespace kw;

namespace kwit {
namespace {

constexpr std::int32_t kRenewCaption = 0x10000000;

class Menu : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    WriteScript({
        ":_init",
        "MenuAdd 'odpowiedz', 'Odpowiedz'",
        "MenuAdd 'drugi', 'Drugi'",
        "EXIT",
        ":_menu_show",
        "MOV $tytul, 'Dla '",
        "STRCON $tytul, $_ID",
        "MenuAdd 'ODPOWIEDZ', $tytul",
        "IF $_ID = 'nikt'",
        "GOTO ukryj",
        "MenuShow 'odpowiedz', #TRUE",
        "EXIT",
        ":ukryj",
        "MenuShow 'odpowiedz', #FALSE",
        "MenuShow 'drugi', #FALSE",
        "EXIT",
        ":_menu_click",
        "SEND $_ID, $_MENU_ITEM",
    });
    Load();
  }

  std::intptr_t HandleOf(const std::string& id) {
    const kwtest::MenuItem* item = host_.FindItem(id);
    return item ? item->Handle : 0;
  }
};

TEST_F(Menu, LoadAddsMainItemAndScriptEntries) {
  const kwtest::MenuItem* main = host_.FindItem("KWARTLIN_MAIN_MENU");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->Size, static_cast<std::int32_t>(sizeof(MenuItemDef)));  // 84 on 32-bit
  EXPECT_FALSE(main->ParentId.has_value());
  EXPECT_EQ(main->MenuName, "Tlen/CL/Element");
  EXPECT_EQ(main->Caption, "Kwartlin");
  EXPECT_EQ(main->Position, 99990);
  EXPECT_NE(main->Callback, nullptr);
  EXPECT_TRUE(main->ZeroElsewhere);
  for (const char* id : {"KWARTLIN_MENU_ITEM_0", "KWARTLIN_MENU_ITEM_1"}) {
    const kwtest::MenuItem* entry = host_.FindItem(id);
    ASSERT_NE(entry, nullptr) << id;
    EXPECT_EQ(entry->ParentId, std::optional<std::string>("KWARTLIN_MAIN_MENU"));
    EXPECT_EQ(entry->Position, 0);
    EXPECT_EQ(entry->Callback, main->Callback);
    EXPECT_EQ(entry->Instance, main->Instance);
  }
  ASSERT_EQ(host_.MenuCallbacks.size(), 1u);
  EXPECT_EQ(host_.MenuCallbacks[0].MenuName, "Tlen/CL/Element");
}

// Every showing runs _menu_show first and renews the captions of the visible entries.
TEST_F(Menu, PopupShowsVisibleEntriesWithRenewedCaptions) {
  for (const std::string contact : {"jan@tlen.pl", "ola@tlen.pl"}) {
    host_.ChangedItems.clear();
    EXPECT_EQ(host_.OpenPopup(contact), 1);
    EXPECT_EQ(host_.ShownIds(), (std::vector<std::string>{"KWARTLIN_MAIN_MENU", "KWARTLIN_MENU_ITEM_0",
                                                          "KWARTLIN_MENU_ITEM_1"}));
    ASSERT_EQ(host_.ChangedItems.size(), 2u);
    EXPECT_EQ(host_.ChangedItems[0].Handle, HandleOf("KWARTLIN_MENU_ITEM_0"));
    EXPECT_EQ(host_.ChangedItems[0].Caption, "Dla " + contact);
    EXPECT_EQ(host_.ChangedItems[0].ChangeFlags, kRenewCaption);
    EXPECT_EQ(host_.ChangedItems[0].Size, static_cast<std::int32_t>(sizeof(MenuItemDef)));
    EXPECT_TRUE(host_.ChangedItems[0].ZeroElsewhere);
    EXPECT_EQ(host_.ChangedItems[1].Caption, "Drugi");
  }
  // A rename by another letter case registered nothing new.
  EXPECT_EQ(host_.AddedItems.size(), 3u);
  EXPECT_EQ(host_.CountCalls("Tlen/GetProcAddress"), 1u);
}

TEST_F(Menu, PopupWithNothingVisibleShowsNothing) {
  EXPECT_EQ(host_.OpenPopup("nikt"), 0);
  EXPECT_TRUE(host_.Shown.empty());
  EXPECT_EQ(host_.OpenPopup("jan@tlen.pl"), 1);  // _menu_show shows the first again
  EXPECT_EQ(host_.ShownIds(), (std::vector<std::string>{"KWARTLIN_MAIN_MENU", "KWARTLIN_MENU_ITEM_0"}));
}

TEST_F(Menu, ClickRunsMenuClickForScriptEntriesOnly) {
  const struct {
    std::string itemId;
    std::string expectedEntry;  // empty: nothing runs
  } cases[] = {
      {"KWARTLIN_MENU_ITEM_1", "drugi"},
      {"kwartlin_menu_item_0", "odpowiedz"},  // item ids match ignoring case
      {"KWARTLIN_MAIN_MENU", ""},
      {"KWARTLIN_MENU_ITEM_7", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.itemId);
    host_.Sent.clear();
    EXPECT_EQ(host_.ClickItem(c.itemId, "ola@tlen.pl"), 0);
    if (c.expectedEntry.empty()) {
      EXPECT_TRUE(host_.Sent.empty());
    } else {
      ASSERT_EQ(host_.Sent.size(), 1u);
      EXPECT_EQ(host_.Sent[0].ContactId, "ola@tlen.pl");
      EXPECT_EQ(host_.Sent[0].Text, c.expectedEntry);
    }
  }
}

// Unload withdraws the callback and the script's entries; the main item stays.
TEST_F(Menu, UnloadRemovesScriptEntries) {
  const std::intptr_t first = HandleOf("KWARTLIN_MENU_ITEM_0");
  const std::intptr_t second = HandleOf("KWARTLIN_MENU_ITEM_1");
  Unload();
  EXPECT_EQ(host_.DeletedItems, (std::vector<std::intptr_t>{first, second}));
  EXPECT_TRUE(host_.MenuCallbacks.empty());
  EXPECT_NE(host_.FindItem("KWARTLIN_MAIN_MENU"), nullptr);
}

}  // namespace
}  // namespace kwit
