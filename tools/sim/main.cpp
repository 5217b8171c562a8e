// kwartlin-sim: a messenger in a terminal. It loads the real kwartlin.tpl from a fresh
// plugins folder and plays the host for it, from a transcript (run), at a prompt
// (shell), or checks script files (check). Only argument parsing lives here; the modes
// are in driver.cpp.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>

#include <CLI/CLI.hpp>

#include "support/kwartlin_version.h"
#include "support/language.h"
#include "tools/sim/console.h"
#include "tools/sim/driver.h"
#include "tools/sim/texts.h"
#include "tools/sim/usage_text.h"

namespace {

using kwsim::Say;
using kwsim::TextId;

struct Arguments {
  kwsim::RunOptions Run;
  std::string Colour = "auto";
  std::string Transcript;
  std::string Expect;
  std::vector<std::string> Checked;
  kwsim::CheckOptions Check;
};

void AddRunOptions(CLI::App* command, Arguments& a) {
  command->add_option("--plugins-from", a.Run.PluginsFrom,
                      Say(TextId::OptionPluginsFrom))
      ->type_name(Say(TextId::TypeFolder))
      ->check(CLI::Validator(CLI::ExistingDirectory).description(""));
  command->add_option("--module", a.Run.Module, Say(TextId::OptionModule))
      ->type_name(Say(TextId::TypeFile))
      ->check(CLI::Validator(CLI::ExistingFile).description(""));
  command->add_flag("--json", a.Run.Json, Say(TextId::OptionJson));
  command->add_option("--color", a.Colour, Say(TextId::OptionColour))
      ->check(CLI::IsMember({"auto", "always", "never"}));
  command->add_flag("--keep", a.Run.Keep, Say(TextId::OptionKeep));
  command->add_flag("--trace", a.Run.Trace, Say(TextId::OptionTrace));
}

bool WantColour(const std::string& choice, bool json, bool consoleCanColour) {
  if (json || choice == "never") return false;
  if (choice == "always") return true;
  return consoleCanColour && kwsim::StdoutIsTerminal() && std::getenv("NO_COLOR") == nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool consoleCanColour = kwsim::PrepareConsole();
  Arguments a;
  kw::SetTextLanguage(kw::ChooseLanguage(kwsim::LanguageArgument(argc, argv)));
  CLI::App app{Say(TextId::AppDescription)};
  app.require_subcommand(1);
  // The simulator ships with the module it was built beside, so it carries that version.
  app.set_version_flag("--version", "kwartlin-sim " KW_VERSION_TEXT, Say(TextId::OptionVersion));
  // Paths such as /tmp/x are paths on every platform, never "/option" switches.
  app.allow_windows_style_options(false);

  CLI::App* run = app.add_subcommand("run", Say(TextId::CommandRun));
  AddRunOptions(run, a);
  run->add_option("--expect", a.Expect, Say(TextId::OptionExpect))->type_name(Say(TextId::TypeFile));
  run->add_option("transcript", a.Transcript, Say(TextId::OptionTranscript))->type_name(Say(TextId::TypeFile))->required();

  CLI::App* shell = app.add_subcommand("shell", Say(TextId::CommandShell));
  AddRunOptions(shell, a);

  CLI::App* check = app.add_subcommand("check", Say(TextId::CommandCheck));
  check->add_option("--format", a.Check.Format, Say(TextId::OptionFormat))
      ->check(CLI::IsMember({"text", "gcc", "json"}));
  check->add_flag_callback("--json", [&a] { a.Check.Format = "json"; }, Say(TextId::OptionCheckJson));
  check->add_flag("--spam", a.Check.Spam, Say(TextId::OptionSpam));
  check->add_option("file", a.Checked, Say(TextId::OptionCheckedFiles))->type_name(Say(TextId::TypeFile))->required();

  // "help" is what people type first; it answers as --help does, for the whole program
  // or for one command.
  std::string helpFor;
  CLI::App* help = app.add_subcommand("help", Say(TextId::CommandHelp));
  help->add_option("command", helpFor, Say(TextId::OptionHelpFor))->type_name(Say(TextId::TypeCommand));

  kwsim::SpeakTheLanguage(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kwsim::kExitOk : kwsim::kExitUsage;
  }

  if (help->parsed()) {
    // App::help() would describe the chosen subcommand, "help" itself.
    if (helpFor.empty()) {
      std::cout << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal);
      return kwsim::kExitOk;
    }
    for (CLI::App* command : {run, shell, check}) {
      if (command->get_name() != helpFor) continue;
      std::cout << command->help(app.get_name());
      return kwsim::kExitOk;
    }
    std::cerr << Say(TextId::NoSuchCommand, {{"command", helpFor}}) << '\n';
    return kwsim::kExitUsage;
  }

  try {
    if (check->parsed()) return kwsim::RunCheck(a.Checked, a.Check, std::cout, std::cerr);
    if (shell->parsed()) {
      a.Run.Colour = WantColour(a.Colour, a.Run.Json, consoleCanColour);
      const std::unique_ptr<kwsim::LineReader> in = kwsim::OpenStdinReader();
      return kwsim::RunShell(*in, a.Run, std::cout, std::cerr);
    }
    if (!a.Expect.empty()) {
      a.Run.Colour = false;
      std::ostringstream output;
      const int code = kwsim::RunTranscriptFile(a.Transcript, a.Run, output, std::cerr);
      std::cout << output.str() << std::flush;
      if (code != kwsim::kExitOk) return code;
      return kwsim::CompareWithExpected(output.str(), a.Expect, std::cerr);
    }
    a.Run.Colour = WantColour(a.Colour, a.Run.Json, consoleCanColour);
    return kwsim::RunTranscriptFile(a.Transcript, a.Run, std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << Say(TextId::ProgramFailed, {{"reason", e.what()}}) << '\n';
    return kwsim::kExitFailure;
  }
}
