// The names stage (2xx): commands, labels' likenesses, variables and constants, and the
// search for the name a misspelt word probably meant (names.h). The list of other languages' words is what people who script other chat
// clients, BASIC, Pascal or a shell type first; it is matched before the misspelling
// search, whose answer for them would mislead (SUB is one step from SUBB, but RETURN is
// far from RET, and GETSTS is one letter from SETSTS, which does the opposite).
#include "check/names.h"

#include <algorithm>
#include <string>
#include <vector>

#include "check/stages.h"
#include "script/KwartlinConst.h"
#include "script/compiled.h"
#include "script/text.h"
#include "support/casing.h"

namespace kwcheck {
namespace {

constexpr TForeignWord kForeign[] = {
    {"GETSTS", "READSTS", TMessage::ForeignGetsts},
    {"GETSTATUS", "READSTS", TMessage::ForeignGetsts},
    {"READSTATUS", "READSTS", TMessage::ForeignReadstatus},
    {"REM", "", TMessage::ForeignRem},
    {"STRCMP", "", TMessage::ForeignStrcmp},
    {"COMPARE", "", TMessage::ForeignStrcmp},
    {"STRCHR", "STRPOS", TMessage::ForeignStrchr},
    {"STRLWR", "STRLOW", TMessage::ForeignStrlwr},
    {"STRUPR", "STRUP", TMessage::ForeignStrupr},
    {"MOD", "", TMessage::ForeignMod},
    {"AND", "BITAND", TMessage::ForeignAnd},
    {"OR", "BITOR", TMessage::ForeignOr},
    {"XOR", "BITXOR", TMessage::ForeignXor},
    {"NOT", "BITNOT", TMessage::ForeignNot},
    {"SHL", "BITSHL", TMessage::ForeignShl},
    {"SHR", "BITSHR", TMessage::ForeignShr},
    {"SUB", "SUBB", TMessage::ForeignSub},
    {"MINUS", "SUBB", TMessage::ForeignSub},
    {"DEC", "SUBB", TMessage::ForeignDec},
    {"INC", "ADD", TMessage::ForeignInc},
    {"MULT", "MUL", TMessage::ForeignMult},
    {"STRCAT", "STRCON", TMessage::ForeignStrcat},
    {"CONCAT", "STRCON", TMessage::ForeignStrcat},
    {"APPEND", "STRCON", TMessage::ForeignStrcat},
    {"LEN", "STRLEN", TMessage::ForeignLen},
    {"LENGTH", "STRLEN", TMessage::ForeignLen},
    {"SUBSTR", "STRCOPY", TMessage::ForeignSubstr},
    {"SUBSTRING", "STRCOPY", TMessage::ForeignSubstr},
    {"MID", "STRCOPY", TMessage::ForeignSubstr},
    {"POS", "STRPOS", TMessage::ForeignStrchr},
    {"INSTR", "STRPOS", TMessage::ForeignStrchr},
    {"INDEXOF", "STRPOS", TMessage::ForeignStrchr},
    {"STRSTR", "STRPOS", TMessage::ForeignStrchr},
    {"SPLIT", "STREXT", TMessage::ForeignSplit},
    {"TRIM", "STRTRIM", TMessage::ForeignTrim},
    {"UPPER", "STRUP", TMessage::ForeignStrupr},
    {"UCASE", "STRUP", TMessage::ForeignStrupr},
    {"LOWER", "STRLOW", TMessage::ForeignStrlwr},
    {"LCASE", "STRLOW", TMessage::ForeignStrlwr},
    {"RETURN", "RET", TMessage::ForeignReturn},
    {"GOSUB", "CALL", TMessage::ForeignGosub},
    {"JMP", "GOTO", TMessage::ForeignJmp},
    {"JUMP", "GOTO", TMessage::ForeignJmp},
    {"END", "EXIT", TMessage::ForeignEnd},
    {"STOP", "EXIT", TMessage::ForeignEnd},
    {"HALT", "EXIT", TMessage::ForeignEnd},
    {"QUIT", "EXIT", TMessage::ForeignEnd},
    {"SET", "MOV", TMessage::ForeignSet},
    {"LET", "MOV", TMessage::ForeignSet},
    {"PRINT", "SEND", TMessage::ForeignPrint},
    {"ECHO", "SEND", TMessage::ForeignPrint},
    {"MSG", "SEND", TMessage::ForeignPrint},
    {"ELSE", "", TMessage::ForeignElse},
    {"ELSEIF", "", TMessage::ForeignElse},
    {"ENDIF", "", TMessage::ForeignElse},
    {"THEN", "", TMessage::ForeignThen},
    {"WHILE", "", TMessage::ForeignWhile},
    {"FOR", "", TMessage::ForeignWhile},
    {"LOOP", "", TMessage::ForeignWhile},
    {"WEND", "", TMessage::ForeignWhile},
    {"NEXT", "", TMessage::ForeignWhile},
    {"VAR", "", TMessage::ForeignVar},
    {"DIM", "", TMessage::ForeignVar},
};

// Edit distance counting an insertion, a deletion or a swap of two neighbours as one
// step and a changed letter as changeCost steps; x and y come upper-cased, so letter
// case is ignored by the Windows-1250 pairs.
int EditDistance(std::string_view x, std::string_view y, int changeCost) {
  // Three rows of the table suffice: a swap looks two rows back.
  std::vector<int> before(y.size() + 1), previous(y.size() + 1), current(y.size() + 1);
  for (std::size_t j = 0; j <= y.size(); ++j) previous[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= x.size(); ++i) {
    current[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= y.size(); ++j) {
      const int change = x[i - 1] == y[j - 1] ? 0 : changeCost;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
      if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
        current[j] = std::min(current[j], before[j - 2] + 1);
    }
    std::swap(before, previous);
    std::swap(previous, current);
  }
  return previous[y.size()];
}

}  // namespace

std::string_view ClosestName(std::string_view word, std::span<const std::string_view> candidates,
                             bool letterChanges) {
  std::string_view best;
  int bestDistance = 0;
  const std::string upper = kw::UpperCase(word);
  for (std::string_view candidate : candidates) {
    const int allowed = candidate.size() <= 4 ? 1 : 2;
    const int distance = EditDistance(upper, kw::UpperCase(candidate), letterChanges ? 1 : allowed + 1);
    // A step for each character is no likeness: x is one step from a.
    const auto shorter = static_cast<int>(std::min(word.size(), candidate.size()));
    if (distance == 0 || distance > allowed || distance >= shorter) continue;
    if (best.empty() || distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

const TForeignWord* FindForeignWord(std::string_view upper) {
  for (const TForeignWord& f : kForeign)
    if (f.Word == upper) return &f;
  return nullptr;
}

// The codes this stage raises.
constexpr int kNameCodeList[] = {201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, 216, 217};
const std::span<const int> kNameCodes = kNameCodeList;

namespace {

std::vector<std::string_view> ConstantNames() {
  std::vector<std::string_view> names;
  for (const kw::TStala& k : kw::ConstantTable) names.push_back(k.Name);
  return names;
}

bool IsLetter(char ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_' || static_cast<unsigned char>(ch) >= 0x80;
}

// A $_ name of the script's own close to a program variable that it is not used as.
bool ProgramVariableLike(TScriptCheck& c, const TSourceLine& line, const std::string& upper, std::size_t at,
                         std::size_t size) {
  const std::vector<std::string_view> names(std::begin(kw::ProgramVariableNames), std::end(kw::ProgramVariableNames));
  const std::string_view meant = ClosestName(upper, names);
  if (meant.empty()) return false;
  if (!c.ReportedVariables.insert(upper).second) return true;
  TFinding& f = c.Report.Add(line, 203, TMessage::ProgramVariableLike, {{"name", Utf8(upper)}, {"meant", std::string(meant)}},
                             at, size);
  TReport::Fix(f, meant, TMessage::FixWrite, {{"text", std::string(meant)}});
  return true;
}

void Constant(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at) {
  // "#" alone or before a non-letter is text (a separator, a number sign).
  if (p.size() < 2 || !IsLetter(p[1])) return;
  if (kw::FindConstant(p.substr(1)) >= 0) return;
  const std::vector<std::string_view> names = ConstantNames();
  const std::string_view meant = ClosestName(p.substr(1), names);
  if (meant.empty()) {
    c.Report.Add(line, 204, TMessage::UnknownConstant, {{"name", Utf8(p)}}, at, p.size());
    return;
  }
  const std::string spelled = "#" + std::string(meant);
  TFinding& f = c.Report.Add(line, 204, TMessage::UnknownConstantSlip, {{"name", Utf8(p)}, {"meant", spelled}}, at, p.size());
  TReport::Fix(f, spelled, TMessage::FixWrite, {{"text", spelled}});
}

// A "$" value: upper is the engine's name of it.
void Variable(TScriptCheck& c, const TSourceLine& line, const std::string& upper, std::size_t at, std::size_t size,
              kw::TParamRole role) {
  if (upper.find('$', 1) != std::string::npos) {
    c.Report.Add(line, 215, TMessage::DynamicName, {{"name", Utf8(upper)}}, at, size);
    return;
  }
  if (IsProgramVariable(upper) || c.Data.IsWritten(upper) || c.Declared.count(upper) != 0) {
    if (upper.rfind("$_", 0) == 0 && !IsProgramVariable(upper) && !c.Data.IsRead(upper) && c.Declared.count(upper) == 0)
      ProgramVariableLike(c, line, upper, at, size);
    return;
  }
  if (upper.rfind("$_", 0) == 0 && ProgramVariableLike(c, line, upper, at, size)) return;
  const std::string underscored = "$_" + upper.substr(1);
  if (IsProgramVariable(underscored)) {
    TFinding& f = c.Report.Add(line, 207, TMessage::ProgramVariableWithoutUnderscore,
                               {{"name", Utf8(upper)}, {"meant", underscored}}, at, size);
    TReport::Fix(f, underscored, TMessage::FixWrite, {{"text", underscored}});
    return;
  }
  const std::string digits = upper.substr(1);
  if (role == kw::TParamRole::Number && !digits.empty() && digits.size() <= 8 &&
      digits.find_first_not_of("0123456789ABCDEF") == std::string::npos) {
    TFinding& f = c.Report.Add(line, 209, TMessage::HexAsVariable, {{"name", Utf8(upper)}, {"digits", digits}}, at, size);
    TReport::Fix(f, "0x" + digits, TMessage::FixWrite, {{"text", "0x" + digits}});
    return;
  }
  if (c.ReportedVariables.insert(upper).second)
    c.Report.Add(line, 208, TMessage::ReadNeverWritten, {{"name", Utf8(upper)}}, at, size);
}

// What a value evidently is, by its form: a constant's family, the message, a text of
// several words.
bool IsConstantOf(std::string_view p, std::string_view prefix) {
  const std::string upper = kw::UpperCase(p);
  return upper.size() > 1 && upper[0] == '#' && std::string_view(upper).substr(1).starts_with(prefix) &&
         kw::FindConstant(std::string_view(upper).substr(1)) >= 0;
}
bool IsWordyText(std::string_view p) {
  return IsQuoted(p) && p.find(' ') != std::string_view::npos && p.find('$') == std::string_view::npos;
}

// Two parameters in each other's places where their roles tell: a status where the
// protocol goes and a protocol where the status goes; a text of words as the recipient
// and the program's contact as the message; the message searched for a short text.
// The pair's positions, or two equal ones.
std::pair<std::size_t, std::size_t> RoleSwap(const TScriptCheck&, const TCommandLine& l) {
  const std::vector<std::string>& p = l.Params;
  const auto upper = [&](std::size_t n) { return kw::UpperCase(p[n]); };
  if (l.Code == kw::cmdSetSts && IsConstantOf(p[0], "STS_") && IsConstantOf(p[1], "PROTO_")) return {0, 1};
  if (l.Code == kw::cmdSend && IsWordyText(p[0]) && upper(1) == "$_ID") return {0, 1};
  if (l.Code == kw::cmdStrPos && upper(1) == "$_MESSAGE" && (IsQuoted(p[2]) || IsPlainText(p[2]))) return {1, 2};
  return {0, 0};
}

}  // namespace

// A quoted text that is only a variable's or constant's name, or that holds the name of
// a variable the script or the program sets: quotes keep both as written.
bool CheckQuotedName(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at) {
  const std::string_view inner = p.substr(1, p.size() - 2);
  if (inner.size() < 2 || inner.find_first_of("$#") == std::string_view::npos) return false;
  const std::string upper = kw::UpperCase(inner);
  const auto known = [&](const std::string& name) {
    return IsProgramVariable(name) || c.Data.IsWritten(name) || c.Declared.count(name) != 0;
  };
  const bool wholeName = upper.find_first_of(" \t,") == std::string::npos;
  if (wholeName && ((upper[0] == '$' && known(upper)) || (upper[0] == '#' && kw::FindConstant(upper.substr(1)) >= 0))) {
    TFinding& f = c.Report.Add(line, 213, TMessage::QuotedName, {{"value", Utf8(p)}, {"name", Utf8(inner)}}, at, p.size());
    TReport::Fix(f, inner, TMessage::FixUnquote);
    return true;
  }
  for (std::size_t d = upper.find('$'); d != std::string::npos; d = upper.find('$', d + 1)) {
    std::size_t end = d + 1;
    while (end < upper.size() && (IsLetter(upper[end]) || (upper[end] >= '0' && upper[end] <= '9'))) ++end;
    const std::string name = upper.substr(d, end - d);
    if (name.size() < 2 || !known(name)) continue;
    c.Report.Add(line, 214, TMessage::Interpolation, {{"value", Utf8(p)}, {"name", Utf8(inner.substr(d, end - d))}}, at,
                 p.size());
    return true;
  }
  return false;
}

// A menu entry named by its caption (MenuAdd's second value) rather than its name, and
// MenuDel, whose whole rest is one name, given two values.
bool CheckMenuEntry(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, bool rest) {
  if (rest && !kw::SplitParameters(p).empty() && kw::SplitParameters(p).size() > 1) {
    c.Report.Add(line, 216, TMessage::MenuDelTwoValues, {{"value", Utf8(p)}}, at, p.size());
    return true;
  }
  if (p.empty() || p[0] == '$' || c.MenuIds.empty()) return false;
  const std::string value = kw::CompileValue(p).Text;
  const auto caption = c.MenuByCaption.find(value);
  if (c.MenuIds.count(value) != 0 || caption == c.MenuByCaption.end()) return false;
  TFinding& f = c.Report.Add(line, 216, TMessage::MenuEntryCaption, {{"value", Utf8(p)}, {"name", Utf8(caption->second)}},
                             at, p.size());
  TReport::Fix(f, InQuotes(caption->second), TMessage::FixCompareWithName);
  return true;
}

// Contact flags (CONINFO's last result) compared with one flag or number by = or <>:
// each flag is a bit, and a contact has several at once.
void CheckFlagsCompared(TScriptCheck& c, const TSourceLine& line, const kw::TConditionParts& parts) {
  if (parts.Operator != 0 && parts.Operator != 1 && parts.Operator != 6) return;
  for (const auto& [left, right] : {std::pair{parts.Left, parts.Right}, std::pair{parts.Right, parts.Left}}) {
    const std::string upper = kw::UpperCase(left);
    const auto roles = c.Data.WrittenAs.find(upper);
    if (roles == c.Data.WrittenAs.end() || roles->second.size() != 1 ||
        *roles->second.begin() != kw::TParamRole::ContactFlags)
      continue;
    if (!IsConstantOf(right, "CINFO_") && !(IsNumber(right) && right != "0")) continue;
    c.Report.Add(line, 217, TMessage::FlagsCompared, {{"name", Utf8(left)}, {"flag", Utf8(right)}});
    return;
  }
}

void CheckUnknownCommand(TScriptCheck& c, const TSourceLine& line, const std::string& word) {
  const std::string written = line.Text.substr(0, line.Text.find_first_of(" \t"));
  if (const TForeignWord* foreign = FindForeignWord(word)) {
    TFinding& f = c.Report.Add(line, 202, foreign->Advice, {{"word", Utf8(written)}}, 0, written.size());
    if (!foreign->Command.empty())
      TReport::Fix(f, foreign->Command, TMessage::FixWrite, {{"text", std::string(foreign->Command)}});
    return;
  }
  for (const kw::TCommandEntry& command : kw::kCommandList) {
    const std::string keyword = kw::UpperCase(command.Word);
    if (word.size() > keyword.size() && word.compare(0, keyword.size(), keyword) == 0) {
      const char next = word[keyword.size()];
      if (next == '$' || next == '\'' || next == ',' || next == '#' || next == ':') {
        TFinding& f = c.Report.Add(line, 201, TMessage::UnknownCommandGlued,
                                   {{"word", Utf8(written)}, {"keyword", keyword}}, 0, keyword.size() + 1);
        TReport::Fix(f, std::string(written.substr(0, keyword.size())) + " " + written[keyword.size()],
                     TMessage::FixBlankAfter, {{"keyword", keyword}});
        return;
      }
    }
  }
  std::vector<std::string_view> words;
  for (const kw::TCommandEntry& command : kw::kCommandList) words.push_back(command.Word);
  const std::string_view meant = ClosestName(word, words, false);
  if (meant.empty()) {
    c.Report.Add(line, 201, TMessage::UnknownCommand, {{"word", Utf8(written)}}, 0, written.size());
    return;
  }
  TFinding& f = c.Report.Add(line, 201, TMessage::UnknownCommandSlip, {{"word", Utf8(written)}, {"meant", std::string(meant)}},
                             0, written.size());
  TReport::Fix(f, meant, TMessage::FixWrite, {{"text", std::string(meant)}});
}

bool CheckNamedValue(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at,
                     kw::TParamRole role) {
  if (p[0] == '#') {
    Constant(c, line, p, at);
    return true;
  }
  if (p[0] != '$') return false;
  Variable(c, line, kw::UpperCase(p), at, p.size(), role);
  return true;
}

bool CheckBareName(TScriptCheck& c, const TSourceLine& line, std::string_view p, const std::string& upper,
                   std::size_t at, kw::TParamRole role) {
  auto add = [&](TMessage message, const std::string& meant) {
    TFinding& f = c.Report.Add(line, 205, message, {{"word", Utf8(p)}, {"meant", meant}}, at, p.size());
    TReport::Fix(f, meant, TMessage::FixWrite, {{"text", meant}});
    return true;
  };
  if (kw::FindConstant(upper) >= 0 && upper != "TRUE" && upper != "FALSE")
    return add(TMessage::ConstantWithoutHash, "#" + upper);
  if (role == kw::TParamRole::Protocol || role == kw::TParamRole::Status) {
    const std::string_view prefix = role == kw::TParamRole::Protocol ? "PROTO_" : "STS_";
    for (const kw::TStala& k : kw::ConstantTable) {
      if (!k.Name.starts_with(prefix)) continue;
      const bool same = role == kw::TParamRole::Protocol ? k.Value == upper : k.Name.substr(prefix.size()) == upper;
      // The protocol's own value written as the host writes it is that value.
      if (!same || (role == kw::TParamRole::Protocol && p == k.Value)) continue;
      return add(TMessage::ConstantWord, "#" + std::string(k.Name));
    }
  }
  // A protocol's value (GG) compared or passed as itself is that value.
  const bool protocolValue = kw::FindConstant("PROTO_" + upper) >= 0;
  if (c.Data.IsWritten("$" + upper) && !protocolValue) {
    const std::string meant = "$" + Utf8(p);
    TFinding& f = c.Report.Add(line, 206, TMessage::VariableWithoutDollar, {{"word", Utf8(p)}, {"meant", meant}}, at,
                               p.size());
    TReport::Fix(f, "$" + std::string(p), TMessage::FixWrite, {{"text", meant}});
    return true;
  }
  return false;
}

// A parameter that only names the variable a command writes (a "$" is put in front
// when missing, as the engine does).
void CheckResultName(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, bool alsoRead) {
  if (p.empty() || CheckQuotes(c, line, p, at, true)) return;
  if (IsQuoted(p) && p.size() > 2 && p[1] == '$') {
    const std::string_view name = p.substr(1, p.size() - 2);
    TFinding& f = c.Report.Add(line, 213, TMessage::QuotedResultName, {{"value", Utf8(p)}, {"name", Utf8(name)}}, at,
                               p.size());
    TReport::Fix(f, name, TMessage::FixUnquote);
    return;
  }
  if (p[0] != '$' && alsoRead && IsPlainText(p)) {
    const std::string meant = "$" + Utf8(p);
    TFinding& f = c.Report.Add(line, 206, TMessage::ResultWithoutDollar, {{"word", Utf8(p)}, {"meant", meant}}, at,
                               p.size());
    TReport::Fix(f, "$" + std::string(p), TMessage::FixWrite, {{"text", meant}});
    return;
  }
  std::string upper = kw::UpperCase(p);
  if (upper[0] != '$') upper.insert(0, 1, '$');
  if (upper.find('$', 1) != std::string::npos) {
    c.Report.Add(line, 215, TMessage::DynamicName, {{"name", Utf8(upper)}}, at, p.size());
    return;
  }
  if (upper.rfind("$_", 0) == 0 && !IsProgramVariable(upper) && !c.Data.IsRead(upper) && c.Declared.count(upper) == 0)
    ProgramVariableLike(c, line, upper, at, p.size());
}

// A result and a value in each other's places: the value is a variable that nothing
// writes while the result lands in one the script or the program fills (CHKINT
// $isnum, $_MESSAGE overwrites every message), or STREXT with its result first.
bool CheckSwappedParameters(TScriptCheck& c, const TCommandLine& l) {
  const std::vector<std::string>& params = l.Params;
  const kw::TCommandEntry& command = kw::kCommandList[l.Code];
  const kw::TParamSignature& signature = kw::kSignatures[static_cast<std::size_t>(l.Code)];
  auto unwritten = [&](const std::string& p) {
    const std::string upper = kw::UpperCase(p);
    return !p.empty() && p[0] == '$' && !IsProgramVariable(upper) && !c.Data.IsWritten(upper) &&
           c.Declared.count(upper) == 0;
  };
  auto filled = [&](const std::string& p) {
    std::string upper = kw::UpperCase(p);
    if (upper.empty()) return false;
    if (upper[0] != '$') upper.insert(0, 1, '$');
    return IsProgramVariable(upper) || c.Data.WrittenElsewhere(upper, l.Line->FileLine) || c.Data.IsRead(upper);
  };
  const auto span = [&](std::size_t first, std::size_t last) {
    return std::pair<std::size_t, std::size_t>(l.At[first], l.At[last] + params[last].size() - l.At[first]);
  };
  const TFields syntax = {{"command", std::string(command.Word)}, {"syntax", Utf8(command.Syntax)}};
  if (const auto pair = RoleSwap(c, l); pair.first != pair.second) {
    const auto [first, second] = pair;
    const auto [from, count] = span(first, second);
    TFields fields = syntax;
    fields.push_back({"first", Utf8(params[first])});
    fields.push_back({"second", Utf8(params[second])});
    TFinding& f = c.Report.Add(*l.Line, 211, TMessage::SwappedByRole, std::move(fields), from, count);
    TReport::Fix(f, params[second] + l.Line->Text.substr(l.At[first] + params[first].size(),
                                                          l.At[second] - l.At[first] - params[first].size()) +
                        params[first],
                 TMessage::FixSwap);
    return true;
  }
  // MOV copies either way round; only the commands whose value and result differ in
  // kind (a number from a text, a flag from a text) are told apart.
  if (l.Code != kw::cmdMov && signature.Count == 2 && params.size() == 2 && !signature.LastRepeats &&
      (signature.Params[0].Access == kw::TParamAccess::Read) != (signature.Params[1].Access == kw::TParamAccess::Read) &&
      signature.Params[0].Access != kw::TParamAccess::Modify && signature.Params[1].Access != kw::TParamAccess::Modify &&
      signature.Params[0].Access != kw::TParamAccess::AsWritten && signature.Params[1].Access != kw::TParamAccess::AsWritten) {
    const std::size_t value = signature.Params[0].Access == kw::TParamAccess::Read ? 0 : 1;
    const std::size_t result = 1 - value;
    if (!unwritten(params[value]) || !filled(params[result]) || IsProgramVariable(kw::UpperCase(params[value])))
      return false;
    c.ReportedVariables.insert(kw::UpperCase(params[value]));
    const auto [from, count] = span(0, 1);
    TFields fields = syntax;
    fields.push_back({"result", Utf8(params[result])});
    fields.push_back({"value", Utf8(params[value])});
    TFinding& f = c.Report.Add(*l.Line, 211, TMessage::SwappedParameters, std::move(fields), from, count);
    TReport::Fix(f, params[1] + ", " + params[0], TMessage::FixSwap);
    return true;
  }
  if (l.Code == kw::cmdStrExt && params.size() == 4 && unwritten(params[0]) && !params[3].empty() &&
      params[3][0] != '$' && IsNumber(params[3])) {
    c.ReportedVariables.insert(kw::UpperCase(params[0]));
    const auto [from, count] = span(0, 3);
    TFields fields = syntax;
    fields.push_back({"text", Utf8(params[0])});
    fields.push_back({"result", Utf8(params[3])});
    TFinding& f = c.Report.Add(*l.Line, 211, TMessage::StrExtResultFirst, std::move(fields), from, count);
    TReport::Fix(f, params[1] + ", " + params[2] + ", " + params[3] + ", " + params[0], TMessage::FixResultLast);
    return true;
  }
  return false;
}

// $_MENU_ITEM holds the name an entry was added with, compared exactly.
void CheckMenuItemName(TScriptCheck& c, const TSourceLine& line, const kw::TConditionParts& parts,
                       std::size_t leftAt, std::size_t rightAt) {
  const bool leftItem = kw::UpperCase(parts.Left) == "$_MENU_ITEM";
  const bool rightItem = kw::UpperCase(parts.Right) == "$_MENU_ITEM";
  if (leftItem == rightItem || c.MenuIds.empty()) return;
  const std::string& other = leftItem ? parts.Right : parts.Left;
  const std::size_t at = leftItem ? rightAt : leftAt;
  if (other.empty() || other[0] == '$') return;
  const std::string value = kw::CompileValue(other).Text;
  if (c.MenuIds.count(value) != 0) return;
  const auto sameCase = c.MenuByUpperId.find(kw::UpperCase(value));
  const auto caption = c.MenuByCaption.find(value);
  if (sameCase == c.MenuByUpperId.end() && caption == c.MenuByCaption.end()) return;
  const bool byCase = sameCase != c.MenuByUpperId.end();
  const std::string& id = byCase ? sameCase->second : caption->second;
  TFinding& f = c.Report.Add(line, 210, byCase ? TMessage::MenuItemCase : TMessage::MenuItemCaption,
                             {{"value", Utf8(other)}, {"name", Utf8(id)}}, at, other.size());
  TReport::Fix(f, InQuotes(id), TMessage::FixCompareWithName);
}

// A variable MOV writes that nothing reads: not the program's, not kept by SAVE.
void CheckUnread(TScriptCheck& c) {
  std::set<std::string> reported;
  for (std::size_t i = 0; i < c.Src.Lines.size(); ++i) {
    const kw::TCompiledLine& l = c.Src.Compiled->Lines[i];
    if (l.Kind != kw::TLineKind::Command || l.Code != kw::cmdMov) continue;
    const std::string& target = l.Params[0].Target;
    if (target.rfind("$_", 0) == 0 || c.Data.IsRead(target) || c.Data.Saved.count(target) != 0) continue;
    if (!reported.insert(target).second) continue;
    c.Report.Add(c.Src.Lines[i], 212, TMessage::WrittenNeverRead, {{"name", Utf8(target)}});
  }
}

}  // namespace kwcheck
