// The simulator's texts: Polish plural forms, the --lang argument read before the
// command line, and a trace line laid out by characters, not bytes, in Polish.
#include <gtest/gtest.h>

#include "tools/sim/texts.h"
#include "tools/sim/trace_text.h"

using kwsim::TextId;

namespace {

// Sets the language for one test and puts English back, the other tests' language.
struct InLanguage {
  explicit InLanguage(kw::Language language) { kw::SetTextLanguage(language); }
  ~InLanguage() { kw::SetTextLanguage(kw::Language::English); }
};

}  // namespace

TEST(SimTexts, PolishPluralForms) {
  const InLanguage polish(kw::Language::Polish);
  const std::pair<std::int64_t, TextId> cases[] = {
      {1, TextId::FileWrittenOne},   {2, TextId::FileWrittenFew},   {4, TextId::FileWrittenFew},
      {5, TextId::FileWrittenMany},  {0, TextId::FileWrittenMany},  {11, TextId::FileWrittenMany},
      {12, TextId::FileWrittenMany}, {14, TextId::FileWrittenMany}, {22, TextId::FileWrittenFew},
      {25, TextId::FileWrittenMany}, {101, TextId::FileWrittenMany}, {112, TextId::FileWrittenMany},
      {1024, TextId::FileWrittenFew},
  };
  for (const auto& [n, want] : cases)
    EXPECT_EQ(kwsim::PluralOf(n, TextId::FileWrittenOne, TextId::FileWrittenFew, TextId::FileWrittenMany), want) << n;
  EXPECT_EQ(kwsim::Say(TextId::FileWrittenFew, {{"file", "Kwartlin.dat"}, {"lines", "3"}}),
            "Kwartlin.dat zapisany, 3 wiersze");
}

TEST(SimTexts, LanguageArgument) {
  struct Case {
    std::vector<const char*> Args;
    std::string Want;
  };
  const Case cases[] = {
      {{"kwartlin-sim", "check", "--lang", "pl", "a.dat"}, "pl"},
      {{"kwartlin-sim", "--lang=en", "help"}, "en"},
      {{"kwartlin-sim", "--lang", "pl", "run", "--lang", "en", "t.txt"}, "en"},  // the last wins
      {{"kwartlin-sim", "run", "--", "--lang", "pl"}, ""},                        // a file's name
      {{"kwartlin-sim", "run", "--lang"}, ""},
      {{"kwartlin-sim", "run", "--language", "pl"}, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(kwsim::LanguageArgument(static_cast<int>(c.Args.size()), c.Args.data()), c.Want) << c.Args[1];
}

TEST(SimTexts, PolishTraceLineKeepsItsColumn) {
  const InLanguage polish(kw::Language::Polish);
  kwsim::TraceLine line;
  line.Label = std::string(kwsim::Text(TextId::TraceLabelSave));  // "zachowanie": ASCII
  line.Text = "x";
  EXPECT_EQ(kwsim::TraceLineText(line).find('x'), kwsim::kLabelWidth);
  line.Label = std::string(kwsim::Text(TextId::TraceLabelTrace));  // "śledzenie": 9 letters, 10 bytes
  EXPECT_EQ(kwsim::DisplayWidth(kwsim::TraceLineText(line)), kwsim::kLabelWidth + 1);
  EXPECT_EQ(kwsim::Grouped(-1234567), "-1 234 567");
}
