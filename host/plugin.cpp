// The plugin's start and stop, in the fixed order the host relies on.
//
// Every step of LoadPlugin and UnloadPlugin runs on its own guard: a step that fails
// (a data file that cannot be read or written, memory running out) is dropped and the
// next step still runs, so a broken settings file costs its own values and nothing
// else, and no exception reaches the host. Nothing is reported: the plugin keeps no
// log and shows no message, and each data file's reader already degrades to its
// defaults.
//
// Calls out of order:
// - LoadPlugin while loaded first unloads (saving the settings, withdrawing the service
//   and the hooks) and then loads anew with the new link; the host never holds two
//   registrations of one callback, and a stale link is never used again.
// - UnloadPlugin while not loaded does nothing. Running its steps then would write a
//   settings file from an empty variable table over the user's saved values.
// After UnloadPlugin the link is forgotten: nothing the host might still call (the
// main menu item stays registered) reaches back into a host that unloaded us.
#include "host/plugin.h"

#include <string>
#include <vector>

#include "host/bridge.h"
#include "host/data_files.h"
#include "host/globals.h"
#include "host/menu.h"
#include "host/options_page.h"
#include "host/plugin_script_host.h"
#include "host/services.h"
#include "host/trace_channel.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/spam.h"
#include "script/variables.h"
#include "settings/settings.h"
#include "support/ProcFunc.h"
#include "support/VerInfo.h"
#include "support/casing.h"
#include "support/cp1250.h"
#include "support/kwartlin_version.h"
#include "support/platform.h"

namespace kw {
namespace {

constexpr std::intptr_t kShowItemProcId = 4098;
constexpr std::int32_t kOptionsPageKind = 3;
constexpr const char* kServiceName = "Kwartlin/Proc_Brix";
constexpr const char* kProtocolGG = "GG";
constexpr const char* kProtocolTLEN = "TLEN";
constexpr char kEmptyText[] = "";

bool loaded = false;  // between LoadPlugin and UnloadPlugin

// One step of the start or stop sequence; whatever it throws ends only that step.
template <class Step>
void RunStep(Step&& step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

bool HasLink() { return PluginLink != nullptr; }

std::intptr_t InstanceParam() { return reinterpret_cast<std::intptr_t>(PluginInstance); }

template <class Fn>
std::intptr_t FunctionParam(Fn fn) {
  return reinterpret_cast<std::intptr_t>(fn);
}

std::string DataName(std::string_view file) {
  std::string name = "Kwartlin";
  name += PathSeparator();
  name += file;
  return name;
}

std::intptr_t HookProtocol(const char* protocol) {
  auto hook = MakeRecord<ProtocolHookDef>();
  hook.ProtocolId = protocol;
  hook.Hook = &MessageHook;
  hook.EmptyText = kEmptyText;
  hook.Instance = PluginInstance;
  return CallHostService("Tlen/ProtocolHookEvent", ToParam(&hook), 0);
}

void UnhookProtocol(const char* protocol, std::intptr_t& handle) {
  if (handle == 0) return;
  const std::intptr_t h = handle;
  handle = 0;
  if (HasLink()) CallHostService("Tlen/ProtocolUnhookEvent", ToParam(protocol), h);
}

void AddOptionsPage() {
  auto page = MakeRecord<OptionsPageDef>();
  page.PageId = "KwartlinOptForm/Page1";
  page.Caption = "Kwartlin";
  page.PageKind = kOptionsPageKind;
  page.SmallIcon = SmallIcon;
  page.Callback = &OptionsPageCallback;
  CallHostService("Tlen/AddOptionsPage", InstanceParam(), ToParam(&page));
}

void CreateService() {
  if (PluginLink->CreateServiceFunction == nullptr) return;
  const std::string name = UpperCase(kServiceName);
  ServiceHandle = PluginLink->CreateServiceFunction(PluginInstance, name.c_str(), &ServiceCallback);
}

void DestroyService() {
  const std::intptr_t handle = ServiceHandle;
  ServiceHandle = 0;
  if (handle != 0 && HasLink() && PluginLink->DestroyServiceFunction != nullptr)
    PluginLink->DestroyServiceFunction(PluginInstance, handle);
}

void ResetState() {
  PluginLink = nullptr;
  OptionsForm = nullptr;
  SmallIcon = 0;
  LargeIcon = 0;
  HookHandleGG = 0;
  HookHandleTLEN = 0;
  ServiceHandle = 0;
  ShowItemProc = nullptr;
  OptionsFormRect = TRect32{};
}

void StartPlugin(TPluginLink* link) {
  RunStep(ResetState);
  RunStep(OpenTraceChannel);
  RunStep(InstallPluginScriptHost);
  RunStep(LoadPluginBitmaps);
  PluginLink = link;
  if (HasLink()) RunStep([] {
    ShowItemProc = reinterpret_cast<void*>(CallHostService("Tlen/GetProcAddress", kShowItemProcId, 0));
  });
  RunStep([] {
    ScriptPath = DataFilePath(DataName("Kwartlin.dat"));
    SettingsPath = DataFilePath(DataName("Kwartlin.ini"));
    SpamListPath = DataFilePath(DataName("Kwartlin.spm"));
  });
  RunStep([] {
    ClearVariables();
    MenuEntries.clear();
  });
  RunStep([] {
    ScriptLines.clear();
    ReloadScript(false);
  });
  RunStep(LoadSettingsFile);
  RunStep([] {
    SpamList.clear();
    LoadSpamList();
  });
  if (HasLink()) {
    RunStep(CreateService);
    RunStep(AddOptionsPage);
    RunStep([] { HookHandleGG = HookProtocol(kProtocolGG); });
    RunStep([] { HookHandleTLEN = HookProtocol(kProtocolTLEN); });
    RunStep(AddMainMenuItem);
    RunStep([] {
      CallHostService("Tlen/AddMenuCallBack", ToParam(kPopupMenuName), FunctionParam(&MenuCallback));
    });
  }
  loaded = true;
  RunStep([] { RunScript(ScriptLines, entryInit); });
}

void StopPlugin() {
  if (HasLink()) RunStep([] {
    CallHostService("Tlen/RemoveMenuCallBack", ToParam(kPopupMenuName), FunctionParam(&MenuCallback));
  });
  RunStep(ClearMenuEntries);
  RunStep(DestroyService);
  RunStep([] { UnhookProtocol(kProtocolGG, HookHandleGG); });
  RunStep([] { UnhookProtocol(kProtocolTLEN, HookHandleTLEN); });
  RunStep(FreeOptionsForm);
  RunStep([] {
    ScriptLines.clear();
    SpamList.clear();
    ReleaseSpamMatcher();
  });
  RunStep(SaveSettingsFile);
  RunStep(ClearVariables);
  // The bitmaps themselves stay loaded: the host may still show SmallIcon on the page
  // it keeps (module_win32.cpp loads them once per module life).
  SmallIcon = 0;
  LargeIcon = 0;
  // The texts handed back to the host go now (the bridge keeps those of a hook call
  // still under way).
  RunStep(ReleaseMessageTexts);
  PluginLink = nullptr;
  ShowItemProc = nullptr;
  RunStep(CloseTraceChannel);
  loaded = false;
}

}  // namespace

PluginInfoDef* GetPluginInfo() {
  static PluginInfoDef info;
  info = MakeRecord<PluginInfoDef>();
  info.Name = "Kwartlin";
  info.InterfaceVersion = kInterfaceVersion;
  info.Description = "Plugin umożliwiający manewrowanie wysyłanymi/odbieranymi wiadomościami."_w.data();
  info.Notice = KW_NOTICE;
  info.Author = KW_AUTHOR;
  info.Email = KW_EMAIL;
  info.WebAddress = KW_WEB_ADDRESS;
  RunStep([] { info.Version = PluginVersionNumber(); });
  return &info;
}

std::int32_t VersionNumberFromText(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t dot = text.find('.', start);
    parts.push_back(text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  if (parts.size() != 4) return 0;
  std::uint32_t number = 0;
  for (std::string_view part : parts) {
    const std::int32_t value = ReadInt(part, 0);
    const std::uint32_t byte = value >= 0 && value <= 255 ? static_cast<std::uint32_t>(value) : 0;
    number = number << 8 | byte;
  }
  return static_cast<std::int32_t>(number);
}

std::int32_t PluginVersionNumber() {
  std::string text = GetFileVersionText(GetPluginModulePath(), "");
  if (text.empty()) text = "0.0.0.0";
  return VersionNumberFromText(text);
}

// The folder part ends as every folder part of the plugin's paths does (EndsFolder):
// on Windows at "\" or ":", and also at a '/'. GetModuleFileNameA gives backslashes,
// but a '/' cannot be part of a Windows file name, so where one appears it separates.
std::string DataFilePathBeside(const std::string& modulePath, std::string_view relativeName) {
  std::size_t end = modulePath.size();
  while (end > 0 && !EndsFolder(modulePath[end - 1])) --end;
  std::string path = modulePath.substr(0, end);
  if (!path.empty() && !IsFolderSeparator(path.back())) path += PathSeparator();
  path += relativeName;
  return path;
}

std::string DataFilePath(std::string_view relativeName) {
  return DataFilePathBeside(GetPluginModulePath(), relativeName);
}

// A host that answers a service called during LoadPlugin or UnloadPlugin (or the _init
// run at the end of loading) by calling LoadPlugin or UnloadPlugin again would recurse
// without end: such a nested call does nothing.
bool inLifecycle = false;

struct LifecycleGuard {
  LifecycleGuard() { inLifecycle = true; }
  ~LifecycleGuard() { inLifecycle = false; }
  LifecycleGuard(const LifecycleGuard&) = delete;
  LifecycleGuard& operator=(const LifecycleGuard&) = delete;
};

std::int32_t LoadPlugin(TPluginLink* link) {
  if (inLifecycle) return 0;
  LifecycleGuard guard;
  if (loaded) StopPlugin();
  StartPlugin(link);
  return 0;
}

std::int32_t UnloadPlugin() {
  if (inLifecycle) return 0;
  LifecycleGuard guard;
  if (loaded) StopPlugin();
  return 0;
}

}  // namespace kw
