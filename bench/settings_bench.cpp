// The settings file with one long saved value: a save (the file made in memory, written,
// read back and moved over the old one) and a load, for values of 1, 4 and 16 MiB. Both
// must grow in proportion to the value: SaveConfig runs on the messenger's interface
// thread. The same source times the Windows build (settings_bench_win32.cpp runs it
// under Wine), where a save once went through the profile functions key by key.
#include "bench/settings_bench.h"

#include <filesystem>
#include <string>

#include "script/variables.h"
#include "settings/settings.h"
#include "support/rect.h"

namespace kwbench {

TSettingsBenchFile::TSettingsBenchFile(std::size_t valueBytes) {
  namespace fs = std::filesystem;
  folder_ = (fs::temp_directory_path() / ("kw_settings_bench_" + std::to_string(valueBytes))).string();
  fs::create_directories(folder_);
  path_ = (fs::path(folder_) / "Kwartlin.ini").string();
  std::string value;
  value.reserve(valueBytes);
  // Text that the file carries as it is, with a line break now and then.
  for (std::size_t i = 0; value.size() < valueBytes; ++i) value += i % 64 == 63 ? '\n' : static_cast<char>('a' + i % 26);
  variables_.Append(kw::TZmienna{"$BIG", value, true});
  variables_.Append(kw::TZmienna{"$SMALL", "1", true});
}

TSettingsBenchFile::~TSettingsBenchFile() {
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

bool TSettingsBenchFile::Save() const { return kw::SaveSettings(path_, variables_, kw::TRect32{}); }

std::size_t TSettingsBenchFile::Load() const {
  kw::TZmienne loaded;
  kw::TRect32 rect;
  kw::LoadSettings(path_, loaded, rect);
  return loaded.size() == 2 ? loaded[0].Value.size() : 0;
}

}  // namespace kwbench
