// The condition of an IF line: operand, operator, operand. The first operator outside
// single quotes splits it; the comparison is numeric when both resolved operands are
// integers, else by unsigned byte codes (case-sensitive, no locale).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kw {

// A condition cut at its operator, operands as written (trimmed, quotes still in place).
struct TConditionParts {
  std::string Left;   // text before the operator
  int Operator = -1;  // position in OperatorTable; -1 when the text holds none
  std::string Right;  // text after the operator, further operator characters included
};

TConditionParts ScanCondition(std::string_view condition);

// Whether OperatorTable[op] holds between two operands in this order (below 0: left
// first; 0: equal; above 0: right first).
inline bool OperatorHolds(int op, int order) {
  switch (op) {
    case 0:  // <>
    case 1:  // !=
      return order != 0;
    case 2: return order >= 0;  // >=
    case 3: return order <= 0;  // <=
    case 4: return order < 0;   // <
    case 5: return order > 0;   // >
    case 6: return order == 0;  // =
    default: return false;
  }
}

// Applies OperatorTable[op] to two resolved operands. The numbers, when given, must be
// ParseInt of the texts (callers that cached them skip the parse).
bool CompareOperands(std::string_view left, std::optional<std::int32_t> leftNumber,
                     std::string_view right, std::optional<std::int32_t> rightNumber, int op);

// True when the condition holds; false also when an operand is missing. Writes nothing.
bool EvaluateCondition(std::string_view condition);

}  // namespace kw
