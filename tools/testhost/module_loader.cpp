// The portable part of PluginModule: finding the three exports.
#include "tools/testhost/module_loader.h"

namespace kwtest {

std::string VersionText(std::int32_t version) {
  const auto v = static_cast<std::uint32_t>(version);
  return std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 0xFF) + "." +
         std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

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
