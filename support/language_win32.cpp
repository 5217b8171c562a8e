// The user's UI language: what Windows shows its own menus and messages in.
#include <windows.h>

#include "support/language.h"

namespace kw {

Language SystemLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_POLISH ? Language::Polish : Language::English;
}

}  // namespace kw
