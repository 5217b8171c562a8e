// One armed fault at a time; a negative count means none.
#include "support/write_fault.h"

#include "support/platform.h"

namespace kw {
namespace {
long long gWriteFault = -1;
bool gFaultReported = true;
}  // namespace

void SetWriteFaultForTesting(long long bytesBeforeFailure, bool reported) {
  gWriteFault = bytesBeforeFailure;
  gFaultReported = reported;
}

WriteBudget TakeWriteBudget(std::size_t size) {
  long long fault = gWriteFault;
  gWriteFault = -1;
  if (fault < 0) return {size, false};
  std::size_t allowed = static_cast<unsigned long long>(fault) < size ? static_cast<std::size_t>(fault) : size;
  return {allowed, gFaultReported};
}

}  // namespace kw
