// Loading the data files. Neither function throws: running out of memory part way keeps
// what a reload had done by then (the script) or empties the list (no rules rather than
// half of them).
#include "host/data_files.h"

#include <string>

#include "host/globals.h"
#include "host/menu.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/spam.h"
#include "script/variables.h"
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
    ClearVariables();
    if (run) RunScript(ScriptLines, entryInit);
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
