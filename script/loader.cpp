// Stub.
#include "script/loader.h"
namespace kw {
std::vector<std::string> SplitFileLines(std::string_view) { return {}; }
void PrepareScriptLines(TScriptLines&) {}
void ReloadScript(bool) {}
int FindLabel(const TScriptLines&, std::string_view, int notFound) { return notFound; }
}  // namespace kw
