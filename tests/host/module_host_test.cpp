// The test host driving the real module loaded by path, as the messenger does: a copy
// of the module in a folder of its own (so its data files are this test's alone), its
// three exports, the registrations it makes, a message, the service, and the unload.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tools/testhost/module_loader.h"
#include "tools/testhost/test_host.h"

#ifdef KW_MODULE_PATH

namespace kwtest {
namespace {

namespace fs = std::filesystem;

class ModuleHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("kwartlin_host_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "Kwartlin");
    modulePath_ = folder_ / "kwartlin.tpl";
    fs::copy_file(KW_MODULE_PATH, modulePath_);
  }
  void TearDown() override {
    module.Close();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  void WriteScript(const std::string& text) {
    std::ofstream(folder_ / "Kwartlin" / "Kwartlin.dat", std::ios::binary) << text;
  }
  bool Open() { return module.Open(modulePath_.string()); }

  TestHost host;
  PluginModule module;

 private:
  fs::path folder_;
  fs::path modulePath_;
};

TEST_F(ModuleHostTest, LoadsRunsAndUnloads) {
  WriteScript(":_start\r\nIF $_MESSAGE <> 'ping'\r\nEXIT\r\nSEND $_ID, 'pong'\r\nMOV $_FILTR, 1\r\n");
  ASSERT_TRUE(Open()) << LastModuleError();
  const kw::PluginInfoDef* info = module.GetPluginInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Size, static_cast<std::int32_t>(sizeof(kw::PluginInfoDef)));
  EXPECT_STREQ(info->Name, "Kwartlin");

  ASSERT_EQ(module.LoadPlugin(host.Link()), 0);
  ASSERT_EQ(host.Hooks.count("GG"), 1u);
  ASSERT_EQ(host.Hooks.count("TLEN"), 1u);
  EXPECT_TRUE(host.Hooks["TLEN"].EmptyTextIsEmpty);
  ASSERT_EQ(host.Services.size(), 1u);
  EXPECT_EQ(host.Services[0].Name, "KWARTLIN/PROC_BRIX");
  EXPECT_NE(host.FindItem("KWARTLIN_MAIN_MENU"), nullptr);
  EXPECT_EQ(host.MenuCallbacks.size(), 1u);
  EXPECT_EQ(host.OptionsPages.size(), 1u);

  int echoes = 0;
  host.OnSend = [&](const SentMessage& m) {
    echoes += host.Deliver(m.ProtocolId, m.ContactId, m.Text, 5, m.Mark).Result == 0;
  };
  const Delivery d = host.Deliver("TLEN", "ala@tlen.pl", "ping");
  EXPECT_EQ(d.Result, -1);
  EXPECT_EQ(d.Text, "ping");
  ASSERT_EQ(host.Sent.size(), 1u);
  EXPECT_EQ(host.Sent[0].Text, "pong");
  EXPECT_EQ(host.Sent[0].Mark, 1234);
  EXPECT_EQ(echoes, 1);
  EXPECT_EQ(host.Deliver("GG", "5", "hello").Result, 0);

  EXPECT_EQ(host.CallPluginService("KWARTLIN/PROC_BRIX", kw::ToParam("mov $x, 1"), 0), 0);
  EXPECT_EQ(host.OpenPopup("ala@tlen.pl"), 0);  // no script entries: nothing shown

  EXPECT_EQ(module.UnloadPlugin(), 0);
  EXPECT_TRUE(host.Hooks.empty());
  EXPECT_TRUE(host.Services.empty());
  EXPECT_TRUE(host.MenuCallbacks.empty());
}

TEST_F(ModuleHostTest, MissingFileDoesNotOpen) {
  EXPECT_FALSE(module.Open((fs::temp_directory_path() / "no_such_kwartlin.tpl").string()));
  EXPECT_FALSE(module.IsOpen());
}

}  // namespace
}  // namespace kwtest

#endif  // KW_MODULE_PATH
