// The module's own file and handle in the playground (module_posix.cpp and
// exports_posix.cpp ask the dynamic loader, which this program does not have).
#include "web/module_web.h"

#include <cstdint>
#include <utility>

#include "host/globals.h"
#include "host/plugin.h"

// Generated at build time from support/kwartlin_version.h (kVersionBlock).
#include "kwversion_section.cpp"

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

std::string ModuleFileImage() {
  constexpr std::size_t kHeader = 52, kEntry = 40, kSections = 3;
  const std::string names("\0.shstrtab\0.kwversion\0", 22);
  std::string elf(kHeader, '\0');
  const auto put = [&elf](std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) elf[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
  };
  elf.replace(0, 4, "\x7F" "ELF");
  elf[4] = 1;  // 32-bit
  elf[5] = 1;  // little-endian
  elf[6] = 1;  // version
  put(16, 3, 2);  // a shared object
  put(18, 3, 2);  // i386
  put(20, 1, 4);
  const std::size_t blockAt = elf.size();
  elf.append(reinterpret_cast<const char*>(kVersionBlock), sizeof kVersionBlock);
  const std::size_t namesAt = elf.size();
  elf += names;
  elf.resize((elf.size() + 7) / 8 * 8, '\0');
  const std::size_t tableAt = elf.size();
  elf.resize(tableAt + kSections * kEntry, '\0');
  const auto section = [&](std::size_t index, std::uint32_t name, std::uint32_t type, std::size_t offset,
                           std::size_t size) {
    const std::size_t at = tableAt + index * kEntry;
    put(at, name, 4);
    put(at + 4, type, 4);
    put(at + 16, static_cast<std::uint32_t>(offset), 4);
    put(at + 20, static_cast<std::uint32_t>(size), 4);
  };
  section(1, 1, 3, namesAt, names.size());                   // .shstrtab
  section(2, 11, 1, blockAt, sizeof kVersionBlock);          // .kwversion
  put(0x20, static_cast<std::uint32_t>(tableAt), 4);
  put(0x28, kHeader, 2);
  put(0x2E, kEntry, 2);
  put(0x30, kSections, 2);
  put(0x32, 1, 2);
  return elf;
}

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
