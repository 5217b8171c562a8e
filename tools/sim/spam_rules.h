// What a spam list makes of a text, for the simulator's spam command: each rule that
// matches with the alternatives of each word that occur. The rules are read and folded
// by the engine's own spam reader (script/spam.h), so the answer is CHKSPAM's.
#pragma once

#include <string_view>

#include "tools/sim/events.h"

namespace kwsim {

// What the list (the file's bytes) makes of text (Windows-1250). Texts in the result
// are UTF-8.
SpamEvent ExplainSpam(std::string_view listBytes, std::string_view text);

}  // namespace kwsim
