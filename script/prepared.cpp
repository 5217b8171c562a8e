// Preparing script lines once, and reading the prepared values while a run goes on.
// The preparation follows the run-time reading of a line exactly (trim, skip labels,
// cut the keyword at the first blank, look it up, split the rest), only earlier.
#include "script/prepared.h"

#include "script/KwartlinConst.h"
#include "script/commands.h"
#include "script/conditions.h"
#include "script/text.h"
#include "script/variables.h"
#include "support/ProcFunc.h"
#include "support/casing.h"

namespace kw {
namespace {

std::string LabelTarget(std::string_view name) {
  std::string target;
  target.reserve(name.size() + 1);
  target += ':';
  target += name;
  UpperCaseInPlace(target);
  return target;
}

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

TPreparedParam PrepareParam(std::string_view raw) {
  TPreparedParam p;
  p.Raw = std::string(raw);
  p.Value = PrepareValue(raw);
  p.Target = ResultTarget(raw);
  return p;
}

TPreparedLine PrepareLine(std::string_view raw, std::int64_t index,
                          const TPreparedScript& script) {
  TPreparedLine prepared;
  const std::string_view line = TrimBlanksView(raw);
  if (line.empty() || line.front() == ':') return prepared;
  std::size_t cut = FindBlank(line);
  if (cut == 0) cut = line.size();
  const std::string keyword = UpperCase(TrimBlanksView(line.substr(0, cut)));
  const std::string_view rest = TrimBlanksView(line.substr(cut));
  const int code = FindKeyword(keyword);
  if (code < 0) return prepared;

  const TInterpreterCommand& command = InterpreterCommands[code];
  switch (command.Form) {
    case TParamForm::None:
      break;
    case TParamForm::Label:
      // FindLabel's not-found index for GOTO and CALL is the next line.
      prepared.Target = script.FindLabel(rest, index + 1);
      break;
    case TParamForm::Condition:
      prepared.Condition = std::make_unique<TPreparedCondition>(PrepareCondition(rest));
      break;
    case TParamForm::RestValue:
      prepared.RestValue = std::make_unique<TPreparedValue>(PrepareValue(rest));
      break;
    case TParamForm::List: {
      const TListaStr params = SplitParameters(rest);
      if (params.size() < command.MinParams) return prepared;
      prepared.Params.reserve(params.size());
      for (const std::string& p : params) prepared.Params.push_back(PrepareParam(p));
      break;
    }
  }
  prepared.Kind = TLineKind::Command;
  prepared.Code = code;
  return prepared;
}

// The variable named by an upper-cased "$" name: first at the cached slot (a name check
// proves it), else by the table's index, and the slot remembered. Null when absent.
TZmienna* VariableAt(const std::string& upperName, std::size_t& slot) {
  if (slot < VariableTable.size()) {
    TZmienna& cached = VariableTable[slot];
    if (cached.Name == upperName) return &cached;
  }
  const long found = VariableTable.Find(upperName);
  if (found < 0) return nullptr;
  slot = static_cast<std::size_t>(found);
  return &VariableTable[slot];
}

std::shared_ptr<const TPreparedScript>& LastPrepared() {
  static std::shared_ptr<const TPreparedScript> last;
  return last;
}

}  // namespace

bool TPreparedScript::IsFor(const TScriptLines& lines) const {
  if (!lines.Lent() && lines.Version() == matchedVersion_) return true;
  if (!(lines == Source)) return false;
  matchedVersion_ = lines.Version();
  return true;
}

std::int64_t TPreparedScript::FindLabel(std::string_view name, std::int64_t notFound) const {
  const auto found = Labels.find(LabelTarget(name));
  return found == Labels.end() ? notFound : found->second;
}

TPreparedValue PrepareValue(std::string_view param) {
  TPreparedValue value;
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

TPreparedCondition PrepareCondition(std::string_view condition) {
  const TConditionParts parts = ScanCondition(condition);
  TPreparedCondition prepared;
  prepared.Operator = parts.Operator;
  prepared.AlwaysFalse = parts.Left.empty() || parts.Right.empty();
  if (!prepared.AlwaysFalse) {
    prepared.Left = PrepareValue(parts.Left);
    prepared.Right = PrepareValue(parts.Right);
  }
  return prepared;
}

std::shared_ptr<const TPreparedScript> PrepareScript(const TScriptLines& lines) {
  auto script = std::make_shared<TPreparedScript>();
  script->Source = lines;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!lines[i].empty() && lines[i].front() == ':')
      script->Labels.emplace(UpperCase(lines[i]), static_cast<std::int64_t>(i));  // first wins
  for (int e = 0; e < kSpecialLabelCount; ++e)
    script->SpecialLabels[e] = script->FindLabel(SpecialLabelTable[e].Name, -1);
  script->Lines.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i)
    script->Lines.push_back(PrepareLine(lines[i], static_cast<std::int64_t>(i), *script));
  script->IsFor(lines);  // equal by construction: remembers the list's version
  return script;
}

std::shared_ptr<const TPreparedScript> PreparedScriptFor(const TScriptLines& lines) {
  std::shared_ptr<const TPreparedScript>& last = LastPrepared();
  if (last && last->IsFor(lines)) return last;
  auto fresh = PrepareScript(lines);
  last = fresh;
  return fresh;
}

std::string_view ValueOf(const TPreparedValue& value, std::string& scratch) {
  if (!value.IsVariable) return value.Text;
  const TZmienna* variable = VariableAt(value.Text, value.Slot);
  if (variable == nullptr) return {};
  // Stored values are unescaped already; one written into the table by other means
  // still reads as ResolveValue would give it.
  if (!HasEscape(variable->Value)) return variable->Value;
  scratch = UnescapeText(variable->Value);
  return scratch;
}

bool EvaluatePrepared(const TPreparedCondition& condition, std::string& leftScratch,
                      std::string& rightScratch) {
  std::int64_t unused = 0;
  return EvaluatePrepared(condition, leftScratch, rightScratch, unused);
}

bool EvaluatePrepared(const TPreparedCondition& condition, std::string& leftScratch,
                      std::string& rightScratch, std::int64_t& budget) {
  if (condition.AlwaysFalse) return false;
  const TPreparedValue& l = condition.Left;
  const TPreparedValue& r = condition.Right;
  const std::string_view left = ValueOf(l, leftScratch);
  const std::string_view right = ValueOf(r, rightScratch);
  budget -= static_cast<std::int64_t>(left.size() + right.size());
  return CompareOperands(left, l.IsVariable ? ParseInt(left) : l.Number,
                         right, r.IsVariable ? ParseInt(right) : r.Number, condition.Operator);
}

void WriteResult(const TPreparedParam& param, std::string_view value) {
  if (param.Target.empty()) return;
  if (HasEscape(value)) SetVariable(param.Target, value, false);
  else WritePlainResult(param, value);
}

void WritePlainResult(const TPreparedParam& param, std::string_view value) {
  if (param.Target.empty()) return;
  if (TZmienna* variable = VariableAt(param.Target, param.TargetSlot)) {
    variable->Value.assign(value.data(), value.size());  // safe when value views this value
  } else {
    // New, as VariableAt has just found: created as SetVariable would, the value copied
    // before the table grows (it may view an entry that moves).
    param.TargetSlot = VariableTable.Append(TZmienna{param.Target, std::string(value), false});
  }
}

}  // namespace kw
