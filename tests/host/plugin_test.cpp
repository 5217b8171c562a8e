// The pure pieces of the plugin's start, in-process: the version number rule and the
// data file paths beside a module.
#include <gtest/gtest.h>

#include "host/plugin.h"
#include "support/platform.h"

using namespace kw;

namespace {

TEST(VersionNumber, FourPartsEachWithinAByte) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"0.9.6.2", 0x00090602},
      {"1.2.3.4", 0x01020304},
      {"255.255.255.255", -1},         // every bit set
      {"1.300.3.4", 0x01000304},       // 300 does not fit: 0
      {"1.-1.3.4", 0x01000304},
      {"1.2.3", 0},                    // three parts
      {"1.2.3.4.5", 0},                // five parts
      {"", 0},
      {"0.0.0.0", 0},
      {"1..3.4", 0x01000304},          // an empty part reads as 0
      {"1.x.3.4", 0x01000304},
      {"$A.0x0B. 12.+13", 0x0A0B0C0D}, // ReadInt's forms
      {"1.2.3.4 ", 0x01020300},        // a trailing space is no number
  };
  for (const auto& [text, number] : cases) EXPECT_EQ(VersionNumberFromText(text), number) << text;
}

TEST(DataFilePath, FolderOfModuleThenName) {
  const char s = PathSeparator();
  const std::string sep(1, s);
  const std::string name = "Kwartlin" + sep + "Kwartlin.dat";
  struct Case {
    std::string module;
    std::string expected;
  };
  std::vector<Case> cases = {
      {sep + "opt" + sep + "tlen" + sep + "kwartlin.tpl", sep + "opt" + sep + "tlen" + sep + name},
      {sep + "kwartlin.tpl", sep + name},  // a module at the root
      {"kwartlin.tpl", name},              // no folder: the name alone
      {"", name},
      {"a" + sep + sep + "kwartlin.tpl", "a" + sep + sep + name},
  };
  if (s == '\\') {
    cases.push_back({"C:kwartlin.tpl", "C:\\" + name});  // a drive's colon ends the folder
    cases.push_back({"C:\\kwartlin.tpl", "C:\\" + name});
    cases.push_back({"C:\\a/b.tpl", "C:\\a/" + name});   // a '/' separates as well
    cases.push_back({"C:/a\\b/c.tpl", "C:/a\\b/" + name});
  } else {
    cases.push_back({"/a:b/kwartlin.tpl", "/a:b/" + name});
    cases.push_back({"/a\\b/kwartlin.tpl", "/a\\b/" + name});
  }
  for (const Case& c : cases) {
    EXPECT_EQ(DataFilePathBeside(c.module, name), c.expected) << c.module;
    // The folder part is the one every other path of the plugin's is cut by.
    const std::string folder = FolderOf(c.module);
    EXPECT_EQ(c.expected.substr(0, folder.size()), folder) << c.module;
  }
}

}  // namespace

namespace {

// Linked into a program rather than loaded as the module, the module path names that
// program: an existing file, given in full.
TEST(PluginModulePath, NamesTheFileHoldingThePlugin) {
  const std::string path = GetPluginModulePath();
  EXPECT_TRUE(FileExists(path)) << path;
  EXPECT_EQ(DataFilePath("x"), DataFilePathBeside(path, "x"));
#ifdef _WIN32
  EXPECT_EQ(path.substr(1, 2), ":\\") << path;
#else
  EXPECT_EQ(path.substr(0, 1), "/") << path;
#endif
}

}  // namespace
