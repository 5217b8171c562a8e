// Stub.
#include "script/conditions.h"
namespace kw {
bool EvaluateCondition(std::string_view) { return false; }
}  // namespace kw
