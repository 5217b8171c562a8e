// The trace channel's platform part: the file the environment names, and the other
// variable it reads (trace_channel.h).
#pragma once

#include <cstdio>
#include <string>

#define KW_TRACE_FILE_VARIABLE "KWARTLIN_TRACE"

namespace kw {

inline constexpr const char* kTraceFileVariable = KW_TRACE_FILE_VARIABLE;
inline constexpr const char* kTraceLevelVariable = "KWARTLIN_TRACE_LEVEL";

// The file KWARTLIN_TRACE names, opened for appending in binary mode; null when the
// variable is not set or the file cannot be opened.
std::FILE* OpenTraceFile();
// An environment variable's short value (a level word); empty when it is not set.
std::string TraceEnvironment(const char* name);

}  // namespace kw
