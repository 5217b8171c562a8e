// Runs prepared script lines from an entry point until EXIT, the end, or a bound.
#pragma once

#include <cstdint>

#include "script/loader.h"

namespace kw {

// A run ends as EXIT would after this many executed lines, so a script that loops
// forever cannot freeze the host.
inline constexpr std::int64_t kMaxExecutedLines = 10'000'000;
// ...and when CALL would push its return index beyond this depth.
inline constexpr std::size_t kMaxReturnDepth = 100'000;

void RunScript(const TScriptLines& lines, int entryCode);
// The same with a line bound of the caller's (the fuzzers use a small one).
void RunScriptBounded(const TScriptLines& lines, int entryCode, std::int64_t maxLines);

}  // namespace kw
