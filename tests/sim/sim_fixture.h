// Shared helpers of the simulator's tests: a transcript run in memory against the built
// module, with its exit code and both output streams.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/common/files.h"
#include "tools/sim/driver.h"

namespace kwsimtest {

inline std::string ModulePath() { return kwtest::BuiltModulePath(); }

struct RunResult {
  int Code = -1;
  std::string Out;
  std::string Err;
};

inline RunResult RunSim(std::string_view transcript, bool json = false, bool trace = false) {
  kwsim::RunOptions options;
  options.Module = ModulePath();
  options.Json = json;
  options.Trace = trace;
  std::ostringstream out;
  std::ostringstream err;
  RunResult r;
  r.Code = kwsim::RunTranscript(transcript, "t.txt", ".", options, out, err);
  r.Out = out.str();
  r.Err = err.str();
  return r;
}

// The output of a transcript that must run to its end.
inline std::string RunOk(std::string_view transcript) {
  const RunResult r = RunSim(transcript);
  EXPECT_EQ(r.Code, kwsim::kExitOk) << r.Err << r.Out;
  return r.Out;
}

// The output's lines.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// True when some line of the output equals line.
inline bool HasLine(const std::string& text, const std::string& line) {
  for (const std::string& l : Lines(text))
    if (l == line) return true;
  return false;
}

// Each of lines is some line of the output (the output is shown once, on the first miss).
inline void ExpectLines(const std::string& text, std::initializer_list<std::string> lines) {
  bool shown = false;
  for (const std::string& line : lines) {
    const bool has = HasLine(text, line);
    EXPECT_TRUE(has) << "missing: " << line << (shown ? "" : "\n" + text);
    shown = shown || !has;
  }
}

}  // namespace kwsimtest
