// Runs script lines from an entry point until EXIT, the end, or a bound.
#pragma once

#include <cstddef>
#include <cstdint>

#include "script/loader.h"

namespace kw {

// A run ends as EXIT would after this many executed lines, so a script that loops
// forever cannot freeze the host.
inline constexpr std::int64_t kMaxExecutedLines = 10'000'000;
// ...and when CALL would push its return index beyond this depth.
inline constexpr std::size_t kMaxReturnDepth = 100'000;
// ...and after the line that takes the bytes its lines have read and written past this
// many. Lines are not equal: one that copies a long message costs as much as a hundred
// thousand cheap ones. A text read or written counts its length, and STRPOS also the
// bytes it compares; numbers a line takes or writes as numbers do not count. So the
// bound is counted, not clocked: a script, its message and its variables end at the
// same line on every machine. A 10 MB message through a long filter script counts a few
// hundred MB.
inline constexpr std::int64_t kMaxRunBytes = std::int64_t{1} << 30;  // 1 GiB
// ...and at a write of a longer text than this, which is not made: the variable keeps
// its previous value. Only the run's writes are bound; a longer message that the host
// hands in passes through as it is unless a line copies it.
inline constexpr std::size_t kMaxValueBytes = std::size_t{16} << 20;  // 16 MiB
// A run that starts while this many runs are under way ends at once, as EXIT would: a
// host that calls the plugin back from inside every host call (a message delivered
// during each SEND) nests runs on the stack, and this keeps that nesting finite.
inline constexpr int kMaxNestedRuns = 64;

// The bounds of one run; the fuzzers and tests choose smaller ones.
struct TRunBounds {
  std::int64_t Lines = kMaxExecutedLines;     // lines reached, label lines included
  std::int64_t Bytes = kMaxRunBytes;          // bytes read and written
  std::size_t ValueBytes = kMaxValueBytes;    // length of one written value
};

// Runs the lines from the entry point of entryCode (an EntryCode; any other code runs
// as entryStart) until EXIT, the end of the lines or a bound. Every line the run reaches
// counts towards the line bound, label lines included. Never throws. Any list may be
// given: its compiled form is built on first use and reused while the list stays the
// same.
void RunScript(const TScriptLines& lines, int entryCode);
// The same with bounds of the caller's.
void RunScriptBounded(const TScriptLines& lines, int entryCode, const TRunBounds& bounds);

}  // namespace kw
