// What the script's lines leave in the variables, over the whole script, on the engine's
// compiled lines and the command list's signatures.
// The data flow is not path-sensitive: variables live on from run to run (and SAVE keeps
// them), so "written" means written by some line of the script, by the program or by
// the settings.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "check/source.h"
#include "script/command_list.h"

namespace kwcheck {

struct TDataFlow {
  std::map<std::string, std::vector<int>> Writes;  // variable ("$" + upper) -> file lines writing it
  std::map<std::string, std::set<int>> Writers;    // variable -> codes of the commands writing it
  std::set<std::string> Reads;                     // variables some value reads
  std::set<std::string> Saved;                     // variables SAVE names (restored at start)
  std::set<std::string> JumpTargets;               // ":" + upper label name of every GOTO and CALL
  std::map<std::string, std::set<kw::TParamRole>> WrittenAs;  // variable -> roles of the results written into it

  bool IsWritten(const std::string& upper) const { return Writes.count(upper) != 0 || Saved.count(upper) != 0; }
  bool IsRead(const std::string& upper) const { return Reads.count(upper) != 0; }
  // Written by a line other than this file line, by the program or kept by SAVE.
  bool WrittenElsewhere(const std::string& upper, int fileLine) const;
};

TDataFlow ReadDataFlow(const TSource& source);

}  // namespace kwcheck
