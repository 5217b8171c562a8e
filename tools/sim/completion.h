// What Tab offers at the shell's prompt: the command names, then each command's fixed
// words (protocols, data files, status names, options actions, editors, keys, contact
// fields). The names come from the command language's own name functions
// (transcript.h), so a command added there is offered without a change here; only which
// word follows which is said in this file. The platform's line editor asks for the
// candidates and does the rest (inserting, listing, the common prefix).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kwsim {

struct Completion {
  // The candidates that start with the word being completed, ignoring ASCII case, in a
  // fixed order; empty when nothing fits or the place takes free text.
  std::vector<std::string> Words;
  // The word is a file path (file ... from PATH): the editor's own file name
  // completion applies.
  bool Path = false;
};

// before: the line up to the word being completed (blanks separate words); word: what
// has been typed of it.
Completion CompleteShellWord(std::string_view before, std::string_view word);

}  // namespace kwsim
