// The checker: each kind of finding at the line where it stands, each trap of the
// language guide with the name it probably meant, the look-alikes that must pass, the
// spam list rules, the bundled examples, and the exit codes and output of "check".
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/cp1250.h"
#include "tests/common/files.h"
#include "tools/sim/checker.h"
#include "tools/sim/checker_names.h"
#include "tools/sim/driver.h"
#include "tools/sim/report.h"

using kwsim::CheckScript;
using kwsim::CheckSpamList;
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
      {"GOTO nowhere", Script({"GOTO end", ":begin"}), 1, "missing-label", "GOTO to 'end'"},
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
  };
  for (const std::string& s : scripts) EXPECT_EQ(Describe(CheckScript(s)), "") << s;
}

// The traps of the language guide: one finding each, at its line, with the name the
// line probably meant where a close one exists.
TEST(Checker, EachTrapOfTheGuide) {
  struct Case {
    std::string name;
    std::string script;
    int line;
    std::string kind;
    std::string part;        // a part of the message
    std::string suggestion;  // the finding's "did you mean"
  } cases[] = {
      {"swapped letters", Script({":_inti", "EXIT"}), 1, "special-label", "no special label", ":_init"},
      {"no underscore", Script({":start", "EXIT"}), 1, "special-label", "no run starts there", ":_start"},
      {"letter missing", Script({":_menu_clik", "EXIT"}), 1, "special-label", "did you mean", ":_menu_click"},
      {"blank after colon", Script({": _start", "EXIT"}), 1, "special-label", "blank after its colon", ""},
      {"$_FILTER", Script({"MOV $_FILTER, 1"}), 1, "program-variable", "no program variable", "$_FILTR"},
      {"$_MESAGE read", Script({"SEND $_ID, $_MESAGE"}), 1, "program-variable", "'$_MESAGE'", "$_MESSAGE"},
      {"$_menu_iten in IF", Script({"IF $_menu_iten = 'x'", "EXIT"}), 1, "program-variable", "", "$_MENU_ITEM"},
      {"result without $", Script({"STRLEN _fitr, 'x'"}), 1, "program-variable", "", "$_FILTR"},
      {"#STS_AWAYY", Script({"SETSTS #PROTO_GG, #STS_AWAYY, ''"}), 1, "unknown-constant",
       "stays the text '#STS_AWAYY'", "#STS_AWAY"},
      {"far constant", Script({"SEND $_ID, #hello"}), 1, "unknown-constant", "quote it", ""},
      {"constant in IF", Script({"IF $s = #STS_DNT", "EXIT"}), 1, "unknown-constant", "", "#STS_DND"},
      {"TRUE", Script({"IF $spam = TRUE", "EXIT"}), 1, "bare-true-false", "not 1; write #TRUE", "#TRUE"},
      {"false in MOV", Script({"MOV $_FILTR, false"}), 1, "bare-true-false", "not 0", "#FALSE"},
      {"==", Script({"IF $a == 5", "EXIT"}), 1, "if-operator", "the right value is the text '= 5'", "="},
      {"=>", Script({"IF $a => 5", "EXIT"}), 1, "if-operator", "write >=", ">="},
      {"=<", Script({"IF $a =< 5", "EXIT"}), 1, "if-operator", "write <=", "<="},
      {"GOTO on the IF line", Script({"IF $a = 5 GOTO end", "EXIT", ":end"}), 1, "if-extra-text",
       "put 'GOTO end' on the next line", ""},
      {"quoted then text", Script({"IF $a = 'x' y", "EXIT"}), 1, "if-extra-text", "not ''x''", ""},
      {"AND", Script({"IF $a = 1 AND $b = 2", "EXIT"}), 1, "if-and-or", "no AND", ""},
      {"or", Script({"IF $m = 'a' or $m = 'b'", "EXIT"}), 1, "if-and-or", "no OR", ""},
      {"double quotes", Script({"SEND $_ID, \"hello\""}), 1, "double-quotes", "use single quotes", ""},
      {"double quotes in IF", Script({"IF $_MESSAGE = \"ping\"", "EXIT"}), 1, "double-quotes", "", ""},
      {"comma cut", Script({std::string("SEND $_ID, Cześć, co tam?"_w)}), 1, "cut-parameter",
       "'co tam?' after the last one it uses is ignored; a comma cuts unquoted text, so quote it: "
       "''Cześć, co tam?''",
       ""},
      {"comma lost in STRCON", Script({"STRCON $s, Hello, world"}), 1, "cut-parameter",
       "joins 'Hello' and 'world' without the comma", ""},
      {"GOTO :label", Script({"GOTO :end", ":end"}), 1, "goto-colon", "write GOTO end", "end"},
      {"CALL :label", Script({"CALL :sub", ":sub", "RET"}), 1, "goto-colon", "'::sub'", "sub"},
      {"CALL into EXIT", Script({":_start", "CALL count", "EXIT", ":count", "ADD $n, 1", "EXIT"}), 4,
       "call-without-ret", "CALLed at line 2, never reaches RET: its EXIT at line 6 ends the whole run", ""},
      {"CALL past the end", Script({"CALL count", "EXIT", ":count", "ADD $n, 1"}), 3, "call-without-ret",
       "it runs past the last line", ""},
      {"CALL into a loop", Script({"CALL spin", "EXIT", ":spin", "GOTO spin"}), 3, "call-without-ret",
       "loops without end", ""},
      {"_init into _start", Script({":_init", "MOV $a, 1", ":_start", "EXIT"}), 2, "runs-on",
       "the _init section runs on into ':_start' (line 3)", ""},
      {"_init skips its EXIT", Script({":_init", "IF $a = 1", "EXIT", ":_start", "EXIT"}), 2, "runs-on",
       "':_start'", ""},
      {"_start into _menu_show", Script({":_start", "MOV $a, 1", ":_menu_show", "EXIT"}), 2, "runs-on",
       "_menu_show run in every _start run", ""},
      {"_start into a CALLed section",
       Script({":_start", "CALL sub", "MOV $a, 1", ":sub", "ADD $n, 1", "RET"}), 3, "runs-on",
       "its RET finds no CALL", ""},
      {"SUB", Script({"SUB $a, 1"}), 1, "other-language", "subtraction is SUBB", "SUBB"},
      {"STRCAT", Script({"STRCAT $a, 'x'"}), 1, "other-language", "", "STRCON"},
      {"RETURN", Script({"return"}), 1, "other-language", "'return' belongs to other languages", "RET"},
      {"ELSE", Script({"ELSE"}), 1, "other-language", "jump over a block with GOTO", ""},
      {"misspelt command", Script({"SNED $_ID, 'x'"}), 1, "unknown-command", "did you mean 'SEND'?", "SEND"},
      {"misspelt label", Script({"GOTO blok", ":block"}), 1, "missing-label", "did you mean 'block'?", "block"},
      {"quote hides a comma", Script({"STRCON $a, 'it's', 'x'"}), 1, "unbalanced-quotes",
       "its comma separates no parameters", ""},
      {"doubled quotes", Script({"SEND $_ID, 'say ''yes'', please'"}), 1, "unbalanced-quotes",
       "a quote cannot be escaped", ""},
      {"quote then comment", Script({"MOV $q, ''' // a quote"}), 1, "unbalanced-quotes",
       "the // in it is part of the line", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Finding> found = CheckScript(c.script);
    ASSERT_EQ(found.size(), 1u) << Describe(found);
    EXPECT_EQ(found[0].Line, c.line);
    EXPECT_EQ(found[0].Kind, c.kind);
    EXPECT_NE(found[0].Message.find(c.part), std::string::npos) << found[0].Message;
    EXPECT_EQ(found[0].Suggestion, c.suggestion);
  }
}

// Look-alikes of the traps that are right as they stand.
TEST(Checker, LookAlikesOfTheTrapsPass) {
  const std::string scripts[] = {
      // The guide's way to hold a quote, an apostrophe inside a quoted text, and one in a
      // condition's value: each value is read as meant.
      Script({"MOV $q, '''", "STRCON $text, 'it', $q, 's'", "MOV $a, 'it's'", "IF $a = 'it's'", "EXIT",
              "SEND $_ID, 'a, b's'"}),
      // Special labels in any case; ordinary labels near them that jumps name, or beside
      // the special one they resemble.
      Script({":_INIT", "EXIT", ":_Start", "GOTO init", ":init", "EXIT", ":start", "EXIT",
              ":_menu_show", "EXIT"}),
      // Program variables in any case, variables of one's own in $_ far from them, and
      // constants in any case.
      Script({"MOV $_filtr, #true", "IF $_Menu_Item = #Sts_Away", "MOV $_counter, $_message",
              "MOV $true, 'TRUE'", "SEND $_ID, $true"}),
      // Operators of two characters, text with blanks and quoted words in conditions.
      Script({"IF $a >= 5", "IF $a <= 5", "IF $a != 5", "IF $_MESSAGE = co tam", "IF $m = 'rock and roll'",
              "IF $m = 'a=b'", "IF $m = 'x' // 'y'", "EXIT"}),
      // Commas inside quotes, numbers joined, double quotes inside single ones or in a
      // comment, a trailing comma.
      Script({std::string("SEND $_ID, 'Cześć, co tam?'"_w), "STRCON $s, 'a', $b, 1, 2, x",
              "SEND $_ID, 'say \"hi\"' // \"quoted\"", "SEND $_ID, 'x',"}),
      // A CALLed section that returns on one branch and ends the run on another; another
      // that falls through a label; the special sections end by EXIT, a GOTO, or the
      // end of the script.
      Script({":_init", "GOTO setup", ":_start", "CALL check", "EXIT", ":check", "IF $_IN = 0", "EXIT",
              ":more", "RET", ":setup", "CALL more", "GOTO _start"}),
      // Commands of other languages' look that are Kwartlin's, in any case.
      Script({"SUBB $a, 1", "strcon $a, 'x'", "ret", "MenuAdd 'x', 'y'", "menudel 'x'"}),
  };
  for (const std::string& s : scripts) EXPECT_EQ(Describe(CheckScript(s)), "") << s;
}

TEST(Checker, ClosestNameIgnoresCaseAndKeepsToSlips) {
  const std::string_view names[] = {"SEND", "SUBB", "STRCON", "_MENU_SHOW"};
  struct Case {
    std::string_view word;
    std::string_view meant;
  } cases[] = {
      {"send", ""},           // equal: nothing to suggest
      {"SNED", "SEND"},       // a swap is one step
      {"SED", "SEND"},        // one letter missing
      {"SE", ""},             // too short to be like anything
      {"SRTCN", "STRCON"},    // two steps allowed for longer names
      {"STXXN", ""},          // three are not
      {"_menushow", "_MENU_SHOW"},
      {"SUB", "SUBB"},
      {"X", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(kwsim::ClosestName(c.word, names), c.meant) << c.word;
  const std::string_view polish[] = {"ŻÓŁW"_w};
  EXPECT_EQ(kwsim::ClosestName("żółwi"_w, polish), "ŻÓŁW"_w);
}

std::string SourceFile(const std::string& relative) {
  std::string path = std::string(KW_SOURCE_DIR) + "/" + relative;
#ifdef _WIN32
  if (path[0] == '/') path = "Z:" + path;
#endif
  return path;
}

// The short spam filter with three beginner's mistakes finds each of them, and nothing
// else.
TEST(Checker, ThreeMistakesOfTheSpamFilter) {
  const std::string script = kwtest::ReadBytes(SourceFile("tests/sim/data/three-mistakes.dat"));
  ASSERT_FALSE(script.empty());
  const std::vector<Finding> found = CheckScript(script);
  ASSERT_EQ(found.size(), 3u) << Describe(found);
  EXPECT_EQ(found[0].Line, 2);
  EXPECT_EQ(found[0].Kind, "runs-on");
  EXPECT_EQ(found[1].Line, 7);
  EXPECT_EQ(found[1].Suggestion, "#TRUE");
  EXPECT_EQ(found[2].Line, 11);
  EXPECT_EQ(found[2].Suggestion, "$_FILTR");
}

TEST(Checker, BundledExamplesHaveNoFindings) {
  int files = 0;
  for (const auto& folder : std::filesystem::directory_iterator(SourceFile("examples"))) {
    if (!folder.is_directory()) continue;
    for (const auto& file : std::filesystem::directory_iterator(folder.path())) {
      const std::string name = file.path().filename().string();
      if (name != "Kwartlin.dat" && file.path().extension() != ".spm") continue;
      ++files;
      EXPECT_EQ(Describe(kwsim::CheckFile(name, kwtest::ReadBytes(file.path()), false)), "") << file.path();
    }
  }
  EXPECT_GE(files, 7);
}

// Spam list rules, one finding each, and rules that are right.
TEST(Checker, SpamListRules) {
  struct Case {
    std::string name;
    std::string list;
    int line;
    std::string kind;
    std::string part;
  } cases[] = {
      {"open quote", Script({"kup", "\"darmowe sms"}), 2, "unbalanced-quotes", "rest of the line"},
      {"open quote in an alternative", Script({"\"\"\"free sms\""}), 1, "unbalanced-quotes", ""},
      {"trailing bar", Script({"kup|"}), 1, "empty-alternative", "'kup|'"},
      {"leading bar", Script({"|kup tanio"}), 1, "empty-alternative", ""},
      {"double bar", Script({"kup||sprzedam"}), 1, "empty-alternative", ""},
      {"bar alone", Script({"kup | sprzedaj  tanio"}), 1, "never-matches",
       "blanks around | make it a word of its own: write 'kup|sprzedaj  tanio'"},
      {"empty quotes", Script({"; rules", "tanio \"\""}), 2, "never-matches", "the word ''"},
      {"control characters only", Script({"kup", "\f"}), 2, "matches-everything", "every text"},
      {"zero byte first", Script({std::string("\0kup", 4), "tanio|"}), 2, "empty-alternative", ""},
      {"UTF-8 list", "zażółć\r\n", 1, "encoding", "the file is UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Finding> found = CheckSpamList(c.list);
    ASSERT_EQ(found.size(), 1u) << Describe(found);
    EXPECT_EQ(found[0].Line, c.line);
    EXPECT_EQ(found[0].Kind, c.kind);
    EXPECT_NE(found[0].Message.find(c.part), std::string::npos) << found[0].Message;
  }
  const std::string sound[] = {
      Script({"; comment |", "   ; kup |", "", " \t ", "kup|sprzedam tanio|okazja", "kup ;tanio"}),
      Script({"\"\"\"darmowe sms\"\"\"", "\"\"\"darmowe sms\"\"|\"\"tanie sms\"\"\"", "\"darmowe sms\"",
              "\"a\"\"b\""}),
      Script({std::string("zażółć|łańcuszek"_w), std::string("wygrałeś nagroda"_w), "", ""}),
  };
  for (const std::string& s : sound) EXPECT_EQ(Describe(CheckSpamList(s)), "") << s;
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
  std::string Write(const std::string& name, const std::string& bytes) {
    kwtest::WriteBytes(folder_ / name, bytes);
    return folder_ / name;
  }
  int Check(const std::vector<std::string>& files, bool json, bool spam = false) {
    out_.str("");
    err_.str("");
    return kwsim::RunCheck(files, kwsim::CheckOptions{json, spam}, out_, err_);
  }
  kwtest::TempFolder folder_{"kw_sim_check"};
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

  EXPECT_EQ(Check({bad, folder_ / "missing.dat"}, false), kwsim::kExitUsage);
  EXPECT_NE(err_.str().find("missing.dat: cannot read the file"), std::string::npos);
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

  const std::string slip = Write("slip.dat", Script({"SNED $_ID, 'x'"}));
  EXPECT_EQ(Check({slip}, true), kwsim::kExitFailure);
  EXPECT_NE(out_.str().find("\"message\":\"'SNED' is no command; the line does nothing; did you mean "
                            "'SEND'?\",\"suggestion\":\"SEND\"}"),
            std::string::npos)
      << out_.str();
}

// A file named *.spm, in any case, is a spam list; --spam makes every file one.
TEST_F(CheckCommand, SpamListsByNameOrByOption) {
  const std::string rules = Script({"kup | sprzedaj"});
  const std::string list = Write("Kwartlin.SPM", rules);
  const std::string other = Write("rules.txt", rules);
  EXPECT_EQ(Check({list}, false), kwsim::kExitFailure);
  EXPECT_NE(out_.str().find(list + ":1: never-matches: "), std::string::npos) << out_.str();
  EXPECT_EQ(Check({other}, false), kwsim::kExitFailure);
  EXPECT_NE(out_.str().find(other + ":1: unknown-command: "), std::string::npos) << out_.str();
  EXPECT_EQ(Check({other}, false, true), kwsim::kExitFailure);
  EXPECT_NE(out_.str().find(other + ":1: never-matches: "), std::string::npos) << out_.str();
  EXPECT_EQ(Check({Write("clean.spm", Script({"kup|sprzedaj"}))}, false, true), kwsim::kExitOk);
}

}  // namespace
