// Which language the tools speak: `--lang pl|en` first, then the environment variable
// KWARTLIN_LANG, then the system's: on Windows the user's UI language (Polish -> pl),
// elsewhere the first of LC_ALL, LC_MESSAGES and LANG that is set (beginning with
// "pl" -> pl). Anything else is English.
#pragma once

#include <string_view>

#include "support/message.h"

namespace kw {

// The language of the first set (non-empty) locale value, in the order given.
Language LanguageOfLocale(std::string_view lcAll, std::string_view lcMessages, std::string_view lang);

// The system's language (language_posix.cpp, language_win32.cpp).
Language SystemLanguage();

// option is what --lang gave ("" when absent), environment KWARTLIN_LANG's value ("" when
// unset); a name that is neither pl nor en counts as not given.
Language ChooseLanguage(std::string_view option, std::string_view environment, Language system);

// ChooseLanguage with this process's KWARTLIN_LANG and system language.
Language ChooseLanguage(std::string_view option);

}  // namespace kw
