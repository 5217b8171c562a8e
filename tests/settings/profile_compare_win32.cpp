// The Windows profile functions and the portable INI must be interchangeable: one list
// of operations goes through each into its own file, then each file is read by both.
// All four readings must agree with each other and with what was written.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "script/variables.h"
#include "settings/ini_file.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "settings_fixture.h"
#include "support/cp1250.h"
#include "support/file_encoding.h"

using namespace kw;

namespace {

struct Op {
  enum Kind { Erase, String, Integer } kind;
  std::string section;
  std::string key;
  std::string value;      // String
  std::int32_t number;    // Integer
};

const std::string kStart =
    "; user's note\r\n"
    "[Keep]\r\n"
    "  k  =  v  \r\n"
    "[S1]\r\n"
    "old=1\r\n"
    "[Gone]\r\n"
    "g=1\r\n"
    "[S1]\r\n"
    "hidden=2\r\n"
    "[gone]\r\n"
    "g2=2\r\n";

// Every byte a value line can hold.
std::string AllBytes() {
  std::string bytes;
  for (int c = 1; c < 256; ++c)
    if (c != '\r' && c != '\n') bytes += static_cast<char>(c);
  return bytes;
}

std::vector<Op> Operations() {
  return {
      {Op::String, "S1", "k1", "plain", 0},
      {Op::String, "S1", "k2", "  both ends  ", 0},
      {Op::String, "S1", "k3", "\"quoted\"", 0},
      {Op::String, "S1", "k4", "'", 0},
      {Op::String, "S1", "k5", "", 0},
      {Op::String, "S1", "k6", "a=b;[c] \\n", 0},
      {Op::String, "S1", "k7", std::string("Zażółć gęślą jaźń"_w), 0},
      {Op::String, "S1", "k8", std::string(kMaxProfileText, 'v'), 0},
      {Op::String, "S1", "$A]", "bracket in key", 0},
      {Op::String, "S1", "k9", "\t\x01tab\x7f\xa0", 0},
      {Op::String, "S1", "k10", AllBytes(), 0},
      {Op::Integer, "S2", "i1", "", -5},
      {Op::Integer, "S2", "i2", "", INT_MIN},
      {Op::Integer, "S2", "i3", "", INT_MAX},
      {Op::Integer, "S2", "i4", "", 0},
      {Op::String, "S3", "x", "1", 0},
      {Op::String, "s1", "K1", "overwritten", 0},
      {Op::Erase, "S3", "", "", 0},
      {Op::String, "S3", "y", "2", 0},
      {Op::Erase, "GONE", "", "", 0},
      {Op::Erase, "Absent", "", "", 0},
      {Op::Integer, "Keep", "K", "", 42},
  };
}

// What both files must read as: section -> keys in order, key -> value.
struct Expected {
  std::map<std::string, std::vector<std::string>> keys{
      {"Keep", {"k"}},
      {"S1", {"old", "k1", "k2", "k3", "k4", "k5", "k6", "k7", "k8", "$A]", "k9", "k10"}},
      {"S2", {"i1", "i2", "i3", "i4"}},
      {"S3", {"y"}},
      {"Gone", {}},
      {"Absent", {}},
  };
};

// Everything one reader sees of one file.
struct View {
  std::map<std::string, std::vector<std::string>> keys;  // per section
  std::map<std::string, std::string> strings;           // "section/key" -> value
  std::map<std::string, std::int32_t> integers;         // "section/key" -> value
  bool operator==(const View&) const = default;
};

using Probes = std::map<std::string, std::vector<std::string>>;  // section -> keys to read

// The expected keys of each section, and two that are not there.
Probes WrittenProbes() {
  Probes probes = Expected().keys;
  for (auto& [section, keys] : probes) {
    keys.push_back("hidden");
    keys.push_back("absent");
  }
  return probes;
}

template <class Profile>
View Read(const std::string& path, const Probes& probes) {
  Profile p;
  EXPECT_TRUE(p.Open(path, TProfileMode::Read));
  View v;
  for (const auto& [section, keys] : probes) {
    v.keys[section] = p.ReadKeys(section);
    for (const std::string& key : keys) {
      v.strings[section + "/" + key] = p.ReadString(section, key, "<default>");
      v.integers[section + "/" + key] = p.ReadInteger(section, key, 12345);
    }
  }
  return v;
}

template <class Profile>
void Apply(const std::string& path) {
  Profile p;
  ASSERT_TRUE(p.Open(path, TProfileMode::Update));
  for (const Op& op : Operations()) {
    switch (op.kind) {
      case Op::Erase: EXPECT_TRUE(p.EraseSection(op.section)) << op.section; break;
      case Op::String: EXPECT_TRUE(p.WriteString(op.section, op.key, op.value)) << op.key; break;
      case Op::Integer: EXPECT_TRUE(p.WriteInteger(op.section, op.key, op.number)) << op.key; break;
    }
  }
  ASSERT_TRUE(p.Commit());
}

TEST(ProfileCompare, BothImplementationsWriteAndReadTheSame) {
  kwtest::TempFolder folder;
  const std::string viaWindows = folder / "windows.ini";
  const std::string viaPortable = folder / "portable.ini";
  kwtest::WriteBytes(viaWindows, kStart);
  kwtest::WriteBytes(viaPortable, kStart);
  Apply<TProfileFile>(viaWindows);
  Apply<TIniProfile>(viaPortable);

  const Probes probes = WrittenProbes();
  const View views[] = {Read<TProfileFile>(viaWindows, probes), Read<TIniProfile>(viaWindows, probes),
                        Read<TProfileFile>(viaPortable, probes), Read<TIniProfile>(viaPortable, probes)};
  const View& v = views[0];
  EXPECT_EQ(v.keys, Expected().keys);
  EXPECT_EQ(v.strings.at("Keep/k"), "42");
  EXPECT_EQ(v.strings.at("S1/k1"), "overwritten");
  EXPECT_EQ(v.strings.at("S1/k2"), "  both ends  ");
  EXPECT_EQ(v.strings.at("S1/k3"), "\"quoted\"");
  EXPECT_EQ(v.strings.at("S1/k5"), "");
  EXPECT_EQ(v.strings.at("S1/k7"), "Zażółć gęślą jaźń"_w);
  EXPECT_EQ(v.strings.at("S1/k8").size(), kMaxProfileText);
  EXPECT_EQ(v.strings.at("S1/k9"), "\t\x01tab\x7f\xa0");
  EXPECT_EQ(v.strings.at("S1/k10"), AllBytes());
  EXPECT_EQ(v.strings.at("S1/hidden"), "<default>");
  EXPECT_EQ(v.integers.at("S1/k5"), 12345);
  EXPECT_EQ(v.integers.at("S1/k1"), 0);
  EXPECT_EQ(v.integers.at("S2/i1"), -5);
  EXPECT_EQ(v.integers.at("S2/i2"), INT_MIN);
  EXPECT_EQ(v.integers.at("S2/i3"), INT_MAX);
  for (std::size_t i = 1; i < std::size(views); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(views[i].keys, v.keys);
    for (const auto& [name, value] : v.strings) EXPECT_TRUE(views[i].strings.at(name) == value) << name;
    EXPECT_EQ(views[i].integers, v.integers);
  }
  // No working copy is left beside the files.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), std::filesystem::directory_iterator()), 2);
}

// Texts the profile functions cannot take are refused before they reach them (some
// crash the process), and the refusal stops the rest of the writes.
template <class Profile>
void ExpectTooLongRefused(const std::string& path) {
  const std::string tooLong(kMaxProfileText + 1, 'v');
  const std::string quotedTooLong = std::string(" ").append(kMaxProfileText - 1, 'v');
  for (int which = 0; which < 4; ++which) {
    SCOPED_TRACE(which);
    Profile p;
    ASSERT_TRUE(p.Open(path, TProfileMode::Update));
    bool ok = true;
    switch (which) {
      case 0: ok = p.WriteString("S", "k", tooLong); break;
      case 1: ok = p.WriteString("S", "k", quotedTooLong); break;
      case 2: ok = p.WriteString("S", tooLong, "v"); break;
      case 3: ok = p.EraseSection(tooLong); break;
    }
    EXPECT_FALSE(ok);
    EXPECT_FALSE(p.WriteString("S", "after", "v"));
    EXPECT_FALSE(p.Commit());
    EXPECT_EQ(p.ReadString("S", tooLong, "d"), "d");
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ProfileCompare, TooLongTextsAreRefusedByBoth) {
  kwtest::TempFolder folder;
  ExpectTooLongRefused<TProfileFile>(folder / "windows.ini");
  ExpectTooLongRefused<TIniProfile>(folder / "portable.ini");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), std::filesystem::directory_iterator()), 0);
}

// A hand-made file, as a user's editor may leave it, reads the same through both.
TEST(ProfileCompare, HandMadeFilesReadTheSame) {
  kwtest::TempFolder folder;
  const std::string path = folder / "hand.ini";
  kwtest::WriteBytes(path,
                    "junk\r\n"
                    "  [ S1 ]  \r\n"
                    "  Key  =  spaced  \r\n"
                    "key=second\r\n"
                    "noequals\r\n"
                    "  ;c=comment\r\n"
                    "#h=hash\r\n"
                    "=empty name\r\n"
                    "q=\"  in quotes  \"\r\n"
                    "t=\t\v\fv\x1a\r\n"
                    "[unclosed\r\n"
                    "after=1\r\n"
                    "[S1]\r\n"
                    "hidden=1\r\n"
                    "[S2]tail\n"
                    "lone=cr\rnext=1\n"
                    "last=no end");
  const Probes probes{
      {"S1", {"Key", "KEY", "noequals", ";c", "#h", "q", "t", "[unclosed", "after", "hidden"}},
      {"s2", {"lone", "next", "last", "tail"}},
      {"unclosed", {"after"}},
  };
  const View windows = Read<TProfileFile>(path, probes);
  const View portable = Read<TIniProfile>(path, probes);
  EXPECT_EQ(windows.keys, portable.keys);
  for (const auto& [name, value] : windows.strings) EXPECT_EQ(portable.strings.at(name), value) << name;
  EXPECT_EQ(windows.integers, portable.integers);
  EXPECT_EQ(windows.keys.at("S1"), (std::vector<std::string>{"Key", "#h", "q", "t", "after"}));
}

// A file Notepad saved in another encoding is read by the portable reader: the profile
// functions themselves must read every key of it alike (Wine's decode all three marks).
TEST(ProfileCompare, MarkedFilesReadAsTheProfileFunctionsReadThem) {
  kwtest::TempFolder folder;
  const std::string path = folder / "marked.ini";
  constexpr std::string_view text = "[Var_Save]\r\n$A=Zażółć gęślą jaźń\r\n$B= \"q\" \r\n  $C  = 'x' \r\n[Inne]\r\nk=€„”\r\n"_w;
  const std::pair<const char*, const char*> keys[] = {{"Var_Save", "$A"}, {"Var_Save", "$B"}, {"Var_Save", "$C"},
                                                      {"Inne", "k"}};
  for (const TFileEncoding e : {TFileEncoding::Utf16Le, TFileEncoding::Utf16Be, TFileEncoding::Utf8Mark}) {
    SCOPED_TRACE(std::string(EncodingName(e)));
    kwtest::WriteBytes(path, std::string(EncodingMark(e)) + EncodeText(text, e));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    TIniProfile portable;
    ASSERT_TRUE(portable.Open(path, TProfileMode::Read));
    for (const auto& [section, key] : keys) {
      char buffer[256] = {};
      GetPrivateProfileStringA(section, key, "(none)", buffer, sizeof buffer, path.c_str());
      EXPECT_EQ(portable.ReadString(section, key, "(none)"), buffer) << key;
    }
  }
}

// The settings file as the profile functions write it, key by key, as saves were made
// before they were made in memory.
void SaveKeyByKey(const std::string& path, const TZmienne& variables, const TRect32& rect) {
  WritePrivateProfileStringA("Var_Save", nullptr, nullptr, path.c_str());
  for (const TZmienna& v : variables)
    if (v.Save) WritePrivateProfileStringA("Var_Save", v.Name.c_str(), QuoteProfileValue(v.Value).c_str(), path.c_str());
  const std::pair<const char*, std::int32_t> numbers[] = {
      {"OptFormRectX", rect.X}, {"OptFormRectY", rect.Y}, {"OptFormRectW", rect.W}, {"OptFormRectH", rect.H}};
  for (const auto& [key, n] : numbers)
    WritePrivateProfileStringA("OptionsForm", key, std::to_string(n).c_str(), path.c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

// Files without long values are byte for byte what the profile functions make of the
// same saves, one after another on the same file.
TEST(ProfileCompare, SavesWriteWhatTheProfileFunctionsWrite) {
  kwtest::TempFolder folder;
  kwtest::SettingsState state;
  state.SettingsPath = folder / "made.ini";
  const std::string keyByKey = folder / "key_by_key.ini";
  const auto compare = [&] {
    ASSERT_TRUE(state.Save());
    SaveKeyByKey(keyByKey, state.Variables, state.OptionsFormRect);
    EXPECT_EQ(kwtest::ReadBytes(state.SettingsPath), kwtest::ReadBytes(keyByKey));
  };
  state.Variables.Append(TZmienna{"$A", "plain", true});
  state.Variables.Append(TZmienna{"$B", "  both ends  ", true});
  state.Variables.Append(TZmienna{"$T", "temporary", false});
  state.Variables.Append(TZmienna{"$C", std::string("Zażółć 'q' a=b;[c] \\n"_w), true});
  state.Variables.Append(TZmienna{"$E", "", true});
  state.OptionsFormRect = TRect32{-5, 7, 640, 480};
  compare();
  state.Variables[0].Value = "changed";
  state.Variables[1].Save = false;
  state.Variables.Append(TZmienna{"$D", "\"quoted\"", true});
  state.OptionsFormRect.X = INT_MIN;
  compare();
  for (std::size_t i = 0; i < state.Variables.size(); ++i) state.Variables[i].Save = false;
  compare();
}

// Saved variables with long values, written through each: both files hold the same
// bytes, and each loads back through the plugin's own loader, which reads the other's.
TEST(ProfileCompare, LongValuesSaveAndLoadAlikeThroughBoth) {
  kwtest::TempFolder folder;
  std::string big;
  while (big.size() < 1'000'000) big += " '\"\\x\n\r";
  big.resize(1'000'000);
  kwtest::SettingsState state;
  state.Variables.Append(TZmienna{"$BIG", big, true});
  state.Variables.Append(TZmienna{"$S", "short", true});
  const std::string paths[] = {folder / "windows.ini", folder / "portable.ini"};
  TProfileFile windows;
  TIniProfile portable;
  IProfile* profiles[] = {&windows, &portable};
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(profiles[i]->Open(paths[i], TProfileMode::Update));
    SaveVariables(*profiles[i], state.Variables);
    ASSERT_TRUE(profiles[i]->Commit());
  }
  EXPECT_TRUE(kwtest::ReadBytes(paths[0]) == kwtest::ReadBytes(paths[1]));
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    state.SettingsPath = path;
    state.Variables.Clear();
    state.Load();
    ASSERT_EQ(state.Variables.size(), 2u);
    EXPECT_TRUE(state.Variables[0].Value == big);
    EXPECT_EQ(state.Variables[1].Value, "short");
  }
}

}  // namespace
