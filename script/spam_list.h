// The spam rule lines: a line list, so the compiled matcher of the spam check is rebuilt
// exactly when the list's version moved.
#pragma once

#include "script/line_list.h"

namespace kw {

using TSpamList = TLineList;

}  // namespace kw
