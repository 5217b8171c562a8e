// The INI index at scale and under long runs of edits: tens of thousands of keys save
// and read back (the save must stay linear), and after any series of edits the text
// reads exactly as a fresh parse of what it would write.
#include <gtest/gtest.h>

#include <random>

#include "script/variables.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "settings_fixture.h"

using namespace kw;
using namespace std::string_literals;

namespace {

constexpr int kMany = 50'000;

std::string Key(int i) { return "$V" + std::to_string(i); }

// Values that take every path of a line: plain, quoted, empty, escaped line breaks.
std::string ValueOf(int i) {
  switch (i % 5) {
    case 0: return std::string(" padded ").append(std::to_string(i));
    case 1: return "";
    case 2: return std::string("'").append(std::to_string(i)).append("'");
    case 3: return std::string("a=b;[c] ").append(std::to_string(i));
    default: return std::to_string(i);
  }
}

// Keys added inside a section that other lines follow, then every other one replaced
// through a spelling of another case: the bytes are the ones each edit alone gives.
TEST(IniTextScale, ManyKeysInsideASectionWriteInPlace) {
  TIniText ini("; notes\r\n[S]\r\nfirst=1\r\n\r\n\r\n[T]\r\nt=1");
  for (int i = 0; i < kMany; ++i) ini.SetValue("S", Key(i), ValueOf(i));
  for (int i = 0; i < kMany; i += 2) ini.SetValue("s", "$v" + std::to_string(i), "new");
  ini.SetValue("T", "u", "2");

  std::string want = "; notes\r\n[S]\r\nfirst=1\r\n";
  for (int i = 0; i < kMany; ++i)
    want += Key(i) + "=" + (i % 2 == 0 ? "new"s : QuoteProfileValue(ValueOf(i))) + "\r\n";
  want += "\r\n\r\n[T]\r\nt=1\r\nu=2\r\n";
  ASSERT_EQ(ini.Text(), want);

  const TIniText reread(want);
  const std::vector<std::string> keys = reread.Keys("S");
  ASSERT_EQ(keys.size(), std::size_t{kMany} + 1);
  for (int i = 0; i < kMany; ++i) {
    ASSERT_EQ(keys[static_cast<std::size_t>(i) + 1], Key(i));
    ASSERT_EQ(reread.Value("S", Key(i)), i % 2 == 0 ? "new"s : ValueOf(i)) << i;
  }
}

// Settings through the portable profile, on every platform: every variable saved, in
// table order, and read back whole.
TEST(IniTextScale, ManySavedVariablesRoundTrip) {
  kwtest::TempFolder folder;
  const std::string path = folder / "many.ini";
  kwtest::WriteBytes(path, "[Var_Save]\r\n$OLD=gone\r\n[Other]\r\nx=1\r\n");
  kwtest::SettingsState state;
  for (int i = 0; i < kMany; ++i) state.Variables.Append(TZmienna{Key(i), ValueOf(i), i % 7 != 3});
  {
    TIniProfile profile;
    ASSERT_TRUE(profile.Open(path, TProfileMode::Update));
    SaveVariables(profile, state.Variables);
    ASSERT_TRUE(profile.Commit());
  }
  TIniProfile profile;
  ASSERT_TRUE(profile.Open(path, TProfileMode::Read));
  std::vector<std::string> want;
  for (int i = 0; i < kMany; ++i)
    if (i % 7 != 3) want.push_back(Key(i));
  EXPECT_EQ(profile.ReadKeys("Var_Save"), want);
  for (int i = 0; i < kMany; ++i)
    ASSERT_EQ(profile.ReadString("Var_Save", Key(i), "<absent>"), i % 7 != 3 ? ValueOf(i) : "<absent>") << i;
  EXPECT_EQ(profile.ReadString("Other", "x", ""), "1");

#ifndef _WIN32
  // And the whole settings store, which uses the same profile here.
  const std::string before = kwtest::ReadBytes(path);
  state.SettingsPath = path;
  ASSERT_TRUE(state.Save());
  state.Variables.Clear();
  state.Load();
  EXPECT_EQ(state.Variables.size(), want.size());
  for (int i = 0; i < kMany; i += 997) {
    const long at = state.Variables.Find(Key(i));
    if (i % 7 == 3) {
      EXPECT_LT(at, 0) << i;
      continue;
    }
    ASSERT_GE(at, 0) << i;
    EXPECT_EQ(state.Variables[static_cast<std::size_t>(at)].Value, ValueOf(i)) << i;
  }
  EXPECT_TRUE(kwtest::ReadBytes(path).starts_with(before));  // the same again, then the rectangle
#endif
}

// Random files and long runs of edits, names that differ only in case, duplicate
// sections and keys, comments, copies: after every edit, every question gets the answer
// that a fresh reading of the written text gives.
TEST(IniTextScale, EditedTextReadsAsAFreshParse) {
  std::mt19937 random(7);
  const std::string fileBytes = "[]=;\r\n \t\"'\0aAsS$"s;
  const std::string nameBytes = "[]=; \"'\0aAsS$"s;  // written lines hold no line breaks
  auto text = [&](const std::string& bytes, std::size_t maxLength) {
    std::string s(random() % (maxLength + 1), '\0');
    for (char& c : s) c = bytes[random() % bytes.size()];
    return s;
  };
  const std::string probes[] = {"S", "s", "A", "", ";", "[", "a", " S", "S]", "$"};
  auto pick = [&] { return random() % 3 == 0 ? text(nameBytes, 3) : probes[random() % std::size(probes)]; };
  for (int round = 0; round < 120; ++round) {
    // Keys that a written value can turn into a section header, with an empty name, a
    // comment's name: rare in random bytes, so half the files begin with them.
    TIniText ini((round % 2 ? "[S]\r\n[=1\r\n[a=2\r\n;=3\r\n=4\r\n; c\r\n"s : ""s) + text(fileBytes, 150));
    for (int step = 0; step < 30; ++step) {
      switch (random() % 8) {
        case 0: ini.EraseSection(pick()); break;
        case 1: ini = TIniText(ini); break;
        default: ini.SetValue(pick(), pick(), text(nameBytes, 4)); break;
      }
      const TIniText fresh(ini.Text());
      for (const std::string& section : probes) {
        ASSERT_EQ(ini.Keys(section), fresh.Keys(section)) << round << "/" << step;
        for (const std::string& key : probes)
          ASSERT_EQ(ini.Value(section, key), fresh.Value(section, key)) << round << "/" << step;
      }
    }
  }
}

}  // namespace
