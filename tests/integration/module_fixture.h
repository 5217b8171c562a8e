// A fresh plugin module per test: a copy of the built kwartlin.tpl in a temporary
// folder of its own (so each test has its own Kwartlin data folder beside it), loaded
// by path through the test host's module loader and driven only through its exports
// and the callbacks it registers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "tests/common/files.h"
#include "tools/testhost/module_loader.h"
#include "tools/testhost/test_host.h"

namespace kwit {

namespace fs = std::filesystem;
using kwtest::BuiltModulePath;
using kwtest::ReadBytes;
using kwtest::WriteBytes;

// Script or data file text: the lines joined by CR LF.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::copy_file(BuiltModulePath(), ModulePath()); }

  void TearDown() override {
    if (loaded_) module_.UnloadPlugin();
    module_.Close();
  }

  std::string ModulePath() const { return (dir_ / "kwartlin.tpl").string(); }
  fs::path DataPath(const std::string& name) const { return dir_ / "Kwartlin" / name; }

  void WriteData(const std::string& name, const std::string& bytes) {
    fs::create_directories(dir_ / "Kwartlin");
    WriteBytes(DataPath(name), bytes);
  }
  void WriteScript(std::initializer_list<std::string_view> lines) { WriteData("Kwartlin.dat", Lines(lines)); }

  // The file's bytes; empty when it cannot be read.
  std::string ReadData(const std::string& name) const { return ReadBytes(DataPath(name)); }

  // Opens the module (once) and calls LoadPlugin with the link, or with none.
  void Load(kw::TPluginLink* link) {
    if (!module_.IsOpen()) {
      ASSERT_TRUE(module_.Open(ModulePath())) << kwtest::LastModuleError();
    }
    EXPECT_EQ(module_.LoadPlugin(link), 0);
    loaded_ = true;
  }
  void Load() { Load(host_.Link()); }
  void Unload() {
    EXPECT_EQ(module_.UnloadPlugin(), 0);
    loaded_ = false;
  }
  // Unloads and closes the module, as the messenger does when it exits.
  void Close() {
    if (loaded_) Unload();
    module_.Close();
  }

  kwtest::TempFolder folder_{"kw_module"};
  const fs::path dir_ = folder_.Path();  // the module's folder
  kwtest::TestHost host_;
  kwtest::PluginModule module_;
  bool loaded_ = false;
};

}  // namespace kwit
