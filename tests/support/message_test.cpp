// Message templates and catalogs: filling fields, the compile-time agreement of two
// catalogs, and the choice of language from option, environment and locale.
#include <gtest/gtest.h>

#include "support/language.h"
#include "support/message.h"

using namespace kw;

TEST(FillTemplate, FieldsBracesAndMistakes) {
  struct Case {
    std::string_view Template, Want;
  };
  const Case cases[] = {
      {"{name} at line {line}", "ania at line 7"},
      {"{line}: {name}, {name}", "7: ania, ania"},         // a field twice, in another order
      {"{{name}} is {name}", "{name} is ania"},            // doubled braces are braces
      {"{{{name}}}", "{ania}"},
      {"{missing} stays", "{missing} stays"},              // a field the call lacks shows
      {"{ unclosed", "{ unclosed"},
      {"ends with {", "ends with {"},
      {"zażółć {name}", "zażółć ania"},                    // UTF-8 around a field
  };
  for (const Case& c : cases)
    EXPECT_EQ(FillTemplate(c.Template, {{"name", "ania"}, {"line", "7"}}), c.Want) << c.Template;
  // A value is never read as a template itself.
  EXPECT_EQ(FillTemplate("{a}", {{"a", "{b}"}, {"b", "x"}}), "{b}");
}

namespace {
enum class Id { First, Second };
constexpr CatalogEntry<Id> kEn[] = {{Id::First, u8"{name} ran"}, {Id::Second, u8"line {line}"}};
constexpr CatalogEntry<Id> kPl[] = {{Id::First, u8"{name} działał"}, {Id::Second, u8"wiersz {line}"}};
constexpr CatalogEntry<Id> kSwapped[] = {{Id::Second, u8"wiersz {line}"}, {Id::First, u8"{name} działał"}};
constexpr CatalogEntry<Id> kOtherField[] = {{Id::First, u8"{entry} działał"}, {Id::Second, u8"wiersz {line}"}};
constexpr CatalogEntry<Id> kExtraField[] = {{Id::First, u8"{name} działał {line}"}, {Id::Second, u8"wiersz {line}"}};
constexpr CatalogEntry<Id> kMalformed[] = {{Id::First, u8"{name działał"}, {Id::Second, u8"wiersz {line}"}};
constexpr CatalogEntry<Id> kLoneBrace[] = {{Id::First, u8"{name} działał }"}, {Id::Second, u8"wiersz {line}"}};
constexpr CatalogEntry<Id> kShort[] = {{Id::First, u8"{name} działał"}};
constexpr CatalogEntry<Id> kEmpty[] = {{Id::First, u8"{name} działał"}, {Id::Second, u8""}};
}  // namespace

// What each layer's static_assert relies on: every way two catalogs can part is caught.
static_assert(CatalogsAgree(kEn, kPl));
static_assert(FirstDisagreement(kEn, kSwapped) == 0);
static_assert(FirstDisagreement(kEn, kOtherField) == 0);
static_assert(FirstDisagreement(kEn, kExtraField) == 0);
static_assert(FirstDisagreement(kEn, kMalformed) == 0);
static_assert(FirstDisagreement(kEn, kLoneBrace) == 0);
static_assert(!CatalogsAgree(kEn, kShort) && !CatalogsAgree(kShort, kEn));
static_assert(FirstDisagreement(kEn, kEmpty) == 1);
static_assert(catalog::SameFields(u8"{a} {{b}} {c}", u8"{c} {a} {{x}}"));

TEST(Catalog, PicksTheProcessLanguage) {
  SetTextLanguage(Language::Polish);
  EXPECT_EQ(PickText(kEn, kPl, Id::Second), "wiersz {line}");
  SetTextLanguage(Language::English);
  EXPECT_EQ(PickText(kEn, kPl, Id::Second), "line {line}");
}

TEST(Language, FromLocaleVariables) {
  struct Case {
    std::string_view All, Messages, Lang;
    Language Want;
  };
  const Case cases[] = {
      {"", "", "pl_PL.UTF-8", Language::Polish},
      {"", "", "pl", Language::Polish},
      {"", "", "PL_pl", Language::Polish},
      {"", "", "en_GB.UTF-8", Language::English},
      {"", "", "", Language::English},
      {"C", "", "pl_PL.UTF-8", Language::English},    // the first one set decides
      {"", "pl_PL.ISO-8859-2", "en_US", Language::Polish},
      {"en_US.UTF-8", "pl_PL", "pl_PL", Language::English},
      {"pl_PL.UTF-8", "", "", Language::Polish},
      {"", "", "p", Language::English},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LanguageOfLocale(c.All, c.Messages, c.Lang), c.Want) << c.All << '|' << c.Messages << '|' << c.Lang;
}

TEST(Language, OptionThenEnvironmentThenSystem) {
  struct Case {
    std::string_view Option, Environment;
    Language System, Want;
  };
  const Case cases[] = {
      {"pl", "en", Language::English, Language::Polish},
      {"EN", "pl", Language::Polish, Language::English},
      {"", "pl", Language::English, Language::Polish},
      {"", "", Language::Polish, Language::Polish},
      {"de", "xx", Language::Polish, Language::Polish},  // unknown names count as not given
      {"polski", "", Language::English, Language::English},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseLanguage(c.Option, c.Environment, c.System), c.Want) << c.Option << '|' << c.Environment;
}
