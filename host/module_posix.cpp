// The module's own file on POSIX systems: the object that holds this code, as the
// dynamic loader knows it (dladdr on an address inside it). Linked into the plugin
// module that is the module; linked into a program, the program itself
// (/proc/self/exe, since the loader keeps no file name for the main program). Relative
// names are made absolute so the data folder does not move with the working folder.
// There are no bitmap resources here: both handles stay 0.
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "host/globals.h"
#include "host/plugin.h"

namespace kw {
namespace {

const char kAnchor = 0;  // an address inside this module

std::string AbsolutePath(const char* name) {
  char resolved[PATH_MAX];
  if (realpath(name, resolved) != nullptr) return resolved;
  return name;
}

std::string ProgramPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  return std::string(path, static_cast<std::size_t>(length));
}

}  // namespace

std::string GetPluginModulePath() {
  try {
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(&kAnchor, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) return {};
    const char* name = map != nullptr ? map->l_name : info.dli_fname;
    if (name == nullptr || *name == '\0') return ProgramPath();
    return AbsolutePath(name);
  } catch (...) {
    return {};
  }
}

void LoadPluginBitmaps() {
  SmallIcon = 0;
  LargeIcon = 0;
}

}  // namespace kw
