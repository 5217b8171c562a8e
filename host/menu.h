// The script's own entries under the plugin's item of the contact-list popup.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

struct TElementMenu {
  std::string HostItemId;   // "KWARTLIN_MENU_ITEM_<n>", unique in the table
  std::string EntryName;    // the script's name, unique ignoring case
  std::string Caption;      // text shown in the menu
  bool Visible = true;      // shown at the next popup
  std::intptr_t HostHandle = 0;  // what "Tlen/AddMenuItem" returned; 0 = not registered
};
using TElementyMenu = std::vector<TElementMenu>;

inline constexpr std::string_view kMainMenuId = "KWARTLIN_MAIN_MENU";
// The host's contact-list popup: the menu the items go into and the one whose callback
// the plugin registers.
inline constexpr const char* kPopupMenuName = "Tlen/CL/Element";

void AddOrRenameMenuEntry(std::string_view name, std::string_view caption);
int FindMenuEntryByName(std::string_view name);
int FindMenuEntryById(std::string_view id);
void DeleteMenuEntry(int index);
void SetMenuEntryVisible(int index, bool flag);
void ClearMenuEntries();
bool AnyMenuEntryVisible();
std::string NewMenuItemId();
void AddHostMenuItem(int index);
void AddMainMenuItem();  // "KWARTLIN_MAIN_MENU", at load

}  // namespace kw
