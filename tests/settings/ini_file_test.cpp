// The portable INI text: how it reads hand-made and broken files, that a write touches
// only its own lines, and that whatever is written reads back the same.
#include <gtest/gtest.h>

#include <random>

#include "settings/ini_file.h"
#include "settings_fixture.h"
#include "support/cp1250.h"

using namespace kw;
using namespace std::string_literals;

namespace {

const std::string kHandMade =
    "junk before any section\r\n"
    "  [ Main ]  \r\n"
    "  Key  =  spaced value  \r\n"
    "key=duplicate, not seen\r\n"
    "no equals sign\r\n"
    "  ;Comment=not a key\r\n"
    "#Hash=a key\r\n"
    "=empty name\r\n"
    "Quoted=\"  kept  \"\r\n"
    "Single='x\r\n"
    "Pair=''\r\n"
    "Tabs=\t\v\fv\x1a\r\n"
    "Nbsp=\xa0n\xa0\r\n"
    "Zero=a\0b\r\n"s
    "[unclosed\r\n"
    "After=still in Main\r\n"
    "[Main]\r\n"
    "Key=second section, not seen\r\n"
    "Hidden=not seen\r\n"
    "[Other]trailing\n"
    "Lone=cr\rNext=line\n"
    "Last=no line end";

TEST(IniText, ReadsLikeTheProfileFunctions) {
  const TIniText ini(kHandMade);
  EXPECT_EQ(ini.Keys("main"), (std::vector<std::string>{"Key", "#Hash", "Quoted", "Single", "Pair", "Tabs",
                                                        "Nbsp", "Zero", "After"}));
  EXPECT_EQ(ini.Keys("OTHER"), (std::vector<std::string>{"Lone", "Next", "Last"}));
  EXPECT_TRUE(ini.Keys("unclosed").empty());
  EXPECT_TRUE(ini.Keys("absent").empty());

  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"Main", "KEY", "spaced value"},  // first occurrence, blanks trimmed
      {"Main", "Hidden", std::nullopt}, // in the second [Main]
      {"Main", "no equals sign", std::nullopt},
      {"Main", ";Comment", "not a key"},  // not listed, but found
      {"Main", "#hash", "a key"},
      {"Main", "Quoted", "  kept  "},
      {"Main", "Single", "'x"},
      {"Main", "Pair", ""},
      {"Main", "Tabs", "v"},
      {"Main", "Nbsp", "\xa0n\xa0"},
      {"Main", "Zero", "a"},            // a zero byte ends what is seen of the line
      {"Main", "After", "still in Main"},
      {"Other", "lone", "cr"},
      {"Other", "Next", "line"},
      {"Other", "Last", "no line end"},
  };
  for (const Case& c : cases) EXPECT_EQ(ini.Value(c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(IniText, NamesMatchByWindows1250Case) {
  const TIniText ini("[Zażółć]\r\nGęś=1\r\n"_w);
  EXPECT_EQ(ini.Value("ZAŻÓŁĆ"_w, "GĘŚ"_w), "1");
  EXPECT_EQ(ini.Keys("zażółć"_w), std::vector<std::string>{std::string("Gęś"_w)});
}

TEST(IniText, WritesTouchOnlyTheirOwnLines) {
  const std::string before =
      "; user's notes\n"
      "[Keep]\r\n"
      "a = 1 ; not a comment\r"
      "[Var_Save]\n"
      "$OLD=1\n"
      "[Target]\r\n"
      "X=1\r\n"
      "\r\n"
      "\r\n"
      "[Tail]\n"
      "t=1";
  TIniText ini(before);
  ini.EraseSection("var_save");
  ini.SetValue("Target", "x", "2");  // replaced in place, key and line end as written
  ini.SetValue("Target", "Y", "3");  // added before the blank lines
  ini.SetValue("Tail", "u", "4");    // the last line gets an end first
  ini.SetValue("New", "n", "5");
  EXPECT_EQ(ini.Text(),
            "; user's notes\n"
            "[Keep]\r\n"
            "a = 1 ; not a comment\r"
            "[Target]\r\n"
            "X=2\r\n"
            "Y=3\r\n"
            "\r\n"
            "\r\n"
            "[Tail]\n"
            "t=1\r\n"
            "u=4\r\n"
            "[New]\r\n"
            "n=5\r\n");
}

TEST(IniText, EraseRemovesEveryCopyOfASection) {
  TIniText ini("[S]\r\na=1\r\n[T]\r\nb=2\r\n[ s ]\r\nc=3\r\n");
  ini.EraseSection("S");
  EXPECT_EQ(ini.Text(), "[T]\r\nb=2\r\n");
  EXPECT_TRUE(ini.Keys("S").empty());
}

TEST(IniText, DuplicateKeysListOnceAndWriteTheFirst) {
  TIniText ini("[S]\r\nk=1\r\nK=2\r\nj=3\r\n");
  EXPECT_EQ(ini.Keys("S"), (std::vector<std::string>{"k", "j"}));
  ini.SetValue("S", "K", "9");
  EXPECT_EQ(ini.Text(), "[S]\r\nk=9\r\nK=2\r\nj=3\r\n");
}

TEST(IniText, WhatIsWrittenReadsBackTheSame) {
  const std::string values[] = {
      "", "plain", " lead", "trail ", "  both  ", "\tt\t", "\x1a", "\xa0", "\"q\"", "'q'", "''", "\"",
      "'", "\"mixed'", "a=b=c", ";semi", "[bracket]", "#hash", "tab\tinside", std::string("Zażółć gęślą jaźń"_w),
      std::string(kMaxProfileText, 'v'), "\\n stays as written",
  };
  auto key = [](std::size_t i) { return std::to_string(i) + "k"; };
  TIniText ini;
  for (std::size_t i = 0; i < std::size(values); ++i) ini.SetValue("S", key(i), values[i]);
  const TIniText reread(ini.Text());
  for (std::size_t i = 0; i < std::size(values); ++i) EXPECT_TRUE(reread.Value("S", key(i)) == values[i]) << i;
}

TEST(IniText, StorableNames) {
  struct Case {
    std::string key;
    bool ok;
  };
  const Case keys[] = {
      {"$A", true},      {"$A]", true},     {"$A[B]", true},  {std::string("$Ą"_w), true},   {"a b", true},
      {"", false},       {"$A=B", false},   {"$A\r", false},  {"$A\nB", false}, {"$A\0B"s, false},
      {"$A ", false},    {" $A", false},    {"$A\t", false},  {";A", false},    {"[A]", false},
      {"$A\x1a", false},
  };
  for (const Case& c : keys) EXPECT_EQ(IsStorableKey(c.key), c.ok) << c.key;
  EXPECT_TRUE(IsStorableSection("Var_Save"));
  EXPECT_FALSE(IsStorableSection("A]B"));
  EXPECT_FALSE(IsStorableSection(""));
  EXPECT_FALSE(IsStorableValue("a\rb"));
  EXPECT_FALSE(IsStorableValue("a\0b"s));
  EXPECT_TRUE(IsStorableValue(" a=b; [c] "));
  // The length limit counts the quotes that the value needs.
  EXPECT_TRUE(IsStorableValue(std::string(kMaxProfileText, 'v')));
  EXPECT_FALSE(IsStorableValue(std::string(kMaxProfileText + 1, 'v')));
  EXPECT_FALSE(IsStorableValue(std::string(" ").append(kMaxProfileText - 2, 'v')));
  EXPECT_TRUE(IsStorableKey(std::string(kMaxProfileText, 'k')));
  EXPECT_FALSE(IsStorableKey(std::string(kMaxProfileText + 1, 'k')));
}

TEST(IniText, IntegersReadAsTheProfileFunctionsDo) {
  struct Case {
    const char* text;
    std::int32_t want;
  };
  const Case cases[] = {
      {"", 77},           {"0", 0},          {"-5", -5},         {"+12", 12},   {"  42", 42},
      {"12px", 12},       {"abc", 0},        {"-", 0},           {"--1", 0},    {"007", 7},
      {"2147483647", 2147483647},            {"2147483648", 2147483647},
      {"-2147483648", -2147483647 - 1},      {"-99999999999999999999", -2147483647 - 1},
      {"0x10", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseProfileInt(c.text, 77), c.want) << c.text;
}

// Random bytes, heavy in the characters the reader cares about: parsing, reading and
// writing never fail, and a write leaves every other byte of the file as it was.
TEST(IniText, AnyBytesParseAndSurviveAWrite) {
  std::mt19937 random(20240601);
  const std::string alphabet = "[]=;\r\n \t\"'\0aAkS$"s;
  for (int round = 0; round < 500; ++round) {
    std::string text(random() % 300, '\0');
    for (char& c : text)
      c = random() % 4 == 0 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
    TIniText ini(text);
    ASSERT_EQ(ini.Text(), text);
    for (const std::string& key : ini.Keys("S")) EXPECT_TRUE(ini.Value("s", key).has_value()) << key;
    ini.SetValue("S", "k", "v");
    EXPECT_EQ(TIniText(ini.Text()).Value("S", "K"), "v");
    ini.EraseSection("S");
    EXPECT_TRUE(TIniText(ini.Text()).Keys("S").empty());
  }
}

// A marked file, however broken its encoding, comes back byte for byte untouched and,
// once written, still in its encoding with the value readable.
TEST(IniText, MarkedTextKeepsItsBytesAndTakesWrites) {
  const std::string cases[] = {
      "\xFF\xFE[\0S\0]\0\r\0\n\0a\0=\0\x2D\x4E"s,       // UTF-16 LE, 中 and no final end
      "\xFF\xFE[\0S\0]\0\r\0\n\0a\0=\0x"s,                // UTF-16 LE ending in half a character
      "\xFE\xFF\0[\0S\0]\0\n\xD8\x3D\xDE\x00\0\r"s,     // UTF-16 BE, a surrogate pair, lone CR
      "\xEF\xBB\xBF[S]\r\nb=\xC5\xBC\xFF\xE4\xB8"s,        // UTF-8 with bytes that are no UTF-8
  };
  const std::string value = std::string("żółw"_w) + '\x81';  // a byte the code page leaves unused
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(&bytes - cases);
    TIniText text(bytes);
    EXPECT_TRUE(text.Text() == bytes);
    text.SetValue("S", "k", value);
    const TIniText again(text.Text());
    EXPECT_EQ(again.Encoding(), MarkedEncoding(bytes));
    EXPECT_EQ(again.Value("S", "k"), value);
  }
}

TEST(IniText, VeryLongLinesAndUnclosedBrackets) {
  const std::string longKey(1 << 20, 'k');
  const std::string text = std::string("[").append(1 << 20, 'x') + "\n[S]\n" + longKey + "=" +
                           std::string(1 << 20, 'v') + "\n[" + std::string(1000, '[');
  const TIniText ini(text);
  ASSERT_EQ(ini.Keys("S").size(), 1u);
  EXPECT_EQ(ini.Value("S", longKey)->size(), std::size_t{1} << 20);
}

// ---- the profile file on disk ----

TEST(IniProfile, AFailedWriteStopsEverythingAfterIt) {
  kwtest::TempFolder folder;
  const std::string path = folder / "p.ini";
  kwtest::WriteBytes(path, "[S]\r\nk=old\r\n");
  TIniProfile profile;
  ASSERT_TRUE(profile.Open(path, TProfileMode::Update));
  EXPECT_TRUE(profile.WriteString("S", "k", "new"));
  EXPECT_FALSE(profile.WriteString("S", "bad=key", "v"));
  EXPECT_FALSE(profile.WriteString("S", "good", "v"));  // nothing after the failure
  EXPECT_FALSE(profile.Commit());
  EXPECT_EQ(kwtest::ReadBytes(path), "[S]\r\nk=old\r\n");
}

TEST(IniProfile, ReadModeNeverWrites) {
  kwtest::TempFolder folder;
  const std::string path = folder / "p.ini";
  TIniProfile profile;
  ASSERT_TRUE(profile.Open(path, TProfileMode::Read));  // missing: empty
  EXPECT_EQ(profile.ReadString("S", "k", "dflt"), "dflt");
  EXPECT_EQ(profile.ReadInteger("S", "k", -3), -3);
  EXPECT_FALSE(profile.WriteString("S", "k", "v"));
  EXPECT_FALSE(profile.Commit());
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(IniProfile, CommentsAreNotListedButCanBeRead) {
  kwtest::TempFolder folder;
  const std::string path = folder / "p.ini";
  kwtest::WriteBytes(path, "[S]\r\n;c=comment\r\nk=v\r\n");
  TIniProfile profile;
  ASSERT_TRUE(profile.Open(path, TProfileMode::Update));
  EXPECT_EQ(profile.ReadKeys("S"), std::vector<std::string>{"k"});
  EXPECT_EQ(profile.ReadString("S", ";C", ""), "comment");
  EXPECT_FALSE(profile.WriteString("S", ";c", "x"));
}

TEST(IniProfile, EmptyValueIsNotAbsent) {
  kwtest::TempFolder folder;
  const std::string path = folder / "p.ini";
  kwtest::WriteBytes(path, "[S]\r\ne=\r\nn=  \r\n");
  TIniProfile profile;
  ASSERT_TRUE(profile.Open(path, TProfileMode::Read));
  EXPECT_EQ(profile.ReadString("S", "e", "dflt"), "");
  EXPECT_EQ(profile.ReadString("S", "n", "dflt"), "");
  EXPECT_EQ(profile.ReadInteger("S", "e", 9), 9);  // an empty number takes the fallback
}

}  // namespace
