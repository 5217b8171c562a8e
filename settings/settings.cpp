// The settings file: the variables the script marked for saving ("Var_Save") and the
// detached options window's rectangle ("OptionsForm"). Read once at load, written whole
// at every save; a save either replaces the file or leaves it as it was.
//
// One key per line, whatever a variable holds:
// - Values. The value's line break, LF CR, is written as "\n" (EscapeText). Every other
//   line break, a CR LF pair, a lone LF or a lone CR, is written as "\n" too and so loads
//   as LF CR: it stays a line break but not in its first form. No escape of its own could
//   keep the form: the file carries any backslash sequence as it stands (C:\raporty), and
//   a new escape would change what values saved earlier load as. A zero byte, which the
//   profile functions cannot carry, is dropped. Blanks at either end survive (the profile
//   layer quotes such values).
// - Names. A variable whose name a key cannot hold (an "=", a line break or zero byte, a
//   blank at the end) is not saved at all: writing it would set another key or open a
//   section. Such names come only from hostile or broken scripts.
// - Length. A name or a written value longer than kMaxProfileText (32766 bytes), which
//   the Windows profile functions cannot take, is not saved either; the rest of the save
//   goes on. The same limit holds on every platform so that files stay interchangeable.
#include "settings/settings.h"

#include <string>
#include <string_view>

#include "host/globals.h"
#include "script/text.h"
#include "script/variables.h"
#include "settings/ini_file.h"
#include "settings/profile.h"
#include "support/platform.h"

namespace kw {
namespace {

constexpr std::string_view kVariablesSection = "Var_Save";
constexpr std::string_view kFormSection = "OptionsForm";
constexpr std::string_view kFormX = "OptFormRectX";
constexpr std::string_view kFormY = "OptFormRectY";
constexpr std::string_view kFormW = "OptFormRectW";
constexpr std::string_view kFormH = "OptFormRectH";

// The value as one line that UnescapeText turns back into it (line breaks as LF CR).
// One pass over the value itself, as EscapeText would make it for LF CR: escaping LF CR
// first and then the rest would pair CR LF CR LF in the middle and make three breaks.
std::string SettingsValueText(std::string_view value) {
  std::string line;
  line.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\0') continue;
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    // CR LF and LF CR are one break each; any other CR or LF is a break of its own.
    if (i + 1 < value.size() && (value[i + 1] == '\r' || value[i + 1] == '\n') && value[i + 1] != c) ++i;
    line += "\\n";
  }
  return line;
}

void LoadFormRect(const IProfile& file) {
  OptionsFormRect.X = file.ReadInteger(kFormSection, kFormX, OptionsFormRect.X);
  OptionsFormRect.Y = file.ReadInteger(kFormSection, kFormY, OptionsFormRect.Y);
  OptionsFormRect.W = file.ReadInteger(kFormSection, kFormW, OptionsFormRect.W);
  OptionsFormRect.H = file.ReadInteger(kFormSection, kFormH, OptionsFormRect.H);
}

// After a failed write the file writes nothing more, so the remaining calls cost nothing.
void SaveFormRect(IProfile& file) {
  file.WriteInteger(kFormSection, kFormX, OptionsFormRect.X);
  file.WriteInteger(kFormSection, kFormY, OptionsFormRect.Y);
  file.WriteInteger(kFormSection, kFormW, OptionsFormRect.W);
  file.WriteInteger(kFormSection, kFormH, OptionsFormRect.H);
}

}  // namespace

void LoadSettings() {
  try {
    if (SettingsPath.empty() || !FileExists(SettingsPath)) return;
    TProfileFile file;
    if (!file.Open(SettingsPath, TProfileMode::Read)) return;
    for (const std::string& key : file.ReadKeys(kVariablesSection))
      SetVariable(key, file.ReadString(kVariablesSection, key, ""), true);
    LoadFormRect(file);
  } catch (...) {
    // Out of memory halfway: what has loaded stays, the rest keeps its defaults.
  }
}

void SaveVariables(IProfile& file) {
  if (!file.EraseSection(kVariablesSection)) return;
  for (const TZmienna& v : VariableTable) {
    if (!v.Save || !IsStorableKey(v.Name)) continue;
    const std::string text = SettingsValueText(v.Value);
    if (!IsStorableValue(text)) continue;
    if (!file.WriteString(kVariablesSection, v.Name, text)) return;
  }
}

bool SaveSettings() {
  try {
    if (SettingsPath.empty()) return false;
    const std::string folder = FolderOf(SettingsPath);
    if (!folder.empty() && !CreateFolders(folder)) return false;
    TProfileFile file;
    if (!file.Open(SettingsPath, TProfileMode::Update)) return false;
    SaveVariables(file);
    SaveFormRect(file);
    return file.Commit();
  } catch (...) {
    return false;  // the file is replaced only at Commit, so it is as it was
  }
}

}  // namespace kw
