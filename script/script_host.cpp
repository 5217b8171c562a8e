// The null host and the installed one. One host for the whole process, as the plugin's
// state is: a nested run talks to the same host as the run it interrupted.
#include "script/script_host.h"

namespace kw {
namespace {

class TNullScriptHost final : public IScriptHost {
 public:
  void SendProtocolMessage(const std::string&, const std::string&) override {}
  void ChangeUserState(const std::string&, std::int32_t, const std::string&) override {}
  TUserState GetUserState(const std::string&) override { return {}; }
  TKontaktInfo GetContactInfo(const std::string&) override { return {}; }
  void AddOrRenameMenuEntry(std::string_view, std::string_view) override {}
  int FindMenuEntryByName(std::string_view) override { return -1; }
  void DeleteMenuEntry(int) override {}
  void SetMenuEntryVisible(int, bool) override {}
  void SaveConfig() override {}
  LocalDateTime Now() override { return GetLocalDateTime(); }
};

TNullScriptHost nullHost;
IScriptHost* installed = nullptr;

}  // namespace

IScriptHost& ScriptHost() { return installed != nullptr ? *installed : nullHost; }

IScriptHost* InstallScriptHost(IScriptHost* host) {
  IScriptHost* const before = installed;
  installed = host;
  return before;
}

}  // namespace kw
