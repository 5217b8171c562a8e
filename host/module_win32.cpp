// The module's own file and bitmaps on Windows, from PluginInstance (set by DllMain;
// null in a program that links the plugin in-process, which then names the program).
//
// The file name is not cut at 260 characters: a module deeper than that would
// otherwise look for its data folder somewhere else entirely, so the buffer grows until
// the whole name fits. The bitmaps are loaded once per module life and kept: the host
// may still hold SmallIcon from the options page it keeps after an unload, and a reload
// then gets the same handles instead of a new pair each time.
#include <windows.h>

#include <string>
#include <vector>

#include "host/globals.h"
#include "host/plugin.h"

namespace kw {
namespace {

constexpr DWORD kLongestPath = 32768;  // the longest path Windows can hand out

HINSTANCE ModuleHandle() { return static_cast<HINSTANCE>(PluginInstance); }

std::intptr_t LoadBitmapResource(const char* name, int size) {
  return reinterpret_cast<std::intptr_t>(
      LoadImageA(ModuleHandle(), name, IMAGE_BITMAP, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

std::string GetPluginModulePath() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameA(ModuleHandle(), buffer.data(), size);
    if (length == 0) return {};
    if (length < size) return std::string(buffer.data(), length);
    if (size >= kLongestPath) return {};
    buffer.resize(size * 2);
  }
}

void LoadPluginBitmaps() {
  static const std::intptr_t small = LoadBitmapResource("BMP_Ikona_Mala", 16);
  static const std::intptr_t large = LoadBitmapResource("BMP_Ikona_Duza", 32);
  SmallIcon = small;
  LargeIcon = large;
}

}  // namespace kw
