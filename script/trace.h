// What a run did, told as it happens to whoever listens: the lines it reached, what each
// IF compared, where each jump landed, every variable a line wrote (old and new value),
// every call through the engine's port, and how the run ended. The engine only tells;
// the listener (a sink) decides what to keep and where it goes: host/ writes it to a
// file for the simulator, tests record it.
//
// Tracing costs a run nothing while no sink is installed: RunScript then takes the same
// loop as ever and asks the sink pointer once per run. With a sink, how the run ended is
// told for every run; the lines only while the sink wants them (WantsLines, asked once
// per run, and the answer of Line, which can stop a long run's line events halfway: the
// run then goes on in the plain loop). A traced run computes what it shows by reading
// only: an IF's operands are read once more for display, the result variables of a line
// before and after it. It makes no call through the port that the plain run would not
// make, and ends exactly where the plain run ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/loader.h"

namespace kw {

// The words of the trace, declared once: the writer of a trace (host/trace_channel.cpp)
// and its readers (the simulator, the playground, the tests) all take them from here.
// The lists are macros, so a reader needs no code of the engine's library for them.
// Entries are only ever appended: their order is their code.

// The records a trace is made of, by the word a trace file names each with.
// clang-format off
#define KW_TRACE_EVENTS(X) \
  X(Run, "run")      /* a run starts */ \
  X(Line, "line")    /* the run reaches a line */ \
  X(If, "if")        /* what an IF compared and how it came out */ \
  X(Goto, "goto")    /* where a GOTO landed */ \
  X(Call, "call")    /* where a CALL landed */ \
  X(Ret, "ret")      /* where a RET went back to */ \
  X(Write, "write")  /* a variable a line wrote, old and new value */ \
  X(Save, "save")    /* a save flag SAVE set */ \
  X(Host, "host")    /* a call through the engine's port */ \
  X(Cut, "cut")      /* the run's lines are told no more */ \
  X(End, "end")      /* how the run ended */ \
  X(Vars, "vars")    /* the variable table follows */ \
  X(Var, "var")      /* one variable of it */

// How a run ended, its word, and whether a bound (or memory) stopped it rather than
// the script.
#define KW_RUN_ENDS(X) \
  X(End, "end", false)             /* the line index left the lines: the last line ran, or a jump led past it */ \
  X(Exit, "exit", false)           /* EXIT */ \
  X(LineBound, "lines", true)      /* it reached its bound of lines (kMaxExecutedLines) */ \
  X(ByteBound, "bytes", true)      /* its lines read and wrote its bound of bytes (kMaxRunBytes) */ \
  X(ValueBound, "value", true)     /* a write longer than the value bound (kMaxValueBytes), not made */ \
  X(CallDepth, "calls", true)      /* a CALL beyond kMaxReturnDepth open calls */ \
  X(Nesting, "nesting", true)      /* it started kMaxNestedRuns deep in host callbacks: nothing ran */ \
  X(NoEntry, "no-entry", false)    /* its entry label is missing: nothing ran */ \
  X(Empty, "empty", false)         /* the script has no lines: nothing ran */ \
  X(Failure, "failure", true)      /* memory ran out; what it wrote stays */
// clang-format on

enum class TTraceEvent : std::uint8_t {
#define KW_X(Name, Word) Name,
  KW_TRACE_EVENTS(KW_X)
#undef KW_X
};

enum class TRunEnd : std::uint8_t {
#define KW_X(Name, Word, Bound) Name,
  KW_RUN_ENDS(KW_X)
#undef KW_X
};

inline constexpr std::string_view kTraceEventWords[] = {
#define KW_X(Name, Word) Word,
    KW_TRACE_EVENTS(KW_X)
#undef KW_X
};

inline constexpr std::string_view kRunEndWords[] = {
#define KW_X(Name, Word, Bound) Word,
    KW_RUN_ENDS(KW_X)
#undef KW_X
};

inline constexpr bool kRunEndBounded[] = {
#define KW_X(Name, Word, Bound) Bound,
    KW_RUN_ENDS(KW_X)
#undef KW_X
};

constexpr std::string_view TraceEventWord(TTraceEvent event) {
  return kTraceEventWords[static_cast<std::size_t>(event)];
}
// The words the trace uses for a run's end ("end", "exit", "lines", ...).
constexpr std::string_view RunEndName(TRunEnd how) { return kRunEndWords[static_cast<std::size_t>(how)]; }
// A bound (or memory) stopped the run, not the script.
constexpr bool RunEndedByBound(TRunEnd how) { return kRunEndBounded[static_cast<std::size_t>(how)]; }

// A word read back; nothing when it is none of the list's.
constexpr std::optional<TTraceEvent> TraceEventFromWord(std::string_view word) {
  for (std::size_t i = 0; i < std::size(kTraceEventWords); ++i)
    if (kTraceEventWords[i] == word) return static_cast<TTraceEvent>(i);
  return std::nullopt;
}
constexpr std::optional<TRunEnd> RunEndFromWord(std::string_view word) {
  for (std::size_t i = 0; i < std::size(kRunEndWords); ++i)
    if (kRunEndWords[i] == word) return static_cast<TRunEnd>(i);
  return std::nullopt;
}

struct TTraceEnd {
  TRunEnd How = TRunEnd::End;
  std::int64_t Index = -1;     // the line that ended it (EXIT, CALL, a refused write, a
                               // STRPOS that ran out of bytes); -1 when none did
  bool Before = false;         // Index is the line it was to run next when its line or byte
                               // bound was spent by the lines before
  std::int64_t Bound = 0;      // the figure of the bound that ended it; 0 when none
  std::int64_t Lines = 0;      // lines the run reached, label lines included
  std::int64_t Bytes = 0;      // bytes its lines read and wrote
  std::uint64_t Refused = 0;   // ValueBound: the length of the write that was refused
};

// An IF: its operands as the line read them and what came of the comparison.
struct TTraceCondition {
  bool Complete = false;     // an operand or the operator is missing: always false
  std::string_view Left;     // the operands' values
  std::string_view Operator; // as OperatorTable has it; empty when there is none
  std::string_view Right;
  bool Numbers = false;      // both are integers, compared as numbers (else as texts)
  bool Holds = false;        // the next line runs
  std::int64_t Skipped = -1; // false: the line skipped
};

enum class TJumpKind : std::uint8_t { Goto, Call, Ret };

struct TTraceJump {
  TJumpKind Kind = TJumpKind::Goto;
  std::string_view Label;   // GOTO, CALL: the label as written
  bool Found = false;       // GOTO, CALL: the label exists; RET: a CALL was open
  std::int64_t To = 0;      // the line the run goes on at
};

// A value before or after a line; no Value when the variable does not exist.
struct TTraceWrite {
  std::string_view Name;                   // "$" and the name, upper case
  std::optional<std::string_view> Old;
  std::optional<std::string_view> New;
};

// SAVE: the save flag of a variable (the variable is created when missing).
struct TTraceSaveFlag {
  std::string_view Name;
  bool Existed = false;
  bool Old = false;
  bool New = false;
};

// A call through the engine's port (script_host.h), by the port's name for it, with
// its arguments and, for a call that answers, its answer, as texts.
struct TTraceHostCall {
  std::string_view Name;            // "SendProtocolMessage", "GetUserState", ...
  std::vector<std::string> Args;
  std::vector<std::string> Answer;  // empty for a call that answers nothing
};

class ITraceSink {
 public:
  ITraceSink() = default;
  ITraceSink(const ITraceSink&) = delete;
  ITraceSink& operator=(const ITraceSink&) = delete;
  virtual ~ITraceSink() = default;

  // Asked once when a run starts: whether it tells its lines, or only its start and end.
  virtual bool WantsLines() = 0;
  // A run starts on lines (the list the caller gave) at entryCode; depth 1 for a run
  // nobody waits for, 2 for one that a host call of a depth-1 run started, and so on.
  virtual void RunStarted(const TScriptLines& lines, int entryCode, int depth) = 0;
  // The run reaches this line (the prepared line at index). False: tell no more lines
  // of this run; it goes on untold and still tells its end.
  virtual bool Line(std::int64_t index, std::string_view text) = 0;
  virtual void Condition(const TTraceCondition& condition) = 0;
  virtual void Jump(const TTraceJump& jump) = 0;
  virtual void Write(const TTraceWrite& write) = 0;
  virtual void SaveFlag(const TTraceSaveFlag& flag) = 0;
  // A call that answers is told when the answer is there, any other one before it is
  // made (a run it leads the host to start comes after it).
  virtual void HostCall(const TTraceHostCall& call) = 0;
  virtual void RunEnded(const TTraceEnd& end, int entryCode, int depth) = 0;
};

namespace detail {
extern ITraceSink* installedTraceSink;  // see TraceSink
}

// The sink runs tell, or null. Not owned: it must live while installed. Inline: every
// run asks.
inline ITraceSink* TraceSink() { return detail::installedTraceSink; }
// Makes sink the one runs tell (null: none); returns the one installed before.
ITraceSink* InstallTraceSink(ITraceSink* sink);

}  // namespace kw
