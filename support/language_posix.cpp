// The locale variables, as the C library would read them for messages.
#include <cstdlib>

#include "support/language.h"

namespace kw {

Language SystemLanguage() {
  const auto value = [](const char* name) {
    const char* v = std::getenv(name);
    return std::string_view(v != nullptr ? v : "");
  };
  return LanguageOfLocale(value("LC_ALL"), value("LC_MESSAGES"), value("LANG"));
}

}  // namespace kw
