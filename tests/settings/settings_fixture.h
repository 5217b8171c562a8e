// Shared by the settings tests: a fresh folder per test, whole-file helpers, and the
// state a settings file is loaded into and saved from.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "script/variables.h"
#include "settings/settings.h"
#include "support/rect.h"

namespace kwtest {

// What the plugin hands the settings store, held by the test itself: the file's path,
// a variable table and the options window's rectangle.
struct SettingsState {
  std::string SettingsPath;
  kw::TZmienne Variables;
  kw::TRect32 OptionsFormRect;

  void Load() { kw::LoadSettings(SettingsPath, Variables, OptionsFormRect); }
  bool Save() const { return kw::SaveSettings(SettingsPath, Variables, OptionsFormRect); }
};

// A folder of its own under the system's temporary folder, removed again at the end.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("kw-settings-" + std::string(info ? info->name() : "x") + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;  // the folder
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

}  // namespace kwtest
