// The script file and the spam list file into the engine's state. The engine turns text
// into lines (script/loader.h, script/spam.h); reading the files and what a reload does
// besides (the menu, the variables, _init) are wired together here, once.
#pragma once

namespace kw {

// Replaces ScriptLines from the file at ScriptPath. The script's menu entries go first,
// whatever the file holds. A file that was read also clears the variables: all of them
// at load (run not set); with run set (the options page applying an edited script) only
// those not marked for saving, and then _init runs. A file that cannot be read counts as
// absent: the script is then empty and the variables stay.
void ReloadScript(bool run);
// Replaces SpamList from the file at SpamListPath and compiles its matcher. A file that
// cannot be read counts as absent: the list is then empty.
void LoadSpamList();
// The settings file at SettingsPath into VariableTable and OptionsFormRect, and back.
// The plugin has nowhere to show a problem; the trace channel is told of long values
// whose pieces did not check, of a file that could not be read (SettingsUnread: every
// save is then refused), of a save that wrote nothing, and of variables it left out.
void LoadSettingsFile();
void SaveSettingsFile();

}  // namespace kw
