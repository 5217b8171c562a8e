// Module loading with LoadLibraryA.
#include <windows.h>

#include "tools/testhost/module_loader.h"

namespace kwtest {

void* OpenModuleFile(const std::string& path) { return LoadLibraryA(path.c_str()); }

AnyFunction FindModuleExport(void* module, const char* name) {
  return reinterpret_cast<AnyFunction>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseModuleFile(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

std::string LastModuleError() { return "Windows error " + std::to_string(GetLastError()); }

}  // namespace kwtest
