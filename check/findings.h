// What the checker reports: findings at a line and columns, each of a kind from the
// list (finding_list.h), with an optional fix that does what the line evidently meant.
// Positions count from 1, in characters of the line (a Windows-1250 byte is one);
// EndColumn is exclusive. A finding carries its message as an id of message_list.h and
// named fields; the text is made when it is written out, from the template of the
// process's language (kw::TextLanguage: messages_pl.h or the list's English). Fields
// and fix texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "check/finding_list.h"
#include "check/message_list.h"

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

#define KW_MESSAGE_ENUM(Id, Template) Id,
enum class TMessage : unsigned short { KW_MESSAGES(KW_MESSAGE_ENUM) };
#undef KW_MESSAGE_ENUM

// One named field of a message: the value that fills its {Name} placeholders.
struct TField {
  std::string_view Name;
  std::string Value;  // UTF-8
};
using TFields = std::vector<TField>;

// A replacement of one span of one line.
struct TFix {
  int Line = 0;
  int Column = 0;
  int EndColumn = 0;
  std::string Text;  // what replaces the span
  TMessage Title{};  // what the fix does, for a menu
  TFields TitleFields;
};

struct TFinding {
  int Line = 0;
  int Column = 1;
  int EndColumn = 1;
  int Code = 0;
  TMessage Message{};
  TFields Fields;
  std::optional<TFix> Fix;

  const TFindingKind& Kind() const;
  std::string MessageText() const;  // in the process's language
};

// The message's stable id ("MissingLabel") and its template in the process's language.
std::string_view MessageId(TMessage message);
std::string_view MessageTemplate(TMessage message);
// The template with each {name} replaced by its field's value ({{ and }} stand for a
// brace); a placeholder without a field stays as written.
std::string FillTemplate(std::string_view text, const TFields& fields);
// What a fix does, in the process's language.
std::string FixTitle(const TFix& fix);

// The kind with this code; the list's first kind when none has it (a slip in code that
// the tests catch, never a crash).
const TFindingKind& FindingKind(int code);

// "KW101"
std::string CodeText(int code);
std::string_view SeverityName(TSeverity severity);  // "error", "warning", "note"

}  // namespace kwcheck
