// The settings round trip: a variable of arbitrary bytes, named by the input too, is
// saved with SaveSettings into a settings file that already holds other saved
// variables, the window rectangle and a section of someone else's, and loaded back
// with LoadSettings. The value must come back as the settings file's rule makes it:
// every line break (LF CR, CR LF, a lone LF or CR) one LF CR, zero bytes dropped, the
// rest unchanged; a name that a key cannot hold is not saved; nothing else may be
// added or changed.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "script/text.h"
#include "script/variables.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/casing.h"
#include "support/platform.h"

namespace {

namespace fs = std::filesystem;

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr std::string_view kBaseline =
    "; written by hand\r\n"
    "[Other]\r\nkeep=1\r\n\r\n"
    "[Var_Save]\r\n$KEEP1=x\r\n$KEEP2=a\\nb\r\n$KEEP3=\" padded \"\r\n\r\n"
    "[OptionsForm]\r\nOptFormRectX=-5\r\nOptFormRectY=7\r\nOptFormRectW=300\r\nOptFormRectH=200\r\n";

const fs::path& Folder() {
  static const fs::path folder = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/kwartlin_settings_fuzz_XXXXXX";
    Check(::mkdtemp(path.data()) != nullptr);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(Folder(), ignored);
    });
    return fs::path(path);
  }();
  return folder;
}

// The variable name as SetVariable makes it.
std::string VariableName(std::string_view name) {
  std::string n(name);
  if (n.front() != '$') n.insert(n.begin(), '$');
  return kw::UpperCase(n);
}

// The value as it comes back: each line break one LF CR, zero bytes gone. The file holds
// breaks as "\n", and loading reads every "\n" as a break, so it is applied last.
std::string Reloaded(std::string_view value) {
  std::string escaped;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\0') continue;
    if (c != '\r' && c != '\n') {
      escaped += c;
      continue;
    }
    if (i + 1 < value.size() && (value[i + 1] == '\r' || value[i + 1] == '\n') && value[i + 1] != c) ++i;
    escaped += "\\n";
  }
  return kw::UnescapeText(escaped);
}

std::map<std::string, std::string> SavedVariables() {
  std::map<std::string, std::string> saved;
  for (const kw::TZmienna& v : kw::VariableTable)
    if (v.Save) saved[v.Name] = v.Value;
  return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string name = in.ConsumeRandomLengthString(64);
  const std::string value = in.ConsumeRandomLengthString(8000);

  const std::string path = (Folder() / "Kwartlin" / "Kwartlin.ini").string();
  std::error_code ignored;
  fs::remove_all(Folder() / "Kwartlin", ignored);
  Check(kw::CreateFolders((Folder() / "Kwartlin").string()));
  Check(kw::WriteFileAtomic(path, kBaseline));

  kw::ClearVariables();
  kw::TRect32 formRect;
  kw::LoadSettings(path, kw::VariableTable, formRect);
  const kw::TRect32 rect = formRect;
  Check(rect.X == -5 && rect.Y == 7 && rect.W == 300 && rect.H == 200);
  std::map<std::string, std::string> expected = SavedVariables();
  Check(expected.size() == 3);

  if (!name.empty()) {
    kw::SetVariable(name, value, true);
    const std::string stored = kw::ResolveValue(VariableName(name));
    const std::string key = VariableName(name);
    if (kw::IsStorableKey(key)) expected[key] = Reloaded(stored);
    else expected.erase(key);  // a baseline name it replaced cannot be one
  }
  Check(kw::SaveSettings(path, kw::VariableTable, formRect));

  kw::ClearVariables();
  formRect = {};
  kw::LoadSettings(path, kw::VariableTable, formRect);
  Check(SavedVariables() == expected);
  Check(formRect.X == rect.X && formRect.Y == rect.Y && formRect.W == rect.W && formRect.H == rect.H);
  std::string text;
  Check(kw::ReadWholeFile(path, text));
  Check(kw::TIniText(text).Value("Other", "keep") == "1");
  kw::ClearVariables();
  return 0;
}
