// POSIX side of console.h.
#include <unistd.h>

#include <climits>

#include "tools/sim/console.h"

namespace kwsim {

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) != 0; }
bool StdinIsTerminal() { return isatty(STDIN_FILENO) != 0; }

bool PrepareConsole() { return true; }

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(n));
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

}  // namespace kwsim
