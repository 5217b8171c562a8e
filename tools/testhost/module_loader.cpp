// The portable part of PluginModule: finding the three exports.
#include "tools/testhost/module_loader.h"

namespace kwtest {

bool PluginModule::Open(const std::string& path) {
  Close();
  void* module = OpenModuleFile(path);
  if (module == nullptr) return false;
  auto info = reinterpret_cast<kw::GetPluginInfoFn>(FindModuleExport(module, "GetPluginInfo"));
  auto load = reinterpret_cast<kw::LoadPluginFn>(FindModuleExport(module, "LoadPlugin"));
  auto unload = reinterpret_cast<kw::UnloadPluginFn>(FindModuleExport(module, "UnloadPlugin"));
  if (info == nullptr || load == nullptr || unload == nullptr) {
    CloseModuleFile(module);
    return false;
  }
  module_ = module;
  getPluginInfo_ = info;
  loadPlugin_ = load;
  unloadPlugin_ = unload;
  return true;
}

void PluginModule::Close() {
  if (module_ != nullptr) CloseModuleFile(module_);
  module_ = nullptr;
  getPluginInfo_ = nullptr;
  loadPlugin_ = nullptr;
  unloadPlugin_ = nullptr;
}

}  // namespace kwtest
