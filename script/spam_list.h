// The spam rule lines: a line list that hands out no writable line, so the compiled
// matcher of the spam check is rebuilt exactly when the list's version moved.
#pragma once

#include "script/line_list.h"

namespace kw {

using TSpamList = TLineList<false>;

}  // namespace kw
