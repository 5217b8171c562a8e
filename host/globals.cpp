// Definitions of the plugin's global state.
#include "host/globals.h"

namespace kw {

void* PluginInstance = nullptr;
TPluginLink* PluginLink = nullptr;
void* ShowItemProc = nullptr;
std::string ScriptPath;
std::string SettingsPath;
std::string SpamListPath;
std::intptr_t SmallIcon = 0;
std::intptr_t LargeIcon = 0;
std::intptr_t ServiceHandle = 0;
std::intptr_t HookHandleGG = 0;
std::intptr_t HookHandleTLEN = 0;
TRect32 OptionsFormRect;
bool SettingsUnread = false;
TElementyMenu MenuEntries;
TOptionsForm* OptionsForm = nullptr;

}  // namespace kw
