// Settings files that someone other than the plugin made or touched: saved by Notepad in
// another encoding, left behind by a killed save, deep in a long path, or asked to hold
// a name with no room for its pieces. Nothing that was saved may be lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings_fixture.h"
#include "support/cp1250.h"
#include "support/file_encoding.h"
#include "support/platform.h"

using namespace kw;

namespace {

class ForeignFiles : public ::testing::Test, protected kwtest::SettingsState {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_.Path() / "Kwartlin");
    SettingsPath = folder_ / "Kwartlin/Kwartlin.ini";
  }
  std::string Value(std::string_view name) const {
    const long i = Variables.Find(name);
    return i < 0 ? "(none)" : Variables[static_cast<std::size_t>(i)].Value;
  }
  void Restart() {
    Variables.Clear();
    Load();
  }
  kwtest::TempFolder folder_;
};

// UTF-16 text in either byte order, from a UTF-16 literal.
std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes;
  for (const char16_t u : text) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

// Notepad's three encodings, each with a line the code page cannot hold (中文) in a
// section the plugin does not own, which must come back byte for byte.
TEST_F(ForeignFiles, MarkedFileKeepsEveryOldAndNewValueInItsEncoding) {
  const std::u16string text16 =
      u"; notatka\r\n[Var_Save]\r\n$OLD=zażółć\r\n$KEEP= spacje \r\n[Inne]\r\nx=中文\r\n[OptionsForm]\r\nOptFormRectX=-7\r\n";
  const std::string text8 =
      "; notatka\r\n[Var_Save]\r\n$OLD=zażółć\r\n$KEEP= spacje \r\n[Inne]\r\nx=中文\r\n[OptionsForm]\r\nOptFormRectX=-7\r\n";
  struct Case {
    TFileEncoding encoding;
    std::string file;
    std::string foreignLine;  // "x=中文" as the file holds it
  };
  const Case cases[] = {
      {TFileEncoding::Utf16Le, "\xFF\xFE" + Utf16(text16, false), Utf16(u"x=中文", false)},
      {TFileEncoding::Utf16Be, "\xFE\xFF" + Utf16(text16, true), Utf16(u"x=中文", true)},
      {TFileEncoding::Utf8Mark, "\xEF\xBB\xBF" + text8, "x=中文"},
  };
  // Every byte a value can hold, the code page's five unused ones included.
  std::string allBytes;
  for (int c = 0x21; c < 256; ++c) allBytes += static_cast<char>(c);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(EncodingName(c.encoding)));
    kwtest::WriteBytes(SettingsPath, c.file);
    OptionsFormRect = {};
    Restart();
    EXPECT_EQ(Value("$OLD"), "zażółć"_w);
    EXPECT_EQ(Value("$KEEP"), "spacje");  // the profile functions trim
    EXPECT_EQ(OptionsFormRect.X, -7);
    Variables[static_cast<std::size_t>(Variables.Find("$OLD"))].Value = std::string("nowe ąę"_w);
    Variables.Append(TZmienna{"$ALL", allBytes, true});
    ASSERT_TRUE(Save());
    const std::string saved = kwtest::ReadBytes(SettingsPath);
    EXPECT_EQ(MarkedEncoding(saved), c.encoding);
    EXPECT_NE(saved.find(c.foreignLine), std::string::npos);
    // One section of saved variables, in the file's encoding: no second one in ANSI.
    const std::string header = EncodeText("[Var_Save]", c.encoding);
    EXPECT_EQ(saved.find(header, saved.find(header) + 1), std::string::npos);
    EXPECT_TRUE(c.encoding == TFileEncoding::Utf8Mark || saved.find("[Var_Save]") == std::string::npos);
    Restart();
    EXPECT_EQ(Value("$OLD"), "nowe ąę"_w);
    EXPECT_EQ(Value("$KEEP"), "spacje");
    EXPECT_TRUE(Value("$ALL") == allBytes);
    EXPECT_EQ(OptionsFormRect.X, -7);
  }
}

// Only the plugin's own leftovers go: its exact name, a process that is gone or is this
// one. Files that only look alike stay.
TEST_F(ForeignFiles, KilledSavesTemporaryFilesGoAtTheNextLoad) {
  const std::string kGone = "2147483632";  // no process has this id
  kwtest::WriteBytes(SettingsPath, "[Var_Save]\r\n$A=1\r\n");
  const std::string dir = folder_ / "Kwartlin";
  const std::string going[] = {"Kwartlin.ini.~" + kGone + "_1", "Kwartlin.ini.~" + kGone + "_20"};
  const std::string staying[] = {"Kwartlin.ini.~" + kGone + "_1.bak", "Kwartlin.ini.~" + kGone, "Kwartlin.ini.~x_1",
                                 "Kwartlin.dat.~" + kGone + "_1", "Kwartlin.ini~" + kGone + "_1", "Kwartlin.ini.~_1"};
  for (const std::string& name : going) kwtest::WriteBytes(dir + "/" + name, "half a save");
  for (const std::string& name : staying) kwtest::WriteBytes(dir + "/" + name, "not ours");
  Restart();
  EXPECT_EQ(Value("$A"), "1");
  std::vector<std::string> left = kwtest::FolderNames(dir);
  std::vector<std::string> expected(std::begin(staying), std::end(staying));
  expected.push_back("Kwartlin.ini");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  // A save clears them too.
  kwtest::WriteBytes(dir + "/" + going[0], "half a save");
  ASSERT_TRUE(Save());
  EXPECT_EQ(kwtest::FolderNames(dir), expected);
}

// A path just short of what the profile functions take: the temporary name beside it
// is longer still.
TEST_F(ForeignFiles, PathOf258CharactersSavesAndLoads) {
  std::string folder = folder_.Path().string();
  const std::string tail = std::string(1, PathSeparator()) + "Kwartlin.ini";
  ASSERT_LT(folder.size() + tail.size(), 258u);
  for (std::size_t left = 258 - tail.size() - folder.size(); left > 0; left = 258 - tail.size() - folder.size()) {
    if (left > 1) folder += PathSeparator();  // a segment of up to 40; one byte left lengthens the last
    folder += std::string(std::min<std::size_t>(40, left > 1 ? left - 1 : 1), 'd');
  }
  SettingsPath = folder + tail;
  ASSERT_EQ(SettingsPath.size(), 258u);
  Variables.Append(TZmienna{"$LONG", std::string("ścieżka"_w), true});
  ASSERT_TRUE(Save());
  ASSERT_TRUE(Save());  // over the file that is there now
  Restart();
  EXPECT_EQ(Value("$LONG"), "ścieżka"_w);
  EXPECT_EQ(kwtest::FolderNames(folder), std::vector<std::string>{"Kwartlin.ini"});
}

// Names the file cannot hold are left out and told; every other value is saved.
TEST_F(ForeignFiles, NameWithoutRoomIsToldNotDropped) {
  const std::string longName = "$" + std::string(32764, 'N');  // 32,765 bytes
  Variables.Append(TZmienna{longName, std::string(40000, 'v'), true});
  Variables.Append(TZmienna{"$A=B", "x", true});
  Variables.Append(TZmienna{"$FINE", std::string(40000, 'f'), true});
  Variables.Append(TZmienna{longName + "S", "short", true});  // one key holds it
  std::vector<TLeftOutValue> leftOut;
  ASSERT_TRUE(SaveSettings(SettingsPath, Variables, OptionsFormRect, nullptr, &leftOut));
  ASSERT_EQ(leftOut.size(), 2u);
  EXPECT_EQ(leftOut[0].Name, longName);
  EXPECT_EQ(leftOut[0].Reason, "its name leaves no room for the keys of its long value's pieces");
  EXPECT_EQ(leftOut[1].Name, "$A=B");
  Restart();
  EXPECT_EQ(Value("$FINE"), std::string(40000, 'f'));
  EXPECT_EQ(Value(longName + "S"), "short");
}

}  // namespace
