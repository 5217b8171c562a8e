// The flow stage (1xx): where runs go. A run enters at a special label as the host
// starts it (_start at its label, or at the top without one; the others after theirs,
// or not at all), GOTO and CALL go to the first line of their label (or on to the next
// line when there is none), an IF goes on to the next line or the one after it, EXIT
// and the end of the lines end the run, and RET returns to the line after the open CALL,
// but without one does nothing: the run goes on below it.
#include <algorithm>

#include "check/names.h"
#include "check/stages.h"
#include "script/KwartlinConst.h"
#include "script/loader.h"
#include "script/text.h"
#include "support/casing.h"

namespace kwcheck {

// The codes this stage raises.
constexpr int kFlowCodeList[] = {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114};
const std::span<const int> kFlowCodes = kFlowCodeList;

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

}  // namespace

void CheckRuns(TScriptCheck& c) {
  const TSource& s = c.Src;
  TReport& report = c.Report;
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
      TFinding& f = report.Add(s.Lines[ret], 107, TMessage::RetWithoutCall,
                               {{"entry", own}, {"next", std::to_string(s.Lines[ret + 1].FileLine)}});
      TReport::Fix(f, "EXIT", TMessage::FixEndWithExit);
    }
    if (walk.FallsInto == std::string::npos) continue;
    const TSourceLine& into = s.Lines[walk.FallsInto];
    report.Add(s.Lines[walk.FallsFrom], 105,
               sections.count(walk.FallsInto) != 0 ? TMessage::RunsOnIntoSection : TMessage::RunsOnIntoCalled,
               {{"entry", own}, {"label", Utf8(into.Text)}, {"labelLine", std::to_string(into.FileLine)},
                {"section", LabelName(s, walk.FallsInto)}});
  }
  for (const auto& [target, callLine] : called) {
    const TWalk walk = Walk(s, target + 1, true, {});
    if (walk.ReachesRet) continue;
    const TMessage how = walk.ExitLine != 0 ? (walk.ReachesEnd ? TMessage::CallWithoutRetExitOrEnd
                                                               : TMessage::CallWithoutRetExit)
                         : walk.ReachesEnd ? TMessage::CallWithoutRetEnd
                                           : TMessage::CallWithoutRetLoop;
    report.Add(s.Lines[target], 106, how,
               {{"label", Utf8(s.Lines[target].Text)}, {"callLine", std::to_string(callLine)},
                {"exitLine", std::to_string(walk.ExitLine)}});
  }
}


namespace {

// The lines a run of the entry can reach, through every branch and into every CALLed
// section (a RET returns to the line after its CALL, which the CALL reaches itself).
std::vector<bool> Reach(const TSource& s, std::size_t start) {
  const std::size_t n = s.Lines.size();
  std::vector<bool> seen(n, false);
  std::vector<std::size_t> todo;
  auto reach = [&](std::size_t to) {
    if (to < n && !seen[to]) {
      seen[to] = true;
      todo.push_back(to);
    }
  };
  reach(start);
  while (!todo.empty()) {
    const std::size_t i = todo.back();
    todo.pop_back();
    const int code = CodeAt(s, i);
    if (code == kw::cmdExit || code == kw::cmdRet) continue;
    if (code == kw::cmdGoto || code == kw::cmdCall) reach(static_cast<std::size_t>(s.Compiled->Lines[i].Target));
    if (code == kw::cmdIf) reach(i + 2);
    if (code != kw::cmdGoto) reach(i + 1);
  }
  return seen;
}

// Which program variables the program sets before a run of the entry, and which it
// reads after one.
bool SetFor(int entry, std::string_view upper) {
  if (upper == "$_ID") return entry != kw::entryInit;
  if (upper == "$_MENU_ITEM") return entry == kw::entryMenuClick;
  return entry == kw::entryStart;
}
bool ReadAfter(int entry, std::string_view upper) {
  return entry == kw::entryStart && (upper == "$_MESSAGE" || upper == "$_FILTR");
}

// A program variable read in runs the program sets it for none of, or written in runs
// after which it reads it in none. A script that writes the variable itself means it.
void CheckProgramVariableEntries(TScriptCheck& c) {
  const TSource& s = c.Src;
  std::vector<std::pair<int, std::vector<bool>>> reached;
  for (const int e : {kw::entryInit, kw::entryStart, kw::entryMenuShow, kw::entryMenuClick}) {
    const std::size_t start = EntryStart(s, e);
    if (start != std::string::npos) reached.emplace_back(e, Reach(s, start));
  }
  std::set<std::string> reported;
  auto judge = [&](std::size_t i, const std::string& upper, bool write) {
    if (!IsProgramVariable(upper) || reported.count(upper) != 0) return;
    if (!write && c.Data.Writes.count(upper) != 0) return;
    std::string entries;
    for (const auto& [e, seen] : reached) {
      if (!seen[i]) continue;
      if (write ? ReadAfter(e, upper) : SetFor(e, upper)) return;
      entries += std::string(entries.empty() ? "" : ", ") + std::string(kw::SpecialLabelTable[e].Name);
    }
    if (entries.empty()) return;
    reported.insert(upper);
    c.Report.Add(s.Lines[i], 113, write ? TMessage::ProgramVariableNotRead : TMessage::ProgramVariableNotSet,
                 {{"name", upper}, {"entries", entries}});
  };
  for (std::size_t i = 0; i < s.Lines.size(); ++i) {
    const kw::TCompiledLine& l = s.Compiled->Lines[i];
    if (l.Kind != kw::TLineKind::Command) continue;
    if (l.Condition) {
      if (l.Condition->Left.IsVariable) judge(i, l.Condition->Left.Text, false);
      if (l.Condition->Right.IsVariable) judge(i, l.Condition->Right.Text, false);
    }
    const kw::TParamSignature& signature = kw::kSignatures[static_cast<std::size_t>(l.Code)];
    for (std::size_t n = 0; n < l.Params.size(); ++n) {
      if (signature.Reads(n) && l.Params[n].Value.IsVariable) judge(i, l.Params[n].Value.Text, false);
      if (signature.Writes(n) && !signature.Reads(n)) judge(i, l.Params[n].Target, true);
    }
  }
}

}  // namespace

// A script with _init and no _start: each message runs it from the top, through _init.
// A first line that ends the run (EXIT) keeps messages out.
void CheckEntries(TScriptCheck& c) {
  const TSource& s = c.Src;
  const std::int64_t init = s.Compiled->SpecialLabels[kw::entryInit];
  if (init >= 0 && s.Compiled->SpecialLabels[kw::entryStart] < 0 && CodeAt(s, 0) != kw::cmdExit)
    c.Report.Add(s.Lines[static_cast<std::size_t>(init)], 112, TMessage::InitWithoutStart);
  CheckProgramVariableEntries(c);
  // GOTO onto a section that some line CALLs: its RET expects a CALL.
  std::set<std::size_t> called;
  for (std::size_t i = 0; i < s.Lines.size(); ++i)
    if (CodeAt(s, i) == kw::cmdCall) called.insert(static_cast<std::size_t>(s.Compiled->Lines[i].Target));
  for (std::size_t i = 0; i < s.Lines.size(); ++i) {
    if (CodeAt(s, i) != kw::cmdGoto) continue;
    const auto target = static_cast<std::size_t>(s.Compiled->Lines[i].Target);
    if (target >= s.Lines.size() || called.count(target) == 0 || !IsLabel(s, target)) continue;
    const TWalk walk = Walk(s, target + 1, true, {});
    if (walk.ReachesRet)
      c.Report.Add(s.Lines[i], 114, TMessage::GotoIntoCalled, {{"label", Utf8(s.Lines[target].Text)}});
  }
}

// Labels defined twice, and labels that look like a special one but are not: no run
// starts there. A label that GOTO or CALL names is an ordinary one, whatever it looks
// like, and a special label the script has already is not missed.
void CheckLabelLines(TScriptCheck& c) {
  std::map<std::string, int> first;
  const auto special = [&c](const std::string& upper) {
    return std::find(c.SpecialLabels.begin(), c.SpecialLabels.end(), upper) != c.SpecialLabels.end();
  };
  for (const TSourceLine& line : c.Src.Lines) {
    if (line.Text[0] != ':') continue;
    const auto [it, inserted] = first.emplace(kw::UpperCase(line.Text), line.FileLine);
    if (!inserted) {
      c.Report.Add(line, 102, TMessage::DuplicateLabel,
                   {{"label", Utf8(line.Text)}, {"first", std::to_string(it->second)}});
      continue;
    }
    const std::string name = kw::UpperCase(std::string_view(line.Text).substr(1));
    if (special(name)) continue;
    const std::string trimmed = kw::TrimBlanks(name);
    if (special(trimmed)) {
      c.Report.Add(line, 111, TMessage::SpecialLabelBlank, {{"label", Utf8(line.Text)}, {"special", Utf8(trimmed)}});
      continue;
    }
    if (c.Data.JumpTargets.count(":" + name) != 0) continue;
    std::vector<std::string_view> missing;
    for (int e = 0; e < kw::kSpecialLabelCount; ++e)
      if (c.Src.Compiled->SpecialLabels[e] < 0) missing.push_back(kw::SpecialLabelTable[e].Name);
    const std::string_view meant = ClosestName(name, missing);
    if (meant.empty()) continue;
    const std::string spelled = ":" + std::string(meant);
    TFinding& f = c.Report.Add(line, 111, TMessage::SpecialLabelSlip, {{"label", Utf8(line.Text)}, {"meant", spelled}});
    TReport::Fix(f, spelled, TMessage::FixRenameLabel, {{"meant", spelled}});
  }
}

void CheckJump(TScriptCheck& c, const TSourceLine& line, const std::string& command, std::string_view label,
               std::size_t at) {
  if (label.empty()) {
    c.Report.Add(line, 101, TMessage::JumpWithoutLabel, {{"command", command}});
    return;
  }
  if (c.Src.Compiled->FindLabel(label, -1) >= 0) return;
  if (label[0] == ':') {
    const std::string bare = kw::TrimBlanks(label.substr(1));
    TFinding& f = c.Report.Add(line, 110, TMessage::JumpWithColon,
                               {{"command", command}, {"label", Utf8(label)}, {"bare", Utf8(bare)}}, at, label.size());
    if (!bare.empty() && c.Src.Compiled->FindLabel(bare, -1) >= 0) TReport::Fix(f, bare, TMessage::FixDropColon);
    return;
  }
  TFields fields = {{"command", command}, {"label", Utf8(label)}};
  if (const auto blank = c.BlankLabels.find(":" + kw::UpperCase(label)); blank != c.BlankLabels.end()) {
    fields.push_back({"labelLine", std::to_string(blank->second)});
    c.Report.Add(line, 101, TMessage::MissingLabelBlank, std::move(fields), at, label.size());
    return;
  }
  // A label is looked for among all the others; a huge script's many slips share a
  // budget, so checking it stays linear.
  static constexpr std::size_t kLabelSearchBudget = 1'000'000;
  std::string_view meant;
  if (c.LabelSearches <= kLabelSearchBudget) {
    c.LabelSearches += c.LabelNames.size();
    meant = ClosestName(label, c.LabelNames);
  }
  if (meant.empty()) {
    c.Report.Add(line, 101, TMessage::MissingLabel, std::move(fields), at, label.size());
    return;
  }
  fields.push_back({"meant", Utf8(meant)});
  TFinding& f = c.Report.Add(line, 101, TMessage::MissingLabelSlip, std::move(fields), at, label.size());
  TReport::Fix(f, meant, TMessage::FixJumpTo, {{"meant", Utf8(meant)}});
}

// What the IF governs: the next kept line, and only it.
void CheckGovernedLine(TScriptCheck& c, std::size_t index) {
  const std::vector<TSourceLine>& lines = c.Src.Lines;
  const TSourceLine& line = lines[index];
  if (index + 1 >= lines.size()) {
    c.Report.Add(line, 103, TMessage::IfLastLine);
    return;
  }
  const TSourceLine& next = lines[index + 1];
  if (next.Text[0] == ':') {
    c.Report.Add(line, 104, TMessage::IfBeforeLabel,
                 {{"label", Utf8(next.Text)}, {"labelLine", std::to_string(next.FileLine)}});
    return;
  }
  if (kw::FindCommandIndex(next.Text) == kw::cmdIf) {
    c.Report.Add(next, 108, TMessage::IfGovernsIf, {{"ifLine", std::to_string(line.FileLine)}}, 0, 2);
    return;
  }
  // A body written as a block: the two lines below are indented under the IF.
  if (index + 2 < lines.size()) {
    const TSourceLine& after = lines[index + 2];
    const std::size_t indent = line.Offset;
    if (next.Offset > indent && after.Offset > indent && after.Text[0] != ':' && after.FileLine == next.FileLine + 1)
      c.Report.Add(after, 109, TMessage::IfGovernsOneLine, {{"ifLine", std::to_string(line.FileLine)}});
  }
}

}  // namespace kwcheck
