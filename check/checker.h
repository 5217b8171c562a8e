// The checker: reads a script or a spam list as the engine reads it and reports the
// mistakes the plugin passes over in silence (it runs every script and says nothing).
// It links the engine's library for its reading of a line, its tables and its spam
// rule reader, and runs nothing.
#pragma once

#include <string_view>
#include <vector>

#include "check/findings.h"

namespace kwcheck {

// Every finding of a script file's bytes, ordered by line and column; findings that a
// "// kwcheck: ignore KWnnn" comment on their line names are left out.
std::vector<TFinding> CheckScript(std::string_view bytes);

// Every finding of a spam list file's bytes (Kwartlin.spm); a comment line
// "; kwcheck: ignore KWnnn" silences the finding on the rule line below it.
std::vector<TFinding> CheckSpamList(std::string_view bytes);

// A spam list when spam is set or the name ends in ".spm" (any case), else a script.
std::vector<TFinding> CheckFile(std::string_view name, std::string_view bytes, bool spam);

}  // namespace kwcheck
