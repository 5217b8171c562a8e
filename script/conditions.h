// The condition of an IF line: operand, operator, operand; numeric when both are integers.
#pragma once

#include <string_view>

namespace kw {

bool EvaluateCondition(std::string_view condition);

}  // namespace kw
