// The VS_VERSIONINFO tree: what a path finds in a generated block, the layout the
// generator writes, the Windows-1250 conversions, and blocks damaged in ways that
// used to make readers run away (zero, huge and unterminated lengths).
#include <gtest/gtest.h>

#include <cstring>

#include "support/cp1250.h"
#include "support/verinfo_block.h"
#include "support/verinfo_bytes.h"
#include "support/verinfo_tree.h"
#include "verinfo_images.h"

using namespace kw;

namespace {

VersionBlockInput SmallSpec() {
  VersionBlockInput s;
  s.fixed.fileVersionMS = 0x10002;
  s.stringTables = {{0x0415, 1250, {{"CompanyName", "abc"}, {"Comments", ""}}}};
  s.translations = {{0x0415, 1250}, {0x0409, 1252}};
  return s;
}

std::uint16_t U16At(const std::string& b, std::size_t at) {
  return LoadLe16(reinterpret_cast<const std::byte*>(b.data()) + at);
}

void SetU16(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

std::size_t FindUtf16(const std::string& block, std::string_view key) {
  std::string wide;
  for (char c : key) wide += std::string{c, '\0'};
  return block.find(wide);
}

TEST(VersionTree, GeneratedLayout) {
  const std::string b = BuildVersionBlock(SmallSpec());
  EXPECT_EQ(U16At(b, 0), b.size());
  EXPECT_EQ(U16At(b, 2), 52);
  EXPECT_EQ(U16At(b, 4), 0);
  // "VS_VERSION_INFO" ends at 6 + 32 = 38; the fixed info starts on the next 32-bit boundary.
  EXPECT_EQ(LoadLe32(reinterpret_cast<const std::byte*>(b.data()) + 40), 0xFEEF04BDu);
  EXPECT_NE(FindUtf16(b, "041504E2"), std::string::npos);
}

TEST(VersionTree, PathsFindValues) {
  const std::string b = BuildVersionBlock(SmallSpec());
  const auto block = kwtest::AsBytes(b);
  const struct {
    const char* path;
    bool found;
    std::size_t size;
    bool isText;
  } cases[] = {
      {"\\", true, 52, false},
      {"", true, 52, false},
      {"\\VarFileInfo\\Translation", true, 8, false},
      {"\\\\VarFileInfo\\\\Translation\\", true, 8, false},
      {"\\varfileinfo\\TRANSLATION", true, 8, false},
      {"\\StringFileInfo\\041504E2\\CompanyName", true, 8, true},
      {"\\StringFileInfo\\041504e2\\companyname", true, 8, true},
      {"\\StringFileInfo\\041504E2\\Comments", true, 2, true},
      {"\\StringFileInfo\\041504E2\\ProductName", false, 0, false},
      {"\\StringFileInfo\\040904E4\\CompanyName", false, 0, false},
      {"\\StringFileInfo\\041504E2\\CompanyName\\More", false, 0, false},
      {"\\VarFileInfo\\Translatio", false, 0, false},
      {"\\VarFileInfo\\Translationx", false, 0, false},
      {"\\Nothing", false, 0, false},
  };
  for (const auto& c : cases) {
    const auto v = FindVersionValue(block, c.path);
    ASSERT_EQ(v.has_value(), c.found) << c.path;
    if (!v) continue;
    EXPECT_EQ(v->size, c.size) << c.path;
    EXPECT_EQ(v->isText, c.isText) << c.path;
    EXPECT_EQ(v->offset % 4, 0u) << c.path;
  }
  const auto t = FindVersionValue(block, "\\VarFileInfo\\Translation");
  EXPECT_EQ(LoadLe32(&block[t->offset]), 0x04E20415u);
  const auto s = FindVersionValue(block, "\\StringFileInfo\\041504E2\\CompanyName");
  EXPECT_EQ(Utf16ToAnsi(block.subspan(s->offset, s->size)), std::string("abc\0", 4));
}

TEST(VersionTree, AnsiRoundTripsEveryByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  const std::u16string wide = AnsiToUtf16(all);
  std::string bytes;
  for (char16_t c : wide) bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  EXPECT_EQ(Utf16ToAnsi(kwtest::AsBytes(bytes)), all);
  EXPECT_EQ(AnsiToUtf16("ąŁ€"_w), u"ąŁ€");
}

TEST(VersionTree, CharactersOutsideWindows1250BecomeQuestionMarks) {
  const auto conv = [](std::u16string_view s) {
    std::string bytes;
    for (char16_t c : s) bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return Utf16ToAnsi(kwtest::AsBytes(bytes));
  };
  EXPECT_EQ(conv(u"a\u4E2Db"), "a?b");
  EXPECT_EQ(conv(u"a\U0001F600b"), "a?b");  // one character, two code units
  EXPECT_EQ(conv(u"a\xD800"), "a?");        // a lone half of a pair
  EXPECT_EQ(Utf16ToAnsi(kwtest::AsBytes(std::string("a\0b", 3))), "a");  // odd byte dropped
}

TEST(VersionTree, DamagedLengthsEndTheSearch) {
  const std::string good = BuildVersionBlock(SmallSpec());
  const std::size_t company = FindUtf16(good, "CompanyName") - 6;
  const std::size_t table = FindUtf16(good, "041504E2") - 6;
  const struct {
    const char* what;
    void (*damage)(std::string&, std::size_t company, std::size_t table);
    const char* path;
    bool found;
  } cases[] = {
      {"root of length 0", [](std::string& b, std::size_t, std::size_t) { SetU16(b, 0, 0); }, "\\", false},
      {"root of length 5", [](std::string& b, std::size_t, std::size_t) { SetU16(b, 0, 5); }, "\\", false},
      {"root longer than the block", [](std::string& b, std::size_t, std::size_t) { SetU16(b, 0, 0xFFFF); },
       "\\VarFileInfo\\Translation", true},
      {"child of length 0", [](std::string& b, std::size_t c, std::size_t) { SetU16(b, c, 0); },
       "\\StringFileInfo\\041504E2\\Comments", false},
      {"child longer than its parent",
       [](std::string& b, std::size_t c, std::size_t) { SetU16(b, c, 0xFFFF); },
       "\\StringFileInfo\\041504E2\\Comments", false},
      {"value longer than its node",
       [](std::string& b, std::size_t c, std::size_t) { SetU16(b, c + 2, 0xFFFF); },
       "\\StringFileInfo\\041504E2\\CompanyName", true},
      {"table key without terminator",
       [](std::string& b, std::size_t, std::size_t t) {
         for (std::size_t i = t + 6; i < b.size(); i += 2) SetU16(b, i, 'A');
       },
       "\\StringFileInfo\\041504E2\\CompanyName", false},
  };
  for (const auto& c : cases) {
    std::string b = good;
    c.damage(b, company, table);
    const auto block = kwtest::AsBytes(b);
    const auto v = FindVersionValue(block, c.path);
    EXPECT_EQ(v.has_value(), c.found) << c.what;
    if (v) {
      EXPECT_LE(v->offset + v->size, b.size()) << c.what;
    }
  }
  EXPECT_FALSE(FindVersionValue({}, "\\").has_value());
  EXPECT_FALSE(FindVersionValue(kwtest::AsBytes(good.substr(0, 5)), "\\").has_value());
}

TEST(VersionTree, ValueLengthIsClippedToItsNode) {
  std::string b = BuildVersionBlock(SmallSpec());
  const std::size_t company = FindUtf16(b, "CompanyName") - 6;
  SetU16(b, company + 2, 0xFFFF);
  const auto block = kwtest::AsBytes(b);
  const auto v = FindVersionValue(block, "\\StringFileInfo\\041504E2\\CompanyName");
  ASSERT_TRUE(v);
  EXPECT_LE(v->offset + v->size, company + U16At(b, company));
}

TEST(VersionBlock, NodeOverSixtyFourKilobytesIsRefused) {
  VersionBlockInput s = SmallSpec();
  s.stringTables[0].strings = {{"Comments", std::string(40000, 'x')}};
  EXPECT_THROW(BuildVersionBlock(s), std::length_error);
}

}  // namespace
