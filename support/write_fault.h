// The one-shot write fault behind SetWriteFaultForTesting, shared by both platforms'
// file writers so that tests can prove a save that fails midway loses nothing.
#pragma once

#include <cstddef>

namespace kw {

struct WriteBudget {
  std::size_t allowed;  // bytes of the write that may reach the file
  bool fails;           // the write must report failure after those bytes
                        // (false with allowed < size: a short write that says nothing)
};

// Takes (and disarms) the armed fault for a write of size bytes.
WriteBudget TakeWriteBudget(std::size_t size);

}  // namespace kw
