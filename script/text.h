// Small text operations the engine shares: blanks, splitting, the "\n" escape and
// truth values. A line break inside a value is the pair LF CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

using TListaStr = std::vector<std::string>;
using TLista = std::vector<std::string>;

inline constexpr std::string_view kLineBreak = "\n\r";  // LF then CR

std::string TrimBlanks(std::string_view text);           // spaces and tabs only
std::string_view TrimBlanksView(std::string_view text);
std::size_t FindBlank(std::string_view text);             // 1-based; 0 = none
// A file's text as lines, split at CR, LF or CR LF. A zero byte ends its own line (the
// rest of that line is dropped) and no other: a reader for which it ends the whole text
// cuts the text there first.
std::vector<std::string> SplitFileLines(std::string_view text);
TListaStr SplitParameters(std::string_view text);
TLista SplitAtChar(std::string_view text, char c);
std::string UnescapeText(std::string_view text);          // "\n" / "\N" -> LF CR
bool HasEscape(std::string_view text);                    // holds "\n" or "\N"
std::string EscapeText(std::string_view text);            // LF CR -> "\n"
std::string_view BoolToText(bool b);
bool TextToBool(std::string_view text);
std::int32_t BinaryTextToInt(std::string_view text);

}  // namespace kw
