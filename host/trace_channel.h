// The trace channel: a host that wants to see what the script does names a file in the
// environment variable KWARTLIN_TRACE before it loads the plugin. LoadPlugin reads the
// variable once and, when it names a file, appends to it one JSON object per line for
// every run (its start, its lines, IF outcomes, jumps, writes, host calls, its end) and
// the variable table after every run. KWARTLIN_TRACE_LEVEL=runs, read at the start of
// every run, keeps only the starts, the ends and the tables. The format is in
// docs/trace.md. Without the variable nothing is opened, no sink is installed, and runs
// cost what they always did. Writing the file is no host call: a traced plugin makes
// exactly the host calls an untraced one makes.
#pragma once

#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace kw {

// LoadPlugin: opens the file that KWARTLIN_TRACE names, when it does, and installs the
// engine's trace sink. A channel left open is closed first.
void OpenTraceChannel();
// UnloadPlugin: closes the file and takes the sink away.
void CloseTraceChannel();
// The variable table changed outside a run (the plugin's service set a variable): the
// table goes to the channel as after a run. Nothing without a channel.
void TraceVariableTable();
// The settings file was read: each long value whose pieces did not check goes to the
// channel, and a file that was there but could not be read. Nothing without a channel.
void TraceSettingsLoaded(const std::vector<TUncheckedValue>& unchecked, bool unreadable);
// The settings file was saved, or not, and why not; each variable the save left out.
void TraceSettingsSaved(bool written, std::string_view failure, const std::vector<TLeftOutValue>& leftOut);

}  // namespace kw
