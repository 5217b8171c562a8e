// The interpreter's side of tracing (trace.h): what a traced run does around each line,
// and the recorder that the port is wrapped in while a traced run is under way. Only
// the interpreter uses these; a run without a sink never reaches them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "script/commands.h"
#include "script/script_host.h"
#include "script/trace.h"

namespace kw {

// Watches one traced run line by line. Before reads what the line is about to change
// (the values of its result variables, an IF's operands) and tells the line; After
// compares and tells what came of it. Both only read: the run's state, its budget and
// its variables are the same as in a run that is not traced.
class TLineTracer {
 public:
  explicit TLineTracer(ITraceSink& sink) : sink_(sink) {}

  // False when the sink wants no more lines: the line has not run, and the run goes on
  // untraced from it.
  bool Before(const TRunState& run, const TCompiledLine& line);
  void After(const TRunState& run, const TCompiledLine& line);

 private:
  struct Before_ {  // a result variable as the line found it
    std::string Name;
    bool Existed = false;
    std::string Value;
    bool Save = false;
  };
  void Remember(const std::string& name);

  ITraceSink& sink_;
  std::vector<Before_> results_;  // the current line's, reused from line to line
  std::size_t returns_ = 0;       // open CALLs before a RET
  std::string left_, right_;      // an IF's operands
  bool numbers_ = false;          // both are integers
};

// Tells every call through the port to the sink, then makes it on the host it wraps.
class TRecordingScriptHost final : public IScriptHost {
 public:
  TRecordingScriptHost(IScriptHost& inner, ITraceSink& sink) : inner_(inner), sink_(sink) {}

  void SendProtocolMessage(const std::string& recipient, const std::string& text) override;
  void ChangeUserState(const std::string& proto, std::int32_t status,
                       const std::string& description) override;
  TUserState GetUserState(const std::string& proto) override;
  TKontaktInfo GetContactInfo(const std::string& id) override;
  void AddOrRenameMenuEntry(std::string_view name, std::string_view caption) override;
  int FindMenuEntryByName(std::string_view name) override;
  void DeleteMenuEntry(int index) override;
  void SetMenuEntryVisible(int index, bool visible) override;
  void SaveConfig() override;
  LocalDateTime Now() override;

 private:
  void Tell(std::string_view name, std::vector<std::string> args, std::vector<std::string> answer = {});

  IScriptHost& inner_;
  ITraceSink& sink_;
};

// While it lives, the port is wrapped in a recorder. The outermost traced run makes one;
// the runs nested in it find the recorder in place and leave it. A host that a nested
// load installs meanwhile stays installed when the scope ends.
class TTracedHostScope {
 public:
  explicit TTracedHostScope(ITraceSink& sink);
  ~TTracedHostScope();
  TTracedHostScope(const TTracedHostScope&) = delete;
  TTracedHostScope& operator=(const TTracedHostScope&) = delete;

 private:
  std::optional<TRecordingScriptHost> recorder_;  // empty when an outer scope records
  IScriptHost* before_ = nullptr;                 // the host installed before
};

}  // namespace kw
