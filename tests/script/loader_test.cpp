// Script loading: line ends, comments outside quotes, blank lines, labels, and what a
// reload does to the script, the variables and the menu entries.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/globals.h"
#include "host/menu.h"
#include "script/loader.h"
#include "script/variables.h"
#include "support/cp1250.h"

using namespace kw;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

TEST(SplitFileLines, LineEndsAndTheZeroByte) {
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"\n", {""}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR is two line ends in a file
      {std::string("a\nb\0c\nd", 7), {"a", "b"}},
      {std::string("\0a", 2), {}},
      {" x \t\r\n", {" x \t"}},  // lines come as they stand; preparation trims
  };
  for (const auto& c : cases) EXPECT_EQ(SplitFileLines(c.text), c.lines) << c.text;
}

TEST(PrepareScriptLines, TrimsCutsCommentsAndDropsEmptyLines) {
  const struct {
    Lines in;
    Lines out;
  } cases[] = {
      {{"MOV $a, 1 // set a", "", "// only a comment", ":end"}, {"MOV $a, 1", ":end"}},
      {{"MOV $a, 'x // y'"}, {"MOV $a, 'x // y'"}},
      {{"MOV $a, 'x' // y"}, {"MOV $a, 'x'"}},
      {{":loop // main loop"}, {":loop"}},
      {{" \t \t", "\t:a\t"}, {":a"}},
      {{"MOV $a, 'it''s' // c"}, {"MOV $a, 'it''s'"}},
      {{"MOV $a, 'x // odd quote"}, {"MOV $a, 'x // odd quote"}},
      {{"MOV $a, x//y"}, {"MOV $a, x"}},
      {{"MOV $a, x/ /y", "/", "a /"}, {"MOV $a, x/ /y", "/", "a /"}},
      {{"   // indented comment", "x"}, {"x"}},
      {{"MOV $a, 1\r"}, {"MOV $a, 1\r"}},  // only spaces and tabs are blanks
      {{}, {}},
  };
  for (const auto& c : cases) {
    Lines lines = c.in;
    PrepareScriptLines(lines);
    EXPECT_EQ(lines, c.out) << (c.in.empty() ? "" : c.in.front());
  }
}

TEST(PrepareScriptLines, EveryLineEndGivesTheSameScript) {
  const std::string crlf = "MOV $a, 1\r\n\r\n:l // x\r\nGOTO l\r\n";
  std::string lf = crlf, cr = crlf;
  std::erase(lf, '\r');
  std::erase(cr, '\n');
  Lines a = SplitFileLines(crlf), b = SplitFileLines(lf), c = SplitFileLines(cr);
  PrepareScriptLines(a);
  PrepareScriptLines(b);
  PrepareScriptLines(c);
  EXPECT_EQ(a, (Lines{"MOV $a, 1", ":l", "GOTO l"}));
  EXPECT_EQ(b, a);
  EXPECT_EQ(c, a);
}

TEST(FindLabel, WholeLineIgnoringCaseFirstWins) {
  // (Not const: clang 14 crashes trying to constant-evaluate the initializer.)
  Lines lines = {"MOV $a, 1", ": loop", ":loop2", ":LOOP", ":loop", "::x", ":my label"};
  lines.emplace_back(":źródło"_w);
  lines.emplace_back(":");
  const struct {
    std::string name;
    int notFound;
    int want;
  } cases[] = {
      {"loop", -1, 3},
      {"Loop", -1, 3},
      {"loop2", -1, 2},
      {"oop", -1, -1},
      {" loop", -1, 1},
      {":x", -1, 5},
      {"my label", -1, 6},
      {"MY LABEL", -1, 6},
      {std::string("ŹRÓDŁO"_w), -1, 7},
      {"", -1, 8},
      {"nowhere", 0, 0},
      {"nowhere", 42, 42},
      {"MOV $a, 1", -1, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(FindLabel(lines, c.name, c.notFound), c.want) << c.name;
}

// ReloadScript against real files in a folder of its own.
class Reload : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = fs::temp_directory_path() / ("kw_loader_" + std::to_string(stamp));
    fs::create_directories(dir_);
    ScriptPath = (dir_ / "Kwartlin.dat").string();
    ClearVariables();
    ScriptLines.clear();
    ClearMenuEntries();
  }
  void TearDown() override {
    ClearVariables();
    ScriptLines.clear();
    ClearMenuEntries();
    ScriptPath.clear();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  void Write(const std::string& text) const {
    std::ofstream(ScriptPath, std::ios::binary) << text;
  }
  fs::path dir_;
};

TEST_F(Reload, LoadsPreparesAndEmptiesTheVariables) {
  Write("// hello\r\n:_init\r\n  MOV $a, 1 // one\r\n\r\nMOV $b, 'x // y'\r\n");
  SetVariable("$old", "1", true);
  ReloadScript(false);
  EXPECT_EQ(ScriptLines, (Lines{":_init", "MOV $a, 1", "MOV $b, 'x // y'"}));
  EXPECT_TRUE(VariableTable.empty());  // saved variables included
}

TEST_F(Reload, RunFlagRunsInitOnAnEmptyTable) {
  Write(":_start\nMOV $s, 1\n:_init\nSTRCON $a, 'i'\n");
  SetVariable("$a", "before", true);
  ReloadScript(true);
  EXPECT_EQ(ResolveValue("$a"), "i");
  EXPECT_EQ(ResolveValue("$s"), "");
  ReloadScript(false);
  EXPECT_EQ(ResolveValue("$a"), "");
}

TEST_F(Reload, MissingFileLeavesAnEmptyScriptAndTheVariables) {
  Write("MOV $a, 1\n");
  ReloadScript(false);
  ASSERT_EQ(ScriptLines.size(), 1u);
  AddOrRenameMenuEntry("x", "X");
  SetVariable("$keep", "1", false);
  fs::remove(ScriptPath);
  ReloadScript(true);
  EXPECT_TRUE(ScriptLines.empty());
  EXPECT_EQ(ResolveValue("$keep"), "1");
  EXPECT_TRUE(MenuEntries.empty());
}

TEST_F(Reload, UnreadableFileCountsAsAbsent) {
  Write("MOV $a, 1\n");
  ReloadScript(false);
  SetVariable("$keep", "1", false);
  fs::remove(ScriptPath);
  fs::create_directory(ScriptPath);  // a folder where the file should be
  ReloadScript(true);
  EXPECT_TRUE(ScriptLines.empty());
  EXPECT_EQ(ResolveValue("$keep"), "1");
}

TEST_F(Reload, ZeroByteEndsTheScript) {
  static const char text[] = ":_init\nMOV $a, 1\n\0MOV $a, 2\n";
  Write(std::string(text, sizeof text - 1));
  ReloadScript(true);
  EXPECT_EQ(ScriptLines, (Lines{":_init", "MOV $a, 1"}));
  EXPECT_EQ(ResolveValue("$a"), "1");
}

}  // namespace
