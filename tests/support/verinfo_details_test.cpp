// ReadVersionDetails and GetFileVersionText on generated module files, through every
// route that reads them: our reader on PE and ELF files, and on Windows also Windows'
// own version functions on the PE files. Every route must give the same answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/VerInfo.h"
#include "support/cp1250.h"
#include "support/verinfo_block.h"
#include "verinfo_images.h"

using namespace kw;
using kwtest::Container;

namespace {

struct Route {
  const char* name;                   // for test names
  const VersionInfoApi& (*api)();     // who answers the lookups
  Container container;                // the kind of file written
};

std::vector<Route> Routes() {
  std::vector<Route> r = {
      {"ReaderPE32", PortableVersionInfoApi, Container::Pe32},
      {"ReaderPE32plus", PortableVersionInfoApi, Container::Pe32Plus},
      {"ReaderELF32", PortableVersionInfoApi, Container::Elf32},
      {"ReaderELF64", PortableVersionInfoApi, Container::Elf64},
  };
#ifdef _WIN32
  r.push_back({"WindowsPE32", SystemVersionInfoApi, Container::Pe32});
  r.push_back({"WindowsPE32plus", SystemVersionInfoApi, Container::Pe32Plus});
#endif
  return r;
}

VersionBlockInput FullSpec() {
  VersionBlockInput s;
  s.fixed.fileVersionMS = 0x10002;
  s.fixed.fileVersionLS = 0x30004;
  s.fixed.productVersionMS = 0xFFFFFFFF;
  s.fixed.productVersionLS = 0xFFFFFFFF;
  s.fixed.fileFlags = 0;
  s.stringTables = {{0x0415, 1250,
                     {{"CompanyName", std::string("Firma Zażółć"_w)},
                      {"FileDescription", "Opis"},
                      {"FileVersion", "9.9.9.9"},
                      {"InternalName", "wewn"},
                      {"LegalCopyright", std::string("© Gęślą Jaźń"_w)},
                      {"LegalTrademarks", "TM"},
                      {"OriginalFilename", "kwartlin.tpl"},
                      {"ProductName", "Kwartlin"},
                      {"ProductVersion", "8.8.8.8"},
                      {"Comments", std::string("Uwagi: ąę"_w)}}}};
  s.translations = {{0x0415, 1250}};
  return s;
}

class VersionDetails : public ::testing::TestWithParam<Route> {
 protected:
  std::string Write(const VersionBlockInput& input) { return WriteBlock(BuildVersionBlock(input)); }
  std::string WriteBlock(const std::string& block) {
    return dir_.Write("module.dll", kwtest::MakeModuleImage(GetParam().container, block));
  }
  bool Read(const std::string& file, TWersjaPliku& d) { return ReadVersionDetails(file, d, GetParam().api()); }
  bool Read(const VersionBlockInput& input, TWersjaPliku& d) { return Read(Write(input), d); }
  std::string Text(const std::string& file) { return GetFileVersionText(file, "def", GetParam().api()); }

  kwtest::ScratchDir dir_;
};

TEST_P(VersionDetails, FullBlockFillsEveryField) {
  TWersjaPliku d;
  ASSERT_TRUE(Read(FullSpec(), d));
  EXPECT_EQ(d.FileVersion, "1.2.3.4");  // from the fixed info, not the "9.9.9.9" string
  EXPECT_EQ(d.ProductVersion, "65535.65535.65535.65535");
  EXPECT_EQ(d.FileOS, "Przeznaczona dla Win32 API w Windows NT"_w);
  EXPECT_EQ(d.FlagsText, "");
  EXPECT_EQ(d.CompanyName, "Firma Zażółć"_w);
  EXPECT_EQ(d.FileDescription, "Opis");
  EXPECT_EQ(d.InternalName, "wewn");
  EXPECT_EQ(d.LegalCopyright, "© Gęślą Jaźń"_w);
  EXPECT_EQ(d.LegalTrademarks, "TM");
  EXPECT_EQ(d.OriginalFilename, "kwartlin.tpl");
  EXPECT_EQ(d.ProductName, "Kwartlin");
  EXPECT_EQ(d.Comments, "Uwagi: ąę"_w);
  EXPECT_EQ(Text(Write(FullSpec())), "1.2.3.4");
}

TEST_P(VersionDetails, FlagsUnderMask) {
  const struct {
    std::uint32_t flags, mask;
    std::string text;
  } cases[] = {
      {0x3F, 0x3F, "Pre-release, Wersja prywatna, Wersja specjalna, Wersja testowa"},
      {0x3F, 0x00, ""},
      {0x04, 0x3F, ""},
      {0x10, 0x3F, ""},
      {0x22, 0x3F, "Pre-release, Wersja specjalna"},
      {0x3F, 0x09, "Wersja prywatna, Wersja testowa"},
      {0xFFFFFFFF, 0xFFFFFFFF, "Pre-release, Wersja prywatna, Wersja specjalna, Wersja testowa"},
  };
  for (const auto& c : cases) {
    VersionBlockInput s = FullSpec();
    s.fixed.fileFlags = c.flags;
    s.fixed.fileFlagsMask = c.mask;
    TWersjaPliku d;
    ASSERT_TRUE(Read(s, d)) << std::hex << c.flags << "/" << c.mask;
    EXPECT_EQ(d.FlagsText, c.text) << std::hex << c.flags << "/" << c.mask;
  }
}

TEST_P(VersionDetails, TargetSystemTexts) {
  const struct {
    std::uint32_t os;
    std::string_view text;
  } cases[] = {
      {0x4, "Przeznaczony dla 32-bitowych Windows"_w},
      {0x10004, "Aplikacja DOSowa Win32 API"_w},
      {0x30003, "Przeznaczona dla 32-bit Protected Mode na 32-bitowym OS/2"_w},
      {0x40004, "Przeznaczona dla Win32 API w Windows NT"_w},
      {0x0, "Nieznana platforma systemowa"},
      {0x50004, "Nieznana platforma systemowa"},
      {0x40005, "Nieznana platforma systemowa"},
  };
  for (const auto& c : cases) {
    VersionBlockInput s = FullSpec();
    s.fixed.fileOS = c.os;
    TWersjaPliku d;
    ASSERT_TRUE(Read(s, d)) << std::hex << c.os;
    EXPECT_EQ(d.FileOS, c.text) << std::hex << c.os;
  }
}

TEST_P(VersionDetails, MissingStringsAreEmptyAndStillSucceed) {
  VersionBlockInput s = FullSpec();
  s.stringTables[0].strings = {{"CompanyName", "Firma"}, {"ProductName", ""}};
  TWersjaPliku d;
  ASSERT_TRUE(Read(s, d));
  EXPECT_EQ(d.CompanyName, "Firma");
  EXPECT_EQ(d.ProductName, "");
  EXPECT_EQ(d.Comments, "");
  EXPECT_EQ(d.LegalTrademarks, "");
  EXPECT_EQ(d.FileVersion, "1.2.3.4");

  s.stringTables.clear();  // no StringFileInfo at all
  ASSERT_TRUE(Read(s, d));
  EXPECT_EQ(d.CompanyName, "");
  EXPECT_EQ(d.FileVersion, "1.2.3.4");
}

TEST_P(VersionDetails, StringsComeFromTheFirstTranslationsTable) {
  VersionBlockInput s = FullSpec();
  s.stringTables = {{0x0415, 1250, {{"CompanyName", "PL"}}}, {0x0409, 1252, {{"CompanyName", "EN"}}}};
  s.translations = {{0x0409, 1252}, {0x0415, 1250}};
  TWersjaPliku d;
  ASSERT_TRUE(Read(s, d));
  EXPECT_EQ(d.CompanyName, "EN");

  s.translations = {{0x0407, 1252}};  // a language without a table: every string empty
  ASSERT_TRUE(Read(s, d));
  EXPECT_EQ(d.CompanyName, "");
  EXPECT_EQ(d.FileVersion, "1.2.3.4");
}

TEST_P(VersionDetails, TableKeyMatchesIgnoringCase) {
  std::string block = BuildVersionBlock(FullSpec());
  const std::string upper("0\0" "4\0" "1\0" "5\0" "0\0" "4\0" "E\0" "2\0", 16);
  const std::string lower("0\0" "4\0" "1\0" "5\0" "0\0" "4\0" "e\0" "2\0", 16);
  const auto at = block.find(upper);
  ASSERT_NE(at, std::string::npos);
  block.replace(at, upper.size(), lower);
  TWersjaPliku d;
  ASSERT_TRUE(Read(WriteBlock(block), d));
  EXPECT_EQ(d.CompanyName, "Firma Zażółć"_w);
}

TEST_P(VersionDetails, BlocksThatFailAsAWholeGiveTheDefault) {
  const struct {
    const char* what;
    void (*damage)(VersionBlockInput&);
  } cases[] = {
      {"no VarFileInfo", [](VersionBlockInput& s) { s.hasVarFileInfo = false; }},
      {"empty translation table", [](VersionBlockInput& s) { s.translations.clear(); }},
      {"no fixed info", [](VersionBlockInput& s) { s.fixedInfoLength = 0; }},
      {"fixed info of 51 bytes", [](VersionBlockInput& s) { s.fixedInfoLength = 51; }},
      {"fixed info of 48 bytes", [](VersionBlockInput& s) { s.fixedInfoLength = 48; }},
  };
  for (const auto& c : cases) {
    VersionBlockInput s = FullSpec();
    c.damage(s);
    const std::string file = Write(s);
    TWersjaPliku d;
    d.FileVersion = "stale";
    d.CompanyName = "stale";
    EXPECT_FALSE(Read(file, d)) << c.what;
    // The file exists, so the details were emptied before the reader failed.
    EXPECT_EQ(d.FileVersion, "") << c.what;
    EXPECT_EQ(d.CompanyName, "") << c.what;
    EXPECT_EQ(Text(file), "def") << c.what;
  }
}

TEST_P(VersionDetails, FixedInfoOfExactly52BytesIsEnough) {
  VersionBlockInput s = FullSpec();
  s.fixedInfoLength = 52;
  TWersjaPliku d;
  EXPECT_TRUE(Read(s, d));
}

TEST_P(VersionDetails, ModuleWithoutVersionResource) {
  const std::string file = WriteBlock("");
  TWersjaPliku d;
  EXPECT_FALSE(Read(file, d));
  EXPECT_EQ(Text(file), "def");
}

TEST_P(VersionDetails, MissingFileAndFolderLeaveDetailsAlone) {
  for (const std::string& path : {(dir_.Path() / "nothing.dll").string(), dir_.Path().string()}) {
    TWersjaPliku d;
    d.FileVersion = "kept";
    EXPECT_FALSE(Read(path, d)) << path;
    EXPECT_EQ(d.FileVersion, "kept") << path;
    EXPECT_EQ(Text(path), "def") << path;
  }
}

TEST_P(VersionDetails, FilesThatAreNoModules) {
  for (const std::string& bytes : {std::string(), std::string("MZ"), std::string("\x7F" "ELF"),
                                   std::string(3000, '\xFF'), std::string(3000, '\0')}) {
    TWersjaPliku d;
    EXPECT_FALSE(Read(dir_.Write("junk.dll", bytes), d)) << bytes.size();
  }
}

INSTANTIATE_TEST_SUITE_P(Routes, VersionDetails, ::testing::ValuesIn(Routes()),
                         [](const ::testing::TestParamInfo<Route>& i) { return std::string(i.param.name); });

TEST(VersionLanguages, NeutralThenPolishThenEnglishThenFirst) {
  const auto block = [](const char* company) {
    VersionBlockInput s = FullSpec();
    s.stringTables[0].strings = {{"CompanyName", company}};
    return BuildVersionBlock(s);
  };
  const struct {
    std::vector<std::uint16_t> languages;
    const char* company;  // the language whose resource is read
  } cases[] = {
      {{0x0407, 0x0409, 0x0415}, "0415"},
      {{0x0407, 0x0409}, "0409"},
      {{0x0407, 0x040C}, "0407"},
      {{0x0415, 0x0000, 0x0409}, "0000"},
      {{0x0405, 0x0415, 0x0409}, "0415"},
  };
  kwtest::ScratchDir dir;
  for (const Route& r : Routes()) {
    if (r.container != Container::Pe32 && r.container != Container::Pe32Plus) continue;
    for (const auto& c : cases) {
      std::vector<kwtest::LanguageBlock> blocks;
      for (std::uint16_t l : c.languages) {
        char name[5];
        std::snprintf(name, sizeof name, "%04X", l);
        blocks.push_back({l, block(name)});
      }
      const std::string file =
          dir.Write("m.dll", kwtest::MakePeImage(blocks, r.container == Container::Pe32Plus));
      TWersjaPliku d;
      ASSERT_TRUE(ReadVersionDetails(file, d, r.api())) << r.name;
      EXPECT_EQ(d.CompanyName, c.company) << r.name;
    }
  }
}

TEST(FormatVersion, HalvesAsUnsignedNumbers) {
  EXPECT_EQ(TVerInfoRes::FormatVersion(0x10002, 0x30004), "1.2.3.4");
  EXPECT_EQ(TVerInfoRes::FormatVersion(0xFFFFFFFF, 0xFFFFFFFF), "65535.65535.65535.65535");
  EXPECT_EQ(TVerInfoRes::FormatVersion(0, 0), "0.0.0.0");
  EXPECT_EQ(TVerInfoRes::FormatVersion(0x80000000, 0x00018000), "32768.0.1.32768");
}

TEST(VerInfoErrors, EachFailureRaisesItsOwnClassAndMessage) {
  kwtest::ScratchDir dir;
  const auto& api = PortableVersionInfoApi();
  auto write = [&](const VersionBlockInput& s) {
    return dir.Write("m.dll", kwtest::MakePeImage(BuildVersionBlock(s), false));
  };
  try {
    TVerInfoRes r(dir.Write("m.dll", kwtest::MakePeImage("", false)), api);
    FAIL() << "no error";
  } catch (const ENoVerInfoError& e) {
    EXPECT_EQ(std::string(e.what()), "Niedostępna informacja o wersji."_w);
  }
  VersionBlockInput s = FullSpec();
  s.hasVarFileInfo = false;
  try {
    TVerInfoRes r(write(s), api);
    FAIL() << "no error";
  } catch (const EVerInfoError& e) {
    EXPECT_EQ(std::string(e.what()), "Brak informacji o wersji językowej."_w);
  }
  s = FullSpec();
  s.fixedInfoLength = 20;
  try {
    TVerInfoRes r(write(s), api);
    FAIL() << "no error";
  } catch (const eNoFixeVerInfo& e) {
    EXPECT_EQ(std::string(e.what()), "Brak informacji \"Fixed File Info\"");
  }
}

TEST(VerInfoReader, StringValueIndexBeyondTheTableIsEmpty) {
  kwtest::ScratchDir dir;
  TVerInfoRes r(dir.Write("m.dll", kwtest::MakePeImage(BuildVersionBlock(FullSpec()), false)),
                PortableVersionInfoApi());
  EXPECT_EQ(r.GetStringValue(2), "9.9.9.9");
  EXPECT_EQ(r.GetStringValue(10), "");
  EXPECT_EQ(r.GetStringValue(static_cast<std::size_t>(-1)), "");
}

}  // namespace
