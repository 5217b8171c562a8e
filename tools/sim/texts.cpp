// The catalogs' lookup, and the compile-time test that both languages have every text,
// in the ids' order, with the same fields.
#include "tools/sim/texts.h"

#include <cstddef>

#include "tools/sim/texts_en.h"
#include "tools/sim/texts_pl.h"

namespace kwsim {
namespace {

#define KW_SIM_TEXT_ONE(name) +1
constexpr std::size_t kTextCount = 0 KW_SIM_TEXTS(KW_SIM_TEXT_ONE);
#undef KW_SIM_TEXT_ONE

static_assert(std::size(kEnglish) == kTextCount, "texts_en.h has an entry for every id of KW_SIM_TEXTS");
static_assert(std::size(kPolish) == kTextCount, "texts_pl.h has an entry for every id of KW_SIM_TEXTS");
// The index of the first entry out of place, malformed or with other fields than its
// twin shows in the compiler's message as the left side.
static_assert(kw::FirstDisagreement(kEnglish, kPolish) == kTextCount,
              "both catalogs list the ids in order, each text well formed with the same fields");

}  // namespace

std::string_view Text(TextId id) { return kw::PickText(kEnglish, kPolish, id); }

std::string Say(TextId id, std::initializer_list<kw::Field> fields) { return kw::FillTemplate(Text(id), fields); }
std::string Say(TextId id, std::span<const kw::Field> fields) { return kw::FillTemplate(Text(id), fields); }

TextId PluralOf(std::int64_t n, TextId one, TextId few, TextId many) {
  if (n == 1) return one;
  if (kw::TextLanguage() != kw::Language::Polish) return many;
  const std::int64_t tens = n % 100, units = n % 10;
  return units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? few : many;
}

std::string AtLine(std::string_view where, std::int64_t line, std::string_view text) {
  return AtPlace(std::string(where) + ':' + std::to_string(line), text);
}

std::string AtPlace(std::string_view where, std::string_view text) {
  std::string out(where);
  out += ": ";
  out += text;
  return out;
}

std::string LanguageArgument(int argc, const char* const* argv) {
  std::string chosen;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--lang" && i + 1 < argc) chosen = argv[++i];
    else if (arg.substr(0, 7) == "--lang=") chosen = arg.substr(7);
  }
  return chosen;
}

}  // namespace kwsim
