// The command language's reader: what each command parses into, and that every line it
// cannot read stops the run with exit code 2 and "file:line: reason", before the plugin
// is loaded.
#include <gtest/gtest.h>

#include "support/cp1250.h"
#include "tests/sim/sim_fixture.h"
#include "tools/sim/transcript.h"

using kwsim::DataFile;
using kwsim::ParseTranscript;
using kwsim::Step;
using kwsim::TranscriptError;
using kwsim::Verb;
using namespace kw;

namespace {

Step One(std::string_view line) {
  const std::vector<Step> steps = ParseTranscript(line);
  EXPECT_EQ(steps.size(), 1u) << line;
  return steps.empty() ? Step{} : steps[0];
}

TEST(Transcript, MessagesTakeTheRestOfTheLineOrOneQuotedString) {
  struct Case {
    std::string line;
    Verb kind;
    std::string protocol, contact, text;
  } cases[] = {
      {"recv TLEN ania@tlen.pl ping", Verb::Recv, "TLEN", "ania@tlen.pl", "ping"},
      {"  RECV tlen ania@tlen.pl   two  words  ", Verb::Recv, "TLEN", "ania@tlen.pl", "two  words"},
      {"send gg 4012345", Verb::Send, "GG", "4012345", ""},
      {"send GG 4012345 \"  kept blanks \"", Verb::Send, "GG", "4012345", "  kept blanks "},
      {"recv GG 1 \"a\\\"b\\\\c\\nd\\re\\tf\"", Verb::Recv, "GG", "1", "a\"b\\c\nd\re\tf"},
      {"recv GG 1 literal \\n stays", Verb::Recv, "GG", "1", "literal \\n stays"},
      {"recv GG \"id with blank\" x", Verb::Recv, "GG", "id with blank", "x"},
      {"recv TLEN a Zażółć gęślą jaźń", Verb::Recv, "TLEN", "a", std::string("Zażółć gęślą jaźń"_w)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const Step s = One(c.line);
    EXPECT_EQ(s.Kind, c.kind);
    EXPECT_EQ(s.Protocol, c.protocol);
    EXPECT_EQ(s.Contact, c.contact);
    EXPECT_EQ(s.Text, c.text);
  }
}

TEST(Transcript, OtherCommands) {
  Step s = One("status tlen away Na obiedzie");
  EXPECT_EQ(s.Kind, Verb::Status);
  EXPECT_EQ(s.Status, 5);
  EXPECT_EQ(s.Text, "Na obiedzie");
  EXPECT_EQ(One("status GG 7").Status, 7);
  EXPECT_EQ(One("status GG +1").Status, 1);

  s = One("contact ania@tlen.pl name=\"Ania K\" group=Znajomi flags=online|blocked");
  EXPECT_EQ(s.Kind, Verb::Contact);
  EXPECT_EQ(s.Fields.Name, "Ania K");
  EXPECT_EQ(s.Fields.Group, "Znajomi");
  EXPECT_FALSE(s.Fields.Description);
  EXPECT_EQ(s.Fields.Flags, 65537);
  EXPECT_EQ(One("contact 1 flags=32").Fields.Flags, 32);

  s = One("click ania@tlen.pl Przywitaj się");
  EXPECT_EQ(s.Text, std::string("Przywitaj się"_w));
  EXPECT_EQ(One("service mov $a, 5").Text, "mov $a, 5");
  EXPECT_EQ(One("restart").Kind, Verb::Restart);
  EXPECT_EQ(One("show-file SETTINGS").File, DataFile::Settings);
  EXPECT_EQ(One("options save").Options, kwsim::OptionsAction::Save);
  s = One("options type spam kup|tanio");
  EXPECT_EQ(s.Memo, 2);
  EXPECT_EQ(s.Text, "kup|tanio");
  s = One("options key SCRIPT Enter");
  EXPECT_EQ(s.Options, kwsim::OptionsAction::Key);
  EXPECT_EQ(s.Key, 13);
  EXPECT_EQ(One("options key spam tab").Key, 9);
  s = One("options caret spam 3 65536");
  EXPECT_EQ(s.Memo, 2);
  EXPECT_EQ(s.CaretLine, 3);
  EXPECT_EQ(s.CaretColumn, 65536);
  EXPECT_EQ(One("options menu #TRUE").Text, "#TRUE");
  EXPECT_EQ(One("options text script").Options, kwsim::OptionsAction::Text);
  EXPECT_EQ(One("options help").Options, kwsim::OptionsAction::Help);
  EXPECT_EQ(One("file script from ../x.dat").FromPath, "../x.dat");
  EXPECT_TRUE(One("file spam delete").Delete);
  EXPECT_EQ(One("echo").Text, "");
  EXPECT_EQ(One("quit").Kind, Verb::Quit);
  EXPECT_EQ(One("exit").Kind, Verb::Quit);
}

TEST(Transcript, BlocksKeepTheirLinesAndLineNumbersGoOn) {
  const std::vector<Step> steps = ParseTranscript(
      "# comment\n"
      "\n"
      "file script <<END\n"
      "  :_start   // kept as written\n"
      "# not a comment here\n"
      "END  \n"
      "recv GG 1 ść\r\n");
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].Kind, Verb::File);
  EXPECT_EQ(steps[0].Line, 3);
  EXPECT_EQ(steps[0].Content, "  :_start   // kept as written\r\n# not a comment here\r\n");
  EXPECT_EQ(steps[1].Line, 7);
  EXPECT_EQ(steps[1].Text, std::string("ść"_w));

  const std::vector<Step> marked = ParseTranscript("\xEF\xBB\xBFrecv GG 1 x\n");
  ASSERT_EQ(marked.size(), 1u);
  EXPECT_EQ(marked[0].Kind, Verb::Recv);
}

// Every kind of line that cannot be read, with the line it is reported at.
TEST(Transcript, BadLinesAreReportedWithTheirLine) {
  struct Case {
    std::string text;
    int line;
    std::string reason;  // a part of the message
  } cases[] = {
      {"recv TLEN a x\nfoo bar\n", 2, "unknown command 'foo'"},
      {"recv XMPP a x\n", 1, "unknown protocol 'XMPP'"},
      {"recv TLEN\n", 1, "missing contact id"},
      {"recv TLEN a \"open\n", 1, "missing closing double quote"},
      {"recv TLEN a \"x\"y\n", 1, "closing quote must be followed by a blank"},
      {"recv TLEN a \"x\" y\n", 1, "unexpected 'y'"},
      {"recv TLEN a \"\\q\"\n", 1, "unknown escape \\q"},
      {"recv TLEN a smile \xF0\x9F\x98\x80\n", 1, "has no Windows-1250 byte"},
      {"recv TLEN a \xC3\x28\n", 1, "not UTF-8"},
      {"recv TLEN a \xC0\xAF\n", 1, "not UTF-8"},  // overlong "/"
      {"status TLEN sleepy\n", 1, "unknown status 'sleepy'"},
      {"status TLEN 99999999999\n", 1, "unknown status"},
      {"status TLEN 9\n", 1, "bad status '9' (1 to 7,"},
      {"status TLEN 0\n", 1, "bad status '0'"},
      {"status GG -3 away\n", 1, "bad status '-3'"},
      {"contact a nick=x\n", 1, "unknown contact field 'nick'"},
      {"contact a name\n", 1, "expected name=value"},
      {"contact a flags=online|asleep\n", 1, "unknown contact flag 'asleep'"},
      {"click a\n", 1, "missing menu item"},
      {"service\n", 1, "missing service text"},
      {"restart now\n", 1, "unexpected 'now' after restart"},
      {"popup a b\n", 1, "unexpected 'b'"},
      {"file notes <<E\nE\n", 1, "unknown file 'notes'"},
      {"file script\n", 1, "missing <<TAG"},
      {"file script copy x\n", 1, "expected <<TAG, from PATH or delete"},
      {"file script from\n", 1, "missing path"},
      {"\n\nfile script <<END\nMOV $a, 1\n", 3, "never closed by a line 'END'"},
      {"file script <<END\nok\n\xFF\nEND\n", 3, "not UTF-8"},
      {"options open\n", 1, "unknown options action 'open'"},
      {"options type notes x\n", 1, "unknown editor 'notes'"},
      {"options type script\n", 1, "missing text to type"},
      {"options key script space\n", 1, "unknown key 'space'"},
      {"options key script tab tab\n", 1, "unexpected 'tab'"},
      {"options caret script 0 1\n", 1, "bad line '0'"},
      {"options caret script 1 65537\n", 1, "bad column '65537'"},
      {"options caret script 2\n", 1, "missing column"},
      {"options menu\n", 1, "missing menu entry caption"},
      {"options help me\n", 1, "unexpected 'me'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ParseTranscript(c.text);
      ADD_FAILURE() << "no error";
    } catch (const TranscriptError& e) {
      EXPECT_EQ(e.Line(), c.line);
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
}

// The reader is ready for the next command after a bad line (the interactive prompt
// goes on).
TEST(Transcript, ParserRecoversAfterABadLine) {
  kwsim::TranscriptParser parser;
  EXPECT_THROW(parser.Feed("bogus"), TranscriptError);
  const std::optional<Step> s = parser.Feed("recv GG 1 x");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Line, 2);
  EXPECT_FALSE(parser.InBlock());
}

// A bad line anywhere stops the run before the module is loaded: nothing on the output.
TEST(Transcript, RunStopsWithExitCodeTwoBeforeLoading) {
  const kwsimtest::RunResult r = kwsimtest::RunSim("recv TLEN a ping\nrecv TLEN a \"x\n");
  EXPECT_EQ(r.Code, kwsim::kExitUsage);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "t.txt:2: missing closing double quote\n");
}

}  // namespace
