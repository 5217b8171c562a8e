// The simulator's end of the plugin's trace channel (docs/trace.md). Before the module
// loads, the session names a file in the environment (KWARTLIN_TRACE); the plugin
// appends a JSON line for everything its runs do, and the variable table after each
// run. After each command the session reads what was added. The simulator always opens
// the channel: with the trace off it asks only for the runs' starts and ends
// (KWARTLIN_TRACE_LEVEL=runs), which is what it needs to say that a bound stopped a run
// and to show the variables; the lines come only with the trace on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sim/events.h"

namespace kwsim {

// The variable table as the plugin last reported it.
struct VariableTable {
  bool Known = false;             // reported since the plugin loaded
  std::int64_t Count = 0;         // variables in the plugin's table
  std::vector<VariableRow> Rows;  // those the channel listed, in the table's order
};

// One line of the channel: its keys and values in order; false when it is no JSON object
// of the channel's kind (texts, numbers, true, false, null, arrays of texts).
bool ParseTraceLine(std::string_view line, TraceItem& item);

class TraceReader {
 public:
  explicit TraceReader(std::filesystem::path file) : file_(std::move(file)) {}
  // Takes the variables out of the environment again.
  ~TraceReader();
  TraceReader(const TraceReader&) = delete;
  TraceReader& operator=(const TraceReader&) = delete;

  // Names the file for the module about to load, at the level wanted: every line of
  // every run, or only the runs' starts and ends. The level may change between runs.
  void Announce(bool lines);

  // What the plugin appended since the last call, in order, each with the nesting of
  // the run it belongs to. The tables among them go to Table() instead.
  std::vector<TraceItem> ReadNew();

  const VariableTable& Table() const { return table_; }
  // The plugin unloaded: its table is gone.
  void ForgetTable() { table_ = {}; }

 private:
  std::filesystem::path file_;
  std::uintmax_t offset_ = 0;  // bytes of the file read so far
  int depth_ = 0;              // runs started and not yet ended
  VariableTable table_;
  VariableTable incoming_;     // a table being read ("vars", then its "var" lines)
  std::size_t incomingRows_ = 0;  // the rows it announced
};

// True for the end of a run that a bound or memory stopped, not the script.
bool EndedByBound(const TraceItem& end);

// A simple glob over bytes: "*" any run, "?" one byte, anything else itself (callers
// fold the case of both sides first).
bool GlobMatches(std::string_view pattern, std::string_view text);

}  // namespace kwsim
