// A write that fails midway (the platform's write-fault hook cuts the temporary file
// short, as a full disk would) leaves the previous file as it was: the script and the
// spam list through the options page's save. The plugin goes on with what it had.
// Data files that are symbolic links are saved where the links point.
#include "inprocess_fixture.h"

#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "settings/settings.h"

namespace kwhard {
namespace {

class AtomicSave : public InProcess {};

constexpr const char* kOldScript = ":_init\r\nMOV $v, old\r\n";
constexpr const char* kOldSpam = "stary\r\n";

TEST_F(AtomicSave, ScriptKeepsItsOldFileAndKeepsRunning) {
  WriteBytes(data_ / "Kwartlin.dat", kOldScript);
  WriteBytes(data_ / "Kwartlin.spm", kOldSpam);
  kw::ReloadScript(false);
  kw::LoadSpamList();
  Page(1);
  View().SetText(kw::ComponentId::Memo1, ":_init\r\nMOV $v, new\r\n");
  View().SetText(kw::ComponentId::Memo2, "nowy\r\n");
  for (long long cut : {0LL, 5LL, 1LL << 20}) {  // nothing, part, and all of it written
    SCOPED_TRACE(cut);
    kw::SetWriteFaultForTesting(cut);
    Page(3);
    EXPECT_EQ(ReadBytes(data_ / "Kwartlin.dat"), kOldScript);
    EXPECT_EQ(kw::ScriptLines, (kw::TScriptLines{":_init", "MOV $v, old"}));  // not reloaded
    EXPECT_EQ(ReadBytes(data_ / "Kwartlin.spm"), kOldSpam);  // not tried after the script's failure
    EXPECT_EQ(kw::SpamList, (kw::TSpamList{"stary"}));
    EXPECT_FALSE(View().Errors().empty());
    EXPECT_EQ(FolderNames(data_), (std::vector<std::string>{"Kwartlin.dat", "Kwartlin.spm"}));
  }
  Page(3);  // no fault now
  EXPECT_EQ(ReadBytes(data_ / "Kwartlin.dat"), ":_init\r\nMOV $v, new\r\n");
  EXPECT_EQ(kw::ResolveValue("$v"), "new");
}

// The spam list is written second, and a save stops at its first failure. With the
// script's folder blocked by a file, the script's save fails before it writes anything,
// so the spam list is not even tried.
TEST_F(AtomicSave, SpamListKeepsItsOldFile) {
  const std::string scriptPath = kw::ScriptPath;
  WriteBytes(root_ / "zablokowany", "plik zamiast folderu");
  kw::ScriptPath = (root_ / "zablokowany" / "Kwartlin.dat").string();
  WriteBytes(data_ / "Kwartlin.spm", kOldSpam);
  kw::LoadSpamList();
  Page(1);
  View().SetText(kw::ComponentId::Memo2, "nowy\r\n");
  Page(3);
  EXPECT_EQ(ReadBytes(data_ / "Kwartlin.spm"), kOldSpam);
  EXPECT_EQ(kw::SpamList, (kw::TSpamList{"stary"}));
  EXPECT_EQ(FolderNames(data_), std::vector<std::string>{"Kwartlin.spm"});
  kw::ScriptPath = scriptPath;
  Page(3);
  EXPECT_EQ(ReadBytes(data_ / "Kwartlin.spm"), "nowy\r\n");
  EXPECT_EQ(kw::SpamList, (kw::TSpamList{"nowy"}));
  EXPECT_EQ(ReadBytes(root_ / "zablokowany"), "plik zamiast folderu");
}

// The three data files as links into another folder (a synced one, say), the settings
// file's link dangling: the options page's save and SaveConfig reach the files the links
// point to (the missing one is made), and the links stay links.
TEST_F(AtomicSave, LinkedDataFilesAreSavedWhereTheyPoint) {
  const fs::path synced = root_ / "synced";
  fs::create_directories(synced);
  WriteBytes(synced / "Kwartlin.dat", kOldScript);
  WriteBytes(synced / "Kwartlin.spm", kOldSpam);
  const std::vector<std::string> names{"Kwartlin.dat", "Kwartlin.ini", "Kwartlin.spm"};
  try {
    for (const std::string& name : names) fs::create_symlink(fs::path("..") / "synced" / name, data_ / name);
  } catch (const fs::filesystem_error&) {
  }
  if (!fs::is_symlink(data_ / "Kwartlin.ini")) GTEST_SKIP() << "this system makes no symbolic links";
  kw::ReloadScript(false);
  kw::LoadSpamList();
  Page(1);
  View().SetText(kw::ComponentId::Memo1, ":_init\r\nMOV $v, new\r\n");
  View().SetText(kw::ComponentId::Memo2, "nowy\r\n");
  Page(3);
  kw::ScriptLines = {":_start", "MOV $x, new", "SAVE $x, 1", "SaveConfig"};
  kw::RunScript(kw::ScriptLines, kw::entryStart);
  EXPECT_EQ(ReadBytes(synced / "Kwartlin.dat"), ":_init\r\nMOV $v, new\r\n");
  EXPECT_EQ(ReadBytes(synced / "Kwartlin.spm"), "nowy\r\n");
  EXPECT_NE(ReadBytes(synced / "Kwartlin.ini").find("$X=new"), std::string::npos);
  for (const std::string& name : names) EXPECT_TRUE(fs::is_symlink(data_ / name)) << name;
  EXPECT_EQ(FolderNames(synced), names);
  EXPECT_EQ(FolderNames(data_), names);
}

}  // namespace
}  // namespace kwhard
