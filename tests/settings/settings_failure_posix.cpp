// Saves that fail on POSIX: the file that was there stays as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include "host/globals.h"
#include "settings/settings.h"
#include "settings_fixture.h"
#include "support/platform.h"

using namespace kw;

namespace {

class SettingsFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    VariableTable.Clear();
    VariableTable.Append(TZmienna{"$X", "new", true});
    std::filesystem::create_directories(folder_.Path() / "Kwartlin");
    SettingsPath = folder_ / "Kwartlin/Kwartlin.ini";
    kwtest::WriteFile(SettingsPath, kOld);
  }
  void TearDown() override {
    SetWriteFaultForTesting(-1);
    VariableTable.Clear();
    SettingsPath.clear();
  }
  static constexpr const char* kOld = "[Var_Save]\r\n$X=old\r\n";
  kwtest::TempFolder folder_;
};

TEST_F(SettingsFailure, DiskFullHalfwayKeepsTheOldFile) {
  SetWriteFaultForTesting(5);
  EXPECT_FALSE(SaveSettings());
  EXPECT_EQ(kwtest::ReadFile(SettingsPath), kOld);
  EXPECT_TRUE(SaveSettings());  // the fault was one shot
  EXPECT_NE(kwtest::ReadFile(SettingsPath).find("$X=new"), std::string::npos);
}

TEST_F(SettingsFailure, ReadOnlyFolderKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  const auto folder = folder_.Path() / "Kwartlin";
  std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(SaveSettings());
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  EXPECT_EQ(kwtest::ReadFile(SettingsPath), kOld);
}

}  // namespace
