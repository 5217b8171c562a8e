// The trace channel's file on Windows. The variables are read from the process's own
// environment block (GetEnvironmentVariable), which a host changes with
// SetEnvironmentVariable before it loads the plugin; the C runtime's copy would miss
// such a change. The path is read as UTF-16, so any folder name works.
#include <windows.h>

#include <cwchar>
#include <vector>

#include "host/trace_file.h"

namespace kw {
namespace {

// The variable as UTF-16; empty when it is not set.
std::vector<wchar_t> WideVariable(const wchar_t* name) {
  std::vector<wchar_t> value(MAX_PATH);
  for (;;) {
    const DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return {};
    if (n < value.size()) {
      value.resize(n + 1);
      return value;
    }
    value.resize(n);  // too small: n is the size it needs, the terminator included
  }
}

}  // namespace

std::FILE* OpenTraceFile() {
  const std::vector<wchar_t> path = WideVariable(L"" KW_TRACE_FILE_VARIABLE);
  if (path.empty() || path[0] == L'\0') return nullptr;
  return _wfopen(path.data(), L"ab");
}

std::string TraceEnvironment(const char* name) {
  char value[64];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 || n >= sizeof value) return {};
  return std::string(value, n);
}

}  // namespace kw
