// The command line's own words in the chosen language: CLI11 writes its usage and its
// errors in English, so its labels, groups, help flags and failure messages are set
// from the catalogs here. Only main.cpp, which alone sees CLI11, includes this.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "tools/sim/texts.h"

namespace kwsim {

// What the reader is told when a command line cannot be read: CLI11's reason in the
// chosen language where we know it, then where the usage is.
inline std::string UsageFailure(const CLI::App*, const CLI::Error& e) {
  const std::string what = e.what();
  std::string reason;
  // By class, not by get_name(): an error a command raises carries the command's name.
  if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr && what.rfind("A subcommand", 0) == 0) {
    reason = Say(TextId::UsageNoCommand);
  } else if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
    const std::size_t colon = what.find(": ");
    reason = Say(TextId::UsageUnexpected, {{"arguments", colon == std::string::npos ? what : what.substr(colon + 2)}});
  } else {
    reason = Say(TextId::UsageFault, {{"reason", what}});
  }
  return Say(TextId::ProgramFailed, {{"reason", reason}}) + "\n" + Say(TextId::UsageMore) + "\n";
}

// Called once every command and option is added: puts the usage's words, --help, --lang
// (read before, by LanguageArgument; here it is only shown and checked) and the failure
// messages on the program and each command.
inline void SpeakTheLanguage(CLI::App& app) {
  static std::string language;
  const auto formatter = app.get_formatter();
  formatter->label("Usage", Say(TextId::LabelUsage));
  formatter->label("OPTIONS", Say(TextId::LabelOptionsBadge));
  formatter->label("SUBCOMMAND", Say(TextId::LabelCommandBadge));
  formatter->label("Positionals", Say(TextId::LabelPositionals));
  formatter->label("REQUIRED", Say(TextId::LabelRequired));
  app.failure_message(UsageFailure);
  std::vector<CLI::App*> apps = app.get_subcommands({});
  for (CLI::App* command : apps) command->group(Say(TextId::LabelCommands));
  apps.push_back(&app);
  for (CLI::App* command : apps) {
    command->set_help_flag("-h,--help", Say(TextId::OptionHelp));
    command->add_option("--lang", language, Say(TextId::OptionLang))
        ->type_name("pl|en")
        ->check(CLI::Validator(CLI::IsMember({"pl", "en"})).description(""));
    for (CLI::Option* option : command->get_options()) {
      option->group(Say(TextId::LabelOptions));
      // CLI11 names a text value TEXT: in Polish, TEKST.
      if (option->get_type_name().rfind("TEXT", 0) == 0) option->type_name(Say(TextId::TypeText));
    }
  }
}

}  // namespace kwsim
