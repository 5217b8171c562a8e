#include "support/language.h"

#include <cstdlib>

namespace kw {

Language LanguageOfLocale(std::string_view lcAll, std::string_view lcMessages, std::string_view lang) {
  for (const std::string_view value : {lcAll, lcMessages, lang}) {
    if (value.empty()) continue;
    return value.size() >= 2 && LanguageNamed(value.substr(0, 2)) == Language::Polish ? Language::Polish
                                                                                      : Language::English;
  }
  return Language::English;
}

Language ChooseLanguage(std::string_view option, std::string_view environment, Language system) {
  if (const std::optional<Language> chosen = LanguageNamed(option)) return *chosen;
  if (const std::optional<Language> chosen = LanguageNamed(environment)) return *chosen;
  return system;
}

Language ChooseLanguage(std::string_view option) {
  const char* environment = std::getenv("KWARTLIN_LANG");
  return ChooseLanguage(option, environment != nullptr ? environment : "", SystemLanguage());
}

}  // namespace kw
