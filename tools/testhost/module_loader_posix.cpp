// Module loading with dlopen.
#include <dlfcn.h>

#include "tools/testhost/module_loader.h"

namespace kwtest {

void* OpenModuleFile(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

AnyFunction FindModuleExport(void* module, const char* name) {
  return reinterpret_cast<AnyFunction>(dlsym(module, name));
}

void CloseModuleFile(void* module) { dlclose(module); }

std::string LastModuleError() {
  const char* e = dlerror();
  return e ? e : "";
}

}  // namespace kwtest
