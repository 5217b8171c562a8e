// Stub.
#include "script/variables.h"
namespace kw {
long TZmienne::Find(std::string_view) const { return -1; }
std::size_t TZmienne::Append(TZmienna v) { items_.push_back(std::move(v)); return items_.size() - 1; }
void TZmienne::Clear() { items_.clear(); index_.clear(); }
std::string ResolveValue(std::string_view p) { return std::string(p); }
void SetVariable(std::string_view, std::string_view, bool) {}
void SetSaveFlag(std::string_view, bool) {}
void ClearVariables() {}
}  // namespace kw
