// The script checker: each kind of finding at the line where it stands, the line
// preparation it shares with the plugin, and the exit codes of "check".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/cp1250.h"
#include "tools/sim/checker.h"
#include "tools/sim/driver.h"
#include "tools/sim/report.h"

using kwsim::CheckScript;
using kwsim::Finding;
using namespace kw;

namespace {

std::string Script(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

std::string Describe(const std::vector<Finding>& found) {
  std::string s;
  for (const Finding& f : found) s += std::to_string(f.Line) + " " + f.Kind + ": " + f.Message + "\n";
  return s;
}

// One script per kind: the finding comes once, at its line, and nothing else is found.
TEST(Checker, EachKindOfFindingAtItsLine) {
  struct Case {
    std::string name;
    std::string script;
    int line;
    std::string kind;
    std::string part;  // a part of the message
  } cases[] = {
      {"unknown keyword", Script({":_start", "MOVE $a, 1"}), 2, "unknown-command", "'MOVE' is no command"},
      {"glued keyword", Script({"MOV$a, 1"}), 1, "unknown-command", "a blank must follow the keyword MOV"},
      {"indented comment keeps", Script({"// head", "  FOO 1 // x"}), 2, "unknown-command", "'FOO'"},
      {"too few MOV", Script({"MOV $a"}), 1, "too-few-parameters", "MOV needs 2 parameters, the line has 1"},
      {"too few STRCOPY", Script({"STRCOPY $r, 'abc', 1"}), 1, "too-few-parameters", "STRCOPY needs 4"},
      {"too few CONINFO", Script({"CONINFO $_ID, $n, $g, $d"}), 1, "too-few-parameters", "CONINFO needs 5"},
      {"trailing comma", Script({"SEND $_ID,"}), 1, "too-few-parameters", "the line has 1"},
      {"too few MenuShow", Script({"menushow 'x'"}), 1, "too-few-parameters", "MenuShow needs 2"},
      {"MenuDel empty", Script({"MenuDel"}), 1, "too-few-parameters", "MenuDel needs an entry name"},
      {"GOTO nowhere", Script({"GOTO end", ":start"}), 1, "missing-label", "GOTO to 'end'"},
      {"CALL nowhere", Script({":a", "CALL sub"}), 2, "missing-label", "CALL to 'sub'"},
      {"GOTO nothing", Script({"GOTO"}), 1, "missing-label", "GOTO without a label name"},
      {"label with blank", Script({"GOTO end", ": end"}), 1, "missing-label", "line 2 has blanks after its colon"},
      {"GOTO is not resolved", Script({"MOV $x, 'end'", "GOTO $x", ":end"}), 2, "missing-label", "'$x'"},
      {"duplicate", Script({":loop", "EXIT", ":LOOP"}), 3, "duplicate-label", "already defined at line 1"},
      {"duplicate Polish", Script({std::string(":żółw"_w), "EXIT", std::string(":ŻÓŁW"_w)}), 3,
       "duplicate-label", "line 1"},
      {"IF last", Script({":_start", "IF $a = 1", "// only a comment"}), 2, "if-last-line", "last line"},
      {"IF before label", Script({"IF $a = 1", ":skip", "EXIT"}), 1, "if-before-label", "':skip'"},
      {"IF no operator", Script({"IF $a", "EXIT"}), 1, "if-condition", "no operator"},
      {"IF no right", Script({"IF $a =", "EXIT"}), 1, "if-condition", "nothing after the operator ="},
      {"IF no left", Script({"IF >= 5", "EXIT"}), 1, "if-condition", "nothing before"},
      {"odd quote", Script({"MOV $a, 'x"}), 1, "unbalanced-quotes", "unbalanced single quote"},
      {"odd quote eats comment", Script({"MOV $a, 'it's' // note"}), 1, "unbalanced-quotes",
       "the // in it is part of the line"},
      {"bare b word", Script({"MOV $a, bardzo"}), 1, "binary-word", "'bardzo' starts with b"},
      {"lone b", Script({"SEND $_ID, B"}), 1, "binary-word", "'B'"},
      {"b in condition", Script({"IF $_MESSAGE = bye", "EXIT"}), 1, "binary-word", "'bye'"},
      {"b in MenuDel", Script({"MenuDel back"}), 1, "binary-word", "'back'"},
      {"b in place", Script({"STRUP bob"}), 1, "binary-word", "'bob'"},
      {"b in STRCON tail", Script({"STRCON $s, 'a', 'b', bee"}), 1, "binary-word", "'bee'"},
      {"UTF-8 file", "MOV $a, 'Zażółć'\r\n", 1, "encoding", "the file is UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Finding> found = CheckScript(c.script);
    ASSERT_EQ(found.size(), 1u) << Describe(found);
    EXPECT_EQ(found[0].Line, c.line);
    EXPECT_EQ(found[0].Kind, c.kind);
    EXPECT_NE(found[0].Message.find(c.part), std::string::npos) << found[0].Message;
  }
}

// What the plugin runs fine is not reported.
TEST(Checker, SoundScriptsHaveNoFindings) {
  const std::string scripts[] = {
      Script({"// comment only", "", "   "}),
      Script({":_start", "IF $_IN = 0", "EXIT", "IF $_MESSAGE = 'b // not a comment'", "GOTO done",
              "MOV $a, b101", "MOV $b, 'bardzo'", "STRCON $s, 'a', 'b'", "CALL sub", "EXIT",
              ":sub", "RET", ":done", "mov $x, 1 // lower case keyword", "MenuDel 'x'", "SaveConfig",
              "IF $a >= 5", "IF $b <> 'x, y'", "RET", "GETDATE $y, $m, $d", "STREXT $t, ';', 0, $bits"}),
      Script({std::string("MOV $a, 'Zażółć gęślą jaźń'"_w), std::string(":ŻÓŁW"_w),
              std::string("GOTO żółw"_w)}),
      // Only single quotes count; a double-quoted text is no quote at all.
      Script({"SEND $_ID, \"x\""}),
  };
  for (const std::string& s : scripts) EXPECT_EQ(Describe(CheckScript(s)), "") << s;
}

// File lines are counted as the plugin splits them: CR, LF and CR LF each end a line,
// so LF CR is two; a zero byte ends the text.
TEST(Checker, LineNumbersFollowThePluginsLineBreaks) {
  struct Case {
    std::string bytes;
    int line;
  } cases[] = {
      {"EXIT\nFOO\n", 2},
      {"EXIT\rFOO\r", 2},
      {"EXIT\r\n\r\nFOO", 3},
      {"EXIT\n\rFOO", 3},
  };
  for (const Case& c : cases) {
    const std::vector<Finding> found = CheckScript(c.bytes);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Line, c.line);
  }
  EXPECT_TRUE(CheckScript(std::string("EXIT\r\n\0FOO\r\n", 13)).empty());
}

TEST(Checker, FindingsComeInLineOrder) {
  const std::vector<Finding> found = CheckScript(Script({"GOTO x", ":a", "FOO", ":a", "MOV $a"}));
  ASSERT_EQ(found.size(), 4u) << Describe(found);
  EXPECT_EQ(found[0].Line, 1);
  EXPECT_EQ(found[1].Line, 3);
  EXPECT_EQ(found[2].Line, 4);
  EXPECT_EQ(found[3].Line, 5);
}

class CheckCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kw_sim_check_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::filesystem::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  int Check(const std::vector<std::string>& files, bool json) {
    out_.str("");
    err_.str("");
    return kwsim::RunCheck(files, json, out_, err_);
  }
  std::filesystem::path dir_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(CheckCommand, ExitCodesAndOutput) {
  const std::string clean = Write("clean.dat", Script({":_start", "EXIT"}));
  const std::string bad = Write("bad.dat", Script({"EXIT", "MOV $a"}));

  EXPECT_EQ(Check({clean}, false), kwsim::kExitOk);
  EXPECT_EQ(out_.str(), clean + ": no findings\n");

  EXPECT_EQ(Check({clean, bad}, false), kwsim::kExitFailure);
  EXPECT_NE(out_.str().find(bad + ":2: too-few-parameters: MOV needs 2 parameters"), std::string::npos)
      << out_.str();

  EXPECT_EQ(Check({bad, (dir_ / "missing.dat").string()}, false), kwsim::kExitUsage);
  EXPECT_NE(err_.str().find("missing.dat: cannot read the script"), std::string::npos);
}

TEST_F(CheckCommand, JsonHasOneObjectPerFinding) {
  const std::string bad = Write("bad.dat", Script({"FOO", "GOTO x"}));
  EXPECT_EQ(Check({bad}, true), kwsim::kExitFailure);
  std::istringstream lines(out_.str());
  std::string first, second, more;
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_FALSE(std::getline(lines, more));
  const std::string file = kwsim::JsonString(bad);
  EXPECT_EQ(first, "{\"file\":" + file +
                       ",\"line\":1,\"kind\":\"unknown-command\",\"message\":\"'FOO' is no command; the line "
                       "does nothing\"}");
  EXPECT_EQ(second.rfind("{\"file\":" + file + ",\"line\":2,\"kind\":\"missing-label\",", 0), 0u) << second;
}

}  // namespace
