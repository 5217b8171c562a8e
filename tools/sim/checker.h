// The script checker behind "kwartlin-sim check": finds, with their file lines, the
// mistakes that the plugin's interpreter passes over in silence (it runs every script
// and reports nothing). It reads the file's bytes as the plugin does and never changes
// anything.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kwsim {

struct Finding {
  int Line = 0;          // 1-based file line
  std::string Kind;      // a fixed word, e.g. "unknown-command" (see checker.cpp)
  std::string Message;   // for people, UTF-8
};

// Every finding of a script file's bytes, ordered by line.
std::vector<Finding> CheckScript(std::string_view bytes);

}  // namespace kwsim
