// The settings file: saved variables and the detached options window's rectangle. The
// caller names the file and hands over the variable table and the rectangle: the store
// keeps no state of its own and knows nothing of the plugin's.
#pragma once

#include <string>

#include "script/variables.h"
#include "support/rect.h"

namespace kw {

class IProfile;

// Reads the file at `path`, when there is one: each saved variable is set in `variables`
// with its save flag on, and each part of `formRect` the file holds replaces its value.
// An empty path reads nothing.
void LoadSettings(const std::string& path, TZmienne& variables, TRect32& formRect);
// Writes the variables marked for saving and `formRect` to the file at `path`, creating
// its folders. False when the file could not be written (or the path is empty); the
// previous file then stays as it was.
bool SaveSettings(const std::string& path, const TZmienne& variables, const TRect32& formRect);
// Writes the variables marked for saving, in table order, over what the file held of them.
void SaveVariables(IProfile& file, const TZmienne& variables);

}  // namespace kw
