// The checker: each kind of mistake reported on its line, the legitimate corners of the
// language left alone, every fix doing what was meant once applied (run through the
// engine), the bundled examples clean, and the checker's reading equal to the engine's.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "check/checker.h"
#include "check/codec.h"
#include "check/output.h"
#include "check/source.h"
#include "check/stages.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/spam.h"
#include "script/variables.h"
#include "support/cp1250.h"
#include "support/message.h"
#include "tests/common/files.h"
#include "tests/script/fake_script_host.h"

using kwcheck::TFinding;
using namespace kw;

namespace {

std::string SourceFile(const std::string& relative) {
  std::string path = std::string(KW_SOURCE_DIR) + "/" + relative;
#ifdef _WIN32
  if (path[0] == '/') path = "Z:" + path;
#endif
  return path;
}

std::string Script(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

std::string Describe(const std::vector<TFinding>& found) {
  std::string s;
  for (const TFinding& f : found) s += kwcheck::TextLine("", f) + "\n";
  return s;
}

struct Case {
  std::string name;
  std::string script;
  int line;
  int code;
  std::string part;  // a part of the message
};

void ExpectOneFinding(const Case& c, const std::vector<TFinding>& found) {
  SCOPED_TRACE(c.name);
  ASSERT_EQ(found.size(), 1u) << Describe(found);
  EXPECT_EQ(found[0].Line, c.line);
  const std::string message = found[0].MessageText();
  EXPECT_EQ(found[0].Code, c.code) << message;
  EXPECT_NE(message.find(c.part), std::string::npos) << message;
  EXPECT_EQ(message.find('{'), std::string::npos) << message;  // every placeholder filled
}

// One script per mistake: the finding comes once, at its line, and nothing else.
TEST(Checker, EachMistakeAtItsLine) {
  const Case cases[] = {
      // flow
      {"GOTO nowhere", Script({"GOTO end", ":begin"}), 1, 101, "GOTO to 'end'"},
      {"label with blank", Script({"GOTO end", ": end"}), 1, 101, "line 2 has blanks after its colon"},
      {"duplicate", Script({":loop", "EXIT", ":LOOP"}), 3, 102, "already defined at line 1"},
      {"IF last", Script({":_start", "IF $_IN = 0", "// only a comment"}), 2, 103, "last line"},
      {"IF before label", Script({"IF $_IN = 1", ":skip", "EXIT"}), 1, 104, "':skip'"},
      {"_init into _start", Script({":_init", "MOV $a, 1", ":_start", "SEND $_ID, $a", "EXIT"}), 2, 105,
       "the _init run goes on from here into ':_start'"},
      {"CALL into EXIT", Script({":_start", "CALL count", "EXIT", ":count", "EXIT"}), 4, 106,
       "its EXIT at line 5 ends the whole run"},
      {"RET without CALL", Script({":_menu_show", "MenuShow 'x', 1", "RET", ":_menu_click", "SEND $_ID, 'hi'"}), 3,
       107, "a _menu_show run reaches this RET"},
      {"two IFs as AND", Script({":_start", "IF $_IN = 1", "IF $_ID = '123'", "SEND $_ID, 'x'"}), 3, 108,
       "governed by the IF on line 2"},
      {"IF body on two lines", Script({":_start", "IF $_IN = 1", "  MOV $_FILTR, 1", "  SEND $_ID, 'x'", "EXIT"}), 4,
       109, "governs only the line below it"},
      {"GOTO :label", Script({"GOTO :end", ":end"}), 1, 110, "write GOTO end"},
      {"special label slip", Script({":_inti", "EXIT"}), 1, 111, "did you mean ':_init'?"},
      // names
      {"GETSTS", Script({"GETSTS #PROTO_GG, $s, $d"}), 1, 202, "READSTS reads the status"},
      {"REM", Script({"REM a comment"}), 1, 202, "comments start with //"},
      {"AND", Script({"AND $a, 1"}), 1, 202, "BITAND"},
      {"MOD", Script({"MOD $a, 2"}), 1, 202, "there is no remainder"},
      {"STRCMP", Script({"STRCMP $a, 'x'"}), 1, 202, "compared with IF"},
      {"swapped letters", Script({"SNED $_ID, 'x'"}), 1, 201, "did you mean 'SEND'?"},
      {"changed letter", Script({"MOVE $a, 1"}), 1, 201, "'MOVE' is no command; the line does nothing"},
      {"$_FILTER", Script({"MOV $_FILTER, 1"}), 1, 203, "did you mean '$_FILTR'?"},
      {"#STS_AWAYY", Script({"SETSTS #PROTO_GG, #STS_AWAYY, ''"}), 1, 204, "did you mean '#STS_AWAY'?"},
      {"constants without #", Script({"SETSTS PROTO_GG, #STS_AWAY, 'brb'"}), 1, 205, "write #PROTO_GG"},
      {"status word", Script({"SETSTS #PROTO_GG, away, 'brb'"}), 1, 205, "#STS_AWAY"},
      {"gg", Script({"READSTS gg, $s, $d", "SEND $_ID, $s", "SEND $_ID, $d"}), 1, 205, "#PROTO_GG"},
      {"variable without $", Script({"MOV $counter, 0", "ADD counter, 1", "SEND $_ID, $counter"}), 2, 206,
       "write $counter"},
      {"$MESSAGE", Script({"SEND $_ID, $MESSAGE"}), 1, 207, "$_MESSAGE"},
      {"never written", Script({"MOV $greeting, 'hi'", "SEND $_ID, $greeting", "SEND $_ID, $greting"}), 3, 208, "'$GRETING' is read"},
      {"$FF", Script({"MOV $a, 0", "BITAND $a, $FF", "SEND $_ID, $a"}), 2, 209, "0xFF"},
      {"menu caption", Script({":_start", "EXIT", ":_init", "MenuAdd 'auto', 'Autoresponder'", "EXIT", ":_menu_click",
                               "IF $_MENU_ITEM = 'Autoresponder'", "SEND $_ID, 'x'"}),
       7, 210, "caption of the entry named 'auto'"},
      {"menu case", Script({":_start", "EXIT", ":_init", "MenuAdd 'auto', 'A'", "EXIT", ":_menu_click",
                            "IF $_MENU_ITEM = 'AUTO'", "SEND $_ID, 'x'"}),
       7, 210, "differs in case"},
      {"CHKINT swapped", Script({":_start", "CHKINT $isnum, $_MESSAGE", "IF $isnum = 1", "EXIT"}), 2, 211,
       "the two are swapped"},
      {"STREXT result first", Script({"STREXT $word, $_MESSAGE, ' ', 0", "SEND $_ID, $word"}), 1, 211,
       "result last"},
      // values
      {"odd quote", Script({"MOV $_FILTR, 'x"}), 1, 301, "unbalanced single quote"},
      {"quote cut by a comma", Script({"SEND $_ID, 'don't, please'"}), 1, 301, "nothing closes"},
      {"quote hides a comma", Script({"STRCON $a, 'it's', 'x'", "SEND $_ID, $a", "MOV $a, ''"}), 1, 301, "comma separates no parameters"},
      {"double quotes", Script({"SEND $_ID, \"hello\""}), 1, 302, "use single quotes"},
      {"b word", Script({"SEND $_ID, bardzo"}), 1, 303, "'bardzo' starts with b"},
      {"TRUE in IF", Script({"CHKSPAM $spam, $_MESSAGE", "IF $spam = TRUE", "MOV $_FILTR, 1"}), 2, 304, "#TRUE"},
      {"'TRUE' quoted", Script({"MOV $_FILTR, 'TRUE'"}), 1, 304, "write #TRUE"},
      {"FALSE in IF", Script({"CHKSPAM $spam, $_MESSAGE", "IF $spam = FALSE", "EXIT"}), 2, 304, "#FALSE"},
      {"tak as filter", Script({"MOV $_FILTR, tak"}), 1, 305, "reads as false"},
      {"tak in MenuShow", Script({"MenuShow 'x', tak"}), 1, 305, "reads as false"},
      {"yes in SAVE", Script({"SAVE $n, yes"}), 1, 305, "reads as false"},
      {"MUL 1.5", Script({"MOV $p, 2", "MUL $p, 1.5", "SEND $_ID, $p"}), 2, 306, "MUL by 3 and then DIV by 2"},
      {"Don''t", Script({"SEND $_ID, 'Don''t'"}), 1, 307, "needs no doubling"},
      {"path", Script({"SEND $_ID, 'C:\\nowe'"}), 1, 308, "line break"},
      {"URL", Script({"SEND $_ID, http://example.pl/x"}), 1, 309, "starts a comment"},
      {"comma cut", Script({std::string("SEND $_ID, Cześć, co tam?"_w)}), 1, 310, "quote it"},
      {"comma cut with a name", Script({"SEND $_ID, Hi, $_MESSAGE"}), 1, 310, "STRCON"},
      {"STRCON grows", Script({":_start", "STRCON $log, $_MESSAGE", "SEND $_ID, $log"}), 2, 311,
       "grows with every run"},
      {"too few", Script({"MOV $a"}), 1, 312, "MOV needs 2 parameters, the line has 1"},
      {"no operator", Script({"IF $_IN", "EXIT"}), 1, 313, "no operator"},
      {"==", Script({"IF $_IN == 1", "EXIT"}), 1, 314, "write ="},
      {"GOTO on the IF line", Script({"IF $_IN = 1 GOTO end", "EXIT", ":end"}), 1, 315, "put 'GOTO end'"},
      {"AND", Script({"IF $_IN = 1 AND $_ID = 2", "EXIT"}), 1, 316, "no AND"},
      // the file
      {"UTF-8", "SEND $_ID, 'Zażółć'\r\n", 1, 501, "the file is UTF-8"},
      {"zero byte", std::string("SEND $_ID, 'x'\r\nEXIT\0 junk\r\nSEND $_ID, 'y'\r\n", 37), 2, 502,
       "never run"},
  };
  for (const Case& c : cases) ExpectOneFinding(c, kwcheck::CheckScript(c.script));
}

// Correct scripts that use the language's corners: no finding.
TEST(Checker, LegitimateCornersPass) {
  const std::string scripts[] = {
      Script({"// comment only", "", "   "}),
      // emoticons, words and apostrophes in IF texts
      Script({":_start", "IF $_MESSAGE = <3", "SEND $_ID, ':)'", "IF $_MESSAGE = =)", "SEND $_ID, ';)'",
              "IF $_MESSAGE = please call", "EXIT", "IF $_MESSAGE = rock and roll", "EXIT",
              "IF $_MESSAGE = 'don't, please'", "EXIT", "EXIT"}),
      // own $_ variables, FALSE as a flag, # as a separator, a " searched for
      Script({":_start", "MOV $_IDS, $_ID", "SEND $_IDS, 'x'", "MOV $_FILTR, FALSE", "MenuShow 'x', false",
              "STREXT $_MESSAGE, #, 0, $first", "SEND $_ID, $first", "STRPOS $at, '\"', $_MESSAGE",
              "STRPOS $at2, \", $_MESSAGE", "SEND $_ID, $at", "SEND $_ID, $at2", "EXIT"}),
      // a quote held the guide's way, constants in any case, numbers of every form
      Script({"MOV $q, '''", "MOV $text, ''", "STRCON $text, 'it', $q, 's'", "SEND $_ID, $text", "MOV $_filtr, #true",
              "MOV $n, 0x1F", "ADD $n, b101", "MUL $n, -3", "SEND $_ID, $n", "SETSTS #PROTO_GG, #STS_AWAY, 'brb'"}),
      // a CALLed section that returns, a RET at the end, a RET before EXIT
      Script({":_init", "GOTO setup", ":_start", "CALL check", "EXIT", ":check", "IF $_IN = 0", "EXIT", ":more",
              "RET", ":setup", "CALL more", "GOTO _start"}),
      Script({":_start", "SEND $_ID, 'x'", "RET"}),
      // STRCON onto a variable that is reset first; a menu compared by its name
      Script({":_init", "MenuAdd 'auto', 'Autoresponder'", "EXIT", ":_start", "MOV $all, ''",
              "STRCON $all, $_MESSAGE", "SEND $_ID, $all", "EXIT", ":_menu_click",
              "IF $_MENU_ITEM = 'auto'", "SEND $_ID, 'x'"}),
      // an unquoted URL in a comment, a quoted one in a value
      Script({"SEND $_ID, 'http://example.pl' // see http://x.pl"}),
      // SAVE keeps a variable, so reading it is fine
      Script({":_init", "SAVE $count, 1", "EXIT", ":_start", "ADD $count, 1", "SEND $_ID, $count"}),
      Script({std::string("MOV $a, 'Zażółć gęślą jaźń'"_w), "SEND $_ID, $a", std::string(":ŻÓŁW"_w),
              std::string("GOTO żółw"_w)}),
  };
  for (const std::string& s : scripts) EXPECT_EQ(Describe(kwcheck::CheckScript(s)), "") << s;
}

// A Windows-1250 file whose only high bytes pair up as UTF-8 ("ÓŁ" is D3 A3) is no UTF-8.
TEST(Checker, WindowsFileWithOnlyPairingLettersIsNotUtf8) {
  EXPECT_EQ(kwcheck::Utf8FirstLine(std::string("SEND $_ID, 'ÓŁ'"_w)), 0);
  EXPECT_EQ(kwcheck::Utf8FirstLine("EXIT\r\nSEND $_ID, 'ÓŁ'"), 2);
}

// Applies a finding's fix to the script (UTF-8 and Windows-1250 agree on ASCII).
std::string Applied(const std::string& script, const TFinding& f) {
  std::istringstream in(script);
  std::string out, line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (n == f.Fix->Line)
      line.replace(static_cast<std::size_t>(f.Fix->Column - 1),
                   static_cast<std::size_t>(f.Fix->EndColumn - f.Fix->Column), f.Fix->Text);
    out += line + "\r\n";
  }
  return out;
}

// Every fix, applied, leaves a clean script that does what was meant: the run's result
// (a variable, the messages sent, the status set) is the intended one.
TEST(Checker, FixesDoWhatWasMeant) {
  struct Row {
    std::string name;
    std::string script;
    int entry;
    std::string meant;  // "$NAME=value", "sent=N", "sent:text", "status=N" or "reads=N"
  } rows[] = {
      {"RET to EXIT", Script({":_menu_show", "MenuShow 'x', 1", "RET", ":_menu_click", "SEND $_ID, 'hi'"}),
       entryMenuShow, "sent=0"},
      {"CHKINT", Script({":_start", "CHKINT $isnum, $_MESSAGE", "IF $isnum = 1", "MOV $r, 'n'", "SEND $_ID, $r"}),
       entryStart, "$_MESSAGE=123 go"},
      {"STREXT", Script({"STREXT $word, $_MESSAGE, ' ', 0", "SEND $_ID, $word"}), entryStart, "$WORD=123"},
      {"ADD counter", Script({"MOV $counter, 5", "ADD counter, 1", "SEND $_ID, $counter"}), entryStart, "$COUNTER=6"},
      {"TRUE", Script({"MOV $_FILTR, TRUE"}), entryStart, "$_FILTR=1"},
      {"tak", Script({"MOV $_FILTR, tak"}), entryStart, "$_FILTR=1"},
      {"STS_AWAY", Script({"SETSTS #PROTO_GG, STS_AWAY, 'brb'"}), entryStart, "status=5"},
      {"away", Script({"SETSTS #PROTO_GG, away, 'brb'"}), entryStart, "status=5"},
      {"$MESSAGE", Script({"SEND $_ID, $MESSAGE"}), entryStart, "sent:123 go"},
      {"$FF", Script({"MOV $n, 0", "ADD $n, $FF", "SEND $_ID, $n"}), entryStart, "$N=255"},
      {"Don''t", Script({"SEND $_ID, 'Don''t'"}), entryStart, "sent:Don't"},
      {"path", Script({"SEND $_ID, 'C:\\nowe'"}), entryStart, "sent:C:/nowe"},
      {"URL", Script({"SEND $_ID, http://example.pl/x"}), entryStart, "sent:http://example.pl/x"},
      {"comma", Script({"SEND $_ID, Hello, world"}), entryStart, "sent:Hello, world"},
      {"==", Script({"IF $_IN == 1", "SEND $_ID, 'in'"}), entryStart, "sent:in"},
      {"GOTO :end", Script({"GOTO :end", "SEND $_ID, 'x'", ":end"}), entryStart, "sent=0"},
      {"GETSTS", Script({"GETSTS #PROTO_GG, $s, $d"}), entryStart, "reads=1"},
      {"$_FILTER", Script({"MOV $_FILTER, 1"}), entryStart, "$_FILTR=1"},
      {":_inti", Script({"EXIT", ":_inti", "MOV $a, 1", "ADD $a, 1"}), entryInit, "$A=2"},
      {"double quotes", Script({"SEND $_ID, \"hi\""}), entryStart, "sent:hi"},
      {"b word", Script({"SEND $_ID, bye"}), entryStart, "sent:bye"},
      {"menu caption", Script({":_start", "EXIT", ":_init", "MenuAdd 'auto', 'Autoresponder'", "EXIT", ":_menu_click",
                               "IF $_MENU_ITEM = 'Autoresponder'", "SEND $_ID, 'hit'"}),
       entryMenuClick, "sent:hit"},
      {"SNED", Script({"SNED $_ID, 'x'"}), entryStart, "sent:x"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::vector<TFinding> found = kwcheck::CheckScript(r.script);
    ASSERT_EQ(found.size(), 1u) << Describe(found);
    ASSERT_TRUE(found[0].Fix.has_value()) << Describe(found);
    const std::string fixed = Applied(r.script, found[0]);
    EXPECT_EQ(Describe(kwcheck::CheckScript(fixed)), "") << fixed;
    ClearVariables();
    kwtest::FakeScriptHost host;
    SetVariable("$_ID", "42", false);
    SetVariable("$_IN", "1", false);
    SetVariable("$_MESSAGE", "123 go", false);
    SetVariable("$_MENU_ITEM", "auto", false);
    RunScript(ScriptLinesFromText(fixed), r.entry);
    const std::size_t eq = r.meant.find('=');
    if (r.meant.rfind("sent:", 0) == 0) {
      ASSERT_EQ(host.Sent.size(), 1u);
      EXPECT_EQ(host.Sent[0].Text, r.meant.substr(5));
    } else if (r.meant.rfind("sent=", 0) == 0) {
      EXPECT_EQ(host.Sent.size(), std::stoul(r.meant.substr(5)));
    } else if (r.meant.rfind("status=", 0) == 0) {
      ASSERT_EQ(host.StatusChanges.size(), 1u);
      EXPECT_EQ(host.StatusChanges[0].Status, std::stoi(r.meant.substr(7)));
    } else if (r.meant.rfind("reads=", 0) == 0) {
      EXPECT_EQ(host.StatusReads.size(), std::stoul(r.meant.substr(6)));
    } else {
      const long i = VariableTable.Find(r.meant.substr(0, eq));
      ASSERT_GE(i, 0);
      EXPECT_EQ(VariableTable[static_cast<std::size_t>(i)].Value, r.meant.substr(eq + 1));
    }
  }
  ClearVariables();
}

// Spam list rules: one finding each, and the fixes match what was meant.
TEST(Checker, SpamListRules) {
  const Case cases[] = {
      {"open quote", Script({"kup", "\"darmowe sms"}), 2, 401, "rest of the line"},
      {"trailing bar", Script({"kup|"}), 1, 402, "'kup|'"},
      {"bar alone", Script({"kup | sprzedaj  tanio"}), 1, 403, "write 'kup|sprzedaj  tanio'"},
      {"control characters only", Script({"kup", "\f"}), 2, 404, "every text"},
      {"quoted phrase", Script({"\"za darmo\""}), 1, 405, "any one of them matches"},
      {"comma", Script({"kup,sprzedam"}), 1, 406, "separated by |"},
      {"wildcard", Script({"kup* tanio"}), 1, 407, "the * or ? itself"},
      {"OR", Script({"kup OR sprzedam"}), 1, 408, "joined by |"},
      {"UTF-8 list", "zażółć\r\n", 1, 501, "the file is UTF-8"},
  };
  for (const Case& c : cases) ExpectOneFinding(c, kwcheck::CheckSpamList(c.script));
  const std::string sound[] = {
      Script({"; comment |", "", "kup|sprzedam tanio|okazja", "kup ;tanio"}),
      Script({"\"\"\"darmowe sms\"\"\"", "\"\"\"darmowe sms\"\"|\"\"tanie sms\"\"\""}),
      Script({std::string("zażółć|łańcuszek"_w), std::string("wygrałeś nagroda"_w)}),
  };
  for (const std::string& s : sound) EXPECT_EQ(Describe(kwcheck::CheckSpamList(s)), "") << s;

  struct Fix {
    std::string rule, spam, innocent;
  } fixes[] = {
      {"\"za darmo\"", "teraz za darmo", "za chwile"},
      {"kup,sprzedam", "sprzedam rower", "rower"},
      {"kup OR sprzedam", "kup teraz", "rower"},
      {"kup* tanio", "kupie tanio", "tanio"},
  };
  for (const Fix& f : fixes) {
    const std::vector<TFinding> found = kwcheck::CheckSpamList(f.rule);
    ASSERT_EQ(found.size(), 1u) << f.rule;
    ASSERT_TRUE(found[0].Fix.has_value()) << f.rule;
    const std::string fixed = Applied(f.rule, found[0]);
    SpamList = SpamRulesFromText(fixed);
    EXPECT_TRUE(IsSpam(f.spam)) << fixed;
    EXPECT_FALSE(IsSpam(f.innocent)) << fixed;
  }
  SpamList.clear();
}

// One finding per line is silenced by the comment that names its code.
TEST(Checker, CommentSilencesOneFinding) {
  EXPECT_EQ(Describe(kwcheck::CheckScript(Script({"SEND $_ID, bardzo // kwcheck: ignore KW303"}))), "");
  EXPECT_EQ(kwcheck::CheckScript(Script({"SEND $_ID, bardzo // kwcheck: ignore KW302"})).size(), 1u);
  EXPECT_EQ(Describe(kwcheck::CheckSpamList(Script({"; kwcheck: ignore KW407", "kup*"}))), "");
}

// The checker's lines are the engine's, line for line, and its columns point into them.
TEST(Checker, ReadsLinesAsTheEngine) {
  const std::string bytes = "  :_start  \r\n\r\nSEND $_ID, '//' // c\n\rFOO 1\n";
  const kwcheck::TSource source = kwcheck::ReadScript(bytes);
  EXPECT_TRUE(source.Kept == ScriptLinesFromText(bytes));
  const std::vector<TFinding> found = kwcheck::CheckScript(bytes);
  ASSERT_EQ(found.size(), 1u) << Describe(found);
  EXPECT_EQ(found[0].Line, 5);
  EXPECT_EQ(found[0].Column, 1);
  EXPECT_EQ(found[0].EndColumn, 4);
}

// What the checker knows of the commands is what the engine does: each parameter the
// signatures mark as written is written by a run, and no other.
TEST(Checker, CommandResultsAreTheEnginesWrites) {
  for (int code = 0; code < kCommandCount; ++code) {
    const TCommandEntry& c = kCommandList[code];
    if (c.Form != TParamForm::List) continue;
    std::string line(c.Word);
    for (int n = 0; n < 5; ++n) line += (n ? ", $p" : " $p") + std::to_string(n);
    ClearVariables();
    kwtest::FakeScriptHost host;
    for (int n = 0; n < 5; ++n) SetVariable("$P" + std::to_string(n), "7", false);
    RunScript(ScriptLinesFromText(line), entryStart);
    for (int n = 0; n < c.MinParams && n < 5; ++n) {
      const long i = VariableTable.Find("$P" + std::to_string(n));
      const bool changed = i < 0 || VariableTable[static_cast<std::size_t>(i)].Value != "7";
      // A result may happen to equal the value it overwrites (STRTRIM of "7").
      if (changed) {
        EXPECT_TRUE(kSignatures[code].Writes(n)) << c.Word << " parameter " << n;
      }
    }
  }
  ClearVariables();
}

// Every code has one entry in docs/checker.md with a wrong example that the checker
// reports under that code and a right one that it does not, and the page names no code
// the list lacks.
TEST(Checker, DocsPageListsEveryCode) {
  std::ifstream page(SourceFile("docs/checker.md"));
  ASSERT_TRUE(page.good());
  std::stringstream text;
  text << page.rdbuf();
  const std::string doc = text.str();
  std::set<std::string> listed;
  for (std::size_t at = doc.find("\n### KW"); at != std::string::npos; at = doc.find("\n### KW", at + 1))
    listed.insert(doc.substr(at + 5, 5));
  std::set<std::string> codes;
  for (const kwcheck::TFindingKind& k : kwcheck::kFindingKinds) {
    codes.insert(kwcheck::CodeText(k.Code));
    const std::size_t at = doc.find("\n### " + kwcheck::CodeText(k.Code) + " " + std::string(k.Name) + "\n");
    ASSERT_NE(at, std::string::npos) << k.Code;
    const std::size_t next = doc.find("\n### ", at + 1);
    const std::string entry = doc.substr(at, next == std::string::npos ? std::string::npos : next - at);
    const std::size_t wrong = entry.find("Wrong:\n\n```\n");
    const std::size_t right = entry.find("Right:\n\n```\n");
    ASSERT_NE(wrong, std::string::npos) << k.Code;
    ASSERT_NE(right, std::string::npos) << k.Code;
    // The examples are scripts (spam lists for 4xx) that show the finding and lose it,
    // but for those that describe a file rather than show one.
    if (k.Code == 404 || k.Code > 500) continue;
    for (const auto& [label, shows] : {std::pair{wrong, true}, std::pair{right, false}}) {
      const std::size_t from = label + std::string_view("Wrong:\n\n```\n").size();
      std::string example, error;
      ASSERT_TRUE(kwcheck::Utf8ToCp1250(entry.substr(from, entry.find("```", from) - from), example, error));
      const std::vector<TFinding> found =
          k.Code / 100 == 4 ? kwcheck::CheckSpamList(example) : kwcheck::CheckScript(example);
      const bool has = std::any_of(found.begin(), found.end(), [&](const TFinding& f) { return f.Code == k.Code; });
      EXPECT_EQ(has, shows) << k.Code << (shows ? " wrong" : " right") << "\n" << Describe(found);
    }
  }
  EXPECT_EQ(listed, codes);
}

// The guide's table of parameters is the command list's signatures, row for row.
TEST(Checker, GuideParameterTableIsTheSignatures) {
  const std::string doc = kwtest::ReadBytes(SourceFile("docs/script-language.md"));
  static constexpr std::string_view kUse[] = {"", ", written", ", read and written", ", as written"};
  for (int code = 0; code < kCommandCount; ++code) {
    const TParamSignature& s = kSignatures[code];
    std::string row = "| `" + std::string(kCommandList[code].Word) + "` |";
    for (std::size_t n = 0; n < s.Count; ++n)
      row += (n ? "; " : " ") + std::to_string(n + 1) + ". " +
             std::string(kParamRoleNames[static_cast<std::size_t>(s.Params[n].Role)].English) +
             std::string(kUse[static_cast<std::size_t>(s.Params[n].Access)]);
    if (s.Rest) row += " (the rest of the line)";
    if (s.LastRepeats) row += "; more like " + std::to_string(s.Count);
    row += s.Count == 0 ? " none |" : " |";
    EXPECT_NE(doc.find(row + "\n"), std::string::npos) << row;
  }
}

// Each code of 1xx to 3xx is raised by the one stage that declares it.
TEST(Checker, StagesDeclareTheirHundreds) {
  std::set<int> declared;
  for (const auto& [codes, hundred] : {std::pair{kwcheck::kFlowCodes, 1}, std::pair{kwcheck::kNameCodes, 2},
                                       std::pair{kwcheck::kValueCodes, 3}})
    for (const int code : codes) {
      EXPECT_EQ(code / 100, hundred) << code;
      EXPECT_TRUE(declared.insert(code).second) << code;
    }
  for (const kwcheck::TFindingKind& k : kwcheck::kFindingKinds) {
    if (k.Code < 400) {
      EXPECT_EQ(declared.count(k.Code), 1u) << k.Code;
    }
  }
}

// Messages are filled from their fields; doubled braces stand for one.
TEST(Checker, TemplatesFillFromFields) {
  const kwcheck::TFields fields = {{"a", "x"}, {"b", "{y}"}};
  EXPECT_EQ(kwcheck::FillTemplate("{a}-{b}-{{a}}-{c}", fields), "x-{y}-{a}-{c}");
  EXPECT_EQ(kwcheck::FillTemplate("{", fields), "{");
}

// A finding and its fix speak the process's language; what tools read stays as it is.
TEST(Checker, FindingInTheChosenLanguage) {
  const std::pair<Language, std::u8string_view> rows[] = {
      {Language::Polish, u8"s.dat:1:6: KW110 goto-colon: GOTO :koniec szuka wiersza, który brzmi '::koniec': dwukropek "
                         u8"należy tylko do wiersza etykiety; napisz GOTO koniec (poprawka: usuń dwukropek)"},
      {Language::English, u8"s.dat:1:6: KW110 goto-colon: GOTO :koniec looks for a line that reads '::koniec': the "
                          u8"colon belongs only to the label line; write GOTO koniec (fix: drop the colon)"},
  };
  const std::vector<TFinding> found = kwcheck::CheckScript(Script({"GOTO :koniec", ":koniec"}));
  ASSERT_EQ(found.size(), 1u) << Describe(found);
  for (const auto& [language, want] : rows) {
    SetTextLanguage(language);
    EXPECT_EQ(kwcheck::TextLine("s.dat", found[0]), std::string(want.begin(), want.end()));
  }
  SetTextLanguage(Language::English);
}

// Codes are unique, and so are names.
TEST(Checker, CodesAndNamesAreUnique) {
  std::set<int> codes;
  std::set<std::string_view> names;
  for (const kwcheck::TFindingKind& k : kwcheck::kFindingKinds) {
    EXPECT_TRUE(codes.insert(k.Code).second) << k.Code;
    EXPECT_TRUE(names.insert(k.Name).second) << k.Name;
  }
}

// The scripts of the guides (code blocks that open with a special label) check clean,
// but for the guide's example of three mistakes, which shows exactly those.
TEST(Checker, ScriptsOfTheGuidesAreClean) {
  std::string mistakes = kwtest::ReadBytes(SourceFile("tests/check/three-mistakes.dat"));
  mistakes.erase(std::remove(mistakes.begin(), mistakes.end(), '\r'), mistakes.end());
  int scripts = 0;
  for (const auto& doc : std::filesystem::directory_iterator(SourceFile("docs"))) {
    // The page of finding codes shows wrong scripts on purpose.
    if (doc.path().extension() != ".md" || doc.path().filename() == "checker.md") continue;
    const std::string text = kwtest::ReadBytes(doc.path().string());
    for (std::size_t open = text.find("```\n:_"); open != std::string::npos; open = text.find("```\n:_", open + 1)) {
      const std::size_t close = text.find("\n```", open + 3);
      const std::string utf8 = text.substr(open + 4, close + 1 - (open + 4));
      std::string block, error;
      ASSERT_TRUE(kwcheck::Utf8ToCp1250(utf8, block, error)) << error;
      ++scripts;
      const std::vector<TFinding> found = kwcheck::CheckScript(block);
      if (block != mistakes) {
        EXPECT_EQ(Describe(found), "") << doc.path() << "\n" << utf8;
        continue;
      }
      ASSERT_EQ(found.size(), 3u) << Describe(found);
      EXPECT_EQ(found[0].Code, 105);
      EXPECT_EQ(found[1].Code, 304);
      EXPECT_EQ(found[2].Code, 203);
    }
  }
  EXPECT_GE(scripts, 8);
}

TEST(Checker, BundledExamplesHaveNoFindings) {
  int files = 0;
  for (const auto& folder : std::filesystem::directory_iterator(SourceFile("examples"))) {
    if (!folder.is_directory()) continue;
    for (const auto& file : std::filesystem::directory_iterator(folder.path())) {
      const std::string name = file.path().filename().string();
      if (name != "Kwartlin.dat" && file.path().extension() != ".spm") continue;
      ++files;
      EXPECT_EQ(Describe(kwcheck::CheckFile(name, kwtest::ReadBytes(file.path().string()), false)), "") << file.path();
    }
  }
  EXPECT_GE(files, 7);
}

}  // namespace
