// What the simulator and its check command say of a settings file that another program
// saved in an encoding of its own (Notepad's "Unicode", UTF-8 with a mark): the plugin
// reads such a file and keeps it in that encoding, which is worth a word, since a user
// who looks at it with another tool may wonder.
#pragma once

#include <string>
#include <string_view>

namespace kwsim {

// A name that ends in ".ini" (in any case): a settings file rather than a script.
bool IsSettingsFileName(std::string_view name);
// Empty for a file in the plugin's own Windows-1250; else what the plugin makes of it.
std::string SettingsEncodingNote(std::string_view bytes);

}  // namespace kwsim
