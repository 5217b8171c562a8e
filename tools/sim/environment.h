// The simulator's own environment, which the module it loads reads (the trace channel,
// trace_reader.h). environment_posix.cpp and environment_win32.cpp hold the two sides.
#pragma once

#include <string>

namespace kwsim {

// Sets the variable (the value UTF-8) for this process and what it loads; an empty value
// removes it.
void SetEnvironment(const char* name, const std::string& value);

}  // namespace kwsim
