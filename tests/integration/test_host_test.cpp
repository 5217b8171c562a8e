// The test host (tools/testhost) driving the real module loaded by path, as the
// messenger does: the module's three exports, the registrations it makes, a message,
// the service, and the unload.
#include "tests/integration/module_fixture.h"

namespace kwit {
namespace {

using kwtest::Delivery;
using kwtest::SentMessage;
using TestHostTest = ModuleTest;

TEST_F(TestHostTest, LoadsRunsAndUnloads) {
  WriteScript({":_start", "IF $_MESSAGE <> 'ping'", "EXIT", "SEND $_ID, 'pong'", "MOV $_FILTR, 1"});
  ASSERT_TRUE(module_.Open(ModulePath())) << kwtest::LastModuleError();
  const kw::PluginInfoDef* info = module_.GetPluginInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Size, static_cast<std::int32_t>(sizeof(kw::PluginInfoDef)));
  EXPECT_STREQ(info->Name, "Kwartlin");

  ASSERT_EQ(module_.LoadPlugin(host_.Link()), 0);
  loaded_ = true;
  ASSERT_EQ(host_.Hooks.count("GG"), 1u);
  ASSERT_EQ(host_.Hooks.count("TLEN"), 1u);
  EXPECT_TRUE(host_.Hooks["TLEN"].EmptyTextIsEmpty);
  ASSERT_EQ(host_.Services.size(), 1u);
  EXPECT_EQ(host_.Services[0].Name, "KWARTLIN/PROC_BRIX");
  EXPECT_NE(host_.FindItem("KWARTLIN_MAIN_MENU"), nullptr);
  EXPECT_EQ(host_.MenuCallbacks.size(), 1u);
  EXPECT_EQ(host_.OptionsPages.size(), 1u);

  int echoes = 0;
  host_.OnSend = [&](const SentMessage& m) {
    echoes += host_.Deliver(m.ProtocolId, m.ContactId, m.Text, 5, m.Mark).Result == 0;
  };
  const Delivery d = host_.Deliver("TLEN", "ala@tlen.pl", "ping");
  EXPECT_EQ(d.Result, -1);
  EXPECT_EQ(d.Text, "ping");
  ASSERT_EQ(host_.Sent.size(), 1u);
  EXPECT_EQ(host_.Sent[0].Text, "pong");
  EXPECT_EQ(host_.Sent[0].Mark, 1234);
  EXPECT_EQ(echoes, 1);
  EXPECT_EQ(host_.Deliver("GG", "5", "hello").Result, 0);

  EXPECT_EQ(host_.CallPluginService("KWARTLIN/PROC_BRIX", kw::ToParam("mov $x, 1"), 0), 0);
  EXPECT_EQ(host_.OpenPopup("ala@tlen.pl"), 0);  // no script entries: nothing shown

  Unload();
  EXPECT_TRUE(host_.Hooks.empty());
  EXPECT_TRUE(host_.Services.empty());
  EXPECT_TRUE(host_.MenuCallbacks.empty());
}

TEST_F(TestHostTest, MissingFileDoesNotOpen) {
  EXPECT_FALSE(module_.Open((dir_ / "no_such_kwartlin.tpl").string()));
  EXPECT_FALSE(module_.IsOpen());
}

}  // namespace
}  // namespace kwit
