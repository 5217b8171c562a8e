// Inputs that the fuzz targets (fuzz/) found to fail, kept as tests of their own so
// that they run on both targets in every build.
#include "inprocess_fixture.h"

#include "settings/settings.h"

namespace kwhard {
namespace {

class FuzzRegressions : public InProcess {
 protected:
  // The value after SaveSettings and LoadSettings.
  static std::string RoundTrip(const std::string& value) {
    kw::ClearVariables();
    kw::SetVariable("$V", value, true);
    EXPECT_TRUE(kw::SaveSettings(kw::SettingsPath, kw::VariableTable, kw::OptionsFormRect));
    kw::ClearVariables();
    kw::LoadSettings(kw::SettingsPath, kw::VariableTable, kw::OptionsFormRect);
    return kw::ResolveValue("$V");
  }
};

// settings target: two CR LF breaks in a row came back as three line breaks (the LF CR
// in their middle was taken for a break first). Every break is one LF CR, no more.
TEST_F(FuzzRegressions, CrLfPairsStayOneBreakEach) {
  struct Case {
    std::string value, loaded;
  } cases[] = {
      {"a\r\n\r\nb", "a\n\r\n\rb"},
      {"\r\n\r\n\r\n", "\n\r\n\r\n\r"},
      {"a\n\r\n\rb", "a\n\r\n\rb"},
      {"\r\r\n\n", "\n\r\n\r\n\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.loaded.size());
    EXPECT_EQ(RoundTrip(c.value), c.loaded);
    EXPECT_EQ(RoundTrip(c.loaded), c.loaded);  // stable from then on
  }
}

}  // namespace
}  // namespace kwhard
