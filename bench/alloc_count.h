// Counts every operator new of the benchmark program, so a benchmark can report how
// many heap allocations its work made (the replacement lives in alloc_count.cpp).
#pragma once

namespace kwbench {

// operator new calls since the program started.
long long AllocationCount();

}  // namespace kwbench
