// The interpreter's run: entry point, main loop and bounds. Lines come compiled (see
// compiled.h) and commands are dispatched through the table in commands.cpp.
// Bounds: a run ends as EXIT would once it has taken its bound of steps (every line it
// reaches counts, label lines included), after the line that spends the last of its
// byte budget, at a write longer than the value bound, or when CALL would push beyond
// kMaxReturnDepth, so neither a loop, nor a loop over long texts, nor a growing value,
// nor endless recursion can hold the host; a run nested kMaxNestedRuns deep in host
// callbacks ends before its first line. The handlers charge the bytes (commands.cpp);
// the loop only tests what is left, once per line.
// Tracing (trace.h) takes a second instance of the same loop, watched line by line, and
// only when a sink is installed: without one a run asks one pointer and nothing else.
#include "script/interpreter.h"

#include "script/KwartlinConst.h"
#include "script/commands.h"
#include "script/compiled.h"
#include "script/trace.h"
#include "script/trace_run.h"

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

// What a run does around each line when nobody traces it: nothing, and the compiler
// sees that, so the plain loop is the loop it always was.
struct Untraced {
  static constexpr bool kWatches = false;
  static constexpr bool Before(const TRunState&, const TCompiledLine&) { return true; }
  static constexpr void After(const TRunState&, const TCompiledLine&) {}
};

// The tracer watches with the run's Index and Next in place.
struct Traced : TLineTracer {
  using TLineTracer::TLineTracer;
  static constexpr bool kWatches = true;
};

// Lines the run may take after the next one; below 0 when it may take none.
std::int64_t SpareLines(std::int64_t maxLines) { return maxLines > 0 ? maxLines - 1 : -1; }

// Where the loop left off: the lines the run may still take, and whether the watcher
// stopped watching before the run ended (the line at run.Index has not run then).
struct TLoopEnd {
  std::int64_t SpareLines;
  bool Unwatched;
};

// Runs lines until the run ends or the watcher stops watching. The index and the count
// of lines are values, not references: the steps are opaque calls, and a count behind a
// reference would go to memory and back around every one of them. Run.Index holds the
// index again when the loop returns.
template <class Watcher>
TLoopEnd MainLoop(TRunState& run, std::int64_t spareLines, Watcher& watcher) {
  // The compiled lines change only with a host call (a nested run may reload them).
  const TCompiledLine* lines = run.Script->Lines.data();
  std::uint64_t count = run.Script->Lines.size();
  std::int64_t index = run.Index;
  for (;;) {
    // A negative index is a huge unsigned one: one test for both ends of the lines, and
    // for a step that asks for attention.
    if (static_cast<std::uint64_t>(index) >= count) {
      if (index != kAttend) break;
      index = run.Next;
      if (run.Ended) break;
      run.HostCalled = false;
      FollowReload(run);
      lines = run.Script->Lines.data();
      count = run.Script->Lines.size();
      continue;
    }
    // A bound is spent when its count is below 0: the sign of the two or-ed tells both.
    if ((spareLines | run.BytesLeft) < 0) break;
    --spareLines;
    const TCompiledLine& line = lines[index];
    if constexpr (Watcher::kWatches) {
      run.Index = index;
      if (!watcher.Before(run, line)) return {spareLines + 1, true};
      const std::int64_t next = line.Step(run, line, index);
      run.Index = index;
      if (next != kAttend) run.Next = next;
      watcher.After(run, line);
      index = next;
    } else {
      index = line.Step(run, line, index);
    }
  }
  run.Index = index;
  return {spareLines, false};
}

// Why the loop above stopped, read off the run's state once it has.
TTraceEnd HowItEnded(const TRunState& run, const TRunBounds& bounds, std::int64_t spareLines) {
  TTraceEnd end;
  end.Lines = SpareLines(bounds.Lines) - spareLines;
  end.Bytes = bounds.Bytes - run.BytesLeft;
  if (run.Ended) {
    // A line that ends the run moves no index: the one before the next is the one.
    end.How = run.EndedBy;
    end.Index = run.Index - 1;
  } else if (static_cast<std::uint64_t>(run.Index) >= run.Script->Lines.size()) {
    end.How = TRunEnd::End;
  } else {
    end.How = spareLines < 0 ? TRunEnd::LineBound : TRunEnd::ByteBound;
    end.Index = run.Index;  // the line it was to run next
    end.Before = true;
  }
  switch (end.How) {
    case TRunEnd::LineBound: end.Bound = bounds.Lines; break;
    case TRunEnd::ByteBound: end.Bound = bounds.Bytes; break;
    case TRunEnd::ValueBound:
      end.Bound = static_cast<std::int64_t>(run.MaxValueBytes);
      end.Refused = run.RefusedBytes;
      break;
    case TRunEnd::CallDepth: end.Bound = static_cast<std::int64_t>(kMaxReturnDepth); break;
    default: break;
  }
  return end;
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


// A run told to the sink: the same run, with its start and end told, and its lines
// while the sink wants them. Kept out of line so the untraced path stays as small as it
// was.
[[gnu::noinline]] void RunTold(ITraceSink& sink, const TScriptLines& lines, int entryCode, const TRunBounds& bounds) {
  const int depth = activeRuns + 1;
  TTraceEnd end;
  try {
    sink.RunStarted(lines, entryCode, depth);
    if (activeRuns >= kMaxNestedRuns) {
      end.How = TRunEnd::Nesting;
      end.Bound = kMaxNestedRuns;
    } else {
      const NestedRunScope scope;
      if (lines.empty()) {
        end.How = TRunEnd::Empty;
      } else {
        TRunState run(lines);
        run.BytesLeft = bounds.Bytes;
        run.MaxValueBytes = bounds.ValueBytes;
        run.Script = CompiledScriptFor(lines);
        run.Index = EntryIndex(*run.Script, entryCode);
        if (run.Index < 0) {
          end.How = TRunEnd::NoEntry;
        } else {
          Untraced untraced;
          TLoopEnd loop{};
          if (sink.WantsLines()) {
            const TTracedHostScope recording(sink);
            Traced tracer(sink);
            loop = MainLoop(run, SpareLines(bounds.Lines), tracer);
            if (loop.Unwatched) loop = MainLoop(run, loop.SpareLines, untraced);
          } else {
            loop = MainLoop(run, SpareLines(bounds.Lines), untraced);
          }
          end = HowItEnded(run, bounds, loop.SpareLines);
        }
      }
    }
  } catch (...) {
    end = TTraceEnd{};
    end.How = TRunEnd::Failure;
  }
  try {
    sink.RunEnded(end, entryCode, depth);
  } catch (...) {
  }
}

}  // namespace

void RunScriptBounded(const TScriptLines& lines, int entryCode, const TRunBounds& bounds) {
  if (ITraceSink* const sink = TraceSink()) {
    RunTold(*sink, lines, entryCode, bounds);
    return;
  }
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
    Untraced untraced;
    MainLoop(run, SpareLines(bounds.Lines), untraced);
  } catch (...) {
    // Only memory can run out here; the run ends as EXIT would, keeping what it wrote.
  }
}

void RunScript(const TScriptLines& lines, int entryCode) { RunScriptBounded(lines, entryCode, TRunBounds{}); }

}  // namespace kw
