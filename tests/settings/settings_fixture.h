// Shared by the settings tests: the state a settings file is loaded into and saved from
// (a fresh folder per test and whole-file helpers come from tests/common/files.h).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "script/variables.h"
#include "settings/settings.h"
#include "support/rect.h"
#include "tests/common/files.h"

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

}  // namespace kwtest
