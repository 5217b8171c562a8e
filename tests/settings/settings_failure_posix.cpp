// Saves that fail on POSIX: the file that was there stays as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include "settings/settings.h"
#include "settings_fixture.h"
#include "support/platform.h"

using namespace kw;

namespace {

class SettingsFailure : public ::testing::Test, protected kwtest::SettingsState {
 protected:
  void SetUp() override {
    Variables.Append(TZmienna{"$X", "new", true});
    std::filesystem::create_directories(folder_.Path() / "Kwartlin");
    SettingsPath = folder_ / "Kwartlin/Kwartlin.ini";
    kwtest::WriteBytes(SettingsPath, kOld);
  }
  void TearDown() override { SetWriteFaultForTesting(-1); }
  static constexpr const char* kOld = "[Var_Save]\r\n$X=old\r\n";
  kwtest::TempFolder folder_;
};

TEST_F(SettingsFailure, DiskFullHalfwayKeepsTheOldFile) {
  SetWriteFaultForTesting(5);
  EXPECT_FALSE(Save());
  EXPECT_EQ(kwtest::ReadBytes(SettingsPath), kOld);
  EXPECT_TRUE(Save());  // the fault was one shot
  EXPECT_NE(kwtest::ReadBytes(SettingsPath).find("$X=new"), std::string::npos);
}

TEST_F(SettingsFailure, ReadOnlyFolderKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  const auto folder = folder_.Path() / "Kwartlin";
  std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(Save());
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  EXPECT_EQ(kwtest::ReadBytes(SettingsPath), kOld);
}

}  // namespace
