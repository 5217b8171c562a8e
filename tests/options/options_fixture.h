// Shared setting for the options page tests: a host link that records every service
// call, data files in a fresh temporary folder (tests/common/files.h), and page events
// built like the host's.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/data_files.h"
#include "host/globals.h"
#include "host/options_page.h"
#include "host/records.h"
#include "options/KwartlinForm1.h"
#include "options/view_headless.h"
#include "script/loader.h"
#include "script/spam.h"
#include "script/variables.h"
#include "tests/common/files.h"

namespace kwtest {

struct HostCall {
  std::string Service;
  std::intptr_t WParam;
  std::intptr_t LParam;
};

inline std::vector<HostCall>& HostCalls() {
  static std::vector<HostCall> calls;
  return calls;
}

inline std::intptr_t KW_CDECL RecordCallService(void*, const char* name, std::intptr_t wParam,
                                               std::intptr_t lParam) {
  HostCalls().push_back({name ? name : "", wParam, lParam});
  return 0;
}

inline kw::TPluginLink& RecordingLink() {
  static kw::TPluginLink link{nullptr, nullptr, &RecordCallService};
  return link;
}

inline std::vector<HostCall> CallsOf(const std::string& service) {
  std::vector<HostCall> found;
  for (const HostCall& c : HostCalls())
    if (c.Service == service) found.push_back(c);
  return found;
}

inline std::unique_ptr<kw::IOptionsView> MakeHeadlessView() {
  return std::make_unique<kw::THeadlessOptionsView>();
}

// A rectangle as something gtest compares and prints.
inline std::array<std::int32_t, 4> R(const kw::TRect32& r) { return {r.X, r.Y, r.W, r.H}; }

// What a form made without the page is given: paths and a rectangle of its own, and a
// count of what a host save reported. Declare it before the form it serves.
struct FormInputs final : kw::IEditorFilesSaved {
  std::string ScriptPath;
  std::string SpamListPath;
  kw::TRect32 Rect;
  std::string SettingsPath = "Kwartlin.ini";
  bool SettingsUnread = false;
  int ScriptSaves = 0;
  int SpamListSaves = 0;
  std::function<void()> OnScriptSaved;  // runs inside the first report

  void ScriptFileSaved() override {
    ++ScriptSaves;
    if (OnScriptSaved) OnScriptSaved();
  }
  void SpamListFileSaved() override { ++SpamListSaves; }
  kw::TOptionsFormInputs Inputs() { return {ScriptPath, SpamListPath, Rect, *this, SettingsPath, SettingsUnread}; }
};

// A fresh data folder with the script and spam list paths in it, and the plugin's
// globals as LoadPlugin leaves them; everything is undone afterwards.
class OptionsTest : public ::testing::Test {
 protected:
  static constexpr std::intptr_t kPageWindow = 0x5150;
  static constexpr std::intptr_t kLargeIcon = 0x4321;

  void SetUp() override {
    std::filesystem::create_directories(folder_ / "Kwartlin");
    kw::FreeOptionsForm();
    kw::ScriptPath = (folder_ / "Kwartlin" / "Kwartlin.dat").string();
    kw::SpamListPath = (folder_ / "Kwartlin" / "Kwartlin.spm").string();
    kw::OptionsFormRect = kw::TRect32{};
    kw::LargeIcon = kLargeIcon;
    kw::PluginLink = &RecordingLink();
    kw::ScriptLines.clear();
    kw::SpamList.clear();
    kw::ClearVariables();
    HostCalls().clear();
    kw::SetOptionsViewFactory(&MakeHeadlessView);
  }

  void TearDown() override {
    kw::FreeOptionsForm();
    kw::SetOptionsViewFactory(nullptr);
    kw::PluginLink = nullptr;
    kw::ScriptLines.clear();
    kw::SpamList.clear();
    kw::ClearVariables();
  }

  static kw::OptionsPageEventDef Event(std::int32_t action, kw::TRect32 area = {4, 8, 500, 400},
                                       std::intptr_t window = kPageWindow) {
    auto e = kw::ZeroRecord<kw::OptionsPageEventDef>();
    e.Action = action;
    e.Window = window;
    e.Left = area.X;
    e.Top = area.Y;
    e.Width = area.W;
    e.Height = area.H;
    return e;
  }

  static std::int32_t Page(std::int32_t action, kw::TRect32 area = {4, 8, 500, 400},
                           std::intptr_t window = kPageWindow) {
    auto e = Event(action, area, window);
    return kw::OptionsPageCallback(&e);
  }

  static kw::THeadlessOptionsView& View() {
    return dynamic_cast<kw::THeadlessOptionsView&>(kw::OptionsForm->View());
  }

  std::filesystem::path ScriptFile() const { return kw::ScriptPath; }
  std::filesystem::path SpamFile() const { return kw::SpamListPath; }

  TempFolder folderOwner_{"kw-options"};
  const std::filesystem::path folder_ = folderOwner_.Path();
};

}  // namespace kwtest
