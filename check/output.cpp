#include "check/output.h"

#include <cstdio>

#include "support/message.h"

namespace kwcheck {

std::string JsonText(std::string_view utf8) {
  std::string out = "\"";
  out.reserve(utf8.size() + 2);
  std::size_t plain = 0;  // where the bytes not yet copied start
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    const bool special = c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    if (!special) continue;
    // The plain bytes before an escape go in at once: the playground's answers quote
    // every trace record, byte by byte this cost more than the run.
    out.append(utf8.substr(plain, i - plain));
    plain = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        out += escaped;
      }
    }
  }
  out.append(utf8.substr(plain));
  out += '"';
  return out;
}

namespace {

// The text format's own words beside the messages, in both languages.
enum class TOutputText : unsigned char { FixNote };
constexpr kw::CatalogEntry<TOutputText> kEnglishOutput[] = {{TOutputText::FixNote, u8" (fix: {title})"}};
constexpr kw::CatalogEntry<TOutputText> kPolishOutput[] = {{TOutputText::FixNote, u8" (poprawka: {title})"}};
static_assert(kw::CatalogsAgree(kEnglishOutput, kPolishOutput), "the output's words agree in both languages");

std::string Position(std::string_view file, const TFinding& f) {
  return std::string(file) + ":" + std::to_string(f.Line) + ":" + std::to_string(f.Column) + ": ";
}

}  // namespace

std::string TextLine(std::string_view file, const TFinding& f) {
  std::string line = Position(file, f) + CodeText(f.Code) + " " + std::string(f.Kind().Name) + ": " + f.MessageText();
  if (f.Fix) {
    const std::string title = FixTitle(*f.Fix);
    line += kw::FillTemplate(kw::PickText(kEnglishOutput, kPolishOutput, TOutputText::FixNote), {{"title", title}});
  }
  return line;
}

std::string GccLine(std::string_view file, const TFinding& f) {
  return Position(file, f) + std::string(SeverityName(f.Kind().Severity)) + ": " + f.MessageText() + " [" + CodeText(f.Code) +
         "]";
}

std::string FindingJson(const TFinding& f, std::string_view file) {
  std::string out = "{";
  if (!file.empty()) out += "\"file\":" + JsonText(file) + ",";
  out += "\"line\":" + std::to_string(f.Line) + ",\"column\":" + std::to_string(f.Column) +
         ",\"endColumn\":" + std::to_string(f.EndColumn) + ",\"code\":" + JsonText(CodeText(f.Code)) +
         ",\"name\":" + JsonText(f.Kind().Name) + ",\"severity\":" + JsonText(SeverityName(f.Kind().Severity)) +
         ",\"message\":" + JsonText(f.MessageText()) + ",\"messageId\":" + JsonText(MessageId(f.Message));
  if (f.Fix)
    out += ",\"fix\":{\"line\":" + std::to_string(f.Fix->Line) + ",\"column\":" + std::to_string(f.Fix->Column) +
           ",\"endColumn\":" + std::to_string(f.Fix->EndColumn) + ",\"text\":" + JsonText(f.Fix->Text) +
           ",\"title\":" + JsonText(FixTitle(*f.Fix)) + "}";
  out += "}";
  return out;
}

}  // namespace kwcheck
