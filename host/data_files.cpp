// Loading the data files, and saving the settings. None of the functions throws: running
// out of memory part way keeps what a reload had done by then (the script) or empties
// the list (no rules rather than half of them); the settings store catches its own.
#include "host/data_files.h"

#include <string>
#include <string_view>
#include <vector>

#include "host/globals.h"
#include "host/menu.h"
#include "host/trace_channel.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/spam.h"
#include "script/variables.h"
#include "settings/settings.h"
#include "support/platform.h"

namespace kw {
namespace {

// The whole file; false when it is missing or cannot be read.
bool ReadDataFile(const std::string& path, std::string& text) {
  return FileExists(path) && ReadWholeFile(path, text);
}

}  // namespace

void ReloadScript(bool run) {
  try {
    ClearMenuEntries();
    ScriptLines.clear();
    std::string text;
    if (!ReadDataFile(ScriptPath, text)) return;
    ScriptLines = ScriptLinesFromText(text);
    // A script edited on the options page must not cost what the old one saved: the
    // saved variables stay, as a restart would read them back, and _init sees them. At
    // load the table is still empty, so the two ways agree there.
    if (run) {
      DropUnsavedVariables();
      RunScript(ScriptLines, entryInit);
    } else {
      ClearVariables();
    }
  } catch (...) {
  }
}

// A file that is there but cannot be read (held open by another program, not readable,
// a loop of links) has values the table lacks: a save would write them away. So every
// save refuses until a load can read it; the table keeps what the script saved meanwhile.
constexpr std::string_view kUnreadRefusal =
    "it could not be read when the plugin started, and a save would replace the values it "
    "holds: a restart once it can be read loads them";

void LoadSettingsFile() {
  try {
    std::vector<TUncheckedValue> unchecked;
    SettingsUnread = LoadSettings(SettingsPath, VariableTable, OptionsFormRect, &unchecked) ==
                     TSettingsRead::Unreadable;
    TraceSettingsLoaded(unchecked, SettingsUnread);
  } catch (...) {
  }
}

void SaveSettingsFile() {
  try {
    if (SettingsUnread) {
      TraceSettingsSaved(false, kUnreadRefusal, {});
      return;
    }
    std::string failure;
    std::vector<TLeftOutValue> leftOut;
    const bool written = SaveSettings(SettingsPath, VariableTable, OptionsFormRect, &failure, &leftOut);
    TraceSettingsSaved(written, failure, leftOut);
  } catch (...) {
  }
}

void LoadSpamList() {
  try {
    SpamList.clear();
    std::string text;
    if (!ReadDataFile(SpamListPath, text)) return;
    SpamList = SpamRulesFromText(text);
  } catch (...) {
    SpamList.clear();
  }
  // Compiled now rather than at the first message.
  CompileSpamMatcher();
}

}  // namespace kw
