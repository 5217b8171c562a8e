// The interpreter's run: entry point, main loop and bounds. Lines come compiled (see
// compiled.h) and commands are dispatched through the table in commands.cpp.
// Bounds: a run ends as EXIT would once it has taken its bound of steps (every line it
// reaches counts, label lines included), after the line that spends the last of its
// byte budget, at a write longer than the value bound, or when CALL would push beyond
// kMaxReturnDepth, so neither a loop, nor a loop over long texts, nor a growing value,
// nor endless recursion can hold the host; a run nested kMaxNestedRuns deep in host
// callbacks ends before its first line. The handlers charge the bytes (commands.cpp);
// the loop only tests what is left, once per line.
#include "script/interpreter.h"

#include "script/KwartlinConst.h"
#include "script/commands.h"
#include "script/compiled.h"

namespace kw {
namespace {

// Where a run with this entry code starts, or -1 when it runs nothing.
std::int64_t EntryIndex(const TCompiledScript& script, int entryCode) {
  switch (entryCode) {
    case entryInit:
    case entryMenuShow:
    case entryMenuClick: {
      const std::int64_t label = script.SpecialLabels[entryCode];
      return label < 0 ? -1 : label + 1;
    }
    default: {
      // The label line itself, passed over; a script without it runs from the top.
      const std::int64_t label = script.SpecialLabels[entryStart];
      return label < 0 ? 0 : label;
    }
  }
}

// After a host call the list may hold another script (a nested run reloaded it): the
// run goes on in that one at the same index.
void FollowReload(TRunState& run) {
  if (!run.Script->IsFor(run.Lines)) run.Script = CompiledScriptFor(run.Lines);
}

void MainLoop(TRunState& run, std::int64_t maxLines) {
  // Lines the run may take after the next one; below 0 when it may take none.
  std::int64_t spareLines = maxLines > 0 ? maxLines - 1 : -1;
  while (!run.Ended) {
    // A negative index is a huge unsigned one: one test for both ends of the lines.
    if (static_cast<std::uint64_t>(run.Index) >= run.Script->Lines.size()) break;
    // A bound is spent when its count is below 0: the sign of the two or-ed tells both.
    if ((spareLines | run.BytesLeft) < 0) break;
    --spareLines;
    const TCompiledLine& line = run.Script->Lines[static_cast<std::size_t>(run.Index)];
    run.Next = run.Index + 1;
    if (line.Kind == TLineKind::Command) InterpreterCommands[line.Code].Run(run, line);
    run.Index = run.Next;
    if (run.HostCalled) {
      run.HostCalled = false;
      FollowReload(run);
    }
  }
}

// Runs under way on this thread, the current one included (see kMaxNestedRuns).
int activeRuns = 0;

class NestedRunScope {
 public:
  NestedRunScope() noexcept { ++activeRuns; }
  ~NestedRunScope() { --activeRuns; }
  NestedRunScope(const NestedRunScope&) = delete;
  NestedRunScope& operator=(const NestedRunScope&) = delete;
};

}  // namespace

void RunScriptBounded(const TScriptLines& lines, int entryCode, const TRunBounds& bounds) {
  if (activeRuns >= kMaxNestedRuns) return;
  const NestedRunScope scope;
  try {
    if (lines.empty()) return;
    TRunState run(lines);
    run.BytesLeft = bounds.Bytes;
    run.MaxValueBytes = bounds.ValueBytes;
    run.Script = CompiledScriptFor(lines);
    run.Index = EntryIndex(*run.Script, entryCode);
    if (run.Index < 0) return;
    MainLoop(run, bounds.Lines);
  } catch (...) {
    // Only memory can run out here; the run ends as EXIT would, keeping what it wrote.
  }
}

void RunScriptBounded(const TScriptLines& lines, int entryCode, std::int64_t maxLines) {
  RunScriptBounded(lines, entryCode, TRunBounds{.Lines = maxLines});
}

void RunScript(const TScriptLines& lines, int entryCode) { RunScriptBounded(lines, entryCode, TRunBounds{}); }

}  // namespace kw
