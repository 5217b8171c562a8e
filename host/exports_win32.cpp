// The module's entry on Windows: the loader hands over the instance handle, which
// names the module to the host and to GetModuleFileNameA and LoadImageA.
#include <windows.h>

#include "host/globals.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    kw::PluginInstance = instance;
    DisableThreadLibraryCalls(instance);  // the plugin keeps no per-thread state
  }
  return TRUE;
}
