// What the simulator needs of its platform: its arguments, whether its standard streams
// are terminals, a console that shows every character (and colour, where it can),
// whether it was started alone in a console of its own, where its own program file
// lies, and the shell's line reader. Inside, every text is UTF-8. console_posix.cpp and
// console_win32.cpp hold the two sides.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kwsim {

bool StdoutIsTerminal();
bool StdinIsTerminal();

// Readies the standard streams: output bytes go out unchanged (no CR added before LF),
// and a console shows the UTF-8 written to it, and gives what is typed as UTF-8, under
// any code page it has. Output that goes to a file or a pipe is UTF-8. Returns whether
// the console can show colour escapes.
bool PrepareConsole();

// The program's arguments in UTF-8, its own name first.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// True when the program has a console of its own that no other program shares, as one
// started from Explorer with a double-click has: that console closes when the program
// ends, taking what was written with it.
bool StartedAlone();
// Waits for one key press at the console; returns at once when there is none.
void WaitForKey();

// The full path of the running program, UTF-8; empty when unknown.
std::string ExecutablePath();

// The process id, for names of temporary folders.
unsigned long ProcessId();

// What one read at the shell's prompt gave.
enum class ReadResult {
  Line,         // a line, without its line break
  Interrupted,  // Ctrl-C: the line being typed is dropped
  End,          // end of input, or the program is asked to end (SIGTERM, SIGHUP)
};

class LineReader {
 public:
  virtual ~LineReader() = default;
  // Reads the next line, showing prompt first when the reader is interactive.
  virtual ReadResult Read(std::string_view prompt, std::string& line) = 0;
  // True when a person types at a terminal: the shell then greets, prompts and takes
  // one Ctrl-C as "drop this line" rather than "leave".
  virtual bool Interactive() const = 0;
  // The keys this reader offers, for the greeting.
  virtual std::string_view Keys() const = 0;
};

// The shell's standard input. From here on Ctrl-C interrupts a read instead of ending
// the program, so that the shell can unload the plugin and remove its folder.
std::unique_ptr<LineReader> OpenStdinReader();

}  // namespace kwsim
