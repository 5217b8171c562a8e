// A fresh plugin module per test: a copy of the built kwartlin.tpl in a temporary
// folder of its own (so each test has its own Kwartlin data folder beside it), loaded
// by path through the test host's module loader and driven only through its exports
// and the callbacks it registers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>

#include "tools/testhost/module_loader.h"
#include "tools/testhost/test_host.h"

namespace kwit {

namespace fs = std::filesystem;

// The built module's path; under Wine a Unix path is reached through drive Z:.
inline std::string BuiltModulePath() {
  std::string path = KW_MODULE_PATH;
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
  return path;
}

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
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = fs::temp_directory_path() /
           ("kw_module_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            "_" + std::to_string(stamp));
    fs::create_directories(dir_);
    fs::copy_file(BuiltModulePath(), ModulePath());
  }

  void TearDown() override {
    if (loaded_) module_.UnloadPlugin();
    module_.Close();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string ModulePath() const { return (dir_ / "kwartlin.tpl").string(); }
  fs::path DataPath(const std::string& name) const { return dir_ / "Kwartlin" / name; }

  void WriteData(const std::string& name, const std::string& bytes) {
    fs::create_directories(dir_ / "Kwartlin");
    std::ofstream(DataPath(name), std::ios::binary) << bytes;
  }
  void WriteScript(std::initializer_list<std::string_view> lines) { WriteData("Kwartlin.dat", Lines(lines)); }

  // The file's bytes; empty when it cannot be read.
  std::string ReadData(const std::string& name) const {
    std::ifstream file(DataPath(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }

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

  fs::path dir_;
  kwtest::TestHost host_;
  kwtest::PluginModule module_;
  bool loaded_ = false;
};

}  // namespace kwit
