// The shell: what Tab offers where, and how the loop ends (end of input, Ctrl-C once
// or twice) with the plugin unloaded and its folder gone. A scripted reader stands in
// for the terminal; tests/sim/shell_process_test.py drives the real one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/sim/sim_fixture.h"
#include "tools/sim/completion.h"
#include "tools/sim/console.h"
#include "tools/sim/transcript.h"

using kwsim::ReadResult;
using kwsimtest::HasLine;

namespace {
namespace fs = std::filesystem;

TEST(Shell, CompletionOffersTheWordsOfEachPlace) {
  struct Case {
    std::string before, word;
    std::vector<std::string> words;
    bool path = false;
  } cases[] = {
      {"", "re", {"recv", "restart"}},
      {"", "SHOW", {"show-file"}},
      {"  ", "o", {"options"}},
      {"recv ", "", {"TLEN", "GG"}},
      {"SEND ", "g", {"GG"}},
      {"recv TLEN ", "a", {}},                 // the contact is free text
      {"status gg ", "in", {"invisible"}},
      {"status GG ", "o", {"offline", "online"}},
      {"contact ania ", "", {"name=", "group=", "desc=", "flags="}},
      {"contact ania name=Ania ", "g", {"group="}},
      {"contact ", "n", {}},                   // the id comes first
      {"file ", "s", {"script", "spam", "settings"}},
      {"file spam ", "", {"<<END", "from", "delete"}},
      {"file spam from ", "ex", {}, true},
      {"options ", "s", {"show", "save"}},
      {"options ", "t", {"type", "text"}},
      {"options type ", "", {"script", "spam"}},
      {"options menu ", "s", {}},
      {"options key spam ", "", {"tab", "enter"}},
      {"trace ", "O", {"on", "off"}},
      {"echo ", "re", {}},
      {"bogus ", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.before + "' + '" + c.word + "'");
    const kwsim::Completion got = kwsim::CompleteShellWord(c.before, c.word);
    EXPECT_EQ(got.Words, c.words);
    EXPECT_EQ(got.Path, c.path);
  }
}

// Every command the summary shows is offered at the start of a line.
TEST(Shell, CompletionKnowsEveryCommandOfTheSummary) {
  const std::vector<std::string> all = kwsim::CompleteShellWord("", "").Words;
  for (const std::string& line : kwsim::CommandSummary()) {
    if (line.empty() || line[0] < 'a' || line[0] > 'z') continue;
    // "stop, start ...": the names run while a comma follows.
    std::istringstream words(line);
    bool more = true;
    for (std::string word; more && words >> word;) {
      more = word.back() == ',';
      if (more) word.pop_back();
      EXPECT_NE(std::find(all.begin(), all.end(), word), all.end()) << word;
    }
  }
}

// Lines, Ctrl-C (an empty text marks one) and then the end of input. It notes the
// simulator's folders of this process while the shell reads.
class ScriptedReader final : public kwsim::LineReader {
 public:
  ScriptedReader(std::vector<std::string> lines, bool interactive)
      : lines_(std::move(lines)), interactive_(interactive) {}

  ReadResult Read(std::string_view prompt, std::string& line) override {
    prompts_ += std::string(prompt) + "|";
    std::error_code ec;
    const std::string mine = "kwartlin-sim-" + std::to_string(kwsim::ProcessId()) + "-";
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(), ec))
      if (entry.path().filename().string().rfind(mine, 0) == 0) folders_.push_back(entry.path());
    if (next_ >= lines_.size()) return ReadResult::End;
    line = lines_[next_++];
    return line.empty() ? ReadResult::Interrupted : ReadResult::Line;
  }
  bool Interactive() const override { return interactive_; }
  std::string_view Keys() const override { return "keys"; }

  std::string prompts_;
  std::vector<fs::path> folders_;

 private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  bool interactive_;
};

struct ShellRun {
  int Code = -1;
  std::string Out, Err, Prompts;
};

ShellRun RunShellWith(std::vector<std::string> lines, bool interactive) {
  kwsim::RunOptions options;
  options.Module = kwsimtest::ModulePath();
  ScriptedReader in(std::move(lines), interactive);
  std::ostringstream out, err;
  ShellRun r;
  r.Code = kwsim::RunShell(in, options, out, err);
  r.Out = out.str();
  r.Err = err.str();
  r.Prompts = in.prompts_;
  EXPECT_FALSE(in.folders_.empty());
  for (const fs::path& folder : in.folders_) EXPECT_FALSE(fs::exists(folder)) << folder;
  return r;
}

// However the shell ends, the plugin is unloaded (its settings written) and its folder
// is gone.
TEST(Shell, EndsOnEndOfInputQuitOrCtrlC) {
  const std::string unload = "> unload";
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    bool interactive;
    std::vector<std::string> ran, notRan;
  } cases[] = {
      {"end of input", {"recv GG 1 a"}, false, {"> recv GG 1: \"a\""}, {}},
      {"quit", {"quit", "recv GG 1 a"}, false, {}, {"> recv GG 1: \"a\""}},
      {"one Ctrl-C from a pipe", {"recv GG 1 a", "", "recv GG 1 b"}, false, {"> recv GG 1: \"a\""},
       {"> recv GG 1: \"b\""}},
      {"Ctrl-C twice", {"recv GG 1 a", "", "recv GG 1 b", "", "", "recv GG 1 c"}, true,
       {"> recv GG 1: \"a\"", "> recv GG 1: \"b\"", "(Ctrl-C again to leave)"}, {"> recv GG 1: \"c\""}},
      // A Ctrl-C in a block drops the block: the next line is a command again.
      {"a block dropped", {"file script <<END", ":_start", "", "recv GG 1 a"}, true,
       {"(the open block is dropped)", "> recv GG 1: \"a\""}, {"> file script"}},
      {"a block given up", {"file script <<END", ":_start", ""}, false, {}, {"> file script"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ShellRun r = RunShellWith(c.lines, c.interactive);
    EXPECT_EQ(r.Code, kwsim::kExitOk) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_TRUE(HasLine(r.Out, unload)) << r.Out;
    for (const std::string& line : c.ran) EXPECT_TRUE(HasLine(r.Out, line)) << line << "\n" << r.Out;
    for (const std::string& line : c.notRan) EXPECT_EQ(r.Out.find(line), std::string::npos) << line;
  }
}

TEST(Shell, GoesOnAfterBadLinesAndReportsThem) {
  ShellRun r = RunShellWith({"recv GG 1 a", "bogus", "file script <<END", ":_start", "END", "help", "recv GG 1 b"},
                            false);
  EXPECT_EQ(r.Code, kwsim::kExitUsage);
  EXPECT_EQ(r.Err.rfind("<stdin>:2: unknown command 'bogus' (recv, send,", 0), 0u) << r.Err;
  EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1);
  EXPECT_TRUE(HasLine(r.Out, "> recv GG 1: \"b\""));
  EXPECT_NE(r.Out.find("recv PROTO FROM TEXT"), std::string::npos);
  EXPECT_EQ(r.Prompts, "kwartlin> |kwartlin> |kwartlin> |... |... |kwartlin> |kwartlin> |kwartlin> |");

  r = RunShellWith({"file script <<END", ":_start"}, false);
  EXPECT_EQ(r.Code, kwsim::kExitUsage);
  EXPECT_NE(r.Err.find("<stdin>:1: the block <<END is never closed"), std::string::npos) << r.Err;

  r = RunShellWith({"options type script x", "recv GG 1 a"}, false);
  EXPECT_EQ(r.Code, kwsim::kExitFailure);
  EXPECT_EQ(r.Err, "<stdin>:1: the page is not open: options show first\n");
  EXPECT_TRUE(HasLine(r.Out, "> recv GG 1: \"a\""));
}

// Written files are read by the running plugin at a restart, or at the page's save of
// a page made after them; the shell says which, to a person only.
TEST(Shell, SaysWhatLoadsAWrittenFile) {
  const std::string closed = "    (a restart loads it, or the options page's save: options show, then options save)";
  const std::string open =
      "    (a restart loads it; the open options page holds the old text, which its save would write back: "
      "options destroy, show and save load the new one)";
  struct Case {
    std::vector<std::string> lines;
    bool interactive;
    std::string hint;  // empty: none
  } cases[] = {
      {{"file script <<END", "END"}, true, closed},
      {{"file spam <<END", "END"}, true, closed},
      {{"options show", "file script <<END", "END"}, true, open},
      {{"file script <<END", "END"}, false, ""},
      {{"file settings <<END", "END"}, true, ""},
      {{"stop", "file script <<END", "END"}, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    const ShellRun r = RunShellWith(c.lines, c.interactive);
    EXPECT_EQ(r.Code, kwsim::kExitOk) << r.Err;
    if (c.hint.empty()) EXPECT_EQ(r.Out.find("    (a restart"), std::string::npos) << r.Out;
    else EXPECT_TRUE(HasLine(r.Out, c.hint)) << r.Out;
  }
}

}  // namespace
