// The casing rule: upper and lower case by the letter pairs of Windows-1250, the same
// on every machine whatever its own code page. Every case-insensitive match of the
// plugin (keywords, labels, names, menu ids) goes through UpperCase.
#pragma once

#include <string>
#include <string_view>

namespace kw {

char UpperChar(char c);
char LowerChar(char c);
std::string UpperCase(std::string_view text);
void UpperCaseInPlace(std::string& text);
void LowerCaseInPlace(std::string& text);
// Upper-cases both and compares exactly.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace kw
