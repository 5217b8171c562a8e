// The checks of a script, on the engine's own reading of each line: the keyword as the
// compiler looks it up, the parameters as SplitParameters cuts them, a condition as
// ScanCondition scans it, values as CompileValue resolves them, result targets as the
// compiler names them and labels as it resolves them. This file walks the lines and
// hands each part to the stage that judges it (stages.h).
#include <algorithm>

#include "check/checker.h"
#include "check/stages.h"
#include "script/KwartlinConst.h"
#include "script/compiled.h"
#include "script/loader.h"
#include "script/text.h"
#include "support/ProcFunc.h"
#include "support/casing.h"

namespace kwcheck {

bool IsQuoted(std::string_view p) { return !p.empty() && p.front() == '\'' && p.back() == '\''; }
bool IsNumber(std::string_view p) { return kw::ParseInt(p).has_value(); }

bool IsProgramVariable(std::string_view upper) {
  return std::find(std::begin(kw::ProgramVariableNames), std::end(kw::ProgramVariableNames), upper) !=
         std::end(kw::ProgramVariableNames);
}

// Built piece by piece: GCC 12 warns wrongly (-Wrestrict) on "literal" + std::string&&.
std::string InQuotes(std::string_view text) {
  std::string quoted(1, '\'');
  quoted.append(text);
  quoted += '\'';
  return quoted;
}

bool IsPlainText(std::string_view p) {
  if (p.empty() || IsNumber(p)) return false;
  return std::string_view("'$#bB\"").find(p[0]) == std::string_view::npos;
}

bool IsNumberRole(kw::TParamRole role) {
  using enum kw::TParamRole;
  return role == Number || role == Position || role == Index || role == Count || role == Status;
}

bool IsTextRole(kw::TParamRole role) {
  using enum kw::TParamRole;
  return role == Text || role == Message || role == Contact || role == MenuEntry || role == Caption ||
         role == Separator;
}

TScriptCheck::TScriptCheck(const TSource& source) : Src(source), Report(source), Data(ReadDataFlow(source)) {
  for (const kw::TEtykietaSpec& s : kw::SpecialLabelTable) SpecialLabels.push_back(kw::UpperCase(s.Name));
  for (const TSourceLine& l : Src.Lines) {
    if (l.Text[0] != ':') continue;
    LabelNames.push_back(std::string_view(l.Text).substr(1));
    // Built piece by piece: GCC 12 warns wrongly (-Wrestrict) on "literal" + std::string&&.
    std::string trimmed(1, ':');
    trimmed += kw::UpperCase(kw::TrimBlanks(std::string_view(l.Text).substr(1)));
    if (trimmed != kw::UpperCase(l.Text)) BlankLabels.emplace(trimmed, l.FileLine);
  }
  ReadDeclarations();
  for (std::size_t i = 0; i < Src.Lines.size(); ++i) {
    const kw::TCompiledLine& l = Src.Compiled->Lines[i];
    if (l.Kind != kw::TLineKind::Command || l.Code != kw::cmdMenuAdd) continue;
    if (l.Params[0].Value.IsVariable || l.Params[1].Value.IsVariable) continue;
    const std::string& id = l.Params[0].Value.Text;
    MenuIds.insert(id);
    MenuByUpperId.emplace(kw::UpperCase(id), id);
    MenuByCaption.emplace(l.Params[1].Value.Text, id);
  }
}

// "// kwcheck: set $name, $other": variables that something outside the script sets
// (another plugin, through the service), declared once for the whole file as luacheck
// declares globals. They are read without being written, and that is no mistake.
void TScriptCheck::ReadDeclarations() {
  static constexpr std::string_view kMark = "kwcheck: set ";
  for (const std::string& raw : Src.FileLines) {
    const std::size_t comment = kw::CommentStart(raw);
    if (comment == std::string::npos) continue;
    const std::size_t mark = raw.find(kMark, comment);
    if (mark == std::string::npos) continue;
    for (const std::string& name : kw::SplitParameters(std::string_view(raw).substr(mark + kMark.size())))
      if (name.size() > 1 && name[0] == '$') Declared.insert(kw::UpperCase(kw::TrimBlanks(name)));
  }
}

namespace {

using kw::TParamForm;
using kw::TParamRole;

// What parameter n of the command holds. The host reads $_FILTR as a flag when a
// message run ends, so a value moved into it is one.
TParamRole ParamRole(const TCommandLine& l, std::size_t n) {
  if (l.Code == kw::cmdMov && n == 1 && kw::UpperCase(l.Params[0]) == "$_FILTR") return TParamRole::Flag;
  const kw::TParam* p = kw::kSignatures[static_cast<std::size_t>(l.Code)].At(n);
  return p == nullptr ? TParamRole::Text : p->Role;
}

void Parameters(TScriptCheck& c, TCommandLine& l) {
  l.Params = kw::SplitParameters(l.Rest);
  if (CheckParameterCount(c, l)) return;
  // Where each parameter stands in the line's text.
  std::size_t from = l.RestAt;
  for (const std::string& p : l.Params) {
    const std::size_t found = p.empty() ? from : l.Line->Text.find(p, from);
    l.At.push_back(found == std::string::npos ? l.RestAt : found);
    from = found == std::string::npos ? from : found + p.size();
  }
  if (CheckSwappedParameters(c, l)) return;
  const kw::TParamSignature& signature = kw::kSignatures[static_cast<std::size_t>(l.Code)];
  const std::size_t used = signature.LastRepeats ? l.Params.size() : signature.Count;
  for (std::size_t n = 0; n < used; ++n) {
    const kw::TParam& p = *signature.At(n);
    if (signature.Writes(n)) CheckResultName(c, *l.Line, l.Params[n], l.At[n], signature.Reads(n));
    else if (p.Access != kw::TParamAccess::Read) CheckResultName(c, *l.Line, l.Params[n], l.At[n], false);
    else if (p.Role != TParamRole::MenuEntry || !CheckMenuEntry(c, *l.Line, l.Params[n], l.At[n], false))
      CheckValue(c, *l.Line, l.Params[n], l.At[n], ParamRole(l, n), true);
  }
  CheckExtraParameters(c, l);
  CheckParameterMeaning(c, l);
}

void Command(TScriptCheck& c, std::size_t index) {
  TCommandLine l;
  l.Index = index;
  l.Line = &c.Src.Lines[index];
  const std::string_view text = l.Line->Text;
  std::size_t cut = kw::FindBlank(text);
  if (cut == 0) cut = text.size();
  const std::string keyword = kw::UpperCase(kw::TrimBlanksView(text.substr(0, cut)));
  l.Rest = kw::TrimBlanksView(text.substr(cut));
  l.RestAt = l.Rest.empty() ? text.size() : static_cast<std::size_t>(l.Rest.data() - text.data());
  l.Code = kw::FindKeyword(keyword);
  if (l.Code < 0) {
    CheckLineQuotes(c, *l.Line);
    CheckUnknownCommand(c, *l.Line, keyword);
    return;
  }
  switch (kw::kCommandList[l.Code].Form) {
    case TParamForm::List: Parameters(c, l); break;
    case TParamForm::Label:
      CheckLineQuotes(c, *l.Line);
      CheckJump(c, *l.Line, std::string(kw::kCommandList[l.Code].Word), l.Rest, l.RestAt);
      break;
    case TParamForm::Condition: {
      CheckGovernedLine(c, index);
      kw::TConditionParts parts;
      std::size_t leftAt = 0, rightAt = 0;
      if (CheckCondition(c, *l.Line, l.Rest, l.RestAt, parts, leftAt, rightAt)) {
        CheckMenuItemName(c, *l.Line, parts, leftAt, rightAt);
        CheckFlagsCompared(c, *l.Line, parts);
      }
      break;
    }
    case TParamForm::RestValue:
      if (!CheckMenuEntry(c, *l.Line, l.Rest, l.RestAt, true)) CheckMenuDel(c, l);
      break;
    case TParamForm::None:
      CheckLineQuotes(c, *l.Line);
      CheckIgnoredRest(c, l);
      break;
  }
}

}  // namespace

std::vector<TFinding> CheckScript(std::string_view bytes) {
  const TSource source = ReadScript(bytes);
  TScriptCheck c(source);
  ReportFileFindings(source, c.Report);
  for (const TSourceLine& line : source.Lines) CheckUrlCut(c, line);
  CheckLabelLines(c);
  for (std::size_t i = 0; i < source.Lines.size(); ++i) {
    if (source.Lines[i].Text[0] == ':') CheckLineQuotes(c, source.Lines[i]);
    else Command(c, i);
  }
  if (!source.Lines.empty()) {
    CheckRuns(c);
    CheckEntries(c);
    CheckGrowth(c);
    CheckUnread(c);
  }
  return c.Report.Take();
}

std::vector<TFinding> CheckFile(std::string_view name, std::string_view bytes, bool spam) {
  const std::string ending = name.size() >= 4 ? kw::UpperCase(name.substr(name.size() - 4)) : std::string();
  return spam || ending == ".SPM" ? CheckSpamList(bytes) : CheckScript(bytes);
}

}  // namespace kwcheck
