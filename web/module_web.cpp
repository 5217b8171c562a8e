// The module's own file and handle in the playground (module_posix.cpp and
// exports_posix.cpp ask the dynamic loader, which this program does not have).
#include "web/module_web.h"

#include <utility>

#include "host/globals.h"
#include "host/plugin.h"

namespace kwweb {
namespace {

const char kAnchor = 0;  // an address inside the module, as its handle

std::string& ModulePath() {
  static std::string path;
  return path;
}

// The handle is fixed before any host call, as the loader's constructor does it.
[[maybe_unused]] const bool handleSet = (kw::PluginInstance = const_cast<char*>(&kAnchor), true);

}  // namespace

void SetModulePath(std::string path) { ModulePath() = std::move(path); }

}  // namespace kwweb

namespace kw {

std::string GetPluginModulePath() {
  try {
    return kwweb::ModulePath();
  } catch (...) {
    return {};
  }
}

// No bitmap resources, as in the ELF module.
void LoadPluginBitmaps() {
  SmallIcon = 0;
  LargeIcon = 0;
}

}  // namespace kw
