// Where runs go and what they leave in the variables, over the whole script, on the
// engine's compiled lines and its rules: a run enters at a special label as the host
// starts it (_start at its label, or at the top without one; the others after theirs,
// or not at all), GOTO and CALL go to the first line of their label (or on to the next
// line when there is none), an IF goes on to the next line or the one after it, EXIT
// and the end of the lines end the run, and RET returns to the line after the open CALL,
// but without one does nothing: the run goes on below it.
// The data flow is not path-sensitive: variables live on from run to run (and SAVE keeps
// them), so "written" means written by some line of the script, by the program or by
// the settings.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "check/report.h"
#include "check/source.h"
#include "script/command_list.h"

namespace kwcheck {

struct TDataFlow {
  std::map<std::string, std::vector<int>> Writes;  // variable ("$" + upper) -> file lines writing it
  std::map<std::string, std::set<int>> Writers;    // variable -> codes of the commands writing it
  std::set<std::string> Reads;                     // variables some value reads
  std::set<std::string> Saved;                     // variables SAVE names (restored at start)
  std::set<std::string> JumpTargets;               // ":" + upper label name of every GOTO and CALL

  bool IsWritten(const std::string& upper) const { return Writes.count(upper) != 0 || Saved.count(upper) != 0; }
  bool IsRead(const std::string& upper) const { return Reads.count(upper) != 0; }
  // Written by a line other than this file line, by the program or kept by SAVE.
  bool WrittenElsewhere(const std::string& upper, int fileLine) const;
};

TDataFlow ReadDataFlow(const TSource& source);

// The flow findings (runs-on, call-without-ret, ret-without-call) and the data-flow
// ones that need the whole script (strcon-grows, written-never-read).
void CheckFlow(const TSource& source, const TDataFlow& data, TReport& report);

}  // namespace kwcheck
