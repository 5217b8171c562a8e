// Without the Windows toolkit the options form runs on the in-memory view.
#include "options/view.h"
#include "options/view_headless.h"

namespace kw {

std::unique_ptr<IOptionsView> CreateOptionsView() { return std::make_unique<THeadlessOptionsView>(); }

}  // namespace kw
