// What the checker reports: findings at a line and columns, each of a kind from the
// list (finding_list.h), with an optional fix that does what the line evidently meant.
// Positions count from 1, in characters of the line (a Windows-1250 byte is one);
// EndColumn is exclusive. Messages and fix texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "check/finding_list.h"

namespace kwcheck {

enum class TSeverity { Error, Warning, Note };

// One kind of finding, as the list declares it.
struct TFindingKind {
  int Code;
  std::string_view Name;
  TSeverity Severity;
  std::string_view Summary;
};

#define KW_FINDING_KIND(Code, Name, Severity, Summary) {Code, Name, TSeverity::Severity, Summary},
inline constexpr TFindingKind kFindingKinds[] = {KW_FINDINGS(KW_FINDING_KIND)};
#undef KW_FINDING_KIND

// A replacement of one span of one line.
struct TFix {
  int Line = 0;
  int Column = 0;
  int EndColumn = 0;
  std::string Text;   // what replaces the span
  std::string Title;  // what the fix does, for a menu
};

struct TFinding {
  int Line = 0;
  int Column = 1;
  int EndColumn = 1;
  int Code = 0;
  std::string Message;
  std::optional<TFix> Fix;

  const TFindingKind& Kind() const;
};

// The kind with this code; the list's first kind when none has it (a slip in code that
// the tests catch, never a crash).
const TFindingKind& FindingKind(int code);

// "KW101"
std::string CodeText(int code);
std::string_view SeverityName(TSeverity severity);  // "error", "warning", "note"

}  // namespace kwcheck
