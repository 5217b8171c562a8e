// A lower-cased copy of a text, for tests that compare with one; the plugin itself only
// lower-cases in place (STRLOW).
#pragma once

#include <string>
#include <string_view>

#include "support/casing.h"

namespace kwtest {

inline std::string LowerCase(std::string_view text) {
  std::string s(text);
  kw::LowerCaseInPlace(s);
  return s;
}

}  // namespace kwtest
