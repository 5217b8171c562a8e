// Stub.
#include "script/spam.h"
namespace kw {
void LoadSpamList() {}
bool IsSpam(std::string_view) { return false; }
std::string FoldPolishLetters(std::string_view t) { return std::string(t); }
std::vector<std::string> DelimitedSplit(std::string_view, char) { return {}; }
}  // namespace kw
