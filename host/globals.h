// The plugin's global state: one instance per loaded module, alive from LoadPlugin to
// UnloadPlugin. The host side of what the plugin keeps between host calls is declared
// here: the link, the handles, the paths, the menu entries and the options page. The
// engine's state is the engine's own, declared in script/ and reached by the same names:
// VariableTable (script/variables.h), ScriptLines with its compiled form
// (script/loader.h, script/compiled.h) and SpamList with its matcher (script/spam.h).
#pragma once

#include <cstdint>
#include <string>

#include "host/menu.h"
#include "support/rect.h"

namespace kw {

struct TPluginLink;
class TOptionsForm;

extern void* PluginInstance;          // the module's own handle, from the loader
extern TPluginLink* PluginLink;       // the host's link record; null = no host
extern void* ShowItemProc;            // host function that shows popup items
extern std::string ScriptPath;        // ...\Kwartlin\Kwartlin.dat
extern std::string SettingsPath;      // ...\Kwartlin\Kwartlin.ini
extern std::string SpamListPath;      // ...\Kwartlin\Kwartlin.spm
extern std::intptr_t SmallIcon;       // 16x16 bitmap handle, 0 = none
extern std::intptr_t LargeIcon;       // 32x32 bitmap handle, 0 = none
extern std::intptr_t ServiceHandle;   // registrations as the host returned them
extern std::intptr_t HookHandleGG;
extern std::intptr_t HookHandleTLEN;
extern TRect32 OptionsFormRect;       // detached options window
extern bool SettingsUnread;           // SettingsPath existed at load but could not be read:
                                      // no save may replace it until a load reads it
extern TElementyMenu MenuEntries;     // the script's menu entries
extern TOptionsForm* OptionsForm;     // the options page, or null

}  // namespace kw
