// Runs the simulator's modes. A transcript is parsed whole before the plugin is loaded,
// so a bad line costs nothing but the message; a failure of the simulation itself
// (module, files) ends the run after unloading what was loaded.
#include "tools/sim/driver.h"

#include <filesystem>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>

#include "check/checker.h"
#include "check/output.h"
#include "tools/sim/codec.h"
#include "tools/sim/console.h"
#include "tools/sim/plugins_folder.h"
#include "tools/sim/report.h"
#include "tools/sim/session.h"
#include "tools/sim/texts.h"
#include "tools/sim/transcript.h"

namespace kwsim {
namespace fs = std::filesystem;

namespace {

std::unique_ptr<Reporter> MakeReporter(const RunOptions& options, std::ostream& out) {
  if (options.Json) return std::make_unique<JsonReporter>(out);
  return std::make_unique<TextReporter>(out, options.Colour);
}

SessionOptions MakeSessionOptions(const RunOptions& options, const std::string& baseDir) {
  SessionOptions s;
  s.ModulePath = options.Module.empty() ? DefaultModulePath() : options.Module;
  s.PluginsFrom = options.PluginsFrom;
  s.BaseDir = baseDir;
  s.Keep = options.Keep;
  s.Trace = options.Trace;
  return s;
}

// Loads the plugin; false (with the message on err) when that fails.
bool StartSession(Session& session, const SessionOptions& options, const RunOptions& run,
                  const std::string& name, std::ostream& err) {
  if (options.ModulePath.empty()) {
    err << AtPlace(name, Text(TextId::NoModuleBeside)) << '\n';
    return false;
  }
  try {
    session.Start();
  } catch (const std::exception& e) {
    err << AtPlace(name, e.what()) << '\n';
    return false;
  }
  if (run.Keep) err << Say(TextId::FolderKept, {{"folder", session.FolderPath()}}) << '\n';
  return true;
}

void PrintWarnings(Session& session, std::ostream& err) {
  for (const std::string& warning : session.TakeWarnings()) err << warning << '\n';
}

void FinishQuietly(Session& session) {
  try {
    session.Finish();
  } catch (...) {
  }
}

std::string JoinLines(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> TextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string DefaultModulePath() {
  const std::string exe = ExecutablePath();
  if (exe.empty()) return {};
  const fs::path dir = PathFromUtf8(exe).parent_path();
  std::error_code ec;
  for (const fs::path& candidate : {dir / "kwartlin.tpl", dir.parent_path().parent_path() / "kwartlin.tpl"})
    if (fs::is_regular_file(candidate, ec)) return PathToUtf8(candidate);
  return {};
}

int RunTranscript(std::string_view text, const std::string& name, const std::string& baseDir,
                  const RunOptions& options, std::ostream& out, std::ostream& err) {
  std::vector<Step> steps;
  try {
    steps = ParseTranscript(text);
  } catch (const TranscriptError& e) {
    err << AtLine(name, e.Line(), e.what()) << '\n';
    return kExitUsage;
  }
  const std::unique_ptr<Reporter> reporter = MakeReporter(options, out);
  const SessionOptions sessionOptions = MakeSessionOptions(options, baseDir);
  Session session(sessionOptions, *reporter);
  if (!StartSession(session, sessionOptions, options, name, err)) return kExitFailure;
  PrintWarnings(session, err);
  int line = 0;
  try {
    for (const Step& step : steps) {
      line = step.Line;
      if (step.Kind == Verb::Quit) break;
      session.Execute(step);
      PrintWarnings(session, err);
    }
    line = 0;
    session.Finish();
  } catch (const std::exception& e) {
    err << (line > 0 ? AtLine(name, line, e.what()) : AtPlace(name, e.what()))
        << '\n';
    FinishQuietly(session);
    return kExitFailure;
  }
  return kExitOk;
}

int RunTranscriptFile(const std::string& path, const RunOptions& options, std::ostream& out,
                      std::ostream& err) {
  if (path == "-") return RunTranscript(JoinLines(std::cin), "<stdin>", ".", options, out, err);
  const fs::path file = PathFromUtf8(path);
  const std::optional<std::string> text = ReadBytes(file);
  if (!text) {
    err << Say(TextId::CannotReadTranscript, {{"path", path}}) << '\n';
    return kExitUsage;
  }
  const fs::path dir = file.parent_path();
  return RunTranscript(*text, path, dir.empty() ? "." : PathToUtf8(dir), options, out, err);
}

int RunShell(LineReader& in, const RunOptions& options, std::ostream& out, std::ostream& err) {
  const std::string name = "<stdin>";
  const bool interactive = in.Interactive();
  const std::unique_ptr<Reporter> reporter = MakeReporter(options, out);
  const SessionOptions sessionOptions = MakeSessionOptions(options, ".");
  Session session(sessionOptions, *reporter);
  if (!StartSession(session, sessionOptions, options, name, err)) return kExitFailure;
  PrintWarnings(session, err);
  if (interactive) out << Say(TextId::ShellGreeting, {{"keys", in.Keys()}}) << '\n';
  TranscriptParser parser;
  bool unreadable = false;
  bool failed = false;
  bool interruptedLast = false;
  std::string line;
  for (;;) {
    out << std::flush;
    const ReadResult read = in.Read(parser.InBlock() ? "... " : "kwartlin> ", line);
    if (read == ReadResult::End) {
      if (interactive) out << '\n';
      break;
    }
    if (read == ReadResult::Interrupted) {
      // Leaving drops an open block as the first Ctrl-C does: the user gave it up.
      if (!interactive || interruptedLast) {
        parser.DropBlock();
        break;
      }
      interruptedLast = true;
      if (parser.InBlock()) out << Text(TextId::ShellBlockDropped) << '\n';
      parser.DropBlock();
      out << Text(TextId::ShellCtrlCAgain) << '\n';
      continue;
    }
    interruptedLast = false;
    std::optional<Step> step;
    try {
      step = parser.Feed(line);
    } catch (const TranscriptError& e) {
      err << AtLine(name, e.Line(), e.what()) << '\n';
      unreadable = true;
      continue;
    }
    if (!step) continue;
    if (step->Kind == Verb::Quit) break;
    try {
      session.Execute(*step);
      if (interactive) {
        const std::string hint = session.LoadHint(*step);
        if (!hint.empty()) out << "    (" << hint << ")\n";
      }
    } catch (const std::exception& e) {
      err << AtLine(name, step->Line, e.what()) << '\n';
      failed = true;
    }
    PrintWarnings(session, err);
  }
  try {
    parser.Finish();
  } catch (const TranscriptError& e) {
    err << AtLine(name, e.Line(), e.what()) << '\n';
    unreadable = true;
  }
  FinishQuietly(session);
  return unreadable ? kExitUsage : failed ? kExitFailure : kExitOk;
}

int RunCheck(const std::vector<std::string>& files, const CheckOptions& options, std::ostream& out,
             std::ostream& err) {
  bool unreadable = false;
  bool findings = false;
  for (const std::string& file : files) {
    const std::optional<std::string> bytes = ReadBytes(PathFromUtf8(file));
    if (!bytes) {
      err << Say(TextId::CannotReadFile, {{"path", file}}) << '\n';
      unreadable = true;
      continue;
    }
    const std::vector<kwcheck::TFinding> found = kwcheck::CheckFile(file, *bytes, options.Spam);
    for (const kwcheck::TFinding& f : found) {
      if (options.Format == "json") out << kwcheck::FindingJson(f, file) << '\n';
      else if (options.Format == "gcc") out << kwcheck::GccLine(file, f) << '\n';
      else out << kwcheck::TextLine(file, f) << '\n';
      if (f.Kind().Severity != kwcheck::TSeverity::Note) findings = true;
    }
    if (found.empty() && options.Format == "text") out << Say(TextId::NoFindings, {{"path", file}}) << '\n';
  }
  return unreadable ? kExitUsage : findings ? kExitFailure : kExitOk;
}

int CompareWithExpected(std::string_view output, const std::string& expectedPath, std::ostream& err) {
  const std::optional<std::string> expected = ReadBytes(PathFromUtf8(expectedPath));
  if (!expected) {
    err << Say(TextId::CannotReadExpected, {{"path", expectedPath}}) << '\n';
    return kExitFailure;
  }
  const std::vector<std::string> want = TextLines(*expected);
  const std::vector<std::string> got = TextLines(output);
  for (std::size_t i = 0; i < want.size() || i < got.size(); ++i) {
    const std::string* w = i < want.size() ? &want[i] : nullptr;
    const std::string* g = i < got.size() ? &got[i] : nullptr;
    if (w && g && *w == *g) continue;
    err << Say(TextId::OutputDiffers, {{"path", expectedPath},
                                  {"line", std::to_string(i + 1)},
                                  {"expected", w ? std::string_view(*w) : Text(TextId::EndOfFile)},
                                  {"actual", g ? std::string_view(*g) : Text(TextId::EndOfOutput)}})
        << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace kwsim
