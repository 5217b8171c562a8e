// The script's menu entries and their items in the host: ids, registration, renaming,
// deletion, and a table that changes under a host call.
#include "host_fixture.h"

#include "support/cp1250.h"

using namespace kw;

namespace kwtest {
namespace {

using MenuTest = HostTest;

const TElementMenu& Entry(int i) { return MenuEntries.at(static_cast<std::size_t>(i)); }

TEST_F(MenuTest, NewEntriesTakeTheLowestFreeNumber) {
  AddOrRenameMenuEntry("a", "A");
  AddOrRenameMenuEntry("b", "B");
  EXPECT_EQ(Entry(0).HostItemId, "KWARTLIN_MENU_ITEM_0");
  EXPECT_EQ(Entry(1).HostItemId, "KWARTLIN_MENU_ITEM_1");
  EXPECT_TRUE(Entry(0).Visible);
  DeleteMenuEntry(FindMenuEntryByName("a"));
  AddOrRenameMenuEntry("c", "C");
  EXPECT_EQ(Entry(1).EntryName, "c");
  EXPECT_EQ(Entry(1).HostItemId, "KWARTLIN_MENU_ITEM_0");
  AddOrRenameMenuEntry("d", "D");
  EXPECT_EQ(Entry(2).HostItemId, "KWARTLIN_MENU_ITEM_2");
}

TEST_F(MenuTest, ScriptItemRecordIsExact) {
  AddOrRenameMenuEntry("a", "Zażółć"_w);
  ASSERT_EQ(host.AddedItems.size(), 1u);
  const MenuItem& item = host.AddedItems[0];
  EXPECT_EQ(item.Size, static_cast<std::int32_t>(sizeof(MenuItemDef)));
  EXPECT_EQ(item.ItemId, "KWARTLIN_MENU_ITEM_0");
  EXPECT_EQ(item.ParentId, std::optional<std::string>("KWARTLIN_MAIN_MENU"));
  EXPECT_EQ(item.MenuName, "Tlen/CL/Element");
  EXPECT_EQ(item.Caption, "Zażółć"_w);
  EXPECT_EQ(item.Position, 0);
  EXPECT_EQ(item.ChangeFlags, 0);
  EXPECT_EQ(item.Callback, &MenuCallback);
  EXPECT_EQ(item.Instance, PluginInstance);
  EXPECT_TRUE(item.ZeroElsewhere);
  EXPECT_EQ(host.Calls[0].LParam, 0);
  EXPECT_EQ(Entry(0).HostHandle, item.Handle);
  EXPECT_NE(item.Handle, 0);
}

TEST_F(MenuTest, MainItemRecordIsExact) {
  AddMainMenuItem();
  ASSERT_EQ(host.AddedItems.size(), 1u);
  const MenuItem& item = host.AddedItems[0];
  EXPECT_EQ(item.ItemId, "KWARTLIN_MAIN_MENU");
  EXPECT_FALSE(item.ParentId.has_value());
  EXPECT_EQ(item.MenuName, "Tlen/CL/Element");
  EXPECT_EQ(item.Caption, "Kwartlin");
  EXPECT_EQ(item.Position, 99990);
  EXPECT_EQ(item.Callback, &MenuCallback);
  EXPECT_EQ(item.Instance, PluginInstance);
  EXPECT_TRUE(item.ZeroElsewhere);
  EXPECT_TRUE(MenuEntries.empty());
}

TEST_F(MenuTest, KnownNameInOtherCaseOnlyChangesTheTable) {
  AddOrRenameMenuEntry("Entry", "Old");
  const std::intptr_t handle = Entry(0).HostHandle;
  const std::size_t calls = host.Calls.size();
  SetMenuEntryVisible(0, false);
  AddOrRenameMenuEntry("ENTRY", "New");
  EXPECT_EQ(host.Calls.size(), calls);
  ASSERT_EQ(MenuEntries.size(), 1u);
  EXPECT_EQ(Entry(0).EntryName, "ENTRY");
  EXPECT_EQ(Entry(0).Caption, "New");
  EXPECT_EQ(Entry(0).HostItemId, "KWARTLIN_MENU_ITEM_0");
  EXPECT_EQ(Entry(0).HostHandle, handle);
  EXPECT_FALSE(Entry(0).Visible);  // renaming does not show a hidden entry
}

TEST_F(MenuTest, UnregisteredEntryIsRegisteredAtTheNextAdd) {
  for (int pass = 0; pass < 2; ++pass) {
    MenuEntries.clear();
    if (pass == 0) Unlink();
    else host.RefuseMenuItems = true;  // the host answers 0
    AddOrRenameMenuEntry("a", "A");
    EXPECT_EQ(Entry(0).HostHandle, 0);
    PluginLink = host.Link();
    host.RefuseMenuItems = false;
    AddOrRenameMenuEntry("A", "A2");
    EXPECT_NE(Entry(0).HostHandle, 0);
    EXPECT_EQ(host.MenuItems.at(Entry(0).HostHandle).Caption, "A2");
  }
}

TEST_F(MenuTest, LookupsIgnoreCase) {
  AddOrRenameMenuEntry("łódź"_w, "x");
  AddOrRenameMenuEntry("b", "y");
  EXPECT_EQ(FindMenuEntryByName("ŁÓDŹ"_w), 0);
  EXPECT_EQ(FindMenuEntryByName("B"), 1);
  EXPECT_EQ(FindMenuEntryByName("c"), -1);
  EXPECT_EQ(FindMenuEntryById("kwartlin_menu_item_1"), 1);
  EXPECT_EQ(FindMenuEntryById("KWARTLIN_MENU_ITEM_2"), -1);
  EXPECT_EQ(FindMenuEntryById(""), -1);
}

TEST_F(MenuTest, DeleteRemovesTheHostItem) {
  AddOrRenameMenuEntry("a", "A");
  AddOrRenameMenuEntry("b", "B");
  const std::intptr_t handleA = Entry(0).HostHandle;
  DeleteMenuEntry(-1);
  DeleteMenuEntry(2);  // beyond the table
  EXPECT_EQ(MenuEntries.size(), 2u);
  EXPECT_TRUE(host.DeletedItems.empty());
  DeleteMenuEntry(0);
  EXPECT_EQ(host.DeletedItems, (std::vector<std::intptr_t>{handleA}));
  ASSERT_EQ(MenuEntries.size(), 1u);
  EXPECT_EQ(Entry(0).EntryName, "b");
}

TEST_F(MenuTest, EntryNeverRegisteredLeavesWithoutHostCall) {
  host.RefuseMenuItems = true;
  AddOrRenameMenuEntry("a", "A");
  const std::size_t calls = host.Calls.size();
  DeleteMenuEntry(0);
  EXPECT_TRUE(MenuEntries.empty());
  EXPECT_EQ(host.Calls.size(), calls);
}

TEST_F(MenuTest, ClearRemovesEverythingFromHostAndTable) {
  for (const char* n : {"a", "b", "c"}) AddOrRenameMenuEntry(n, n);
  ClearMenuEntries();
  EXPECT_TRUE(MenuEntries.empty());
  EXPECT_TRUE(host.MenuItems.empty());
  EXPECT_EQ(host.DeletedItems.size(), 3u);
  // Without a link the table still empties.
  AddOrRenameMenuEntry("d", "d");
  Unlink();
  ClearMenuEntries();
  EXPECT_TRUE(MenuEntries.empty());
}

TEST_F(MenuTest, VisibilityIsStoredOnly) {
  EXPECT_FALSE(AnyMenuEntryVisible());
  AddOrRenameMenuEntry("a", "A");
  AddOrRenameMenuEntry("b", "B");
  const std::size_t calls = host.Calls.size();
  SetMenuEntryVisible(0, false);
  EXPECT_TRUE(AnyMenuEntryVisible());
  SetMenuEntryVisible(1, false);
  EXPECT_FALSE(AnyMenuEntryVisible());
  SetMenuEntryVisible(5, true);
  SetMenuEntryVisible(-1, true);
  EXPECT_FALSE(AnyMenuEntryVisible());
  EXPECT_EQ(host.Calls.size(), calls);
}

TEST_F(MenuTest, EntryDeletedDuringItsRegistrationLeavesNoHostItem) {
  host.OnService = [](const HostCall& c) {
    if (c.Service == "Tlen/AddMenuItem") DeleteMenuEntry(FindMenuEntryByName("a"));
  };
  AddOrRenameMenuEntry("a", "A");
  EXPECT_TRUE(MenuEntries.empty());
  EXPECT_TRUE(host.MenuItems.empty());
}

TEST_F(MenuTest, TableGrowingDuringRegistrationKeepsHandlesApart) {
  bool nested = false;
  host.OnService = [&](const HostCall& c) {
    if (c.Service != "Tlen/AddMenuItem" || nested) return;
    nested = true;
    for (int i = 0; i < 20; ++i) AddOrRenameMenuEntry("n" + std::to_string(i), "N");
  };
  AddOrRenameMenuEntry("a", "A");
  ASSERT_EQ(MenuEntries.size(), 21u);
  EXPECT_EQ(host.MenuItems.size(), 21u);
  for (const auto& e : MenuEntries) {
    ASSERT_NE(e.HostHandle, 0) << e.EntryName;
    EXPECT_EQ(host.MenuItems.at(e.HostHandle).ItemId, e.HostItemId);
  }
}

TEST_F(MenuTest, EntryAddedDuringDeletionSurvives) {
  AddOrRenameMenuEntry("a", "A");
  bool nested = false;
  host.OnService = [&](const HostCall& c) {
    if (c.Service != "Tlen/DeleteMenuItem" || nested) return;
    nested = true;
    AddOrRenameMenuEntry("b", "B");
  };
  DeleteMenuEntry(0);
  ASSERT_EQ(MenuEntries.size(), 1u);
  EXPECT_EQ(Entry(0).EntryName, "b");
  EXPECT_EQ(host.MenuItems.size(), 1u);
  EXPECT_EQ(host.MenuItems.at(Entry(0).HostHandle).Caption, "B");
}

}  // namespace
}  // namespace kwtest
