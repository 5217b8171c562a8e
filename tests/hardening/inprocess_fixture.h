// In-process tests of the plugin's own save paths: the data paths point into a fresh
// folder, the options page gets the in-memory view (no window, no message box), the
// plugin's script host is installed (SaveConfig saves), and there is no host link.
// Needed where a test must reach the plugin's globals or the write-fault hook, which the
// module loaded by path keeps to itself.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/data_files.h"
#include "host/globals.h"
#include "host/menu.h"
#include "host/options_page.h"
#include "host/plugin_script_host.h"
#include "options/KwartlinForm1.h"
#include "options/view_headless.h"
#include "script/loader.h"
#include "script/script_host.h"
#include "script/spam.h"
#include "script/variables.h"
#include "support/platform.h"
#include "tests/common/files.h"

namespace kwhard {

namespace fs = std::filesystem;
using kwtest::FolderNames;
using kwtest::ReadBytes;
using kwtest::WriteBytes;

class InProcess : public ::testing::Test {
 protected:
  void SetUp() override {
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

  kwtest::TempFolder folder_{"kw_hard"};
  const fs::path root_ = folder_.Path();     // the module's folder, as it were
  const fs::path data_ = root_ / "Kwartlin";  // its Kwartlin folder
};

}  // namespace kwhard
