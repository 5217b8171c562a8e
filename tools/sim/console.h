// What the simulator needs of its platform: whether its standard streams are terminals,
// a console that takes UTF-8 (and colour, where it can), and where its own program file
// lies. console_posix.cpp and console_win32.cpp hold the two sides.
#pragma once

#include <string>

namespace kwsim {

bool StdoutIsTerminal();
bool StdinIsTerminal();

// Readies the standard streams: output bytes go out unchanged (no CR added before LF),
// a console shows UTF-8. Returns whether the console can show colour escapes.
bool PrepareConsole();

// The full path of the running program, UTF-8; empty when unknown.
std::string ExecutablePath();

// The process id, for names of temporary folders.
unsigned long ProcessId();

}  // namespace kwsim
