// Saves that fail on Windows: the file that was there stays as it was, and the working
// copy beside it is gone.
#include <windows.h>

#include <gtest/gtest.h>

#include "host/globals.h"
#include "settings/settings.h"
#include "settings_fixture.h"

using namespace kw;

namespace {

TEST(SettingsFailure, ReadOnlyFileKeepsItsContents) {
  kwtest::TempFolder folder;
  std::filesystem::create_directories(folder.Path() / "Kwartlin");
  SettingsPath = (folder.Path() / "Kwartlin" / "Kwartlin.ini").string();
  const std::string old = "[Var_Save]\r\n$X=old\r\n";
  kwtest::WriteFile(SettingsPath, old);
  ASSERT_TRUE(SetFileAttributesA(SettingsPath.c_str(), FILE_ATTRIBUTE_READONLY));
  VariableTable.Clear();
  VariableTable.Append(TZmienna{"$X", "new", true});
  EXPECT_FALSE(SaveSettings());
  EXPECT_EQ(kwtest::ReadFile(SettingsPath), old);
  const auto dir = folder.Path() / "Kwartlin";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  SetFileAttributesA(SettingsPath.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(SaveSettings());
  EXPECT_NE(kwtest::ReadFile(SettingsPath).find("$X=new"), std::string::npos);
  VariableTable.Clear();
  SettingsPath.clear();
}

}  // namespace
