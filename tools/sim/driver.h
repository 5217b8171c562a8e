// The simulator's three ways of working, apart from argument parsing so that tests can
// drive them with strings: replaying a transcript, the interactive prompt, and the
// script checker. Each returns the program's exit code.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace kwsim {

class LineReader;

inline constexpr int kExitOk = 0;       // done (check: no findings)
inline constexpr int kExitFailure = 1;  // anything else (check: findings)
inline constexpr int kExitUsage = 2;    // bad usage, or a line that cannot be read

struct RunOptions {
  std::string Module;       // the kwartlin.tpl to load (UTF-8); empty = DefaultModulePath()
  std::string PluginsFrom;  // folder whose data files go into the fresh data folder
  bool Json = false;        // one JSON object per event instead of text
  bool Colour = false;      // colour escapes in text output
  bool Keep = false;        // leave the plugins folder behind (its path goes to err)
  bool Trace = false;       // every line of the plugin's runs (the shell's "trace on")
};

// The module built with the simulator: beside the program, or two folders up (the
// build tree's layout); empty when there is none.
std::string DefaultModulePath();

// Replays a transcript's text; name prefixes messages ("name:line: reason"); relative
// paths in it start at baseDir.
int RunTranscript(std::string_view text, const std::string& name, const std::string& baseDir,
                  const RunOptions& options, std::ostream& out, std::ostream& err);

// The same for a file, or standard input when path is "-".
int RunTranscriptFile(const std::string& path, const RunOptions& options, std::ostream& out,
                      std::ostream& err);

// Reads commands from in until quit, its end, or (Ctrl-C) an interruption: one when in
// is not interactive, two in a row when it is (the first drops the line being typed,
// or the open <<TAG block). Each way the plugin is unloaded and its folder removed.
// Lines that cannot be read are reported and skipped; the exit code is 2 when there was
// one, else 1 when a command failed, else 0.
int RunShell(LineReader& in, const RunOptions& options, std::ostream& out, std::ostream& err);

struct CheckOptions {
  std::string Format = "text";  // text, gcc (file:line:column: severity: message [code]) or json
  bool Spam = false;            // every file is a spam list, whatever its name
};

// Checks script files and spam lists (files named *.spm); 0 when clean (notes only
// count as clean), 1 with an error or a warning, 2 when a file cannot be read.
int RunCheck(const std::vector<std::string>& files, const CheckOptions& options, std::ostream& out,
             std::ostream& err);

// Compares output with the expected file's text; on a difference says where on err.
int CompareWithExpected(std::string_view output, const std::string& expectedPath, std::ostream& err);

}  // namespace kwsim
