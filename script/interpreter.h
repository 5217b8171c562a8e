// Runs prepared script lines from an entry point until EXIT, the end, or a bound.
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
// A run that starts while this many runs are under way ends at once, as EXIT would: a
// host that calls the plugin back from inside every host call (a message delivered
// during each SEND) nests runs on the stack, and this keeps that nesting finite.
inline constexpr int kMaxNestedRuns = 64;

// Runs the lines from the entry point of entryCode (an EntryCode; any other code runs
// as entryStart) until EXIT, the end of the lines or a bound. Every line the run reaches
// counts towards the bound, label lines included. Never throws. Any list may be given:
// its prepared form is built on first use and reused while the list stays the same.
void RunScript(const TScriptLines& lines, int entryCode);
// The same with a line bound of the caller's (the fuzzers use a small one).
void RunScriptBounded(const TScriptLines& lines, int entryCode, std::int64_t maxLines);

}  // namespace kw
