// The traced run's watcher and the port's recorder. A line's result variables are
// known by its command: the parameters its signature writes (command_list.h) are read
// before the line and after it, so a write shows its old and new value even when they
// are equal, and a write that a bound refused shows nothing. A line that a nested run
// changes meanwhile (through a host call) shows only its own results: the nested run
// tells its writes itself.
#include "script/trace.h"

#include <cstdio>

#include "script/KwartlinConst.h"
#include "script/compiled.h"
#include "script/text.h"
#include "script/trace_run.h"
#include "script/variables.h"
#include "support/ProcFunc.h"

namespace kw {
namespace {

TRecordingScriptHost* activeRecorder = nullptr;  // the port's recorder while one is in place

const TZmienna* Find(const std::string& upperName) {
  const long at = VariableTable.Find(upperName);
  return at < 0 ? nullptr : &VariableTable[static_cast<std::size_t>(at)];
}

// GOTO's and CALL's label, as the line writes it: the rest after the keyword.
std::string_view LabelOf(std::string_view text) {
  text = TrimBlanksView(text);
  std::size_t cut = FindBlank(text);
  if (cut == 0) return {};
  return TrimBlanksView(text.substr(cut));
}

std::string Number(std::int64_t n) { return std::to_string(n); }

}  // namespace

namespace detail {
ITraceSink* installedTraceSink = nullptr;
}

ITraceSink* InstallTraceSink(ITraceSink* sink) {
  ITraceSink* const before = detail::installedTraceSink;
  detail::installedTraceSink = sink;
  return before;
}

// --- the line watcher ---

void TLineTracer::Remember(const std::string& name) {
  if (name.empty()) return;
  for (const Before_& r : results_)
    if (r.Name == name) return;
  Before_ r;
  r.Name = name;
  if (const TZmienna* v = Find(name)) {
    r.Existed = true;
    r.Value = v->Value;
    r.Save = v->Save;
  }
  results_.push_back(std::move(r));
}

bool TLineTracer::Before(const TRunState& run, const TCompiledLine& line) {
  const auto index = static_cast<std::size_t>(run.Index);
  if (!sink_.Line(run.Index, run.Script->Source[index])) return false;
  results_.clear();
  if (line.Kind != TLineKind::Command) return true;
  switch (line.Code) {
    case cmdIf: {
      const TCompiledCondition& c = *line.Condition;
      if (c.AlwaysFalse) break;
      std::string scratch;
      left_ = std::string(ValueOf(c.Left, scratch));
      right_ = std::string(ValueOf(c.Right, scratch));
      numbers_ = (c.Left.IsVariable ? ParseInt(left_) : c.Left.Number).has_value() &&
                 (c.Right.IsVariable ? ParseInt(right_) : c.Right.Number).has_value();
      break;
    }
    case cmdRet:
      returns_ = run.Returns.size();
      break;
    case cmdSave:
      if (!line.Params.empty()) Remember(line.Params[0].Target);
      break;
    default: {
      const TParamSignature& signature = kSignatures[static_cast<std::size_t>(line.Code)];
      for (std::size_t n = 0; n < line.Params.size(); ++n)
        if (signature.Writes(n)) Remember(line.Params[n].Target);
      break;
    }
  }
  return true;
}

void TLineTracer::After(const TRunState& run, const TCompiledLine& line) {
  if (line.Kind != TLineKind::Command) return;
  const std::string_view text = run.Script->Source[static_cast<std::size_t>(run.Index)];
  switch (line.Code) {
    case cmdIf: {
      const TCompiledCondition& c = *line.Condition;
      TTraceCondition told;
      told.Complete = !c.AlwaysFalse && c.Operator >= 0;
      if (!c.AlwaysFalse) {
        told.Left = left_;
        told.Right = right_;
        told.Numbers = numbers_;
      }
      if (c.Operator >= 0 && c.Operator < kOperatorCount) told.Operator = OperatorTable[c.Operator];
      told.Holds = run.Next == run.Index + 1;
      told.Skipped = told.Holds ? -1 : run.Index + 1;
      sink_.Condition(told);
      return;
    }
    case cmdGoto:
    case cmdCall: {
      if (run.Ended) return;  // a CALL past the depth bound: the end tells it
      const std::string_view label = LabelOf(text);
      sink_.Jump({line.Code == cmdGoto ? TJumpKind::Goto : TJumpKind::Call, label,
                  run.Script->FindLabel(label, -1) >= 0, run.Next});
      return;
    }
    case cmdRet:
      sink_.Jump({TJumpKind::Ret, {}, returns_ > 0, run.Next});
      return;
    default:
      break;
  }
  for (const Before_& r : results_) {
    const TZmienna* now = Find(r.Name);
    if (line.Code == cmdSave) {
      if (now != nullptr) sink_.SaveFlag({r.Name, r.Existed, r.Save, now->Save});
      continue;
    }
    const bool changed = (now != nullptr) != r.Existed || (now != nullptr && now->Value != r.Value);
    // A refused write leaves the value: an unchanged result of a line that ended the run
    // was not written.
    if (!changed && run.Ended) continue;
    TTraceWrite write;
    write.Name = r.Name;
    if (r.Existed) write.Old = r.Value;
    if (now != nullptr) write.New = now->Value;
    sink_.Write(write);
  }
}

// --- the port's recorder ---

void TRecordingScriptHost::Tell(std::string_view name, std::vector<std::string> args,
                                std::vector<std::string> answer) {
  TTraceHostCall call;
  call.Name = name;
  call.Args = std::move(args);
  call.Answer = std::move(answer);
  sink_.HostCall(call);
}

void TRecordingScriptHost::SendProtocolMessage(const std::string& recipient, const std::string& text) {
  Tell("SendProtocolMessage", {recipient, text});
  inner_.SendProtocolMessage(recipient, text);
}

void TRecordingScriptHost::ChangeUserState(const std::string& proto, std::int32_t status,
                                           const std::string& description) {
  Tell("ChangeUserState", {proto, Number(status), description});
  inner_.ChangeUserState(proto, status, description);
}

TUserState TRecordingScriptHost::GetUserState(const std::string& proto) {
  TUserState state = inner_.GetUserState(proto);
  Tell("GetUserState", {proto}, {Number(state.Status), state.Description});
  return state;
}

TKontaktInfo TRecordingScriptHost::GetContactInfo(const std::string& id) {
  TKontaktInfo info = inner_.GetContactInfo(id);
  Tell("GetContactInfo", {id}, {info.Name, info.Group, info.Description, Number(info.Flags)});
  return info;
}

void TRecordingScriptHost::AddOrRenameMenuEntry(std::string_view name, std::string_view caption) {
  Tell("AddOrRenameMenuEntry", {std::string(name), std::string(caption)});
  inner_.AddOrRenameMenuEntry(name, caption);
}

int TRecordingScriptHost::FindMenuEntryByName(std::string_view name) {
  const int index = inner_.FindMenuEntryByName(name);
  Tell("FindMenuEntryByName", {std::string(name)}, {Number(index)});
  return index;
}

void TRecordingScriptHost::DeleteMenuEntry(int index) {
  Tell("DeleteMenuEntry", {Number(index)});
  inner_.DeleteMenuEntry(index);
}

void TRecordingScriptHost::SetMenuEntryVisible(int index, bool visible) {
  Tell("SetMenuEntryVisible", {Number(index), visible ? "1" : "0"});
  inner_.SetMenuEntryVisible(index, visible);
}

void TRecordingScriptHost::SaveConfig() {
  Tell("SaveConfig", {});
  inner_.SaveConfig();
}

LocalDateTime TRecordingScriptHost::Now() {
  const LocalDateTime now = inner_.Now();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  Tell("Now", {}, {text});
  return now;
}

TTracedHostScope::TTracedHostScope(ITraceSink& sink) {
  if (activeRecorder != nullptr && &ScriptHost() == activeRecorder) return;
  recorder_.emplace(ScriptHost(), sink);
  activeRecorder = &*recorder_;
  before_ = InstallScriptHost(activeRecorder);
}

TTracedHostScope::~TTracedHostScope() {
  if (!recorder_) return;
  IScriptHost* const current = InstallScriptHost(before_);
  if (current != activeRecorder) InstallScriptHost(current);  // installed meanwhile: it stays
  activeRecorder = nullptr;
}

}  // namespace kw
