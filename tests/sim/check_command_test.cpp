// "kwartlin-sim check": the three formats, spam lists by name or option, and the exit
// codes (0 clean or notes only, 1 an error or a warning, 2 a file it cannot read).
#include <gtest/gtest.h>

#include <sstream>

#include "tests/common/files.h"
#include "tools/sim/driver.h"

namespace {

class CheckCommand : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    kwtest::WriteBytes(folder_ / name, bytes);
    return folder_ / name;
  }
  int Check(const std::vector<std::string>& files, const std::string& format, bool spam = false) {
    out_.str("");
    err_.str("");
    return kwsim::RunCheck(files, kwsim::CheckOptions{format, spam}, out_, err_);
  }
  kwtest::TempFolder folder_{"kw_sim_check"};
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(CheckCommand, FormatsAndExitCodes) {
  const std::string clean = Write("clean.dat", ":_start\r\nEXIT\r\n");
  const std::string bad = Write("bad.dat", "EXIT\r\n  SEND $_ID, bardzo\r\n");
  const std::string note = Write("note.dat", "MOV $unused, 1\r\n");
  struct Row {
    std::vector<std::string> files;
    std::string format;
    int exit;
    std::string part;  // of the output
  } rows[] = {
      {{clean}, "text", kwsim::kExitOk, clean + ": no findings\n"},
      {{clean}, "gcc", kwsim::kExitOk, ""},
      {{bad}, "text", kwsim::kExitFailure, bad + ":2:14: KW303 binary-word: 'bardzo' starts with b"},
      {{bad}, "gcc", kwsim::kExitFailure, bad + ":2:14: warning: 'bardzo' starts with b"},
      {{bad}, "json", kwsim::kExitFailure,
       "\",\"line\":2,\"column\":14,\"endColumn\":20,\"code\":\"KW303\",\"name\":\"binary-word\",\"severity\":\"warning\""},
      {{bad}, "json", kwsim::kExitFailure, "\"fix\":{\"line\":2,\"column\":14,\"endColumn\":20,\"text\":\"'bardzo'\""},
      {{note}, "gcc", kwsim::kExitOk, ": note: '$UNUSED' is written here, but no line reads it [KW212]"},
      {{bad, folder_ / "missing.dat"}, "text", kwsim::kExitUsage, ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Check(r.files, r.format), r.exit) << r.format << " " << r.part;
    EXPECT_NE(out_.str().find(r.part), std::string::npos) << out_.str();
  }
  EXPECT_NE(err_.str().find("missing.dat: cannot read the file"), std::string::npos);
}

// A settings file is named, not checked as a script, and its encoding is told.
TEST_F(CheckCommand, SettingsFileIsNamedNotChecked) {
  const std::string plain = Write("Kwartlin.INI", "[Var_Save]\r\n$A=1\r\n");
  const std::string marked = Write("saved by notepad.ini", "\xEF\xBB\xBF[Var_Save]\r\n");
  EXPECT_EQ(Check({plain, marked}, "text"), kwsim::kExitOk);
  EXPECT_EQ(out_.str(), plain + ": a settings file, not a script: nothing to check\n" + marked +
                            ": a settings file, not a script: nothing to check; written in UTF-8 with a mark "
                            "(as Notepad saves it): the plugin reads it and saves it in the same encoding\n");
}

// A file named *.spm, in any case, is a spam list; --spam makes every file one.
TEST_F(CheckCommand, SpamListsByNameOrByOption) {
  const std::string rules = "kup | sprzedaj\r\n";
  const std::string list = Write("Kwartlin.SPM", rules);
  const std::string other = Write("rules.txt", rules);
  EXPECT_EQ(Check({list}, "text"), kwsim::kExitFailure);
  EXPECT_NE(out_.str().find(list + ":1:1: KW403 never-matches: "), std::string::npos) << out_.str();
  EXPECT_EQ(Check({other}, "text"), kwsim::kExitFailure);
  EXPECT_NE(out_.str().find(" KW201 unknown-command: "), std::string::npos) << out_.str();
  EXPECT_EQ(Check({other}, "text", true), kwsim::kExitFailure);
  EXPECT_NE(out_.str().find(" KW403 never-matches: "), std::string::npos) << out_.str();
}

}  // namespace
