// The plugin's script host: each call forwards to the one function that already does the
// work (services.cpp, menu.cpp, the settings save), so a script's command and the same
// action taken by the plugin itself cannot differ.
#include "host/plugin_script_host.h"

#include "host/data_files.h"
#include "host/globals.h"
#include "host/menu.h"
#include "host/services.h"
#include "script/script_host.h"
#include "script/variables.h"
#include "settings/settings.h"
#include "support/platform.h"

namespace kw {
namespace {

class TPluginScriptHost final : public IScriptHost {
 public:
  void SendProtocolMessage(const std::string& recipient, const std::string& text) override {
    kw::SendProtocolMessage(recipient, text);
  }
  void ChangeUserState(const std::string& proto, std::int32_t status,
                       const std::string& description) override {
    kw::ChangeUserState(proto, status, description);
  }
  TUserState GetUserState(const std::string& proto) override { return kw::GetUserState(proto); }
  TKontaktInfo GetContactInfo(const std::string& id) override { return kw::GetContactInfo(id); }

  void AddOrRenameMenuEntry(std::string_view name, std::string_view caption) override {
    kw::AddOrRenameMenuEntry(name, caption);
  }
  int FindMenuEntryByName(std::string_view name) override { return kw::FindMenuEntryByName(name); }
  void DeleteMenuEntry(int index) override { kw::DeleteMenuEntry(index); }
  void SetMenuEntryVisible(int index, bool visible) override { kw::SetMenuEntryVisible(index, visible); }

  // A file that cannot be written leaves the previous one; the script goes on either way.
  void SaveConfig() override { SaveSettingsFile(); }

  LocalDateTime Now() override { return GetLocalDateTime(); }
};

TPluginScriptHost pluginHost;

}  // namespace

void InstallPluginScriptHost() { InstallScriptHost(&pluginHost); }

}  // namespace kw
