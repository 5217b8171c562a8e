// The compiled form of script lines: each line is split, its keyword looked up and its
// parameters classified once per distinct script, so a run only dispatches and looks
// up variables. A compiled script is immutable and shared: a run holds it through a
// shared_ptr, so a reload by a nested run (through a host call) never pulls it away.
// The only thing a run changes in it is the slot cache of its variable references (the
// position in VariableTable where the name was last found, with the table's generation
// then), which holds while the table's generation is the same, so a stale slot costs a
// look-up and is never wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/KwartlinConst.h"
#include "script/loader.h"
#include "script/variables.h"

namespace kw {

// One parameter read as a value. Everything but a variable resolves to the same text
// on every run, so it is resolved here.
inline constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);

struct TCompiledValue {
  bool IsVariable = false;             // Text names a variable rather than holding the value
  std::string Text;                    // the value; or "$" and the upper-cased variable name
  std::optional<std::int32_t> Number;  // ReadInt of a fixed value; unused for a variable
  mutable std::size_t Slot = kNoSlot;  // variable: where in VariableTable it was last found
  mutable std::uint64_t SlotGeneration = 0;  // VariableTable's generation then (0: never)
};

// One parameter of a parameter list, in every role a command may give it.
struct TCompiledParam {
  std::string Raw;       // as written, trimmed (SAVE names its variable this way)
  TCompiledValue Value;  // read as a value
  std::string Target;    // written as a result: "$" + upper-cased name; empty = write nothing
  mutable std::size_t TargetSlot = kNoSlot;  // where in VariableTable Target was last found
  mutable std::uint64_t TargetGeneration = 0;  // VariableTable's generation then (0: never)
};

// An IF condition, scanned.
struct TCompiledCondition {
  TCompiledValue Left;       // left operand
  TCompiledValue Right;      // right operand
  int Operator = -1;         // position in OperatorTable
  bool AlwaysFalse = true;   // an operand (or the operator) is missing as written
  // Whether the operator holds for two numbers that compare as -1, 0 and 1: bits 0 to 2.
  std::uint8_t Holds = 0;
};

enum class TLineKind : std::uint8_t {
  Pass,     // label line, unknown keyword or too few parameters: execution moves on
  Command,  // a command to carry out
};

struct TRunState;
struct TCompiledLine;
// Carries out one compiled line against a run's state (commands.h has them all).
using TLineHandler = void (*)(TRunState& run, const TCompiledLine& line);
// The same as one step of the loop: the line at `index` is carried out and the index of
// the line to run next comes back, or kAttend when the line ended the run or called the
// host (the run's Next says where it goes on then). The index stays in a register from
// line to line, and a line that cannot jump, end or call out costs no memory for it.
using TLineStep = std::int64_t (*)(TRunState& run, const TCompiledLine& line, std::int64_t index);
// Negative, so the loop's one range test of the index catches it.
inline constexpr std::int64_t kAttend = -1;

struct TCompiledLine {
  TLineKind Kind = TLineKind::Pass;    // whether there is anything to do
  int Code = -1;                       // command code (CommandTable position)
  TLineStep Step = nullptr;            // what the loop calls, chosen once here (commands.h)
  std::vector<TCompiledParam> Params;  // parameter list of list-taking commands
  std::int64_t Target = 0;             // GOTO, CALL: index of the line to continue at
  // Only IF and MenuDel lines have these, so they live apart: a long script of other
  // lines stays small, which is what keeps a run over it in the cache.
  std::unique_ptr<TCompiledCondition> Condition;  // IF
  std::unique_ptr<TCompiledValue> RestValue;      // MenuDel: the rest of the line as one value
};

struct TCompiledScript {
  TScriptLines Source;              // the lines this was compiled from, to tell reuse
  std::vector<TCompiledLine> Lines; // one per source line, same index
  // Upper-cased text of each label line -> index of its first occurrence.
  std::unordered_map<std::string, std::int64_t> Labels;
  // FindLabel of each special label (SpecialLabelTable order), -1 when absent.
  std::int64_t SpecialLabels[kSpecialLabelCount] = {-1, -1, -1, -1};

  // FindLabel over Source: index of the first line reading ":" + name, case ignored.
  std::int64_t FindLabel(std::string_view name, std::int64_t notFound) const;
  // True when these are the lines this was compiled from. Every run asks (and every
  // return from a host call), so the list's version answers when it can: equal to the
  // one last found to match. Otherwise the texts are compared, and a match remembers
  // the version.
  bool IsFor(const TScriptLines& lines) const;

 private:
  mutable std::uint64_t matchedVersion_ = 0;  // version of a list last found equal to Source
};

// Compiles the lines afresh.
std::shared_ptr<const TCompiledScript> CompileScript(const TScriptLines& lines);
// The compiled form of these lines; the last one built is kept and reused while the
// lines it was built from stay equal in content.
std::shared_ptr<const TCompiledScript> CompiledScriptFor(const TScriptLines& lines);

TCompiledValue CompileValue(std::string_view param);
TCompiledCondition CompileCondition(std::string_view condition);

// The value at this moment. The view points into the compiled value, into scratch, or
// into VariableTable: it is valid only until the next write to a variable (or anything
// that may write one, such as a host call), so a command reads all its values first.
std::string_view ValueOf(const TCompiledValue& value, std::string& scratch);
// A value read for a command or condition that takes numbers. A variable that holds a
// number answers from what the table remembers: its text is neither parsed, nor
// scanned, nor (when a number was written to it) even made.
struct TOperand {
  std::optional<std::int32_t> Number;  // ParseInt of the value
  std::size_t Bytes = 0;               // the length of the value's text (ValueOf(...).size())
  std::string_view Text;               // the value as ValueOf gives it; only when Number is empty
};
TOperand OperandOfSlowly(const TCompiledValue& value, std::string& scratch);
// Inline for the case a loop meets at nearly every line: a fixed number, or a variable
// found before in the same table and known to hold a number.
inline TOperand OperandOf(const TCompiledValue& value, std::string& scratch) {
  if (!value.IsVariable) {
    if (value.Number) return {value.Number, value.Text.size(), {}};
    return {std::nullopt, value.Text.size(), value.Text};
  }
  if (value.SlotGeneration == VariableTable.Generation()) {
    if (const std::optional<std::int32_t> number = VariableTable.KnownNumber(value.Slot))
      return {number, VariableTable.ValueSize(value.Slot), {}};
  }
  return OperandOfSlowly(value, scratch);
}
bool EvaluateCompiled(const TCompiledCondition& condition, std::string& leftScratch,
                      std::string& rightScratch);
// The same, taking the lengths of the operands it read (and so scanned) off budget.
bool EvaluateCompiled(const TCompiledCondition& condition, std::string& leftScratch,
                      std::string& rightScratch, std::int64_t& budget);
// Writes a result through the parameter, as SetVariable with the save flag off. The
// value may be a view into VariableTable (a ValueOf result), even into the target itself.
void WriteResult(const TCompiledParam& param, std::string_view value);
// The stored text of the variable a result through param goes to, to change in place,
// when `read` is that very text (ValueOf gave it unchanged); else null. Its number
// reading is forgotten. When the variable shared that text with another, it now has a
// text of its own whose bytes the caller writes from `was` (TZmienne::OwnTextAt).
std::string* StoredTextOf(const TCompiledParam& param, std::string_view read,
                          std::shared_ptr<const std::string>& was);
// Writes `read`, a value just read from the variable `from` by ValueOf, through param
// as WriteResult would, sharing the variable's text rather than copying it where it is
// long; false (nothing written) where it is not shared.
bool ShareResult(const TCompiledParam& param, const TCompiledValue& from, std::string_view read);
// `read`, a value just read from `from` by ValueOf, as the variable's shared text where
// it is a long one; else null.
std::shared_ptr<const std::string> SharedTextOf(const TCompiledValue& from, std::string_view read);
// The same for a number: the variable keeps it as a number, its text made when read.
void WriteNumberResult(const TCompiledParam& param, std::int32_t number);

}  // namespace kw
