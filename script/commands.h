// The interpreter's command table: for every command code, how its line is compiled
// (the form of its parameters, the least number of them) and the handler that carries
// it out against a run's state. The table is generated from the command list
// (script/command_list.h), which also defines TParamForm.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/KwartlinConst.h"
#include "script/command_list.h"
#include "script/compiled.h"
#include "script/trace.h"

namespace kw {

// State of one run; a nested run (started by the host during a command's host call)
// has its own.
struct TRunState {
  explicit TRunState(const TScriptLines& lines) : Lines(lines) {}

  const TScriptLines& Lines;                      // the list being run, as the caller gave it
  std::shared_ptr<const TCompiledScript> Script;  // its compiled form, kept alive by the run
  std::int64_t Index = 0;                         // line to execute next
  std::int64_t Next = 0;                          // where the current command continues
  std::vector<std::int64_t> Returns;              // CALL's return stack, most recent last
  bool Ended = false;                             // EXIT, or a bound reached
  TRunEnd EndedBy = TRunEnd::Exit;                // what set Ended (a bound's handler says)
  std::uint64_t RefusedBytes = 0;                 // ValueBound: the length of the refused write
  bool HostCalled = false;  // the current command called the host: the lines may have changed
  std::int64_t BytesLeft = 0;      // of the byte budget; below 0 after a line ends the run
  std::size_t MaxValueBytes = 0;   // longest value a write may store
  std::string Scratch[4];   // buffers for resolved values, reused from line to line

  // Counts bytes a line has read, written or compared against the budget.
  void Charge(std::uint64_t bytes) { BytesLeft -= static_cast<std::int64_t>(bytes); }
};

struct TInterpreterCommand {
  TParamForm Form;          // what follows the keyword
  std::uint8_t MinParams;   // List: fewer parameters make the line do nothing
  TLineHandler Run;         // carries the command out
  TLineStep Step;           // the same as a step of the loop
};

extern const TInterpreterCommand InterpreterCommands[kCommandCount];

// The step of a compiled command line: its command's, or one made for the shape of its
// parameters (ADD of a fixed number to a variable, IF between a variable and a fixed
// number), which does what the command does with less asking.
TLineStep StepFor(const TCompiledLine& line);
// The step of a line that does nothing (a label, an unknown keyword, too few parameters).
TLineStep PassStep();

}  // namespace kw
