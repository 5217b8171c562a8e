// Compiling script lines once, and reading the compiled values while a run goes on.
// A line is trimmed, a label line passes, the keyword is cut at the first blank and
// looked up, and the rest is split as the command's form says.
#include "script/compiled.h"

#include <string>

#include "script/KwartlinConst.h"
#include "script/commands.h"
#include "script/conditions.h"
#include "script/text.h"
#include "script/variables.h"
#include "support/ProcFunc.h"
#include "support/casing.h"

namespace kw {
namespace {

// The variable a result written through this parameter lands in, named as SetVariable
// names it.
std::string ResultTarget(std::string_view raw) {
  if (raw.empty()) return {};
  std::string name;
  name.reserve(raw.size() + 1);
  if (raw.front() != '$') name += '$';
  name += raw;
  UpperCaseInPlace(name);
  return name;
}

TCompiledParam CompileParam(std::string_view raw) {
  TCompiledParam p;
  p.Raw = std::string(raw);
  p.Value = CompileValue(raw);
  p.Target = ResultTarget(raw);
  return p;
}

TCompiledLine CompileLine(std::string_view raw, std::int64_t index,
                          const TCompiledScript& script) {
  TCompiledLine compiled;
  compiled.Step = PassStep();
  const std::string_view line = TrimBlanksView(raw);
  if (line.empty() || line.front() == ':') return compiled;
  std::size_t cut = FindBlank(line);
  if (cut == 0) cut = line.size();
  const std::string keyword = UpperCase(TrimBlanksView(line.substr(0, cut)));
  const std::string_view rest = TrimBlanksView(line.substr(cut));
  const int code = FindKeyword(keyword);
  if (code < 0) return compiled;

  const TInterpreterCommand& command = InterpreterCommands[code];
  switch (command.Form) {
    case TParamForm::None:
      break;
    case TParamForm::Label:
      // FindLabel's not-found index for GOTO and CALL is the next line.
      compiled.Target = script.FindLabel(rest, index + 1);
      break;
    case TParamForm::Condition:
      compiled.Condition = std::make_unique<TCompiledCondition>(CompileCondition(rest));
      break;
    case TParamForm::RestValue:
      compiled.RestValue = std::make_unique<TCompiledValue>(CompileValue(rest));
      break;
    case TParamForm::List: {
      const TListaStr params = SplitParameters(rest);
      if (params.size() < command.MinParams) return compiled;
      compiled.Params.reserve(params.size());
      for (const std::string& p : params) compiled.Params.push_back(CompileParam(p));
      break;
    }
  }
  compiled.Kind = TLineKind::Command;
  compiled.Code = code;
  compiled.Step = StepFor(compiled);
  return compiled;
}

// Position of the variable named by an upper-cased "$" name: the cached slot while the
// table's generation is the one it was found in or the slot still holds that name, else
// by the table's index, and the slot remembered. kNoSlot when absent.
std::size_t VariableAt(const std::string& upperName, std::size_t& slot, std::uint64_t& generation) {
  if (generation == VariableTable.Generation()) return slot;
  // A table rebuilt in the same order (cleared before every run, say) has the name in
  // the same place again: one comparison proves it.
  if (slot < VariableTable.size() && VariableTable.NameAt(slot) == upperName) {
    generation = VariableTable.Generation();
    return slot;
  }
  const long found = VariableTable.Find(upperName);
  if (found < 0) return kNoSlot;
  slot = static_cast<std::size_t>(found);
  generation = VariableTable.Generation();
  return slot;
}

// A result whose variable VariableAt has just found missing: created as SetVariable
// would, the value copied before the table grows (it may view an entry that moves).
void AppendResult(const TCompiledParam& param, std::string_view value) {
  param.TargetSlot = VariableTable.Append(TZmienna{param.Target, std::string(value), false});
  param.TargetGeneration = VariableTable.Generation();
}

// WriteResult of a value known to hold no "\n" escape.
void WritePlainResult(const TCompiledParam& param, std::string_view value) {
  const std::size_t at = VariableAt(param.Target, param.TargetSlot, param.TargetGeneration);
  if (at != kNoSlot) VariableTable.AssignText(at, value);  // safe when value views this value
  else AppendResult(param, value);
}

std::shared_ptr<const TCompiledScript>& LastCompiled() {
  static std::shared_ptr<const TCompiledScript> last;
  return last;
}

}  // namespace

bool TCompiledScript::IsFor(const TScriptLines& lines) const {
  if (lines.Version() == matchedVersion_) return true;
  if (!(lines == Source)) return false;
  matchedVersion_ = lines.Version();
  return true;
}

std::int64_t TCompiledScript::FindLabel(std::string_view name, std::int64_t notFound) const {
  const auto found = Labels.find(LabelKey(name));
  return found == Labels.end() ? notFound : found->second;
}

TCompiledValue CompileValue(std::string_view param) {
  TCompiledValue value;
  const bool quoted = !param.empty() && param.front() == '\'' && param.back() == '\'';
  if (!quoted && !param.empty() && param.front() == '$') {
    value.IsVariable = true;
    value.Text = UpperCase(param);
    return value;
  }
  // Quoted texts, constants, binary numbers and literals do not depend on variables.
  value.Text = ResolveValue(param);
  value.Number = ParseInt(value.Text);
  return value;
}

TCompiledCondition CompileCondition(std::string_view condition) {
  const TConditionParts parts = ScanCondition(condition);
  TCompiledCondition compiled;
  compiled.Operator = parts.Operator;
  compiled.AlwaysFalse = parts.Left.empty() || parts.Right.empty();
  for (int order = -1; order <= 1; ++order)
    if (OperatorHolds(parts.Operator, order)) compiled.Holds = static_cast<std::uint8_t>(compiled.Holds | 1u << (order + 1));
  if (!compiled.AlwaysFalse) {
    compiled.Left = CompileValue(parts.Left);
    compiled.Right = CompileValue(parts.Right);
  }
  return compiled;
}

std::shared_ptr<const TCompiledScript> CompileScript(const TScriptLines& lines) {
  auto script = std::make_shared<TCompiledScript>();
  script->Source = lines;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!lines[i].empty() && lines[i].front() == ':')
      script->Labels.emplace(UpperCase(lines[i]), static_cast<std::int64_t>(i));  // first wins
  for (int e = 0; e < kSpecialLabelCount; ++e)
    script->SpecialLabels[e] = script->FindLabel(SpecialLabelTable[e].Name, -1);
  script->Lines.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i)
    script->Lines.push_back(CompileLine(lines[i], static_cast<std::int64_t>(i), *script));
  script->IsFor(lines);  // equal by construction: remembers the list's version
  return script;
}

std::shared_ptr<const TCompiledScript> CompiledScriptFor(const TScriptLines& lines) {
  std::shared_ptr<const TCompiledScript>& last = LastCompiled();
  if (last && last->IsFor(lines)) return last;
  auto fresh = CompileScript(lines);
  last = fresh;
  return fresh;
}

std::string_view ValueOf(const TCompiledValue& value, std::string& scratch) {
  if (!value.IsVariable) return value.Text;
  const std::size_t at = VariableAt(value.Text, value.Slot, value.SlotGeneration);
  if (at == kNoSlot) return {};
  // Stored values are unescaped already; one written into the table by other means
  // still reads as ResolveValue would give it.
  if (!VariableTable.HasEscapeAt(at)) return VariableTable.TextAt(at);
  scratch = UnescapeText(VariableTable.TextAt(at));
  return scratch;
}

TOperand OperandOfSlowly(const TCompiledValue& value, std::string& scratch) {
  if (!value.IsVariable) return OperandOf(value, scratch);
  const std::size_t at = VariableAt(value.Text, value.Slot, value.SlotGeneration);
  if (at == kNoSlot) return {};
  // An integer's text holds no escape, so its stored length is what a read would give.
  if (const std::optional<std::int32_t> number = VariableTable.NumberAt(at))
    return {number, VariableTable.ValueSize(at), {}};
  const std::string_view text = ValueOf(value, scratch);
  return {std::nullopt, text.size(), text};
}

bool EvaluateCompiled(const TCompiledCondition& condition, std::string& leftScratch,
                      std::string& rightScratch) {
  std::int64_t unused = 0;
  return EvaluateCompiled(condition, leftScratch, rightScratch, unused);
}

bool EvaluateCompiled(const TCompiledCondition& condition, std::string& leftScratch,
                      std::string& rightScratch, std::int64_t& budget) {
  if (condition.AlwaysFalse) return false;
  const TOperand left = OperandOf(condition.Left, leftScratch);
  const TOperand right = OperandOf(condition.Right, rightScratch);
  budget -= static_cast<std::int64_t>(left.Bytes + right.Bytes);
  if (left.Number && right.Number)
    return OperatorHolds(condition.Operator, *left.Number < *right.Number ? -1 : (*left.Number > *right.Number ? 1 : 0));
  // One side is text: both compare as texts, a number's text made now.
  const std::string_view l = left.Number ? ValueOf(condition.Left, leftScratch) : left.Text;
  const std::string_view r = right.Number ? ValueOf(condition.Right, rightScratch) : right.Text;
  return CompareOperands(l, left.Number, r, right.Number, condition.Operator);
}

void WriteResult(const TCompiledParam& param, std::string_view value) {
  if (param.Target.empty()) return;
  if (HasEscape(value)) SetVariable(param.Target, value, false);
  else WritePlainResult(param, value);
}

std::string* StoredTextOf(const TCompiledParam& param, std::string_view read,
                          std::shared_ptr<const std::string>& was) {
  if (param.Target.empty()) return nullptr;
  const std::size_t at = VariableAt(param.Target, param.TargetSlot, param.TargetGeneration);
  if (at == kNoSlot) return nullptr;
  const std::string_view stored = VariableTable.TextAt(at);
  if (read.data() != stored.data() || read.size() != stored.size()) return nullptr;
  return &VariableTable.OwnTextAt(at, was);  // its number is forgotten
}

namespace {

// Where `read`, a value just read by ValueOf, lies as a variable's long text; kNoSlot
// when it is short, or no variable's text as it lies (an escape was taken out of it into
// a scratch copy). Short texts are copied: sharing one would cost an allocation to save
// a few bytes.
std::size_t LongTextSlot(const TCompiledValue& from, std::string_view read) {
  constexpr std::size_t kShareBytes = 256;
  // ValueOf has just found the variable, so its slot is current.
  if (read.size() < kShareBytes || !from.IsVariable || from.SlotGeneration != VariableTable.Generation())
    return kNoSlot;
  return VariableTable.TextAt(from.Slot).data() == read.data() ? from.Slot : kNoSlot;
}

}  // namespace

std::shared_ptr<const std::string> SharedTextOf(const TCompiledValue& from, std::string_view read) {
  const std::size_t source = LongTextSlot(from, read);
  if (source == kNoSlot) return nullptr;
  return VariableTable.SharedTextAt(source);
}

bool ShareResult(const TCompiledParam& param, const TCompiledValue& from, std::string_view read) {
  const std::size_t source = LongTextSlot(from, read);
  if (source == kNoSlot || param.Target.empty()) return false;
  std::size_t at = VariableAt(param.Target, param.TargetSlot, param.TargetGeneration);
  if (at == kNoSlot) {
    AppendResult(param, {});
    at = param.TargetSlot;
  }
  VariableTable.ShareText(at, source);
  return true;
}

void WriteNumberResult(const TCompiledParam& param, std::int32_t number) {
  if (param.Target.empty()) return;
  const std::size_t at = VariableAt(param.Target, param.TargetSlot, param.TargetGeneration);
  if (at != kNoSlot) VariableTable.AssignNumber(at, number);
  else AppendResult(param, NumberText(number).View());
}

}  // namespace kw
