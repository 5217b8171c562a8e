// Shared set-up of the host-side tests: a fresh TestHost linked to the plugin's globals,
// the plugin's script host installed, empty script state, and the probe that tells
// whether script runs work yet.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "host/bridge.h"
#include "host/globals.h"
#include "host/menu.h"
#include "host/plugin_script_host.h"
#include "host/services.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/script_host.h"
#include "script/variables.h"
#include "tools/testhost/test_host.h"

namespace kwtest {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kw::PluginInstance = &instanceTag_;
    kw::PluginLink = host.Link();
    kw::ShowItemProc = reinterpret_cast<void*>(TestHost::ShowItemProcAddress());
    kw::InstallPluginScriptHost();
    kw::MenuEntries.clear();
    kw::ScriptLines.clear();
    kw::ClearVariables();
  }

  void TearDown() override {
    kw::ReleaseMessageTexts();
    kw::PluginLink = nullptr;
    kw::ShowItemProc = nullptr;
    kw::PluginInstance = nullptr;
    kw::InstallScriptHost(nullptr);
    kw::MenuEntries.clear();
    kw::ScriptLines.clear();
    kw::ClearVariables();
  }

  void Unlink() {
    kw::PluginLink = nullptr;
  }

  // Prepared script lines (trimmed, no comments, no blank lines).
  static void Script(std::initializer_list<const char*> lines) {
    kw::ScriptLines = std::vector<std::string>(lines.begin(), lines.end());
  }

  static std::string Var(const char* name) { return kw::ResolveValue(name); }

  // True once RunScript carries out a MOV; tests of whole script runs skip before that.
  static bool ScriptsRun() {
    const kw::TScriptLines saved = kw::ScriptLines;
    Script({":_init", "MOV $__probe, 1"});
    kw::RunScript(kw::ScriptLines, 0);
    const bool ok = Var("$__PROBE") == "1";
    kw::ScriptLines = saved;
    return ok;
  }

  TestHost host;

 private:
  static inline int instanceTag_ = 0;
};

#define KWTEST_NEEDS_SCRIPTS() \
  if (!ScriptsRun()) GTEST_SKIP() << "script runs are not in yet"

}  // namespace kwtest
