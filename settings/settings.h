// The settings file: saved variables and the detached options window's rectangle.
#pragma once

namespace kw {

class IProfile;

void LoadSettings();
// False when the file could not be written; the previous file then stays as it was.
bool SaveSettings();
// Writes the variables marked for saving, in table order, over what the file held of them.
void SaveVariables(IProfile& file);

}  // namespace kw
