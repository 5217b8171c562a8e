// Stub.
#include "host/menu.h"
namespace kw {
void AddOrRenameMenuEntry(std::string_view, std::string_view) {}
int FindMenuEntryByName(std::string_view) { return -1; }
int FindMenuEntryById(std::string_view) { return -1; }
void DeleteMenuEntry(int) {}
void SetMenuEntryVisible(int, bool) {}
void ClearMenuEntries() {}
bool AnyMenuEntryVisible() { return false; }
std::string NewMenuItemId() { return {}; }
void AddHostMenuItem(int) {}
void RemoveHostMenuItem(int) {}
void AddMainMenuItem() {}
}  // namespace kw
