// Stub.
#include "script/text.h"
namespace kw {
std::string TrimBlanks(std::string_view t) { return std::string(t); }
std::string_view TrimBlanksView(std::string_view t) { return t; }
std::size_t FindBlank(std::string_view) { return 0; }
TListaStr SplitParameters(std::string_view) { return {}; }
TLista SplitAtChar(std::string_view, char) { return {}; }
std::string UnescapeText(std::string_view t) { return std::string(t); }
std::string EscapeText(std::string_view t) { return std::string(t); }
std::string_view BoolToText(bool b) { return b ? "1" : "0"; }
bool TextToBool(std::string_view) { return false; }
std::int32_t BinaryTextToInt(std::string_view) { return 0; }
}  // namespace kw
