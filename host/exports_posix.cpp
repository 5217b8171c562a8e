// The module's entry on POSIX systems: when the loader maps the module, its base
// address becomes PluginInstance, the handle the plugin passes to every host call, as
// the instance handle does on Windows.
#include <dlfcn.h>

#include "host/globals.h"

namespace {

const char kAnchor = 0;  // an address inside this module

__attribute__((constructor)) void SetPluginInstance() {
  Dl_info info{};
  if (dladdr(&kAnchor, &info) != 0) kw::PluginInstance = info.dli_fbase;
}

}  // namespace
