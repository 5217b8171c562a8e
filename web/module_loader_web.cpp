// The module loader without a dynamic loader: "opening" a module file checks that the
// file is there (as dlopen would fail without it) and hands out the plugin's three
// exports, which are linked into this program. The exports are host/exports.cpp's,
// the same guards the real module exports.
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "host/records.h"
#include "tools/testhost/module_loader.h"
#include "web/module_web.h"

extern "C" {
kw::PluginInfoDef* KW_CDECL GetPluginInfo();
std::int32_t KW_CDECL LoadPlugin(kw::TPluginLink* link);
std::int32_t KW_CDECL UnloadPlugin();
}

namespace kwtest {
namespace {

int theModule = 0;  // the one module there is; its address is the handle
std::string lastError;

}  // namespace

void* OpenModuleFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    lastError = path + ": no such module file";
    return nullptr;
  }
  kwweb::SetModulePath(path);
  return &theModule;
}

AnyFunction FindModuleExport(void* module, const char* name) {
  if (module != &theModule || name == nullptr) return nullptr;
  if (std::strcmp(name, "GetPluginInfo") == 0) return reinterpret_cast<AnyFunction>(&GetPluginInfo);
  if (std::strcmp(name, "LoadPlugin") == 0) return reinterpret_cast<AnyFunction>(&LoadPlugin);
  if (std::strcmp(name, "UnloadPlugin") == 0) return reinterpret_cast<AnyFunction>(&UnloadPlugin);
  lastError = std::string("the module does not export ") + name;
  return nullptr;
}

// The module's code stays in the program; UnloadPlugin has already given back what the
// plugin holds, and LoadPlugin starts it afresh.
void CloseModuleFile(void*) {}

std::string LastModuleError() { return lastError; }

}  // namespace kwtest
