// The settings file: saved variables and the detached options window's rectangle.
#pragma once

namespace kw {

class TProfileFile;

void LoadSettings();
// False when the file could not be written; the previous file then stays as it was.
bool SaveSettings();
void SaveVariables(TProfileFile& file);

}  // namespace kw
