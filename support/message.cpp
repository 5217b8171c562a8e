// Filling a template's fields, and the process's language.
#include "support/message.h"

namespace kw {
namespace {

// One process, one language, chosen at its start (or, in the playground, before each
// call from the page): a plain value, read wherever a text is made.
Language gLanguage = Language::English;

}  // namespace

Language TextLanguage() { return gLanguage; }
void SetTextLanguage(Language language) { gLanguage = language; }

std::optional<Language> LanguageNamed(std::string_view name) {
  if (name.size() != 2) return std::nullopt;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  const std::string folded{lower(name[0]), lower(name[1])};
  if (folded == "pl") return Language::Polish;
  if (folded == "en") return Language::English;
  return std::nullopt;
}

std::string_view LanguageName(Language language) { return language == Language::Polish ? "pl" : "en"; }

std::string FillTemplate(std::string_view text, std::span<const Field> fields) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
      out += c;
      ++i;
      continue;
    }
    if (c == '{') {
      const std::size_t close = text.find('}', i + 1);
      if (close != std::string_view::npos) {
        const std::string_view name = text.substr(i + 1, close - i - 1);
        const Field* field = nullptr;
        for (const Field& f : fields)
          if (f.Name == name) field = &f;
        if (field != nullptr) {
          out += field->Value;
          i = close;
          continue;
        }
      }
    }
    out += c;
  }
  return out;
}

}  // namespace kw
