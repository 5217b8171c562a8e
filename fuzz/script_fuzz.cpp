// Script text as the loader reads it (ScriptLinesFromText), run from every entry point
// with a small line bound, the plugin's host and no host link. The runs must end, stay
// free of sanitizer reports, and leave the variable table as the engine keeps it: each
// name "$" and upper case, no name twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>

#include "host/globals.h"
#include "host/menu.h"
#include "host/plugin_script_host.h"
#include "memory_budget.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/spam.h"
#include "script/variables.h"
#include "support/casing.h"

namespace {

constexpr std::int64_t kLineBound = 10'000;
// The four entry points and one code that runs as a message does.
constexpr int kEntryCodes[] = {kw::entryInit, kw::entryStart, kw::entryMenuShow, kw::entryMenuClick, 7};

void Check(bool ok) {
  if (!ok) std::abort();
}

void ResetState() {
  kw::InstallPluginScriptHost();  // the menu commands reach the plugin's menu table
  kw::ClearMenuEntries();
  kw::ClearVariables();
  kw::ScriptLines.clear();
  kw::SpamList = {"kup|sprzedam tanio", ";komentarz", "\"tanie leki\"|x"};
  kw::SetVariable("$_ID", "jan@tlen.pl", false);
  kw::SetVariable("$_MESSAGE", "ping\\npong", false);
  kw::SetVariable("$_FILTR", "0", false);
  kw::SetVariable("$_MENU_ITEM", "m1", false);
}

void CheckVariableTable() {
  std::unordered_set<std::string> seen;
  for (const kw::TZmienna& v : kw::VariableTable) {
    Check(!v.Name.empty() && v.Name.front() == '$');
    Check(kw::UpperCase(v.Name) == v.Name);
    Check(seen.insert(v.Name).second);
    Check(kw::VariableTable.Find(v.Name) >= 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  {
    kwfuzz::MemoryBudgetScope budget;
    try {
      ResetState();
      const kw::TScriptLines lines = kw::ScriptLinesFromText(text);
      for (const std::string& line : lines) {
        Check(!line.empty());
        Check(line.front() != ' ' && line.front() != '\t' && line.back() != ' ' && line.back() != '\t');
      }
      kw::ScriptLines = lines;
      for (int code : kEntryCodes) kw::RunScriptBounded(kw::ScriptLines, code, kw::TRunBounds{.Lines = kLineBound});
    } catch (const std::bad_alloc&) {
      // Out of budget outside a run (loading a huge script): the plugin's loader and
      // callers catch it the same way.
    }
  }
  CheckVariableTable();
  ResetState();
  return 0;
}
