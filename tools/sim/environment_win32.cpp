// The environment on Windows: the process's block, which the module reads with
// GetEnvironmentVariable. The value goes in as UTF-16, so a path keeps every character.
#include <windows.h>

#include <string>

#include "tools/sim/environment.h"

namespace kwsim {

void SetEnvironment(const char* name, const std::string& value) {
  const std::wstring wideName(name, name + std::char_traits<char>::length(name));
  if (value.empty()) {
    SetEnvironmentVariableW(wideName.c_str(), nullptr);
    return;
  }
  const int n = MultiByteToWideChar(CP_UTF8, 0, value.data(), static_cast<int>(value.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, value.data(), static_cast<int>(value.size()), wide.data(), n);
  SetEnvironmentVariableW(wideName.c_str(), wide.c_str());
}

}  // namespace kwsim
