// IF conditions. The scan and the comparison are separate so that the interpreter can
// scan a line once when it compiles the script and only compare when the line runs.
#include "script/conditions.h"

#include <cstring>

#include "script/KwartlinConst.h"
#include "script/text.h"
#include "script/variables.h"
#include "support/ProcFunc.h"

namespace kw {
namespace {

// Operator that begins the text, or -1. At one position a two-character operator wins
// over a one-character one ("<=" is not "<" followed by "=").
int OperatorAt(std::string_view text) {
  for (std::size_t width : {std::size_t{2}, std::size_t{1}})
    for (int i = 0; i < kOperatorCount; ++i)
      if (OperatorTable[i].size() == width && text.substr(0, width) == OperatorTable[i]) return i;
  return -1;
}

// Byte-wise order: memcmp compares as unsigned char; a prefix sorts first.
int TextOrder(std::string_view a, std::string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  const int c = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

TConditionParts ScanCondition(std::string_view condition) {
  const std::string_view text = TrimBlanksView(condition);
  TConditionParts parts;
  bool quoted = false;
  std::size_t at = 0;
  for (; at < text.size(); ++at) {
    if (text[at] == '\'') quoted = !quoted;
    if (quoted) continue;
    parts.Operator = OperatorAt(text.substr(at));
    if (parts.Operator >= 0) break;
  }
  parts.Left = TrimBlanks(text.substr(0, at));
  if (parts.Operator >= 0)
    parts.Right = TrimBlanks(text.substr(at + OperatorTable[parts.Operator].size()));
  return parts;
}

bool CompareOperands(std::string_view left, std::optional<std::int32_t> leftNumber,
                     std::string_view right, std::optional<std::int32_t> rightNumber, int op) {
  int order;
  if (leftNumber && rightNumber)
    order = *leftNumber < *rightNumber ? -1 : (*leftNumber > *rightNumber ? 1 : 0);
  else
    order = TextOrder(left, right);
  return OperatorHolds(op, order);
}

bool EvaluateCondition(std::string_view condition) {
  const TConditionParts parts = ScanCondition(condition);
  // Emptiness counts as written: '' is a present operand that resolves to nothing.
  if (parts.Left.empty() || parts.Right.empty()) return false;
  const std::string left = ResolveValue(parts.Left), right = ResolveValue(parts.Right);
  return CompareOperands(left, ParseInt(left), right, ParseInt(right), parts.Operator);
}

}  // namespace kw
