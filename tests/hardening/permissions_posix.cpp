// Data files the user's rights do not allow: unreadable (mode 000) or unwritable (a
// read-only file in a read-only folder). The plugin loads, runs and unloads, treats an
// unreadable file as absent and leaves every file as it was. Where the rights do not
// stop this process (running as root), the test is skipped: access() tells.
#include <sys/stat.h>
#include <unistd.h>

#include "tests/integration/module_fixture.h"

namespace kwit {
namespace {

class Permissions : public ModuleTest {
 protected:
  void TearDown() override {
    ::chmod(dir_.c_str(), 0755);
    ::chmod((dir_ / "Kwartlin").c_str(), 0755);
    for (const char* name : {"Kwartlin.dat", "Kwartlin.spm", "Kwartlin.ini"})
      ::chmod(DataPath(name).c_str(), 0644);
    ModuleTest::TearDown();
  }
};

TEST_F(Permissions, UnreadableDataFiles) {
  WriteScript({":_start", "MOV $_MESSAGE, 'script ran'"});
  WriteData("Kwartlin.spm", "kup\r\n");
  WriteData("Kwartlin.ini", "[Var_Save]\r\n$A=1\r\n");
  for (const char* name : {"Kwartlin.dat", "Kwartlin.spm", "Kwartlin.ini"}) ::chmod(DataPath(name).c_str(), 0);
  if (::access(DataPath("Kwartlin.dat").c_str(), R_OK) == 0) GTEST_SKIP() << "mode 000 does not stop reading here";

  Load();
  EXPECT_EQ(host_.Deliver("GG", "1", "kup").Text, "kup");  // no script ran
  Unload();
  for (const char* name : {"Kwartlin.dat", "Kwartlin.spm", "Kwartlin.ini"}) ::chmod(DataPath(name).c_str(), 0644);
  EXPECT_EQ(ReadData("Kwartlin.dat"), ":_start\r\nMOV $_MESSAGE, 'script ran'\r\n");
  EXPECT_EQ(ReadData("Kwartlin.spm"), "kup\r\n");
  EXPECT_EQ(ReadData("Kwartlin.ini"), "[Var_Save]\r\n$A=1\r\n");  // not overwritten with nothing
}

TEST_F(Permissions, UnwritableSettings) {
  WriteScript({":_start", "MOV $a, 2", "SaveConfig", "MOV $_MESSAGE, $a"});
  WriteData("Kwartlin.ini", "[Var_Save]\r\n$A=1\r\n");
  ::chmod(DataPath("Kwartlin.ini").c_str(), 0444);
  ::chmod((dir_ / "Kwartlin").c_str(), 0555);
  if (::access((dir_ / "Kwartlin").c_str(), W_OK) == 0) GTEST_SKIP() << "read-only rights do not stop writing here";

  Load();
  EXPECT_EQ(host_.Deliver("GG", "1", "x").Text, "2");
  Unload();
  EXPECT_EQ(ReadData("Kwartlin.ini"), "[Var_Save]\r\n$A=1\r\n");
}

}  // namespace
}  // namespace kwit
