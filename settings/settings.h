// The settings file: saved variables and the detached options window's rectangle. The
// caller names the file and hands over the variable table and the rectangle: the store
// keeps no state of its own and knows nothing of the plugin's.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "script/variables.h"
#include "support/rect.h"

namespace kw {

class IProfile;

// A long value whose pieces did not check at load (a changed or missing piece, a hand
// edit, a stated length that cannot be): it was loaded as its first piece alone, and
// its pieces stay in the file as they are until the variable holds something else.
// Pieces whose first piece is gone load nothing and stay while no such variable exists.
struct TUncheckedValue {
  std::string Name;              // the variable, as the file names it
  std::size_t LoadedBytes = 0;   // what was loaded: the first piece's length (0: nothing)
  std::string Reason;            // what did not check, in plain words
};

// A variable marked for saving that the file cannot hold, and why in plain words.
struct TLeftOutValue {
  std::string Name;
  std::string Reason;
};

// What a load found at the path.
enum class TSettingsRead {
  Absent,      // no file (or an empty path): the normal first start
  Read,        // read
  Unreadable,  // a file is there but could not be read: nothing was loaded from it
};

// Reads the file at `path`, when there is one: each saved variable is set in `variables`
// with its save flag on, and each part of `formRect` the file holds replaces its value.
// An empty path reads nothing. Long values whose pieces do not check are listed in
// `unchecked`, when given. Temporary files that killed saves left beside it go.
TSettingsRead LoadSettings(const std::string& path, TZmienne& variables, TRect32& formRect,
                           std::vector<TUncheckedValue>* unchecked = nullptr);
// Writes the variables marked for saving and `formRect` to the file at `path`, creating
// its folders. False when the file could not be written (or the path is empty); the
// previous file then stays as it was, and `failure`, when given, says why in plain words.
// Variables the file cannot hold are listed in `leftOut`, when given; the rest is saved.
bool SaveSettings(const std::string& path, const TZmienne& variables, const TRect32& formRect,
                  std::string* failure = nullptr, std::vector<TLeftOutValue>* leftOut = nullptr);
// Writes the variables marked for saving, in table order, over what the file held of them.
// The pieces of a long value that did not check stay as they were while its variable
// still holds what its first piece loads as.
void SaveVariables(IProfile& file, const TZmienne& variables, std::vector<TLeftOutValue>* leftOut = nullptr);

}  // namespace kw
