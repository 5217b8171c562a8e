// The environment on POSIX systems: the module reads it with getenv.
#include <cstdlib>

#include "tools/sim/environment.h"

namespace kwsim {

void SetEnvironment(const char* name, const std::string& value) {
  if (value.empty()) ::unsetenv(name);
  else ::setenv(name, value.c_str(), 1);
}

}  // namespace kwsim
