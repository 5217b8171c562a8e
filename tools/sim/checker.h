// The checker behind "kwartlin-sim check": finds, with their file lines, the mistakes
// that the plugin passes over in silence (it runs every script and reports nothing),
// in a script and in a spam list. It reads a file's bytes as the plugin does and never
// changes anything.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kwsim {

struct Finding {
  int Line = 0;            // 1-based file line
  std::string Kind;        // a fixed word, e.g. "unknown-command" (see checker.cpp)
  std::string Message;     // for people, UTF-8
  std::string Suggestion;  // the close name the line probably meant (UTF-8), or empty
};

// Every finding of a script file's bytes, ordered by line.
std::vector<Finding> CheckScript(std::string_view bytes);

// Every finding of a spam list file's bytes (Kwartlin.spm), ordered by line.
std::vector<Finding> CheckSpamList(std::string_view bytes);

// A spam list when spam is set or the name ends in ".spm" (any case), else a script.
std::vector<Finding> CheckFile(std::string_view name, std::string_view bytes, bool spam);

}  // namespace kwsim
