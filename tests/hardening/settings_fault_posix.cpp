// SaveConfig whose write fails midway (the write-fault hook cuts the new settings file
// short): the previous settings file stays as it was, nothing is left beside it, and the
// next SaveConfig writes the file whole.
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
  for (long long cut : {0LL, 7LL, 1LL << 20}) {
    SCOPED_TRACE(cut);
    kw::SetWriteFaultForTesting(cut);
    kw::RunScript(kw::ScriptLines, kw::entryStart);
    EXPECT_EQ(ReadBytes(data_ / "Kwartlin.ini"), old);
    EXPECT_EQ(FolderNames(data_), std::vector<std::string>{"Kwartlin.ini"});
  }
  kw::RunScript(kw::ScriptLines, kw::entryStart);
  EXPECT_NE(ReadBytes(data_ / "Kwartlin.ini").find("$X=new"), std::string::npos);
}

}  // namespace
}  // namespace kwhard
