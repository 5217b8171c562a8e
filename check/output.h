// The findings written out, one small function per format: text for people, gcc-style
// lines for editors (file:line:column: severity: message [code]), and JSON objects for
// tools and the playground. Messages and fix titles are in the process's language; what
// tools read (codes, names, severities, JSON keys) stays English. Everything is UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "check/findings.h"

namespace kwcheck {

// "KW309 url-cut: message (fix: quote the address)" after "file:line:column: ", in the
// process's language (the code and name stay).
std::string TextLine(std::string_view file, const TFinding& f);
// "file:line:column: error: message [KW309]"
std::string GccLine(std::string_view file, const TFinding& f);
// {"line":L,"column":C,"endColumn":E,"code":"KW309","name":"url-cut","severity":"error",
//  "message":"...","messageId":"UrlCut","fix":{...}}; with a file name first when file is not empty.
std::string FindingJson(const TFinding& f, std::string_view file = {});
// A JSON string literal of UTF-8 text.
std::string JsonText(std::string_view utf8);

}  // namespace kwcheck
