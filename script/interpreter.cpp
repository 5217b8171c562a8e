// Stub.
#include "script/interpreter.h"
namespace kw {
void RunScript(const TScriptLines&, int) {}
void RunScriptBounded(const TScriptLines&, int, std::int64_t) {}
}  // namespace kw
