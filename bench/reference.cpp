// The reference engine (see reference.h). It follows the language's rules step by step
// and shares only the pure text helpers and the host services with the plugin; it
// keeps the plugin's two bounds (executed lines, CALL depth) so that both engines end
// the same scripts the same way.
#include "bench/reference.h"

#include <cstdint>
#include <iterator>
#include <limits>
#include <string>

#include "host/bridge.h"
#include "host/globals.h"
#include "host/menu.h"
#include "host/services.h"
#include "script/KwartlinConst.h"
#include "script/command_list.h"
#include "script/conditions.h"
#include "script/interpreter.h"
#include "script/spam.h"
#include "script/text.h"
#include "settings/settings.h"
#include "support/ProcFunc.h"
#include "support/casing.h"
#include "support/platform.h"

namespace kwref {

std::vector<kw::TZmienna> Variables;

namespace {

using kw::TListaStr;

// Index of the variable whose name (stored upper-cased) equals the upper-cased name.
long Find(std::string_view upperName) {
  for (std::size_t i = 0; i < Variables.size(); ++i)
    if (Variables[i].Name == upperName) return static_cast<long>(i);
  return -1;
}

std::string DollarName(std::string_view name) {
  std::string n;
  if (name.empty() || name.front() != '$') n += '$';
  n += name;
  return kw::UpperCase(n);
}

void SetSaveFlag(std::string_view name, bool flag) {
  if (name.empty()) return;
  const long i = Find(DollarName(name));
  if (i >= 0) {
    Variables[static_cast<std::size_t>(i)].Save = flag;
    return;
  }
  SetVariable(name, "", true);
}

std::int32_t Wrap(std::uint32_t v) { return static_cast<std::int32_t>(v); }
std::uint32_t Bits(std::int32_t v) { return static_cast<std::uint32_t>(v); }

struct RunState {
  explicit RunState(const kw::TScriptLines& lines) : Lines(lines) {}
  const kw::TScriptLines& Lines;       // read afresh at every step
  std::int64_t Index = 0;              // line to run next
  std::vector<std::int64_t> Returns;   // CALL's return stack
  bool Ended = false;                  // EXIT or a bound
};

std::string V(const TListaStr& p, std::size_t n) { return ResolveValue(p[n]); }
std::int32_t I(const TListaStr& p, std::size_t n, std::int32_t fallback) {
  return kw::ReadInt(ResolveValue(p[n]), fallback);
}
void Write(const TListaStr& p, std::size_t n, std::string_view value) { SetVariable(p[n], value, false); }
void WriteNumber(const TListaStr& p, std::size_t n, std::int32_t value) {
  SetVariable(p[n], kw::IntToText(value), false);
}

std::int32_t Arithmetic(int code, std::int32_t a, std::int32_t b) {
  switch (code) {
    case kw::cmdAdd: return Wrap(Bits(a) + Bits(b));
    case kw::cmdSubb: return Wrap(Bits(a) - Bits(b));
    case kw::cmdMul: return Wrap(Bits(a) * Bits(b));
    case kw::cmdDiv:
      if (b == 0) return 0;
      if (b == -1) return Wrap(0u - Bits(a));
      return a / b;
    case kw::cmdBitAnd: return Wrap(Bits(a) & Bits(b));
    case kw::cmdBitOr: return Wrap(Bits(a) | Bits(b));
    case kw::cmdBitXor: return Wrap(Bits(a) ^ Bits(b));
    case kw::cmdBitShr: return Wrap(Bits(a) >> (Bits(b) & 31u));
    case kw::cmdBitShl: return Wrap(Bits(a) << (Bits(b) & 31u));
    default: return a;
  }
}

// The commands Step carries out itself; every other command takes a parameter list.
constexpr kw::Command kNotListCommands[] = {kw::cmdGoto, kw::cmdIf,      kw::cmdExit,      kw::cmdCall,
                                            kw::cmdRet,  kw::cmdMenuDel, kw::cmdSaveConfig};

constexpr bool NotListCommandsMatchTheList() {
  int notList = 0;
  for (const kw::TCommandEntry& c : kw::kCommandList) notList += c.Form != kw::TParamForm::List;
  for (const kw::Command code : kNotListCommands)
    if (kw::kCommandList[code].Form == kw::TParamForm::List) return false;
  return notList == static_cast<int>(std::size(kNotListCommands));
}
static_assert(NotListCommandsMatchTheList(), "Step and the command list disagree on which commands take a list");

// Carries out one list-taking command.
void ListCommand(int code, const TListaStr& p) {
  if (p.size() < kw::kCommandList[code].MinParams) return;
  switch (code) {
    case kw::cmdMov: Write(p, 0, V(p, 1)); break;
    case kw::cmdSend: kw::SendProtocolMessage(V(p, 0), V(p, 1)); break;
    case kw::cmdSave: SetSaveFlag(p[0], kw::TextToBool(V(p, 1))); break;
    case kw::cmdAdd: case kw::cmdSubb: case kw::cmdMul: case kw::cmdDiv: case kw::cmdBitAnd:
    case kw::cmdBitOr: case kw::cmdBitXor: case kw::cmdBitShr: case kw::cmdBitShl: {
      const std::int32_t a = I(p, 0, 0);
      const std::int32_t b = I(p, 1, 0);
      WriteNumber(p, 0, Arithmetic(code, a, b));
      break;
    }
    case kw::cmdBitNot: WriteNumber(p, 0, Wrap(~Bits(I(p, 0, 0)))); break;
    case kw::cmdStrCon: {
      std::string joined;
      for (std::size_t n = 0; n < p.size(); ++n) joined += V(p, n);
      Write(p, 0, joined);
      break;
    }
    case kw::cmdStrLen: {
      const std::size_t length = V(p, 1).size();
      const auto most = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
      WriteNumber(p, 0, static_cast<std::int32_t>(length > most ? most : length));
      break;
    }
    case kw::cmdStrCopy: {
      const std::string text = V(p, 1);
      std::int64_t index = I(p, 2, 1);
      std::int64_t count = I(p, 3, 0);
      if (index < 1) index = 1;
      const auto length = static_cast<std::int64_t>(text.size());
      std::string result;
      if (index <= length && count > 0) {
        if (count > length - index + 1) count = length - index + 1;
        result = text.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
      }
      Write(p, 0, result);
      break;
    }
    case kw::cmdStrDel: {
      std::string text = V(p, 0);
      std::int64_t index = I(p, 1, 1);
      std::int64_t count = I(p, 2, 0);
      const auto length = static_cast<std::int64_t>(text.size());
      if (index >= 1 && index <= length && count > 0) {
        if (count > length - index + 1) count = length - index + 1;
        text.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
      }
      Write(p, 0, text);
      break;
    }
    case kw::cmdStrPos: {
      const std::string part = V(p, 1);
      const std::string text = V(p, 2);
      const std::size_t at = part.empty() ? std::string::npos : text.find(part);
      WriteNumber(p, 0, at == std::string::npos ? 0 : static_cast<std::int32_t>(at) + 1);
      break;
    }
    case kw::cmdStrExt: {
      const std::string text = V(p, 0);
      const std::string separator = V(p, 1);
      const std::int32_t n = I(p, 2, -1);
      std::string result;
      if (!separator.empty()) {
        const kw::TLista pieces = kw::SplitAtChar(text, separator.front());
        if (n >= 0 && static_cast<std::size_t>(n) < pieces.size()) result = pieces[static_cast<std::size_t>(n)];
      }
      Write(p, 3, result);
      break;
    }
    case kw::cmdStrTrim: {
      std::string text = V(p, 0);
      std::size_t a = 0, b = text.size();
      while (a < b && static_cast<unsigned char>(text[a]) <= 32) ++a;
      while (b > a && static_cast<unsigned char>(text[b - 1]) <= 32) --b;
      Write(p, 0, text.substr(a, b - a));
      break;
    }
    case kw::cmdStrUp: Write(p, 0, kw::UpperCase(V(p, 0))); break;
    case kw::cmdStrLow: {
      std::string text = V(p, 0);
      kw::LowerCaseInPlace(text);
      Write(p, 0, text);
      break;
    }
    case kw::cmdChkSpam: Write(p, 0, kw::BoolToText(IsSpam(V(p, 1)))); break;
    case kw::cmdSetSts: kw::ChangeUserState(V(p, 0), I(p, 1, 2), V(p, 2)); break;
    case kw::cmdReadSts: {
      const kw::TUserState state = kw::GetUserState(V(p, 0));
      WriteNumber(p, 1, state.Status);
      Write(p, 2, state.Description);
      break;
    }
    case kw::cmdGetDate: {
      const kw::LocalDateTime now = kw::GetLocalDateTime();
      WriteNumber(p, 0, now.year);
      WriteNumber(p, 1, now.month);
      WriteNumber(p, 2, now.day);
      break;
    }
    case kw::cmdGetTime: {
      const kw::LocalDateTime now = kw::GetLocalDateTime();
      WriteNumber(p, 0, now.hour);
      WriteNumber(p, 1, now.minute);
      WriteNumber(p, 2, now.second);
      break;
    }
    case kw::cmdChkInt: Write(p, 1, kw::BoolToText(kw::IsInteger(V(p, 0)))); break;
    case kw::cmdConInfo: {
      const kw::TKontaktInfo info = kw::GetContactInfo(V(p, 0));
      Write(p, 1, info.Name);
      Write(p, 2, info.Group);
      Write(p, 3, info.Description);
      WriteNumber(p, 4, info.Flags);
      break;
    }
    case kw::cmdMenuAdd: kw::AddOrRenameMenuEntry(V(p, 0), V(p, 1)); break;
    case kw::cmdMenuShow: {
      const std::string name = V(p, 0);
      const bool visible = kw::TextToBool(V(p, 1));
      const int i = kw::FindMenuEntryByName(name);
      if (i >= 0) kw::SetMenuEntryVisible(i, visible);
      break;
    }
    default: break;
  }
}

// One line; sets run.Index to the next line to run.
void Step(RunState& run) {
  const std::string line = kw::TrimBlanks(run.Lines[static_cast<std::size_t>(run.Index)]);
  if (line.empty() || line.front() == ':') {
    ++run.Index;
    return;
  }
  std::size_t cut = kw::FindBlank(line);
  if (cut == 0) cut = line.size();
  const std::string keyword = kw::TrimBlanks(kw::UpperCase(line.substr(0, cut)));
  const std::string rest = kw::TrimBlanks(line.substr(cut));
  int code = -1;
  for (int i = 0; i < kw::kCommandCount; ++i)
    if (kw::SameTextIgnoringCase(keyword, kw::CommandTable[i].Keyword)) {
      code = i;
      break;
    }
  std::int64_t next = run.Index + 1;
  switch (code) {
    case -1: break;
    case kw::cmdGoto: next = kwref::FindLabel(run.Lines, rest, static_cast<int>(run.Index + 1)); break;
    case kw::cmdIf:
      if (!EvaluateCondition(rest)) next = run.Index + 2;
      break;
    case kw::cmdExit: run.Ended = true; break;
    case kw::cmdCall:
      if (run.Returns.size() >= kw::kMaxReturnDepth) {
        run.Ended = true;
        break;
      }
      run.Returns.push_back(run.Index + 1);
      next = kwref::FindLabel(run.Lines, rest, static_cast<int>(run.Index + 1));
      break;
    case kw::cmdRet:
      if (!run.Returns.empty()) {
        next = run.Returns.back();
        run.Returns.pop_back();
      }
      break;
    case kw::cmdMenuDel: {
      const int i = kw::FindMenuEntryByName(ResolveValue(rest));
      if (i >= 0) kw::DeleteMenuEntry(i);
      break;
    }
    case kw::cmdSaveConfig: kw::SaveSettings(kw::SettingsPath, kw::VariableTable, kw::OptionsFormRect); break;
    default: ListCommand(code, kw::SplitParameters(rest)); break;
  }
  run.Index = next;
}

std::string handedText;  // the text MessageHook hands back, alive until the next call

}  // namespace

std::string ResolveValue(std::string_view p) {
  if (p.empty()) return {};
  if (p.front() == '\'' && p.back() == '\'') {
    if (p.size() < 2) return {};
    return kw::UnescapeText(p.substr(1, p.size() - 2));
  }
  const std::string upper = kw::UpperCase(p);
  switch (upper.front()) {
    case '#':
      for (const kw::TStala& c : kw::ConstantTable)
        if (upper.size() == c.Name.size() + 1 && kw::SameTextIgnoringCase(upper.substr(1), c.Name))
          return kw::UnescapeText(c.Value);
      return std::string(p);
    case '$': {
      const long i = Find(upper);
      return i < 0 ? std::string() : kw::UnescapeText(Variables[static_cast<std::size_t>(i)].Value);
    }
    case 'B': return kw::IntToText(kw::BinaryTextToInt(p.substr(1)));
    default: return std::string(p);
  }
}

void SetVariable(std::string_view name, std::string_view value, bool save) {
  if (name.empty()) return;
  const std::string upper = DollarName(name);
  std::string stored = kw::UnescapeText(value);
  const long i = Find(upper);
  if (i >= 0) {
    Variables[static_cast<std::size_t>(i)].Value = std::move(stored);
    return;
  }
  Variables.push_back({upper, std::move(stored), save});
}

void ClearVariables() { Variables.clear(); }

bool EvaluateCondition(std::string_view condition) {
  const kw::TConditionParts parts = kw::ScanCondition(condition);
  if (parts.Left.empty() || parts.Right.empty()) return false;
  const std::string left = ResolveValue(parts.Left), right = ResolveValue(parts.Right);
  return kw::CompareOperands(left, kw::ParseInt(left), right, kw::ParseInt(right), parts.Operator);
}

int FindLabel(const kw::TScriptLines& lines, std::string_view name, int notFound) {
  std::string target = ":";
  target += name;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (kw::SameTextIgnoringCase(lines[i], target)) return static_cast<int>(i);
  return notFound;
}

bool IsSpam(std::string_view text) {
  const std::string m = kw::FoldPolishLetters(text);
  for (const std::string& line : kw::SpamList) {
    bool all = true;
    for (const std::string& word : kw::DelimitedSplit(kw::FoldPolishLetters(line), ' ')) {
      bool found = false;
      for (const std::string& alternative : kw::DelimitedSplit(kw::TrimBlanks(word), '|'))
        if (!alternative.empty() && m.find(alternative) != std::string::npos) {
          found = true;
          break;
        }
      if (!found) {
        all = false;
        break;
      }
    }
    if (all) return true;
  }
  return false;
}

void RunScript(const kw::TScriptLines& lines, int entryCode) {
  if (lines.empty()) return;
  RunState run(lines);
  if (entryCode == kw::entryInit || entryCode == kw::entryMenuShow || entryCode == kw::entryMenuClick) {
    const int i = kwref::FindLabel(lines, kw::SpecialLabelTable[entryCode].Name, -1);
    if (i < 0) return;
    run.Index = i + 1;
  } else {
    run.Index = kwref::FindLabel(lines, kw::SpecialLabelTable[kw::entryStart].Name, 0);
  }
  std::int64_t executed = 0;
  while (!run.Ended && run.Index >= 0 && run.Index < static_cast<std::int64_t>(lines.size()) &&
         executed < kw::kMaxExecutedLines) {
    ++executed;
    Step(run);
  }
}

std::int32_t KW_CDECL MessageHook(kw::ProtocolEventDef* event, kw::ProtocolMesageDef* message) {
  const std::int32_t code = event ? event->Code : 0;
  if (code != kw::kMessageReceived && code != kw::kMessageSending) return 0;
  if (message && message->Mark == kw::OwnMessageMark) return 0;
  auto text = [](const char* t) { return t ? std::string_view(t) : std::string_view(); };
  SetVariable("$_ID", message ? text(message->ContactId) : "", false);
  SetVariable("$_PROTO", message ? text(message->ProtocolId) : "", false);
  SetVariable("$_MESSAGE", message ? text(message->Text) : "", false);
  SetVariable("$_FILTR", "0", false);
  SetVariable("$_IN", code == kw::kMessageReceived ? "1" : "0", false);
  kwref::RunScript(kw::ScriptLines, kw::entryStart);
  const bool filtered = kw::ReadInt(ResolveValue("$_FILTR"), 0) != 0;
  if (message) {
    handedText = ResolveValue("$_MESSAGE");
    message->Text = handedText.c_str();
  }
  return filtered ? -1 : 0;
}

void LoadSpamList() {
  kw::SpamList.clear();
  std::string contents;
  if (!kw::FileExists(kw::SpamListPath) || !kw::ReadWholeFile(kw::SpamListPath, contents)) return;
  std::vector<std::string> lines = kw::SplitFileLines(contents);
  for (std::size_t i = lines.size(); i-- > 0;) {
    lines[i] = kw::TrimBlanks(lines[i]);
    if (lines[i].empty() || lines[i].front() == ';') lines.erase(lines.begin() + static_cast<long>(i));
  }
  kw::SpamList = std::move(lines);
}

}  // namespace kwref
