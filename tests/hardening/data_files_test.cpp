// Data files the plugin cannot use, through the real module: each of the three is a
// folder, or the data folder cannot be made because a file stands in its place. The
// plugin loads, runs and unloads without a crash (nothing escapes into the host), uses
// its defaults for what it cannot read, and leaves the user's files as they were.
#include "tests/integration/module_fixture.h"

#include <string>

namespace kwit {
namespace {

class DataFiles : public ModuleTest {
 protected:
  // A file of the user's beside the data files, which nothing may touch.
  void WriteNotes() { WriteData("notatki.txt", "moje notatki\r\n"); }
  void ExpectNotesUntouched() { EXPECT_EQ(ReadData("notatki.txt"), "moje notatki\r\n"); }

  // One of the data files as a folder with a file of its own inside.
  void MakeFolder(const std::string& name) {
    fs::create_directories(DataPath(name));
    WriteBytes(DataPath(name) / "wewnatrz.txt", "zawartosc");
  }
  void ExpectFolderUntouched(const std::string& name) {
    EXPECT_TRUE(fs::is_directory(DataPath(name)));
    EXPECT_EQ(ReadBytes(DataPath(name) / "wewnatrz.txt"), "zawartosc");
  }

  // Load, a message, a popup, the service, SaveConfig, unload: everything that reads or
  // writes a data file.
  kwtest::Delivery Exercise() {
    Load();
    host_.CallPluginService("KWARTLIN/PROC_BRIX", kw::ToParam("mov $z, 1"), 0);
    const kwtest::Delivery d = host_.Deliver("TLEN", "ala@tlen.pl", "kup tanio");
    host_.OpenPopup("ala@tlen.pl");
    Unload();
    return d;
  }

  static constexpr const char* kScript =
      ":_start\r\nCHKSPAM $s, $_MESSAGE\r\nSTRCON $_MESSAGE, '|', $s, '|', $kept\r\nSAVE $z, 1\r\nSaveConfig\r\n";
};

TEST_F(DataFiles, ScriptFileIsAFolder) {
  WriteNotes();
  MakeFolder("Kwartlin.dat");
  WriteData("Kwartlin.spm", "kup\r\n");
  const kwtest::Delivery d = Exercise();
  EXPECT_EQ(d.Text, "kup tanio");  // no script: the message passes unchanged
  ExpectFolderUntouched("Kwartlin.dat");
  ExpectNotesUntouched();
}

TEST_F(DataFiles, SpamListIsAFolder) {
  WriteNotes();
  MakeFolder("Kwartlin.spm");
  WriteData("Kwartlin.dat", kScript);
  WriteData("Kwartlin.ini", "[Var_Save]\r\n$KEPT=tak\r\n");
  const kwtest::Delivery d = Exercise();
  EXPECT_EQ(d.Text, "kup tanio|0|tak");  // an empty list: nothing is spam
  ExpectFolderUntouched("Kwartlin.spm");
  ExpectNotesUntouched();
  EXPECT_NE(ReadData("Kwartlin.ini").find("$Z=1"), std::string::npos);
}

TEST_F(DataFiles, SettingsFileIsAFolder) {
  WriteNotes();
  MakeFolder("Kwartlin.ini");
  WriteData("Kwartlin.dat", kScript);
  WriteData("Kwartlin.spm", "kup\r\n");
  const kwtest::Delivery d = Exercise();
  EXPECT_EQ(d.Text, "kup tanio|1|");  // no saved values; SaveConfig and unload fail quietly
  ExpectFolderUntouched("Kwartlin.ini");
  ExpectNotesUntouched();
}

TEST_F(DataFiles, DataFolderCannotBeMade) {
  WriteBytes(dir_ / "Kwartlin", "to nie folder");
  WriteBytes(dir_ / "inny.txt", "cudzy plik");
  const kwtest::Delivery d = Exercise();
  EXPECT_EQ(d.Text, "kup tanio");
  EXPECT_EQ(ReadBytes(dir_ / "Kwartlin"), "to nie folder");
  EXPECT_EQ(ReadBytes(dir_ / "inny.txt"), "cudzy plik");
  EXPECT_TRUE(fs::is_regular_file(dir_ / "Kwartlin"));
}

}  // namespace
}  // namespace kwit
