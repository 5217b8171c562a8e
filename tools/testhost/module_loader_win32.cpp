// Module loading with LoadLibraryW: the path comes as UTF-8 and is loaded by its wide
// name, so a module in a folder whose name the ANSI code page cannot hold still loads.
#include <windows.h>

#include "tools/testhost/module_loader.h"
#include "tools/testhost/wide_text_win32.h"

namespace kwtest {

void* OpenModuleFile(const std::string& path) { return LoadLibraryW(WideFromUtf8(path).c_str()); }

AnyFunction FindModuleExport(void* module, const char* name) {
  return reinterpret_cast<AnyFunction>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseModuleFile(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

std::string LastModuleError() { return "Windows error " + std::to_string(GetLastError()); }

}  // namespace kwtest
