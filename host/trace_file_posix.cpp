// The trace channel's file on POSIX systems: the path is the environment's bytes as
// they stand.
#include <cstdlib>

#include "host/trace_file.h"

namespace kw {

std::FILE* OpenTraceFile() {
  const char* path = std::getenv(kTraceFileVariable);
  if (path == nullptr || *path == '\0') return nullptr;
  return std::fopen(path, "ab");
}

std::string TraceEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace kw
