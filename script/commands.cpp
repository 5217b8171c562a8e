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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

void DoMov(TRunState& run, const TCompiledLine& line) { Write(run, line, 0, V(run, line, 1)); }

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

constexpr std::size_t kFirstBlock = 16;  // bytes compared at a candidate position first

// Whether the part's bytes past the first kFirstBlock equal those at `at`, compared in
// blocks that double in size; each block is charged.
bool RestEqual(const char* at, std::string_view part, std::int64_t& budget) {
  std::size_t same = kFirstBlock;
  for (std::size_t block = 2 * kFirstBlock; same < part.size(); block *= 2) {
    const std::size_t n = std::min(block, part.size() - same);
    budget -= static_cast<std::int64_t>(n);
    if (std::memcmp(at + same, part.data() + same, n) != 0) return false;
    same += n;
  }
  return true;
}

// std::string_view::find with its work charged to the budget. Each position that holds
// the part's first byte is compared over at most kFirstBlock bytes, and only on a match
// there over the rest (RestEqual), so the charge stays within about twice the bytes
// that matched at a position plus one block. It matters for a part that matches a long
// prefix at many positions ("aaa...ab" in "aaa...a"): that search costs the product of
// the two lengths, hours for long values, and the budget must stop it partway. False
// when it stopped because the budget ran out (the answer unknown); otherwise `found` is
// the first occurrence or npos.
// Which of the kBlock positions from p hold byte c, as bits (bit k: position p + k).
#if defined(__SSE2__)
constexpr std::size_t kBlock = 16;
inline std::uint32_t PositionsOf(const char* p, unsigned char c) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(c)))));
}
#else
constexpr std::size_t kBlock = 8;
inline std::uint32_t PositionsOf(const char* p, unsigned char c) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  const std::uint64_t y = word ^ (0x0101010101010101u * c);
  // The high bit of each byte equal to c (exact: no borrow runs between bytes), then
  // the eight high bits gathered into one byte, the first position lowest.
  const std::uint64_t high = ~(((y & kLow7) + kLow7) | y | kLow7);
  if constexpr (std::endian::native == std::endian::little)
    return static_cast<std::uint32_t>(((high >> 7) * 0x0102040810204080u) >> 56);
  std::uint32_t bits = 0;
  for (std::size_t k = 0; k < 8; ++k) bits |= (static_cast<unsigned char>(p[k]) == c ? 1u : 0u) << k;
  return bits;
}
#endif

bool FindCounted(std::string_view text, std::string_view part, std::int64_t& budget,
                 std::size_t& found) {
  found = std::string_view::npos;
  const std::size_t m = part.size();
  if (m == 0 || m > text.size()) return true;
  const std::size_t head = std::min(m, kFirstBlock);
  std::int64_t left = budget;  // a local, so the loop keeps it in a register
  const char* at = text.data();
  const char* const end = at + (text.size() - m + 1);  // past the last possible start
  // Tries a position that holds the part's first byte, charging it.
  auto tried = [&](const char* p) {
    left -= static_cast<std::int64_t>(head);
    return std::memcmp(p, part.data(), head) == 0 && (head == m || RestEqual(p, part, left));
  };
  // A block of positions at a time: those holding the first byte are the candidates,
  // and only one whose head also ends in the head's last byte can match. A block whose
  // candidates all fail that way is charged at once when the budget covers it; any other
  // goes candidate by candidate. So the charges, and where the budget runs out, are
  // those of trying every position that holds the first byte in turn.
  const auto first = static_cast<unsigned char>(part.front());
  const auto last = static_cast<unsigned char>(part[head - 1]);
  const auto perCandidate = static_cast<std::int64_t>(head);
  // The loads of the last byte stay inside the text.
  while (static_cast<std::size_t>(end - at) >= kBlock &&
         static_cast<std::size_t>(text.data() + text.size() - at) >= kBlock + head - 1) {
    const std::uint32_t starts = PositionsOf(at, first);
    if (starts != 0) {
      const std::uint32_t ends = PositionsOf(at + head - 1, last);
      const std::int64_t all = perCandidate * std::popcount(starts);
      if ((starts & ends) == 0 && left - all >= 0) {
        left -= all;
      } else {
        for (std::uint32_t rest = starts; rest != 0; rest &= rest - 1) {
          const int k = std::countr_zero(rest);
          const char* p = at + k;
          if ((ends >> k & 1) != 0 ? tried(p) : (left -= perCandidate, false)) {
            found = static_cast<std::size_t>(p - text.data());
            budget = left;
            return true;
          }
          if (left < 0) {
            budget = left;
            return false;
          }
        }
      }
    }
    at += kBlock;
  }
  bool answered = true;
  while (at < end) {
    at = static_cast<const char*>(std::memchr(at, part.front(), static_cast<std::size_t>(end - at)));
    if (at == nullptr) break;
    if (tried(at)) {
      found = static_cast<std::size_t>(at - text.data());
      break;
    }
    if (left < 0) {
      answered = false;
      break;
    }
    ++at;
  }
  budget = left;
  return answered;
}

void DoStrPos(TRunState& run, const TCompiledLine& line) {
  const std::string_view part = V(run, line, 1);
  const std::string_view text = V(run, line, 2);
  std::size_t at;
  if (!FindCounted(text, part, run.BytesLeft, at)) {  // the budget is spent: no answer
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
// without a call per character. Where the code page recases the ASCII letters as ASCII
// does (one range, 0x20 apart), eight bytes without a high bit are recased at once.
struct CaseTable {
  CaseTable(char (*recase)(char), unsigned char firstLetter, unsigned char lastLetter)
      : first(firstLetter), last(lastLetter) {
    for (unsigned i = 0; i < 256; ++i) bytes[i] = recase(static_cast<char>(i));
    for (unsigned i = 0; i < 128; ++i) {
      const bool letter = i >= first && i <= last;
      if (static_cast<unsigned char>(bytes[i]) != (letter ? (i ^ 0x20u) : i)) wordwise = false;
    }
  }
  void Apply(char* text, std::size_t size) const {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::size_t i = 0;
    // Locals: the text is written through char, which may alias the members.
    const std::uint64_t toFirst = kOnes * (0x80u - first);
    const std::uint64_t toPast = kOnes * (0x80u - last - 1u);
    const char* const table = bytes;
    if (wordwise && std::endian::native == std::endian::little) {
      for (; i + 8 <= size; i += 8) {
        std::uint64_t x;
        std::memcpy(&x, text + i, 8);
        // Bytes below 0x80 as one word: with the high bits cleared, adding below 0x80
        // carries into no neighbour, and the high bit tells byte >= first and byte > last.
        const std::uint64_t high = x & kHigh;
        const std::uint64_t low = x & ~kHigh;
        const std::uint64_t from = low + toFirst;
        const std::uint64_t past = low + toPast;
        x ^= (from & ~past & ~high & kHigh) >> 2;  // 0x80 >> 2 is the case bit 0x20
        std::memcpy(text + i, &x, 8);
        // Bytes from 0x80 up (Polish letters among them) by the table, one by one.
        for (std::uint64_t rest = high; rest != 0; rest &= rest - 1) {
          const std::size_t k = i + static_cast<std::size_t>(std::countr_zero(rest)) / 8;
          text[k] = table[static_cast<unsigned char>(text[k])];
        }
      }
    }
    for (; i < size; ++i) text[i] = table[static_cast<unsigned char>(text[i])];
  }
  char bytes[256];      // the recased byte of each byte
  unsigned char first;  // the ASCII letters it recases: first..last
  unsigned char last;
  bool wordwise = true;  // the table recases ASCII exactly as first..last ^ 0x20
};

// A value read straight from the variable it is written back to is recased where it is
// stored: no copy. Recasing makes no "\n" escape of a text that has none (a backslash
// stays one and only n and N recase to n or N), so the stored text needs no unescaping
// afterwards, as a write would give it.
void Recase(TRunState& run, const TCompiledLine& line, const CaseTable& table) {
  const std::string_view value = V(run, line, 0);
  if (TooLong(run, value.size())) return;  // refused before the copy is made
  if (std::string* stored = StoredTextOf(line.Params[0], value)) {
    run.Charge(value.size());
    table.Apply(stored->data(), stored->size());
    return;
  }
  std::string& text = run.Scratch[1];
  text.assign(value);
  table.Apply(text.data(), text.size());
  Write(run, line, 0, text);
}

void DoStrUp(TRunState& run, const TCompiledLine& line) {
  static const CaseTable upper(UpperChar, 'a', 'z');
  Recase(run, line, upper);
}

void DoStrLow(TRunState& run, const TCompiledLine& line) {
  static const CaseTable lower(LowerChar, 'A', 'Z');
  Recase(run, line, lower);
}

void DoChkSpam(TRunState& run, const TCompiledLine& line) {
  Write(run, line, 0, BoolToText(IsSpam(V(run, line, 1))));
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

}  // namespace

// Indexed by command code, generated from the command list: command <Name> runs Do<Name>.
#define KW_INTERPRETER_COMMAND(Name, Word, Group, Form, MinParams, ...) \
  {TParamForm::Form, MinParams, Do##Name},
const TInterpreterCommand InterpreterCommands[kCommandCount] = {KW_COMMANDS(KW_INTERPRETER_COMMAND)};
#undef KW_INTERPRETER_COMMAND

}  // namespace kw
