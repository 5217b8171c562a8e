// SaveConfig on Windows, where the new file is written beside the old one and moved over
// it at the end: with the file held open by another program the move fails, the previous
// file stays as it was and nothing is left beside it. (A disk that fills up is the
// write-fault hook's, in tests/settings/settings_test.cpp, for both builds.)
#include <windows.h>

#include "inprocess_fixture.h"

#include "script/KwartlinConst.h"
#include "script/interpreter.h"

namespace kwhard {
namespace {

class SettingsFault : public InProcess {};

TEST_F(SettingsFault, SaveConfigKeepsTheOldFile) {
  const std::string old = "[Var_Save]\r\n$X=old\r\n[OptionsForm]\r\nOptFormRectX=1\r\n";
  WriteBytes(data_ / "Kwartlin.ini", old);
  kw::ScriptLines = {":_start", "MOV $x, new", "SAVE $x, 1", "SaveConfig"};
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    SCOPED_TRACE(share);
    HANDLE held = CreateFileA(kw::SettingsPath.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    kw::RunScript(kw::ScriptLines, kw::entryStart);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(data_ / "Kwartlin.ini"), old);
    EXPECT_EQ(FolderNames(data_), std::vector<std::string>{"Kwartlin.ini"});
  }
  kw::RunScript(kw::ScriptLines, kw::entryStart);
  EXPECT_NE(ReadBytes(data_ / "Kwartlin.ini").find("$X=new"), std::string::npos);
}

}  // namespace
}  // namespace kwhard
