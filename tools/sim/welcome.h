// What kwartlin-sim says when it is started from Explorer with a double-click: no
// arguments, and a console of its own that closes when the program ends.
//
// It explains itself and waits for a key, rather than guessing. Opening the shell on
// the messenger's plugins folder was the other way: but the simulator cannot know
// where the messenger is installed (any folder, or Windows' VirtualStore copy of it),
// a guess could run an old copy of the script, and a prompt is no help to someone who
// has not yet read what it takes. A user who double-clicks wants to know what the
// program is and how to use it: the text says both, in Polish and English side by side
// (the one text of the simulator that cannot know the user's language choice yet), with
// the commands to type in cmd and the Explorer way to open cmd in the program's folder.
#pragma once

#include <string>

namespace kwsim {

// The text, UTF-8, ending with the request to press a key.
std::string WelcomeText();

}  // namespace kwsim
