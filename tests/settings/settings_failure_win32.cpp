// Saves that fail on Windows: the file that was there stays as it was, and the working
// copy beside it is gone.
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/settings.h"
#include "settings_fixture.h"

using namespace kw;

namespace {

// Another program holds the file open: with no sharing the copy cannot be made; with
// reading shared the copy is made but cannot be moved over the file.
TEST(SettingsFailure, FileHeldOpenKeepsItsContents) {
  kwtest::TempFolder folder;
  const auto dir = folder.Path() / "Kwartlin";
  std::filesystem::create_directories(dir);
  kwtest::SettingsState state;
  state.SettingsPath = (dir / "Kwartlin.ini").string();
  const std::string old = "[Var_Save]\r\n$X=old\r\n";
  kwtest::WriteBytes(state.SettingsPath, old);
  state.Variables.Append(TZmienna{"$X", "new", true});
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    SCOPED_TRACE(share);
    HANDLE held = CreateFileA(state.SettingsPath.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(state.Save());
    CloseHandle(held);
    EXPECT_EQ(kwtest::ReadBytes(state.SettingsPath), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  }
  EXPECT_TRUE(state.Save());
  EXPECT_NE(kwtest::ReadBytes(state.SettingsPath).find("$X=new"), std::string::npos);
}

}  // namespace
