// The data files into the engine's state, against real files in a folder of their own:
// what a reload does to the script, the variables and the menu entries, the spam list
// with its matcher, unusable files, and SaveConfig through the plugin's script host.
#include <filesystem>

#include "host/data_files.h"
#include "host_fixture.h"
#include "script/KwartlinConst.h"
#include "script/spam.h"
#include "settings/settings.h"
#include "tests/common/files.h"
#include "unreadable.h"

using namespace kw;
namespace fs = std::filesystem;

namespace kwtest {
namespace {

using Lines = std::vector<std::string>;

class DataFiles : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ScriptPath = (dir_ / "Kwartlin.dat").string();
    SpamListPath = (dir_ / "Kwartlin.spm").string();
    SettingsPath = (dir_ / "Kwartlin.ini").string();
  }
  void TearDown() override {
    SpamList.clear();
    ScriptPath.clear();
    SpamListPath.clear();
    SettingsPath.clear();
    SettingsUnread = false;
    HostTest::TearDown();
  }
  // The file made unreadable: a folder where it should be.
  static void MakeFolder(const std::string& path) {
    fs::remove(path);
    fs::create_directory(path);
  }
  TempFolder folder_{"kw_data_files"};
  const fs::path dir_ = folder_.Path();
};

TEST_F(DataFiles, ReloadReplacesTheScriptEmptiesTheVariablesAndClearsTheMenu) {
  WriteBytes(ScriptPath, "// hello\r\n:_start\r\nMOV $s, 1\r\n:_init\r\n  MOV $a, 1 // one\r\n");
  SetVariable("$old", "1", true);
  AddOrRenameMenuEntry("x", "X");
  ReloadScript(false);
  EXPECT_EQ(ScriptLines, (Lines{":_start", "MOV $s, 1", ":_init", "MOV $a, 1"}));
  EXPECT_TRUE(VariableTable.empty());  // saved variables included
  EXPECT_TRUE(MenuEntries.empty());

  SetVariable("$a", "before", false);
  ReloadScript(true);  // _init runs on the emptied table, and only _init
  EXPECT_EQ(ResolveValue("$a"), "1");
  EXPECT_EQ(VariableTable.size(), 1u);
}

// An edited script applied from the options page keeps what the old one saved, values,
// flags and order as they were, and its _init sees them; the rest is gone.
TEST_F(DataFiles, ReloadWithRunKeepsTheSavedVariables) {
  WriteBytes(ScriptPath, ":_init\r\nADD $count, 1\r\nMOV $seen, $list\r\n");
  SetVariable("$list", "a\nb", true);
  SetVariable("$temp", "x", false);
  SetVariable("$count", "4", true);
  SetSaveFlag("$dropped", false);
  SetSaveFlag("$dropped", false);
  ReloadScript(true);
  ASSERT_EQ(VariableTable.size(), 3u);
  EXPECT_EQ(VariableTable[0].Name, "$LIST");
  EXPECT_EQ(VariableTable[0].Value, "a\nb");
  EXPECT_EQ(VariableTable[1].Name, "$COUNT");
  EXPECT_EQ(VariableTable[1].Value, "5");
  EXPECT_TRUE(VariableTable[0].Save && VariableTable[1].Save);
  EXPECT_EQ(VariableTable[2].Name, "$SEEN");
  EXPECT_FALSE(VariableTable[2].Save);
  EXPECT_EQ(ResolveValue("$seen"), "a\nb");
  EXPECT_EQ(ResolveValue("$temp"), "");
}

TEST_F(DataFiles, ScriptThatCannotBeReadLeavesAnEmptyScriptAndTheVariables) {
  for (const bool folder : {false, true}) {
    WriteBytes(ScriptPath, ":_init\nMOV $a, 1\n");
    ReloadScript(false);
    ASSERT_EQ(ScriptLines.size(), 2u);
    AddOrRenameMenuEntry("x", "X");
    SetVariable("$keep", "1", false);
    if (folder) MakeFolder(ScriptPath);
    else fs::remove(ScriptPath);
    ReloadScript(true);
    EXPECT_TRUE(ScriptLines.empty()) << folder;
    EXPECT_EQ(ResolveValue("$keep"), "1") << folder;
    EXPECT_TRUE(MenuEntries.empty()) << folder;
    fs::remove_all(ScriptPath);
  }
}

TEST_F(DataFiles, SpamListIsReadAndChecked) {
  WriteBytes(SpamListPath, ";comment\r\nkup|sprzedam tanio\r\n");
  LoadSpamList();
  EXPECT_EQ(SpamList, Lines{"kup|sprzedam tanio"});
  EXPECT_TRUE(IsSpam("sprzedam TANIO"));
  EXPECT_FALSE(IsSpam("tanio"));
}

TEST_F(DataFiles, SpamListThatCannotBeReadIsEmpty) {
  for (const bool folder : {false, true}) {
    SpamList = {"stale"};
    if (folder) MakeFolder(SpamListPath);
    LoadSpamList();
    EXPECT_TRUE(SpamList.empty()) << folder;
    EXPECT_FALSE(IsSpam("stale")) << folder;
  }
}

TEST_F(DataFiles, SaveConfigWritesTheSettingsFile) {
  SetVariable("$kept", "v", true);
  Script({"SaveConfig now", "MOV $after, 1"});
  RunScript(ScriptLines, entryStart);
  EXPECT_EQ(ResolveValue("$after"), "1");
  ClearVariables();
  TRect32 rect;
  LoadSettings(SettingsPath, VariableTable, rect);
  EXPECT_EQ(ResolveValue("$kept"), "v");
}

// A file that is there but cannot be read at load is never replaced by a save, however
// often the script saves and whether or not it can be read meanwhile; the next load that
// can read it brings its values back. Each refusal says why.
TEST_F(DataFiles, UnreadableSettingsFileIsNeverOverwritten) {
  const std::string old = "[Var_Save]\r\n$OLD=" + std::string(50000, 'o') + "\r\n";
  WriteBytes(SettingsPath, old);
  {
    UnreadableFile unreadable(SettingsPath);
    LoadSettingsFile();
    EXPECT_TRUE(SettingsUnread);
    EXPECT_EQ(ResolveValue("$OLD"), "");
    SetVariable("$NEW", "n", true);
    SaveSettingsFile();
  }
  SaveSettingsFile();
  EXPECT_TRUE(ReadBytes(SettingsPath) == old);
  EXPECT_EQ(ResolveValue("$NEW"), "n");  // kept in memory
  ClearVariables();
  LoadSettingsFile();
  EXPECT_FALSE(SettingsUnread);
  EXPECT_EQ(ResolveValue("$OLD"), std::string(50000, 'o'));
  // An absent file is the normal first start: the save creates it.
  fs::remove(SettingsPath);
  LoadSettingsFile();
  EXPECT_FALSE(SettingsUnread);
  SaveSettingsFile();
  EXPECT_TRUE(fs::exists(SettingsPath));
}

}  // namespace
}  // namespace kwtest
