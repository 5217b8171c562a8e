// Loading and saving the settings file, on disk.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include "script/variables.h"
#include "settings/ini_file.h"
#include "settings_fixture.h"
#include "support/cp1250.h"
#include "support/platform.h"

using namespace kw;
using namespace std::string_literals;

namespace {

class Settings : public ::testing::Test, protected kwtest::SettingsState {
 protected:
  void SetUp() override { SettingsPath = (folder_.Path() / "Kwartlin" / "Kwartlin.ini").string(); }

  void Add(const std::string& name, const std::string& value, bool save) {
    Variables.Append(TZmienna{name, value, save});
  }
  const TZmienna* Find(std::string_view upperName) const {
    const long i = Variables.Find(upperName);
    return i < 0 ? nullptr : &Variables[static_cast<std::size_t>(i)];
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const TZmienna& v : Variables) names.push_back(v.Name);
    return names;
  }
  std::string FileText() const { return kwtest::ReadBytes(SettingsPath); }
  // The section's lines, its header included; empty when there is none.
  static std::string Section(const std::string& text, const std::string& name) {
    const std::size_t at = text.find("[" + name + "]\r\n");
    if (at == std::string::npos) return {};
    const std::size_t next = text.find("\r\n[", at);
    return text.substr(at, next == std::string::npos ? std::string::npos : next + 2 - at);
  }
  void WriteSettingsFile(const std::string& text) const {
    std::filesystem::create_directories(std::filesystem::path(SettingsPath).parent_path());
    kwtest::WriteBytes(SettingsPath, text);
  }

  kwtest::TempFolder folder_;
};

TEST_F(Settings, ValuesStayOneLineAndLoadBack) {
  struct Case {
    std::string value;   // as the variable holds it
    std::string inFile;  // after "$V="
    std::string loaded;  // after a load
  };
  const Case cases[] = {
      {"x\n\ry", "x\\ny", "x\n\ry"},  // the value's own line break
      {"x\r\ny", "x\\ny", "x\n\ry"},  // any other break loads as LF CR
      {"x\ny", "x\\ny", "x\n\ry"},
      {"x\ry", "x\\ny", "x\n\ry"},
      {"\r\n\r", "\\n\\n", "\n\r\n\r"},
      {"\n\r\n", "\\n\\n", "\n\r\n\r"},
      {"a\0b"s, "ab", "ab"},
      {"  both  ", "\"  both  \"", "  both  "},
      {"'q'", "\"'q'\"", "'q'"},
      {"a=b;[c]", "a=b;[c]", "a=b;[c]"},
      {std::string("Zażółć"_w), std::string("Zażółć"_w), std::string("Zażółć"_w)},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.inFile);
    Variables.Clear();
    Add("$V", c.value, true);
    ASSERT_TRUE(Save());
    EXPECT_NE(FileText().find("\r\n$V=" + c.inFile + "\r\n"), std::string::npos) << FileText();
    Variables.Clear();
    Load();
    const TZmienna* v = Find("$V");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Value, c.loaded);
    EXPECT_TRUE(v->Save);
  }
}

TEST_F(Settings, HandWrittenKeysLoadAsSavedVariables) {
  WriteSettingsFile(std::string("[var_save]\r\nabc=1\r\nżółw = 2 \r\n$T=a\\nb\r\nnoequals\r\n"_w));
  Load();
  EXPECT_EQ(Names(), (std::vector<std::string>{"$ABC", std::string("$ŻÓŁW"_w), "$T"}));
  ASSERT_NE(Find("$ŻÓŁW"_w), nullptr);
  EXPECT_EQ(Find("$ŻÓŁW"_w)->Value, "2");
  EXPECT_EQ(Find("$T")->Value, "a\n\rb");
  for (const TZmienna& v : Variables) EXPECT_TRUE(v.Save) << v.Name;
}

TEST_F(Settings, SaveWritesMarkedVariablesInTableOrder) {
  Add("$B", "2", true);
  Add("$A", "1", true);
  Add("$C", "3", false);
  ASSERT_TRUE(Save());
  const std::string text = FileText();
  EXPECT_NE(text.find("[Var_Save]\r\n$B=2\r\n$A=1\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("$C"), std::string::npos);
  Variables.Clear();
  Load();
  EXPECT_EQ(Names(), (std::vector<std::string>{"$B", "$A"}));
}

TEST_F(Settings, NothingMarkedLeavesNoSectionButTheRectangle) {
  WriteSettingsFile("; mine\r\n[Var_Save]\r\n$OLD=1\r\n[Mine]\r\nx=1\r\n[VAR_SAVE]\r\n$STALE=2\r\n");
  Add("$A", "1", false);
  OptionsFormRect = {1, -2, 300, 400};
  ASSERT_TRUE(Save());
  const std::string text = FileText();
  EXPECT_EQ(text.find("Var_Save"), std::string::npos) << text;
  EXPECT_EQ(text.find("VAR_SAVE"), std::string::npos) << text;
  EXPECT_NE(text.find("; mine\r\n"), std::string::npos);
  EXPECT_NE(text.find("[Mine]\r\nx=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("[OptionsForm]\r\nOptFormRectX=1\r\nOptFormRectY=-2\r\nOptFormRectW=300\r\nOptFormRectH=400\r\n"),
            std::string::npos)
      << text;
  Variables.Clear();
  OptionsFormRect = {};
  Load();
  EXPECT_TRUE(Variables.empty());
  EXPECT_EQ(OptionsFormRect.Y, -2);
  EXPECT_EQ(OptionsFormRect.H, 400);
}

TEST_F(Settings, RectangleKeepsCurrentValuesForMissingKeys) {
  OptionsFormRect = {5, 6, 7, 8};
  Load();  // no file
  EXPECT_EQ(OptionsFormRect.X, 5);
  EXPECT_EQ(OptionsFormRect.H, 8);
  EXPECT_TRUE(Variables.empty());

  WriteSettingsFile("[OptionsForm]\r\nOptFormRectW=640\r\noptformrectx=-20\r\nOptFormRectY=abc\r\nOptFormRectH=\r\n");
  Load();
  EXPECT_EQ(OptionsFormRect.X, -20);
  EXPECT_EQ(OptionsFormRect.Y, 0);  // not a number: 0, as the profile functions read it
  EXPECT_EQ(OptionsFormRect.W, 640);
  EXPECT_EQ(OptionsFormRect.H, 8);  // empty: the current value
}

TEST_F(Settings, MissingFoldersAreCreated) {
  SettingsPath = (folder_.Path() / "a" / "b" / "Kwartlin" / "Kwartlin.ini").string();
  Add("$X", "1", true);
  ASSERT_TRUE(Save());
  EXPECT_NE(kwtest::ReadBytes(SettingsPath).find("$X=1"), std::string::npos);
}

TEST_F(Settings, UnwritablePlacesFailAndLeaveNoTraces) {
  Add("$X", "1", true);
  // A folder where the file should be.
  std::filesystem::create_directories(SettingsPath);
  EXPECT_FALSE(Save());
  EXPECT_TRUE(std::filesystem::is_directory(SettingsPath));
  const auto folder = std::filesystem::path(SettingsPath).parent_path();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
  // A file where its folder should be.
  kwtest::WriteBytes((folder_.Path() / "plain").string(), "x");
  SettingsPath = (folder_.Path() / "plain" / "Kwartlin.ini").string();
  EXPECT_FALSE(Save());
  EXPECT_EQ(kwtest::ReadBytes((folder_.Path() / "plain").string()), "x");
  // No path at all (settings saved before any load).
  SettingsPath.clear();
  EXPECT_FALSE(Save());
  Load();
  EXPECT_EQ(Variables.size(), 1u);
}

TEST_F(Settings, HostileNamesCannotAddKeysOrSections) {
  OptionsFormRect = {5, 0, 0, 0};
  Add("$A=B", "v1", true);
  Add("$X\r\n[OptionsForm]\r\nOptFormRectX=999", "v2", true);
  Add("$N\nOptFormRectX=998", "v3", true);
  Add("$Z\0W"s, "v4", true);
  Add("$T ", "v5", true);
  Add("$Y]", "v6", true);
  Add("$[S]", "v7", true);
  Add("$OK", "v8\r\n[OptionsForm]\r\nOptFormRectX=997", true);
  ASSERT_TRUE(Save());
  Variables.Clear();
  OptionsFormRect = {};
  Load();
  EXPECT_EQ(Names(), (std::vector<std::string>{"$Y]", "$[S]", "$OK"}));
  EXPECT_EQ(Find("$OK")->Value, "v8\n\r[OptionsForm]\n\rOptFormRectX=997");
  EXPECT_EQ(OptionsFormRect.X, 5);
}

// 1,000,000 bytes of blanks, both quotes, backslashes and line breaks in a unit of
// prime length, so that the cuts between pieces fall at every place in it, inside a
// "\n" escape too. Every line of the file stays short enough for the profile functions,
// and only the variables themselves load.
TEST_F(Settings, ValuesOfAnyLengthComeBackWhole) {
  const std::string unit = " '\"\\x\n\r";
  std::string big;
  while (big.size() < 1'000'000) big += unit;
  big.resize(1'000'000);
  Add("$BIG", big, true);
  Add("$FITS", std::string(kMaxProfileText, 'v'), true);
  // Names that hold "#": their pieces' keys and those of $J stay apart.
  Add("$J", std::string(kMaxProfileText + 1, 'j'), true);
  Add("$J#0", std::string(kMaxProfileText + 1, '0'), true);
  Add("$J#1", std::string(kMaxProfileText * 2, '1'), true);
  Add("$BREAKS", std::string(kMaxProfileText / 2 + 1, '\r'), true);  // each becomes two bytes
  // A name that is a key, but too long for the keys of its value's pieces.
  Add(std::string("$").append(kMaxProfileText - 2, 'N'), std::string(kMaxProfileText * 2, 'v'), true);
  Add("$SMALL", "s", true);
  ASSERT_TRUE(Save());
  const std::string text = FileText();
  for (std::size_t at = 0, next; at < text.size(); at = next + 2) {
    next = text.find("\r\n", at);
    ASSERT_NE(next, std::string::npos);
    const std::size_t eq = text.find('=', at);
    if (eq < next) {
      EXPECT_LE(next - eq - 1, kMaxProfileText) << at;
    }
  }
  Variables.Clear();
  Load();
  EXPECT_EQ(Names(), (std::vector<std::string>{"$BIG", "$FITS", "$J", "$J#0", "$J#1", "$BREAKS", "$SMALL"}));
  EXPECT_TRUE(Find("$BIG")->Value == big);
  EXPECT_EQ(Find("$FITS")->Value.size(), kMaxProfileText);
  EXPECT_TRUE(Find("$J")->Value == std::string(kMaxProfileText + 1, 'j'));
  EXPECT_TRUE(Find("$J#0")->Value == std::string(kMaxProfileText + 1, '0'));
  EXPECT_TRUE(Find("$J#1")->Value == std::string(kMaxProfileText * 2, '1'));
  std::string breaks;
  for (std::size_t i = 0; i < kMaxProfileText / 2 + 1; ++i) breaks += "\n\r";
  EXPECT_TRUE(Find("$BREAKS")->Value == breaks);
}

// Pieces that do not check (a former version rewrote "Var_Save", an edit lost or changed
// one, a stated length that cannot be) are not joined: the variable loads as "Var_Save"
// says, which keeps a hand edit there, the load tells which, and a piece never loads as a
// variable of its own. A save then writes the pieces back as they stood, until the
// variable holds something else; pieces whose first piece is gone stay too.
TEST_F(Settings, PiecesThatDoNotCheckAreLoadedAsTheFirstAndKept) {
  std::string big;
  for (int i = 0; big.size() < 3 * kMaxProfileText; ++i) big += std::to_string(i) + ',';
  Add("$BIG", big, true);
  ASSERT_TRUE(Save());
  const std::string saved = FileText();
  const std::size_t headAt = saved.find("\r\n$BIG=") + 7;
  const std::string head = saved.substr(headAt, saved.find("\r\n", headAt) - headAt);
  const std::string rest = Section(saved, "Var_Save_Rest");
  ASSERT_LT(head.size(), big.size());
  const auto edited = [&](const std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : std::string(text).replace(at, from.size(), to);
  };
  const std::size_t checkAt = saved.find("$BIG#0=") + 7;
  const std::string check = saved.substr(checkAt, saved.find("\r\n", checkAt) - checkAt);
  const std::string handEdit = head.substr(0, head.size() - 1) + "x";
  struct Case {
    std::string file;
    std::string name;    // the one variable that loads
    std::string value;   // its value
    std::string reason;  // what the load tells of it; empty: the value is whole
  };
  const Case cases[] = {
      {saved, "$BIG", big, ""},
      {edited(saved, "\r\n$BIG=" + head, "\r\n$BIG=" + handEdit), "$BIG", handEdit,
       "its pieces do not match their length and check"},
      {edited(saved, "\r\n$BIG=" + head, "\r\n$BIG=short"), "$BIG", "short", "its pieces end before their stated length"},
      {edited(saved, "$BIG#2=", "$BIG#9="), "$BIG", head, "its pieces end before their stated length"},
      {edited(saved, "$BIG#1=", "$BIG#1=1"), "$BIG", head, "its pieces do not match their length and check"},
      {edited(saved, "$BIG#0=" + check, "$BIG#0=4000000000 " + check.substr(check.find(' ') + 1)), "$BIG", head,
       "its pieces end before their stated length"},
      {edited(saved, "$BIG#0=" + check, "$BIG#0=-1 00000000"), "$BIG", head, "its stated length cannot be read"},
      {edited(saved, "$BIG#0=" + check, "$BIG#0=16000 " + check.substr(check.find(' ') + 1)), "$BIG", head,
       "its stated length is no longer than its first piece"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    WriteSettingsFile(c.file);
    Variables.Clear();
    std::vector<TUncheckedValue> unchecked;
    LoadSettings(SettingsPath, Variables, OptionsFormRect, &unchecked);
    EXPECT_EQ(Names(), std::vector<std::string>{c.name});
    EXPECT_TRUE(Find(c.name) && Find(c.name)->Value == c.value);
    ASSERT_EQ(unchecked.size(), c.reason.empty() ? 0u : 1u);
    if (c.reason.empty()) continue;
    EXPECT_EQ(unchecked[0].Reason, c.reason);
    EXPECT_EQ(unchecked[0].LoadedBytes, c.value.size());
    // Saved again as loaded: both sections are what they were, byte for byte.
    ASSERT_TRUE(Save());
    EXPECT_TRUE(Section(FileText(), "Var_Save") == Section(c.file, "Var_Save"));
    EXPECT_TRUE(Section(FileText(), "Var_Save_Rest") == Section(c.file, "Var_Save_Rest"));
    // A new value replaces the pieces.
    Variables[0].Value = "new";
    ASSERT_TRUE(Save());
    EXPECT_EQ(FileText().find("[Var_Save_Rest]"), std::string::npos);
  }

  // Pieces without their first piece: nothing loads from them, and they stay while no
  // variable of the name exists.
  WriteSettingsFile(edited(saved, "[Var_Save]\r\n$BIG=" + head, "[Var_Save]\r\n$OTHER=" + head));
  Variables.Clear();
  std::vector<TUncheckedValue> unchecked;
  LoadSettings(SettingsPath, Variables, OptionsFormRect, &unchecked);
  EXPECT_EQ(Names(), std::vector<std::string>{"$OTHER"});
  ASSERT_EQ(unchecked.size(), 1u);
  EXPECT_EQ(unchecked[0].Name, "$BIG");
  EXPECT_EQ(unchecked[0].LoadedBytes, 0u);
  ASSERT_TRUE(Save());
  EXPECT_NE(FileText().find(rest), std::string::npos);
  Add("$BIG", "", false);
  ASSERT_TRUE(Save());
  EXPECT_EQ(FileText().find("[Var_Save_Rest]"), std::string::npos);
}

// A save that cannot write the whole file, whether the disk says so or keeps quiet,
// changes nothing on disk, leaves nothing beside the file, and says why.
TEST_F(Settings, SaveThatCannotWriteTheWholeFileChangesNothing) {
  Add("$BIG", std::string(100000, 'x'), true);
  ASSERT_TRUE(Save());
  const std::string old = FileText();
  Variables[0].Value += 'y';
  struct Case {
    long long bytes;  // that reach the disk
    bool reported;    // the write says it failed
    TWriteFailure failure;
  };
  const Case cases[] = {
      {0, true, TWriteFailure::Write},
      {32768, true, TWriteFailure::Write},
      {32768, false, TWriteFailure::Verify},
      {static_cast<long long>(old.size()), false, TWriteFailure::Verify},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    SetWriteFaultForTesting(c.bytes, c.reported);
    std::string failure;
    EXPECT_FALSE(SaveSettings(SettingsPath, Variables, OptionsFormRect, &failure));
    EXPECT_EQ(failure, WriteFailureText(c.failure));
    EXPECT_TRUE(FileText() == old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path() / "Kwartlin"),
                            std::filesystem::directory_iterator()), 1);
  }
  SetWriteFaultForTesting(-1);
}

TEST_F(Settings, LoadedVariablesAreSavedAgain) {
  WriteSettingsFile("[Var_Save]\r\nK=kept\r\n");
  Load();
  Add("$NEW", "n", false);
  ASSERT_TRUE(Save());
  EXPECT_NE(FileText().find("[Var_Save]\r\n$K=kept\r\n[OptionsForm]"), std::string::npos) << FileText();
}

TEST_F(Settings, MalformedFilesLoadWhatTheyCan) {
  const std::string texts[] = {
      "[Var_Save\r\n$A=1\r\n",
      "[Var_Save]\0\r\n$A=1\0$B=2\r\n"s,
      std::string(1 << 20, '[') + "\r\n[Var_Save]\r\n$A=" + std::string(1 << 20, 'x') + "\r\n",
      "\0\0\0"s,
      "[Var_Save]\r\n=\r\n==\r\n$=\r\n",
  };
  for (const std::string& text : texts) {
    Variables.Clear();
    WriteSettingsFile(text);
    Load();
    EXPECT_LE(Variables.size(), 1u);
    EXPECT_TRUE(Save());
  }
}

}  // namespace
