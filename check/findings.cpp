#include "check/findings.h"

#include <algorithm>

namespace kwcheck {

const TFindingKind& FindingKind(int code) {
  for (const TFindingKind& k : kFindingKinds)
    if (k.Code == code) return k;
  return kFindingKinds[0];
}

const TFindingKind& TFinding::Kind() const { return FindingKind(Code); }

namespace {
struct TMessageEntry {
  std::string_view Id;
  std::string_view Template;
};
#define KW_MESSAGE_ENTRY(Id, Template) {#Id, Template},
constexpr TMessageEntry kMessages[] = {KW_MESSAGES(KW_MESSAGE_ENTRY)};
#undef KW_MESSAGE_ENTRY
}  // namespace

std::string_view MessageId(TMessage message) { return kMessages[static_cast<std::size_t>(message)].Id; }
std::string_view MessageTemplate(TMessage message) {
  return kMessages[static_cast<std::size_t>(message)].Template;
}

std::string FillTemplate(std::string_view text, const TFields& fields) {
  std::string out;
  out.reserve(text.size() + 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
      out += c;
      ++i;
      continue;
    }
    const std::size_t close = c == '{' ? text.find('}', i) : std::string_view::npos;
    if (close == std::string_view::npos) {
      out += c;
      continue;
    }
    const std::string_view name = text.substr(i + 1, close - i - 1);
    const auto field = std::find_if(fields.begin(), fields.end(), [&](const TField& f) { return f.Name == name; });
    if (field == fields.end()) {
      out += c;
      continue;
    }
    out += field->Value;
    i = close;
  }
  return out;
}

std::string TFinding::MessageText() const { return FillTemplate(MessageTemplate(Message), Fields); }

std::string FixTitle(const TFix& fix) { return FillTemplate(MessageTemplate(fix.Title), fix.TitleFields); }

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
