// The names the script checker holds a script against, besides the commands: the
// special labels, the program variables, the # constants, and the commands people
// bring from other languages; the search for the name a misspelt word probably meant;
// and the two small helpers that the script and spam list checkers share. The
// language's tables of labels, variables and constants are defined in the plugin's
// code, which the simulator does not link, so these three short lists are written here
// again (the command list is header-only and shared).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace kwsim {

// Upper case, as the plugin compares them.
extern const std::span<const std::string_view> kSpecialLabels;     // without ':'
extern const std::span<const std::string_view> kProgramVariables;  // with '$'
extern const std::span<const std::string_view> kConstants;         // without '#'

// Edit distance counting an insertion, a deletion, a change or a swap of two
// neighbours as one step (so "_inti" is one step from "_init"); letter case is
// ignored by the Windows-1250 pairs.
int EditDistance(std::string_view a, std::string_view b);

// The candidate closest to word, when it is close enough to be a slip of the fingers
// (one step for names of up to four characters, two for longer ones) and not equal to
// it; empty otherwise. Of equally close ones the first wins.
std::string_view ClosestName(std::string_view word, std::span<const std::string_view> candidates);

// A command word of other scripting languages, and what Kwartlin has instead.
struct ForeignCommand {
  std::string_view Word;     // upper case
  std::string_view Command;  // the Kwartlin command it probably meant; empty when none
  std::string_view Advice;   // one clause: how Kwartlin does it
};

// The entry for an upper-cased first word, or null.
const ForeignCommand* FindForeignCommand(std::string_view upper);

// Windows-1250 text in single quotes, as UTF-8, for a finding's message.
std::string Quoted(std::string_view cp1250);

// The 1-based file line of the first line with a byte above 0x7F when the bytes are
// valid UTF-8 that holds such a byte (almost never meant as Windows-1250); 0 otherwise.
// Lines end at CR, LF or CR LF.
int Utf8FirstLine(std::string_view bytes);

}  // namespace kwsim
