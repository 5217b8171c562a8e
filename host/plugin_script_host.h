// The messenger's side of the engine's port (script/script_host.h): the script's host
// commands reach the messenger's services, the plugin's menu table and the settings file
// through it.
#pragma once

namespace kw {

// Makes the plugin's host the engine's; the plugin does so when it loads. Idempotent.
// Nothing takes it out again: after an unload its calls find no link and reach no
// messenger, and a run then still keeps the menu table and saves as it always did.
void InstallPluginScriptHost();

}  // namespace kw
