// The page callback as the host drives it: the fields it writes, the form's life from
// show to destroy, docking around hide, save and destroy, and the save's file work.
#include <algorithm>
#include <cstring>

#include "options_fixture.h"
#include "script/loader.h"
#include "script/spam.h"
#include "support/cp1250.h"
#include "support/platform.h"

namespace kwtest {
namespace {

using kw::operator""_w;

constexpr std::string_view kWriteFailed = "Nie udało się zapisać"_w;
constexpr std::string_view kWriteSkipped = "nie zapisano też"_w;

using kw::ComponentId;
using kw::TRect32;

class PageTest : public OptionsTest {};

std::string Field(const char* bytes, std::size_t size) { return std::string(bytes, size); }

TEST_F(PageTest, EveryActionWritesNameDescriptionAndPictureOnly) {
  for (std::int32_t action : {0, 6, -1, 1000, 1, 2, 3, 4, 5}) {
    SCOPED_TRACE(action);
    kw::OptionsPageEventDef e = Event(action);
    std::memset(e.PageName, 'x', sizeof e.PageName);
    std::memset(e.PageDescription, 'y', sizeof e.PageDescription);
    e.Picture = 7;
    kw::OptionsPageEventDef expected = e;
    std::string name(256, '\0');
    name.replace(0, 8, "Kwartlin");
    std::string description(1024, '\0');
    description.replace(0, 30, "Konfiguracja pluginu Kwartlin.");

    EXPECT_EQ(kw::OptionsPageCallback(&e), 0);
    EXPECT_EQ(Field(e.PageName, sizeof e.PageName), name);
    EXPECT_EQ(Field(e.PageDescription, sizeof e.PageDescription), description);
    EXPECT_EQ(e.Picture, kLargeIcon);
    // Nothing else of the host's record changes.
    std::memcpy(expected.PageName, e.PageName, sizeof e.PageName);
    std::memcpy(expected.PageDescription, e.PageDescription, sizeof e.PageDescription);
    expected.Picture = e.Picture;
    EXPECT_EQ(std::memcmp(&expected, &e, sizeof e), 0);
  }
}

TEST_F(PageTest, UnknownActionsAndNullRecordChangeNothing) {
  EXPECT_EQ(kw::OptionsPageCallback(nullptr), 0);
  for (std::int32_t action : {0, 6, -1, 1000}) EXPECT_EQ(Page(action), 0);
  EXPECT_EQ(kw::OptionsForm, nullptr);
  EXPECT_TRUE(HostCalls().empty());

  ASSERT_EQ(Page(1), 0);
  kw::TOptionsForm* form = kw::OptionsForm;
  View().TypeText(ComponentId::Memo1, "abc");
  const TRect32 before = View().Bounds();
  for (std::int32_t action : {0, 6, -1, 1000}) EXPECT_EQ(Page(action, {1, 1, 1, 1}), 0);
  EXPECT_EQ(kw::OptionsForm, form);
  EXPECT_EQ(R(View().Bounds()), R(before));
  EXPECT_TRUE(View().Visible());
  EXPECT_EQ(View().Text(ComponentId::Memo1), "abc");
  EXPECT_FALSE(std::filesystem::exists(ScriptFile()));
}

TEST_F(PageTest, HideSaveDestroyWithoutFormDoNothing) {
  kw::ScriptLines = {"sentinel"};
  kw::SpamList = {"kept"};
  WriteBytes(ScriptFile(), ":_init\r\nMOV $x, 1\r\n");
  for (std::int32_t action : {2, 3, 4, 5}) EXPECT_EQ(Page(action), 0);
  EXPECT_EQ(kw::OptionsForm, nullptr);
  EXPECT_TRUE(HostCalls().empty());
  EXPECT_EQ(kw::ScriptLines, kw::TScriptLines{"sentinel"});
  EXPECT_EQ(kw::SpamList, kw::TSpamList{"kept"});
  EXPECT_FALSE(std::filesystem::exists(SpamFile()));
}

TEST_F(PageTest, ShowingTwiceMakesOneFormRegisteredOnceAndLoadsOnce) {
  WriteBytes(ScriptFile(), "goto a\r\n");
  WriteBytes(SpamFile(), "spam\r\n");
  ASSERT_EQ(Page(1, {4, 8, 500, 400}), 0);
  kw::TOptionsForm* form = kw::OptionsForm;
  ASSERT_NE(form, nullptr);
  const auto handle = View().WindowHandle();
  View().SetCursorPos({0, 0});
  View().Select(ComponentId::Memo1, 8, 8);
  View().TypeText(ComponentId::Memo1, "x");
  WriteBytes(ScriptFile(), "changed on disk\r\n");
  Page(2);
  ASSERT_EQ(Page(1, {40, 50, 300, 200}), 0);

  EXPECT_EQ(kw::OptionsForm, form);
  const auto registered = CallsOf("Tlen/AddDialogHandle");
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].WParam, handle);
  EXPECT_EQ(registered[0].LParam, 0);
  EXPECT_EQ(View().Text(ComponentId::Memo1), "goto a\r\nx");
  EXPECT_EQ(View().Text(ComponentId::Memo2), "spam\r\n");
  EXPECT_EQ(R(View().Bounds()), R({40, 50, 300, 200}));
  EXPECT_TRUE(View().Visible());
  EXPECT_EQ(R(form->GetDockedRect()), R({4, 8, 500, 400}));
}

TEST_F(PageTest, FirstShowDocksWithoutDisturbingTheStoredRectangle) {
  kw::OptionsFormRect = {100, 120, 640, 480};
  ASSERT_EQ(Page(1, {4, 8, 500, 400}), 0);
  EXPECT_EQ(R(kw::OptionsFormRect), R({100, 120, 640, 480}));
  EXPECT_EQ(View().ParentWindow(), kPageWindow);
  EXPECT_EQ(View().BorderStyle(), kw::TBorderStyle::None);
  EXPECT_EQ(R(View().Bounds()), R({4, 8, 500, 400}));
  EXPECT_EQ(View().ActiveTab(), 0);
  EXPECT_EQ(View().Caption(), "Vortelindak - konfiguracja");
  EXPECT_EQ(kw::OptionsForm->GetHostWindow(), kPageWindow);
}

TEST_F(PageTest, DetachAndDockKeepTheFreeWindowRectangle) {
  kw::OptionsFormRect = {100, 120, 640, 480};
  Page(1, {4, 8, 500, 400});
  ASSERT_TRUE(View().ClickButton(ComponentId::Button2));
  EXPECT_EQ(View().ParentWindow(), 0);
  EXPECT_EQ(View().BorderStyle(), kw::TBorderStyle::Sizeable);
  EXPECT_EQ(R(View().Bounds()), R({100, 120, 640, 480}));

  View().SetBounds({30, 40, 700, 500});  // the user moves and sizes the free window
  ASSERT_TRUE(View().ClickButton(ComponentId::Button2));
  EXPECT_EQ(View().ParentWindow(), kPageWindow);
  EXPECT_EQ(View().BorderStyle(), kw::TBorderStyle::None);
  EXPECT_EQ(R(View().Bounds()), R({4, 8, 500, 400}));
  EXPECT_EQ(R(kw::OptionsFormRect), R({30, 40, 700, 500}));

  // Docking a docked form again leaves the stored rectangle alone.
  kw::OptionsForm->SetDetached(false);
  EXPECT_EQ(R(kw::OptionsFormRect), R({30, 40, 700, 500}));
  ASSERT_TRUE(View().ClickButton(ComponentId::Button2));
  EXPECT_EQ(R(View().Bounds()), R({30, 40, 700, 500}));
}

TEST_F(PageTest, DetachingWithNoStoredRectangleAppliesZeros) {
  Page(1);
  View().ClickButton(ComponentId::Button2);
  EXPECT_EQ(R(View().Bounds()), R({0, 0, 0, 0}));
  kw::OptionsForm->SetDetached(true);  // already free: nothing
  EXPECT_EQ(R(View().Bounds()), R({0, 0, 0, 0}));
}

TEST_F(PageTest, HideSaveAndDestroyDockAFreeWindowFirst) {
  for (std::int32_t action : {2, 3, 4, 5}) {
    SCOPED_TRACE(action);
    Page(1, {4, 8, 500, 400});
    const auto handle = View().WindowHandle();
    View().ClickButton(ComponentId::Button2);
    View().SetBounds({11, 22, 333, 444});
    HostCalls().clear();

    ASSERT_EQ(Page(action), 0);
    EXPECT_EQ(R(kw::OptionsFormRect), R({11, 22, 333, 444}));
    if (action == 5) {
      EXPECT_EQ(kw::OptionsForm, nullptr);
      const auto removed = CallsOf("Tlen/RemoveDialogHandle");
      ASSERT_EQ(removed.size(), 1u);
      EXPECT_EQ(removed[0].WParam, handle);
      EXPECT_EQ(removed[0].LParam, 0);
      continue;
    }
    EXPECT_EQ(View().ParentWindow(), kPageWindow);
    EXPECT_EQ(R(View().Bounds()), R({4, 8, 500, 400}));
    EXPECT_EQ(View().Visible(), action != 2);
    kw::FreeOptionsForm();
  }
}

TEST_F(PageTest, SecondShowElsewhereThenDetachAndDockReturnsToTheFirstArea) {
  Page(1, {4, 8, 500, 400});
  Page(1, {60, 70, 520, 410});
  EXPECT_EQ(R(View().Bounds()), R({60, 70, 520, 410}));
  View().ClickButton(ComponentId::Button2);
  View().ClickButton(ComponentId::Button2);
  EXPECT_EQ(R(View().Bounds()), R({4, 8, 500, 400}));
}

TEST_F(PageTest, WithoutLinkNothingGoesToTheHostAndTheFormStillWorks) {
  kw::PluginLink = nullptr;
  WriteBytes(ScriptFile(), "mov $a, 1\r\n");
  Page(1);
  ASSERT_NE(kw::OptionsForm, nullptr);
  EXPECT_EQ(View().Text(ComponentId::Memo1), "mov $a, 1\r\n");
  Page(3);
  Page(5);
  EXPECT_EQ(kw::OptionsForm, nullptr);
  EXPECT_TRUE(HostCalls().empty());
}

TEST_F(PageTest, DestroyedPageComesBackAsANewFormThatLoadsAgain) {
  WriteBytes(ScriptFile(), "one\r\n");
  Page(1);
  Page(5);
  WriteBytes(ScriptFile(), "two\r\n");
  Page(1);
  EXPECT_EQ(View().Text(ComponentId::Memo1), "two\r\n");
  EXPECT_EQ(CallsOf("Tlen/AddDialogHandle").size(), 2u);
  kw::FreeOptionsForm();  // as UnloadPlugin: the host is not told
  EXPECT_EQ(kw::OptionsForm, nullptr);
  EXPECT_TRUE(CallsOf("Tlen/RemoveDialogHandle").size() == 1u);
}

// A zero byte ends the script's whole text, but only its own line of the spam list:
// the spam editor shows the rules the spam loader keeps.
TEST_F(PageTest, LoadingMakesEveryBreakCrLfAndAZeroEndsTheScriptOrOneSpamLine) {
  using namespace std::string_literals;
  struct Case {
    std::string file;
    std::string script;
    std::string spam;
  } cases[] = {
      {"a\r\nb", "a\r\nb", "a\r\nb"},
      {"a\rb\nc", "a\r\nb\r\nc", "a\r\nb\r\nc"},
      {"a\n\rb", "a\r\n\r\nb", "a\r\n\r\nb"},
      {"a\r\r\nb\n", "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
      {"ab\0cd"s, "ab", "ab"},
      {"ab\0cd\r\nef\0\ngh"s, "ab", "ab\r\nef\r\ngh"},
      {"\0x\ry\0\0z\r\n\0"s, "", "\r\ny\r\n"},
      {"x\r\0\nkup"s, "x\r\n", "x\r\n\r\nkup"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spam);
    WriteBytes(ScriptFile(), c.file);
    WriteBytes(SpamFile(), c.file);
    Page(1);
    EXPECT_EQ(View().Text(ComponentId::Memo1), c.script);
    EXPECT_EQ(View().Text(ComponentId::Memo2), c.spam);
    std::vector<std::string> shown;
    for (std::size_t start = 0; start <= c.spam.size();) {
      const std::size_t end = std::min(c.spam.find("\r\n", start), c.spam.size());
      if (end > start) shown.push_back(c.spam.substr(start, end - start));
      start = end + 2;
    }
    kw::LoadSpamList();
    EXPECT_EQ(kw::SpamList, shown);
    kw::FreeOptionsForm();
  }
}

TEST_F(PageTest, MissingFilesLeaveEmptyEditorsWithoutComplaint) {
  Page(1);
  EXPECT_EQ(View().Text(ComponentId::Memo1), "");
  EXPECT_EQ(View().Text(ComponentId::Memo2), "");
  EXPECT_TRUE(View().Errors().empty());
}

TEST_F(PageTest, HostSaveWritesReloadsTheScriptRunsInitAndReloadsTheSpamList) {
  for (std::int32_t action : {3, 4}) {
    SCOPED_TRACE(action);
    kw::ClearVariables();
    Page(1);
    View().ClickButton(ComponentId::Button2);
    View().SetBounds({1, 2, 300, 300});
    View().SetText(ComponentId::Memo1, ":_init\r\nMOV $saved, 'yes'\r\n\r\nEXIT");
    View().SetText(ComponentId::Memo2, "kup teraz\r\n");

    ASSERT_EQ(Page(action), 0);
    EXPECT_EQ(R(kw::OptionsFormRect), R({1, 2, 300, 300}));
    EXPECT_EQ(ReadBytes(ScriptFile()), ":_init\r\nMOV $saved, 'yes'\r\n\r\nEXIT\r\n");
    EXPECT_EQ(ReadBytes(SpamFile()), "kup teraz\r\n");
    EXPECT_EQ(kw::ScriptLines, (kw::TScriptLines{":_init", "MOV $saved, 'yes'", "EXIT"}));
    EXPECT_EQ(kw::ResolveValue("$saved"), "yes");
    EXPECT_EQ(kw::SpamList.size(), 1u);
    EXPECT_TRUE(View().Errors().empty());
    kw::FreeOptionsForm();
  }
}

TEST_F(PageTest, ZapiszWritesBothFilesButLeavesTheRunningScript) {
  kw::ScriptLines = {"running"};
  Page(1);
  View().TypeText(ComponentId::Memo1, "mov $a, 1\r\nexit");
  View().TypeText(ComponentId::Memo2, "spam");
  ASSERT_TRUE(View().ClickButton(ComponentId::Button3));
  EXPECT_EQ(ReadBytes(ScriptFile()), "mov $a, 1\r\nexit\r\n");
  EXPECT_EQ(ReadBytes(SpamFile()), "spam\r\n");
  EXPECT_EQ(kw::ScriptLines, kw::TScriptLines{"running"});
  EXPECT_TRUE(kw::SpamList.empty());
}

TEST_F(PageTest, EmptyEditorsWriteEmptyFiles) {
  WriteBytes(ScriptFile(), "old");
  WriteBytes(SpamFile(), "old");
  Page(1);
  View().SetText(ComponentId::Memo1, "");
  View().SetText(ComponentId::Memo2, "\r\n");
  View().ClickButton(ComponentId::Button3);
  EXPECT_EQ(ReadBytes(ScriptFile()), "");
  EXPECT_EQ(ReadBytes(SpamFile()), "\r\n");
}

TEST_F(PageTest, ZapiszThatCannotWriteReportsItAndLosesNothing) {
  WriteBytes(ScriptFile(), "old script\r\n");
  Page(1);
  View().SetText(ComponentId::Memo1, "new script");
  View().SetText(ComponentId::Memo2, "new spam");
  kw::SetWriteFaultForTesting(3);  // the first file written fails half-way
  ASSERT_TRUE(View().ClickButton(ComponentId::Button3));

  EXPECT_EQ(ReadBytes(ScriptFile()), "old script\r\n");
  EXPECT_FALSE(std::filesystem::exists(SpamFile()));  // not tried after the failure
  EXPECT_EQ(View().Text(ComponentId::Memo1), "new script");
  ASSERT_EQ(View().Errors().size(), 1u);
  const std::string& error = View().Errors()[0];
  EXPECT_NE(error.find(std::string(kWriteFailed)), std::string::npos);
  EXPECT_LT(error.find(kw::ScriptPath), error.find(std::string(kWriteSkipped)));
  EXPECT_LT(error.find(std::string(kWriteSkipped)), error.find(kw::SpamListPath));

  // The next try goes through.
  View().ClickButton(ComponentId::Button3);
  EXPECT_EQ(ReadBytes(ScriptFile()), "new script\r\n");
  EXPECT_EQ(ReadBytes(SpamFile()), "new spam\r\n");
  EXPECT_EQ(View().Errors().size(), 1u);
}

// A settings file that could not be read at load is the page's to tell: no save will
// write it, and the user is told which file and what to do.
TEST_F(PageTest, SettingsFileUnreadAtLoadIsShown) {
  kw::SettingsPath = (folder_ / "Kwartlin" / "Kwartlin.ini").string();
  kw::SettingsUnread = true;
  Page(1);
  kw::SettingsUnread = false;
  ASSERT_EQ(View().Errors().size(), 1u);
  const std::string& error = View().Errors()[0];
  EXPECT_NE(error.find("Nie udało się odczytać pliku ustawień"_w), std::string::npos);
  EXPECT_NE(error.find(kw::SettingsPath), std::string::npos);
}

TEST_F(PageTest, HostSaveKeepsTheRunningScriptWhenItsFileCannotBeWritten) {
  WriteBytes(ScriptFile(), ":_init\r\nMOV $old, 1\r\n");
  kw::ReloadScript(false);
  const kw::TScriptLines running = kw::ScriptLines;
  Page(1);
  View().SetText(ComponentId::Memo1, ":_init\r\nMOV $new, 1");
  View().SetText(ComponentId::Memo2, "a b");
  kw::SetWriteFaultForTesting(0);
  ASSERT_EQ(Page(3), 0);

  EXPECT_EQ(kw::ScriptLines, running);
  EXPECT_EQ(kw::ResolveValue("$new"), "");
  EXPECT_TRUE(kw::SpamList.empty());  // its file was not tried, so it is not reloaded
  EXPECT_FALSE(std::filesystem::exists(SpamFile()));
  EXPECT_EQ(View().Errors().size(), 1u);
  EXPECT_EQ(View().Text(ComponentId::Memo1), ":_init\r\nMOV $new, 1");
}

// What failed decides what was written; a host save reloads exactly the files it wrote.
TEST_F(PageTest, ASaveStopsAtTheFirstFailureAndTheHostReloadsOnlyWhatItWrote) {
  enum class Fault { SpamWrite, ScriptEditorGone, SpamEditorGone };
  struct Case {
    Fault fault;
    std::int32_t action;  // 0: "Zapisz"
    bool scriptWritten;
  } cases[] = {
      {Fault::SpamWrite, 0, true},
      {Fault::SpamWrite, 3, true},
      {Fault::ScriptEditorGone, 4, false},
      {Fault::ScriptEditorGone, 0, false},
      {Fault::SpamEditorGone, 3, true},
  };
  const std::string oldScript = ":_init\r\nMOV $old, 1\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault) * 10 + c.action);
    WriteBytes(ScriptFile(), oldScript);
    std::filesystem::remove_all(SpamFile());
    if (c.fault == Fault::SpamWrite)
      std::filesystem::create_directories(SpamFile());  // no file can replace a folder
    else
      WriteBytes(SpamFile(), "old\r\n");
    kw::ClearVariables();
    kw::ReloadScript(false);
    kw::SpamList = {"running"};
    Page(1);
    View().SetText(ComponentId::Memo1, ":_init\r\nMOV $new, 1");
    View().SetText(ComponentId::Memo2, "new");
    if (c.fault == Fault::ScriptEditorGone) View().DestroyEditor(ComponentId::Memo1);
    if (c.fault == Fault::SpamEditorGone) View().DestroyEditor(ComponentId::Memo2);

    if (c.action == 0) {
      ASSERT_TRUE(View().ClickButton(ComponentId::Button3));
    } else {
      ASSERT_EQ(Page(c.action), 0);
    }
    EXPECT_EQ(ReadBytes(ScriptFile()), c.scriptWritten ? ":_init\r\nMOV $new, 1\r\n" : oldScript);
    if (c.fault != Fault::SpamWrite) {
      EXPECT_EQ(ReadBytes(SpamFile()), "old\r\n");
    }
    EXPECT_EQ(kw::ResolveValue("$new"), c.action != 0 && c.scriptWritten ? "1" : "");
    EXPECT_EQ(kw::SpamList, kw::TSpamList{"running"});
    ASSERT_EQ(View().Errors().size(), 1u);
    const std::string& failing = c.fault == Fault::ScriptEditorGone ? kw::ScriptPath : kw::SpamListPath;
    EXPECT_NE(View().Errors()[0].find(failing), std::string::npos);
    kw::FreeOptionsForm();
  }
}

TEST_F(PageTest, SaveCreatesAMissingDataFolder) {
  std::filesystem::remove_all(folder_ / "Kwartlin");
  Page(1);
  View().TypeText(ComponentId::Memo1, "exit");
  View().ClickButton(ComponentId::Button3);
  EXPECT_EQ(ReadBytes(ScriptFile()), "exit\r\n");
  EXPECT_TRUE(View().Errors().empty());
}

}  // namespace
}  // namespace kwtest
