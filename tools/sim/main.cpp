// kwartlin-sim: a messenger in a terminal. It loads the real kwartlin.tpl from a fresh
// plugins folder and plays the host for it, from a transcript (run), at a prompt
// (shell), or checks script files (check). Only argument parsing lives here; the modes
// are in driver.cpp.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

#include <CLI/CLI.hpp>

#include "support/kwartlin_version.h"
#include "tools/sim/console.h"
#include "tools/sim/driver.h"
#include "tools/sim/plugins_folder.h"
#include "tools/sim/welcome.h"

namespace {

struct Arguments {
  kwsim::RunOptions Run;
  std::string Colour = "auto";
  std::string Transcript;
  std::string Expect;
  std::vector<std::string> Checked;
  kwsim::CheckOptions Check;
};

// CLI11's own checks of ExistingDirectory and ExistingFile read a path in the ANSI code
// page on Windows; the arguments here are UTF-8.
CLI::Validator ExistingPath(bool folder) {
  return CLI::Validator(
      [folder](std::string& name) -> std::string {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::file_status status = fs::status(kwsim::PathFromUtf8(name), ec);
        if (folder ? fs::is_directory(status) : fs::is_regular_file(status)) return {};
        if (!fs::exists(status)) return (folder ? "Directory does not exist: " : "File does not exist: ") + name;
        return (folder ? "Directory is actually a file: " : "File is actually a directory: ") + name;
      },
      folder ? "DIR" : "FILE");
}

void AddRunOptions(CLI::App* command, Arguments& a) {
  command->add_option("--plugins-from", a.Run.PluginsFrom,
                      "Folder whose Kwartlin.dat, Kwartlin.spm and Kwartlin.ini (or whose Kwartlin "
                      "subfolder's) are copied into the fresh data folder")
      ->check(ExistingPath(true));
  command->add_option("--module", a.Run.Module, "The kwartlin.tpl to load (default: the one built beside)")
      ->check(ExistingPath(false));
  command->add_flag("--json", a.Run.Json, "One JSON object per event, one per line");
  command->add_option("--color", a.Colour, "Colour in text output")
      ->check(CLI::IsMember({"auto", "always", "never"}));
  command->add_flag("--keep", a.Run.Keep, "Keep the temporary plugins folder and print where it is");
  command->add_flag("--trace", a.Run.Trace,
                    "Show every line the plugin's runs take: IF outcomes, jumps, variables written, "
                    "host calls, how each run ended");
}

bool WantColour(const std::string& choice, bool json, bool consoleCanColour) {
  if (json || choice == "never") return false;
  if (choice == "always") return true;
  return consoleCanColour && kwsim::StdoutIsTerminal() && std::getenv("NO_COLOR") == nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool consoleCanColour = kwsim::PrepareConsole();
  // A double-click in Explorer: no arguments, and a console that would close with a
  // usage error unread. What the program is and how to start it, then a key (welcome.h).
  if (argc <= 1 && kwsim::StartedAlone()) {
    std::cout << kwsim::WelcomeText() << std::flush;
    kwsim::WaitForKey();
    return kwsim::kExitOk;
  }
  const std::vector<std::string> arguments = kwsim::ProgramArguments(argc, argv);
  std::vector<const char*> argumentTexts;
  for (const std::string& argument : arguments) argumentTexts.push_back(argument.c_str());
  Arguments a;
  CLI::App app{"kwartlin-sim: plays the Tlen messenger for the Kwartlin plugin (kwartlin.tpl)"};
  app.require_subcommand(1);
  // The simulator ships with the module it was built beside, so it carries that version.
  app.set_version_flag("--version", "kwartlin-sim " KW_VERSION_TEXT);
  // Paths such as /tmp/x are paths on every platform, never "/option" switches.
  app.allow_windows_style_options(false);

  CLI::App* run = app.add_subcommand("run", "Replays a transcript of messenger events");
  AddRunOptions(run, a);
  run->add_option("--expect", a.Expect,
                  "Compare the (plain) output with this file; exit 1 at the first difference");
  run->add_option("transcript", a.Transcript, "Transcript file, or - for standard input")->required();

  CLI::App* shell = app.add_subcommand("shell", "Reads commands at a prompt (type help)");
  AddRunOptions(shell, a);

  CLI::App* check =
      app.add_subcommand("check", "Checks scripts and spam lists for mistakes the plugin passes over");
  check->add_option("--format", a.Check.Format,
                    "text (default), gcc (file:line:column: severity: message [code]) or json (one object per line)")
      ->check(CLI::IsMember({"text", "gcc", "json"}));
  check->add_flag_callback("--json", [&a] { a.Check.Format = "json"; }, "The same as --format json");
  check->add_flag("--spam", a.Check.Spam, "Check every file as a spam list, whatever its name");
  check->add_option("file", a.Checked,
                    "Script files (Kwartlin.dat) and spam lists (files named *.spm, such as Kwartlin.spm)")
      ->required();

  // "help" is what people type first; it answers as --help does, for the whole program
  // or for one command.
  std::string helpFor;
  CLI::App* help = app.add_subcommand("help", "Shows this usage, or a command's (help run)");
  help->add_option("command", helpFor, "run, shell or check");

  try {
    app.parse(static_cast<int>(argumentTexts.size()), argumentTexts.data());
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
    std::cerr << "kwartlin-sim: no command " << helpFor << " (run, shell, check)\n";
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
    std::cerr << "kwartlin-sim: " << e.what() << '\n';
    return kwsim::kExitFailure;
  }
}
