// The script file and the spam list file into the engine's state. The engine turns text
// into lines (script/loader.h, script/spam.h); reading the files and what a reload does
// besides (the menu, the variables, _init) are wired together here, once.
#pragma once

namespace kw {

// Replaces ScriptLines from the file at ScriptPath. The script's menu entries go first,
// whatever the file holds; a file that was read also clears the variables, and _init runs
// when run is set. A file that cannot be read counts as absent: the script is then empty
// and the variables stay.
void ReloadScript(bool run);
// Replaces SpamList from the file at SpamListPath and compiles its matcher. A file that
// cannot be read counts as absent: the list is then empty.
void LoadSpamList();

}  // namespace kw
