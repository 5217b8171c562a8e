// The Windows module shows its page in a real window; reaching it needs window messages
// to that window's controls, which this build does not do yet.
#include "tools/sim/page_window.h"

namespace kwsim {

std::unique_ptr<PageWindow> OpenPageWindow(std::intptr_t, std::string& why) {
  why = "typing into the page is not available on Windows yet: the page is a real window there";
  return nullptr;
}

}  // namespace kwsim
