#include "check/flow.h"

#include <algorithm>

#include "script/KwartlinConst.h"
#include "script/loader.h"
#include "script/text.h"
#include "support/casing.h"

namespace kwcheck {
namespace {

bool IsLabel(const TSource& s, std::size_t i) { return s.Lines[i].Text[0] == ':'; }

int CodeAt(const TSource& s, std::size_t i) {
  const kw::TCompiledLine& l = s.Compiled->Lines[i];
  return l.Kind == kw::TLineKind::Command ? l.Code : -1;
}

// What a walk from one start meets, following every branch.
struct TWalk {
  bool ReachesRet = false;
  int ExitLine = 0;         // file line of the first EXIT reached; 0: none
  bool ReachesEnd = false;
  std::size_t FallsInto = std::string::npos;  // watched label run on into
  std::size_t FallsFrom = 0;                  // the line it runs on from
  std::vector<std::size_t> LoneRets;          // RET lines reached without an open CALL
};

// Walks from line start. inCall: the walk is a CALLed section, so a RET returns. A
// watched label is one a run must not reach by running on (from the line above, or an
// IF skipping onto it); a jump onto one is meant and is not followed.
TWalk Walk(const TSource& s, std::size_t start, bool inCall, const std::set<std::size_t>& watched) {
  const std::size_t n = s.Lines.size();
  TWalk walk;
  std::vector<bool> seen(n, false);
  std::vector<std::size_t> todo;
  auto reach = [&](std::size_t to, std::size_t from, bool runningOn) {
    if (to >= n) {
      walk.ReachesEnd = true;
      return;
    }
    if (watched.count(to) != 0) {
      const bool afterLoneRet = std::find(walk.LoneRets.begin(), walk.LoneRets.end(), from) != walk.LoneRets.end();
      if (runningOn && !afterLoneRet && (walk.FallsInto == std::string::npos || to < walk.FallsInto)) {
        walk.FallsInto = to;
        walk.FallsFrom = from;
      }
      return;
    }
    if (!seen[to]) {
      seen[to] = true;
      todo.push_back(to);
    }
  };
  if (start < n) {
    seen[start] = true;
    todo.push_back(start);
  } else {
    walk.ReachesEnd = true;
  }
  while (!todo.empty()) {
    const std::size_t i = todo.back();
    todo.pop_back();
    const kw::TCompiledLine& line = s.Compiled->Lines[i];
    switch (CodeAt(s, i)) {
      case kw::cmdExit: {
        const int fileLine = s.Lines[i].FileLine;
        if (walk.ExitLine == 0 || fileLine < walk.ExitLine) walk.ExitLine = fileLine;
        break;
      }
      case kw::cmdRet:
        if (inCall) {
          walk.ReachesRet = true;
        } else {
          walk.LoneRets.push_back(i);
          reach(i + 1, i, true);
        }
        break;
      case kw::cmdGoto: {
        const auto target = static_cast<std::size_t>(line.Target);
        reach(target, i, target == i + 1 && !IsLabel(s, std::min(target, s.Lines.size() - 1)));
        break;
      }
      case kw::cmdIf:
        reach(i + 1, i, true);
        reach(i + 2, i, true);
        break;
      default:
        // A CALL is taken to come back; its section is walked on its own.
        reach(i + 1, i, true);
        break;
    }
  }
  return walk;
}

// Where a run of the entry starts, as the interpreter finds it; npos when none starts.
std::size_t EntryStart(const TSource& s, int entry) {
  const std::int64_t label = s.Compiled->SpecialLabels[entry];
  if (entry == kw::entryStart) return label < 0 ? 0 : static_cast<std::size_t>(label);
  return label < 0 ? std::string::npos : static_cast<std::size_t>(label + 1);
}

std::string LabelName(const TSource& s, std::size_t i) { return Utf8(s.Lines[i].Text.substr(1)); }

void CheckRuns(const TSource& s, TReport& report) {
  std::map<std::size_t, int> called;  // CALLed label line: file line of its first CALL
  for (std::size_t i = 0; i < s.Lines.size(); ++i)
    if (CodeAt(s, i) == kw::cmdCall) {
      const auto target = static_cast<std::size_t>(s.Compiled->Lines[i].Target);
      if (target < s.Lines.size() && IsLabel(s, target)) called.emplace(target, s.Lines[i].FileLine);
    }
  std::set<std::size_t> sections;
  for (int e = 0; e < kw::kSpecialLabelCount; ++e)
    if (s.Compiled->SpecialLabels[e] >= 0) sections.insert(static_cast<std::size_t>(s.Compiled->SpecialLabels[e]));
  std::set<std::size_t> sectionsAndCalled = sections;
  for (const auto& [target, callLine] : called) sectionsAndCalled.insert(target);
  std::set<std::size_t> reportedRets;
  // The start run last: without its label it runs from the top through every section,
  // and a finding is better told of the section's own run.
  for (const int e : {kw::entryInit, kw::entryMenuShow, kw::entryMenuClick, kw::entryStart}) {
    const std::size_t start = EntryStart(s, e);
    if (start == std::string::npos) continue;
    const bool fromTop = e == kw::entryStart && s.Compiled->SpecialLabels[e] < 0;
    std::set<std::size_t> watched = sectionsAndCalled;
    if (e == kw::entryStart) watched.erase(start);
    else watched.erase(start - 1);
    const TWalk walk = Walk(s, start, false, fromTop ? std::set<std::size_t>{} : watched);
    const std::string own(kw::SpecialLabelTable[e].Name);
    for (const std::size_t ret : walk.LoneRets) {
      // A RET before the end, or before an EXIT, ends nothing that matters.
      if (ret + 1 >= s.Lines.size() || CodeAt(s, ret + 1) == kw::cmdExit || !reportedRets.insert(ret).second) continue;
      TFinding& f = report.Add(s.Lines[ret], 107,
                               "a " + own + " run reaches this RET with no CALL open, so RET does nothing and the run "
                               "goes on with line " + std::to_string(s.Lines[ret + 1].FileLine) +
                               "; to end the run here, write EXIT");
      TReport::Fix(f, "EXIT", "end the run with EXIT");
    }
    if (walk.FallsInto == std::string::npos) continue;
    const TSourceLine& into = s.Lines[walk.FallsInto];
    std::string message = "the " + own + " run goes on from here into " + Quoted(into.Text) + " (line " +
                          std::to_string(into.FileLine) + "): no EXIT or GOTO ends it, so ";
    if (sections.count(walk.FallsInto) != 0)
      message += "the lines of " + LabelName(s, walk.FallsInto) + " run in every " + own + " run as well";
    else
      message += "that CALLed section runs once more and its RET finds no CALL to return to";
    report.Add(s.Lines[walk.FallsFrom], 105, message + "; end " + own + " with EXIT");
  }
  for (const auto& [target, callLine] : called) {
    const TWalk walk = Walk(s, target + 1, true, {});
    if (walk.ReachesRet) continue;
    std::string how;
    if (walk.ExitLine != 0) how = "its EXIT at line " + std::to_string(walk.ExitLine) + " ends the whole run";
    if (walk.ReachesEnd) how += std::string(how.empty() ? "" : ", and ") + "it runs past the last line";
    if (how.empty()) how = "it loops without end";
    report.Add(s.Lines[target], 106,
               "the section " + Quoted(s.Lines[target].Text) + ", CALLed at line " + std::to_string(callLine) +
                   ", never reaches RET: " + how + ", so the lines after the CALL never run");
  }
}

// STRCON onto its own variable, which no other line sets: the text grows with every
// run, since variables live on between runs.
void CheckGrowth(const TSource& s, const TDataFlow& data, TReport& report) {
  std::set<std::string> reported;
  for (std::size_t i = 0; i < s.Lines.size(); ++i) {
    if (CodeAt(s, i) != kw::cmdStrCon) continue;
    const kw::TCompiledLine& l = s.Compiled->Lines[i];
    const std::string& target = l.Params[0].Target;
    bool appends = false;
    for (std::size_t n = 1; n < l.Params.size(); ++n)
      appends = appends || (l.Params[n].Value.IsVariable && l.Params[n].Value.Text == target);
    if (!appends || target.rfind("$_", 0) == 0) continue;
    const std::set<int>& writers = data.Writers.at(target);
    const bool reset = writers.size() > 1 || writers.count(kw::cmdStrCon) == 0;
    if (reset || data.Saved.count(target) != 0 || !reported.insert(target).second) continue;
    report.Add(s.Lines[i], 311,
               "STRCON adds to " + Quoted(target) + ", which no line ever sets: variables live on from run to run, "
               "so it grows with every run; set it first (MOV " + Utf8(target) + ", '') where it should start empty");
  }
}

// A variable MOV writes that nothing reads: not the program's, not kept by SAVE.
void CheckUnread(const TSource& s, const TDataFlow& data, TReport& report) {
  std::set<std::string> reported;
  for (std::size_t i = 0; i < s.Lines.size(); ++i) {
    if (CodeAt(s, i) != kw::cmdMov) continue;
    const std::string& target = s.Compiled->Lines[i].Params[0].Target;
    if (target.rfind("$_", 0) == 0 || data.IsRead(target) || data.Saved.count(target) != 0) continue;
    if (!reported.insert(target).second) continue;
    report.Add(s.Lines[i], 212, Quoted(target) + " is written here, but no line reads it");
  }
}

}  // namespace

bool TDataFlow::WrittenElsewhere(const std::string& upper, int fileLine) const {
  if (Saved.count(upper) != 0) return true;
  const auto it = Writes.find(upper);
  if (it == Writes.end()) return false;
  return std::any_of(it->second.begin(), it->second.end(), [&](int l) { return l != fileLine; });
}


TDataFlow ReadDataFlow(const TSource& s) {
  TDataFlow data;
  auto read = [&](const kw::TCompiledValue& v) {
    if (v.IsVariable) data.Reads.insert(v.Text);
  };
  for (std::size_t i = 0; i < s.Lines.size(); ++i) {
    const kw::TCompiledLine& l = s.Compiled->Lines[i];
    const std::string_view text = s.Lines[i].Text;
    const int code = kw::FindCommandIndex(text);
    if (code == kw::cmdGoto || code == kw::cmdCall) {
      std::size_t cut = text.find_first_of(" \t");
      data.JumpTargets.insert(kw::LabelKey(cut == std::string_view::npos ? std::string_view() : kw::TrimBlanksView(text.substr(cut))));
    }
    if (l.Kind != kw::TLineKind::Command) continue;
    const kw::TParamSignature& signature = kw::kSignatures[static_cast<std::size_t>(l.Code)];
    if (l.Condition) {
      read(l.Condition->Left);
      read(l.Condition->Right);
    }
    if (l.RestValue) read(*l.RestValue);
    for (std::size_t n = 0; n < l.Params.size(); ++n) {
      if (signature.Reads(n)) read(l.Params[n].Value);
      if (signature.Writes(n)) {
        data.Writes[l.Params[n].Target].push_back(s.Lines[i].FileLine);
        data.Writers[l.Params[n].Target].insert(l.Code);
      }
    }
    if (l.Code == kw::cmdSave && !l.Params.empty()) data.Saved.insert(l.Params[0].Target);
  }
  return data;
}

void CheckFlow(const TSource& source, const TDataFlow& data, TReport& report) {
  if (source.Lines.empty()) return;
  CheckRuns(source, report);
  CheckGrowth(source, data, report);
  CheckUnread(source, data, report);
}

}  // namespace kwcheck
