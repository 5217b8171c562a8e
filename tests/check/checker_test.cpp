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
#include "check/file_checks.h"
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
      {"_init, no _start", Script({":_init", "MenuAdd 'a', 'A'", "EXIT"}), 1, 112, "no :_start"},
      {"$_MESSAGE in a menu run", Script({"EXIT", ":_menu_click", "SEND $_ID, $_MESSAGE"}), 3, 113,
       "sets $_MESSAGE for none"},
      {"$_FILTR in a menu run", Script({"EXIT", ":_menu_show", "MOV $_FILTR, 1"}), 3, 113, "reads $_FILTR after none"},
      {"GOTO a CALLed section", Script({":_start", "GOTO r", ":r", "SEND $_ID, 'x'", "RET", ":_init", "CALL r", "EXIT"}),
       2, 114, "ends with RET"},
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
      {"quoted variable", Script({"SEND $_ID, '$_MESSAGE'"}), 1, 213, "not the value of $_MESSAGE"},
      {"quoted constant", Script({"MOV $_FILTR, '#TRUE'"}), 1, 213, "drop the quotes"},
      {"quoted SAVE name", Script({"SAVE '$n', 1", "ADD $n, 1"}), 1, 213, "names no variable"},
      {"interpolation", Script({"SEND $_ID, 'You said $_MESSAGE!'"}), 1, 214, "STRCON"},
      {"dynamic name", Script({"ADD $n_$_ID, 1"}), 1, 215, "cannot be built"},
      {"MenuDel by caption", Script({"EXIT", ":_init", "MenuAdd 'a', 'Greet'", "MenuDel 'Greet'"}), 4, 216,
       "caption of the entry named 'a'"},
      {"MenuDel two values", Script({"EXIT", ":_init", "MenuAdd 'a', 'A'", "MenuDel 'a', 'A'"}), 4, 216, "one name"},
      {"flags compared", Script({"CONINFO $_ID, $n, $g, $d, $f", "IF $f = #CINFO_BLOCKED", "EXIT", "SEND $_ID, $n",
                                  "SEND $_ID, $g", "SEND $_ID, $d"}),
       2, 217, "BITAND"},
      {"SETSTS swapped", Script({"SETSTS #STS_AWAY, #PROTO_GG, 'brb'"}), 1, 211, "each other's places"},
      {"SEND swapped", Script({"SEND 'hi there', $_ID"}), 1, 211, "each other's places"},
      {"STRPOS swapped", Script({"STRPOS $p, $_MESSAGE, 'go'", "SEND $_ID, $p"}), 1, 211, "each other's places"},
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
      {"lub", Script({"IF $_IN = 1 lub $_ID = 2", "EXIT"}), 1, 316, "no LUB"},
      {"comma joins", Script({"IF $_IN = 1, $_ID = 2", "EXIT"}), 1, 316, "a comma joins"},
      {"=!", Script({"IF $_IN =! 1", "EXIT"}), 1, 314, "write !="},
      {"><", Script({"IF $_IN >< 1", "EXIT"}), 1, 314, "write <>"},
      {"EXIT code", Script({"EXIT 0"}), 1, 317, "'0' after it is ignored"},
      {"SaveConfig $n", Script({"SAVE $n, 1", "SaveConfig $n"}), 2, 317, "SAVE has marked"},
      {"sum", Script({"MOV $m, $_IN + 1", "SEND $_ID, $m"}), 1, 318, "no sum"},
      {"function", Script({"MOV $m, len($_MESSAGE)", "SEND $_ID, $m"}), 1, 318, "no function call"},
      {"# comment", Script({"MOV $_FILTR, 1 # hide it"}), 1, 319, "comments start with //"},
      {"\\t", Script({"SEND $_ID, 'a\\tb'"}), 1, 320, "only \\n is an escape"},
      {"typographic", Script({"SEND $_ID, \x84hi\x94"}), 1, 321, "word processor"},
      {"STRCON doubled", Script({"MOV $s, 'a'", "STRCON $s, $s, 'b'", "SEND $_ID, $s"}), 2, 322, "doubles it"},
      {"separator", Script({"STREXT $_MESSAGE, ', ', 0, $w", "SEND $_ID, $w"}), 1, 323, "splits at ','"},
      {"STRDEL 0", Script({"MOV $s, 'ab'", "STRDEL $s, 0, 1", "SEND $_ID, $s"}), 2, 324, "from 1"},
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
      // a message of several lines, a path with \t, a smiley, a protocol's value as itself, the
      // script's own $_ variables, a variable another plugin sets (declared)
      Script({"SEND $_ID, 'Hi\\nthere\\nfriend'", "SEND $_ID, 'C:\\temp'", "SEND $_ID, Hi ;)", "MOV $GG, 1",
              "IF $_PROTO = GG", "SEND $_ID, $GG", "MOV $_MINE, $_ID", "SEND $_MINE, 'x'",
              "// kwcheck: set $weather", "SEND $_ID, $weather", "STRCON $s, 'a'", "MOV $s, ''", "SEND $_ID, $s"}),
      Script({std::string("MOV $a, 'Zażółć gęślą jaźń'"_w), "SEND $_ID, $a", std::string(":ŻÓŁW"_w),
              std::string("GOTO żółw"_w)}),
  };
  for (const std::string& s : scripts) EXPECT_EQ(Describe(kwcheck::CheckScript(s)), "") << s;
}

// The file as an editor on Windows saves it: UTF-8 text as UTF-16 with its mark.
std::string Utf16(std::string_view utf8, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    if (!kwcheck::DecodeUtf8(utf8, i, cp)) return out;
    const auto unit = [&](char32_t u) {
      const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
      out += bigEndian ? hi : lo;
      out += bigEndian ? lo : hi;
    };
    if (cp >= 0x10000) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

// Every encoding an editor on Windows writes, for a script and for a spam list: one
// finding on its line naming the encoding, what the plugin does, and the advice; and
// the file that the advised conversion gives is read by the engine as was meant.
TEST(Checker, EncodingsOfWindowsEditors) {
  const std::string script = ":_init\r\nMOV $a, 'Gęś ąź'\r\n";  // this source is UTF-8
  const std::string spam = "; rules\r\nza\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85\r\n";
  const std::string iso = ":_init\r\nMOV $a, 'G\xEA\xB6 \xB1\xBC'\r\n";  // ą ś ź at B1 B6 BC
  const std::string convert = "\"ANSI\"";
  const std::string inexact = "'\xE2\x9C\x93' (U+2713) on line 2 has no Windows-1250 byte";
  struct Row {
    std::string name, bytes;
    bool spam;
    std::vector<std::pair<int, int>> found;  // line, code
    std::string effect, advice;
    std::string meant;  // the script's $A, or a message the list must catch; empty: no exact conversion
  } rows[] = {
      {"UTF-8", script, false, {{2, 501}}, "'Gęś' reads as 'GÄ™Ĺ›'", convert, "Gęś ąź"},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + script, false, {{1, 504}, {2, 501}}, "'ď»ż:_init' is then no label, so the plugin never runs _init", "GetEncoding(1250)", "Gęś ąź"},
      {"BOM before a command", "\xEF\xBB\xBFMOV $a, 'x'\r\n", false, {{1, 504}}, "'ď»żMOV $a, 'x'' is then no command", convert, "x"},
      {"BOM before :loop", "\xEF\xBB\xBF:loop\r\nMOV $a, 'x'\r\n", false, {{1, 504}}, "GOTO loop and CALL loop go on", convert, "x"},
      {"BOM before a comment", "\xEF\xBB\xBF// x\r\nMOV $a, 'x'\r\n", false, {{1, 504}}, "harmless while line 1 holds no command", convert, "x"},
      {"UTF-16 LE", Utf16(script, false), false, {{1, 505}}, "UTF-16 LE, in which every other byte", "Kwartlin.dat", "Gęś ąź"},
      {"UTF-16 BE", Utf16(script, true), false, {{1, 505}}, "all it gets is the line 'ţ˙'", convert, "Gęś ąź"},
      {"UTF-16 with ✓", Utf16(":_init\r\nMOV $a, '\xE2\x9C\x93'\r\n", false), false, {{1, 505}}, "nothing of the script runs", inexact, ""},
      {"UTF-8 with ✓", "MOV $a, 'ó'\r\nMOV $b, '\xE2\x9C\x93'\r\n", false, {{1, 501}}, "'ó'", inexact, ""},
      {"ISO-8859-2", iso, false, {{2, 506}}, "'Gęś' reads as 'Gę¶'", "GetEncoding(28592)", "Gęś ąź"},
      {"UTF-8 list", spam, true, {{2, 501}}, "a rule holding one matches no message", convert, "Zażółć gęślą jaźń"},
      {"list with BOM", "\xEF\xBB\xBF" + spam, true, {{1, 504}, {2, 501}}, "line 1 becomes a rule that no message matches", "Kwartlin.spm", "Zażółć gęślą jaźń"},
      {"BOM before a rule", "\xEF\xBB\xBFtanio\r\n", true, {{1, 504}}, "the rule becomes 'ď»żtanio'", convert, "Tanio!"},
      {"UTF-16 LE list", Utf16(spam, false), true, {{1, 505}}, "no rule is left but '˙ţ;'", convert, "Zażółć gęślą jaźń"},
      {"UTF-16 BE list", Utf16(spam, true), true, {{1, 505}}, "no rule is left but 'ţ˙'", convert, "Zażółć gęślą jaźń"},
      {"ISO-8859-2 list", "kup\r\nb\xB1" "d\xBC\r\n", true, {{2, 506}}, "'bądź' reads as 'b±dĽ'", "replace each", "Bądź"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::vector<TFinding> found = r.spam ? kwcheck::CheckSpamList(r.bytes) : kwcheck::CheckScript(r.bytes);
    std::vector<std::pair<int, int>> got;  // the file's findings; the lines' are other tests'
    for (const TFinding& f : found)
      if (f.Code / 100 == 5) got.emplace_back(f.Line, f.Code);
    ASSERT_EQ(got, r.found) << Describe(found);
    const std::string message = std::find_if(found.begin(), found.end(), [&](const TFinding& f) {
                                  return f.Code == r.found[0].second;
                                })->MessageText();
    EXPECT_NE(message.find(r.effect), std::string::npos) << message;
    EXPECT_NE(message.find(r.advice), std::string::npos) << message;
    const std::optional<std::string> converted = kwcheck::ConvertedToCp1250(r.bytes);
    ASSERT_EQ(converted.has_value(), !r.meant.empty());
    if (!converted) continue;
    for (const TFinding& f : r.spam ? kwcheck::CheckSpamList(*converted) : kwcheck::CheckScript(*converted))
      EXPECT_NE(f.Code / 100, 5) << f.MessageText();
    std::string meant, error;
    ASSERT_TRUE(kwcheck::Utf8ToCp1250(r.meant, meant, error));
    if (r.spam) {
      SpamList = SpamRulesFromText(*converted);
      EXPECT_TRUE(IsSpam(meant)) << *converted;
      EXPECT_FALSE(IsSpam("rower")) << *converted;
      SpamList.clear();
      continue;
    }
    ClearVariables();
    kwtest::FakeScriptHost host;
    RunScript(ScriptLinesFromText(*converted), entryStart);  // from line 1: no row has _start
    const long a = VariableTable.Find("$A");
    ASSERT_GE(a, 0);
    EXPECT_EQ(VariableTable[static_cast<std::size_t>(a)].Value, meant);
  }
  ClearVariables();
}

// Windows-1250 files that only look like another encoding are left alone: letters that
// pair up as UTF-8 ("ÓŁ" is D3 A3), ± and ¶ as signs, ISO-8859-2's bytes beside ą.
TEST(Checker, WindowsFilesAreNotTakenForOthers) {
  const std::string files[] = {
      Script({std::string("SEND $_ID, 'ÓŁ'"_w)}),
      Script({std::string("SEND $_ID, '5 ± 2 ¶ 3'"_w)}),
      Script({std::string("SEND $_ID, 'ąb±c'"_w)}),
  };
  for (const std::string& f : files) {
    EXPECT_EQ(kwcheck::FileEncoding(f), kwcheck::TFileEncoding::Windows1250) << f;
    EXPECT_EQ(Describe(kwcheck::CheckScript(f)), "") << f;
  }
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
      {"quoted variable", Script({"SEND $_ID, '$_MESSAGE'"}), entryStart, "sent:123 go"},
      {"SETSTS swapped", Script({"SETSTS #STS_AWAY, #PROTO_GG, 'brb'"}), entryStart, "status=5"},
      {"SEND swapped", Script({"SEND 'hi there', $_ID"}), entryStart, "sent:hi there"},
      {"STRPOS swapped", Script({"STRPOS $p, $_MESSAGE, 'go'", "SEND $_ID, $p"}), entryStart, "sent:5"},
      {"=!", Script({"IF $_IN =! 0", "SEND $_ID, 'in'"}), entryStart, "sent:in"},
      {"EXIT code", Script({"SEND $_ID, 'x'", "EXIT 0"}), entryStart, "sent:x"},
      {"# comment", Script({"MOV $_FILTR, 1 # hide it"}), entryStart, "$_FILTR=1"},
      {"typographic", Script({"SEND $_ID, \x84hi\x94"}), entryStart, "sent:hi"},
      {"STRCON doubled", Script({"MOV $s, 'a'", "STRCON $s, $s, 'b'", "SEND $_ID, $s"}), entryStart, "sent:ab"},
      {"separator", Script({"STREXT $_MESSAGE, ' x', 0, $w", "SEND $_ID, $w"}), entryStart, "sent:123"},
      {"STRDEL 0", Script({"MOV $s, $_MESSAGE", "STRDEL $s, 0, 1", "SEND $_ID, $s"}), entryStart, "sent:23 go"},
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

// Spam list rules, lists written as other tools write them included: one finding each;
// where the rule can be meant as written (a comma, a star, a slash) a note without a fix.
TEST(Checker, SpamListRules) {
  const Case cases[] = {
      {"open quote", Script({"kup", "\"darmowe sms"}), 2, 401, "rest of the line"},
      {"trailing bar", Script({"kup|"}), 1, 402, "'kup|'"},
      {"bar alone", Script({"kup | sprzedaj  tanio"}), 1, 403, "write 'kup|sprzedaj  tanio'"},
      {"control characters only", Script({"kup", "\f"}), 2, 404, "every text"},
      {"quoted phrase", Script({"\"za darmo\""}), 1, 405, "any one of them matches"},
      {"comma", Script({"kup,sprzedam"}), 1, 406, "separate them with | ('kup|sprzedam')"},
      {"wildcard", Script({"kup* tanio"}), 1, 407, "the * or ? itself"},
      {"OR", Script({"kup OR sprzedam"}), 1, 408, "joined by |"},
      {"lub", Script({"kup lub sprzedam"}), 1, 408, "'lub' is a word the message must contain"},
      {"slash", Script({"kup/sprzedam"}), 1, 409, "'/' included"},
      {"semicolon", Script({"kup;sprzedam tanio"}), 1, 409, "';' included"},
      {"parentheses", Script({"(kup|sprzedam) tanio"}), 1, 410, "'(kup|sprzedam)' matches only"},
      {"parentheses around words", Script({"(darmowe sms)"}), 1, 410, "three double quotes"},
      {"single quotes", Script({"'za darmo'"}), 1, 411, "write '\"\"\"za darmo\"\"\"'"},
      {"// comment after a rule", Script({"kup tanio // z allegro"}), 1, 412, "'z allegro' are words"},
      {"// comment line", Script({"kup", "// reklamy"}), 2, 412, "lines that begin with ;"},
      {"smiley", Script({";) darmowe"}), 1, 413, "write '\";)\" darmowe'"},
      {"UTF-8 list", "zażółć\r\n", 1, 501, "the file is UTF-8"},
  };
  for (const Case& c : cases) ExpectOneFinding(c, kwcheck::CheckSpamList(c.script));
  const std::string sound[] = {
      Script({"; comment |", "", "kup|sprzedam tanio|okazja", "kup ;tanio"}),
      Script({"\"\"\"darmowe sms\"\"\"", "\"\"\"darmowe sms\"\"|\"\"tanie sms\"\"\""}),
      Script({std::string("zażółć|łańcuszek"_w), std::string("wygrałeś nagroda"_w)}),
      // smileys, apostrophes, addresses, numbers and a lone // are what a message holds
      Script({"kup :( :-) ;-)", "don't|can't", "http://bit.ly km/h 24/7 1;2", "//", "; kwcheck: ignore KW407",
              ";;; section", "; )"}),
  };
  for (const std::string& s : sound) EXPECT_EQ(Describe(kwcheck::CheckSpamList(s)), "") << s;
  for (const std::string& rule : {std::string("kup,sprzedam"), std::string("kup* tanio"), std::string("sprzedam/zamienię"_w)})
    for (const TFinding& f : kwcheck::CheckSpamList(rule)) {
      EXPECT_EQ(f.Kind().Severity, kwcheck::TSeverity::Note) << rule;
      EXPECT_FALSE(f.Fix.has_value()) << rule;
    }
  // One pass reports every mistake of a line.
  EXPECT_EQ(kwcheck::CheckSpamList("'tanio' kup|| (okazja)").size(), 3u);

  struct Fix {
    std::string rule, spam, innocent;
  } fixes[] = {
      {"\"za darmo\"", "teraz za darmo", "za chwile"},
      {"kup OR sprzedam", "kup teraz", "rower"},
      {"kup lub sprzedam", "sprzedam rower", "rower lubie"},
      {"kup | sprzedam", "kup teraz", "rower"},
      {"(kup|sprzedam) tanio", "sprzedam tanio", "sprzedam rower"},
      {"'za darmo'", "teraz za darmo", "za chwile darmo"},
      {"'tanio' kup", "kup tanio", "kup rower"},
      {"kup tanio // z allegro", "kup tanio", "kup rower"},
      {"// reklamy", "reklamy http://x", "reklamy"},
      {";) darmowe", "darmowe ;)", "darmowe"},
  };
  for (const Fix& f : fixes) {
    const std::vector<TFinding> found = kwcheck::CheckSpamList(f.rule);
    ASSERT_EQ(found.size(), 1u) << f.rule << "\n" << Describe(found);
    ASSERT_TRUE(found[0].Fix.has_value()) << f.rule;
    const std::string fixed = Applied(f.rule, found[0]);
    EXPECT_EQ(Describe(kwcheck::CheckSpamList(fixed)), "") << fixed;
    SpamList = SpamRulesFromText(fixed);
    EXPECT_EQ(IsSpam(f.spam), f.rule != "// reklamy") << fixed;  // a comment line catches nothing
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

// A UTF-8 example of the docs as its file was saved: "" Windows-1250, "utf-8",
// "utf-8-bom", "utf-16le", "utf-16be", "iso-8859-2".
std::string SavedAs(std::string_view encoding, const std::string& utf8) {
  if (encoding == "utf-8") return utf8;
  if (encoding == "utf-8-bom") return "\xEF\xBB\xBF" + utf8;
  if (encoding == "utf-16le" || encoding == "utf-16be") return Utf16(utf8, encoding == "utf-16be");
  std::string cp1250, error;
  EXPECT_TRUE(kwcheck::Utf8ToCp1250(utf8, cp1250, error)) << error;
  if (encoding == "iso-8859-2")
    for (char& c : cp1250)
      for (const auto& [from, to] : {std::pair{'\xB9', '\xB1'}, {'\x9C', '\xB6'}, {'\x9F', '\xBC'}, {'\xA5', '\xA1'},
                                     {'\x8C', '\xA6'}, {'\x8F', '\xAC'}})
        if (c == from) {
          c = to;
          break;
        }
  return cp1250;
}

// The page of finding codes, in each language, with the words that open its examples
// (as the pages spell them, in UTF-8).
struct TCodesPage {
  const char* Path;
  std::string_view Wrong;
  std::string_view Right;
};
constexpr TCodesPage kCodesPages[] = {
    {"docs/checker.md", "\nWrong", "\nRight"},
    {"docs/checker.pl.md", "\n\xC5\xB9le", "\nDobrze"},
};

// Every code has one entry on each codes page with a wrong example that the checker
// reports under that code and a right one that it does not, and no page names a code
// the list lacks.
TEST(Checker, DocsPageListsEveryCode) {
  for (const TCodesPage& page : kCodesPages) {
    SCOPED_TRACE(page.Path);
    const std::string doc = kwtest::ReadBytes(SourceFile(page.Path));
    ASSERT_FALSE(doc.empty());
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
      // "Wrong:" or "Wrong (saved as ...):", then the example's fence.
      const std::size_t wrong = entry.find("\n\n```", entry.find(page.Wrong));
      const std::size_t right = entry.find("\n\n```", entry.find(page.Right));
      ASSERT_NE(wrong, std::string::npos) << k.Code;
      ASSERT_NE(right, std::string::npos) << k.Code;
      // The examples are scripts (spam lists for 4xx) that show the finding and lose it,
      // but for those that describe a file rather than show one.
      if (k.Code == 404 || k.Code == 503) continue;
      for (const auto& [label, shows] : {std::pair{wrong, true}, std::pair{right, false}}) {
        // The fence may name how the example is saved: ```utf-16le; Windows-1250 without.
        const std::size_t info = label + std::string_view("\n\n```").size();
        const std::size_t from = entry.find('\n', info) + 1;
        std::string example =
            SavedAs(entry.substr(info, from - 1 - info), entry.substr(from, entry.find("```", from) - from));
        for (std::size_t nul; (nul = example.find("<NUL>")) != std::string::npos;) example.replace(nul, 5, 1, '\0');
        const std::vector<TFinding> found =
            k.Code / 100 == 4 ? kwcheck::CheckSpamList(example) : kwcheck::CheckScript(example);
        const bool has = std::any_of(found.begin(), found.end(), [&](const TFinding& f) { return f.Code == k.Code; });
        EXPECT_EQ(has, shows) << k.Code << (shows ? " wrong" : " right") << "\n" << Describe(found);
        // A script's examples are whole: the wrong one shows only its code, the right one nothing.
        const bool only = std::all_of(found.begin(), found.end(), [&](const TFinding& f) { return f.Code == k.Code; });
        if (k.Code < 400) {
          EXPECT_TRUE(shows ? only : found.empty()) << k.Code << "\n" << Describe(found);
        }
      }
    }
    EXPECT_EQ(listed, codes);
  }
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
    // The pages of finding codes show wrong scripts on purpose.
    const std::string relative = "docs/" + doc.path().filename().string();
    if (doc.path().extension() != ".md" ||
        std::any_of(std::begin(kCodesPages), std::end(kCodesPages), [&](const TCodesPage& p) { return relative == p.Path; }))
      continue;
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
