// The tools' texts in Polish and English: one catalog per language and layer, keyed by
// stable identifiers, each text a template whose `{name}` fields are filled at output
// time (`{{` and `}}` stand for a brace), so that no sentence is glued together in code.
//
// Why our own few lines rather than a library: what we need is a lookup by identifier
// and the filling of named fields, in the native, the MinGW i686 and the emscripten
// builds alike. gettext keys texts by their English wording (not stable identifiers),
// ships .mo files beside the program and its libintl has no MinGW or emscripten build
// among Debian's packages; ICU's message format brings tens of megabytes of data and,
// like Boost.Locale (a compiled library on ICU or iconv), has no cross build there
// either. fmt (header-only, so it would build everywhere) fills `{name}` fields, and our
// templates keep its syntax, but a field here is always a text already made and the
// filling is a loop; what fmt cannot give is what matters: a check at compile time that
// both languages have every entry, in order, with the same fields. That is
// `CatalogsAgree` below, which each layer's catalog pair asserts.
//
// A layer keeps its ids in an X-macro list and its two catalogs as arrays of
// `CatalogEntry` in the ids' order, in its own folder (tools/sim/texts*.h is the model);
// `PickText` chooses the process's language. Texts are UTF-8 (u8 literals, whatever the
// compiler's execution character set), as the tools print them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kw {

enum class Language : std::uint8_t { English, Polish };

// The language of the tools' texts in this process: English until a program chooses.
Language TextLanguage();
void SetTextLanguage(Language language);

// "pl" or "en" (either case); nothing for any other name.
std::optional<Language> LanguageNamed(std::string_view name);
std::string_view LanguageName(Language language);

// One field of a template and the text that replaces it.
struct Field {
  std::string_view Name;
  std::string_view Value;
};

// The template with every `{name}` replaced by its field's value and `{{`, `}}` by one
// brace. A field the template names but the call does not give stays as written, so a
// mistake shows in the output rather than losing the text.
std::string FillTemplate(std::string_view text, std::span<const Field> fields);
inline std::string FillTemplate(std::string_view text, std::initializer_list<Field> fields) {
  return FillTemplate(text, std::span<const Field>(fields.begin(), fields.size()));
}

template <typename Id>
struct CatalogEntry {
  Id Key;
  std::u8string_view Text;
};

namespace catalog {

// The field name starting at text[at] (just after its `{`), up to the closing brace;
// empty when no closing brace follows or the name holds a character other than a
// letter, digit or underscore.
constexpr std::u8string_view FieldAt(std::u8string_view text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && text[end] != u8'}') {
    const char8_t c = text[end];
    if (!((c >= u8'a' && c <= u8'z') || (c >= u8'A' && c <= u8'Z') || (c >= u8'0' && c <= u8'9') || c == u8'_'))
      return {};
    ++end;
  }
  if (end >= text.size()) return {};
  return text.substr(at, end - at);
}

// Calls visit(name) for every field; false when a brace is neither a field nor doubled.
template <typename Visit>
constexpr bool ForEachField(std::u8string_view text, Visit visit) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u8'}') {
      if (i + 1 >= text.size() || text[i + 1] != u8'}') return false;
      ++i;
    } else if (text[i] == u8'{') {
      if (i + 1 < text.size() && text[i + 1] == u8'{') {
        ++i;
        continue;
      }
      const std::u8string_view name = FieldAt(text, i + 1);
      if (name.empty()) return false;
      visit(name);
      i += name.size() + 1;
    }
  }
  return true;
}

constexpr bool HasField(std::u8string_view text, std::u8string_view name) {
  bool found = false;
  ForEachField(text, [&](std::u8string_view n) { found = found || n == name; });
  return found;
}

// Both templates well formed, and every field of one is a field of the other (in any
// order: a language puts its words where it needs them).
constexpr bool SameFields(std::u8string_view a, std::u8string_view b) {
  bool same = true;
  const bool formed = ForEachField(a, [&](std::u8string_view n) { same = same && HasField(b, n); }) &&
                      ForEachField(b, [&](std::u8string_view n) { same = same && HasField(a, n); });
  return formed && same;
}

}  // namespace catalog

// The index of the first entry where the catalogs disagree (an id out of its place, a
// missing entry, a malformed template, different fields); N when they agree.
template <typename Id, std::size_t N, std::size_t M>
constexpr std::size_t FirstDisagreement(const CatalogEntry<Id> (&english)[N], const CatalogEntry<Id> (&polish)[M]) {
  for (std::size_t i = 0; i < N; ++i) {
    if (i >= M || english[i].Key != static_cast<Id>(i) || polish[i].Key != static_cast<Id>(i) ||
        english[i].Text.empty() || polish[i].Text.empty() || !catalog::SameFields(english[i].Text, polish[i].Text))
      return i;
  }
  return N == M ? N : N + 1;
}

template <typename Id, std::size_t N, std::size_t M>
constexpr bool CatalogsAgree(const CatalogEntry<Id> (&english)[N], const CatalogEntry<Id> (&polish)[M]) {
  return N == M && FirstDisagreement(english, polish) == N;
}

// The template of id in the process's language.
template <typename Id, std::size_t N>
std::string_view PickText(const CatalogEntry<Id> (&english)[N], const CatalogEntry<Id> (&polish)[N], Id id) {
  const auto at = static_cast<std::size_t>(id);
  if (at >= N) return {};
  const std::u8string_view text = (TextLanguage() == Language::Polish ? polish : english)[at].Text;
  return {reinterpret_cast<const char*>(text.data()), text.size()};
}

}  // namespace kw
