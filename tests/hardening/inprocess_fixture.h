// In-process tests of the plugin's own save paths: the data paths point into a fresh
// folder, the options page gets the in-memory view (no window, no message box), the
// plugin's script host is installed (SaveConfig saves), and there is no host link.
// Needed where a test must reach the plugin's globals or the write-fault hook, which the
// module loaded by path keeps to itself.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "host/data_files.h"
#include "host/globals.h"
#include "host/menu.h"
#include "host/options_page.h"
#include "host/script_host.h"
#include "options/KwartlinForm1.h"
#include "options/view_headless.h"
#include "script/loader.h"
#include "script/script_host.h"
#include "script/spam.h"
#include "script/variables.h"
#include "support/platform.h"

namespace kwhard {

namespace fs = std::filesystem;

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Names in the folder, sorted: what is there besides the files a test expects.
inline std::vector<std::string> FolderNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class InProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = fs::temp_directory_path() /
            ("kw_hard_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
             std::to_string(stamp));
    data_ = root_ / "Kwartlin";
    fs::create_directories(data_);
    kw::ScriptPath = (data_ / "Kwartlin.dat").string();
    kw::SpamListPath = (data_ / "Kwartlin.spm").string();
    kw::SettingsPath = (data_ / "Kwartlin.ini").string();
    kw::PluginLink = nullptr;
    kw::InstallPluginScriptHost();
    kw::SetOptionsViewFactory([]() -> std::unique_ptr<kw::IOptionsView> {
      return std::make_unique<kw::THeadlessOptionsView>();
    });
    Reset();
  }

  void TearDown() override {
    kw::SetWriteFaultForTesting(-1);
    kw::FreeOptionsForm();
    kw::SetOptionsViewFactory(nullptr);
    kw::InstallScriptHost(nullptr);
    Reset();
    kw::ScriptPath.clear();
    kw::SpamListPath.clear();
    kw::SettingsPath.clear();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  static void Reset() {
    kw::ClearMenuEntries();
    kw::ClearVariables();
    kw::ScriptLines.clear();
    kw::SpamList.clear();
    kw::OptionsFormRect = {};
  }

  static std::int32_t Page(std::int32_t action) {
    auto event = kw::ZeroRecord<kw::OptionsPageEventDef>();
    event.Action = action;
    event.Width = 500;
    event.Height = 400;
    return kw::OptionsPageCallback(&event);
  }

  static kw::THeadlessOptionsView& View() {
    return dynamic_cast<kw::THeadlessOptionsView&>(kw::OptionsForm->View());
  }

  fs::path root_;  // the module's folder, as it were
  fs::path data_;  // its Kwartlin folder
};

}  // namespace kwhard
