// A trace sink for engine tests: every event as one short line of text, so a test can
// compare a run's whole trace with a list. Installed while it lives.
#pragma once

#include <string>
#include <vector>

#include "script/KwartlinConst.h"
#include "script/trace.h"

namespace kwtest {

class RecordingTraceSink final : public kw::ITraceSink {
 public:
  RecordingTraceSink() : before_(kw::InstallTraceSink(this)) {}
  ~RecordingTraceSink() override { kw::InstallTraceSink(before_); }

  std::vector<std::string> Events;
  bool Lines = true;           // what WantsLines answers
  long LinesBeforeStop = -1;   // Line answers false after this many lines; -1: never

  bool WantsLines() override { return Lines; }
  void RunStarted(const kw::TScriptLines&, int entryCode, int depth) override {
    Events.push_back("run " + std::to_string(entryCode) + " depth " + std::to_string(depth));
  }
  bool Line(std::int64_t index, std::string_view text) override {
    if (LinesBeforeStop == 0) return false;
    if (LinesBeforeStop > 0) --LinesBeforeStop;
    Events.push_back(std::to_string(index) + ": " + std::string(text));
    return true;
  }
  void Condition(const kw::TTraceCondition& c) override {
    std::string e = "if ";
    if (c.Complete)
      e += Quote(c.Left) + " " + std::string(c.Operator) + " " + Quote(c.Right) + (c.Numbers ? " numbers " : " texts ");
    else
      e += "incomplete ";
    e += c.Holds ? "true" : "false, skips " + std::to_string(c.Skipped);
    Events.push_back(e);
  }
  void Jump(const kw::TTraceJump& j) override {
    const char* kind = j.Kind == kw::TJumpKind::Goto ? "goto " : j.Kind == kw::TJumpKind::Call ? "call " : "ret";
    std::string e = kind;
    if (j.Kind != kw::TJumpKind::Ret) e += std::string(j.Label);
    e += (j.Found ? " -> " : " missing -> ") + std::to_string(j.To);
    Events.push_back(e);
  }
  void Write(const kw::TTraceWrite& w) override {
    Events.push_back("write " + std::string(w.Name) + " " + (w.Old ? Quote(*w.Old) : "unset") + " -> " +
                     (w.New ? Quote(*w.New) : "unset"));
  }
  void SaveFlag(const kw::TTraceSaveFlag& f) override {
    Events.push_back("save " + std::string(f.Name) + (f.Existed ? " " : " new ") + (f.Old ? "on" : "off") +
                     " -> " + (f.New ? "on" : "off"));
  }
  void HostCall(const kw::TTraceHostCall& call) override {
    std::string e = "host " + std::string(call.Name) + "(";
    for (std::size_t i = 0; i < call.Args.size(); ++i) {
      if (i > 0) e += ", ";
      e += call.Args[i];
    }
    e += ")";
    if (!call.Answer.empty()) {
      e += " ->";
      for (const std::string& a : call.Answer) e += " " + a;
    }
    Events.push_back(e);
  }
  void RunEnded(const kw::TTraceEnd& end, int entryCode, int depth) override {
    std::string e = "end " + std::string(kw::RunEndName(end.How)) + (end.Before ? " before " : " at ") +
                    std::to_string(end.Index) +
                    " lines " + std::to_string(end.Lines);
    if (end.Bound != 0) e += " bound " + std::to_string(end.Bound);
    if (end.Refused != 0) e += " refused " + std::to_string(end.Refused);
    Events.push_back(e + " (run " + std::to_string(entryCode) + " depth " + std::to_string(depth) + ")");
  }

 private:
  static std::string Quote(std::string_view text) { return "'" + std::string(text) + "'"; }
  kw::ITraceSink* before_;
};

}  // namespace kwtest
