// A memory budget for one fuzz input. A script may grow a value without end
// (STRCON $a, $a, $a in a loop doubles it every step); in the plugin's 32-bit process
// an allocation then fails, std::bad_alloc ends the run, and the plugin goes on. Under
// the sanitizers a failed allocation is a report instead, so while a budget scope is
// open the operator new of this target throws std::bad_alloc as that process would
// run out, only sooner: that failure path is tested and the growth itself is not
// reported. Outside a scope (libFuzzer's own work) nothing is limited.
#pragma once

#include <cstddef>

namespace kwfuzz {

// Largest single allocation, and most bytes held at once, that a scope allows.
inline constexpr std::size_t kMaxBlock = std::size_t{1} << 20;
inline constexpr std::size_t kMaxLive = std::size_t{256} << 20;

class MemoryBudgetScope {
 public:
  MemoryBudgetScope();
  ~MemoryBudgetScope();
  MemoryBudgetScope(const MemoryBudgetScope&) = delete;
  MemoryBudgetScope& operator=(const MemoryBudgetScope&) = delete;
};

}  // namespace kwfuzz
