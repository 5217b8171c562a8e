// The module's own file on POSIX systems: the object that holds this code, as the
// dynamic loader knows it (dladdr on an address inside it). Linked into the plugin
// module that is the module; linked into a program, the program itself
// (/proc/self/exe, since the loader keeps no file name for the main program).
//
// The name is taken once, while the module is being loaded, and kept: the loader keeps
// the name the host passed, which may be relative, and a later change of the working
// folder would otherwise move the data folder and lose the version. It is made absolute
// against the working folder of that moment, lexically as Windows does: a module loaded
// through a symbolic link keeps its data beside the link, where the host put it.
// There are no bitmap resources here: both handles stay 0.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>
#include <string_view>

#include "host/globals.h"
#include "host/plugin.h"

namespace kw {
namespace {

const char kAnchor = 0;  // an address inside this module

// The working folder joined with a relative name; "." steps and doubled slashes go.
// ".." steps stay: dropping one lexically would name another file when the step
// before it is a link, and the name must keep naming the file the host loaded.
std::string AbsoluteName(std::string_view name) {
  std::string path;
  if (name.empty() || name.front() != '/') {
    std::error_code ec;
    path = std::filesystem::current_path(ec).string();
    if (ec || path.empty()) return std::string(name);  // no working folder: as loaded
  }
  std::size_t pos = 0;
  while (pos <= name.size()) {
    std::size_t end = name.find('/', pos);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view step = name.substr(pos, end - pos);
    if (!step.empty() && step != ".") {
      if (path.empty() || path.back() != '/') path += '/';
      path += step;
    }
    pos = end + 1;
  }
  return path.empty() ? "/" : path;
}

std::string ProgramPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  return std::string(path, static_cast<std::size_t>(length));
}

std::string ModulePathNow() {
  try {
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(&kAnchor, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) return {};
    const char* name = map != nullptr ? map->l_name : info.dli_fname;
    if (name == nullptr || *name == '\0') return ProgramPath();
    return AbsoluteName(name);
  } catch (...) {
    return {};
  }
}

// The first call fixes the name; the initializer below makes that call at load time,
// before any host call could change the working folder.
const std::string& ModulePathAtLoad() {
  static const std::string path = ModulePathNow();
  return path;
}

[[maybe_unused]] const bool takenAtLoad = (ModulePathAtLoad(), true);

}  // namespace

std::string GetPluginModulePath() {
  try {
    return ModulePathAtLoad();
  } catch (...) {
    return {};
  }
}

void LoadPluginBitmaps() {
  SmallIcon = 0;
  LargeIcon = 0;
}

}  // namespace kw
