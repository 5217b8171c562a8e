// The plugin's trace in words: each record of the channel (docs/trace.md) as one line,
// a label and a text. The simulator's text layout prints these lines under a command,
// and the playground's trace panel shows the same lines, so a run reads alike in both.
// The words of the records themselves come from the engine's list (script/trace.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tools/sim/events.h"

namespace kwsim {

// What a line is about, for a layout that colours it.
enum class TraceTone : std::uint8_t {
  Run,    // a run starts or ends
  Line,   // the run reaches a line
  Flow,   // an IF, a jump
  Data,   // a write, a save flag
  Host,   // a call to the messenger
  Note,   // the trace itself stopped
  Bound,  // a bound stopped the run
};

struct TraceLine {
  std::string Label;          // "run", "line 7", "if", "write", ...
  std::string Text;           // what happened, UTF-8, may hold line breaks
  TraceTone Tone = TraceTone::Line;
  int Depth = 1;              // the run's nesting: 1 for the run a command started
  std::int64_t FileLine = 0;  // the script file's line the record is at (line, end); 0: none
};

// The line of one record; nothing for a record that is no run's (the variable tables)
// or that the list does not know.
std::optional<TraceLine> DescribeTraceItem(const TraceItem& item);

// The width of the text layout's label column (a longer label gets one blank after it).
inline constexpr std::size_t kLabelWidth = 11;

// The columns a UTF-8 text takes: one per code point (Polish letters are two bytes).
std::size_t DisplayWidth(std::string_view utf8);

// The blanks before a line's label: a run that a host call started while another waited
// is indented under it.
std::string TraceIndent(const TraceLine& line);
// The line as one text: indent, label in its column, text.
std::string TraceLineText(const TraceLine& line);

// Texts as the trace and the text layout show them: in double quotes; numbers with their
// thousands marked (10,000,000); a value cut after 60 characters, its full length in
// bytes (the plugin's, Windows-1250) said when it is cut.
std::string Quote(std::string_view text);
std::string Grouped(std::int64_t n);
std::string Shown(std::string_view utf8, std::int64_t bytes);

}  // namespace kwsim
