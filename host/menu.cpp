// The script's menu entries and their mirror in the host's contact-list popup.
//
// A host call may make the host call the plugin back, and a nested run may change
// MenuEntries meanwhile. So nothing here holds a reference or an index into the table
// across a host call: records point into copies, and a handle is stored by finding
// the entry again by its HostItemId afterwards. A deleted entry leaves the table before
// its item leaves the host.
#include "host/menu.h"

#include "host/bridge.h"
#include "host/globals.h"
#include "host/services.h"
#include "support/casing.h"

namespace kw {
namespace {

constexpr const char* kMenuItemIdPrefix = "KWARTLIN_MENU_ITEM_";
constexpr std::int32_t kMainMenuPosition = 99990;

bool ValidIndex(int index) {
  return index >= 0 && static_cast<std::size_t>(index) < MenuEntries.size();
}

TElementMenu& EntryAt(int index) { return MenuEntries[static_cast<std::size_t>(index)]; }

std::intptr_t AddItemToHost(const char* id, const char* parent, const char* caption,
                            std::int32_t position) {
  auto item = MakeRecord<MenuItemDef>();
  item.ItemId = id;
  item.ParentId = parent;
  item.MenuName = kPopupMenuName;
  item.Caption = caption;
  item.Position = position;
  item.Callback = &MenuCallback;
  item.Instance = PluginInstance;
  return CallHostService("Tlen/AddMenuItem", ToParam(&item), 0);
}

void DeleteItemFromHost(std::intptr_t handle) {
  if (handle != 0) CallHostService("Tlen/DeleteMenuItem", handle, 0);
}

int FindEntry(std::string_view text, std::string TElementMenu::*field) {
  const std::string wanted = UpperCase(text);
  for (std::size_t i = 0; i < MenuEntries.size(); ++i)
    if (UpperCase(MenuEntries[i].*field) == wanted) return static_cast<int>(i);
  return -1;
}

}  // namespace

int FindMenuEntryByName(std::string_view name) { return FindEntry(name, &TElementMenu::EntryName); }

int FindMenuEntryById(std::string_view id) { return FindEntry(id, &TElementMenu::HostItemId); }

std::string NewMenuItemId() {
  for (unsigned long n = 0;; ++n) {
    std::string id = UpperCase(kMenuItemIdPrefix + std::to_string(n));
    if (FindMenuEntryById(id) < 0) return id;
  }
}

void AddOrRenameMenuEntry(std::string_view name, std::string_view caption) {
  const std::string newName(name);
  const std::string newCaption(caption);
  int index = FindMenuEntryByName(newName);
  if (index < 0) {
    TElementMenu entry;
    entry.HostItemId = NewMenuItemId();
    MenuEntries.push_back(std::move(entry));
    index = static_cast<int>(MenuEntries.size()) - 1;
  }
  EntryAt(index).EntryName = newName;
  EntryAt(index).Caption = newCaption;
  if (EntryAt(index).HostHandle == 0) AddHostMenuItem(index);
}

void AddHostMenuItem(int index) {
  if (!HasHostLink() || !ValidIndex(index)) return;
  const std::string id = EntryAt(index).HostItemId;
  const std::string caption = EntryAt(index).Caption;
  const std::string parent(kMainMenuId);
  const std::intptr_t handle = AddItemToHost(id.c_str(), parent.c_str(), caption.c_str(), 0);
  // The table may have changed during the call. An item whose entry is gone, or whose
  // entry got registered meanwhile, would stay in the host with nothing to remove it.
  const int now = FindMenuEntryById(id);
  if (now >= 0 && EntryAt(now).HostHandle == 0)
    EntryAt(now).HostHandle = handle;
  else
    DeleteItemFromHost(handle);
}

void DeleteMenuEntry(int index) {
  if (!ValidIndex(index)) return;
  const std::intptr_t handle = EntryAt(index).HostHandle;
  MenuEntries.erase(MenuEntries.begin() + index);
  if (HasHostLink()) DeleteItemFromHost(handle);
}

void ClearMenuEntries() {
  while (!MenuEntries.empty()) DeleteMenuEntry(0);
}

void SetMenuEntryVisible(int index, bool flag) {
  if (ValidIndex(index)) EntryAt(index).Visible = flag;
}

bool AnyMenuEntryVisible() {
  for (const auto& e : MenuEntries)
    if (e.Visible) return true;
  return false;
}

void AddMainMenuItem() {
  if (!HasHostLink()) return;
  const std::string id(kMainMenuId);
  AddItemToHost(id.c_str(), nullptr, "Kwartlin", kMainMenuPosition);
}

}  // namespace kw
