// Loading a plugin module by path, as the messenger does: the module file and its three
// exports. The platform part is module_loader_posix.cpp / module_loader_win32.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "host/records.h"

namespace kwtest {

// Any function pointer; converted to its real type by the caller.
using AnyFunction = void (*)();

// The platform's module functions. OpenModuleFile takes the path in UTF-8 and returns
// null when the file cannot be loaded; FindModuleExport returns null for a name the
// module does not export.
void* OpenModuleFile(const std::string& path);
AnyFunction FindModuleExport(void* module, const char* name);
void CloseModuleFile(void* module);
// The last loader error as text, for test messages.
std::string LastModuleError();

// The information record's version as the messenger shows it: "0.9.6.2".
std::string VersionText(std::int32_t version);

// One loaded plugin module.
class PluginModule {
 public:
  PluginModule() = default;
  ~PluginModule() { Close(); }
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // False (and nothing loaded) when the file (path in UTF-8) cannot be loaded or lacks
  // an export.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return module_ != nullptr; }

  kw::PluginInfoDef* GetPluginInfo() const { return getPluginInfo_(); }
  std::int32_t LoadPlugin(kw::TPluginLink* link) const { return loadPlugin_(link); }
  std::int32_t UnloadPlugin() const { return unloadPlugin_(); }

 private:
  void* module_ = nullptr;
  kw::GetPluginInfoFn getPluginInfo_ = nullptr;
  kw::LoadPluginFn loadPlugin_ = nullptr;
  kw::UnloadPluginFn unloadPlugin_ = nullptr;
};

}  // namespace kwtest
