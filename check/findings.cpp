#include "check/findings.h"

namespace kwcheck {

const TFindingKind& FindingKind(int code) {
  for (const TFindingKind& k : kFindingKinds)
    if (k.Code == code) return k;
  return kFindingKinds[0];
}

const TFindingKind& TFinding::Kind() const { return FindingKind(Code); }

std::string CodeText(int code) { return "KW" + std::to_string(code); }

std::string_view SeverityName(TSeverity severity) {
  switch (severity) {
    case TSeverity::Error: return "error";
    case TSeverity::Warning: return "warning";
    case TSeverity::Note: return "note";
  }
  return "note";
}

}  // namespace kwcheck
