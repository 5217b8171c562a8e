// Start and stop of the loaded module: the information record, the registrations in
// their order and their withdrawal, the data folder beside the module, saved variables
// across loads, loading without a host, calls out of order, and data files that cannot
// be read or written.
#include "tests/integration/module_fixture.h"

#include <cstring>

#include "support/cp1250.h"

using namespace kw;

namespace kwit {
namespace {

class Lifecycle : public ModuleTest {
 protected:
  std::vector<std::string> CallsSince(std::size_t from) const {
    const std::vector<std::string> all = host_.CallNames();
    return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
  }
  std::vector<std::string> SentTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : host_.Sent) texts.push_back(m.Text);
    return texts;
  }
};

TEST_F(Lifecycle, InformationRecordNeedsNoLoadAndIsRenewedEveryCall) {
  ASSERT_TRUE(module_.Open(ModulePath())) << kwtest::LastModuleError();
  PluginInfoDef* info = module_.GetPluginInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Size, static_cast<std::int32_t>(sizeof(PluginInfoDef)));  // 52 on 32-bit
  EXPECT_STREQ(info->Name, "Kwartlin");
  EXPECT_EQ(info->InterfaceVersion, 66817);
  EXPECT_EQ(info->Version, 0x00090602);
  EXPECT_EQ(std::string(info->Description),
            "Plugin umożliwiający manewrowanie wysyłanymi/odbieranymi wiadomościami."_w);
  for (const char* text : {info->Notice, info->Author, info->Email, info->WebAddress}) {
    ASSERT_NE(text, nullptr);
    EXPECT_GT(std::strlen(text), 0u);
  }
  EXPECT_EQ(info->Reserved36 | info->Reserved40 | info->Reserved44 | info->Reserved48, 0);

  // A host that scribbles on the record gets it back whole at the next call.
  info->Version = 0;
  info->Name = "x";
  info->Reserved44 = 7;
  PluginInfoDef* again = module_.GetPluginInfo();
  EXPECT_EQ(again, info);
  EXPECT_EQ(again->Version, 0x00090602);
  EXPECT_STREQ(again->Name, "Kwartlin");
  EXPECT_EQ(again->Reserved44, 0);
}

TEST_F(Lifecycle, LoadRegistersInOrderThenRunsInit) {
  WriteScript({":_init", "SEND 'start@tlen.pl', 'init'"});
  Load();
  EXPECT_EQ(host_.CallNames(),
            (std::vector<std::string>{"Tlen/GetProcAddress", "CreateServiceFunction", "Tlen/AddOptionsPage",
                                      "Tlen/ProtocolHookEvent", "Tlen/ProtocolHookEvent", "Tlen/AddMenuItem",
                                      "Tlen/AddMenuCallBack", "Tlen/ProtocolCallFunction"}));
  EXPECT_EQ(SentTexts(), std::vector<std::string>{"init"});

  // One instance, not null, in every call.
  void* instance = host_.Calls.front().Instance;
  EXPECT_NE(instance, nullptr);
  for (const auto& call : host_.Calls) EXPECT_EQ(call.Instance, instance) << call.Service;

  ASSERT_EQ(host_.Services.size(), 1u);
  EXPECT_EQ(host_.Services[0].Name, "KWARTLIN/PROC_BRIX");
  EXPECT_NE(host_.Services[0].Callback, nullptr);

  ASSERT_EQ(host_.Hooks.size(), 2u);
  const kwtest::HookRecord& gg = host_.Hooks.at("GG");
  const kwtest::HookRecord& tlen = host_.Hooks.at("TLEN");
  EXPECT_LT(gg.Handle, tlen.Handle);  // GG first
  for (const kwtest::HookRecord* hook : {&gg, &tlen}) {
    EXPECT_EQ(hook->Size, static_cast<std::int32_t>(sizeof(ProtocolHookDef)));  // 20 on 32-bit
    EXPECT_NE(hook->Hook, nullptr);
    EXPECT_TRUE(hook->EmptyTextIsEmpty);
    EXPECT_EQ(hook->Instance, instance);
  }
  EXPECT_EQ(gg.Hook, tlen.Hook);

  ASSERT_EQ(host_.OptionsPages.size(), 1u);
  const kwtest::OptionsPage& page = host_.OptionsPages[0];
  EXPECT_EQ(page.WParam, reinterpret_cast<std::intptr_t>(instance));
  EXPECT_EQ(page.Size, static_cast<std::int32_t>(sizeof(OptionsPageDef)));  // 36 on 32-bit
  EXPECT_EQ(page.PageId, "KwartlinOptForm/Page1");
  EXPECT_EQ(page.Caption, "Kwartlin");
  EXPECT_EQ(page.PageKind, 3);
  EXPECT_NE(page.Callback, nullptr);
  EXPECT_TRUE(page.ZeroElsewhere);
#ifdef _WIN32
  EXPECT_NE(page.SmallIcon, 0);  // the 16x16 bitmap resource
#else
  EXPECT_EQ(page.SmallIcon, 0);  // no bitmap resources here
#endif
}

TEST_F(Lifecycle, UnloadWithdrawsInOrderAndSavesBesideModule) {
  WriteScript({":_init", "MOV $z, 'zapisz'", "SAVE $z, 1"});
  Load();
  const std::intptr_t service = host_.Services.at(0).Handle;
  const std::intptr_t gg = host_.Hooks.at("GG").Handle;
  const std::intptr_t tlen = host_.Hooks.at("TLEN").Handle;
  const std::size_t before = host_.Calls.size();
  Unload();
  EXPECT_EQ(CallsSince(before), (std::vector<std::string>{"Tlen/RemoveMenuCallBack", "DestroyServiceFunction",
                                                          "Tlen/ProtocolUnhookEvent",
                                                          "Tlen/ProtocolUnhookEvent"}));
  EXPECT_EQ(host_.DestroyedServices, std::vector<std::intptr_t>{service});
  ASSERT_EQ(host_.Unhooked.size(), 2u);
  EXPECT_EQ(host_.Unhooked[0].Protocol, "GG");
  EXPECT_EQ(host_.Unhooked[0].Handle, gg);
  EXPECT_EQ(host_.Unhooked[1].Protocol, "TLEN");
  EXPECT_EQ(host_.Unhooked[1].Handle, tlen);
  EXPECT_TRUE(host_.Hooks.empty());
  EXPECT_TRUE(host_.Services.empty());
  EXPECT_TRUE(host_.MenuCallbacks.empty());
  EXPECT_NE(ReadData("Kwartlin.ini").find("$Z=zapisz"), std::string::npos);
}

// Without a link nothing reaches any host, yet the script runs and the settings are
// kept; the data folder is made beside the module when missing.
TEST_F(Lifecycle, LoadAndUnloadWithoutLink) {
  WriteScript({":_init", "MOV $z, 'bez hosta'", "SAVE $z, 1", "SEND 'x@tlen.pl', $z"});
  Load(nullptr);
  Unload();
  EXPECT_TRUE(host_.Calls.empty());
  EXPECT_NE(ReadData("Kwartlin.ini").find("$Z=bez hosta"), std::string::npos);

  fs::remove_all(dir_ / "Kwartlin");
  Load(nullptr);
  Unload();
  EXPECT_TRUE(fs::is_regular_file(DataPath("Kwartlin.ini")));
  EXPECT_TRUE(host_.Calls.empty());
}

// A variable saved at unload is there for _init at the next load, with or without a
// host in between; a hand-written key without "$" loads too.
TEST_F(Lifecycle, SavedVariableReachesInitAtNextLoad) {
  WriteScript({":_init", "SEND 'stan@tlen.pl', $licznik", "STRCON $licznik, 'x'",
               "SAVE $licznik, #TRUE", "SEND 'stan@tlen.pl', $reczny"});
  WriteData("Kwartlin.ini", Lines({"[Var_Save]", "reczny=z pliku"}));
  Load();
  Close();
  Load(nullptr);
  Close();
  Load();
  Close();
  EXPECT_EQ(SentTexts(), (std::vector<std::string>{"", "z pliku", "xx", "z pliku"}));
}

// UnloadPlugin without a load before it does nothing at all: above all it writes no
// settings over the saved ones.
TEST_F(Lifecycle, UnloadWithoutLoadTouchesNothing) {
  const std::string settings = Lines({"[Var_Save]", "$A=1"});
  WriteData("Kwartlin.ini", settings);
  ASSERT_TRUE(module_.Open(ModulePath()));
  EXPECT_EQ(module_.UnloadPlugin(), 0);
  EXPECT_EQ(ReadData("Kwartlin.ini"), settings);

  WriteScript({":_init", "MOV $b, 2"});
  Load();
  Unload();
  const std::size_t calls = host_.Calls.size();
  WriteData("Kwartlin.ini", settings);
  EXPECT_EQ(module_.UnloadPlugin(), 0);  // a second unload
  EXPECT_EQ(ReadData("Kwartlin.ini"), settings);
  EXPECT_EQ(host_.Calls.size(), calls);
}

// LoadPlugin twice: the first load's registrations are withdrawn before the second
// registers again, and its variables are saved on the way.
TEST_F(Lifecycle, SecondLoadReplacesTheFirst) {
  WriteScript({":_init", "SEND 'stan@tlen.pl', $n", "STRCON $n, 'x'", "SAVE $n, 1"});
  Load();
  const std::intptr_t firstGG = host_.Hooks.at("GG").Handle;
  Load();
  EXPECT_EQ(host_.DestroyedServices.size(), 1u);
  ASSERT_EQ(host_.Unhooked.size(), 2u);
  EXPECT_EQ(host_.Unhooked[0].Handle, firstGG);
  EXPECT_EQ(host_.Hooks.size(), 2u);
  EXPECT_EQ(host_.Services.size(), 1u);
  EXPECT_EQ(host_.MenuCallbacks.size(), 1u);
  EXPECT_EQ(SentTexts(), (std::vector<std::string>{"", "x"}));
  Unload();
  EXPECT_TRUE(host_.Hooks.empty());
}

// Data files that cannot be read or written (here folders in their place) cost only
// their own step: the load and the unload go on with every other one.
TEST_F(Lifecycle, UnusableDataFilesCostOnlyTheirStep) {
  WriteScript({":_init", "SEND 'stan@tlen.pl', 'init'", "EXIT", ":_start", "MOV $_FILTR, 1"});
  fs::create_directories(DataPath("Kwartlin.ini"));
  fs::create_directories(DataPath("Kwartlin.spm"));
  Load();
  EXPECT_EQ(host_.Sent.size(), 1u);
  EXPECT_EQ(host_.Deliver("GG", "1", "x").Result, -1);
  Unload();
  EXPECT_TRUE(host_.Hooks.empty());
  EXPECT_TRUE(host_.Services.empty());
  EXPECT_TRUE(fs::is_directory(DataPath("Kwartlin.ini")));

  fs::remove_all(DataPath("Kwartlin.dat"));
  fs::create_directories(DataPath("Kwartlin.dat"));
  Load();
  EXPECT_EQ(host_.Hooks.size(), 2u);
  EXPECT_EQ(host_.Deliver("GG", "1", "x").Result, 0);  // an empty script blocks nothing
  Unload();
}

}  // namespace
}  // namespace kwit
