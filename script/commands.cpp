// The interpreter's command table and its handlers. Every handler resolves all its
// values before it writes anything, so a variable may be source and result at once, and
// no value (a view that may point into VariableTable) is used after a write.
// Values handed to the host (ScriptHost(), script_host.h) are copied first: the host may
// call the plugin back during the call, and a nested run may grow VariableTable or
// reload the script meanwhile.
// Arithmetic runs in uint32 so that overflow wraps without undefined behaviour.
// The run's byte budget follows the work: a text value read (V, or ValueOf with
// Charged) is charged its length, since reading scans it for escapes, and a text written
// (Write) is charged its length, since writing copies it; Write refuses a text longer
// than the value bound, which ends the run. A handler that builds a text first (STRCON,
// STRDEL, STRUP, STRLOW) checks its length before it builds. Numbers that need no
// reading (fixed operands, parsed when the line was compiled) and numbers written (at
// most 11 bytes) are not charged: the line bound covers them.
#include "script/commands.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>


#include "script/byte_kernels.h"
#include "script/interpreter.h"
#include "script/script_host.h"
#include "script/spam.h"
#include "script/text.h"
#include "script/variables.h"
#include "support/ProcFunc.h"
#include "support/casing.h"

namespace kw {
namespace {

std::string_view Charged(TRunState& run, std::string_view value) {
  run.Charge(value.size());
  return value;
}

std::string_view V(TRunState& run, const TCompiledLine& line, std::size_t n) {
  return Charged(run, ValueOf(line.Params[n].Value, run.Scratch[n]));
}

// A fixed number was read when the line was compiled: nothing is scanned, nothing charged.
// A variable is charged its text's length, whether the table remembered its number or
// parsed it now.
std::int32_t I(TRunState& run, const TCompiledLine& line, std::size_t n, std::int32_t fallback) {
  const TCompiledValue& value = line.Params[n].Value;
  if (!value.IsVariable) return value.Number ? *value.Number : fallback;
  const TOperand operand = OperandOf(value, run.Scratch[n]);
  run.Charge(operand.Bytes);
  return operand.Number ? *operand.Number : fallback;
}

// A result beyond the value bound ends the run; the variable keeps its value.
bool TooLong(TRunState& run, std::uint64_t length) {
  if (length <= run.MaxValueBytes) return false;
  run.Ended = true;
  run.EndedBy = TRunEnd::ValueBound;
  run.RefusedBytes = length;
  return true;
}

void Write(TRunState& run, const TCompiledLine& line, std::size_t n, std::string_view value) {
  if (TooLong(run, value.size())) return;
  run.Charge(value.size());
  WriteResult(line.Params[n], value);
}

// A number (at most 11 bytes) is never refused nor charged: the line bound covers it.
void WriteNumber(const TCompiledLine& line, std::size_t n, std::int32_t value) {
  WriteNumberResult(line.Params[n], value);
}

std::int32_t Wrap(std::uint32_t bits) { return static_cast<std::int32_t>(bits); }
std::uint32_t Bits(std::int32_t value) { return static_cast<std::uint32_t>(value); }

// --- control flow ---

void DoGoto(TRunState& run, const TCompiledLine& line) { run.Next = line.Target; }

void DoIf(TRunState& run, const TCompiledLine& line) {
  if (!EvaluateCompiled(*line.Condition, run.Scratch[0], run.Scratch[1], run.BytesLeft))
    run.Next = run.Index + 2;
}

void DoExit(TRunState& run, const TCompiledLine&) { run.Ended = true; }

void DoCall(TRunState& run, const TCompiledLine& line) {
  // A CALL that recurses without end stops the run here instead of eating memory.
  if (run.Returns.size() >= kMaxReturnDepth) {
    run.Ended = true;
    run.EndedBy = TRunEnd::CallDepth;
    return;
  }
  run.Returns.push_back(run.Index + 1);
  run.Next = line.Target;
}

void DoRet(TRunState& run, const TCompiledLine&) {
  if (run.Returns.empty()) return;
  run.Next = run.Returns.back();
  run.Returns.pop_back();
}

// --- variables ---

// A long text read from a variable is shared with the result rather than copied,
// charged as the copy is.
void DoMov(TRunState& run, const TCompiledLine& line) {
  const std::string_view value = V(run, line, 1);
  if (TooLong(run, value.size())) return;
  run.Charge(value.size());
  if (!ShareResult(line.Params[0], line.Params[1].Value, value)) WriteResult(line.Params[0], value);
}

void DoSave(TRunState& run, const TCompiledLine& line) {
  SetSaveFlag(line.Params[0].Raw, TextToBool(V(run, line, 1)));
}

// --- numbers ---

template <std::uint32_t (*Op)(std::uint32_t, std::uint32_t)>
void DoArithmetic(TRunState& run, const TCompiledLine& line) {
  const std::int32_t a = I(run, line, 0, 0);
  const std::int32_t b = I(run, line, 1, 0);
  WriteNumber(line, 0, Wrap(Op(Bits(a), Bits(b))));
}

std::uint32_t Add(std::uint32_t a, std::uint32_t b) { return a + b; }
std::uint32_t Sub(std::uint32_t a, std::uint32_t b) { return a - b; }
std::uint32_t Mul(std::uint32_t a, std::uint32_t b) { return a * b; }
std::uint32_t And(std::uint32_t a, std::uint32_t b) { return a & b; }
std::uint32_t Or(std::uint32_t a, std::uint32_t b) { return a | b; }
std::uint32_t Xor(std::uint32_t a, std::uint32_t b) { return a ^ b; }
// Only the low five bits of a shift count count.
std::uint32_t Shr(std::uint32_t a, std::uint32_t b) { return a >> (b & 31u); }
std::uint32_t Shl(std::uint32_t a, std::uint32_t b) { return a << (b & 31u); }

void DoDiv(TRunState& run, const TCompiledLine& line) {
  const std::int32_t a = I(run, line, 0, 0);
  const std::int32_t b = I(run, line, 1, 0);
  std::int32_t q;
  if (b == 0) q = 0;
  // The one quotient beyond the range wraps, like the other operations.
  else if (b == -1) q = Wrap(0u - Bits(a));
  else q = a / b;  // truncates toward zero
  WriteNumber(line, 0, q);
}

void DoBitNot(TRunState& run, const TCompiledLine& line) {
  WriteNumber(line, 0, Wrap(~Bits(I(run, line, 0, 0))));
}

void DoChkInt(TRunState& run, const TCompiledLine& line) {
  Write(run, line, 1, BoolToText(IsInteger(V(run, line, 0))));
}

// --- texts ---

// Each piece's length is checked before it is appended, so the join never grows past
// the value bound: a too-long result ends the run without being built. (Summing the
// lengths in a pass of their own would resolve every value twice, and a message run
// would pay for that on every STRCON.)
void DoStrCon(TRunState& run, const TCompiledLine& line) {
  std::string& joined = run.Scratch[2];  // keeps its capacity from round to round
  joined.clear();
  for (const TCompiledParam& p : line.Params) {
    const std::string_view piece = Charged(run, ValueOf(p.Value, run.Scratch[0]));
    if (TooLong(run, std::uint64_t{joined.size()} + piece.size())) return;
    joined += piece;
  }
  Write(run, line, 0, joined);
}

void DoStrLen(TRunState& run, const TCompiledLine& line) {
  const std::size_t length = V(run, line, 1).size();
  WriteNumber(line, 0, length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())
                           ? std::numeric_limits<std::int32_t>::max()
                           : static_cast<std::int32_t>(length));
}

// Count characters of text from the 1-based index: an index below 1 counts as 1, one
// beyond the end or a negative count gives nothing, a long count stops at the end.
std::string_view CopyPart(std::string_view text, std::int64_t index, std::int64_t count) {
  if (index < 1) index = 1;
  const auto length = static_cast<std::int64_t>(text.size());
  if (index > length || count <= 0) return {};
  if (count > length - index + 1) count = length - index + 1;
  return text.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

void DoStrCopy(TRunState& run, const TCompiledLine& line) {
  const std::string_view text = V(run, line, 1);
  const std::int32_t index = I(run, line, 2, 1);
  const std::int32_t count = I(run, line, 3, 0);
  Write(run, line, 0, CopyPart(text, index, count));
}

// The kept parts are found on the value itself and joined only when the result may be
// written, so a host's long message is not copied just to be refused.
void DoStrDel(TRunState& run, const TCompiledLine& line) {
  const std::string_view text = V(run, line, 0);
  std::int64_t index = I(run, line, 1, 1);
  std::int64_t count = I(run, line, 2, 0);
  const auto length = static_cast<std::int64_t>(text.size());
  if (index < 1 || index > length || count <= 0) {
    index = 1;
    count = 0;
  } else if (count > length - index + 1) {
    count = length - index + 1;
  }
  const auto cut = static_cast<std::size_t>(index - 1);
  const std::string_view before = text.substr(0, cut);
  const std::string_view after = text.substr(cut + static_cast<std::size_t>(count));
  if (TooLong(run, before.size() + after.size())) return;
  std::string& kept = run.Scratch[3];
  kept.assign(before);
  kept.append(after);
  Write(run, line, 0, kept);
}

void DoStrPos(TRunState& run, const TCompiledLine& line) {
  const std::string_view part = V(run, line, 1);
  const std::string_view text = V(run, line, 2);
  std::size_t at;
  if (!ByteKernels().Find(text, part, run.BytesLeft, at)) {  // the budget is spent: no answer
    run.Ended = true;
    run.EndedBy = TRunEnd::ByteBound;
    return;
  }
  std::int32_t position = 0;
  if (at != std::string_view::npos && at < static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    position = static_cast<std::int32_t>(at) + 1;
  WriteNumber(line, 0, position);
}

// Piece n of the text split at c, as SplitAtChar would number them (an empty text has
// no pieces; n beyond the last piece gives nothing), found without splitting.
std::string_view PieceAt(std::string_view text, char c, std::int32_t n) {
  if (text.empty() || n < 0) return {};
  std::size_t start = 0;
  for (std::int32_t k = 0; k < n; ++k) {
    const std::size_t at = text.find(c, start);
    if (at == std::string_view::npos) return {};
    start = at + 1;
  }
  const std::size_t end = text.find(c, start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

void DoStrExt(TRunState& run, const TCompiledLine& line) {
  const std::string_view text = V(run, line, 0);
  const std::string_view separator = V(run, line, 1);
  const std::int32_t n = I(run, line, 2, -1);
  Write(run, line, 3, separator.empty() ? std::string_view() : PieceAt(text, separator.front(), n));
}

void DoStrTrim(TRunState& run, const TCompiledLine& line) {
  std::string_view text = V(run, line, 0);
  auto control = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && control(text.front())) text.remove_prefix(1);
  while (!text.empty() && control(text.back())) text.remove_suffix(1);
  Write(run, line, 0, text);
}

// UpperChar or LowerChar of every byte, looked up once, so a long text is recased
// without a call per character, sixteen or eight bytes at a step where the code page
// recases ASCII as ASCII does (it does: the other way is kept only for safety).
struct CaseMap {
  CaseMap(char (*recase)(char), unsigned char first, unsigned char last) {
    unsigned char bytes[256];
    for (unsigned i = 0; i < 256; ++i) bytes[i] = static_cast<unsigned char>(recase(static_cast<char>(i)));
    vector = MakeByteMap(bytes, first, last, map);
  }
  void Apply(const char* from, char* to, std::size_t n) const {
    if (vector) {
      ByteKernels().Map(map, from, to, n);
      return;
    }
    for (std::size_t i = 0; i < n; ++i) to[i] = static_cast<char>(map.Bytes[static_cast<unsigned char>(from[i])]);
  }
  TByteMap map;
  bool vector = false;  // the ASCII part has the shape the kernels map
};

// A value read straight from the variable it is written back to is recased where it is
// stored: no copy. Recasing makes no "\n" escape of a text that has none (a backslash
// stays one and only n and N recase to n or N), so the stored text needs no unescaping
// afterwards, as a write would give it.
void Recase(TRunState& run, const TCompiledLine& line, const CaseMap& table) {
  const std::string_view value = V(run, line, 0);
  if (TooLong(run, value.size())) return;  // refused before the copy is made
  std::shared_ptr<const std::string> was;
  if (std::string* stored = StoredTextOf(line.Params[0], value, was)) {
    run.Charge(value.size());
    if (was) {  // the text was shared: this variable's own is made as it is recased
      stored->resize(was->size());
      table.Apply(was->data(), stored->data(), was->size());
    } else {
      table.Apply(stored->data(), stored->data(), stored->size());
    }
    return;
  }
  std::string& text = run.Scratch[1];
  text.resize(value.size());
  table.Apply(value.data(), text.data(), value.size());
  Write(run, line, 0, text);
}

void DoStrUp(TRunState& run, const TCompiledLine& line) {
  static const CaseMap upper(UpperChar, 'a', 'z');
  Recase(run, line, upper);
}

void DoStrLow(TRunState& run, const TCompiledLine& line) {
  static const CaseMap lower(LowerChar, 'A', 'Z');
  Recase(run, line, lower);
}

// A long text read from a variable is checked as the variable's shared text, so a
// second check of the same unchanged text reuses its folding.
void DoChkSpam(TRunState& run, const TCompiledLine& line) {
  const std::string_view text = V(run, line, 1);
  const std::shared_ptr<const std::string> shared = SharedTextOf(line.Params[1].Value, text);
  Write(run, line, 0, BoolToText(shared ? IsSpam(shared) : IsSpam(text)));
}

// --- date and time ---

void DoGetDate(TRunState&, const TCompiledLine& line) {
  const LocalDateTime now = ScriptHost().Now();
  WriteNumber(line, 0, now.year);
  WriteNumber(line, 1, now.month);
  WriteNumber(line, 2, now.day);
}

void DoGetTime(TRunState&, const TCompiledLine& line) {
  const LocalDateTime now = ScriptHost().Now();
  WriteNumber(line, 0, now.hour);
  WriteNumber(line, 1, now.minute);
  WriteNumber(line, 2, now.second);
}

// --- host ---

void DoSend(TRunState& run, const TCompiledLine& line) {
  const std::string id(V(run, line, 0));
  const std::string text(V(run, line, 1));
  run.HostCalled = true;
  ScriptHost().SendProtocolMessage(id, text);
}

void DoSetSts(TRunState& run, const TCompiledLine& line) {
  const std::string proto(V(run, line, 0));
  const std::int32_t state = I(run, line, 1, 2);
  const std::string description(V(run, line, 2));
  run.HostCalled = true;
  ScriptHost().ChangeUserState(proto, state, description);
}

void DoReadSts(TRunState& run, const TCompiledLine& line) {
  const std::string proto(V(run, line, 0));
  run.HostCalled = true;
  const TUserState state = ScriptHost().GetUserState(proto);
  WriteNumber(line, 1, state.Status);
  Write(run, line, 2, state.Description);
}

void DoConInfo(TRunState& run, const TCompiledLine& line) {
  const std::string id(V(run, line, 0));
  run.HostCalled = true;
  const TKontaktInfo info = ScriptHost().GetContactInfo(id);
  // A field refused by the value bound ends the run; the fields after it stay as they were.
  const std::string_view texts[] = {info.Name, info.Group, info.Description};
  for (std::size_t n = 0; n < 3 && !run.Ended; ++n) Write(run, line, n + 1, texts[n]);
  if (!run.Ended) WriteNumber(line, 4, info.Flags);
}

// --- menu and settings ---

void DoMenuAdd(TRunState& run, const TCompiledLine& line) {
  const std::string name(V(run, line, 0));
  const std::string caption(V(run, line, 1));
  run.HostCalled = true;
  ScriptHost().AddOrRenameMenuEntry(name, caption);
}

void DoMenuDel(TRunState& run, const TCompiledLine& line) {
  const std::string name(Charged(run, ValueOf(*line.RestValue, run.Scratch[0])));
  IScriptHost& host = ScriptHost();
  const int index = host.FindMenuEntryByName(name);
  if (index < 0) return;
  run.HostCalled = true;
  host.DeleteMenuEntry(index);
}

void DoMenuShow(TRunState& run, const TCompiledLine& line) {
  const std::string name(V(run, line, 0));
  const bool visible = TextToBool(V(run, line, 1));
  IScriptHost& host = ScriptHost();
  const int index = host.FindMenuEntryByName(name);
  if (index >= 0) host.SetMenuEntryVisible(index, visible);
}

void DoSaveConfig(TRunState&, const TCompiledLine&) { ScriptHost().SaveConfig(); }

// The commands that share one handler body, under the names the command list gives.
constexpr TLineHandler DoAdd = DoArithmetic<Add>;
constexpr TLineHandler DoSubb = DoArithmetic<Sub>;
constexpr TLineHandler DoMul = DoArithmetic<Mul>;
constexpr TLineHandler DoBitAnd = DoArithmetic<And>;
constexpr TLineHandler DoBitOr = DoArithmetic<Or>;
constexpr TLineHandler DoBitXor = DoArithmetic<Xor>;
constexpr TLineHandler DoBitShr = DoArithmetic<Shr>;
constexpr TLineHandler DoBitShl = DoArithmetic<Shl>;

// --- steps of the loop ---

// Any handler as a step. The handler reads the index from the run and says where the
// run goes on in Next.
template <TLineHandler Run>
std::int64_t Plain(TRunState& run, const TCompiledLine& line, std::int64_t index) {
  run.Index = index;
  run.Next = index + 1;
  Run(run, line);
  return run.Ended || run.HostCalled ? kAttend : run.Next;
}

std::int64_t StepPass(TRunState&, const TCompiledLine&, std::int64_t index) { return index + 1; }

std::int64_t StepGoto(TRunState&, const TCompiledLine& line, std::int64_t index) {
  (void)index;
  return line.Target;
}

std::int64_t StepIf(TRunState& run, const TCompiledLine& line, std::int64_t index) {
  return EvaluateCompiled(*line.Condition, run.Scratch[0], run.Scratch[1], run.BytesLeft) ? index + 1 : index + 2;
}

[[gnu::noinline]] std::int64_t StepIfSlowly(TRunState& run, const TCompiledLine& line, std::int64_t index) {
  return StepIf(run, line, index);
}

// IF between a variable and a fixed number: while the variable is where it was found
// and holds a number, the two numbers are compared at once, charged as EvaluateCompiled
// charges them (both lengths). Anything else goes the whole way, out of line, so the
// quick way saves no registers.
template <bool VariableLeft>
std::int64_t StepIfNumber(TRunState& run, const TCompiledLine& line, std::int64_t index) {
  const TCompiledCondition& c = *line.Condition;
  const TCompiledValue& variable = VariableLeft ? c.Left : c.Right;
  const TCompiledValue& fixed = VariableLeft ? c.Right : c.Left;
  std::int32_t number;
  std::size_t size;
  if (variable.SlotGeneration != VariableTable.Generation() ||
      !VariableTable.KnownNumberAndSize(variable.Slot, number, size)) [[unlikely]]
    return StepIfSlowly(run, line, index);
  run.Charge(size + fixed.Text.size());
  const std::int32_t left = VariableLeft ? number : *fixed.Number;
  const std::int32_t right = VariableLeft ? *fixed.Number : number;
  const int order = (left > right) - (left < right);
  return index + 2 - static_cast<std::int64_t>(c.Holds >> (order + 1) & 1u);
}

template <std::uint32_t (*Op)(std::uint32_t, std::uint32_t)>
[[gnu::noinline]] std::int64_t StepArithmeticSlowly(TRunState& run, const TCompiledLine& line, std::int64_t index) {
  DoArithmetic<Op>(run, line);
  return index + 1;
}

// ADD, SUBB and the rest with a fixed number, written back to the variable they read:
// while it is where it was found and holds a number, the number is changed where it
// lies, charged as I charges it.
template <std::uint32_t (*Op)(std::uint32_t, std::uint32_t)>
std::int64_t StepArithmeticFixed(TRunState& run, const TCompiledLine& line, std::int64_t index) {
  const TCompiledValue& variable = line.Params[0].Value;
  std::int32_t number;
  std::size_t size;
  if (variable.SlotGeneration != VariableTable.Generation() ||
      !VariableTable.KnownNumberAndSize(variable.Slot, number, size)) [[unlikely]]
    return StepArithmeticSlowly<Op>(run, line, index);
  run.Charge(size);
  VariableTable.AssignNumber(variable.Slot, Wrap(Op(Bits(number), Bits(*line.Params[1].Value.Number))));
  return index + 1;
}

}  // namespace

// Indexed by command code, generated from the command list: command <Name> runs Do<Name>.
#define KW_INTERPRETER_COMMAND(Name, Word, Group, Form, MinParams, ...) \
  {TParamForm::Form, MinParams, Do##Name, Plain<Do##Name>},
const TInterpreterCommand InterpreterCommands[kCommandCount] = {KW_COMMANDS(KW_INTERPRETER_COMMAND)};
#undef KW_INTERPRETER_COMMAND

TLineStep PassStep() { return StepPass; }

TLineStep StepFor(const TCompiledLine& line) {
  auto fixedNumber = [](const TCompiledValue& v) { return !v.IsVariable && v.Number.has_value(); };
  switch (line.Code) {
    case cmdGoto:
      return StepGoto;
    case cmdIf: {
      const TCompiledCondition& c = *line.Condition;
      if (!c.AlwaysFalse && c.Left.IsVariable && fixedNumber(c.Right)) return StepIfNumber<true>;
      if (!c.AlwaysFalse && c.Right.IsVariable && fixedNumber(c.Left)) return StepIfNumber<false>;
      return StepIf;
    }
    default:
      break;
  }
  // The in-place arithmetic writes the variable it read when the name read is the name
  // written ("$" and the upper-cased name, both).
  const bool inPlace = line.Params.size() >= 2 && line.Params[0].Value.IsVariable &&
                       line.Params[0].Value.Text == line.Params[0].Target && fixedNumber(line.Params[1].Value);
  if (inPlace) {
    switch (line.Code) {
      case cmdAdd: return StepArithmeticFixed<Add>;
      case cmdSubb: return StepArithmeticFixed<Sub>;
      case cmdMul: return StepArithmeticFixed<Mul>;
      case cmdBitAnd: return StepArithmeticFixed<And>;
      case cmdBitOr: return StepArithmeticFixed<Or>;
      case cmdBitXor: return StepArithmeticFixed<Xor>;
      case cmdBitShr: return StepArithmeticFixed<Shr>;
      case cmdBitShl: return StepArithmeticFixed<Shl>;
      default: break;
    }
  }
  return InterpreterCommands[line.Code].Step;
}

}  // namespace kw
