// The environment on Windows: the process's block, which the module reads with
// GetEnvironmentVariable. The value goes in as UTF-16, so a path keeps every character.
#include <windows.h>

#include <string>

#include "tools/sim/environment.h"
#include "tools/testhost/wide_text_win32.h"

namespace kwsim {

void SetEnvironment(const char* name, const std::string& value) {
  const std::wstring wideName = kwtest::WideFromUtf8(name);
  SetEnvironmentVariableW(wideName.c_str(), value.empty() ? nullptr : kwtest::WideFromUtf8(value).c_str());
}

}  // namespace kwsim
