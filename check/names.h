// The search for the name a misspelt word probably meant, and the command words people
// bring from other languages with what Kwartlin has instead. A suggestion must do what
// the writer meant: for labels and variables a slip of the fingers is one (":_inti" is
// ":_init"), but between commands a changed letter changes the meaning (GETSTS is not
// SETSTS, MOD is not MOV), so commands are only suggested for letters swapped, doubled
// or left out, and otherwise from the list of known words.
#pragma once

#include <span>
#include <string_view>

#include "check/findings.h"

namespace kwcheck {

// The candidate closest to word when it is close enough to be a slip (one step for
// names of up to four characters, two for longer ones) and not equal to it; empty
// otherwise. Of equally close ones the first wins. Without letterChanges, a changed
// letter is no slip.
std::string_view ClosestName(std::string_view word, std::span<const std::string_view> candidates,
                             bool letterChanges = true);

// A word of other languages, or a Kwartlin-looking word that is no command, with what
// the writer evidently meant.
struct TForeignWord {
  std::string_view Word;     // upper case
  std::string_view Command;  // the command that does it; empty when none does
  TMessage Advice;           // the finding's message: how Kwartlin does it
};

// The entry for an upper-cased first word, or null.
const TForeignWord* FindForeignWord(std::string_view upper);

}  // namespace kwcheck
